// The cell renderers: texts, tooltips, widths and modes, measured on the shared surface.
#include "table/view/ViewTestUtil.h"

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
    // Leaving the edit mode, a renderer of texts shows glyphs; one never in it keeps its texts.
    EXPECT_EQ(std::pair(glyph.GetMode(), text.GetMode()),
              std::pair(+C3StateOut::MODE_GLYPH, +C3StateOut::MODE_TEXT));
    for (auto [edit, mode] : {std::pair{false, C3StateOut::MODE_TEXT},
                              {true, C3StateOut::MODE_CHECKBOX},
                              {false, C3StateOut::MODE_GLYPH}}) {
        text.SetEditMode(edit);
        EXPECT_EQ(text.GetMode(), mode) << edit;
    }
}

TEST(Renderer, IntegerContentWidthLeavesTheSpecialValueOut) {
    CIntFormat format(true);
    format.emptySpecial = true;
    format.emptyNumber = -1;
    format.emptyText = "unknown";
    CIntOut out(kDrawRight, format);
    CRenderScope scope(out, CTableCtrlWnd::SurfaceDC());
    CTable table; // rows added one by one: a plain number, the special value, a wider number
    table.AddColumn(new CFAny<CDInt>, new CCellCompare);
    table.BuildLayout();
    for (const auto& [number, widest] :
         {std::pair<int, std::string>{5, "5"}, {-1, "unknown"}, {123456789, format.Format(123456789)}}) {
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

} // namespace
