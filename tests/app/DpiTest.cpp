// The main window at 96, 144 and 192 DPI, and the look of its tables with and without a visual style.
// Wine reads the DPI from the prefix's LogPixels when a process starts, so the test sets it and measures
// the window in a child process of its own, then compares with the measures of this process at 96 DPI.
#include "BrowserRig.h"

#include "win/Dpi.h"
#include "win/Scoped.h"

#include <process.h>
#include <uxtheme.h>

#include <cstdlib>
#include <fstream>
#include <map>

namespace {

using namespace app;
using namespace testsupport;
using Measures = std::map<std::string, int>;

constexpr char kOutVar[] = "VELLORAN_DPI_OUT", kDesktop[] = "Control Panel\\Desktop";

// Fails for each label or button of a dialog whose text, in the control's font, is wider than the
// control leaves for it (beside a check box, inside a button's edges) or wraps taller than the control.
void ExpectNoClippedLabel(HWND dialog) {
    for (HWND c = ::GetWindow(dialog, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
        char cls[32] = {}, text[256] = {};
        ::GetClassNameA(c, cls, sizeof cls);
        ::GetWindowTextA(c, text, sizeof text);
        LONG style = ::GetWindowLongA(c, GWL_STYLE), type = style & BS_TYPEMASK;
        bool button = lstrcmpiA(cls, "Button") == 0 && type != BS_GROUPBOX;
        if (!*text || (!button && (lstrcmpiA(cls, "Static") != 0 || (style & SS_TYPEMASK) > SS_RIGHT)))
            continue;
        int dpi = win::WindowDpi(c);
        bool push = type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
        int edges = !button ? 0
                    : push  ? win::ScaleToDpi(6, dpi)
                            : win::SystemMetricForDpi(SM_CXMENUCHECK, dpi) + win::ScaleToDpi(4, dpi);
        RECT rc = {};
        ::GetClientRect(c, &rc);
        RECT calc{0, 0, rc.right - edges, 0};
        win::CWindowDC dc(c);
        win::CSelectObject font(dc, reinterpret_cast<HFONT>(::SendMessageA(c, WM_GETFONT, 0, 0)));
        bool wraps = !button || (style & BS_MULTILINE);
        ::DrawTextA(dc, text, -1, &calc, DT_CALCRECT | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
        EXPECT_TRUE(calc.right <= rc.right - edges && calc.bottom <= rc.bottom)
            << text << " at " << dpi << " DPI needs " << calc.right + edges << " x " << calc.bottom;
    }
}

// The window's measures: DPI, the player table's header and row height, its Player column auto-sized,
// which items of the main window overlap; no label of any dialog template may be clipped.
Measures MeasureMainWindow(const std::string& keyPath) {
    Measures m;
    CBrowserRig rig(keyPath, [&m](CBrowserRig& w) {
        Tabra::CTableCtrl& table = w.Lists().PlayerTable();
        table.AutoSize(CServerLists::PLAYER_NAME, true);
        m = {{"dpi", table.Geometry().dpi},
             {"header",
              win::WindowRectIn(table.Header(), w).bottom - win::WindowRectIn(table.Header(), w).top},
             {"row", table.Geometry().rowHeight},
             {"autosize", table.GetWidth(CServerLists::PLAYER_NAME)}};
        for (int id : {IDD_BROWSER, IDD_SERVER_INFO, IDD_MASTER_SERVER, IDD_OPTIONS, IDD_FAVORITES}) {
            HWND dialog = ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), w.GetHwnd(),
                                               nullptr, 0);
            EXPECT_NE(dialog, nullptr) << id;
            ExpectNoClippedLabel(dialog);
            ::DestroyWindow(dialog);
        }
        for (HWND a = ::GetWindow(w.GetHwnd(), GW_CHILD); a; a = ::GetWindow(a, GW_HWNDNEXT)) {
            for (HWND b = ::GetWindow(a, GW_HWNDNEXT); b; b = ::GetWindow(b, GW_HWNDNEXT)) {
                RECT ra = win::WindowRectIn(a, w), rb = win::WindowRectIn(b, w), both = {};
                if (::IsWindowVisible(a) && ::IsWindowVisible(b) && ::GetDlgCtrlID(a) > 0 &&
                    ::GetDlgCtrlID(b) > 0)
                    m["overlap " + std::to_string(::GetDlgCtrlID(a)) + "," +
                      std::to_string(::GetDlgCtrlID(b))] = ::IntersectRect(&both, &ra, &rb);
            }
        }
    });
    rig.DoModal();
    return m;
}

// Runs the measure in a child process at `dpi` (the prefix's LogPixels for its start); its measures
// come back in a file beside the test program.
Measures MeasureInChild(int dpi) {
    const DWORD value = static_cast<DWORD>(dpi);
    ::RegSetKeyValueA(HKEY_CURRENT_USER, kDesktop, "LogPixels", REG_DWORD, &value, sizeof value);
    char exe[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
    const std::string path = std::string(exe) + ".measures";
    ::SetEnvironmentVariableA(kOutVar, path.c_str());
    EXPECT_EQ(::_spawnl(_P_WAIT, exe, exe, "--gtest_filter=DpiTest.TablesScaleAndTheMainWindowKeepsItsLayout",
                        nullptr),
              0);
    ::SetEnvironmentVariableA(kOutVar, nullptr);
    ::RegDeleteKeyValueA(HKEY_CURRENT_USER, kDesktop, "LogPixels"); // back to the 96 DPI the tests expect
    Measures m;
    std::ifstream in(path);
    std::string name;
    for (int v = 0; std::getline(in >> std::ws, name, '=') && in >> v;)
        m[name] = v;
    return m;
}

class DpiTest : public BrowserFixture {};

TEST_F(DpiTest, TablesScaleAndTheMainWindowKeepsItsLayout) {
    if (const char* out = std::getenv(kOutVar)) { // the child process of this test: measures and ends
        std::ofstream file(out);
        for (const auto& [name, v] : MeasureMainWindow(m_path))
            file << name << '=' << v << '\n';
        return;
    }
    Measures base = MeasureMainWindow(m_path);
    ASSERT_EQ(base.at("dpi"), 96) << "the prefix runs at 96 DPI";
    for (int dpi : {144, 192}) {
        SCOPED_TRACE(dpi);
        Measures m = MeasureInChild(dpi);
        ASSERT_EQ(m["dpi"], dpi) << "the child process did not run at the prefix's LogPixels";
        // Sizes within their tolerance of the ratio, overlaps as they were. Text widths follow the font,
        // whose whole-pixel height is off the ratio (8 points: 11 pixels at 96 DPI, 21 at 192).
        for (const auto& [name, v] : base) {
            double tolerance = name.starts_with("overlap") ? 0.0 : name == "autosize" ? 8.0 : 1.0;
            EXPECT_NEAR(m[name], tolerance > 0 ? v * dpi / 96.0 : v, tolerance) << name;
        }
    }
}

// Wine never moves a window to another monitor: the message a system sends then, sent by hand. A layout
// saved before is loaded at the new DPI. Header buttons and check boxes take the visual style's parts
// while one is active, the classic look when the program's controls are not themed, and the theme again
// when it is back (WM_THEMECHANGED).
TEST_F(DpiTest, ADpiChangeRemeasuresTheTablesAndTheirLookFollowsTheTheme) {
    const std::string texts[3] = {"no", "yes", "maybe"};
    Tabra::C3StateOut check(Tabra::kDrawCenter, true, texts);
    check.SetEditMode(true);
    Open([&check](CBrowserRig& w) {
        Tabra::CHeaderDisplay& header = w.Lists().PlayerTable().Header();
        const RECT rc = header.GetClientRect();
        auto look = [&] {
            Tabra::CDInt cell;
            return std::pair(
                Picture(rc.right, rc.bottom, [&](HDC dc) { header.PaintInto(dc, rc); }),
                Picture(140, 20, [&](HDC dc) {
                    Tabra::CRenderScope scope(check, dc);
                    for (int v : {0, 1, 2, 4, 5, 6})
                        cell.SetInt(v), check.DrawCell(RECT{v * 20, 0, v * 20 + 20, 20}, &cell, false);
                }));
        };
        const auto themed = look();
        for (DWORD flags : {DWORD{0}, ::GetThemeAppProperties()}) { // off, then back on
            ::SetThemeAppProperties(flags);
            ::SendMessageA(header, WM_THEMECHANGED, 0, 0);
            if (::IsThemeActive()) { // a prefix without a visual style has the classic look only
                EXPECT_EQ(look() == themed, flags != 0) << flags;
            }
        }

        Tabra::CTableCtrl& table = w.Lists().ServerTable();
        const int row = table.Geometry().rowHeight;
        table.SetWidth(CServerLists::SERVER_NAME, 150);
        Tabra::CWordArray layout;
        table.GetLayout(layout);
        RECT suggested{30, 20, 30 + 960, 20 + 640}, now = {};
        ::SendMessageA(w.GetHwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144),
                       reinterpret_cast<LPARAM>(&suggested));
        now = w.Rect();
        EXPECT_TRUE(::EqualRect(&now, &suggested));
        EXPECT_EQ(win::WindowRectIn(table.Header(), w).bottom - win::WindowRectIn(table.Header(), w).top, 27);
        EXPECT_EQ(table.GetWidth(CServerLists::SERVER_NAME), 225);
        EXPECT_GT(table.Geometry().rowHeight, row) << "the font grew with the DPI";
        ASSERT_TRUE(table.SetLayout(layout));
        EXPECT_EQ(table.GetWidth(CServerLists::SERVER_NAME), 225) << "the layout saved at 96 DPI";
    });
}

} // namespace
