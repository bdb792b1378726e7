#include "base/TextUtil.h"

#include <gtest/gtest.h>

using base::GetField;
using base::LowerCopy;
using base::TrimText;

TEST(TextUtil, GetFieldSplitsAtEverySeparator) {
    struct Case {
        const char* text;
        int index;
        const char* field;
    } cases[] = {
        {"one;two;;four", 0, "one"},  {"one;two;;four", 1, "two"}, {"one;two;;four", 2, ""},
        {"one;two;;four", 3, "four"}, {"one;two;;four", 4, ""},    {"one;two;;four", -1, ""},
        {";lead", 1, "lead"},         {"trail;", 1, ""},           {"", 0, ""},
        {"a;b", 2147483647, ""}, // returns at once, not after 2^31 steps
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetField(c.text, ';', c.index), c.field) << c.text << " #" << c.index;
}

TEST(TextUtil, TrimTextModes) {
    struct Case {
        const char* text;
        int mode;
        const char* result;
    } cases[] = {
        {"  both  ", 0, "both"},
        {"  both  ", 1, "  both"},
        {"  both  ", -1, "both  "},
        {" \t\r\n\v\f", 0, ""},
        {"", 0, ""},
        {"\tx\n", -5, "x\n"},
        {"\tx\n", 7, "\tx"},
    };
    for (const Case& c : cases) {
        std::string text = c.text;
        EXPECT_EQ(&TrimText(text, c.mode), &text);
        EXPECT_EQ(text, c.result) << "mode " << c.mode;
    }
}

TEST(TextUtil, LowerCopyLowersEveryByteUpToTheEnd) {
    EXPECT_EQ(LowerCopy(std::string("SV_Host\0B", 9)), std::string("sv_host\0b", 9));
}

TEST(TextUtil, ReadIntIsAtoiClampedToInt) {
    const std::pair<const char*, int> cases[] = {
        {"42", 42},
        {" -7x", -7},
        {"+3", 3},
        {"", 0},
        {"abc", 0},
        {"2147483647", 2147483647},
        {"2147483648", 2147483647},
        {"99999999999999999999", 2147483647},
        {"-99999999999999999999", -2147483647 - 1},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(base::ReadInt(text), value) << text;
}
