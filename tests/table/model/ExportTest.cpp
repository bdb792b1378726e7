#include "TestTable.h"

#include "table/model/Export.h"

#include <gtest/gtest.h>

using namespace Tabra;
using namespace testsupport;

namespace {

class ExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        DeclareColumns(table);
        int number = 0;
        for (const char* text : {"a\tb", "line\r\nbreak", "plain", "<x>&", "   "})
            AddRow(table, text, ++number);
    }
    std::string Copy(bool allRows) const { return CopyText(table, columns, text, allRows); }

    CTable table;
    SColumnSet columns{{{"Name", 50, true}, {"Ping", 30, true}, {"Flag", 10, false}}};
    // Cells as a renderer would show them: the text, or the number in decimal.
    CellTextFn text = [this](int row, int col) {
        return col == COL_TEXT ? table.GetCell(row, col)->GetString()
                               : std::to_string(table.GetCell(row, col)->GetInt());
    };
};

} // namespace

TEST_F(ExportTest, CopyReplacesSeparatorsInsideCellsAndTakesSelectedRowsInDisplayOrder) {
    EXPECT_EQ(Copy(true), "a*b\t1\t\r\nline**break\t2\t\r\nplain\t3\t\r\n<x>&\t4\t\r\n   \t5\t\r\n");
    table.Select(2, true);
    table.Select(4, true);
    columns.order = {1, 0, 2};
    EXPECT_EQ(Copy(false), "3\tplain\t\r\n5\t   \t\r\n");
    columns.columns[COL_TEXT].visible = false;
    columns.columns[COL_BOOL].visible = true;
    EXPECT_EQ(Copy(false), "3\t0\t\r\n5\t0\t\r\n");
    table.SelectRange(0, 4, false);
    EXPECT_EQ(Copy(false), "");
}

TEST_F(ExportTest, HtmlBytesEscapingAndFileName) {
    columns.columns[COL_INT].header = "Ping";
    columns.columns[COL_TEXT].header = "";
    for (int row : {4, 2, 1, 0})
        table.DeleteRow(row);
    const char* expected =
        "<HTML><BODY BGCOLOR=White>\r\n\r\n<TABLE CELLSPACING=2 CELLPADDING=2 BORDER=2>\r\n"
        "  <TR BGCOLOR=#C0C0C0>\r\n    <TH>&nbsp;</TH>\r\n    <TH>Ping</TH>\r\n"
        "  <TR>\r\n    <TD>&lt;x&gt;&amp;</TD>\r\n    <TD>4</TD>\r\n  </TR>\r\n"
        "</TABLE>\r\n</BODY></HTML>";
    table.Select(0, true);
    EXPECT_EQ(HtmlExport(table, columns, text), expected);
    const std::pair<const char*, const char*> cases[] = {
        {"<a>&", "&lt;a&gt;&amp;"},   {"", "&nbsp;"}, {"   ", "&nbsp;"},      {"\r\n\t", "&nbsp;"},
        {"two\r\nlines", "twolines"}, {" x ", " x "}, {"&amp;", "&amp;amp;"}, {"\"q\"", "\"q\""},
    };
    for (const auto& [raw, escaped] : cases)
        EXPECT_EQ(HtmlEscape(raw), escaped) << raw;
    EXPECT_EQ(HtmlFileName("a:b:"), "a_b_.html");
}
