// The player search driven in the real main window, over the results of a query of UDP servers
// inside the test.
#include "BrowserRig.h"
#include "FakeNetwork.h"
#include "RegistryTestKey.h"

#include "app/Settings.h"
#include "win/Controls.h"
#include "win/ErrorReport.h"

namespace {

using app::CServerLists;
using apptest::CBrowserRig;
namespace value = app::value;

class PlayerSearchTest : public apptest::RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        win::InitControls();
        win::SetAppTitle(app::kAppName);
    }
    void PutText(const char* name, const std::string& text) {
        PutRaw(name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
    }
    // Runs the window over a finished master query of the two servers of the search examples.
    void OpenQueried(const std::string& history, const CBrowserRig::Script& script) {
        apptest::CFakeNetwork network({{"One", 2, 20, {{1, 10, "Alpha"}, {2, 20, "alfred"}, {3, 30, "Bob"}}},
                                       {"Two", 2, 20, {{4, 40, "xAlex"}}}});
        PutText(value::kMaster, network.MasterText());
        PutText(value::kLastPlayers, history);
        const int startupMaster = 2;
        PutRaw(value::kStartupQuery, REG_DWORD, &startupMaster, sizeof startupMaster);
        CBrowserRig rig(m_path, [&](CBrowserRig& w) {
            ASSERT_TRUE(w.WaitForRunEnd());
            ASSERT_EQ(w.Lists().PlayerTable().GetRowCount(), 4);
            script(w);
        });
        rig.DoModal();
    }
    static std::string SelectedText(Tabra::CTableCtrl& table, int col) {
        const int row = table.GetSelectedRow();
        return row < 0 ? "<none>" : table.GetCellText(row, col);
    }
    static std::vector<std::string> History(CBrowserRig& w) {
        std::vector<std::string> items;
        for (int i = 0; i < (int)::SendDlgItemMessageA(w, IDC_SEARCH_TEXT, CB_GETCOUNT, 0, 0); ++i) {
            std::string text((size_t)::SendDlgItemMessageA(w, IDC_SEARCH_TEXT, CB_GETLBTEXTLEN, i, 0) + 1,
                             '\0');
            ::SendDlgItemMessageA(w, IDC_SEARCH_TEXT, CB_GETLBTEXT, i, (LPARAM)text.data());
            items.push_back(text.c_str());
        }
        return items;
    }
};

TEST_F(PlayerSearchTest, MatchesGoToTheTopAndTheFoundPlayerIsSelectedOnItsServer) {
    const struct {
        std::string text;
        std::vector<std::string> names; // the Player table afterwards
        std::string selected, server;   // "<none>" without a match
    } cases[] = {
        {"al", {"Alpha", "alfred", "Bob", "xAlex"}, "Alpha", "One"},
        {"*al", {"xAlex", "Alpha", "alfred", "Bob"}, "xAlex", "Two"},
        {"  bob ", {"Bob", "alfred", "Alpha", "xAlex"}, "Bob", "One"},
        {"*", {"xAlex", "Bob", "Alpha", "alfred"}, "xAlex", "Two"},
        {"zz", {"alfred", "Alpha", "Bob", "xAlex"}, "<none>", "<none>"},
    };
    OpenQueried("Bob\n", [&](CBrowserRig& w) {
        auto& lists = w.Lists();
        for (const auto& c : cases) {
            w.PlayerSearch().SearchPlayer(c.text);
            EXPECT_EQ(CBrowserRig::Column(lists.PlayerTable(), CServerLists::PLAYER_NAME), c.names) << c.text;
            EXPECT_EQ(SelectedText(lists.PlayerTable(), CServerLists::PLAYER_NAME), c.selected) << c.text;
            EXPECT_EQ(SelectedText(lists.ServerTable(), CServerLists::SERVER_NAME), c.server) << c.text;
            if (c.selected == "<none>")
                continue; // the players of the server shown before stay as they were
            EXPECT_EQ(SelectedText(lists.PlayerOnServerTable(), CServerLists::ON_SERVER_NAME), c.selected);
        }
        EXPECT_EQ(lists.PlayerTable().GetSortKeys(), (Tabra::CSortKeys{0, Tabra::SORT_ASCENDING}));
        const int searches = w.PlayerSearch().SearchCount();
        w.PlayerSearch().SearchPlayer(" \t ");
        EXPECT_EQ(w.PlayerSearch().SearchCount(), searches) << "a blank text does nothing";
        EXPECT_EQ(History(w), (std::vector<std::string>{"*", "*al", "al", "Bob", "zz"}))
            << "\"bob\" is not added beside \"Bob\"";

        // Del asks first; No keeps the entry, Yes removes it.
        for (int answer : {IDNO, IDYES}) {
            ::SendDlgItemMessageA(w, IDC_SEARCH_TEXT, CB_SETCURSEL, 3, 0);
            std::string question;
            wintest::CDialogCloser closer([&](HWND box) {
                question = wintest::ReadBox(box).Shows("Are you sure to delete 'Bob'?") ? "asked" : "";
                ::PostMessageA(box, WM_COMMAND, answer, 0);
            });
            w.Click(IDC_DELETE_SEARCH);
            EXPECT_EQ(question, "asked");
            EXPECT_EQ(History(w).size(), answer == IDYES ? 4u : 5u);
        }
    });
}

TEST_F(PlayerSearchTest, DoubleClickAndCompletionWithEnterSearchOnce) {
    OpenQueried("Bob\nxAlex\n", [&](CBrowserRig& w) {
        COMBOBOXINFO info = {};
        info.cbSize = sizeof info;
        ASSERT_TRUE(::GetComboBoxInfo(w.GetDlgItem(IDC_SEARCH_TEXT), &info));
        EXPECT_EQ(w.Selection(IDC_SEARCH_TEXT), 0) << "loading selects the first entry";

        // A double-click on "xAlex" (item 1): two clicks, the second one a double-click.
        RECT item = {};
        ::SendMessageA(info.hwndList, LB_GETITEMRECT, 1, (LPARAM)&item);
        const LPARAM at = MAKELPARAM(item.left + 4, (item.top + item.bottom) / 2);
        int before = w.PlayerSearch().SearchCount();
        for (UINT msg : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
            ::SendMessageA(info.hwndList, msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
        wintest::PumpFor(50);
        EXPECT_EQ(w.PlayerSearch().SearchCount(), before + 1);
        EXPECT_EQ(w.Lists().PlayerTable().GetCellText(0, CServerLists::PLAYER_NAME), "xAlex");

        // Typing "b" completes to "Bob"; Enter searches once, for "Bob".
        wintest::PumpFor(150);
        ::SetWindowTextA(info.hwndItem, "");
        before = w.PlayerSearch().SearchCount();
        ::SendMessageA(info.hwndItem, WM_CHAR, 'b', 0);
        char text[64] = {};
        ::GetWindowTextA(info.hwndItem, text, sizeof text);
        EXPECT_STREQ(text, "Bob");
        ::SendMessageA(info.hwndItem, WM_KEYDOWN, VK_RETURN, 0);
        EXPECT_EQ(w.PlayerSearch().SearchCount(), before + 1);
        EXPECT_EQ(w.Lists().PlayerTable().GetCellText(0, CServerLists::PLAYER_NAME), "Bob");

        // Enter on a typed text that completes nothing searches it once.
        wintest::PumpFor(150);
        ::SetWindowTextA(info.hwndItem, "*lf");
        ::SendMessageA(info.hwndItem, WM_KEYDOWN, VK_RETURN, 0);
        EXPECT_EQ(w.PlayerSearch().SearchCount(), before + 2);
        EXPECT_EQ(w.Lists().PlayerTable().GetCellText(0, CServerLists::PLAYER_NAME), "alfred");
    });
}

TEST_F(PlayerSearchTest, LongHistoryAndPasswordSurviveARestartUpTo16KiB) {
    std::vector<std::string> names;
    for (int i = 0; i < 40; ++i)
        names.push_back("player" + std::to_string(10 + i));
    const std::string longName(20000, 'z'); // longer than the registry holds
    const std::string password(10000, 'p');
    CBrowserRig first(m_path, [&](CBrowserRig& w) {
        for (const std::string& name : names)
            w.PlayerSearch().SearchPlayer(name);
        w.PlayerSearch().SearchPlayer(longName);
        ::SetDlgItemTextA(w, IDC_PASSWORD, password.c_str());
    });
    first.DoModal();
    CBrowserRig second(m_path, [&](CBrowserRig& w) {
        EXPECT_EQ(History(w), names) << "the entry that no longer fits is dropped";
        EXPECT_EQ(::GetWindowTextLengthA(w.GetDlgItem(IDC_PASSWORD)), (int)password.size());
    });
    second.DoModal();
}

} // namespace
