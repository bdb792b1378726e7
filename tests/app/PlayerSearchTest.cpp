// The player search driven in the real main window, over the results of a query of UDP servers
// inside the test.
#include "BrowserRig.h"

namespace {

using namespace app;
using namespace testsupport;
using Texts = std::vector<std::string>;

class PlayerSearchTest : public BrowserFixture {
protected:
    static std::string SelectedText(Tabra::CTableCtrl& table, int col) {
        const int row = table.GetSelectedRow();
        return row < 0 ? "<none>" : table.GetCellText(row, col);
    }
    // The history, last entry first.
    static std::string History(CBrowserRig& w) { return w.PlayerSearch().HistoryText(std::string::npos); }
};

TEST_F(PlayerSearchTest, MatchesGoToTheTopTheFoundPlayerIsSelectedOnItsServerAndTheHistoryIsKept) {
    struct Case {
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
    PutText(value::kLastPlayers, "Bob\n");
    CFakeNetwork network{{{"One", 2, 20, {{1, 10, "Alpha"}, {2, 20, "alfred"}, {3, 30, "Bob"}}},
                          {"Two", 2, 20, {{4, 40, "xAlex"}}}}};
    OpenQueried(network, [&](CBrowserRig& w, query::CGameServer&) {
        auto& lists = w.Lists();
        ASSERT_EQ(lists.PlayerTable().GetRowCount(), 4);
        EXPECT_EQ(w.Selection(IDC_SEARCH_TEXT), 0) << "loading selects the first entry";
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
        EXPECT_EQ(History(w), "zz\nBob\nal\n*al\n*\n") << "\"bob\" is not added beside \"Bob\"";
        // Del asks first; No keeps the entry, Yes removes it.
        for (const auto& [answer, left] :
             {std::pair{IDNO, "zz\nBob\nal\n*al\n*\n"}, {IDYES, "zz\nal\n*al\n*\n"}}) {
            ::SendDlgItemMessageA(w, IDC_SEARCH_TEXT, CB_SETCURSEL, 3, 0);
            CBoxAnswers boxes(answer);
            w.Click(IDC_DELETE_SEARCH);
            EXPECT_TRUE(boxes.Showed("Are you sure to delete 'Bob'?"));
            EXPECT_EQ(History(w), left);
        }

        // A double-click on "al" (item 2) searches once; so does Enter, for a text that completes nothing or
        // the one completed from a typed "a".
        COMBOBOXINFO info = {};
        info.cbSize = sizeof info;
        ASSERT_TRUE(::GetComboBoxInfo(w.GetDlgItem(IDC_SEARCH_TEXT), &info));
        RECT item = {};
        ::SendMessageA(info.hwndList, LB_GETITEMRECT, 2, (LPARAM)&item);
        const LPARAM at = MAKELPARAM(item.left + 4, (item.top + item.bottom) / 2);
        const int before = w.PlayerSearch().SearchCount();
        for (UINT msg : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
            ::SendMessageA(info.hwndList, msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
        PumpFor(50);
        EXPECT_EQ(w.PlayerSearch().SearchCount(), before + 1);
        EXPECT_EQ(lists.PlayerTable().GetCellText(0, CServerLists::PLAYER_NAME), "Alpha");
        struct Case {
            const char* set;
            char typed; // 0: none
            const char *shown, *found;
        } entries[] = {{"*lf", 0, "*lf", "alfred"}, {"", 'a', "al", "Alpha"}};
        for (const auto& e : entries) {
            PumpFor(150);
            ::SetWindowTextA(info.hwndItem, e.set);
            if (e.typed)
                ::SendMessageA(info.hwndItem, WM_CHAR, static_cast<WPARAM>(e.typed), 0);
            char text[64] = {};
            ::GetWindowTextA(info.hwndItem, text, sizeof text);
            EXPECT_STREQ(text, e.shown);
            const int searches = w.PlayerSearch().SearchCount();
            ::SendMessageA(info.hwndItem, WM_KEYDOWN, VK_RETURN, 0);
            EXPECT_EQ(w.PlayerSearch().SearchCount(), searches + 1) << e.shown;
            EXPECT_EQ(lists.PlayerTable().GetCellText(0, CServerLists::PLAYER_NAME), e.found);
        }
    });
}

TEST_F(PlayerSearchTest, LongHistoryAndPasswordSurviveARestartUpTo16KiB) {
    Texts names;
    for (int i = 0; i < 40; ++i)
        names.push_back("player" + std::to_string(10 + i));
    const std::string password(10000, 'p');
    Open([&](CBrowserRig& w) {
        for (const std::string& name : names)
            w.PlayerSearch().SearchPlayer(name);
        w.PlayerSearch().SearchPlayer(std::string(20000, 'z')); // longer than the registry holds
        ::SetDlgItemTextA(w, IDC_PASSWORD, password.c_str());
    });
    Open([&](CBrowserRig& w) {
        std::string expected;
        for (const std::string& name : names)
            expected = name + "\n" + expected;
        EXPECT_EQ(History(w), expected) << "the entry that no longer fits is dropped";
        EXPECT_EQ(::GetWindowTextLengthA(w.GetDlgItem(IDC_PASSWORD)), (int)password.size());
    });
}

} // namespace
