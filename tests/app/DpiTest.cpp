// The main window and its tables at 96, 144 and 192 DPI. Wine reads the DPI from the prefix's
// LogPixels when a process starts, so the test sets it and measures the window in a child process
// of its own, then compares with the measures of this process at 96 DPI.
#include "BrowserRig.h"
#include "RegistryTestKey.h"

#include "win/Controls.h"
#include "win/Dpi.h"
#include "win/ErrorReport.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

namespace {

using app::CServerLists;
using testsupport::CBrowserRig;
using Measures = std::map<std::string, int>;

constexpr char kOutVar[] = "VELLORAN_DPI_OUT";
constexpr char kLayoutVar[] = "VELLORAN_DPI_LAYOUT";
constexpr int kSavedIpWidth = 150; // the Server column's width in the layout saved at 96 DPI

// Visible labels and buttons whose text is wider than the control leaves for it.
int ClippedLabels(HWND dialog) {
    int clipped = 0;
    for (HWND c = ::GetWindow(dialog, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
        char cls[32] = {};
        ::GetClassNameA(c, cls, sizeof cls);
        std::string text(256, '\0');
        text.resize(static_cast<size_t>(::GetWindowTextA(c, text.data(), 256)));
        LONG style = ::GetWindowLongA(c, GWL_STYLE);
        bool button = lstrcmpiA(cls, "Button") == 0 && (style & BS_TYPEMASK) != BS_GROUPBOX;
        if (!::IsWindowVisible(c) || text.empty() || (lstrcmpiA(cls, "Static") != 0 && !button))
            continue;
        std::erase(text, '&');
        HDC dc = ::GetDC(c);
        HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageA(c, WM_GETFONT, 0, 0)));
        SIZE size = {};
        ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
        ::SelectObject(dc, old);
        ::ReleaseDC(c, dc);
        RECT rc = {};
        ::GetClientRect(c, &rc);
        int box =
            button && (style & BS_TYPEMASK) != BS_PUSHBUTTON && (style & BS_TYPEMASK) != BS_DEFPUSHBUTTON
                ? win::SystemMetricForDpi(SM_CXMENUCHECK, win::WindowDpi(c))
                : 0;
        if (size.cx + box > rc.right) {
            std::printf("clipped label \"%s\": %ld > %ld\n", text.c_str(), size.cx + box, rc.right);
            ++clipped;
        }
    }
    return clipped;
}

// The window's measures: DPI, the player table's header and row height, its Player column auto-sized,
// its Server column after applying `layout`, the clipped labels and every dialog item's rectangle.
Measures MeasureMainWindow(const std::string& keyPath, const Tabra::CWordArray& layout,
                           Tabra::CWordArray* saved) {
    Measures m;
    CBrowserRig rig(keyPath, [&](CBrowserRig& w) {
        Tabra::CTableCtrl& table = w.Lists().PlayerTable();
        m["dpi"] = table.Geometry().dpi;
        m["header"] = w.RectOf(table.Header()).bottom - w.RectOf(table.Header()).top;
        // The dialog's "MS Sans Serif" is a bitmap font under Wine, in steps that follow no ratio; the
        // stock font is a TrueType face.
        ::SendMessageA(table, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), TRUE);
        m["row"] = table.Geometry().rowHeight;
        table.AutoSize(CServerLists::PLAYER_NAME, true);
        m["autosize"] = table.GetWidth(CServerLists::PLAYER_NAME);
        if (saved) {
            table.SetWidth(CServerLists::PLAYER_SERVER, kSavedIpWidth);
            table.GetLayout(*saved);
        }
        if (!layout.empty() && table.SetLayout(layout))
            m["ip"] = table.GetWidth(CServerLists::PLAYER_SERVER);
        m["clipped"] = ClippedLabels(w.GetHwnd());
        for (HWND c = ::GetWindow(w.GetHwnd(), GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
            RECT rc = w.RectOf(c);
            std::string id = "rect" + std::to_string(::GetDlgCtrlID(c)) + ".";
            if (::IsWindowVisible(c) && ::GetDlgCtrlID(c) > 0)
                m[id + "l"] = rc.left, m[id + "t"] = rc.top, m[id + "r"] = rc.right, m[id + "b"] = rc.bottom;
        }
    });
    rig.DoModal();
    return m;
}

std::string Join(const Tabra::CWordArray& words) {
    std::string text;
    for (uint16_t w : words)
        text += std::to_string(w) + " ";
    return text;
}

// Runs the child measure in a process of its own at `dpi` (the prefix's LogPixels for its start).
Measures MeasureInChild(int dpi, const Tabra::CWordArray& layout, const std::string& outPath) {
    HKEY desktop = nullptr;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      &desktop, nullptr);
    DWORD old = 0;
    DWORD size = sizeof old;
    bool hadOld = ::RegQueryValueExA(desktop, "LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&old),
                                     &size) == ERROR_SUCCESS;
    DWORD value = static_cast<DWORD>(dpi);
    ::RegSetValueExA(desktop, "LogPixels", 0, REG_DWORD, reinterpret_cast<BYTE*>(&value), sizeof value);
    ::SetEnvironmentVariableA(kOutVar, outPath.c_str());
    ::SetEnvironmentVariableA(kLayoutVar, Join(layout).c_str());
    char exe[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string command =
        std::string("\"") + exe +
        "\" --gtest_filter=DpiTest.DISABLED_MeasureForTheParent --gtest_also_run_disabled_tests";
    ::DeleteFileA(outPath.c_str());
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        EXPECT_EQ(::WaitForSingleObject(pi.hProcess, 90000), WAIT_OBJECT_0);
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
    }
    ::SetEnvironmentVariableA(kOutVar, nullptr);
    if (hadOld)
        ::RegSetValueExA(desktop, "LogPixels", 0, REG_DWORD, reinterpret_cast<BYTE*>(&old), sizeof old);
    else
        ::RegDeleteValueA(desktop, "LogPixels");
    ::RegCloseKey(desktop);
    Measures m;
    std::ifstream in(outPath);
    std::string name;
    int v = 0;
    while (in >> name >> v)
        m[name] = v;
    return m;
}

class DpiTest : public testsupport::RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        win::InitControls();
        win::SetAppTitle(app::kAppName);
    }
};

// Whether two item rectangles of one measure overlap.
bool Overlap(const Measures& m, const std::string& a, const std::string& b) {
    return m.at(a + "l") < m.at(b + "r") && m.at(b + "l") < m.at(a + "r") && m.at(a + "t") < m.at(b + "b") &&
           m.at(b + "t") < m.at(a + "b");
}

TEST_F(DpiTest, TablesScaleAndTheMainWindowKeepsItsLayout) {
    Tabra::CWordArray layout;
    Measures base = MeasureMainWindow(m_path, {}, &layout);
    ASSERT_EQ(base.at("dpi"), 96) << "the prefix runs at 96 DPI";
    EXPECT_EQ(base.at("header"), 18);
    std::vector<std::string> items;
    for (const auto& [name, v] : base)
        if (name.starts_with("rect") && name.ends_with(".l"))
            items.push_back(name.substr(0, name.size() - 1));

    for (int dpi : {144, 192}) {
        SCOPED_TRACE(dpi);
        char temp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, temp);
        Measures m = MeasureInChild(dpi, layout, std::string(temp) + "velloran-dpi-measures.txt");
        ASSERT_EQ(m["dpi"], dpi) << "the child process did not run at the prefix's LogPixels";
        auto scaled = [dpi](int v) { return v * dpi / 96.0; };
        EXPECT_NEAR(m.at("header"), scaled(18), 1.0);
        // Text sizes come from the font at its own whole-pixel size, hinted: up to 3 pixels off the ratio.
        EXPECT_NEAR(m.at("row"), scaled(base.at("row")), 3.0);
        EXPECT_NEAR(m.at("autosize"), scaled(base.at("autosize")), 3.0);
        EXPECT_EQ(m.at("ip"), win::ScaleToDpi(kSavedIpWidth, dpi)) << "layout saved at 96 DPI";
        EXPECT_LE(m.at("clipped"), base.at("clipped")) << "more labels clipped than at 96 DPI";
        for (const std::string& a : items) {
            for (const std::string& b : items) {
                if (a < b && m.count(a + "l") && m.count(b + "l")) {
                    EXPECT_EQ(Overlap(m, a, b), Overlap(base, a, b)) << a << " and " << b;
                }
            }
        }
    }
}

// The measuring side of the test above, run only as its child process.
TEST_F(DpiTest, DISABLED_MeasureForTheParent) {
    const char* out = std::getenv(kOutVar);
    ASSERT_NE(out, nullptr);
    Tabra::CWordArray layout;
    std::istringstream words(std::getenv(kLayoutVar) ? std::getenv(kLayoutVar) : "");
    for (unsigned w = 0; words >> w;)
        layout.push_back(static_cast<uint16_t>(w));
    std::ofstream file(out);
    for (const auto& [name, v] : MeasureMainWindow(m_path, layout, nullptr))
        file << name << ' ' << v << '\n';
}

} // namespace
