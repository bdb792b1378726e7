#include "table/model/Enum.h"
#include "table/model/ColDef.h"
#include "table/model/Table.h"

#include <gtest/gtest.h>

#include <memory>

using namespace Tabra;

namespace {

std::vector<std::string> EntryTexts(const CEnum& e) {
    std::vector<std::string> texts;
    for (const SEnumEntry& entry : e.Get()->Entries())
        texts.push_back(entry.text);
    return texts;
}

} // namespace

TEST(Enum, EntriesFromTextSplitAtLineFeeds) {
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"one\ntwo", {"one", "two"}},
        {"one\ntwo\n", {"one", "two", ""}},
        {"", {""}},
        {"\n", {"", ""}},
    };
    for (const auto& [text, expected] : cases) {
        CEnum e(text);
        EXPECT_EQ(EntryTexts(e), expected) << text;
        int i = 0;
        for (const SEnumEntry& entry : e.Get()->Entries()) {
            EXPECT_EQ(std::make_tuple(entry.value, entry.order, entry.image, entry.text2),
                      std::make_tuple(i, i, i, std::string()));
            ++i;
        }
    }
}

TEST(Enum, StartValueAndAutomaticNumbers) {
    CEnum e("a\nb", 5);
    e.Get()->Add(20, "c", "long c", 7, 30);
    e.Get()->Add(CEnum::CInternalEnum::kAutomatic, "d");
    const auto& entries = e.Get()->Entries();
    EXPECT_EQ(entries[0].value, 5);
    EXPECT_EQ(entries[1].value, 6);
    EXPECT_EQ(entries[3].value, 21);
    EXPECT_EQ(entries[3].image, 8);
    EXPECT_EQ(entries[3].order, 31);
    EXPECT_EQ(e.Get()->Lookup(20).text2, "long c");
}

TEST(Enum, BisectionAfterSortingFindsEveryValueAndUnknownValuesFallBack) {
    CEnum e("");
    CEnum::CInternalEnum* entries = e.Get();
    for (int value = 20; value > 10; --value)
        entries->Add(value * 3, "v" + std::to_string(value * 3));
    ASSERT_EQ(entries->Entries().size(), 11u);
    for (int value = 11; value <= 20; ++value)
        EXPECT_EQ(entries->Lookup(value * 3).text, "v" + std::to_string(value * 3));
    EXPECT_EQ(entries->Lookup(0).text, "");
    EXPECT_EQ(entries->Entries().front().value, 0);
    for (int unknown : {31, -1, 1000}) {
        const SEnumEntry& entry = entries->Lookup(unknown);
        EXPECT_EQ(entry.text + entry.text2, "#Error##Error#");
        EXPECT_EQ(entry.image, -1);
        EXPECT_EQ(entry.order, 0);
    }
    // A twelfth entry below all others is found after the lookup sorts again.
    entries->Add(-4, "minus four");
    EXPECT_EQ(entries->Lookup(-4).text, "minus four");
    EXPECT_EQ(entries->Entries().front().value, -4);
}

TEST(Enum, CompareValuesUsesEntryOrder) {
    CEnum e("x\ny\nz");
    e.Get()->Add(10, "first", {}, -1, -1);
    CEnum::CInternalEnum* entries = e.Get();
    EXPECT_LT(entries->CompareValues(0, 2), 0);
    EXPECT_GT(entries->CompareValues(2, 1), 0);
    EXPECT_EQ(entries->CompareValues(0, 99), 0);
    EXPECT_GT(entries->CompareValues(10, 2), 0);
}

TEST(Enum, ReferencesKeepTheEnumerationAlive) {
    auto handle = std::make_unique<CEnum>("a\nb");
    CEnum::CInternalEnum* entries = handle->Get();
    auto column = std::make_unique<CEnumCol>(entries, ENUM_TEXT);
    std::unique_ptr<CCellCompare> compare(column->CreateCompare());
    std::unique_ptr<CCellCompare> clone(compare->Clone());
    EXPECT_EQ(entries->AddRef(), 5);
    EXPECT_EQ(entries->Release(), 4);
    handle.reset();
    column.reset();
    compare.reset();
    CDInt a, b;
    b.SetInt(1);
    EXPECT_LT(clone->Compare(&a, &b), 0);
    EXPECT_EQ(entries->AddRef(), 2);
    EXPECT_EQ(entries->Release(), 1);
}

TEST(Enum, FillTableAddsOneRowPerEntry) {
    CEnum e("a\nb\nc", 4);
    CTable table;
    table.AddColumn(new CFAny<CDInt>, new CCellCompare);
    table.BuildLayout();
    e.Get()->FillTable(&table);
    ASSERT_EQ(table.GetRowCount(), 3);
    EXPECT_EQ(table.GetCell(0, 0)->GetInt(), 4);
    EXPECT_EQ(table.GetCell(2, 0)->GetInt(), 6);
}

TEST(ColDef, ColumnTypesMakeTheirCellTypes) {
    CEnum teams("Spectating\nAllies\nAxis\n");
    const std::tuple<std::shared_ptr<CColDef>, int, bool> cases[] = {
        {std::make_shared<CStringCol>(kDrawLeft), static_cast<int>(sizeof(CDString)), true},
        {std::make_shared<CIntCol>(kDrawRight), static_cast<int>(sizeof(CDInt)), false},
        {std::make_shared<CBoolCol>(kDrawCenter, "yes", "no", true), static_cast<int>(sizeof(CDBool)), false},
        {std::make_shared<CEnumCol>(teams.Get(), ENUM_TEXT), static_cast<int>(sizeof(CDInt)), false},
    };
    for (const auto& [type, cellSize, text] : cases) {
        std::unique_ptr<CCellFactory> factory(type->CreateFactory());
        std::unique_ptr<CCellCompare> compare(type->CreateCompare());
        EXPECT_EQ(factory->CellSize(), cellSize);
        EXPECT_EQ(factory->Prototype()->GetText() != nullptr, text);
        EXPECT_NE(compare, nullptr);
    }
}

TEST(ColDef, EnumColumnDrawFlagsAndBoolTexts) {
    CEnum e("a");
    const int cases[][3] = {{ENUM_IMAGE, -1, kDrawCenter},
                            {ENUM_TEXT, -1, kDrawLeft},
                            {ENUM_IMAGE_AND_TEXT, -1, kDrawLeft},
                            {ENUM_IMAGE, kDrawRight, kDrawRight}};
    for (const auto& [mode, flags, expected] : cases)
        EXPECT_EQ(CEnumCol(e.Get(), mode, flags).drawFlags, expected) << mode;
    CBoolCol yesNo(kDrawCenter, "yes", "no", true);
    EXPECT_EQ(yesNo.Text(CBoolCol::STATE_FALSE) + yesNo.Text(CBoolCol::STATE_TRUE), "noyes");
    EXPECT_EQ(yesNo.Text(CBoolCol::STATE_UNDETERMINED), "");
}
