#include "TestTable.h"

#include <gtest/gtest.h>

#include <set>

using namespace Tabra;
using namespace testsupport;

namespace {

// Every operation goes through a forwarding handle, as the table control reaches its table.
class TableTest : public ::testing::Test {
protected:
    void SetUp() override { DeclareColumns(table); }
    // One row per letter of letters.
    void Fill(const std::string& letters) {
        for (char letter : letters)
            AddRow(table, std::string(1, letter));
    }

    CTable target;
    CTableInterface table{&target};
};

void ExpectPrototypeValues(const CRow* row) {
    EXPECT_STREQ(row->Cell(COL_TEXT)->GetText(), "");
    EXPECT_EQ(row->Cell(COL_INT)->GetInt() + row->Cell(COL_BOOL)->GetInt() + row->selected + row->cursorMark,
              0);
}

} // namespace

TEST_F(TableTest, RebuildingResettingAndCopyingStructure) {
    EXPECT_TRUE(table.IsValidColumn(2) && !table.IsValidColumn(3) && !table.IsValidColumn(-1));
    Fill("xyz");
    table.Select(1, true);
    CCellFactory* factory = table.GetFactory(COL_TEXT);
    table.CopyStructure(&table); // the table onto itself through its handle
    table.CopyRows(&table);
    EXPECT_EQ(table.GetFactory(COL_TEXT), factory) << "copying onto itself changes nothing";
    EXPECT_EQ(Texts(table), "x y z ");
    CTable copy;
    copy.CopyStructure(&table);
    EXPECT_EQ(copy.GetColumnCount(), 3);
    EXPECT_NE(copy.GetFactory(COL_TEXT), factory);
    copy.CopyRows(&table);
    copy.CopyRows(&copy);
    EXPECT_EQ(Texts(copy), "x y z ");
    EXPECT_EQ(copy.GetSelectedCount(), 0);

    table.BuildLayout();
    EXPECT_EQ(table.GetRowCount(), 0) << "a new layout starts empty";
    AddRow(table, "dropped by the reset");
    table.Reset();
    EXPECT_EQ(std::make_tuple(table.GetColumnCount(), table.GetRowCount(), target.GetBlockCount()),
              std::make_tuple(0, 0, 0));
}

TEST_F(TableTest, RowsComeFromBlocksOf127AreHandedOutAgainWithPrototypeValuesAndCopied) {
    ExpectPrototypeValues(table.AddRow());
    ExpectPrototypeValues(table.InsertRow(0));
    EXPECT_EQ(table.GetRow(0)->Layout()->table, &target);
    table.DeleteAllRows();
    std::set<CRow*> rows;
    for (int i = 0; i < CTable::kRowsPerBlock; ++i)
        rows.insert(AddRow(table, "row text long enough to live on the heap " + std::to_string(i), i, true));
    EXPECT_EQ(target.GetBlockCount(), 1);
    rows.insert(AddRow(table, "the 128th row", 128));
    EXPECT_EQ(target.GetBlockCount(), 2);
    EXPECT_EQ(table.GetCell(126, COL_INT)->GetInt(), 126);
    EXPECT_EQ(table.GetCell(127, COL_TEXT)->GetString(), "the 128th row");
    table.GetRow(0)->selected = 1;
    table.GetRow(0)->cursorMark = 1;
    for (int i = 0; i < 50; ++i)
        table.DeleteRow(i);
    for (int i = 0; i < 50; ++i) {
        CRow* row = table.AddRow();
        EXPECT_EQ(rows.count(row), 1u) << "deleted rows are used again";
        ExpectPrototypeValues(row);
    }
    EXPECT_EQ(target.GetBlockCount(), 2);
    table.DeleteAllRows();
    EXPECT_EQ(target.GetBlockCount(), 0);
    AddRow(table, "refilled", 7);
    CRow* source = AddRow(table, "source", 42, true);
    CRow* copy = table.AddRowCopy(source);
    EXPECT_EQ(std::make_tuple(copy->Cell(COL_TEXT)->GetString(), copy->Cell(COL_INT)->GetInt(),
                              copy->Cell(COL_BOOL)->GetBool()),
              std::make_tuple("source", 42, true));
    AddRow(table, "other", 1);
    table.InsertRowCopy(0, table.GetRow(3));
    table.SetRow(3, table.GetRow(0));
    EXPECT_EQ(Texts(table), "other refilled source other other ");
}

// FindNext searches after the given row without wrapping; FindInsertPos is the lower bound.
TEST_F(TableTest, FindNextAndInsertPosition) {
    CDInt probe;
    EXPECT_EQ(table.FindInsertPos(COL_INT, &probe), 0);
    for (auto [text, number] : {std::pair{"alpha", 10}, {"beta", 20}, {"ALPHA", 20}, {"gamma", 30}})
        AddRow(table, text, number);
    const CDString alpha = Text("Alpha");
    for (auto [after, expected] : {std::pair{-1, 0}, {0, 2}, {1, 2}, {2, -1}, {3, -1}, {9, -1}, {-5, 0}})
        EXPECT_EQ(table.FindNext(COL_TEXT, &alpha, after), expected) << "after " << after;
    for (auto [value, expected] : {std::pair{5, 0}, {10, 0}, {15, 1}, {20, 1}, {25, 3}, {30, 3}, {35, 4}}) {
        probe.SetInt(value);
        EXPECT_EQ(table.FindInsertPos(COL_INT, &probe), expected) << value;
    }
}

TEST_F(TableTest, MoveRowReinsertsIntoTheShortenedArray) {
    const std::tuple<int, int, const char*> cases[] = {
        {0, 2, "B C A D "}, {3, 0, "D A B C "}, {1, 1, "A B C D "}, {0, 3, "B C D A "}};
    for (const auto& [from, to, expected] : cases) {
        table.DeleteAllRows();
        Fill("ABCD");
        table.MoveRow(from, to);
        EXPECT_EQ(Texts(table), expected) << from << " -> " << to;
        EXPECT_EQ(table.GetColData(COL_TEXT)->Cell(0), table.GetCell(0, COL_TEXT)) << "column data follows";
    }
}

TEST_F(TableTest, SelectionOperationsAndDeletingTheSelectedRows) {
    Fill("012345");
    table.SelectRange(1, 4, true);
    table.ToggleRange(0, 2);
    table.Select(4, false);
    EXPECT_EQ(table.GetSelectedCount(), 2);
    table.DeleteSelectedRows();
    EXPECT_EQ(Texts(table), "1 2 4 5 ");
    EXPECT_EQ(table.GetSelectedCount(), 0);
    table.SelectRange(0, 3, true);
    table.DeleteSelectedRows();
    EXPECT_EQ(table.GetRowCount(), 0);
}
