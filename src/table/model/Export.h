// The table as clipboard text and as an HTML page: visible columns in display order, cells as shown.
#pragma once

#include "table/model/Layout.h"
#include "table/model/TableInterface.h"

#include <functional>
#include <string>

namespace Tabra {

// The text a cell shows (its renderer's text).
using CellTextFn = std::function<std::string(int row, int col)>;

// Selected rows, or every row with `allRows`: each cell with tab, line feed and carriage return made
// '*', then a tab; CR LF after each row. The clipboard block adds a terminating NUL.
std::string CopyText(const CTableInterface& table, const SColumnSet& columns, const CellTextFn& cellText,
                     bool allRows);

// '&', '<' and '>' as entities, carriage returns and line feeds dropped; "&nbsp;" for a text that is
// empty or only white space.
std::string HtmlEscape(const std::string& text);

// The bytes of the HTML export of every row, line ends written as CR LF.
std::string HtmlExport(const CTableInterface& table, const SColumnSet& columns, const CellTextFn& cellText);

// The suggested file name: the window text with ':' made '_', then ".html".
std::string HtmlFileName(std::string windowText);

} // namespace Tabra
