// The selection rules of clicks with Shift and Ctrl, and the cursor that keeps to its row record.
#include "table/model/Selection.h"
#include "TestTable.h"

#include <gtest/gtest.h>

using namespace Tabra;

namespace {

struct CRecorder : CSelectionListener {
    bool SelectionChanging(int row) override {
        asked.push_back(row);
        return cancel;
    }
    void SelectionChanged(int row) override { changed.push_back(row); }
    std::vector<int> asked, changed;
    bool cancel = false;
};

class SelectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::DeclareColumns(table);
        for (int i = 0; i < 12; ++i)
            testsupport::AddRow(table, "r" + std::to_string(i), 12 - i);
    }
    std::vector<int> Selected() const {
        std::vector<int> rows;
        for (int r = 0; r < table.GetRowCount(); ++r)
            if (table.IsSelected(r))
                rows.push_back(r);
        return rows;
    }

    CTable table;
    CRecorder listener;
    CSelection selection{table, listener};
};

TEST_F(SelectionTest, MultipleModeRules) {
    const unsigned S = CLICK_SHIFT, C = CLICK_CONTROL;
    // the row clicked, the flags, the rows selected after, the anchor, whether the listener is asked (and the
    // click changes the selection)
    const std::tuple<int, unsigned, std::vector<int>, int, bool> steps[] = {
        {3, 0, {3}, 3, true},
        {3, 0, {3}, 3, false}, // a plain click on the only selected row changes nothing
        {7, S, {3, 4, 5, 6, 7}, 3, true},
        {7, S, {3, 4, 5, 6, 7}, 3, false}, // exactly the range already
        {5, C, {3, 4, 6, 7}, 5, true},
        {9, S | C, {3, 4}, 5, true}, // rows 5..9 take row 5's state
        {8, S | C, {3, 4}, 5, false},
        {1, C, {1, 3, 4}, 1, true},
        {6, 0, {6}, 6, true},
        {20, 0, {6}, 6, false}, // an invalid row
    };
    for (const auto& [row, flags, selected, anchor, asks] : steps) {
        listener.asked.clear();
        EXPECT_EQ(selection.ApplyClick(flags, row), asks) << "row " << row << " flags " << flags;
        EXPECT_EQ(Selected(), selected) << "row " << row << " flags " << flags;
        EXPECT_EQ(selection.GetAnchor(), anchor) << "row " << row;
        EXPECT_EQ(!listener.asked.empty(), asks) << "row " << row << " flags " << flags;
    }
}

TEST_F(SelectionTest, CancelledClickKeepsSelectionAndAnchorSingleModeIgnoresModifiers) {
    selection.ApplyClick(0, 2);
    listener.cancel = true;
    EXPECT_FALSE(selection.ApplyClick(CLICK_SHIFT, 6));
    EXPECT_EQ(Selected(), std::vector<int>{2});
    EXPECT_EQ(selection.GetAnchor(), 2);
    EXPECT_EQ(listener.changed, std::vector<int>{2});

    listener.cancel = false;
    selection.SetMode(CSelection::MODE_SINGLE);
    EXPECT_TRUE(Selected().empty());
    selection.ApplyClick(CLICK_SHIFT | CLICK_CONTROL, 9);
    selection.ApplyClick(CLICK_CONTROL, 4);
    EXPECT_EQ(Selected(), std::vector<int>{4});
    // The anchor is clamped to the last row when rows go.
    selection.SetMode(CSelection::MODE_MULTIPLE);
    selection.ApplyClick(0, 11);
    table.DeleteRow(11);
    EXPECT_EQ(selection.GetAnchor(), 10);
}

TEST_F(SelectionTest, CursorFollowsItsRecordThroughSorting) {
    CCurrentCell cursor(table);
    cursor.SetRow(2); // "r2", number 10
    table.Sort(CSortKeys{testsupport::COL_INT, SORT_ASCENDING});
    EXPECT_EQ(cursor.Row(), 9);
    cursor.SetRow(50);
    EXPECT_EQ(cursor.Row(), 11) << "clamped to the last row";
    cursor.SetMode(CCurrentCell::MODE_NONE);
    EXPECT_EQ(cursor.Row(), -1);
    cursor.SetMode(CCurrentCell::MODE_ROW);
    table.DeleteRow(11);
    EXPECT_EQ(cursor.Row(), -1) << "its record is gone";
}

} // namespace
