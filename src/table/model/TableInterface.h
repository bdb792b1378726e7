// The table operation set. Every operation of this base forwards to a target table, so one object can
// stand in for another; a derived class overrides what it implements itself.
#pragma once

#include "table/model/CellFactory.h"
#include "table/model/Row.h"
#include "table/model/SortKeys.h"

namespace Tabra {

class CTableInterface {
public:
    explicit CTableInterface(CTableInterface* target = nullptr) : m_target(target) {}
    CTableInterface(const CTableInterface&) = delete;
    CTableInterface& operator=(const CTableInterface&) = delete;

    // The table behind this handle and any handles it forwards to (a table is its own).
    const CTableInterface* Resolve() const { return m_target ? m_target->Resolve() : this; }

    virtual void SetColumnCount(int count) { m_target->SetColumnCount(count); }
    virtual void BuildLayout() { m_target->BuildLayout(); }
    virtual void Reset() { m_target->Reset(); }
    virtual void CopyStructure(CTableInterface* source) { m_target->CopyStructure(source); }
    virtual int AddColumn(CCellFactory* factory, CCellCompare* compare) {
        return m_target->AddColumn(factory, compare);
    }
    virtual void SetColumn(int col, CCellFactory* factory, CCellCompare* compare) {
        m_target->SetColumn(col, factory, compare);
    }
    virtual void SetCompare(int col, CCellCompare* compare) { m_target->SetCompare(col, compare); }
    virtual int GetColumnCount() const { return m_target->GetColumnCount(); }
    virtual int GetRowCount() const { return m_target->GetRowCount(); }
    virtual CCellFactory* GetFactory(int col) const { return m_target->GetFactory(col); }
    virtual CCellCompare* GetCompare(int col) const { return m_target->GetCompare(col); }
    virtual CRow* AddRowCopy(const CRow* source) { return m_target->AddRowCopy(source); }
    virtual CRow* AddRow() { return m_target->AddRow(); }
    virtual CRow* InsertRowCopy(int index, const CRow* source) {
        return m_target->InsertRowCopy(index, source);
    }
    virtual CRow* InsertRow(int index) { return m_target->InsertRow(index); }
    virtual void DeleteRow(int index) { m_target->DeleteRow(index); }
    virtual void DeleteAllRows() { m_target->DeleteAllRows(); }
    virtual void DeleteSelectedRows() { m_target->DeleteSelectedRows(); }
    virtual void MoveRow(int from, int to) { m_target->MoveRow(from, to); }
    virtual void Sort(const CSortKeys& keys) { m_target->Sort(keys); }
    virtual CRow* SetRow(int index, const CRow* source) { return m_target->SetRow(index, source); }
    virtual CCellData* GetCell(int row, int col) const { return m_target->GetCell(row, col); }
    virtual CRow* GetRow(int index) const { return m_target->GetRow(index); }
    virtual CColData* GetColData(int col) const { return m_target->GetColData(col); }
    virtual int FindNext(int col, const CCellData* value, int after) const {
        return m_target->FindNext(col, value, after);
    }
    virtual int FindInsertPos(int col, const CCellData* value) const {
        return m_target->FindInsertPos(col, value);
    }
    virtual bool IsSelected(int row) const { return m_target->IsSelected(row); }
    virtual void SelectRange(int first, int last, bool on) { m_target->SelectRange(first, last, on); }
    virtual void Select(int row, bool on) { m_target->Select(row, on); }
    virtual void ToggleRange(int first, int last) { m_target->ToggleRange(first, last); }
    virtual int GetSelectedCount() const { return m_target->GetSelectedCount(); }
    virtual void CopyRows(CTableInterface* source) { m_target->CopyRows(source); }

    bool IsValidRow(int row) const { return row >= 0 && row < GetRowCount(); }
    bool IsValidColumn(int col) const { return col >= 0 && col < GetColumnCount(); }

    virtual ~CTableInterface() = default;

protected:
    void SetTarget(CTableInterface* target) { m_target = target; }

private:
    CTableInterface* m_target;
};

} // namespace Tabra
