// The main window's secondary dialogs and the Server table's context menu, driven through the real
// window: buttons, right clicks and the real popup menu.
#include "BrowserFixture.h"

#include "app/ServerInfoDlg.h"
#include "app/ServerMenu.h"
#include "support/TempDir.h"

namespace {

using apptest::CBrowserRig;
using wintest::SMenuRead;
namespace value = app::value;

// Reads the popup menu the table shows from a thread timer, then ends it, or picks the item at
// position choose (-1: none) by keyboard.
struct SMenuDriver {
    static inline int choose = -1;
    static inline int ticks = 0;
    static inline std::vector<SMenuRead> shown;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        HWND menuWindow = ::FindWindowA("#32768", nullptr);
        if (!menuWindow || !::IsWindowVisible(menuWindow))
            return;
        HMENU menu = reinterpret_cast<HMENU>(::SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
        if (++ticks == 1)
            shown = wintest::ReadMenu(menu);
        if (choose < 0 || ticks > 60) {
            if (ticks >= 3)
                ::EndMenu();
            return;
        }
        // One key a tick until the item is highlighted: keys posted in a burst may be dropped.
        const bool highlighted = ::GetMenuState(menu, static_cast<UINT>(choose), MF_BYPOSITION) & MF_HILITE;
        ::PostMessageA(menuWindow, WM_KEYDOWN, highlighted ? VK_RETURN : VK_DOWN, 0);
        if (highlighted)
            choose = -1;
    }
    // Right-clicks the Server table's body at y (client coordinates of the body).
    static void RightClick(CBrowserRig& w, int y, int item) {
        choose = item;
        ticks = 0;
        shown.clear();
        HWND body = w.Lists().ServerTable().Body();
        POINT p{20, y};
        ::ClientToScreen(body, &p);
        UINT_PTR timer = ::SetTimer(nullptr, 0, 50, Tick);
        ::SendMessageA(body, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(body), MAKELPARAM(p.x, p.y));
        ::KillTimer(nullptr, timer);
    }
};

class ServerDialogsTest : public apptest::BrowserFixture {};

TEST_F(ServerDialogsTest, OptionsShowTheStoredValuesWriteOnOkOnlyAndTheFlagsFollow) {
    PutInt(value::kStartupQuery, 5);
    PutInt(value::kAutoRequery, 1);
    CBrowserRig rig(m_path, [&](CBrowserRig& w) {
        EXPECT_TRUE(w.GetAutoClose());
        // Shows the dialog's state, then runs change and presses button.
        auto options = [&](std::function<void(HWND)> change, int button) {
            std::string seen;
            wintest::CDialogCloser closer([&](HWND d) {
                seen = wintest::ReadBox(d).caption + ":";
                for (int id : {IDC_AUTO_CLOSE, IDC_AUTO_REQUERY, IDC_STARTUP_NOTHING, IDC_STARTUP_FAVORITES,
                               IDC_STARTUP_MASTER})
                    seen += ::IsDlgButtonChecked(d, id) == BST_CHECKED ? "1" : "0";
                seen += ::IsWindowEnabled(::GetDlgItem(d, IDC_AUTO_REQUERY)) ? " enabled" : " disabled";
                change(d);
                ::PostMessageA(d, WM_COMMAND, static_cast<WPARAM>(button), 0);
            });
            w.Click(IDC_OPTIONS);
            return seen;
        };
        auto uncheck = [](int id) { return [id](HWND d) { ::CheckDlgButton(d, id, BST_UNCHECKED); }; };
        auto check = [](int id) { return [id](HWND d) { ::CheckDlgButton(d, id, BST_CHECKED); }; };

        // StartupQuery 5 checks no radio button; OK without a choice stores 0.
        EXPECT_EQ(options(uncheck(IDC_AUTO_CLOSE), IDOK), "Options ...:11000 disabled");
        EXPECT_EQ(GetInt(value::kStartupQuery), 0);
        EXPECT_EQ(GetInt(value::kAutoClose), 0);
        EXPECT_EQ(GetInt(value::kAutoRequery), 1) << "the disabled box keeps what was stored";
        EXPECT_FALSE(w.GetAutoClose()) << "the flags are read again";

        // Cancel writes nothing, and the flags still follow what is stored.
        PutInt(value::kAutoClose, 1);
        EXPECT_EQ(options(check(IDC_STARTUP_MASTER), IDCANCEL), "Options ...:11100 disabled");
        EXPECT_EQ(GetInt(value::kStartupQuery), 0);
        EXPECT_TRUE(w.GetAutoClose());

        EXPECT_EQ(options(check(IDC_STARTUP_MASTER), IDOK), "Options ...:11100 disabled");
        EXPECT_EQ(GetInt(value::kStartupQuery), 2);
        // A click on another radio button moves the choice.
        auto click = [](HWND d) { ::SendMessageA(::GetDlgItem(d, IDC_STARTUP_FAVORITES), BM_CLICK, 0, 0); };
        EXPECT_EQ(options(click, IDOK), "Options ...:11001 disabled");
        EXPECT_EQ(GetInt(value::kStartupQuery), 1);
    });
    rig.DoModal();
}

TEST_F(ServerDialogsTest, MasterListIsEditedRefusedWhenBadAndServesTheNextQuery) {
    apptest::CFakeNetwork other({apptest::MakeServer("Beta", 2, 1, 20)});
    const std::string otherMaster = other.MasterText();
    Open([&](CBrowserRig& w, query::CGameServer&) {
        // Shows the dialog, enters text and presses button; returns the text it showed.
        auto edit = [&](const std::string& text, int button) {
            std::string shown;
            wintest::CDialogCloser closer([&](HWND d) {
                shown = wintest::ReadBox(d).caption + ": " +
                        wintest::ReadBox(::GetDlgItem(d, IDC_MASTER_TEXT)).caption;
                ::SetDlgItemTextA(d, IDC_MASTER_TEXT, text.c_str());
                ::PostMessageA(d, WM_COMMAND, static_cast<WPARAM>(button), 0);
            });
            w.Click(IDC_MASTER_DIALOG);
            return shown;
        };
        EXPECT_EQ(edit("ignored", IDCANCEL), "Master Server ...: " + m_network.MasterText());
        EXPECT_EQ(w.GetMasterText(), m_network.MasterText());
        edit(" " + otherMaster + " ", IDOK);
        EXPECT_EQ(w.GetMasterText(), otherMaster);
        edit("127.0.0.1;localhost:27951", IDOK);
        EXPECT_EQ(w.GetMasterText(), "127.0.0.1;localhost:27951") << "two masters, one with the default port";
        edit(otherMaster, IDOK);
        // A text that does not parse, or is too long to be stored, is refused with a message naming
        // the problem; the dialog stays open and nothing is stored.
        for (const std::string& bad :
             {std::string(";;;"), std::string("a b:27950"), std::string("h:70000"), std::string(300, 'a')}) {
            HWND dialog = nullptr;
            bool refusedOpen = false;
            std::string message;
            apptest::CDialogSteps steps({[&](HWND d) {
                                             dialog = d;
                                             ::SetDlgItemTextA(d, IDC_MASTER_TEXT, bad.c_str());
                                             ::PostMessageA(d, WM_COMMAND, IDOK, 0);
                                         },
                                         [&](HWND box) {
                                             refusedOpen = ::IsWindowVisible(dialog) != FALSE;
                                             for (const std::string& t : wintest::ReadBox(box).texts)
                                                 message += t;
                                             ::PostMessageA(box, WM_COMMAND, IDOK, 0);
                                             ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
                                         }});
            w.Click(IDC_MASTER_DIALOG);
            EXPECT_TRUE(refusedOpen) << bad;
            EXPECT_FALSE(message.empty()) << bad;
            EXPECT_EQ(w.GetMasterText(), otherMaster) << bad;
        }

        w.Click(IDC_QUERY_MASTER);
        ASSERT_TRUE(w.WaitForRunEnd());
        EXPECT_EQ(CBrowserRig::Column(w.Lists().ServerTable(), app::CServerLists::SERVER_NAME),
                  std::vector<std::string>{"Beta"});
    });
    EXPECT_EQ(GetText(value::kMaster), otherMaster) << "saved on closing";
}

TEST_F(ServerDialogsTest, ContextMenuGreyedBelowTheLastRowAddsAFavoriteOnceAndShowsServerInfo) {
    testsupport::TempDir folder;
    char previous[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryA(folder.Path().c_str()));
    Open([&](CBrowserRig& w, query::CGameServer& server) {
        Tabra::CTableCtrl& table = w.Lists().ServerTable();
        const int rowHeight = table.Geometry().rowHeight;

        // Below the last row: the entries are greyed, above the table's own items.
        SMenuDriver::RightClick(w, table.Geometry().RowTop(1) + 2 * rowHeight, -1);
        ASSERT_GE(SMenuDriver::shown.size(), 5u);
        EXPECT_EQ(SMenuDriver::shown[0].text, "Add to favorites");
        EXPECT_EQ(SMenuDriver::shown[0].id, app::ID_ADD_TO_FAVORITES);
        EXPECT_EQ(SMenuDriver::shown[2].text, "Show server info");
        EXPECT_EQ(SMenuDriver::shown[2].id, app::ID_SHOW_SERVER_INFO);
        EXPECT_TRUE(SMenuDriver::shown[0].grayed && SMenuDriver::shown[2].grayed);
        EXPECT_TRUE(SMenuDriver::shown[1].separator && SMenuDriver::shown[3].separator);
        EXPECT_EQ(SMenuDriver::shown[4].text, "Copy cell");

        // "Add to favorites" on the row, twice: the file gets the server's line once.
        for (int i = 0; i < 2; ++i)
            SMenuDriver::RightClick(w, table.Geometry().RowTop(0) + rowHeight / 2, 0);
        EXPECT_EQ(testsupport::ReadFile(folder.File("favorites.dat")),
                  std::string(table.GetCell(0, app::CServerLists::SERVER_IP)->GetText()) + "\tAlpha\t\r\n");

        // On the row: enabled; choosing it shows the variables sorted by name ignoring case, with the
        // server's name as the title, in a window that resizes its table and button.
        server.variables.emplace_back("Zeta", "z");
        server.variables.emplace_back("alpha", "a");
        server.variables.emplace_back("Beta", "b");
        std::vector<std::string> names;
        std::string title;
        LONG style = 0;
        RECT table0{}, table1{}, close0{}, close1{};
        wintest::CDialogCloser closer([&](HWND d) {
            auto* dialog = dynamic_cast<app::CServerInfoDlg*>(win::CWnd::FromHandle(d));
            if (!dialog) {
                ::PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
                return;
            }
            title = dialog->GetWindowText();
            names = CBrowserRig::Column(dialog->Table(), app::CServerInfoDlg::COL_VARIABLE);
            style = ::GetWindowLongA(d, GWL_STYLE);
            ::GetWindowRect(dialog->Table(), &table0);
            ::GetWindowRect(::GetDlgItem(d, IDCANCEL), &close0);
            RECT rc{};
            ::GetWindowRect(d, &rc);
            ::MoveWindow(d, rc.left, rc.top, rc.right - rc.left + 40, rc.bottom - rc.top + 30, TRUE);
            ::GetWindowRect(dialog->Table(), &table1);
            ::GetWindowRect(::GetDlgItem(d, IDCANCEL), &close1);
            ::PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
        });
        SMenuDriver::RightClick(w, table.Geometry().RowTop(0) + rowHeight / 2, 2);
        ASSERT_FALSE(SMenuDriver::shown.empty());
        EXPECT_FALSE(SMenuDriver::shown[0].grayed);
        EXPECT_TRUE(closer.Done()) << "the server info dialog was shown";
        EXPECT_EQ(title, "Alpha");
        EXPECT_EQ(names, (std::vector<std::string>{"alpha", "Beta", "g_gametype", "mapname", "players_allies",
                                                   "players_axis", "sv_hostname", "sv_maxclients", "Zeta"}));
        EXPECT_TRUE(style & WS_THICKFRAME);
        EXPECT_EQ(table1.right - table0.right, 40);
        EXPECT_EQ(table1.bottom - table0.bottom, 30);
        EXPECT_EQ(close1.left - close0.left, 40);
        EXPECT_EQ(close1.top - close0.top, 30);
    });
    ::SetCurrentDirectoryA(previous);
}

} // namespace
