// The cell renderers: texts, tooltips, widths and modes, measured on the shared surface.
#include "table/view/ViewTestUtil.h"

#include <gtest/gtest.h>

using namespace Tabra;

namespace {

// Brackets a renderer with Begin and End on the shared surface.
class CMeasure {
public:
    explicit CMeasure(CCellOutput& output) : m_output(output) { output.Begin(CTableCtrlWnd::SurfaceDC()); }
    ~CMeasure() { m_output.End(); }
    int Width(const std::string& text) {
        SIZE size = {};
        ::GetTextExtentPoint32A(CTableCtrlWnd::SurfaceDC(), text.c_str(), static_cast<int>(text.size()),
                                &size);
        return size.cx;
    }

private:
    CCellOutput& m_output;
};

TEST(Renderer, StringTipOnlyWhenCutAndTheSpecialEmptyText) {
    CFormat format;
    format.emptySpecial = true;
    format.emptyText = "(empty)";
    CStringOut out(kDrawLeft, format);
    CMeasure measure(out);
    CDString value;
    for (auto [text, available, tip] : {std::tuple{"Fearless Assassins", 1000, ""},
                                        {"Fearless Assassins", 20, "Fearless Assassins"},
                                        {"", 2, "(empty)"},
                                        {"", 1000, ""}}) {
        value.SetText(text);
        EXPECT_EQ(out.TipText(&value, available), tip) << text << " in " << available;
    }
    value.SetText("");
    EXPECT_EQ(out.ValueText(&value), "(empty)");
    EXPECT_EQ(out.ValueColour(&value, true), format.emptyColor) << "also on selected rows";
    value.SetText("x");
    EXPECT_EQ(out.ValueColour(&value, false), kNoColor);
    EXPECT_EQ(out.ValueWidth(&value), measure.Width("x"));
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
        EXPECT_EQ(glyph.ValueText(&value), valueText) << number;
        EXPECT_EQ(glyph.TipText(&value, 1000), tip) << number;
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
    CMeasure measure(out);
    const struct {
        std::vector<int> values;
        std::string widest;
    } cases[] = {
        {{-1, 7}, "unknown"}, {{7, 1234567}, format.Format(1234567)}, {{-1, -1}, "unknown"}, {{5}, "5"}};
    for (const auto& c : cases) {
        CTable table;
        table.AddColumn(new CFAny<CDInt>, new CCellCompare);
        table.BuildLayout();
        for (int number : c.values)
            table.AddRow()->Cell(0)->SetInt(number);
        EXPECT_EQ(out.ContentWidth(table.GetColData(0), table.GetRowCount()), measure.Width(c.widest))
            << c.widest;
    }
    CDInt value;
    value.SetInt(-1);
    EXPECT_EQ(std::string(out.ValueChars(&value)), "unknown");
    EXPECT_EQ(out.ValueColour(&value, false), format.emptyColor);
    value.SetInt(-5);
    EXPECT_EQ(out.ValueColour(&value, false), format.negativeColor);
}

TEST(Renderer, EnumerationWithoutImagesIsTextOnly) {
    CEnum teams("Axis\nAllies\nSpectator");
    CEnumOut out(kDrawLeft, teams.Get(), ENUM_IMAGE_AND_TEXT);
    EXPECT_EQ(out.GetStyle(), ENUM_TEXT);
    CMeasure measure(out);
    CDInt value;
    value.SetInt(1);
    EXPECT_EQ(out.ValueText(&value), "Allies");
    EXPECT_EQ(out.TipText(&value, 1000), "");
    EXPECT_EQ(out.TipText(&value, 3), "Allies");
    EXPECT_EQ(out.TypicalWidth(), std::max(measure.Width("Spectator"), measure.Width("W...")));
    value.SetInt(9);
    EXPECT_EQ(out.ValueText(&value), "#Error#");
}

} // namespace
