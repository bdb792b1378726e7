#include "win/FileDialog.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

TEST(FileFilter, BarsBecomeNulsAndTheListEndsWithTwo) {
    const std::pair<const char*, std::string> cases[] = {
        {"Html Dateien (*.html)|*.html|Alle Dateien (*.*)|*.*||",
         "Html Dateien (*.html)\0*.html\0Alle Dateien (*.*)\0*.*\0\0"s},
        {"Text|*.txt", "Text\0*.txt\0\0"s},
        {"Text|*.txt|", "Text\0*.txt\0\0"s},
        {"", "\0\0"s},
        {nullptr, "\0\0"s}};
    for (const auto& [filter, result] : cases)
        EXPECT_EQ(win::MakeFileFilter(filter), result) << (filter ? filter : "null");
}

} // namespace
