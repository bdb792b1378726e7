#include "TestTable.h"
#include "table/model/CellFactory.h"
#include "table/model/Format.h"
#include "table/model/Locale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

using namespace Tabra;
using namespace testsupport;

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

} // namespace

// Copies of every type are covered by the table's row copies.
TEST(Cells, RelationsNullTextsNumbersWithoutTextAndBoolsOfZeroOrOne) {
    for (const auto& [a, b, expected] : {std::tuple{"Server", "SERVER", kEqual},
                                         {"abc", "ABD", kLess},
                                         {"B", "a", kGreater},
                                         {"abc", "ab", kGreater}})
        EXPECT_EQ(Relate(Text(a), Text(b)), expected) << a << " / " << b;
    EXPECT_EQ(Relate(Int(-5), Int(3)), kLess);
    EXPECT_EQ(Relate(Int(std::numeric_limits<int>::max()), Int(std::numeric_limits<int>::min())), kGreater);
    CDBool off, on;
    on.SetInt(-7);
    EXPECT_EQ(Relate(off, on), kLess);
    EXPECT_EQ(Relate(on, on), kEqual);
    CDString text = Text("hello");
    text.SetText(nullptr);
    EXPECT_STREQ(text.GetText(), "");
    EXPECT_EQ(Int(12).GetText(), nullptr);
    CDBool flag;
    flag.SetInt(42);
    EXPECT_EQ(std::make_pair(flag.GetInt(), flag.GetBool()), std::make_pair(1, true));
}

TEST(Cells, SetDoubleTruncatesTowardZeroAndSaturates) {
    const int maxInt = std::numeric_limits<int>::max(), minInt = std::numeric_limits<int>::min();
    const std::pair<double, int> cases[] = {
        {2.9, 2},        {-2.9, -2},        {0.0, 0},  {1e12, maxInt},
        {-1e12, minInt}, {std::nan(""), 0}, {-0.5, 0}, {2147483646.7, 2147483646}};
    for (const auto& [value, expected] : cases) {
        CDInt cell;
        cell.SetDouble(value);
        EXPECT_EQ(cell.GetInt(), expected) << value;
    }
}

TEST(Locale, PrefixCollationIgnoresCase) {
    for (auto [a, b, count] : {std::tuple{"PlayerOne", "play", 4}, {"ab", "ABC", 2}, {"x", "y", 0}})
        EXPECT_EQ(CollateNoCasePrefix(a, b, count), 0) << a << " " << b;
    for (auto [a, b, count] : {std::tuple{"PlayerOne", "plax", 4}, {"ab", "ABC", 3}})
        EXPECT_NE(CollateNoCasePrefix(a, b, count), 0) << a << " " << b;
}

// The same cases hold for the Windows formatter and for the portable one.
TEST(NumberFormat, FormatsLikeTheWindowsNumberFormat) {
    // number, digits after the separator, grouping, negative order, the text with "." and ","
    const std::tuple<const char*, unsigned, unsigned, unsigned, const char*> cases[] = {
        {"1234567", 0, 3, 1, "1,234,567"},
        {"-1234567", 0, 3, 1, "-1,234,567"},
        {"123", 0, 3, 1, "123"},
        {"1234567", 0, 32, 1, "12,34,567"},
        {"1234567", 0, 30, 1, "1234,567"},
        {"1234567", 0, 0, 1, "1234567"},
        {"-42", 0, 3, 0, "(42)"},
        {"-42", 0, 3, 2, "- 42"},
        {"-42", 0, 3, 3, "42-"},
        {"-42", 0, 3, 4, "42 -"},
        {"0.5", 1, 3, 1, "0.5"},
        {"2.25", 1, 3, 1, "2.3"},
        {"9.96", 1, 3, 1, "10.0"},
        {"0", 0, 3, 1, "0"},
        {"12a", 0, 3, 1, ""}};
    for (const auto& [number, digits, grouping, negativeOrder, expected] : cases) {
        const SNumberSettings settings{digits, true, grouping, ".", ",", negativeOrder};
        EXPECT_EQ(FormatNumber(number, settings), expected) << "'" << number << "' grouping " << grouping;
    }
    EXPECT_EQ(FormatNumber("1234", {2, true, 3, ",", "."}), "1.234,00");
    EXPECT_EQ(FormatNumber("1000", {0, true, 3, ".", "'"}), "1'000");
    EXPECT_EQ(FormatNumber("0.5", {1, false}), ".5");
}

TEST(Format, PaddingByAlignmentAndTheColourOfEmptyTexts) {
    const std::tuple<int, int, const char*, const char*> cases[] = {
        {ALIGN_LEFT, 5, "ab", "ab..."},    {ALIGN_RIGHT, 5, "ab", "...ab"}, {ALIGN_CENTER, 5, "ab", ".ab.."},
        {ALIGN_CENTER, 6, "ab", "..ab.."}, {ALIGN_LEFT, 2, "abc", "abc"},   {ALIGN_RIGHT, 0, "ab", "ab"},
        {ALIGN_RIGHT, 3, "", "..."}};
    CFormat format;
    format.pad = '.';
    for (const auto& [alignment, width, text, expected] : cases) {
        format.alignment = alignment;
        format.width = width;
        EXPECT_EQ(format.Pad(text), expected) << alignment << " " << width << " " << text;
    }
    EXPECT_EQ(format.Color(""), kNoColor) << "not special unless asked";
    format.emptySpecial = true;
    EXPECT_EQ(std::make_tuple(format.Color(""), format.Color(nullptr), format.Color(" ")),
              std::make_tuple(format.emptyColor, format.emptyColor, kNoColor));
}

TEST(Format, IntegerTextAndColour) {
    SLocale locale{{2, true, 3, ".", "'", 0}}; // unlike the default settings, so that they show
    CIntFormat format(true), plain(false);
    format.SetLocale(&locale);
    EXPECT_EQ(std::make_tuple(format.GetLocale(), format.number.digits, plain.number.digits),
              std::make_tuple(&locale, 0u, 0u));
    EXPECT_EQ(format.Format(-1234), "(1'234)");
    EXPECT_EQ(std::make_tuple(format.Color(-1), format.Color(0), plain.Color(-1)),
              std::make_tuple(0x0000FFu, kNoColor, kNoColor));
    format.emptySpecial = true;
    format.emptyText = "-";
    EXPECT_EQ(format.Format(0), "-");
    EXPECT_EQ(format.Color(0), 0xA9A9A9u);
    format.width = 8;
    format.alignment = ALIGN_RIGHT;
    EXPECT_EQ(format.Format(12345), "  12'345");
}
