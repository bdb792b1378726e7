#include "table/model/Enum.h"
#include "TestTable.h"
#include "table/model/ColDef.h"
#include "table/model/Table.h"

#include <gtest/gtest.h>

#include <memory>
#include <tuple>
#include <typeinfo>

using namespace Tabra;
using namespace testsupport;

TEST(Enum, EntriesFromTextSplitAtLineFeedsNumberedFromTheStartValue) {
    for (auto [text, start, expected] : {std::tuple{"one\ntwo", 0, "one@0 two@1 "},
                                         {"one\ntwo\n", 5, "one@5 two@6 @7 "},
                                         {"", 0, "@0 "},
                                         {"\n", -2, "@-2 @-1 "}}) {
        CEnum e(text, start);
        std::string entries;
        for (const SEnumEntry& entry : e.Get()->Entries()) {
            entries += entry.text + "@" + std::to_string(entry.value) + " ";
            EXPECT_EQ(std::make_tuple(entry.order, entry.image, entry.text2),
                      std::make_tuple(entry.value - start, entry.value - start, std::string()));
        }
        EXPECT_EQ(entries, expected);
    }
}

TEST(Enum, AutomaticNumbersFollowTheLastEntryAndTheTableGetsOneRowPerEntry) {
    CEnum e("a\nb", 5);
    e.Get()->Add(20, "c", "long c", 7, 30);
    e.Get()->Add(CEnum::CInternalEnum::kAutomatic, "d");
    CTable table;
    table.AddColumn(new CFAny<CDInt>, new CCellCompare);
    table.BuildLayout();
    e.Get()->FillTable(&table);
    std::vector<int> values;
    for (int row = 0; row < table.GetRowCount(); ++row)
        values.push_back(table.GetCell(row, 0)->GetInt());
    EXPECT_EQ(values, (std::vector<int>{5, 6, 20, 21}));
    EXPECT_EQ(std::tie(e.Get()->Entries()[3].image, e.Get()->Entries()[3].order), std::make_tuple(8, 31));
    EXPECT_EQ(e.Get()->Lookup(20).text2, "long c");
}

TEST(Enum, BisectionAfterSortingFindsEveryValueAndUnknownValuesFallBack) {
    CEnum e("");
    CEnum::CInternalEnum* entries = e.Get();
    for (int value = 20; value > 10; --value)
        entries->Add(value * 3, "v" + std::to_string(value * 3));
    for (int value = 11; value <= 20; ++value)
        EXPECT_EQ(entries->Lookup(value * 3).text, "v" + std::to_string(value * 3));
    EXPECT_EQ(entries->Lookup(0).text, "");
    for (int unknown : {31, -1, 1000}) {
        const SEnumEntry& entry = entries->Lookup(unknown);
        EXPECT_EQ(std::tie(entry.text, entry.text2, entry.image, entry.order),
                  std::make_tuple("#Error#", "#Error#", -1, 0));
    }
    // A twelfth entry below all others is found after the lookup sorts again.
    entries->Add(-4, "minus four");
    EXPECT_EQ(entries->Lookup(-4).text, "minus four");
}

// The comparer answers the order of a's entry minus b's; an unknown value has order 0.
TEST(Enum, ComparerUsesEntryOrderAndReferencesKeepTheEnumerationAlive) {
    CEnum e("x\ny\nz");
    e.Get()->Add(10, "after z");
    e.Get()->Add(7, "before all", {}, -1, -5);
    CEnumCompare compare(e.Get());
    const int cases[][3] = {{0, 2, -2}, {2, 1, 1}, {0, 99, 0}, {10, 2, 1}, {7, 0, -5}, {99, 7, 5}};
    for (const auto& [a, b, expected] : cases) {
        const CDInt x = Int(a), y = Int(b);
        EXPECT_EQ(compare.Compare(&x, &y), expected) << a << " " << b;
    }
    auto handle = std::make_unique<CEnum>("a\nb");
    CEnum::CInternalEnum* entries = handle->Get();
    auto column = std::make_unique<CEnumCol>(entries, ENUM_TEXT);
    std::unique_ptr<CCellCompare> created(column->CreateCompare());
    std::unique_ptr<CCellCompare> clone(created->Clone());
    EXPECT_EQ(entries->AddRef(), 5);
    entries->Release();
    handle.reset();
    column.reset();
    created.reset();
    const CDInt zero = Int(0), one = Int(1);
    EXPECT_LT(clone->Compare(&zero, &one), 0);
    EXPECT_EQ(entries->AddRef(), 2);
    EXPECT_EQ(entries->Release(), 1);
}

TEST(ColDef, CellTypesDrawFlagsAndBoolTexts) {
    CEnum e("a");
    const std::tuple<std::shared_ptr<CColDef>, const std::type_info&> types[] = {
        {std::make_shared<CStringCol>(kDrawLeft), typeid(CDString)},
        {std::make_shared<CIntCol>(kDrawRight), typeid(CDInt)},
        {std::make_shared<CBoolCol>(kDrawCenter, "yes", "no", true), typeid(CDBool)},
        {std::make_shared<CEnumCol>(e.Get(), ENUM_TEXT), typeid(CDInt)}};
    for (const auto& [type, cell] : types)
        EXPECT_EQ(typeid(*std::unique_ptr<CCellFactory>(type->CreateFactory())->Prototype()), cell);
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
