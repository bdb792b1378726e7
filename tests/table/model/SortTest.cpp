#include "TestTable.h"

#include "table/model/Enum.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

using namespace Tabra;
using namespace testsupport;

namespace {

using Keys = std::vector<SSortKey>;

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

// A cell as text that orders as the column does: lower-cased text, an integer from -3 to 3 as one letter.
std::string Value(const CRow* row, int column) {
    std::string text = row->Cell(COL_TEXT)->GetString();
    std::transform(text.begin(), text.end(), text.begin(), [](char c) { return char(tolower(c)); });
    const char* values[] = {text.c_str(), "", row->Cell(COL_BOOL)->GetBool() ? "1" : "0"};
    return column == COL_INT ? std::string(1, char('d' + row->Cell(COL_INT)->GetInt())) : values[column];
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

// The key values the rows show, in row order.
std::vector<std::string> KeySequence(const std::vector<const CRow*>& rows, const CSortKeys& keys) {
    std::vector<std::string> sequence;
    for (const CRow* row : rows) {
        sequence.emplace_back();
        for (const SSortKey& key : keys)
            sequence.back() += Value(row, key.column) + "|";
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

TEST(Sort, EmptyKeysKeepTheOrderAndASecondKeyDecidesBetweenRowsEqualInTheFirst) {
    CTable table;
    DeclareColumns(table);
    for (const char* text : {"b", "a", "c", "d"})
        AddRow(table, text, text[0] == 'c' ? 2 : text[0] == 'd' ? 0 : 1);
    table.Sort(CSortKeys());
    EXPECT_EQ(Texts(table), (std::vector<std::string>{"b", "a", "c", "d"}));
    table.Sort({COL_INT, SORT_DESCENDING, COL_TEXT, SORT_ASCENDING, -1});
    EXPECT_EQ(Texts(table), (std::vector<std::string>{"c", "a", "b", "d"}));
}

// Key combinations on random tables of sizes around the insertion-sort limit and far above it.
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
            std::stable_sort(reference.begin(), reference.end(),
                             [&keys](const CRow* a, const CRow* b) { return Before(a, b, keys); });
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
