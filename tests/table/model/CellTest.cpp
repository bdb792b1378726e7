#include "table/model/CellFactory.h"
#include "table/model/Locale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

using namespace Tabra;

namespace {

struct SRelations {
    bool less, lessEqual, greater, greaterEqual, equal, notEqual;
    bool operator==(const SRelations&) const = default;
};

SRelations Relate(const CCellData& a, const CCellData& b) {
    return {a.IsLess(&b),         a.IsLessEqual(&b), a.IsGreater(&b),
            a.IsGreaterEqual(&b), a.IsEqual(&b),     a.IsNotEqual(&b)};
}

const SRelations kLess{true, true, false, false, false, true};
const SRelations kEqual{false, true, false, true, true, false};
const SRelations kGreater{false, false, true, true, false, true};

CDString Text(const char* text) {
    CDString cell;
    cell.SetText(text);
    return cell;
}

CDInt Int(int value) {
    CDInt cell;
    cell.SetInt(value);
    return cell;
}

} // namespace

TEST(Cells, SRelations) {
    const std::tuple<const char*, const char*, SRelations> texts[] = {
        {"Server", "SERVER", kEqual},
        {"abc", "ABD", kLess},
        {"B", "a", kGreater},
        {"", "a", kLess},
        {"", "", kEqual},
        {"abc", "ab", kGreater},
    };
    for (const auto& [a, b, expected] : texts)
        EXPECT_EQ(Relate(Text(a), Text(b)), expected) << a << " / " << b;
    EXPECT_EQ(Relate(Int(-5), Int(3)), kLess);
    EXPECT_EQ(Relate(Int(3), Int(3)), kEqual);
    EXPECT_EQ(Relate(Int(std::numeric_limits<int>::max()), Int(std::numeric_limits<int>::min())), kGreater);
    CDBool off, on;
    on.SetInt(-7);
    EXPECT_EQ(Relate(off, on), kLess);
    EXPECT_EQ(Relate(on, on), kEqual);
}

TEST(Cells, ValuesAndUnsupportedOperations) {
    CDString text = Text("hello");
    text.SetInt(5);
    text.SetText(nullptr);
    EXPECT_STREQ(text.GetText(), "");
    EXPECT_EQ(text.GetInt(), 0);
    EXPECT_TRUE(text.NeedsCleanup());

    CDInt number = Int(12);
    number.SetText("99");
    EXPECT_EQ(number.GetInt(), 12);
    EXPECT_EQ(number.GetText(), nullptr);
    EXPECT_EQ(number.GetString(), "");
    EXPECT_FALSE(number.NeedsCleanup());

    CDBool flag;
    flag.SetInt(42);
    EXPECT_EQ(flag.GetInt(), 1);
    EXPECT_TRUE(flag.GetBool());
    flag.SetBool(false);
    EXPECT_EQ(flag.GetInt(), 0);
    EXPECT_EQ(flag.GetDouble(), 0.0);

    CDString longText = Text("a text long enough to need its own allocation");
    text.Assign(&longText);
    EXPECT_EQ(text.GetString(), longText.GetString());
    CDInt other = Int(-8);
    number.Assign(&other);
    EXPECT_EQ(number.GetInt(), -8);
}

TEST(Cells, SetDoubleTruncatesTowardZeroAndSaturates) {
    const int maxInt = std::numeric_limits<int>::max(), minInt = std::numeric_limits<int>::min();
    const std::pair<double, int> cases[] = {
        {2.9, 2},        {-2.9, -2},        {0.0, 0},  {1e12, maxInt},
        {-1e12, minInt}, {std::nan(""), 0}, {-0.5, 0}, {2147483646.7, 2147483646},
    };
    for (const auto& [value, expected] : cases) {
        CDInt cell;
        cell.SetDouble(value);
        EXPECT_EQ(cell.GetInt(), expected) << value;
    }
}

TEST(Cells, CompareAndFactories) {
    CCellCompare compare;
    CDString a = Text("a");
    CDString b = Text("B");
    CDString upper = Text("A");
    EXPECT_EQ(compare.Compare(&a, &b), -1);
    EXPECT_EQ(compare.Compare(&b, &a), 1);
    EXPECT_EQ(compare.Compare(&a, &upper), 0);

    CFAny<CDString> factory;
    factory.Prototype()->SetText("changed");
    std::unique_ptr<CCellFactory> clone(factory.Clone());
    EXPECT_STREQ(clone->Prototype()->GetText(), "");
    EXPECT_EQ(clone->CellSize(), static_cast<int>(sizeof(CDString)));
    std::unique_ptr<CCellCompare> compareClone(compare.Clone());
    EXPECT_EQ(compareClone->Compare(&b, &a), 1);
}

TEST(Locale, PrefixCollationIgnoresCase) {
    EXPECT_EQ(CollateNoCasePrefix("PlayerOne", "play", 4), 0);
    EXPECT_NE(CollateNoCasePrefix("PlayerOne", "plax", 4), 0);
    EXPECT_EQ(CollateNoCasePrefix("ab", "ABC", 2), 0);
    EXPECT_NE(CollateNoCasePrefix("ab", "ABC", 3), 0);
    EXPECT_EQ(CollateNoCasePrefix("x", "y", 0), 0);
}
