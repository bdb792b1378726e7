#include "win/Window.h"
#include "base/Error.h"
#include "support/Win.h"
#include "win/ErrorReport.h"
#include "win/WaitCursor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

using win::CWnd;

namespace {

constexpr char kTestClass[] = "VelloranWinTest";
constexpr UINT kAppMessage = WM_APP + 7;

// Records every handler call as a short text.
class CRecordingWnd : public CWnd {
public:
    std::vector<std::string> calls;
    int destroyed = 0;
    int ncDestroyed = 0;
    LRESULT notifyAnswer = 0;
    bool handleCommands = true;
    HWND lostCaptureTo = reinterpret_cast<HWND>(-1);

    std::string Last() const { return calls.empty() ? std::string() : calls.back(); }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == kAppMessage)
            return static_cast<LRESULT>(wParam * 10 + lParam);
        return CWnd::WindowProc(msg, wParam, lParam);
    }
    int OnCreate(CREATESTRUCTA* cs) override {
        calls.push_back(std::string("Create ") + (cs->lpszName ? cs->lpszName : ""));
        return CWnd::OnCreate(cs);
    }
    void OnDestroy() override {
        ++destroyed;
        CWnd::OnDestroy();
    }
    void PostNcDestroy() override { ++ncDestroyed; }
    bool OnCommand(int id, int code, HWND) override {
        calls.push_back("Command " + std::to_string(id) + " " + std::to_string(code));
        return handleCommands;
    }
    bool OnNotify(NMHDR* header, LRESULT& result) override {
        calls.push_back("Notify " + std::to_string(header->idFrom) + " " +
                        std::to_string(static_cast<int>(header->code)));
        result = notifyAnswer;
        return true;
    }
    void OnSize(UINT type, int cx, int cy) override {
        calls.push_back("Size " + std::to_string(type) + " " + std::to_string(cx) + "x" + std::to_string(cy));
    }
    void OnLButtonDown(UINT flags, POINT pt) override { Mouse("LButtonDown", flags, pt); }
    void OnLButtonUp(UINT flags, POINT pt) override { Mouse("LButtonUp", flags, pt); }
    void OnLButtonDblClk(UINT flags, POINT pt) override { Mouse("LButtonDblClk", flags, pt); }
    void OnRButtonDown(UINT flags, POINT pt) override { Mouse("RButtonDown", flags, pt); }
    void OnRButtonUp(UINT flags, POINT pt) override { Mouse("RButtonUp", flags, pt); }
    void OnMouseMove(UINT flags, POINT pt) override { Mouse("MouseMove", flags, pt); }
    void OnMouseWheel(UINT flags, short delta, POINT pt) override {
        calls.push_back("MouseWheel " + std::to_string(flags) + " " + std::to_string(delta) + " " +
                        std::to_string(pt.x) + "," + std::to_string(pt.y));
    }
    void OnKeyDown(UINT key, UINT repeat, UINT flags) override { Key("KeyDown", key, repeat, flags); }
    void OnKeyUp(UINT key, UINT repeat, UINT flags) override { Key("KeyUp", key, repeat, flags); }
    void OnChar(UINT ch, UINT repeat, UINT flags) override { Key("Char", ch, repeat, flags); }
    void OnVScroll(UINT code, int pos, HWND) override {
        calls.push_back("VScroll " + std::to_string(code) + " " + std::to_string(pos));
    }
    void OnHScroll(UINT code, int pos, HWND) override {
        calls.push_back("HScroll " + std::to_string(code) + " " + std::to_string(pos));
    }
    void OnTimer(UINT_PTR id) override { calls.push_back("Timer " + std::to_string(id)); }
    void OnCaptureChanged(HWND newCapture) override {
        lostCaptureTo = newCapture;
        calls.push_back("CaptureChanged");
    }
    void OnSetFocus(HWND) override { calls.push_back("SetFocus"); }
    UINT OnGetDlgCode() override { return DLGC_WANTALLKEYS; }

private:
    void Mouse(const char* name, UINT flags, POINT pt) {
        calls.push_back(std::string(name) + " " + std::to_string(flags) + " " + std::to_string(pt.x) + "," +
                        std::to_string(pt.y));
    }
    void Key(const char* name, UINT key, UINT repeat, UINT flags) {
        calls.push_back(std::string(name) + " " + std::to_string(key) + " " + std::to_string(repeat) + " " +
                        std::to_string(flags));
    }
};

RECT Rect(int l, int t, int r, int b) {
    return RECT{l, t, r, b};
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CWnd::RegisterClass(kTestClass));
        ASSERT_TRUE(m_wnd.Create(kTestClass, "main", WS_OVERLAPPEDWINDOW, 0, Rect(0, 0, 300, 200), nullptr));
        m_wnd.ShowWindow(SW_SHOWNOACTIVATE);
    }

    CRecordingWnd m_wnd;
};

TEST_F(WindowTest, CreateRoutesFromTheFirstMessage) {
    ASSERT_NE(m_wnd.GetHwnd(), nullptr);
    EXPECT_EQ(CWnd::FromHandle(m_wnd.GetHwnd()), &m_wnd);
    ASSERT_FALSE(m_wnd.calls.empty());
    EXPECT_EQ(m_wnd.calls.front(), "Create main");
    EXPECT_TRUE(CWnd::RegisterClass(kTestClass)) << "registering again is not an error";
}

TEST_F(WindowTest, MessagesReachTheirHandlers) {
    struct Case {
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
        const char* call;
    } cases[] = {
        {WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(12, 34), "LButtonDown 1 12,34"},
        {WM_LBUTTONUP, 0, MAKELPARAM(-5, -7), "LButtonUp 0 -5,-7"},
        {WM_LBUTTONDBLCLK, MK_LBUTTON | MK_SHIFT, MAKELPARAM(1, 2), "LButtonDblClk 5 1,2"},
        {WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(100, 3), "RButtonDown 2 100,3"},
        {WM_RBUTTONUP, 0, MAKELPARAM(4, 5), "RButtonUp 0 4,5"},
        {WM_MOUSEMOVE, MK_CONTROL, MAKELPARAM(299, 199), "MouseMove 8 299,199"},
        {WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), MAKELPARAM(10, 20),
         "MouseWheel 0 -120 10,20"},
        {WM_KEYDOWN, VK_F5, MAKELPARAM(1, 0x3F), "KeyDown 116 1 63"},
        {WM_KEYUP, VK_DOWN, MAKELPARAM(2, 0xC150), "KeyUp 40 2 49488"},
        {WM_CHAR, 'q', MAKELPARAM(3, 0x10), "Char 113 3 16"},
        {WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 77), 0, "VScroll 5 77"},
        {WM_HSCROLL, MAKEWPARAM(SB_LINERIGHT, 0), 0, "HScroll 1 0"},
        {WM_COMMAND, MAKEWPARAM(1042, BN_CLICKED), 0, "Command 1042 0"},
        {WM_COMMAND, MAKEWPARAM(1010, CBN_SELENDOK), 0, "Command 1010 9"},
        {WM_TIMER, 9, 0, "Timer 9"},
        {WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(640, 480), "Size 2 640x480"},
    };
    for (const Case& c : cases) {
        m_wnd.calls.clear();
        m_wnd.SendMessage(c.msg, c.wParam, c.lParam);
        ASSERT_EQ(m_wnd.calls.size(), 1u) << c.call;
        EXPECT_EQ(m_wnd.calls[0], c.call);
    }
}

TEST_F(WindowTest, ResultsOfHandlersAndOverriddenWindowProcAreAnswered) {
    EXPECT_EQ(m_wnd.SendMessage(kAppMessage, 4, 2), 42);
    EXPECT_EQ(m_wnd.SendMessage(WM_GETDLGCODE), DLGC_WANTALLKEYS);

    NMHDR header = {m_wnd.GetHwnd(), 1012, static_cast<UINT>(-2001)};
    for (LRESULT answer : {LRESULT(0), LRESULT(1), LRESULT(-5)}) {
        m_wnd.notifyAnswer = answer;
        EXPECT_EQ(m_wnd.SendMessage(WM_NOTIFY, 1012, reinterpret_cast<LPARAM>(&header)), answer);
        EXPECT_EQ(m_wnd.Last(), "Notify 1012 -2001");
    }
}

TEST_F(WindowTest, UnhandledMessagesGetDefaultProcessing) {
    m_wnd.SetWindowText("changed title");
    EXPECT_EQ(m_wnd.GetWindowText(), "changed title");
    // A real move produces WM_SIZE through DefWindowProc's WM_WINDOWPOSCHANGED handling.
    m_wnd.calls.clear();
    ::SetWindowPos(m_wnd.GetHwnd(), nullptr, 0, 0, 320, 240, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    RECT client = m_wnd.GetClientRect();
    std::string expected = "Size 0 " + std::to_string(client.right) + "x" + std::to_string(client.bottom);
    EXPECT_NE(std::find(m_wnd.calls.begin(), m_wnd.calls.end(), expected), m_wnd.calls.end()) << expected;
}

TEST_F(WindowTest, DestroyingEndsTheRouting) {
    HWND hwnd = m_wnd.GetHwnd();
    EXPECT_TRUE(m_wnd.DestroyWindow());
    EXPECT_EQ(m_wnd.destroyed, 1);
    EXPECT_EQ(m_wnd.ncDestroyed, 1);
    EXPECT_EQ(m_wnd.GetHwnd(), nullptr);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(CWnd::FromHandle(hwnd), nullptr);
}

TEST(WindowLifetime, ObjectDestroysItsOwnWindowOnly) {
    ASSERT_TRUE(CWnd::RegisterClass(kTestClass));
    HWND created = nullptr;
    {
        CRecordingWnd wnd;
        ASSERT_TRUE(wnd.Create(kTestClass, "owned", WS_POPUP, 0, Rect(0, 0, 50, 50), nullptr));
        created = wnd.GetHwnd();
    }
    EXPECT_FALSE(::IsWindow(created));

    HWND edit = ::CreateWindowExA(0, "EDIT", "", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(edit, nullptr);
    {
        CRecordingWnd wnd;
        ASSERT_TRUE(wnd.SubclassWindow(edit));
    }
    EXPECT_TRUE(::IsWindow(edit)) << "a subclassed window belongs to its creator";
    EXPECT_EQ(CWnd::FromHandle(edit), nullptr);
    ::DestroyWindow(edit);
}

TEST(WindowCreate, FailsForAClassThatIsNotRouted) {
    CRecordingWnd wnd;
    EXPECT_FALSE(wnd.Create("STATIC", "x", WS_POPUP, 0, Rect(0, 0, 10, 10), nullptr));
    EXPECT_EQ(wnd.GetHwnd(), nullptr);
    EXPECT_FALSE(wnd.Create("NoSuchVelloranClass", "x", WS_POPUP, 0, Rect(0, 0, 10, 10), nullptr));
}

// Sees the characters typed into an edit control, swallows 'x' and forwards the rest.
class CEditFilter : public CWnd {
public:
    std::string seen;
    int setTexts = 0;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_SETTEXT)
            ++setTexts;
        return CWnd::WindowProc(msg, wParam, lParam);
    }
    void OnChar(UINT ch, UINT repeat, UINT flags) override {
        seen.push_back(static_cast<char>(ch));
        if (ch != 'x')
            CWnd::OnChar(ch, repeat, flags);
    }
};

TEST_F(WindowTest, SubclassedEditSeesItsMessagesAndForwardsTheRest) {
    HWND edit = ::CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 5, 5, 200, 20, m_wnd.GetHwnd(),
                                  reinterpret_cast<HMENU>(77), nullptr, nullptr);
    ASSERT_NE(edit, nullptr);
    auto original = ::GetWindowLongPtrA(edit, GWLP_WNDPROC);

    CEditFilter filter;
    ASSERT_TRUE(filter.SubclassDlgItem(77, m_wnd.GetHwnd()));
    EXPECT_EQ(CWnd::FromHandle(edit), &filter);
    CEditFilter second;
    EXPECT_FALSE(second.SubclassWindow(edit)) << "one window, one object";

    for (char c : std::string("axbxc"))
        ::SendMessageA(edit, WM_CHAR, static_cast<WPARAM>(c), 1);
    EXPECT_EQ(filter.seen, "axbxc");
    EXPECT_EQ(filter.GetWindowText(), "abc");

    ::SetWindowTextA(edit, "set");
    EXPECT_EQ(filter.setTexts, 1);
    EXPECT_EQ(filter.GetWindowText(), "set");

    EXPECT_EQ(filter.UnsubclassWindow(), edit);
    EXPECT_EQ(::GetWindowLongPtrA(edit, GWLP_WNDPROC), original);
    EXPECT_EQ(CWnd::FromHandle(edit), nullptr);
    ::SendMessageA(edit, WM_CHAR, 'x', 1);
    EXPECT_EQ(filter.seen, "axbxc");
    EXPECT_EQ(::GetWindowTextLengthA(edit), 4) << "without the filter 'x' reaches the edit";
}

TEST_F(WindowTest, SubclassedControlDetachesWhenDestroyed) {
    CEditFilter filter;
    ASSERT_TRUE(filter.CreateControl("EDIT", "abc", WS_CHILD | WS_VISIBLE, 0, Rect(5, 5, 100, 25),
                                     m_wnd.GetHwnd(), 78));
    EXPECT_EQ(filter.GetDlgCtrlID(), 78);
    EXPECT_EQ(m_wnd.GetDlgItem(78), filter.GetHwnd());
    RECT r = filter.GetRectInParent();
    EXPECT_EQ(r.left, 5);
    EXPECT_EQ(r.top, 5);
    EXPECT_EQ(r.right, 100);
    EXPECT_EQ(r.bottom, 25);
    m_wnd.DestroyWindow(); // destroys the child too
    EXPECT_EQ(filter.GetHwnd(), nullptr);
}

class CColouredStatic : public CWnd {
public:
    HBRUSH brush = ::CreateSolidBrush(RGB(1, 2, 3));
    ~CColouredStatic() override { ::DeleteObject(brush); }

protected:
    HBRUSH OnReflectCtlColor(HDC dc, UINT) override {
        ::SetTextColor(dc, RGB(0, 0, 255));
        return brush;
    }
};

TEST_F(WindowTest, ChildChoosesItsOwnColours) {
    CColouredStatic label;
    ASSERT_TRUE(label.CreateControl("STATIC", "link", WS_CHILD | WS_VISIBLE, 0, Rect(0, 0, 60, 20),
                                    m_wnd.GetHwnd(), 1020));
    CWnd plain;
    ASSERT_TRUE(plain.CreateControl("STATIC", "plain", WS_CHILD | WS_VISIBLE, 0, Rect(0, 30, 60, 50),
                                    m_wnd.GetHwnd(), 1021));
    HDC dc = ::GetDC(m_wnd.GetHwnd());
    LRESULT brush = m_wnd.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                      reinterpret_cast<LPARAM>(label.GetHwnd()));
    EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), label.brush);
    EXPECT_EQ(::GetTextColor(dc), RGB(0, 0, 255));
    LRESULT other = m_wnd.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                      reinterpret_cast<LPARAM>(plain.GetHwnd()));
    EXPECT_NE(reinterpret_cast<HBRUSH>(other), label.brush);
    ::ReleaseDC(m_wnd.GetHwnd(), dc);
}

TEST_F(WindowTest, TimerFiresUntilKilled) {
    ASSERT_TRUE(m_wnd.SetTimer(3, 20));
    auto timerCalls = [&] { return std::count(m_wnd.calls.begin(), m_wnd.calls.end(), "Timer 3"); };
    EXPECT_TRUE(wintest::PumpUntil([&] { return timerCalls() >= 2; }, 10000));
    ASSERT_TRUE(m_wnd.KillTimer(3));
    wintest::PumpFor(100); // a tick already queued may still arrive
    auto afterKill = timerCalls();
    wintest::PumpFor(300);
    EXPECT_EQ(timerCalls(), afterKill);
}

TEST_F(WindowTest, CaptureIsHeldAndItsLossReported) {
    m_wnd.SetCapture();
    EXPECT_TRUE(m_wnd.HasCapture());
    m_wnd.calls.clear();
    CWnd::ReleaseCapture();
    EXPECT_FALSE(m_wnd.HasCapture());
    EXPECT_EQ(m_wnd.Last(), "CaptureChanged");
    EXPECT_EQ(m_wnd.lostCaptureTo, nullptr);
}

TEST_F(WindowTest, WaitCursorIsShownAndRestored) {
    HCURSOR arrow = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    HCURSOR wait = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32514));
    HCURSOR beam = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32513));
    ::SetCursor(beam);
    EXPECT_FALSE(win::CWaitCursor::IsActive());
    {
        win::CWaitCursor outer;
        EXPECT_TRUE(win::CWaitCursor::IsActive());
        EXPECT_EQ(::GetCursor(), wait);
        {
            win::CWaitCursor inner;
            EXPECT_EQ(::GetCursor(), wait);
        }
        EXPECT_EQ(::GetCursor(), wait) << "the inner one restores the outer wait cursor";
        EXPECT_TRUE(win::CWaitCursor::IsActive());

        // Windows keep the wait cursor while the mouse moves over them.
        ::SetCursor(arrow);
        LRESULT handled = m_wnd.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(m_wnd.GetHwnd()),
                                            MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(handled, TRUE);
        EXPECT_EQ(::GetCursor(), wait);
    }
    EXPECT_FALSE(win::CWaitCursor::IsActive());
    EXPECT_EQ(::GetCursor(), beam) << "the cursor from before the outer one";
}

class CDerivedError : public base::CError {
    using CError::CError;
};

// Throws from a command handler.
class CThrowingWnd : public CWnd {
protected:
    bool OnCommand(int id, int, HWND) override {
        if (id == 1)
            throw base::CError("Datei kaputt", 3);
        if (id == 2)
            throw CDerivedError("Verbindung weg", 10054);
        if (id == 3)
            throw 42;
        if (id == 4)
            throw std::runtime_error("not ours");
        return false;
    }
};

std::vector<std::pair<HWND, std::string>> g_reports;
void RecordReport(HWND owner, const std::string& text) {
    g_reports.emplace_back(owner, text);
}

TEST(WindowExceptions, EscapingExceptionIsReportedWithItsMessage) {
    ASSERT_TRUE(CWnd::RegisterClass(kTestClass));
    CThrowingWnd wnd;
    ASSERT_TRUE(wnd.Create(kTestClass, "thrower", WS_POPUP, 0, Rect(0, 0, 50, 50), nullptr));
    auto previous = win::SetExceptionReporter(RecordReport);
    struct Case {
        int id;
        const char* text;
    } cases[] = {
        {1, "Datei kaputt"},
        {2, "Verbindung weg"},
        {3, "Unhandled Unknown Exception!"},
        {4, "Unhandled Unknown Exception!"},
    };
    for (const Case& c : cases) {
        g_reports.clear();
        wnd.SendMessage(WM_COMMAND, MAKEWPARAM(c.id, BN_CLICKED), 0);
        ASSERT_EQ(g_reports.size(), 1u) << c.id;
        EXPECT_EQ(g_reports[0].first, wnd.GetHwnd());
        EXPECT_EQ(g_reports[0].second, c.text);
    }
    g_reports.clear();
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(5, BN_CLICKED), 0);
    EXPECT_TRUE(g_reports.empty());
    win::SetExceptionReporter(previous);
}

TEST(WindowExceptions, DefaultReportIsAMessageBoxWithTheText) {
    ASSERT_TRUE(CWnd::RegisterClass(kTestClass));
    CThrowingWnd wnd;
    ASSERT_TRUE(wnd.Create(kTestClass, "thrower", WS_OVERLAPPEDWINDOW, 0, Rect(0, 0, 200, 100), nullptr));
    win::SetAppTitle("Velloran Test");
    wintest::SBoxTexts seen;
    wintest::CDialogCloser closer([&](HWND box) {
        seen = wintest::ReadBox(box);
        ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(3, BN_CLICKED), 0); // returns when the box is closed
    EXPECT_TRUE(closer.Done());
    EXPECT_EQ(seen.caption, "Velloran Test");
    EXPECT_TRUE(seen.Shows("Unhandled Unknown Exception!"));
}

} // namespace

namespace {

// A child that keeps its odd notification codes from its parent and answers them itself.
class CReflectingChild : public CWnd {
protected:
    bool OnReflectCommand(int code, LRESULT& result) override {
        result = 7;
        return code % 2 == 1;
    }
    bool OnReflectNotify(NMHDR* header, LRESULT& result) override {
        result = 9;
        return static_cast<int>(header->code) % 2 != 0;
    }
};

TEST_F(WindowTest, ChildNotificationsReachTheChildFirst) {
    CReflectingChild child;
    ASSERT_TRUE(child.CreateControl("STATIC", "", WS_CHILD, 0, Rect(0, 0, 10, 10), m_wnd.GetHwnd(), 1030));
    auto command = [&](int code) {
        return m_wnd.SendMessage(WM_COMMAND, MAKEWPARAM(1030, code),
                                 reinterpret_cast<LPARAM>(child.GetHwnd()));
    };
    auto notify = [&](int code) {
        NMHDR header{child.GetHwnd(), 1030, static_cast<UINT>(code)};
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

// Throws in WM_CREATE or WM_PAINT as told, or deletes itself in a handler.
class CFaultyWnd : public CWnd {
public:
    bool throwOnCreate = false;
    int paintsToFail = 0;
    int paints = 0;

protected:
    int OnCreate(CREATESTRUCTA* cs) override {
        if (throwOnCreate)
            throw std::runtime_error("create");
        return CWnd::OnCreate(cs);
    }
    void OnPaint() override {
        PAINTSTRUCT ps;
        ::BeginPaint(m_hwnd, &ps);
        if (paintsToFail > 0) {
            --paintsToFail;
            throw std::runtime_error("paint");
        }
        ++paints;
        ::EndPaint(m_hwnd, &ps);
    }
    void OnTimer(UINT_PTR) override {
        KillTimer(1);
        delete this; // the handler ends the object; its window goes with it
    }
};

TEST(WindowExceptions, FailedCreateAndPaintAndSelfDestruction) {
    ASSERT_TRUE(CWnd::RegisterClass(kTestClass));
    auto previous = win::SetExceptionReporter(RecordReport);
    g_reports.clear();
    CFaultyWnd failing;
    failing.throwOnCreate = true;
    EXPECT_FALSE(failing.Create(kTestClass, "x", WS_POPUP, 0, Rect(0, 0, 50, 50), nullptr));
    EXPECT_EQ(failing.GetHwnd(), nullptr) << "WM_CREATE answered -1";
    EXPECT_EQ(g_reports.size(), 1u);

    CFaultyWnd painter;
    ASSERT_TRUE(painter.Create(kTestClass, "p", WS_POPUP | WS_VISIBLE, 0, Rect(0, 0, 50, 50), nullptr));
    painter.paintsToFail = 1;
    ::InvalidateRect(painter, nullptr, FALSE);
    ::UpdateWindow(painter);
    wintest::PumpFor(100);
    EXPECT_EQ(g_reports.size(), 2u) << "one report, no paint loop";
    ::InvalidateRect(painter, nullptr, FALSE);
    ::UpdateWindow(painter);
    EXPECT_GE(painter.paints, 1) << "paints normally afterwards";

    auto* doomed = new CFaultyWnd;
    ASSERT_TRUE(doomed->Create(kTestClass, "d", WS_POPUP, 0, Rect(0, 0, 50, 50), nullptr));
    HWND hwnd = doomed->GetHwnd();
    ::SendMessageA(hwnd, WM_TIMER, 1, 0);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(g_reports.size(), 2u);
    win::SetExceptionReporter(previous);
}

} // namespace
