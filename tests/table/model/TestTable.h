// A table of one text, one integer and one boolean column, the shape most model tests use.
#pragma once

#include "table/model/Table.h"

#include <string>

namespace testsupport {

enum Column { COL_TEXT = 0, COL_INT = 1, COL_BOOL = 2 };

inline void DeclareColumns(Tabra::CTableInterface& table) {
    table.SetColumnCount(3);
    table.SetColumn(COL_TEXT, new Tabra::CFAny<Tabra::CDString>, new Tabra::CCellCompare);
    table.SetColumn(COL_INT, new Tabra::CFAny<Tabra::CDInt>, new Tabra::CCellCompare);
    table.SetColumn(COL_BOOL, new Tabra::CFAny<Tabra::CDBool>, new Tabra::CCellCompare);
    table.BuildLayout();
}

inline Tabra::CRow* AddRow(Tabra::CTableInterface& table, const std::string& text, int number = 0,
                           bool flag = false) {
    Tabra::CRow* row = table.AddRow();
    row->Cell(COL_TEXT)->SetString(text);
    row->Cell(COL_INT)->SetInt(number);
    row->Cell(COL_BOOL)->SetBool(flag);
    return row;
}

// Cells of a value, to compare with.
inline Tabra::CDString Text(const char* text) {
    Tabra::CDString cell;
    cell.SetText(text);
    return cell;
}

inline Tabra::CDInt Int(int value) {
    Tabra::CDInt cell;
    cell.SetInt(value);
    return cell;
}

// The text column from the first row to the last, each text followed by a space.
inline std::string Texts(const Tabra::CTableInterface& table) {
    std::string texts;
    for (int row = 0; row < table.GetRowCount(); ++row)
        texts += table.GetCell(row, COL_TEXT)->GetString() + " ";
    return texts;
}

} // namespace testsupport
