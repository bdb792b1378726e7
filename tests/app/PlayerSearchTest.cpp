// The player search driven in the real main window, over the results of a query of UDP servers
// inside the test.
#include "BrowserFixture.h"

namespace {

using app::CServerLists;
using testsupport::CBrowserRig;
using testsupport::Column;
using Texts = std::vector<std::string>;

class PlayerSearchTest : public testsupport::BrowserFixture {
protected:
    // Runs the window over a finished master query of the two servers of the search examples.
    void OpenSearched(const std::string& history, const std::function<void(CBrowserRig&)>& script) {
        PutText(app::value::kLastPlayers, history);
        OpenQueried(m_network, [&](CBrowserRig& w, query::CGameServer&) {
            ASSERT_EQ(w.Lists().PlayerTable().GetRowCount(), 4);
            script(w);
        });
    }
    static std::string SelectedText(Tabra::CTableCtrl& table, int col) {
        const int row = table.GetSelectedRow();
        return row < 0 ? "<none>" : table.GetCellText(row, col);
    }
    static Texts History(CBrowserRig& w) {
        Texts items;
        for (int i = 0; i < (int)::SendDlgItemMessageA(w, IDC_SEARCH_TEXT, CB_GETCOUNT, 0, 0); ++i) {
            std::string text((size_t)::SendDlgItemMessageA(w, IDC_SEARCH_TEXT, CB_GETLBTEXTLEN, i, 0) + 1,
                             '\0');
            ::SendDlgItemMessageA(w, IDC_SEARCH_TEXT, CB_GETLBTEXT, i, (LPARAM)text.data());
            items.push_back(text.c_str());
        }
        return items;
    }

    testsupport::CFakeNetwork m_network{
        {{"One", 2, 20, {{1, 10, "Alpha"}, {2, 20, "alfred"}, {3, 30, "Bob"}}},
         {"Two", 2, 20, {{4, 40, "xAlex"}}}}};
};

TEST_F(PlayerSearchTest, MatchesGoToTheTopAndTheFoundPlayerIsSelectedOnItsServer) {
    const struct {
        std::string text;
        Texts names;                  // the Player table afterwards
        std::string selected, server; // "<none>" without a match
    } cases[] = {
        {"al", {"Alpha", "alfred", "Bob", "xAlex"}, "Alpha", "One"},
        {"*al", {"xAlex", "Alpha", "alfred", "Bob"}, "xAlex", "Two"},
        {"  bob ", {"Bob", "alfred", "Alpha", "xAlex"}, "Bob", "One"},
        {"*", {"xAlex", "Bob", "Alpha", "alfred"}, "xAlex", "Two"},
        {"zz", {"alfred", "Alpha", "Bob", "xAlex"}, "<none>", "<none>"},
    };
    OpenSearched("Bob\n", [&](CBrowserRig& w) {
        auto& lists = w.Lists();
        for (const auto& c : cases) {
            w.PlayerSearch().SearchPlayer(c.text);
            EXPECT_EQ(Column(lists.PlayerTable(), CServerLists::PLAYER_NAME), c.names) << c.text;
            EXPECT_EQ(SelectedText(lists.PlayerTable(), CServerLists::PLAYER_NAME), c.selected) << c.text;
            EXPECT_EQ(SelectedText(lists.ServerTable(), CServerLists::SERVER_NAME), c.server) << c.text;
            if (c.selected != "<none>") { // else the players of the server shown before stay
                EXPECT_EQ(SelectedText(lists.PlayerOnServerTable(), CServerLists::ON_SERVER_NAME),
                          c.selected);
            }
        }
        EXPECT_EQ(lists.PlayerTable().GetSortKeys(), (Tabra::CSortKeys{0, Tabra::SORT_ASCENDING}));
        const int searches = w.PlayerSearch().SearchCount();
        w.PlayerSearch().SearchPlayer(" \t ");
        EXPECT_EQ(w.PlayerSearch().SearchCount(), searches) << "a blank text does nothing";
        EXPECT_EQ(History(w), (Texts{"*", "*al", "al", "Bob", "zz"}))
            << "\"bob\" is not added beside \"Bob\"";

        // Del asks first; No keeps the entry, Yes removes it.
        for (int answer : {IDNO, IDYES}) {
            ::SendDlgItemMessageA(w, IDC_SEARCH_TEXT, CB_SETCURSEL, 3, 0);
            testsupport::CBoxAnswers boxes(answer);
            w.Click(IDC_DELETE_SEARCH);
            EXPECT_TRUE(boxes.Showed("Are you sure to delete 'Bob'?"));
            EXPECT_EQ(History(w).size(), answer == IDYES ? 4u : 5u);
        }
    });
}

TEST_F(PlayerSearchTest, DoubleClickAndCompletionWithEnterSearchOnce) {
    OpenSearched("Bob\nxAlex\n", [&](CBrowserRig& w) {
        COMBOBOXINFO info = {};
        info.cbSize = sizeof info;
        ASSERT_TRUE(::GetComboBoxInfo(w.GetDlgItem(IDC_SEARCH_TEXT), &info));
        EXPECT_EQ(w.Selection(IDC_SEARCH_TEXT), 0) << "loading selects the first entry";
        // A double-click on "xAlex" (item 1): two clicks, the second one a double-click.
        RECT item = {};
        ::SendMessageA(info.hwndList, LB_GETITEMRECT, 1, (LPARAM)&item);
        const LPARAM at = MAKELPARAM(item.left + 4, (item.top + item.bottom) / 2);
        const int before = w.PlayerSearch().SearchCount();
        for (UINT msg : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
            ::SendMessageA(info.hwndList, msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
        testsupport::PumpFor(50);
        EXPECT_EQ(w.PlayerSearch().SearchCount(), before + 1);
        EXPECT_EQ(w.Lists().PlayerTable().GetCellText(0, CServerLists::PLAYER_NAME), "xAlex");
        // Typing "b" completes to "Bob" and Enter searches once for it; a text that completes nothing
        // is searched once as typed.
        const struct {
            const char* set;
            char typed; // 0: none
            const char *shown, *found;
        } entries[] = {{"", 'b', "Bob", "Bob"}, {"*lf", 0, "*lf", "alfred"}};
        for (const auto& e : entries) {
            testsupport::PumpFor(150);
            ::SetWindowTextA(info.hwndItem, e.set);
            if (e.typed)
                ::SendMessageA(info.hwndItem, WM_CHAR, static_cast<WPARAM>(e.typed), 0);
            char text[64] = {};
            ::GetWindowTextA(info.hwndItem, text, sizeof text);
            EXPECT_STREQ(text, e.shown);
            const int searches = w.PlayerSearch().SearchCount();
            ::SendMessageA(info.hwndItem, WM_KEYDOWN, VK_RETURN, 0);
            EXPECT_EQ(w.PlayerSearch().SearchCount(), searches + 1) << e.shown;
            EXPECT_EQ(w.Lists().PlayerTable().GetCellText(0, CServerLists::PLAYER_NAME), e.found);
        }
    });
}

TEST_F(PlayerSearchTest, LongHistoryAndPasswordSurviveARestartUpTo16KiB) {
    Texts names;
    for (int i = 0; i < 40; ++i)
        names.push_back("player" + std::to_string(10 + i));
    const std::string longName(20000, 'z'); // longer than the registry holds
    const std::string password(10000, 'p');
    Open([&](CBrowserRig& w) {
        for (const std::string& name : names)
            w.PlayerSearch().SearchPlayer(name);
        w.PlayerSearch().SearchPlayer(longName);
        ::SetDlgItemTextA(w, IDC_PASSWORD, password.c_str());
    });
    Open([&](CBrowserRig& w) {
        EXPECT_EQ(History(w), names) << "the entry that no longer fits is dropped";
        EXPECT_EQ(::GetWindowTextLengthA(w.GetDlgItem(IDC_PASSWORD)), (int)password.size());
    });
}

} // namespace
