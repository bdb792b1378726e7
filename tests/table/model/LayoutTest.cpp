#include "table/model/Layout.h"
#include "table/model/Appearance.h"

#include <gtest/gtest.h>

using namespace Tabra;

namespace {

SColumnSet ServerAndPing() {
    return SColumnSet({{"Server", 120, true}, {"Ping", 40, true}});
}

} // namespace

TEST(Layout, WordsAndTheChecksumFromTheLastHeaderToTheFirst) {
    // h = h * 33 + c over "Ping", then "Server", modulo 2^16.
    EXPECT_EQ(HeaderChecksum(ServerAndPing()), 64453);
    EXPECT_EQ(HeaderChecksum(SColumnSet({{"Ping", 0, true}, {"Server", 0, true}})), 3269);
    EXPECT_EQ(HeaderChecksum(SColumnSet({{"\xE9", 0, true}})), 65513); // a signed character
    EXPECT_EQ(HeaderChecksum(SColumnSet({{"Server\nSecond", 0, true}, {"Ping", 0, true}})), 64453);
    // The words of a table: format, checksum, count, then width, dpi, visibility and position per column.
    SColumnSet set = ServerAndPing();
    set.order = {1, 0};
    set.columns[1].visible = false;
    CWordArray words = {9, 9};
    GetLayout(set, words);
    EXPECT_EQ(words, (CWordArray{2, 64453, 2, 120, 0, 1, 1, 40, 0, 0, 0}));
}

TEST(Layout, RoundTripRestoresWidthsVisibilityAndOrder) {
    SColumnSet saved({{"A", 10, true}, {"B", 20, false}, {"C", 70000, true}, {"", 5, false}});
    saved.order = {2, 0, 3, 1};
    CWordArray words;
    GetLayout(saved, words);
    SColumnSet restored({{"A", 1, false}, {"B", 1, true}, {"C", 1, false}, {"", 1, true}});
    ASSERT_TRUE(SetLayout(restored, words));
    EXPECT_EQ(restored.order, saved.order);
    EXPECT_EQ(std::make_pair(restored.columns[0].width, restored.columns[2].width),
              std::make_pair(10, 70000 & 0xFFFF));
    // a column without header keeps its state
    EXPECT_EQ(std::make_tuple(restored.columns[0].visible, restored.columns[1].visible,
                              restored.columns[3].visible),
              std::make_tuple(true, false, true));
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

TEST(Layout, RejectionsChangeNothing) {
    const CWordArray good{2, 64453, 2, 100, 0, 0, 1, 50, 0, 1, 0};
    // the words kept from the front, then one word changed: format, checksum, count, position out of
    // range, position used twice
    const std::tuple<size_t, size_t, uint16_t> cases[] = {{0, 0, 0},  {2, 0, 0},  {3, 0, 0},
                                                          {10, 0, 0}, {11, 0, 1}, {11, 1, 64454},
                                                          {11, 2, 3}, {11, 6, 2}, {11, 10, 1}};
    for (const auto& [kept, index, value] : cases) {
        CWordArray words(good.begin(), good.begin() + static_cast<long>(kept));
        if (value != 0)
            words[index] = value;
        SColumnSet set = ServerAndPing();
        EXPECT_FALSE(SetLayout(set, words)) << kept << " " << index;
        EXPECT_EQ(std::make_tuple(set.columns[0].width, set.columns[0].visible, set.order),
                  std::make_tuple(120, true, std::vector<int>{0, 1}));
    }
    SColumnSet set = ServerAndPing();
    EXPECT_TRUE(SetLayout(set, good));
    set.columns[0].header = "Servers";
    EXPECT_FALSE(SetLayout(set, good)) << "renamed header";
}

TEST(Appearance, ColourTextsDefaultsStoredValuesAndLineWidthsClamped) {
    // The values stored (HorzGrid, VertGrid, Leparello, the two row colours, GridColor, GridWidth), then
    // the horizontal and vertical grid, alternating colours, the two row colours, grid colour and width;
    // 0xFFFFFFFF is -1 as an int.
    const std::pair<SAppearanceValues, std::vector<int64_t>> cases[] = {
        {{}, {0, 1, 1, 0xF0FFF0, 0xE0FFE0, 8429696, 1}},
        {{2, {}, 0, {}, "000000", "FF0000", 3}, {2, 1, 0, 0xF0FFF0, 0, 0x0000FF, 3}},
        {{0xFFFFFFFFu, 0x80000000u, {}, {}, {}, {}, 1000}, {16, 16, 1, 0xF0FFF0, 0xE0FFE0, 8429696, 16}}};
    for (const auto& [values, expected] : cases) {
        const SAppearance a = ParseAppearance(values);
        EXPECT_EQ((std::vector<int64_t>{a.horzGrid, a.vertGrid, a.leparello, a.rowColor[0], a.rowColor[1],
                                        a.gridColor, a.gridWidth}),
                  expected);
    }
    const std::pair<const char*, ColorRef> colours[] = {{"F0FFF0", 0xF0FFF0}, {"FF0000", 0x0000FF},
                                                        {"0000ff", 0xFF0000}, {"102030", 0x302010},
                                                        {"F0FF", 0},          {"", 0},
                                                        {"GG0000", 0},        {"12345678FF", 0x563412},
                                                        {"1 2 3", 0x030201}};
    for (const auto& [text, colour] : colours)
        EXPECT_EQ(ParseColor(text), colour) << text;
}
