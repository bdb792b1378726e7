// The edit with state colours and the number edit with its spin buttons, driven by real messages under
// Wine in a shown parent that records what they send.
#include "ovix/NumberEdit.h"

#include "support/Win.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <functional>

namespace {

using Ovix::CExEdit;
using Ovix::CNumberEdit;
using wintest::PumpFor;
using wintest::PumpUntil;

constexpr int kId = 100;
constexpr int D = UDN_DELTAPOS, B = Ovix::SPN_BEFORESTEP, A = Ovix::SPN_AFTERSTEP;

// Records WM_COMMAND codes from 0x1000 on and UDN_DELTAPOS (answered with refuseStep); holds a plain
// edit to take the focus away.
class CParent : public win::CWnd {
public:
    CParent() {
        RegisterClass("OvixTestParent", 0, nullptr, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
        Create("OvixTestParent", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, RECT{40, 40, 440, 240}, nullptr);
        other = ::CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 100, 150, 22, m_hwnd,
                                  nullptr, nullptr, nullptr);
        ::SetForegroundWindow(m_hwnd);
    }
    std::vector<int> codes, deltas;
    std::vector<DWORD> stepTimes; // of each SPN_AFTERSTEP
    LRESULT refuseStep = 0;
    HWND other;

protected:
    bool OnCommand(int, int code, HWND) override {
        if (code >= 0x1000)
            codes.push_back(code);
        if (code == A)
            stepTimes.push_back(::GetTickCount());
        return true;
    }
    bool OnNotify(NMHDR* header, LRESULT& result) override {
        auto* change = reinterpret_cast<NMUPDOWN*>(header);
        EXPECT_EQ(change->iPos, change->iDelta);
        codes.push_back(static_cast<int>(header->code));
        deltas.push_back(change->iDelta);
        result = refuseStep;
        return true;
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

LPARAM ScreenLParam(POINT pt) {
    return MAKELPARAM(static_cast<WORD>(pt.x), static_cast<WORD>(pt.y));
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

class NumberEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_edit.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL | ES_RIGHT,
                                  RECT{10, 10, 160, 32}, m_parent, kId));
        m_edit.SetRange(INT_MIN, INT_MAX);
        m_edit.SetDecimalPlaces(0);
        m_edit.SetNumber(5);
    }
    // A screen point over the up (+1) or down (-1) button.
    POINT Button(int button) const {
        RECT rc = {};
        ::GetWindowRect(m_edit, &rc);
        return POINT{rc.right - 3, button > 0 ? rc.top + 3 : rc.bottom - 4};
    }
    // The real pointer goes along: a captured window also gets moves from where the pointer really
    // is, and one left elsewhere by an earlier test would release the button.
    void MouseDown(int button) {
        ::SetCursorPos(Button(button).x, Button(button).y);
        m_edit.SendMessage(WM_NCLBUTTONDOWN, HTBORDER, ScreenLParam(Button(button)));
    }
    void MouseTo(POINT pt) {
        ::SetCursorPos(pt.x, pt.y);
        ::ScreenToClient(m_edit, &pt);
        m_edit.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
    }

    CParent m_parent;
    CNumberEdit m_edit;
};

TEST_F(NumberEditTest, ReadsTheLeadingNumberAndReplacesNoNumberOrOutOfRange) {
    const COLORREF plain = ::GetSysColor(COLOR_WINDOWTEXT), red = CNumberEdit::kInvalidColor;
    const struct {
        const char* text;
        COLORREF color; // before reading
        double number;
        const char* shown; // after reading
    } cases[] = {
        {"42abc", red, 42, "42abc"},
        {"12-", plain, -12, "12-"},
        {"1e5", red, 1, "1e5"},
        {"0x1A", red, 0, "0x1A"},
        {"abc", red, 0, "0"},
        {"nan", red, 0, "0"},
        {"-", red, 0, "0"},
        {"", plain, 0, "0"},
        {"2147483647", plain, 2147483647, "2147483647"},
        {"2147483648", red, 2147483647, "2147483647"},
        {"99999999999999999999999", red, 2147483647, "2147483647"},
        {"-2147483649", red, INT_MIN, "-2147483648"},
    };
    ::SetFocus(m_edit); // no grouping while focused
    for (const auto& c : cases) {
        m_edit.SetWindowText(c.text);
        EXPECT_EQ(ColorsFor(m_parent, m_edit)[0], c.color) << c.text;
        EXPECT_EQ(m_edit.GetNumber(), c.number) << c.text;
        EXPECT_EQ(m_edit.GetWindowText(), c.shown) << c.text;
    }
}

TEST_F(NumberEditTest, GroupsDigitsOnlyWithoutFocusAndLeavesBlankTextBlank) {
    const Tabra::CNumberSettings& locale = Tabra::UserLocale()->number;
    ASSERT_FALSE(locale.thousandSep.empty());
    const struct {
        double value;
        unsigned places;
        std::string focused;
    } cases[] = {
        {1234567, 0, "1234567"}, {-1234567, 0, "-1234567"}, {1234.5, 2, "1234" + locale.decimalSep + "50"}};
    for (const auto& c : cases) {
        m_edit.SetDecimalPlaces(c.places);
        m_edit.SetNumber(c.value);
        const std::string grouped = m_edit.GetWindowText();
        EXPECT_NE(grouped.find(locale.thousandSep), std::string::npos) << grouped;
        ::SetFocus(m_edit);
        EXPECT_EQ(m_edit.GetWindowText(), c.focused);
        EXPECT_EQ(m_edit.SendMessage(EM_GETSEL), MAKELRESULT(0, c.focused.size())) << "all selected";
        ::SetFocus(m_parent.other);
        EXPECT_EQ(m_edit.GetWindowText(), grouped);
        EXPECT_EQ(m_edit.GetNumber(), c.value);
    }
    m_edit.SetWindowText("");
    ::SetFocus(m_edit);
    EXPECT_EQ(m_edit.GetWindowText(), "");
    ::SetFocus(m_parent.other);
    EXPECT_EQ(m_edit.GetWindowText(), "");
}

TEST_F(NumberEditTest, SpinButtonRepeatsWhileHeldOverIt) {
    EXPECT_EQ(m_edit.SendMessage(WM_NCHITTEST, 0, ScreenLParam(Button(1))), HTBORDER);
    const DWORD start = ::GetTickCount();
    MouseDown(1);
    EXPECT_EQ(::GetFocus(), m_edit.GetHwnd());
    EXPECT_EQ(m_edit.GetNumber(), 6) << "one step at once";
    EXPECT_EQ(m_parent.codes, (std::vector<int>{D, B, A}));
    ASSERT_TRUE(PumpUntil([&] { return m_edit.GetNumber() >= 9; }));
    EXPECT_GE(m_parent.stepTimes.at(1) - start, 450u) << "repeating starts after half a second";

    MouseTo(POINT{Button(1).x - 60, Button(1).y});
    EXPECT_EQ(m_edit.GetPressed(), 0) << "off the button it looks released";
    double held = m_edit.GetNumber();
    PumpFor(400);
    EXPECT_EQ(m_edit.GetNumber(), held) << "and does not step";
    MouseTo(Button(1));
    EXPECT_EQ(m_edit.GetPressed(), 1);
    EXPECT_TRUE(PumpUntil([&] { return m_edit.GetNumber() > held; }));

    m_edit.SendMessage(WM_LBUTTONUP);
    EXPECT_NE(::GetCapture(), m_edit.GetHwnd());
    held = m_edit.GetNumber();
    PumpFor(300);
    EXPECT_EQ(m_edit.GetNumber(), held) << "released";
}

TEST_F(NumberEditTest, KeysAndButtonsStepUnlessRefusedOrReadOnly) {
    const struct {
        UINT key; // 0: the mouse on the button
        int button;
        LRESULT answer;
        bool readOnly;
        double after;
        std::vector<int> codes;
    } cases[] = {
        {VK_UP, 1, 0, false, 6, {D, B, A}}, {VK_DOWN, -1, 0, false, 4, {D, B, A}},
        {0, -1, 0, false, 4, {D, B, A}},    {VK_UP, 1, 1, false, 5, {D}},
        {VK_UP, 1, 0, true, 5, {}},         {0, 1, 0, true, 5, {}},
    };
    for (const auto& c : cases) {
        m_edit.SetNumber(5);
        m_edit.SendMessage(EM_SETREADONLY, c.readOnly);
        m_parent.refuseStep = c.answer;
        m_parent.codes.clear();
        m_parent.deltas.clear();
        if (c.key) {
            m_edit.SendMessage(WM_KEYDOWN, c.key, 1);
            EXPECT_EQ(m_edit.GetPressed(), c.readOnly ? 0 : c.button) << c.key;
            m_edit.SendMessage(WM_KEYUP, c.key, 1);
        } else {
            MouseDown(c.button);
            m_edit.SendMessage(WM_LBUTTONUP);
        }
        EXPECT_EQ(m_edit.GetPressed(), 0);
        EXPECT_EQ(m_edit.GetNumber(), c.after) << c.key << c.answer << c.readOnly;
        EXPECT_EQ(m_parent.codes, c.codes) << c.key << c.answer << c.readOnly;
        EXPECT_EQ(m_parent.deltas, std::vector<int>(c.codes.empty() ? 0 : 1, c.button));
    }
}

TEST_F(NumberEditTest, FocusLossReportsOnlyAUserChange) {
    auto type = [&](char ch) { m_edit.SendMessage(WM_CHAR, static_cast<WPARAM>(ch), 1); };
    const struct {
        const char* what;
        std::function<void()> act;
        int reports;
    } cases[] = {
        {"number set", [&] { m_edit.SetNumber(8); }, 0},
        {"text set by the owner", [&] { m_edit.SetWindowText("9"); }, 0},
        {"digit typed", [&] { type('7'); }, 1},
        {"nothing after the report", [] {}, 0},
        {"letter refused", [&] { type('x'); }, 0},
        {"spin step", [&] { m_edit.SendMessage(WM_KEYDOWN, VK_UP, 1); }, 1},
        {"typed, then set by the owner", [&] { type('7'), m_edit.SetWindowText("3"); }, 0},
    };
    for (const auto& c : cases) {
        ::SetFocus(m_edit);
        m_parent.codes.clear();
        c.act();
        ::SetFocus(m_parent.other);
        EXPECT_EQ(std::count(m_parent.codes.begin(), m_parent.codes.end(), Ovix::EXN_USERCHANGE), c.reports)
            << c.what;
    }
}

TEST_F(NumberEditTest, SpinStripNarrowsTheTextAreaAndTheOwnersFontIsKept) {
    auto width = [](HWND hwnd) {
        RECT rc = {};
        ::GetClientRect(hwnd, &rc);
        return rc.right;
    };
    ::MoveWindow(m_parent.other, 10, 10, 150, 22, FALSE); // the same style and size, no spin buttons
    EXPECT_EQ(width(m_edit), width(m_parent.other) - (::GetSystemMetrics(SM_CYHSCROLL) - 1));
    auto font = reinterpret_cast<WPARAM>(::GetStockObject(ANSI_FIXED_FONT));
    m_edit.SendMessage(WM_SETFONT, font, TRUE);
    EXPECT_EQ(m_edit.SendMessage(WM_GETFONT), static_cast<LRESULT>(font));
    m_edit.ShowSpin(false);
    EXPECT_EQ(width(m_edit), width(m_parent.other));
}

} // namespace
