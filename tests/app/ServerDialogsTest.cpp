// The main window's secondary dialogs and the Server table's context menu, driven through the real
// window: buttons, right clicks and the real popup menu.
#include "BrowserFixture.h"

#include "app/ServerInfoDlg.h"
#include "app/ServerMenu.h"
#include "support/TempDir.h"

namespace {

using testsupport::CBrowserRig;
using testsupport::ReadBox;
namespace value = app::value;

class ServerDialogsTest : public testsupport::BrowserFixture {};

// Right-clicks the Server table's body at y (client coordinates of the body) and reads the popup menu
// from a thread timer; then picks the item at position `choose` by keyboard, or ends the menu.
std::vector<testsupport::SMenuRead> RightClick(CBrowserRig& w, int y, int choose) {
    static int s_choose, s_ticks;
    static std::vector<testsupport::SMenuRead> s_shown;
    s_choose = choose;
    s_ticks = 0;
    s_shown.clear();
    const TIMERPROC tick = [](HWND, UINT, UINT_PTR, DWORD) {
        HWND menuWindow = ::FindWindowA("#32768", nullptr);
        if (!menuWindow || !::IsWindowVisible(menuWindow))
            return;
        HMENU menu = reinterpret_cast<HMENU>(::SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
        if (++s_ticks == 1)
            s_shown = testsupport::ReadMenu(menu);
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
    return s_shown;
}

TEST_F(ServerDialogsTest, OptionsShowTheStoredValuesWriteOnOkOnlyAndTheFlagsFollow) {
    PutInt(value::kStartupQuery, 5);
    PutInt(value::kAutoRequery, 1);
    Open([&](CBrowserRig& w) {
        EXPECT_TRUE(w.GetAutoClose());
        // Shows what the dialog showed, after it ran change and pressed button.
        auto options = [&](int id, int state, int button) {
            std::string seen;
            testsupport::CDialogCloser closer([&](HWND d) {
                seen = ReadBox(d).caption + ":";
                for (int box : {IDC_AUTO_CLOSE, IDC_AUTO_REQUERY, IDC_STARTUP_NOTHING, IDC_STARTUP_FAVORITES,
                                IDC_STARTUP_MASTER})
                    seen += ::IsDlgButtonChecked(d, box) == BST_CHECKED ? "1" : "0";
                seen += ::IsWindowEnabled(::GetDlgItem(d, IDC_AUTO_REQUERY)) ? " enabled" : " disabled";
                if (state < 0) // a click moves the radio choice
                    ::SendMessageA(::GetDlgItem(d, id), BM_CLICK, 0, 0);
                else
                    ::CheckDlgButton(d, id, static_cast<UINT>(state));
                ::PostMessageA(d, WM_COMMAND, static_cast<WPARAM>(button), 0);
            });
            w.Click(IDC_OPTIONS);
            return seen;
        };
        // StartupQuery 5 checks no radio button; OK without a choice stores 0.
        EXPECT_EQ(options(IDC_AUTO_CLOSE, BST_UNCHECKED, IDOK), "Options ...:11000 disabled");
        EXPECT_EQ(GetInt(value::kStartupQuery), 0);
        EXPECT_EQ(GetInt(value::kAutoClose), 0);
        EXPECT_EQ(GetInt(value::kAutoRequery), 1) << "the disabled box keeps what was stored";
        EXPECT_FALSE(w.GetAutoClose()) << "the flags are read again";
        // Cancel writes nothing, and the flags still follow what is stored.
        PutInt(value::kAutoClose, 1);
        EXPECT_EQ(options(IDC_STARTUP_MASTER, BST_CHECKED, IDCANCEL), "Options ...:11100 disabled");
        EXPECT_EQ(GetInt(value::kStartupQuery), 0);
        EXPECT_TRUE(w.GetAutoClose());
        EXPECT_EQ(options(IDC_STARTUP_MASTER, BST_CHECKED, IDOK), "Options ...:11100 disabled");
        EXPECT_EQ(GetInt(value::kStartupQuery), 2);
        EXPECT_EQ(options(IDC_STARTUP_FAVORITES, -1, IDOK), "Options ...:11001 disabled");
        EXPECT_EQ(GetInt(value::kStartupQuery), 1);
    });
}

TEST_F(ServerDialogsTest, MasterListIsEditedRefusedWhenBadAndServesTheNextQuery) {
    testsupport::CFakeNetwork first({testsupport::MakeServer("Alpha", 1)}),
        other({testsupport::MakeServer("Beta", 1)});
    const std::string otherMaster = other.MasterText();
    OpenQueried(first, [&](CBrowserRig& w, query::CGameServer&) {
        // Shows the dialog, enters text and presses button; returns the text it showed.
        auto edit = [&](const std::string& text, int button) {
            std::string shown;
            testsupport::CDialogCloser closer([&](HWND d) {
                shown = ReadBox(d).caption + ": " + ReadBox(::GetDlgItem(d, IDC_MASTER_TEXT)).caption;
                ::SetDlgItemTextA(d, IDC_MASTER_TEXT, text.c_str());
                ::PostMessageA(d, WM_COMMAND, static_cast<WPARAM>(button), 0);
            });
            w.Click(IDC_MASTER_DIALOG);
            return shown;
        };
        EXPECT_EQ(edit("ignored", IDCANCEL), "Master Server ...: " + first.MasterText());
        EXPECT_EQ(w.GetMasterText(), first.MasterText());
        edit("127.0.0.1;localhost:27951", IDOK);
        EXPECT_EQ(w.GetMasterText(), "127.0.0.1;localhost:27951") << "two masters, one with the default port";
        edit(" " + otherMaster + " ", IDOK);
        EXPECT_EQ(w.GetMasterText(), otherMaster);
        // A text that does not parse, or is too long to be stored, is refused with a message naming
        // the problem; the dialog stays open and nothing is stored.
        const std::pair<std::string, std::string> refused[] = {
            {";;;", "Master server entry 1 is empty."},
            {"a b:27950", "the host name contains a blank"},
            {"h:70000", "the port 70000 is above 65535"},
            {std::string(300, 'a'), "too long to be stored"}};
        for (const auto& [bad, reason] : refused) {
            HWND dialog = nullptr;
            std::string message;
            testsupport::CDialogCloser closer(
                [&](HWND d) {
                    if (!dialog) {
                        dialog = d;
                        ::SetDlgItemTextA(d, IDC_MASTER_TEXT, bad.c_str());
                        ::PostMessageA(d, WM_COMMAND, IDOK, 0);
                        return;
                    }
                    message = ::IsWindowVisible(dialog) ? "" : "the dialog closed|";
                    for (const std::string& t : ReadBox(d).texts)
                        message += t + "|";
                    ::PostMessageA(d, WM_COMMAND, IDOK, 0);
                    ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
                },
                2);
            w.Click(IDC_MASTER_DIALOG);
            EXPECT_NE(message.find(reason), std::string::npos) << message;
            EXPECT_EQ(message.find("closed"), std::string::npos);
            EXPECT_EQ(w.GetMasterText(), otherMaster) << bad;
        }
        w.Click(IDC_QUERY_MASTER);
        ASSERT_TRUE(w.WaitForRunEnd());
        EXPECT_EQ(testsupport::Column(w.Lists().ServerTable(), app::CServerLists::SERVER_NAME),
                  std::vector<std::string>{"Beta"});
    });
    EXPECT_EQ(GetText(value::kMaster), otherMaster) << "saved on closing";
}

TEST_F(ServerDialogsTest, ContextMenuGreyedBelowTheLastRowAddsAFavoriteOnceAndShowsServerInfo) {
    testsupport::CTempDir folder;
    char previous[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryA(folder.Path().c_str()));
    PutInt(value::kLastView, 1);
    const testsupport::CFakeNetwork network({testsupport::MakeServer("Alpha", 2)});
    OpenQueried(network, [&](CBrowserRig& w, query::CGameServer& server) {
        Tabra::CTableCtrl& table = w.Lists().ServerTable();
        const int rowHeight = table.Geometry().rowHeight, onRow = table.Geometry().RowTop(0) + rowHeight / 2;
        // Below the last row: the entries are greyed, above the table's own items.
        const auto menu = RightClick(w, table.Geometry().RowTop(1) + 2 * rowHeight, -1);
        ASSERT_GE(menu.size(), 5u);
        EXPECT_EQ(menu[0].text, "Add to favorites");
        EXPECT_EQ(menu[0].id, app::ID_ADD_TO_FAVORITES);
        EXPECT_EQ(menu[2].text, "Show server info");
        EXPECT_EQ(menu[2].id, app::ID_SHOW_SERVER_INFO);
        EXPECT_TRUE(menu[0].grayed && menu[2].grayed && menu[1].separator && menu[3].separator);
        EXPECT_EQ(menu[4].text, "Copy cell");
        // "Add to favorites" on the row, twice: the file gets the server's line once.
        for (int i = 0; i < 2; ++i)
            RightClick(w, onRow, 0);
        EXPECT_EQ(testsupport::ReadFile(folder.File("favorites.dat")),
                  std::string(table.GetCell(0, app::CServerLists::SERVER_IP)->GetText()) + "\tAlpha\t\r\n");

        // On the row: enabled; choosing it shows the variables sorted by name ignoring case, with
        // the server's name as the title.
        for (const char* name : {"Zeta", "alpha", "Beta"})
            server.variables.emplace_back(name, "v");
        std::string shown;
        testsupport::CDialogCloser closer([&](HWND d) {
            if (auto* dialog = dynamic_cast<app::CServerInfoDlg*>(win::CWnd::FromHandle(d))) {
                shown = dialog->GetWindowText() + ":";
                for (const std::string& name :
                     testsupport::Column(dialog->Table(), app::CServerInfoDlg::COL_VARIABLE))
                    shown += " " + name;
            }
            ::PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
        });
        EXPECT_FALSE(RightClick(w, onRow, 2).at(0).grayed);
        EXPECT_EQ(shown, "Alpha: alpha Beta g_gametype mapname players_allies players_axis sv_hostname "
                         "sv_maxclients Zeta");
    });
    ::SetCurrentDirectoryA(previous);
}

} // namespace
