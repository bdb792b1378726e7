#include "table/model/Format.h"

#include <gtest/gtest.h>

using namespace Tabra;

namespace {

SNumberSettings Settings(unsigned digits = 0, unsigned grouping = 3, const char* decimalSep = ".",
                         const char* thousandSep = ",", unsigned negativeOrder = 1, bool leadingZero = true) {
    SNumberSettings settings;
    settings.digits = digits;
    settings.grouping = grouping;
    settings.decimalSep = decimalSep;
    settings.thousandSep = thousandSep;
    settings.negativeOrder = negativeOrder;
    settings.leadingZero = leadingZero;
    return settings;
}

} // namespace

// The same cases hold for the Windows formatter and for the portable one.
TEST(NumberFormat, FormatsLikeTheWindowsNumberFormat) {
    struct Case {
        const char* number;
        SNumberSettings settings;
        const char* expected;
    } cases[] = {
        {"1234567", Settings(), "1,234,567"},
        {"-1234567", Settings(), "-1,234,567"},
        {"123", Settings(), "123"},
        {"1234", Settings(2, 3, ",", "."), "1.234,00"},
        {"1234567", Settings(0, 32), "12,34,567"},
        {"1234567", Settings(0, 30), "1234,567"},
        {"1234567", Settings(0, 0), "1234567"},
        {"-42", Settings(0, 3, ".", ",", 0), "(42)"},
        {"-42", Settings(0, 3, ".", ",", 2), "- 42"},
        {"-42", Settings(0, 3, ".", ",", 3), "42-"},
        {"-42", Settings(0, 3, ".", ",", 4), "42 -"},
        {"0.5", Settings(1, 3, ".", ",", 1, false), ".5"},
        {"0.5", Settings(1), "0.5"},
        {"2.25", Settings(1), "2.3"},
        {"9.96", Settings(1), "10.0"},
        {"0", Settings(), "0"},
        {"1000", Settings(0, 3, ".", "'"), "1'000"},
        {"12a", Settings(), ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatNumber(c.number, c.settings), c.expected)
            << "'" << c.number << "' grouping " << c.settings.grouping;
}

TEST(Format, PaddingByAlignment) {
    const std::tuple<int, int, const char*, const char*> cases[] = {
        {ALIGN_LEFT, 5, "ab", "ab..."},    {ALIGN_RIGHT, 5, "ab", "...ab"}, {ALIGN_CENTER, 5, "ab", ".ab.."},
        {ALIGN_CENTER, 6, "ab", "..ab.."}, {ALIGN_LEFT, 2, "abc", "abc"},   {ALIGN_RIGHT, 0, "ab", "ab"},
        {ALIGN_RIGHT, 3, "", "..."},
    };
    for (const auto& [alignment, width, text, expected] : cases) {
        CFormat format;
        format.alignment = alignment;
        format.width = width;
        format.pad = '.';
        EXPECT_EQ(format.Pad(text), expected) << alignment << " " << width << " " << text;
    }
}

TEST(Format, EmptyValueText) {
    CFormat format;
    EXPECT_FALSE(format.IsEmpty(""));
    EXPECT_EQ(format.Color(""), kNoColor);
    format.emptySpecial = true;
    EXPECT_TRUE(format.IsEmpty(""));
    EXPECT_TRUE(format.IsEmpty(nullptr));
    EXPECT_FALSE(format.IsEmpty(" "));
    EXPECT_EQ(format.Color(nullptr), 0xA9A9A9u);
    EXPECT_EQ(format.Color("x"), kNoColor);
}

TEST(Format, IntegerTextAndColour) {
    SLocale locale{Settings(2, 3, ".", ",", 0)};
    CIntFormat format(true);
    format.SetLocale(&locale);
    EXPECT_EQ(format.number.digits, 0u);
    EXPECT_EQ(format.Format(-1234), "(1,234)");
    EXPECT_EQ(format.Color(-1), 0x0000FFu);
    EXPECT_EQ(format.Color(0), kNoColor);
    format.emptySpecial = true;
    format.emptyText = "-";
    EXPECT_EQ(format.Format(0), "-");
    EXPECT_EQ(format.Color(0), 0xA9A9A9u);
    format.width = 8;
    format.alignment = ALIGN_RIGHT;
    EXPECT_EQ(format.Format(12345), "  12,345");

    CIntFormat plain(false);
    plain.SetLocale(&locale);
    EXPECT_EQ(plain.Color(-1), kNoColor);
}
