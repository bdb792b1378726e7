#include "TestTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace Tabra;
using namespace testsupport;

namespace {

using Keys = std::vector<SSortKey>;

// A cell as text that orders as the column does: lower-cased text, a number as digits of equal length.
std::string Value(const CRow* row, int column) {
    std::string text = column == COL_TEXT ? row->Cell(column)->GetString()
                                          : std::to_string(5000000 + row->Cell(column)->GetInt());
    std::transform(text.begin(), text.end(), text.begin(), [](char c) { return char(tolower(c)); });
    return text;
}

std::vector<const CRow*> RowsOf(const CTable& table) {
    std::vector<const CRow*> rows;
    for (int i = 0; i < table.GetRowCount(); ++i)
        rows.push_back(table.GetRow(i));
    return rows;
}

// The reference order, from the cell values alone.
bool Before(const CRow* a, const CRow* b, const CSortKeys& keys) {
    for (const SSortKey& key : keys) {
        const std::string x = Value(a, key.column), y = Value(b, key.column);
        if (x != y)
            return (x < y) != (key.direction == SORT_DESCENDING);
    }
    return false;
}

// Sorts table and checks the order against the reference; no keys keep the order; every row stays.
void ExpectSorted(CTable& table, const CSortKeys& keys) {
    std::vector<const CRow*> before = RowsOf(table);
    table.Sort(keys);
    std::vector<const CRow*> rows = RowsOf(table);
    if (keys.IsEmpty()) {
        EXPECT_EQ(rows, before);
    }
    for (size_t i = 1; i < rows.size(); ++i)
        ASSERT_FALSE(Before(rows[i], rows[i - 1], keys)) << "row " << i << " of " << rows.size();
    std::sort(rows.begin(), rows.end());
    std::sort(before.begin(), before.end());
    EXPECT_EQ(rows, before) << "every row once";
}

} // namespace

TEST(SortKeys, ConstructionQueriesAndChanges) {
    const std::pair<CSortKeys, Keys> cases[] = {
        {{4, 0, -1}, {{4, 0}}},       {{4, 0, 2, 1, -1, 7, 0}, {{4, 0}, {2, 1}}},
        {{4, 2, 3, 1, -1}, {{3, 1}}}, {{-1}, {}},
        {{1, 0, 5}, {{1, 0}}},        {{1, 7, 2, 0}, {{2, 0}}},
    };
    for (const auto& [keys, expected] : cases)
        EXPECT_EQ(Keys(keys.begin(), keys.end()), expected);
    CSortKeys keys{3, 0, 1, 1, -1};
    EXPECT_EQ(std::make_tuple(keys.IndexOf(1), keys.IndexOf(9), keys.GetDirection(3), keys.GetDirection(9)),
              std::make_tuple(1, 2, int(SORT_ASCENDING), int(SORT_NONE)));

    // SetDirection when the position is -2, else InsertKey
    const std::tuple<int, int, int, Keys> changes[] = {{3, 1, -2, {{3, 1}, {1, 1}}},
                                                       {5, 0, -2, {{3, 0}, {1, 1}, {5, 0}}},
                                                       {3, 2, -2, {{1, 1}}},
                                                       {5, 2, -2, {{3, 0}, {1, 1}}},
                                                       {1, 0, 0, {{1, 0}, {3, 0}}},
                                                       {3, 1, -1, {{1, 1}, {3, 1}}},
                                                       {6, 1, 9, {{3, 0}, {1, 1}, {6, 1}}},
                                                       {1, 2, 0, {{3, 0}}}};
    for (const auto& [column, direction, position, expected] : changes) {
        CSortKeys changed = keys;
        position == -2 ? changed.SetDirection(column, direction)
                       : changed.InsertKey(column, direction, position);
        EXPECT_EQ(Keys(changed.begin(), changed.end()), expected)
            << column << " " << direction << " at " << position;
    }
}

// Random rows with many duplicates, so that secondary keys decide often, at sizes around the
// insertion-sort limit and far above it; then presorted, reversed and equal inputs.
TEST(Sort, MatchesAReferenceSort) {
    const CSortKeys keyLists[] = {{},
                                  {COL_TEXT, 0, -1},
                                  {COL_TEXT, 1, -1},
                                  {COL_INT, 1, COL_TEXT, 0, -1},
                                  {COL_BOOL, 0, COL_INT, 0, COL_TEXT, 1, -1},
                                  {COL_INT, 0, COL_BOOL, 1, -1}};
    const char* words[] = {"alpha", "Alpha", "beta", "BETA", "gamma", "delta", "", "Zulu", "zulu", "echo"};
    std::mt19937 random(1234);
    for (int size : {1, 2, 3, 16, 17, 18, 100, 1000, 5000}) {
        for (const CSortKeys& keys : keyLists) {
            CTable table;
            DeclareColumns(table);
            for (int i = 0; i < size; ++i)
                AddRow(table, words[random() % 10], int(random() % 7) - 3, random() % 2 != 0);
            ExpectSorted(table, keys);
        }
    }
    for (int pattern = 0; pattern < 3; ++pattern) {
        CTable table;
        DeclareColumns(table);
        for (int i = 0; i < 3000; ++i)
            AddRow(table, "", pattern == 0 ? i : pattern == 1 ? 3000 - i : 7);
        ExpectSorted(table, {COL_INT, SORT_ASCENDING, -1});
    }
}
