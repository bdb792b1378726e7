#include "win/Window.h"
#include "base/Error.h"
#include "support/Win.h"
#include "win/ErrorReport.h"
#include "win/WaitCursor.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

using win::CWnd;

namespace {

// Records its creation, destruction and the commands and notifications it gets.
class CRecordingWnd : public CWnd {
public:
    std::vector<std::string> calls;
    LRESULT notifyAnswer = 0;

protected:
    int OnCreate(CREATESTRUCTA* cs) override {
        calls.push_back(std::string("Create ") + cs->lpszName);
        return CWnd::OnCreate(cs);
    }
    void OnDestroy() override { calls.push_back("Destroy"), CWnd::OnDestroy(); }
    void PostNcDestroy() override { calls.push_back("NcDestroy"); }
    bool OnCommand(int id, int code, HWND) override {
        calls.push_back("Command " + std::to_string(id) + " " + std::to_string(code));
        return true;
    }
    bool OnNotify(NMHDR* header, LRESULT& result) override {
        calls.push_back("Notify " + std::to_string(header->idFrom) + " " + std::to_string(int(header->code)));
        result = notifyAnswer;
        return true;
    }
};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(testsupport::CreateTopWindow(m_wnd, RECT{0, 0, 300, 200})); }
    CRecordingWnd m_wnd;
};

TEST_F(WindowTest, RoutesFromCreateUntilDestroyed) {
    EXPECT_EQ(CWnd::FromHandle(m_wnd), &m_wnd);
    const HWND hwnd = m_wnd;
    EXPECT_TRUE(m_wnd.DestroyWindow());
    EXPECT_EQ(m_wnd.calls, (std::vector<std::string>{"Create Velloran test", "Destroy", "NcDestroy"}));
    EXPECT_EQ(m_wnd.GetHwnd(), nullptr);
    EXPECT_EQ(CWnd::FromHandle(hwnd), nullptr);
}

TEST(WindowLifetime, ObjectDestroysOnlyTheWindowItCreated) {
    HWND created = nullptr;
    {
        CWnd wnd;
        ASSERT_TRUE(testsupport::CreateTopWindow(wnd, RECT{0, 0, 50, 50}, WS_POPUP));
        created = wnd;
    }
    EXPECT_FALSE(::IsWindow(created));
    HWND edit = ::CreateWindowExA(0, "EDIT", "", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, nullptr, nullptr);
    {
        CWnd wnd;
        ASSERT_TRUE(wnd.SubclassWindow(edit));
    }
    EXPECT_TRUE(::IsWindow(edit)) << "a subclassed window belongs to its creator";
    EXPECT_EQ(CWnd::FromHandle(edit), nullptr);
    ::DestroyWindow(edit);
    CWnd unrouted;
    EXPECT_FALSE(unrouted.Create("STATIC", "x", WS_POPUP, 0, RECT{0, 0, 10, 10}, nullptr));
    EXPECT_FALSE(unrouted.Create("NoSuchVelloranClass", "x", WS_POPUP, 0, RECT{0, 0, 10, 10}, nullptr));
}

// Sees the characters typed into an edit control, swallows 'x' and forwards the rest.
class CEditFilter : public CWnd {
public:
    std::string seen;

protected:
    void OnChar(UINT ch, UINT repeat, UINT flags) override {
        seen.push_back(static_cast<char>(ch));
        if (ch != 'x')
            CWnd::OnChar(ch, repeat, flags);
    }
};

TEST_F(WindowTest, SubclassedEditSeesItsMessagesUntilUnsubclassed) {
    HWND edit = ::CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 5, 5, 200, 20, m_wnd,
                                  reinterpret_cast<HMENU>(77), nullptr, nullptr);
    const auto original = ::GetWindowLongPtrA(edit, GWLP_WNDPROC);
    CEditFilter filter, second;
    ASSERT_TRUE(filter.SubclassDlgItem(77, m_wnd));
    EXPECT_FALSE(second.SubclassWindow(edit)) << "one window, one object";
    for (char c : std::string("axbxc"))
        ::SendMessageA(edit, WM_CHAR, static_cast<WPARAM>(c), 1);
    EXPECT_EQ(filter.seen + " " + filter.GetWindowText(), "axbxc abc");
    EXPECT_EQ(filter.UnsubclassWindow(), edit);
    EXPECT_EQ(::GetWindowLongPtrA(edit, GWLP_WNDPROC), original);
    EXPECT_EQ(CWnd::FromHandle(edit), nullptr);
    ::SendMessageA(edit, WM_CHAR, 'x', 1);
    EXPECT_EQ(::GetWindowTextLengthA(edit), 4) << "without the filter 'x' reaches the edit";

    ASSERT_TRUE(filter.CreateControl("EDIT", "abc", WS_CHILD, 0, RECT{5, 6, 100, 25}, m_wnd, 78));
    const RECT r = filter.GetRectInParent();
    EXPECT_EQ(std::vector<LONG>({r.left, r.top, r.right, r.bottom}), std::vector<LONG>({5, 6, 100, 25}));
    m_wnd.DestroyWindow();
    EXPECT_EQ(filter.GetHwnd(), nullptr) << "a destroyed control lets go of its object";
}

// Keeps its odd notification codes from its parent and answers them itself.
class CSelfishChild : public CWnd {
protected:
    bool OnReflectCommand(int code, LRESULT& result) override { return result = 7, code % 2 == 1; }
    bool OnReflectNotify(NMHDR* header, LRESULT& result) override {
        return result = 9, static_cast<int>(header->code) % 2 != 0;
    }
};

TEST_F(WindowTest, ChildAnswersItsNotificationsFirst) {
    CSelfishChild child;
    ASSERT_TRUE(child.CreateControl("STATIC", "", WS_CHILD, 0, RECT{0, 0, 10, 10}, m_wnd, 1030));
    auto command = [&](int code) {
        return m_wnd.SendMessage(WM_COMMAND, MAKEWPARAM(1030, code),
                                 reinterpret_cast<LPARAM>(child.GetHwnd()));
    };
    auto notify = [&](int code) {
        NMHDR header{child, 1030, static_cast<UINT>(code)};
        return m_wnd.SendMessage(WM_NOTIFY, 1030, reinterpret_cast<LPARAM>(&header));
    };
    m_wnd.calls.clear();
    m_wnd.notifyAnswer = 4;
    EXPECT_EQ(command(3), 7);
    EXPECT_EQ(notify(-5), 9);
    EXPECT_TRUE(m_wnd.calls.empty()) << "consumed by the child";
    EXPECT_EQ(command(4), 0);
    EXPECT_EQ(notify(-6), 4);
    EXPECT_EQ(m_wnd.calls, (std::vector<std::string>{"Command 1030 4", "Notify 1030 -6"}));
}

TEST_F(WindowTest, WaitCursorIsShownNestedKeptOverWindowsAndRestored) {
    const HCURSOR wait = ::LoadCursorA(nullptr, IDC_WAIT), beam = ::LoadCursorA(nullptr, IDC_IBEAM);
    ::SetCursor(beam);
    {
        win::CWaitCursor outer;
        { win::CWaitCursor inner; }
        EXPECT_EQ(::GetCursor(), wait) << "the inner one restores the outer wait cursor";
        ::SetCursor(::LoadCursorA(nullptr, IDC_ARROW));
        EXPECT_EQ(m_wnd.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(m_wnd.GetHwnd()),
                                    MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
                  TRUE);
        EXPECT_EQ(::GetCursor(), wait);
    }
    EXPECT_FALSE(win::CWaitCursor::IsActive());
    EXPECT_EQ(::GetCursor(), beam);
}

// Runs `fail` in its command handler, in WM_CREATE when told, and in the next paintsToFail paints;
// deletes itself on a timer.
class CFaultyWnd : public CWnd {
public:
    std::function<void()> fail = [] { throw 42; };
    bool failCreate = false;
    int paintsToFail = 0, paints = 0;

protected:
    bool OnCommand(int, int, HWND) override { return fail(), true; }
    int OnCreate(CREATESTRUCTA* cs) override { return failCreate ? (fail(), 0) : CWnd::OnCreate(cs); }
    void OnPaint() override {
        PAINTSTRUCT ps;
        ::BeginPaint(m_hwnd, &ps);
        if (paintsToFail > 0 && paintsToFail--)
            fail();
        ++paints;
        ::EndPaint(m_hwnd, &ps);
    }
    void OnTimer(UINT_PTR) override { delete this; }
};

class CDerivedError : public base::CError {
    using CError::CError;
};

std::vector<std::pair<HWND, std::string>> g_reports;
void RecordReport(HWND owner, const std::string& text) {
    g_reports.emplace_back(owner, text);
}

class WindowExceptions : public ::testing::Test {
protected:
    void SetUp() override { m_previous = win::SetExceptionReporter(RecordReport), g_reports.clear(); }
    void TearDown() override { win::SetExceptionReporter(m_previous); }
    win::ExceptionReporter m_previous;
};

TEST_F(WindowExceptions, EscapingExceptionIsReportedWithItsMessage) {
    CFaultyWnd wnd;
    ASSERT_TRUE(testsupport::CreateTopWindow(wnd, RECT{0, 0, 50, 50}, WS_POPUP));
    const struct {
        std::function<void()> fail;
        const char* text;
    } cases[] = {{[] { throw base::CError("Datei kaputt", 3); }, "Datei kaputt"},
                 {[] { throw CDerivedError("Verbindung weg", 10054); }, "Verbindung weg"},
                 {[] { throw 42; }, "Unhandled Unknown Exception!"},
                 {[] { throw std::runtime_error("not ours"); }, "Unhandled Unknown Exception!"},
                 {[] {}, nullptr}};
    for (const auto& c : cases) {
        g_reports.clear();
        wnd.fail = c.fail;
        wnd.SendMessage(WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), 0);
        const auto expected = c.text ? decltype(g_reports){{wnd, c.text}} : decltype(g_reports){};
        EXPECT_EQ(g_reports, expected) << c.text;
    }
}

TEST_F(WindowExceptions, FailedCreateAndPaintAndSelfDestructionAreSurvived) {
    CFaultyWnd failing, painter;
    failing.failCreate = true;
    EXPECT_FALSE(testsupport::CreateTopWindow(failing, RECT{0, 0, 50, 50}, WS_POPUP));
    EXPECT_EQ(failing.GetHwnd(), nullptr) << "WM_CREATE answered -1";
    ASSERT_TRUE(testsupport::CreateTopWindow(painter, RECT{0, 0, 50, 50}, WS_POPUP));
    painter.paintsToFail = 1;
    for (int i = 0; i < 2; ++i) {
        ::InvalidateRect(painter, nullptr, FALSE);
        ::UpdateWindow(painter);
        testsupport::PumpFor(100);
    }
    EXPECT_EQ(g_reports.size(), 2u) << "one report each, no paint loop";
    EXPECT_GE(painter.paints, 1) << "paints normally afterwards";

    auto* doomed = new CFaultyWnd;
    ASSERT_TRUE(testsupport::CreateTopWindow(*doomed, RECT{0, 0, 50, 50}, WS_POPUP));
    const HWND hwnd = *doomed;
    ::SendMessageA(hwnd, WM_TIMER, 1, 0);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(g_reports.size(), 2u);
}

TEST(WindowExceptionBox, DefaultReportIsAMessageBoxWithTheText) {
    CFaultyWnd wnd;
    ASSERT_TRUE(testsupport::CreateTopWindow(wnd, RECT{0, 0, 200, 100}));
    win::SetAppTitle("Velloran Test");
    testsupport::SBoxTexts seen;
    testsupport::CDialogCloser closer([&](HWND box) {
        seen = testsupport::ReadBox(box);
        ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), 0); // returns when the box is closed
    EXPECT_EQ(seen.caption, "Velloran Test");
    EXPECT_TRUE(seen.Shows("Unhandled Unknown Exception!"));
}

} // namespace
