// Row records of a table and the accessor for one column's cells.
#pragma once

#include "table/model/CellData.h"

#include <cstdint>
#include <new>
#include <vector>

namespace Tabra {

class CTable;

// Shared by all rows of a table, so that every row knows its column count and cell offsets.
struct SRowLayout {
    CTable* table = nullptr;
    int count = 0;
    std::vector<int32_t> offsets; // byte offset of each column's cell from the row's start
};

// A row: this header, then the cells in column order at the layout's offsets, all in one block.
class alignas(void*) CRow {
public:
    explicit CRow(const SRowLayout* layout) : m_layout(layout) {}
    CRow(const CRow&) = delete;
    CRow& operator=(const CRow&) = delete;

    const SRowLayout* Layout() const { return m_layout; }
    int ColumnCount() const { return m_layout->count; }
    CCellData* Cell(int col) { return CellAt(this, m_layout->offsets[col]); }
    const CCellData* Cell(int col) const { return CellAt(this, m_layout->offsets[col]); }

    // Copies every cell of `source`, a row of the same column layout; nothing when it is this row.
    void Assign(const CRow* source);

    static CCellData* CellAt(CRow* row, int32_t offset) {
        return std::launder(reinterpret_cast<CCellData*>(reinterpret_cast<char*>(row) + offset));
    }
    static const CCellData* CellAt(const CRow* row, int32_t offset) {
        return std::launder(reinterpret_cast<const CCellData*>(reinterpret_cast<const char*>(row) + offset));
    }

    uint8_t selected = 0;
    uint8_t cursorMark = 0; // set by the view's cursor; cleared when the row is recycled

private:
    const SRowLayout* m_layout;
};

// The cells of one column: row r's cell is at (rows[r] + offset).
class CColData {
public:
    CColData(const std::vector<CRow*>* rows, int32_t offset) : rows(rows), offset(offset) {}
    CCellData* Cell(int row) const { return CRow::CellAt((*rows)[row], offset); }

    const std::vector<CRow*>* rows;
    int32_t offset;
};

} // namespace Tabra
