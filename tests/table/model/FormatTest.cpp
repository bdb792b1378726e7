#include "table/model/Format.h"

#include <gtest/gtest.h>

using namespace Tabra;

namespace {

CNumberSettings Settings(unsigned digits, unsigned grouping, const char* decimalSep, const char* thousandSep,
                         unsigned negativeOrder, bool leadingZero = true) {
    CNumberSettings settings;
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
        CNumberSettings settings;
        const char* expected;
    } cases[] = {
        {"1234567", Settings(0, 3, ".", ",", 1), "1,234,567"},
        {"-1234567", Settings(0, 3, ".", ",", 1), "-1,234,567"},
        {"123", Settings(0, 3, ".", ",", 1), "123"},
        {"1234", Settings(2, 3, ",", ".", 1), "1.234,00"},
        {"1234567", Settings(0, 32, ".", ",", 1), "12,34,567"},
        {"1234567", Settings(0, 30, ".", ",", 1), "1234,567"},
        {"1234567", Settings(0, 0, ".", ",", 1), "1234567"},
        {"-42", Settings(0, 3, ".", ",", 0), "(42)"},
        {"-42", Settings(0, 3, ".", ",", 2), "- 42"},
        {"-42", Settings(0, 3, ".", ",", 3), "42-"},
        {"-42", Settings(0, 3, ".", ",", 4), "42 -"},
        {"0.5", Settings(1, 3, ".", ",", 1, false), ".5"},
        {"0.5", Settings(1, 3, ".", ",", 1, true), "0.5"},
        {"2.25", Settings(1, 3, ".", ",", 1), "2.3"},
        {"9.96", Settings(1, 3, ".", ",", 1), "10.0"},
        {"0", Settings(0, 3, ".", ",", 1), "0"},
        {"1000", Settings(0, 3, ".", "'", 1), "1'000"},
        {"12a", Settings(0, 3, ".", ",", 1), ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatNumber(c.number, c.settings), c.expected)
            << "'" << c.number << "' grouping " << c.settings.grouping;
}

TEST(Format, PaddingByAlignment) {
    struct Case {
        int alignment;
        int width;
        const char* text;
        const char* expected;
    } cases[] = {
        {ALIGN_LEFT, 5, "ab", "ab..."},    {ALIGN_RIGHT, 5, "ab", "...ab"}, {ALIGN_CENTER, 5, "ab", ".ab.."},
        {ALIGN_CENTER, 6, "ab", "..ab.."}, {ALIGN_LEFT, 2, "abc", "abc"},   {ALIGN_RIGHT, 0, "ab", "ab"},
        {ALIGN_RIGHT, 3, "", "..."},
    };
    for (const Case& c : cases) {
        CFormat format;
        format.alignment = c.alignment;
        format.width = c.width;
        format.pad = '.';
        EXPECT_EQ(format.Pad(c.text), c.expected) << c.alignment << " " << c.width << " " << c.text;
    }
}

TEST(Format, EmptyValueText) {
    CFormat format;
    EXPECT_FALSE(format.IsEmpty(""));
    EXPECT_EQ(format.Color(""), NO_COLOR);
    format.emptySpecial = true;
    EXPECT_TRUE(format.IsEmpty(""));
    EXPECT_TRUE(format.IsEmpty(nullptr));
    EXPECT_FALSE(format.IsEmpty(" "));
    EXPECT_EQ(format.Color(nullptr), 0xA9A9A9u);
    EXPECT_EQ(format.Color("x"), NO_COLOR);
}

TEST(Format, IntegerTextAndColour) {
    CLocale locale{Settings(2, 3, ".", ",", 0)};
    CIntFormat format(true);
    format.SetLocale(&locale);
    EXPECT_EQ(format.number.digits, 0u);
    EXPECT_EQ(format.Format(-1234), "(1,234)");
    EXPECT_EQ(format.Color(-1), 0x0000FFu);
    EXPECT_EQ(format.Color(0), NO_COLOR);
    format.emptySpecial = true;
    format.emptyText = "-";
    EXPECT_EQ(format.Format(0), "-");
    EXPECT_EQ(format.Color(0), 0xA9A9A9u);
    format.width = 8;
    format.alignment = ALIGN_RIGHT;
    EXPECT_EQ(format.Format(12345), "  12,345");

    CIntFormat plain(false);
    plain.SetLocale(&locale);
    EXPECT_EQ(plain.Color(-1), NO_COLOR);
}
