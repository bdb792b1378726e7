#include "TestTable.h"

#include "table/model/Enum.h"
#include "table/model/RowSort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <tuple>

using namespace Tabra;
using namespace tabra_test;

namespace {

using Keys = std::vector<CSortKey>;

Keys KeysOf(const CSortKeys& keys) {
    return Keys(keys.begin(), keys.end());
}

// Random rows with many duplicates, so that secondary keys decide often.
void FillRandom(CTable& table, int rows, std::mt19937& random) {
    const char* words[] = {"alpha", "Alpha", "beta", "BETA", "gamma", "delta", "", "Zulu", "zulu", "echo"};
    std::uniform_int_distribution<int> word(0, 9);
    std::uniform_int_distribution<int> number(-3, 3);
    std::uniform_int_distribution<int> flag(0, 1);
    for (int i = 0; i < rows; ++i)
        AddRow(table, words[word(random)], number(random), flag(random) != 0);
}

// The key cells of a row, lower-cased text so that case-equal texts compare equal.
std::tuple<std::string, int, bool> KeyValues(const CRow* row) {
    std::string text = row->Cell(COL_TEXT)->GetString();
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return static_cast<char>(tolower(c)); });
    return {text, row->Cell(COL_INT)->GetInt(), row->Cell(COL_BOOL)->GetBool()};
}

// The sequence of key values the rows show, keeping only the columns named in the keys.
std::vector<std::tuple<std::string, int, bool>> KeySequence(const std::vector<const CRow*>& rows,
                                                            const CSortKeys& keys) {
    std::vector<std::tuple<std::string, int, bool>> sequence;
    for (const CRow* row : rows) {
        auto values = KeyValues(row);
        auto masked = std::tuple<std::string, int, bool>{};
        for (const CSortKey& key : keys) {
            if (key.column == COL_TEXT)
                std::get<0>(masked) = std::get<0>(values);
            if (key.column == COL_INT)
                std::get<1>(masked) = std::get<1>(values);
            if (key.column == COL_BOOL)
                std::get<2>(masked) = std::get<2>(values);
        }
        sequence.push_back(masked);
    }
    return sequence;
}

std::vector<const CRow*> RowsOf(const CTable& table) {
    std::vector<const CRow*> rows;
    for (int i = 0; i < table.GetRowCount(); ++i)
        rows.push_back(table.GetRow(i));
    return rows;
}

} // namespace

TEST(SortKeys, ConstructionSkipsNoSortPairsAndStopsAtANegativeColumn) {
    struct Case {
        CSortKeys keys;
        Keys expected;
    } cases[] = {
        {{4, 0, -1}, {{4, 0}}},       {{4, 0, 2, 1, -1, 7, 0}, {{4, 0}, {2, 1}}},
        {{4, 2, 3, 1, -1}, {{3, 1}}}, {{-1}, {}},
        {{1, 0, 5}, {{1, 0}}},        {{1, 7, 2, 0}, {{2, 0}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(KeysOf(c.keys), c.expected);
}

TEST(SortKeys, QueriesAndChanges) {
    CSortKeys keys{3, 0, 1, 1, -1};
    EXPECT_EQ(keys.IndexOf(1), 1);
    EXPECT_EQ(keys.IndexOf(9), 2);
    EXPECT_EQ(keys.GetDirection(3), SORT_ASCENDING);
    EXPECT_EQ(keys.GetDirection(9), SORT_NONE);

    struct Case {
        const char* what;
        void (*change)(CSortKeys&);
        Keys expected;
    } cases[] = {
        {"present keeps its place", [](CSortKeys& k) { k.SetDirection(3, 1); }, {{3, 1}, {1, 1}}},
        {"absent is appended", [](CSortKeys& k) { k.SetDirection(5, 0); }, {{3, 0}, {1, 1}, {5, 0}}},
        {"none removes", [](CSortKeys& k) { k.SetDirection(3, 2); }, {{1, 1}}},
        {"none on absent", [](CSortKeys& k) { k.SetDirection(5, 2); }, {{3, 0}, {1, 1}}},
        {"insert first", [](CSortKeys& k) { k.InsertKey(1, 0, 0); }, {{1, 0}, {3, 0}}},
        {"insert at end", [](CSortKeys& k) { k.InsertKey(3, 1, -1); }, {{1, 1}, {3, 1}}},
        {"insert past end", [](CSortKeys& k) { k.InsertKey(6, 1, 9); }, {{3, 0}, {1, 1}, {6, 1}}},
        {"insert none removes", [](CSortKeys& k) { k.InsertKey(1, 2, 0); }, {{3, 0}}},
    };
    for (const Case& c : cases) {
        CSortKeys changed = keys;
        c.change(changed);
        EXPECT_EQ(KeysOf(changed), c.expected) << c.what;
    }
}

TEST(Sort, EmptyKeyListKeepsTheOrder) {
    CTable table;
    DeclareColumns(table);
    for (const char* text : {"c", "a", "b"})
        AddRow(table, text);
    table.Sort(CSortKeys());
    EXPECT_EQ(Texts(table), (std::vector<std::string>{"c", "a", "b"}));
}

TEST(Sort, SecondKeyDecidesBetweenRowsEqualInTheFirst) {
    CTable table;
    DeclareColumns(table);
    AddRow(table, "b", 1);
    AddRow(table, "a", 1);
    AddRow(table, "c", 2);
    AddRow(table, "d", 0);
    table.Sort({COL_INT, SORT_DESCENDING, COL_TEXT, SORT_ASCENDING, -1});
    EXPECT_EQ(Texts(table), (std::vector<std::string>{"c", "a", "b", "d"}));
}

// Every key combination on random tables of sizes around the insertion-sort limit and far above it,
// against std::stable_sort with the same row order.
TEST(Sort, MatchesAReferenceSortOnRandomTables) {
    const CSortKeys keyLists[] = {
        {COL_TEXT, 0, -1},
        {COL_TEXT, 1, -1},
        {COL_INT, 1, COL_TEXT, 0, -1},
        {COL_BOOL, 0, COL_INT, 0, COL_TEXT, 1, -1},
        {COL_INT, 0, COL_BOOL, 1, -1},
    };
    std::mt19937 random(1234);
    for (int size : {1, 2, 3, 16, 17, 18, 100, 1000, 5000}) {
        for (const CSortKeys& keys : keyLists) {
            CTable table;
            DeclareColumns(table);
            FillRandom(table, size, random);
            std::vector<const CRow*> reference = RowsOf(table);
            std::stable_sort(reference.begin(), reference.end(), CRowOrder(table, keys));
            table.Sort(keys);
            std::vector<const CRow*> sorted = RowsOf(table);
            EXPECT_EQ(KeySequence(sorted, keys), KeySequence(reference, keys)) << "size " << size;
            std::sort(sorted.begin(), sorted.end());
            std::sort(reference.begin(), reference.end());
            EXPECT_EQ(sorted, reference) << "every row once";
        }
    }
}

TEST(Sort, PresortedReversedAndEqualInputs) {
    for (int pattern = 0; pattern < 3; ++pattern) {
        CTable table;
        DeclareColumns(table);
        for (int i = 0; i < 3000; ++i)
            AddRow(table, "", pattern == 0 ? i : pattern == 1 ? 3000 - i : 7);
        table.Sort({COL_INT, SORT_ASCENDING, -1});
        for (int i = 1; i < table.GetRowCount(); ++i)
            ASSERT_LE(table.GetCell(i - 1, COL_INT)->GetInt(), table.GetCell(i, COL_INT)->GetInt())
                << pattern;
    }
}

TEST(Sort, QuickSortOfPlainValuesMatchesStdSort) {
    std::mt19937 random(99);
    for (int size : {0, 1, 2, 15, 16, 17, 33, 257, 10000}) {
        std::vector<int> values(static_cast<size_t>(size));
        for (int& value : values)
            value = static_cast<int>(random() % 50);
        std::vector<int> expected = values;
        std::sort(expected.begin(), expected.end());
        QuickSort(values.data(), values.data() + values.size(), std::less<int>());
        EXPECT_EQ(values, expected) << size;
    }
}

TEST(Sort, EnumerationColumnSortsByEntryOrder) {
    CEnum teams("Spectating\nAllies\nAxis\n");
    teams.Get()->Add(7, "Before all", {}, -1, -5);
    CTable table;
    table.SetColumnCount(1);
    table.SetColumn(0, new CFAny<CDInt>, new CEnumCompare(teams.Get()));
    table.BuildLayout();
    for (int value : {2, 9, 0, 1, 7})
        table.AddRow()->Cell(0)->SetInt(value);
    table.Sort({0, SORT_ASCENDING, -1});
    std::vector<int> values;
    for (int row = 0; row < table.GetRowCount(); ++row)
        values.push_back(table.GetCell(row, 0)->GetInt());
    // 7 has order -5; the unknown 9 sorts as order 0, beside Spectating.
    EXPECT_EQ(values[0], 7);
    EXPECT_EQ(values[3], 1);
    EXPECT_EQ(values[4], 2);
    EXPECT_EQ(std::set<int>(values.begin() + 1, values.begin() + 3), (std::set<int>{0, 9}));
}
