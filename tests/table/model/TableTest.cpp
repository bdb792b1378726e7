#include "TestTable.h"

#include <gtest/gtest.h>

#include <set>

using namespace Tabra;
using namespace testsupport;

using Texts_ = std::vector<std::string>;

namespace {

// Every operation goes through a forwarding handle, as the table control reaches its table.
class TableTest : public ::testing::Test {
protected:
    void SetUp() override { DeclareColumns(table); }
    void Fill(const Texts_& texts) {
        for (const std::string& text : texts)
            AddRow(table, text);
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
    EXPECT_TRUE(table.IsValidColumn(2));
    EXPECT_FALSE(table.IsValidColumn(3));
    Fill({"x", "y", "z"});
    table.Select(1, true);
    CCellFactory* factory = table.GetFactory(COL_TEXT);
    table.CopyStructure(&table); // the table onto itself through its handle
    table.CopyRows(&table);
    EXPECT_EQ(table.GetFactory(COL_TEXT), factory) << "copying onto itself changes nothing";
    EXPECT_EQ(Texts(table), (Texts_{"x", "y", "z"}));
    CTable copy;
    copy.CopyStructure(&table);
    EXPECT_EQ(copy.GetColumnCount(), 3);
    EXPECT_NE(copy.GetFactory(COL_TEXT), factory);
    copy.CopyRows(&table);
    copy.CopyRows(&copy);
    EXPECT_EQ(Texts(copy), (Texts_{"x", "y", "z"}));
    EXPECT_EQ(copy.GetSelectedCount(), 0);

    table.BuildLayout();
    EXPECT_EQ(table.GetRowCount(), 0) << "a new layout starts empty";
    table.Reset();
    EXPECT_EQ(table.GetColumnCount(), 0);
    EXPECT_EQ(target.GetBlockCount(), 0);
}

TEST_F(TableTest, RowsComeFromBlocksOf127AndAreHandedOutOnceUntilDeleted) {
    std::set<CRow*> rows;
    for (int i = 0; i < CTable::kRowsPerBlock; ++i)
        rows.insert(AddRow(table, "row text long enough to live on the heap " + std::to_string(i), i));
    EXPECT_EQ(target.GetBlockCount(), 1);
    rows.insert(AddRow(table, "the 128th row", 128));
    EXPECT_EQ(target.GetBlockCount(), 2);
    EXPECT_EQ(rows.size(), 128u);
    EXPECT_EQ(table.GetCell(126, COL_INT)->GetInt(), 126);
    EXPECT_EQ(table.GetCell(127, COL_TEXT)->GetString(), "the 128th row");
    for (int i = 0; i < 50; ++i)
        table.DeleteRow(i);
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(rows.count(AddRow(table, "again")), 1u) << "deleted rows are used again";
    EXPECT_EQ(target.GetBlockCount(), 2);
    table.DeleteAllRows();
    EXPECT_EQ(target.GetBlockCount(), 0);
    AddRow(table, "after refill", 7);
    EXPECT_EQ(Texts(table), Texts_{"after refill"});
}

TEST_F(TableTest, NewAndRecycledRowsHoldPrototypeValues) {
    ExpectPrototypeValues(table.AddRow());
    ExpectPrototypeValues(table.InsertRow(0));
    EXPECT_EQ(table.GetRow(0)->Layout()->table, &target);
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
}

TEST_F(TableTest, FindNextSearchesAfterTheGivenRowWithoutWrapping) {
    Fill({"alpha", "beta", "ALPHA", "gamma"});
    CDString alpha, missing;
    alpha.SetText("Alpha");
    missing.SetText("delta");
    const std::tuple<const CCellData*, int, int> cases[] = {
        {&alpha, -1, 0}, {&alpha, 0, 2},  {&alpha, 1, 2},  {&alpha, 2, -1},
        {&alpha, 3, -1}, {&alpha, 9, -1}, {&alpha, -5, 0}, {&missing, -1, -1},
    };
    for (const auto& [value, after, expected] : cases)
        EXPECT_EQ(table.FindNext(COL_TEXT, value, after), expected) << "after " << after;
}

TEST_F(TableTest, FindInsertPosIsTheLowerBound) {
    CDInt probe;
    EXPECT_EQ(table.FindInsertPos(COL_INT, &probe), 0);
    for (int value : {10, 20, 20, 30})
        AddRow(table, "", value);
    const std::pair<int, int> cases[] = {{5, 0}, {10, 0}, {15, 1}, {20, 1}, {25, 3}, {30, 3}, {35, 4}};
    for (const auto& [value, expected] : cases) {
        probe.SetInt(value);
        EXPECT_EQ(table.FindInsertPos(COL_INT, &probe), expected) << value;
    }
    table.DeleteAllRows();
    Fill({"apple", "Banana", "cherry"});
    CDString text;
    text.SetText("BANANA");
    EXPECT_EQ(table.FindInsertPos(COL_TEXT, &text), 1) << "text ignores case";
}

TEST_F(TableTest, MoveRowReinsertsIntoTheShortenedArray) {
    const std::tuple<int, int, Texts_> cases[] = {
        {0, 2, {"B", "C", "A", "D"}},
        {3, 0, {"D", "A", "B", "C"}},
        {1, 1, {"A", "B", "C", "D"}},
        {0, 3, {"B", "C", "D", "A"}},
    };
    for (const auto& [from, to, expected] : cases) {
        table.DeleteAllRows();
        Fill({"A", "B", "C", "D"});
        table.MoveRow(from, to);
        EXPECT_EQ(Texts(table), expected) << from << " -> " << to;
        EXPECT_EQ(table.GetColData(COL_TEXT)->Cell(0), table.GetCell(0, COL_TEXT)) << "column data follows";
    }
}

TEST_F(TableTest, SelectionOperationsAndDeletingTheSelectedRows) {
    Fill({"0", "1", "2", "3", "4", "5"});
    table.SelectRange(1, 4, true);
    EXPECT_EQ(table.GetSelectedCount(), 4);
    table.ToggleRange(0, 2);
    table.Select(4, false);
    EXPECT_EQ(table.GetSelectedCount(), 2);
    EXPECT_TRUE(table.IsSelected(0) && table.IsSelected(3));
    table.DeleteSelectedRows();
    EXPECT_EQ(Texts(table), (Texts_{"1", "2", "4", "5"}));
    EXPECT_EQ(table.GetSelectedCount(), 0);
    table.SelectRange(0, 3, true);
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
