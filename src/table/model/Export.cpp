#include "table/model/Export.h"

#include <algorithm>
#include <cctype>

namespace Tabra {

namespace {

bool IsBlank(const std::string& text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return isspace(static_cast<unsigned char>(c)) != 0; });
}

void AppendCopyCell(std::string& out, const std::string& text) {
    for (char c : text)
        out += c == '\t' || c == '\n' || c == '\r' ? '*' : c;
    out += '\t';
}

} // namespace

std::string CopyText(const CTableInterface& table, const SColumnSet& columns, const CellTextFn& cellText,
                     bool allRows) {
    std::vector<int> visible = columns.VisibleColumns();
    std::string out;
    for (int row = 0; row < table.GetRowCount(); ++row) {
        if (!allRows && !table.IsSelected(row))
            continue;
        for (int col : visible)
            AppendCopyCell(out, cellText(row, col));
        out += "\r\n";
    }
    return out;
}

std::string HtmlEscape(const std::string& text) {
    if (IsBlank(text))
        return "&nbsp;";
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '\r':
        case '\n':
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string HtmlExport(const CTableInterface& table, const SColumnSet& columns, const CellTextFn& cellText) {
    std::vector<int> visible = columns.VisibleColumns();
    std::string out = "<HTML><BODY BGCOLOR=White>\r\n\r\n"
                      "<TABLE CELLSPACING=2 CELLPADDING=2 BORDER=2>\r\n"
                      "  <TR BGCOLOR=#C0C0C0>\r\n";
    for (int col : visible)
        out += "    <TH>" + HtmlEscape(columns.columns[static_cast<size_t>(col)].header) + "</TH>\r\n";
    for (int row = 0; row < table.GetRowCount(); ++row) {
        out += "  <TR>\r\n";
        for (int col : visible)
            out += "    <TD>" + HtmlEscape(cellText(row, col)) + "</TD>\r\n";
        out += "  </TR>\r\n";
    }
    out += "</TABLE>\r\n</BODY></HTML>";
    return out;
}

std::string HtmlFileName(std::string windowText) {
    std::replace(windowText.begin(), windowText.end(), ':', '_');
    return windowText + ".html";
}

} // namespace Tabra
