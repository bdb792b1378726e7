// The cell renderers: texts, tooltips, widths and modes, measured on the shared surface.
#include "table/view/ViewTestUtil.h"

#include <gtest/gtest.h>

using namespace Tabra;

namespace {

// The width of text on the shared surface, where the renderers under test are begun.
int Width(const std::string& text) {
    SIZE size = {};
    ::GetTextExtentPoint32A(CTableCtrlWnd::SurfaceDC(), text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

TEST(Renderer, StringTipOnlyWhenCutAndTheSpecialEmptyText) {
    CFormat format;
    format.emptySpecial = true;
    format.emptyText = "(empty)";
    CStringOut out(kDrawLeft, format);
    CRenderScope scope(out, CTableCtrlWnd::SurfaceDC());
    CDString value;
    for (auto [text, available, tip] : {std::tuple{"Fearless Assassins", 1000, ""},
                                        {"Fearless Assassins", 20, "Fearless Assassins"},
                                        {"", 2, "(empty)"},
                                        {"", 1000, ""}}) {
        value.SetText(text);
        EXPECT_EQ(out.TipText(&value, available), tip) << text << " in " << available;
    }
    value.SetText("");
    EXPECT_EQ(std::tuple(out.ValueText(&value), out.ValueColour(&value, true)),
              std::tuple("(empty)", format.emptyColor))
        << "also on selected rows";
    value.SetText("x");
    EXPECT_EQ(std::tuple(out.ValueColour(&value, false), out.ValueWidth(&value)),
              std::tuple(kNoColor, Width("x")));
}

TEST(Renderer, ThreeStateModesTextsAndTips) {
    const std::string texts[3] = {"No", "Yes", "Maybe"};
    C3StateOut glyph(kDrawCenter, true, texts), text(kDrawLeft, false, texts);
    CDInt value;
    for (auto [number, valueText, tip] : {std::tuple{0, "No", "No"},
                                          {2, "Maybe", "Maybe"},
                                          {3, "#Error#", "#Error#"},
                                          {5, "Yes", "#Error#"}}) {
        value.SetInt(number);
        EXPECT_EQ(std::tuple(glyph.ValueText(&value), glyph.TipText(&value, 1000)),
                  std::tuple(valueText, tip))
            << number;
    }
    EXPECT_EQ(text.GetMode(), C3StateOut::MODE_TEXT);
    // Leaving the edit mode, a renderer of texts shows glyphs.
    for (auto [out, edit, mode] : {std::tuple{&glyph, true, C3StateOut::MODE_CHECKBOX},
                                   {&glyph, false, C3StateOut::MODE_GLYPH},
                                   {&text, false, C3StateOut::MODE_TEXT},
                                   {&text, true, C3StateOut::MODE_CHECKBOX},
                                   {&text, false, C3StateOut::MODE_GLYPH}}) {
        out->SetEditMode(edit);
        EXPECT_EQ(out->GetMode(), mode) << (out == &glyph) << edit;
    }
}

TEST(Renderer, IntegerContentWidthLeavesTheSpecialValueOut) {
    CIntFormat format(true);
    format.emptySpecial = true;
    format.emptyNumber = -1;
    format.emptyText = "unknown";
    CIntOut out(kDrawRight, format);
    CRenderScope scope(out, CTableCtrlWnd::SurfaceDC());
    for (const auto& [values, widest] : {std::pair<std::vector<int>, std::string>{{-1, 7}, "unknown"},
                                         {{7, 1234567}, format.Format(1234567)},
                                         {{-1, -1}, "unknown"},
                                         {{5}, "5"}}) {
        CTable table;
        table.AddColumn(new CFAny<CDInt>, new CCellCompare);
        table.BuildLayout();
        for (int number : values)
            table.AddRow()->Cell(0)->SetInt(number);
        EXPECT_EQ(out.ContentWidth(table.GetColData(0), table.GetRowCount()), Width(widest)) << widest;
    }
    CDInt value;
    value.SetInt(-1);
    EXPECT_EQ(std::tuple(std::string(out.ValueChars(&value)), out.ValueColour(&value, false)),
              std::tuple("unknown", format.emptyColor));
    value.SetInt(-5);
    EXPECT_EQ(out.ValueColour(&value, false), format.negativeColor);
}

TEST(Renderer, EnumerationWithoutImagesIsTextOnly) {
    CEnum teams("Axis\nAllies\nSpectator");
    CEnumOut out(kDrawLeft, teams.Get(), ENUM_IMAGE_AND_TEXT);
    EXPECT_EQ(out.GetStyle(), ENUM_TEXT);
    CRenderScope scope(out, CTableCtrlWnd::SurfaceDC());
    CDInt value;
    value.SetInt(1);
    EXPECT_EQ(std::tuple(out.ValueText(&value), out.TipText(&value, 1000), out.TipText(&value, 3)),
              std::tuple("Allies", "", "Allies"));
    EXPECT_EQ(out.TypicalWidth(), std::max(Width("Spectator"), Width("W...")));
    value.SetInt(9);
    EXPECT_EQ(out.ValueText(&value), "#Error#");
}

} // namespace
