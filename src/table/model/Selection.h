// The selection rules of a table view and its current cell: which rows a click with Shift or Ctrl
// selects, the anchor of range selections, and the cursor that keeps to its row record when the rows
// are re-sorted. Which rows are selected is stored in the rows themselves.
#pragma once

#include "table/model/TableInterface.h"

namespace Tabra {

// Modifier flags of a click (the values of the platform's MK_SHIFT and MK_CONTROL).
enum ClickFlags : unsigned { CLICK_SHIFT = 4, CLICK_CONTROL = 8 };

// Told before and after a click changes the selection; a true answer to the first cancels it.
class CSelectionListener {
public:
    virtual bool SelectionChanging(int row) = 0;
    virtual void SelectionChanged(int row) = 0;

protected:
    ~CSelectionListener() = default;
};

class CSelection {
public:
    enum Mode { MODE_NONE = 0, MODE_SINGLE = 1, MODE_MULTIPLE = 2 };

    CSelection(CTableInterface& table, CSelectionListener& listener) : m_table(table), m_listener(listener) {}

    int GetMode() const { return m_mode; }
    // Clears the selection; the anchor stays.
    void SetMode(int mode);
    // The anchor of range selections, clamped to the last row; -1 for none.
    int GetAnchor() const;
    int FirstSelected() const;
    void DeselectAll();
    // Selects row alone (none for -1), without notifying.
    void SelectOnly(int row);
    // A click with CLICK_SHIFT and CLICK_CONTROL flags on row; nothing for an invalid row or in mode
    // none. Asks the listener first, unless nothing would change. Answers whether the selection changed.
    bool ApplyClick(unsigned flags, int row);

private:
    // True when every row of [lo, hi] and no other is selected.
    bool IsExactly(int lo, int hi) const;
    bool AllInState(int lo, int hi, bool state) const;

    CTableInterface& m_table;
    CSelectionListener& m_listener;
    int m_mode = MODE_MULTIPLE;
    int m_anchor = -1;
};

// The current cell: a row that follows its record through re-sorting (a mark in the row finds it
// again), a column id, and the mode that says whether the cursor moves by row or by cell.
class CCurrentCell {
public:
    enum Mode { MODE_NONE = 0, MODE_ROW = 1, MODE_CELL = 2 };

    explicit CCurrentCell(CTableInterface& table) : m_table(table) {}

    int GetMode() const { return m_mode; }
    void SetMode(int mode) { m_mode = mode; }
    // The cursor row; -1 in mode none, without a row, or when its record is gone.
    int Row();
    // Clamped to the last row; below 0 means none.
    void SetRow(int row);
    // The column as set, before any visibility rule.
    int RawColumn() const { return m_column; }
    void SetColumn(int col) { m_column = col; }
    // Forgets the row without touching the rows (they are being dropped).
    void Forget();

private:
    // Takes the mark off the cursor's record, wherever the rows have moved it.
    void ClearMark();

    CTableInterface& m_table;
    int m_mode = MODE_ROW;
    int m_row = -1;
    CRow* m_record = nullptr;
    int m_column = -1;
};

} // namespace Tabra
