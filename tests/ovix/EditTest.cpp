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

using namespace testsupport;
using Ovix::CNumberEdit;

constexpr int kId = 100;
constexpr int Up = UDN_DELTAPOS * 10 + 1, Down = UDN_DELTAPOS * 10 - 1, B = Ovix::SPN_BEFORESTEP,
              A = Ovix::SPN_AFTERSTEP;

// Records WM_COMMAND codes from 0x1000 on and UDN_DELTAPOS * 10 + its delta (answered with refuseStep);
// holds a plain edit to take the focus away.
class CParent : public win::CWnd {
public:
    CParent() {
        CreateTopWindow(*this, RECT{40, 40, 440, 240});
        other = ::CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 100, 150, 22, m_hwnd,
                                  nullptr, nullptr, nullptr);
        ::SetForegroundWindow(m_hwnd);
    }
    std::vector<int> codes;
    LRESULT refuseStep = 0;
    HWND other;

protected:
    bool OnCommand(int, int code, HWND) override {
        if (code >= 0x1000)
            codes.push_back(code);
        return true;
    }
    bool OnNotify(NMHDR* header, LRESULT& result) override {
        auto* change = reinterpret_cast<NMUPDOWN*>(header);
        EXPECT_EQ(change->iPos, change->iDelta);
        codes.push_back(static_cast<int>(header->code) * 10 + change->iDelta);
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

TEST(ExEditTest, ColoursByStateReadWhenSubclassing) {
    CParent parent;
    ::CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_DISABLED | ES_READONLY, 10, 10, 100, 22, parent,
                      reinterpret_cast<HMENU>(kId), nullptr, nullptr);
    Ovix::CExEdit edit;
    ASSERT_TRUE(edit.SubclassDlgItem(kId, parent));
    EXPECT_FALSE(Ovix::CExEdit().SubclassDlgItem(4242, parent));
    EXPECT_EQ(std::pair(edit.IsEnabled(), edit.IsReadOnly()), std::pair(false, true))
        << "read when subclassing";
    const Ovix::CExEdit::SColors colors{RGB(1, 0, 0), RGB(2, 0, 0), RGB(0, 0, 1), RGB(0, 0, 2), RGB(0, 0, 3)};
    // system colours, enabled, read-only, text and background; a disabled edit draws its text grey itself
    for (auto [system, enabled, readOnly, text, back] :
         {std::tuple{false, false, true, colors.text, colors.disabledBack},
          {false, true, true, colors.readOnlyText, colors.readOnlyBack},
          {false, true, false, colors.text, colors.back},
          {true, true, false, ::GetSysColor(COLOR_WINDOWTEXT), ::GetSysColor(COLOR_WINDOW)}}) {
        system ? edit.SetSystemColors() : edit.SetColors(colors);
        ::EnableWindow(edit, enabled);
        edit.SendMessage(EM_SETREADONLY, readOnly);
        EXPECT_EQ(ColorsFor(parent, edit), (std::array<COLORREF, 3>{text, back, back}))
            << system << enabled << readOnly;
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
        m_edit.SendMessage(WM_NCLBUTTONDOWN, HTBORDER, At(Button(button).x, Button(button).y));
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
    // the text, its colour before reading, the number read, the text after reading (the bounds are
    // INT_MIN and INT_MAX)
    const std::tuple<const char*, COLORREF, double, const char*> cases[] = {
        {"42abc", red, 42, "42abc"},
        {"12-", plain, -12, "12-"},
        {"1e5", red, 1, "1e5"},
        {"abc", red, 0, "0"},
        {"", plain, 0, "0"},
        {"2147483648", red, 2147483647, "2147483647"},
        {"-2147483649", red, INT_MIN, "-2147483648"}};
    ::SetFocus(m_edit); // no grouping while focused
    for (const auto& [text, color, number, shown] : cases) {
        SCOPED_TRACE(text);
        m_edit.SetWindowText(text);
        EXPECT_EQ(ColorsFor(m_parent, m_edit)[0], color); // reading the number replaces text and colour
        EXPECT_EQ(m_edit.GetNumber(), number);
        EXPECT_EQ(m_edit.GetWindowText(), shown);
    }
}

TEST_F(NumberEditTest, GroupsDigitsOnlyWithoutFocusAndLeavesBlankTextBlank) {
    const Tabra::SNumberSettings& locale = Tabra::UserLocale()->number;
    ASSERT_FALSE(locale.thousandSep.empty());
    for (auto [value, places, focused] : {std::tuple{-1234567.0, 0u, std::string("-1234567")},
                                          {1234.5, 2u, "1234" + locale.decimalSep + "50"},
                                          {0.0, 0u, std::string()}}) {
        m_edit.SetDecimalPlaces(places);
        focused.empty() ? m_edit.SetWindowText("") : void(m_edit.SetNumber(value));
        const std::string grouped = m_edit.GetWindowText();
        EXPECT_EQ(grouped.find(locale.thousandSep) != std::string::npos, !focused.empty()) << grouped;
        ::SetFocus(m_edit);
        EXPECT_EQ(m_edit.GetWindowText(), focused);
        EXPECT_EQ(m_edit.SendMessage(EM_GETSEL), MAKELRESULT(0, focused.size())) << "all selected";
        ::SetFocus(m_parent.other);
        EXPECT_EQ(m_edit.GetWindowText(), grouped);
    }
}

TEST_F(NumberEditTest, SpinButtonRepeatsWhileHeldOverIt) {
    EXPECT_EQ(m_edit.SendMessage(WM_NCHITTEST, 0, At(Button(1).x, Button(1).y)), HTBORDER);
    const DWORD start = ::GetTickCount();
    MouseDown(1);
    EXPECT_EQ(::GetFocus(), m_edit.GetHwnd());
    EXPECT_EQ(m_edit.GetNumber(), 6) << "one step at once";
    EXPECT_EQ(m_parent.codes, (std::vector<int>{Up, B, A}));
    ASSERT_TRUE(PumpUntil([&] { return m_edit.GetNumber() >= 7; }));
    EXPECT_GE(::GetTickCount() - start, 450u) << "repeating starts after half a second";
    ASSERT_TRUE(PumpUntil([&] { return m_edit.GetNumber() >= 9; }));

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

TEST_F(NumberEditTest, FocusLossReportsOnlyUserChangesAndKeysAndButtonsStepUnlessRefusedOrReadOnly) {
    // Losing the focus reports a change only when the user made it.
    auto type = [&](char ch) { m_edit.SendMessage(WM_CHAR, static_cast<WPARAM>(ch), 1); };
    const std::tuple<const char*, std::function<void()>, int> changes[] = {
        {"number set", [&] { m_edit.SetNumber(8); }, 0},
        {"text set by the owner", [&] { m_edit.SetWindowText("9"); }, 0},
        {"digit typed", [&] { type('7'); }, 1},
        {"nothing after the report", [] {}, 0},
        {"letter refused", [&] { type('x'); }, 0},
        {"spin step", [&] { m_edit.SendMessage(WM_KEYDOWN, VK_UP, 1); }, 1},
        {"typed, then set by the owner", [&] { type('7'), m_edit.SetWindowText("3"); }, 0},
    };
    for (const auto& [what, act, reports] : changes) {
        ::SetFocus(m_edit);
        m_parent.codes.clear();
        act();
        ::SetFocus(m_parent.other);
        EXPECT_EQ(std::count(m_parent.codes.begin(), m_parent.codes.end(), Ovix::EXN_USERCHANGE), reports)
            << what;
    }
    // the key (0: the mouse on the button), the button, the parent's answer, read-only, the number after
    const std::tuple<UINT, int, LRESULT, bool, double, std::vector<int>> cases[] = {
        {VK_UP, 1, 0, false, 6, {Up, B, A}}, {VK_DOWN, -1, 0, false, 4, {Down, B, A}},
        {0, -1, 0, false, 4, {Down, B, A}},  {VK_UP, 1, 1, false, 5, {Up}},
        {VK_UP, 1, 0, true, 5, {}},          {0, 1, 0, true, 5, {}},
    };
    for (const auto& [key, button, answer, readOnly, after, codes] : cases) {
        SCOPED_TRACE(testing::Message() << key << button << answer << readOnly);
        m_edit.SetNumber(5);
        m_edit.SendMessage(EM_SETREADONLY, readOnly);
        m_parent.refuseStep = answer;
        m_parent.codes.clear();
        if (key) {
            m_edit.SendMessage(WM_KEYDOWN, key, 1);
            EXPECT_EQ(m_edit.GetPressed(), readOnly ? 0 : button);
            m_edit.SendMessage(WM_KEYUP, key, 1);
        } else {
            MouseDown(button);
            m_edit.SendMessage(WM_LBUTTONUP);
        }
        EXPECT_EQ(m_edit.GetPressed(), 0);
        EXPECT_EQ(m_edit.GetNumber(), after);
        EXPECT_EQ(m_parent.codes, codes);
    }
}

} // namespace
