// The storage model: columns of typed cells, rows pooled in blocks and ordered by a row pointer array.
#pragma once

#include "table/model/TableInterface.h"

#include <memory>
#include <vector>

namespace Tabra {

class CTable : public CTableInterface {
public:
    static constexpr int kRowsPerBlock = 127;

    CTable();
    ~CTable() override;

    void SetColumnCount(int count) override;
    void BuildLayout() override;
    void Reset() override;
    void CopyStructure(CTableInterface* source) override;
    int AddColumn(CCellFactory* factory, CCellCompare* compare) override;
    void SetColumn(int col, CCellFactory* factory, CCellCompare* compare) override;
    void SetCompare(int col, CCellCompare* compare) override;
    int GetColumnCount() const override { return static_cast<int>(m_columns.size()); }
    int GetRowCount() const override { return static_cast<int>(m_rows.size()); }
    CCellFactory* GetFactory(int col) const override { return Column(col).factory.get(); }
    CCellCompare* GetCompare(int col) const override { return Column(col).compare.get(); }
    CRow* AddRowCopy(const CRow* source) override;
    CRow* AddRow() override;
    CRow* InsertRowCopy(int index, const CRow* source) override;
    CRow* InsertRow(int index) override;
    void DeleteRow(int index) override;
    void DeleteAllRows() override;
    void DeleteSelectedRows() override;
    void MoveRow(int from, int to) override;
    void Sort(const CSortKeys& keys) override;
    CRow* SetRow(int index, const CRow* source) override;
    CCellData* GetCell(int row, int col) const override { return GetRow(row)->Cell(col); }
    CRow* GetRow(int index) const override { return m_rows[static_cast<size_t>(index)]; }
    CColData* GetColData(int col) const override { return Column(col).data.get(); }
    int FindNext(int col, const CCellData* value, int after) const override;
    int FindInsertPos(int col, const CCellData* value) const override;
    bool IsSelected(int row) const override { return GetRow(row)->selected != 0; }
    void SelectRange(int first, int last, bool on) override;
    void Select(int row, bool on) override { GetRow(row)->selected = on ? 1 : 0; }
    void ToggleRange(int first, int last) override;
    int GetSelectedCount() const override;
    void CopyRows(CTableInterface* source) override;

    // Row blocks currently allocated.
    int GetBlockCount() const { return static_cast<int>(m_blocks.size()); }

private:
    struct SColumn {
        std::unique_ptr<CCellCompare> compare;
        std::unique_ptr<CCellFactory> factory;
        std::unique_ptr<CColData> data;
    };
    struct SBlockFree {
        void operator()(char* block) const { ::operator delete(block); }
    };
    using CBlock = std::unique_ptr<char, SBlockFree>;

    const SColumn& Column(int col) const { return m_columns[static_cast<size_t>(col)]; }
    // Constructs the cells of a row from `source` cells (prototype cells, or the factories' prototypes).
    void ConstructCells(CRow* row, bool fromFactories);
    void DestroyCells(CRow* row);
    // Drops all rows, the prototype and the offsets; the columns stay.
    void DropLayout();
    CRow* TakeFreeRow();
    void AllocateBlock();

    std::vector<SColumn> m_columns;
    std::unique_ptr<SRowLayout> m_layout;
    CBlock m_prototypeStorage;
    CRow* m_prototype = nullptr;
    int m_rowSize = 0;
    std::vector<CBlock> m_blocks;
    std::vector<CRow*> m_rows;
    std::vector<CRow*> m_free;
};

} // namespace Tabra
