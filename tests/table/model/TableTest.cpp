#include "TestTable.h"

#include <gtest/gtest.h>

#include <set>

using namespace Tabra;
using namespace tabra_test;

using Texts_ = std::vector<std::string>;

namespace {

class TableTest : public ::testing::Test {
protected:
    void SetUp() override { DeclareColumns(table); }
    void Fill(const Texts_& texts) {
        for (const std::string& text : texts)
            AddRow(table, text);
    }

    CTable table;
};

void ExpectPrototypeValues(const CRow* row) {
    EXPECT_STREQ(row->Cell(COL_TEXT)->GetText(), "");
    EXPECT_EQ(row->Cell(COL_INT)->GetInt(), 0);
    EXPECT_FALSE(row->Cell(COL_BOOL)->GetBool());
    EXPECT_EQ(row->selected, 0);
    EXPECT_EQ(row->cursorMark, 0);
}

} // namespace

TEST_F(TableTest, RebuildingResettingAndCopyingOntoItself) {
    EXPECT_TRUE(table.IsValidColumn(2));
    EXPECT_FALSE(table.IsValidColumn(3));
    Fill({"x", "y"});
    CCellFactory* factory = table.GetFactory(COL_TEXT);
    table.CopyStructure(&table);
    EXPECT_EQ(table.GetFactory(COL_TEXT), factory) << "copying onto itself changes nothing";
    EXPECT_EQ(Texts(table), (Texts_{"x", "y"}));
    table.BuildLayout();
    EXPECT_EQ(table.GetRowCount(), 0) << "a new layout starts empty";
    AddRow(table, "z", 3);
    EXPECT_EQ(Texts(table), Texts_{"z"});
    table.Reset();
    EXPECT_EQ(table.GetColumnCount(), 0);
    EXPECT_EQ(table.GetRowCount(), 0);
    EXPECT_EQ(table.GetBlockCount(), 0);
}

TEST_F(TableTest, RowsComeFromBlocksOf127AndAreHandedOutOnceUntilDeleted) {
    std::set<CRow*> rows;
    for (int i = 0; i < CTable::ROWS_PER_BLOCK; ++i)
        rows.insert(AddRow(table, "row text long enough to live on the heap " + std::to_string(i), i));
    EXPECT_EQ(table.GetBlockCount(), 1);
    rows.insert(AddRow(table, "the 128th row", 128));
    EXPECT_EQ(table.GetBlockCount(), 2);
    EXPECT_EQ(rows.size(), 128u);
    EXPECT_EQ(table.GetCell(126, COL_INT)->GetInt(), 126);
    EXPECT_EQ(table.GetCell(127, COL_TEXT)->GetString(), "the 128th row");
    for (int i = 0; i < 50; ++i)
        table.DeleteRow(i);
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(rows.count(AddRow(table, "again")), 1u) << "deleted rows are used again";
    EXPECT_EQ(table.GetBlockCount(), 2);
    table.DeleteAllRows();
    EXPECT_EQ(table.GetBlockCount(), 0);
    EXPECT_EQ(table.GetRowCount(), 0);
    AddRow(table, "after refill", 7);
    EXPECT_EQ(table.GetBlockCount(), 1);
    EXPECT_EQ(table.GetCell(0, COL_TEXT)->GetString(), "after refill");
}

TEST_F(TableTest, NewAndRecycledRowsHoldPrototypeValues) {
    ExpectPrototypeValues(table.AddRow());
    ExpectPrototypeValues(table.InsertRow(0));
    EXPECT_EQ(table.GetRow(0)->Layout()->table, &table);
    table.DeleteAllRows();
    CRow* first = AddRow(table, "a text that does not fit a small string buffer", -5, true);
    AddRow(table, "b", 2);
    first->selected = 1;
    first->cursorMark = 1;
    table.DeleteRow(0);
    EXPECT_EQ(Texts(table), Texts_{"b"});
    CRow* recycled = table.AddRow();
    EXPECT_EQ(recycled, first);
    ExpectPrototypeValues(recycled);
    EXPECT_EQ(table.GetBlockCount(), 1);
}

TEST_F(TableTest, FindNextSearchesAfterTheGivenRowWithoutWrapping) {
    Fill({"alpha", "beta", "ALPHA", "gamma"});
    CDString alpha;
    alpha.SetText("Alpha");
    CDString missing;
    missing.SetText("delta");
    struct Case {
        const CCellData* value;
        int after;
        int expected;
    } cases[] = {
        {&alpha, -1, 0}, {&alpha, 0, 2},  {&alpha, 1, 2},  {&alpha, 2, -1},
        {&alpha, 3, -1}, {&alpha, 9, -1}, {&alpha, -5, 0}, {&missing, -1, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(table.FindNext(COL_TEXT, c.value, c.after), c.expected) << "after " << c.after;
}

TEST_F(TableTest, FindInsertPosIsTheLowerBound) {
    CDInt probe;
    EXPECT_EQ(table.FindInsertPos(COL_INT, &probe), 0);
    for (int value : {10, 20, 20, 30})
        AddRow(table, "", value);
    struct Case {
        int value;
        int expected;
    } cases[] = {{5, 0}, {10, 0}, {15, 1}, {20, 1}, {25, 3}, {30, 3}, {35, 4}};
    for (const Case& c : cases) {
        probe.SetInt(c.value);
        EXPECT_EQ(table.FindInsertPos(COL_INT, &probe), c.expected) << c.value;
    }
    table.DeleteAllRows();
    Fill({"apple", "Banana", "cherry"});
    CDString text;
    text.SetText("BANANA");
    EXPECT_EQ(table.FindInsertPos(COL_TEXT, &text), 1) << "text ignores case";
    text.SetText("Blueberry");
    EXPECT_EQ(table.FindInsertPos(COL_TEXT, &text), 2);
}

TEST_F(TableTest, MoveRowReinsertsIntoTheShortenedArray) {
    struct Case {
        int from;
        int to;
        Texts_ expected;
    } cases[] = {
        {0, 2, {"B", "C", "A", "D"}},
        {3, 0, {"D", "A", "B", "C"}},
        {1, 1, {"A", "B", "C", "D"}},
        {0, 3, {"B", "C", "D", "A"}},
    };
    for (const Case& c : cases) {
        table.DeleteAllRows();
        Fill({"A", "B", "C", "D"});
        table.MoveRow(c.from, c.to);
        EXPECT_EQ(Texts(table), c.expected) << c.from << " -> " << c.to;
        EXPECT_EQ(table.GetColData(COL_TEXT)->Cell(0), table.GetCell(0, COL_TEXT)) << "column data follows";
    }
}

TEST_F(TableTest, SelectionOperations) {
    Fill({"0", "1", "2", "3", "4", "5"});
    table.SelectRange(1, 4, true);
    EXPECT_EQ(table.GetSelectedCount(), 4);
    table.ToggleRange(0, 2);
    EXPECT_TRUE(table.IsSelected(0));
    EXPECT_FALSE(table.IsSelected(1));
    EXPECT_FALSE(table.IsSelected(2));
    EXPECT_TRUE(table.IsSelected(3));
    table.Select(3, false);
    table.SelectRange(4, 5, false);
    EXPECT_EQ(table.GetSelectedCount(), 1);
}

TEST_F(TableTest, DeleteSelectedRowsKeepsTheOthersInOrder) {
    Fill({"0", "1", "2", "3", "4"});
    table.Select(1, true);
    table.Select(3, true);
    table.DeleteSelectedRows();
    EXPECT_EQ(Texts(table), (Texts_{"0", "2", "4"}));
    EXPECT_EQ(table.GetSelectedCount(), 0);
    table.SelectRange(0, 2, true);
    table.DeleteSelectedRows();
    EXPECT_EQ(table.GetRowCount(), 0);
}

TEST_F(TableTest, CopiesOfRows) {
    CRow* source = AddRow(table, "source", 42, true);
    CRow* copy = table.AddRowCopy(source);
    EXPECT_EQ(copy->Cell(COL_TEXT)->GetString(), "source");
    EXPECT_EQ(copy->Cell(COL_INT)->GetInt(), 42);
    EXPECT_TRUE(copy->Cell(COL_BOOL)->GetBool());
    AddRow(table, "other", 1);
    table.InsertRowCopy(0, table.GetRow(2));
    table.SetRow(2, table.GetRow(0));
    EXPECT_EQ(Texts(table), (Texts_{"other", "source", "other", "other"}));
    source->Assign(source);
    EXPECT_EQ(source->Cell(COL_TEXT)->GetString(), "source");
}

TEST_F(TableTest, CopyStructureAndCopyRowsFromAnotherTable) {
    Fill({"x", "y", "z"});
    table.Select(1, true);
    CTable copy;
    copy.CopyStructure(&table);
    EXPECT_EQ(copy.GetColumnCount(), 3);
    EXPECT_EQ(copy.GetRowCount(), 0);
    EXPECT_NE(copy.GetFactory(COL_TEXT), table.GetFactory(COL_TEXT));
    copy.CopyRows(&table);
    EXPECT_EQ(Texts(copy), (Texts_{"x", "y", "z"}));
    EXPECT_EQ(copy.GetSelectedCount(), 0);
    copy.CopyRows(&copy);
    EXPECT_EQ(Texts(copy), (Texts_{"x", "y", "z"}));
}

TEST(TableInterface, ForwardsEveryOperationToItsTarget) {
    CTable table;
    CTableInterface handle(&table);
    DeclareColumns(table);
    CRow* row = handle.AddRow();
    row->Cell(COL_TEXT)->SetText("through the handle");
    EXPECT_EQ(table.GetRowCount(), 1);
    EXPECT_EQ(handle.GetRowCount(), 1);
    EXPECT_EQ(handle.GetCell(0, COL_TEXT)->GetString(), "through the handle");
    handle.InsertRow(0)->Cell(COL_INT)->SetInt(9);
    handle.Sort({COL_INT, SORT_ASCENDING, -1});
    EXPECT_EQ(table.GetCell(1, COL_INT)->GetInt(), 9);
    handle.SelectRange(0, 1, true);
    EXPECT_EQ(table.GetSelectedCount(), 2);
    EXPECT_TRUE(handle.IsValidRow(1));
    EXPECT_FALSE(handle.IsValidRow(2));
    handle.DeleteAllRows();
    EXPECT_EQ(table.GetRowCount(), 0);
}
