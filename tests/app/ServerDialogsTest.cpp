// The Options dialog and the Server table's context menu ("Add to favorites", the server info dialog),
// driven through the real window: buttons, right clicks and the real popup menu.
#include "BrowserRig.h"

#include "app/ServerInfoDlg.h"
#include "support/TempDir.h"

#include <filesystem>
#include <fstream>

namespace {

using namespace app;
using namespace testsupport;

class ServerDialogsTest : public BrowserFixture {};

// Right-clicks the Server table's body at y (client coordinates of the body) and reads the popup menu
// from a thread timer; then picks the item at position `choose` by keyboard, or ends the menu.
std::vector<SMenuRead> RightClick(CBrowserRig& w, int y, int choose) {
    static int s_choose, s_ticks;
    static std::vector<SMenuRead> s_shown;
    s_choose = choose, s_ticks = 0;
    const TIMERPROC tick = [](HWND, UINT, UINT_PTR, DWORD) {
        HWND menuWindow = ::FindWindowA("#32768", nullptr);
        if (!menuWindow || !::IsWindowVisible(menuWindow))
            return;
        HMENU menu = reinterpret_cast<HMENU>(::SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
        if (++s_ticks == 1)
            s_shown = ReadMenu(menu);
        if (s_choose < 0 || s_ticks > 60) {
            if (s_ticks >= 3)
                ::EndMenu();
            return;
        }
        // One key a tick until the item is highlighted: keys posted in a burst may be dropped.
        const bool lit = ::GetMenuState(menu, static_cast<UINT>(s_choose), MF_BYPOSITION) & MF_HILITE;
        ::PostMessageA(menuWindow, WM_KEYDOWN, lit ? VK_RETURN : VK_DOWN, 0);
        s_choose = lit ? -1 : s_choose;
    };
    HWND body = w.Lists().ServerTable().Body();
    POINT p{20, y};
    ::ClientToScreen(body, &p);
    UINT_PTR timer = ::SetTimer(nullptr, 0, 50, tick);
    ::SendMessageA(body, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(body), MAKELPARAM(p.x, p.y));
    ::KillTimer(nullptr, timer);
    return std::exchange(s_shown, {});
}

TEST_F(ServerDialogsTest, OptionsShowTheStoredValuesWriteOnOkOnlyAndTheFlagsFollow) {
    m_key.WriteInt(value::kStartupQuery, 5);
    m_key.WriteInt(value::kAutoRequery, 1);
    Open([&](CBrowserRig& w) {
        EXPECT_TRUE(w.GetAutoClose());
        // Runs the dialog: it shows the stored values, `id` is set to state (or clicked for state -1),
        // then button is pressed. StartupQuery 5 checks no radio button; OK without a choice stores 0.
        struct Case {
            int id, state, button;
            const char* shown; // the five boxes and whether Auto requery is enabled
            int startupQuery;
        } steps[] = {{IDC_AUTO_CLOSE, BST_UNCHECKED, IDOK, "11000 disabled", 0},
                     {IDC_STARTUP_MASTER, BST_CHECKED, IDCANCEL, "11100 disabled", 0},
                     {IDC_STARTUP_MASTER, BST_CHECKED, IDOK, "11100 disabled", 2},
                     {IDC_STARTUP_FAVORITES, -1, IDOK, "11001 disabled", 1}};
        for (const auto& s : steps) {
            std::string seen;
            CDialogCloser closer([&](HWND d) {
                seen = ReadBox(d).caption + ":";
                for (int box : {IDC_AUTO_CLOSE, IDC_AUTO_REQUERY, IDC_STARTUP_NOTHING, IDC_STARTUP_FAVORITES,
                                IDC_STARTUP_MASTER})
                    seen += ::IsDlgButtonChecked(d, box) == BST_CHECKED ? "1" : "0";
                seen += ::IsWindowEnabled(::GetDlgItem(d, IDC_AUTO_REQUERY)) ? " enabled" : " disabled";
                if (s.state < 0) // a click moves the radio choice
                    ::SendMessageA(::GetDlgItem(d, s.id), BM_CLICK, 0, 0);
                else
                    ::CheckDlgButton(d, s.id, static_cast<UINT>(s.state));
                ::PostMessageA(d, WM_COMMAND, static_cast<WPARAM>(s.button), 0);
            });
            w.Click(IDC_OPTIONS);
            EXPECT_EQ(seen, std::string("Options ...:") + s.shown);
            EXPECT_EQ(m_key.ReadInt(value::kStartupQuery, -1), s.startupQuery) << s.shown;
            EXPECT_EQ(w.GetAutoClose(), &s != steps) << "the flags are read again after " << s.shown;
            EXPECT_EQ(m_key.ReadInt(value::kAutoRequery, -1), 1) << "the disabled box keeps what was stored";
            m_key.WriteInt(value::kAutoClose, 1); // Cancel writes nothing: the flag follows what is stored
        }
    });
}

TEST_F(ServerDialogsTest, ContextMenuGreyedBelowTheLastRowAddsAFavoriteOnceAndShowsServerInfo) {
    CTempDir folder;
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.Path()); // where favorites.dat is made
    m_key.WriteInt(value::kLastView, 1);
    const CFakeNetwork network({MakeServer("Alpha", 2)});
    OpenQueried(network, [&](CBrowserRig& w, query::CGameServer& server) {
        Tabra::CTableCtrl& table = w.Lists().ServerTable();
        const int rowHeight = table.Geometry().rowHeight, onRow = table.Geometry().RowTop(0) + rowHeight / 2;
        // Below the last row: the entries are greyed, above the table's own items.
        const auto menu = RightClick(w, table.Geometry().RowTop(1) + 2 * rowHeight, -1);
        ASSERT_GE(menu.size(), 5u);
        EXPECT_EQ(menu[0].text + "|" + menu[2].text + "|" + menu[4].text,
                  "Add to favorites|Show server info|Copy cell");
        EXPECT_TRUE(menu[0].grayed && menu[2].grayed && menu[1].separator && menu[3].separator);
        // "Add to favorites" on the row creates the file; later it appends the line once, after a
        // hand-edited last line without a line feed.
        const std::string file = folder.File("favorites.dat"),
                          line = table.GetCellText(0, CServerLists::SERVER_IP) + "\tAlpha\t\r\n";
        RightClick(w, onRow, 0);
        EXPECT_EQ(ReadFile(file), line);
        std::ofstream(file, std::ios::binary) << "1.2.3.4:5\thand edited";
        for (int i = 0; i < 2; ++i)
            RightClick(w, onRow, 0);
        EXPECT_EQ(ReadFile(file), "1.2.3.4:5\thand edited\r\n" + line);

        // On the row: enabled; choosing it shows the variables sorted by name ignoring case, with
        // the server's name as the title.
        for (const char* name : {"Zeta", "alpha", "Beta"})
            server.variables.emplace_back(name, "v");
        std::string shown;
        CDialogCloser closer([&](HWND d) {
            if (auto* dialog = dynamic_cast<CServerInfoDlg*>(win::CWnd::FromHandle(d))) {
                shown = dialog->GetWindowText() + ":";
                for (const std::string& name : Column(dialog->Table(), CServerInfoDlg::COL_VARIABLE))
                    shown += " " + name;
            }
            ::PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
        });
        EXPECT_FALSE(RightClick(w, onRow, 2).at(0).grayed);
        EXPECT_EQ(shown, "Alpha: alpha Beta g_gametype mapname players_allies players_axis sv_hostname "
                         "sv_maxclients Zeta");
    });
    std::filesystem::current_path(previous);
}

} // namespace
