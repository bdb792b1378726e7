#include "table/model/Layout.h"
#include "table/model/Appearance.h"

#include <gtest/gtest.h>

using namespace Tabra;

namespace {

SColumnSet ServerAndPing() {
    return SColumnSet({{"Server", 120, true}, {"Ping", 40, true}});
}

} // namespace

TEST(Layout, ChecksumRunsFromTheLastHeaderToTheFirst) {
    // h = h * 33 + c over "Ping", then "Server", modulo 2^16.
    EXPECT_EQ(HeaderChecksum(ServerAndPing()), 64453);
    EXPECT_EQ(HeaderChecksum(SColumnSet({{"Ping", 0, true}, {"Server", 0, true}})), 3269);
    EXPECT_EQ(HeaderChecksum(SColumnSet()), 0);
    EXPECT_EQ(HeaderChecksum(SColumnSet({{"\xE9", 0, true}})), 65513); // a signed character
    EXPECT_EQ(HeaderChecksum(SColumnSet({{"Server\nSecond", 0, true}, {"Ping", 0, true}})), 64453);
}

TEST(Layout, WordsOfATable) {
    SColumnSet set = ServerAndPing();
    set.order = {1, 0};
    set.columns[1].visible = false;
    CWordArray words = {9, 9};
    GetLayout(set, words);
    EXPECT_EQ(words, (CWordArray{2, 64453, 2, 120, 0, 1, 1, 40, 0, 0, 0}));

    std::vector<SColumnState> twelve(12, SColumnState{"C", 10, true});
    GetLayout(SColumnSet(twelve), words);
    EXPECT_EQ(words.size(), 51u);
}

TEST(Layout, RoundTripRestoresWidthsVisibilityAndOrder) {
    SColumnSet saved({{"A", 10, true}, {"B", 20, false}, {"C", 70000, true}, {"", 5, false}});
    saved.order = {2, 0, 3, 1};
    CWordArray words;
    GetLayout(saved, words);
    SColumnSet restored({{"A", 1, false}, {"B", 1, true}, {"C", 1, false}, {"", 1, true}});
    ASSERT_TRUE(SetLayout(restored, words));
    EXPECT_EQ(restored.order, saved.order);
    EXPECT_EQ(restored.columns[0].width, 10);
    EXPECT_EQ(restored.columns[2].width, 70000 & 0xFFFF);
    EXPECT_TRUE(restored.columns[0].visible);
    EXPECT_FALSE(restored.columns[1].visible);
    EXPECT_TRUE(restored.columns[3].visible) << "a column without header keeps its state";
    EXPECT_EQ(restored.VisibleColumns(), (std::vector<int>{2, 0, 3}));
}

TEST(Layout, WidthsSavedAtAnotherDpiAreScaledOnLoad) {
    // saved dpi, loaded dpi, width, the stored dpi word, the width loaded
    const int cases[][5] = {
        {96, 192, 150, 0, 300}, {192, 96, 301, 192, 151}, {144, 144, 100, 144, 100}, {144, 96, 100, 144, 67}};
    for (const auto& [savedDpi, loadedDpi, width, dpiWord, expected] : cases) {
        SColumnSet saved = ServerAndPing(), loaded = ServerAndPing();
        saved.columns[0].width = width;
        saved.dpi = savedDpi;
        loaded.dpi = loadedDpi;
        CWordArray words;
        GetLayout(saved, words);
        EXPECT_EQ(words[4], dpiWord) << savedDpi;
        ASSERT_TRUE(SetLayout(loaded, words));
        EXPECT_EQ(loaded.columns[0].width, expected) << savedDpi << " -> " << loadedDpi;
    }
}

TEST(Layout, PositionWordsReorderTheDisplay) {
    SColumnSet set = ServerAndPing();
    CWordArray words{2, 64453, 2, 5000, 0, 1, 1, 3, 0, 1, 0};
    ASSERT_TRUE(SetLayout(set, words));
    EXPECT_EQ(set.order, (std::vector<int>{1, 0}));
    EXPECT_EQ(set.columns[0].width, 5000) << "stored widths are not clamped";
    EXPECT_EQ(set.columns[1].width, 3);
}

TEST(Layout, RejectionsChangeNothing) {
    const CWordArray good{2, 64453, 2, 100, 0, 0, 1, 50, 0, 1, 0};
    auto changed = [&good](size_t index, uint16_t value) {
        CWordArray words = good;
        words[index] = value;
        return words;
    };
    const std::pair<const char*, CWordArray> cases[] = {
        {"empty", {}},
        {"two words", {2, 64453}},
        {"format", changed(0, 1)},
        {"checksum", changed(1, 64454)},
        {"count", changed(2, 3)},
        {"short", CWordArray(good.begin(), good.end() - 1)},
        {"header only", {2, 64453, 2}},
        {"position out of range", changed(6, 2)},
        {"position used twice", changed(10, 1)},
    };
    for (const auto& [what, words] : cases) {
        SCOPED_TRACE(what);
        SColumnSet set = ServerAndPing();
        EXPECT_FALSE(SetLayout(set, words));
        EXPECT_EQ(set.columns[0].width, 120);
        EXPECT_TRUE(set.columns[0].visible);
        EXPECT_EQ(set.order, (std::vector<int>{0, 1}));
    }
    SColumnSet set = ServerAndPing();
    EXPECT_TRUE(SetLayout(set, good));
    set.columns[0].header = "Servers";
    EXPECT_FALSE(SetLayout(set, good)) << "renamed header";
}

TEST(Appearance, ColourTexts) {
    const std::pair<const char*, ColorRef> cases[] = {
        {"F0FFF0", 0xF0FFF0}, {"FF0000", 0x0000FF},
        {"0000ff", 0xFF0000}, {"102030", 0x302010},
        {"F0FF", 0},          {"", 0},
        {"GG0000", 0},        {"12345678FF", 0x563412},
        {"1 2 3", 0x030201},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(ParseColor(text), expected) << text;
}

TEST(Appearance, DefaultsAndStoredValues) {
    SAppearance defaults = ParseAppearance({});
    EXPECT_EQ(defaults.horzGrid, 0);
    EXPECT_EQ(defaults.vertGrid, 1);
    EXPECT_TRUE(defaults.leparello);
    EXPECT_EQ(defaults.rowColor[0], 0xF0FFF0u);
    EXPECT_EQ(defaults.rowColor[1], 0xE0FFE0u);
    EXPECT_EQ(defaults.gridColor, 8429696u);
    EXPECT_EQ(defaults.gridWidth, 1);

    SAppearanceValues values;
    values.horzGrid = 2;
    values.leparello = 0;
    values.rowColor1 = "000000";
    values.gridColor = "FF0000";
    values.gridWidth = 3;
    SAppearance stored = ParseAppearance(values);
    EXPECT_EQ(stored.horzGrid, 2);
    EXPECT_EQ(stored.vertGrid, 1);
    EXPECT_FALSE(stored.leparello);
    EXPECT_EQ(stored.rowColor[0], 0xF0FFF0u);
    EXPECT_EQ(stored.rowColor[1], 0u);
    EXPECT_EQ(stored.gridColor, 0x0000FFu);
    EXPECT_EQ(stored.gridWidth, 3);
    values.gridColor = "red";
    EXPECT_EQ(ParseAppearance(values).gridColor, 0u);
}

TEST(Appearance, StoredLineWidthsAreClampedSoRowsStayDrawable) {
    SAppearanceValues values;
    values.horzGrid = 0xFFFFFFFFu; // -1 as an int
    values.vertGrid = 0x80000000u;
    values.gridWidth = 1000;
    SAppearance stored = ParseAppearance(values);
    EXPECT_EQ(stored.horzGrid, 16);
    EXPECT_EQ(stored.vertGrid, 16);
    EXPECT_EQ(stored.gridWidth, 16);
}
