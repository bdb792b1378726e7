#include "win/Window.h"
#include "base/Error.h"
#include "support/Win.h"
#include "win/ErrorReport.h"
#include "win/WaitCursor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

using win::CWnd;
using Calls = std::vector<std::string>;

namespace {

// Records its destruction and the commands and notifications it gets (answering these with 4).
class CRecordingWnd : public CWnd {
public:
    Calls calls;

protected:
    void OnDestroy() override { calls.push_back("Destroy"), CWnd::OnDestroy(); }
    void PostNcDestroy() override { calls.push_back("NcDestroy"); }
    bool OnCommand(int, int code, HWND) override {
        return calls.push_back("Command " + std::to_string(code)), true;
    }
    bool OnNotify(NMHDR* header, LRESULT& result) override {
        calls.push_back("Notify " + std::to_string(static_cast<int>(header->code)));
        return result = 4, true;
    }
};

// Keeps its odd notification codes from its parent and answers them itself.
class CSelfishChild : public CWnd {
protected:
    bool OnReflectCommand(int code, LRESULT& result) override { return result = 7, code % 2 == 1; }
    bool OnReflectNotify(NMHDR* header, LRESULT& result) override {
        return result = 9, static_cast<int>(header->code) % 2 != 0;
    }
};

TEST(WindowTest, RoutesUntilDestroyedTheChildAnswersItsNotificationsFirstAndTheWaitCursorStays) {
    CRecordingWnd wnd;
    ASSERT_TRUE(testsupport::CreateTopWindow(wnd, RECT{0, 0, 300, 200}));
    CSelfishChild child;
    ASSERT_TRUE(child.CreateControl("STATIC", "", WS_CHILD, 0, RECT{0, 0, 10, 10}, wnd, 1030));
    const auto send = [&](UINT msg, int code) {
        NMHDR header{child, 1030, static_cast<UINT>(code)};
        return msg == WM_NOTIFY ? wnd.SendMessage(msg, 1030, reinterpret_cast<LPARAM>(&header))
                                : wnd.SendMessage(msg, MAKEWPARAM(1030, code), (LPARAM)child.GetHwnd());
    };
    EXPECT_EQ(send(WM_COMMAND, 3) + send(WM_NOTIFY, -5), 7 + 9) << "answered by the child";
    EXPECT_EQ(send(WM_COMMAND, 4) + send(WM_NOTIFY, -6), 0 + 4);
    const HCURSOR wait = ::LoadCursorA(nullptr, IDC_WAIT), beam = ::LoadCursorA(nullptr, IDC_IBEAM);
    ::SetCursor(beam);
    {
        win::CWaitCursor outer;
        { win::CWaitCursor inner; }
        EXPECT_EQ(::GetCursor(), wait) << "the inner one restores the outer wait cursor";
        ::SetCursor(::LoadCursorA(nullptr, IDC_ARROW));
        EXPECT_EQ(wnd.SendMessage(WM_SETCURSOR, (WPARAM)wnd.GetHwnd(), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
                  TRUE);
        EXPECT_EQ(::GetCursor(), wait);
    }
    EXPECT_FALSE(win::CWaitCursor::IsActive());
    EXPECT_EQ(::GetCursor(), beam);
    const HWND hwnd = wnd;
    EXPECT_TRUE(wnd.DestroyWindow());
    EXPECT_EQ(wnd.calls, (Calls{"Command 4", "Notify -6", "Destroy", "NcDestroy"}));
    EXPECT_TRUE(!wnd.GetHwnd() && !child.GetHwnd()) << "both objects let go of their destroyed windows";
    EXPECT_EQ(CWnd::FromHandle(hwnd), nullptr);
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

// A window subclassed by an object goes back to its creator with the object's end; a control the object
// made itself goes with the object. Either way the object's handlers run first.
TEST(WindowTest, SubclassingEndsWithTheObjectAndAControlTheObjectMakesGoesWithIt) {
    HWND edit = ::CreateWindowExA(0, "EDIT", "", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, nullptr, nullptr);
    const auto original = ::GetWindowLongPtrA(edit, GWLP_WNDPROC);
    HWND made = nullptr;
    {
        CEditFilter filter, second, maker;
        ASSERT_TRUE(filter.SubclassWindow(edit));
        EXPECT_FALSE(second.SubclassWindow(edit)) << "one window, one object";
        ASSERT_TRUE(maker.CreateControl("EDIT", "", WS_POPUP, 0, RECT{0, 0, 50, 20}, nullptr, 0));
        made = maker;
        for (CEditFilter* object : {&filter, &maker}) {
            for (char c : std::string("axbxc"))
                ::SendMessageA(*object, WM_CHAR, static_cast<WPARAM>(c), 1);
            EXPECT_EQ(object->seen + " " + object->GetWindowText(), "axbxc abc");
        }
    }
    EXPECT_FALSE(::IsWindow(made));
    EXPECT_TRUE(::IsWindow(edit)) << "a subclassed window belongs to its creator";
    EXPECT_EQ(::GetWindowLongPtrA(edit, GWLP_WNDPROC), original);
    EXPECT_EQ(CWnd::FromHandle(edit), nullptr);
    ::DestroyWindow(edit);
    CWnd unrouted;
    EXPECT_FALSE(unrouted.Create("STATIC", "x", WS_POPUP, 0, RECT{0, 0, 10, 10}, nullptr));
    EXPECT_FALSE(unrouted.Create("NoSuchVelloranClass", "x", WS_POPUP, 0, RECT{0, 0, 10, 10}, nullptr));
    EXPECT_FALSE(
        unrouted.CreateControl("NoSuchVelloranClass", "", WS_POPUP, 0, RECT{0, 0, 9, 9}, nullptr, 0));
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

TEST(WindowExceptions, EscapingExceptionsAreReportedOnceWithTheirMessageAndTheWindowSurvives) {
    const win::ExceptionReporter previous = win::SetExceptionReporter(
        [](HWND owner, const std::string& text) { g_reports.emplace_back(owner, text); });
    CFaultyWnd wnd, failing;
    ASSERT_TRUE(testsupport::CreateTopWindow(wnd, RECT{0, 0, 50, 50}, WS_POPUP));
    struct Case {
        std::function<void()> fail;
        const char* text;
    } cases[] = {{[] {}, nullptr},
                 {[] { throw CDerivedError("Verbindung weg", 10054); }, "Verbindung weg"},
                 {[] { throw std::runtime_error("not ours"); }, "Unhandled Unknown Exception!"}};
    for (const auto& c : cases) {
        g_reports.clear();
        wnd.fail = c.fail;
        wnd.SendMessage(WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), 0);
        EXPECT_EQ(g_reports, (c.text ? decltype(g_reports){{wnd, c.text}} : decltype(g_reports){})) << c.text;
    }
    g_reports.clear();
    failing.failCreate = true;
    EXPECT_FALSE(testsupport::CreateTopWindow(failing, RECT{0, 0, 50, 50}, WS_POPUP));
    EXPECT_EQ(failing.GetHwnd(), nullptr) << "WM_CREATE answered -1";
    wnd.paintsToFail = 1;
    for (int i = 0; i < 2; ++i)
        ::RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW), testsupport::PumpFor(100);
    EXPECT_EQ(g_reports.size(), 2u) << "one report each, no paint loop";
    EXPECT_GE(wnd.paints, 1) << "paints normally afterwards";
    auto* doomed = new CFaultyWnd;
    ASSERT_TRUE(testsupport::CreateTopWindow(*doomed, RECT{0, 0, 50, 50}, WS_POPUP));
    const HWND hwnd = *doomed;
    ::SendMessageA(hwnd, WM_TIMER, 1, 0);
    EXPECT_FALSE(::IsWindow(hwnd)) << "the object destroys the window it created";
    EXPECT_EQ(g_reports.size(), 2u);
    win::SetExceptionReporter(previous);

    win::SetAppTitle("Velloran Test"); // the default report: a message box with the program's title
    testsupport::SBoxTexts seen;
    testsupport::CDialogCloser closer([&](HWND box) {
        seen = testsupport::ReadBox(box);
        ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), 0); // returns when the box is closed
    EXPECT_EQ(seen.caption, "Velloran Test");
    EXPECT_EQ(std::ranges::count(seen.texts, "Unhandled Unknown Exception!"), 1);
}

} // namespace
