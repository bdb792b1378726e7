// A table of one text, one integer and one boolean column, the shape most model tests use.
#pragma once

#include "table/model/Table.h"

#include <string>
#include <vector>

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

// The text column from the first row to the last.
inline std::vector<std::string> Texts(const Tabra::CTableInterface& table) {
    std::vector<std::string> texts;
    for (int row = 0; row < table.GetRowCount(); ++row)
        texts.push_back(table.GetCell(row, COL_TEXT)->GetString());
    return texts;
}

} // namespace testsupport
