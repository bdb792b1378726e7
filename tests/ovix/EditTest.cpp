// The edit with state colours, driven by real messages under Wine.
#include "ovix/ExEdit.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using Ovix::CExEdit;

constexpr int kId = 100;

// Holds the edits of a test.
class CParent : public win::CWnd {
public:
    CParent() {
        RegisterClass("OvixTestParent", 0, nullptr, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
        Create("OvixTestParent", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, RECT{40, 40, 440, 240}, nullptr);
    }
};

// The text, background and brush colours the parent gives edit.
std::array<COLORREF, 3> ColorsFor(HWND parent, HWND edit) {
    HDC dc = ::CreateCompatibleDC(nullptr);
    auto brush = reinterpret_cast<HBRUSH>(::SendMessageA(
        parent, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(edit)));
    LOGBRUSH info = {};
    ::GetObjectA(brush, sizeof info, &info);
    std::array<COLORREF, 3> seen{::GetTextColor(dc), ::GetBkColor(dc), info.lbColor};
    ::DeleteDC(dc);
    return seen;
}

TEST(ExEditTest, KeepsOneKindOfBorderAndColoursByState) {
    CParent parent;
    for (DWORD style : {WS_CHILD, WS_CHILD | WS_BORDER}) {
        CExEdit edit;
        ASSERT_TRUE(edit.Create(style, RECT{10, 10, 110, 32}, parent, kId, WS_EX_CLIENTEDGE));
        EXPECT_FALSE(::GetWindowLongA(edit, GWL_STYLE) & WS_BORDER);
        EXPECT_EQ((::GetWindowLongA(edit, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0, style != WS_CHILD);
    }

    ::CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_DISABLED | ES_READONLY, 10, 10, 100, 22, parent,
                      reinterpret_cast<HMENU>(kId), nullptr, nullptr);
    CExEdit edit;
    ASSERT_TRUE(edit.SubclassDlgItem(kId, parent));
    EXPECT_FALSE(CExEdit().SubclassDlgItem(4242, parent));
    EXPECT_FALSE(edit.IsEnabled());
    EXPECT_TRUE(edit.IsReadOnly());
    const CExEdit::SColors colors{RGB(1, 0, 0), RGB(2, 0, 0), RGB(0, 0, 1), RGB(0, 0, 2), RGB(0, 0, 3)};
    const struct {
        bool system, enabled, readOnly;
        COLORREF text, back;
    } cases[] = {
        {false, false, true, colors.text, colors.disabledBack}, // the edit itself draws the text grey
        {false, true, true, colors.readOnlyText, colors.readOnlyBack},
        {false, true, false, colors.text, colors.back},
        {true, true, false, ::GetSysColor(COLOR_WINDOWTEXT), ::GetSysColor(COLOR_WINDOW)},
    };
    for (const auto& c : cases) {
        c.system ? edit.SetSystemColors() : edit.SetColors(colors);
        ::EnableWindow(edit, c.enabled);
        edit.SendMessage(EM_SETREADONLY, c.readOnly);
        EXPECT_EQ(edit.IsEnabled(), c.enabled);
        EXPECT_EQ(edit.IsReadOnly(), c.readOnly);
        const auto seen = ColorsFor(parent, edit);
        EXPECT_EQ(seen[0], c.text) << c.system << c.enabled << c.readOnly;
        EXPECT_EQ(seen[1], c.back) << c.system << c.enabled << c.readOnly;
        EXPECT_EQ(seen[2], c.back) << c.system << c.enabled << c.readOnly;
    }
}

} // namespace
