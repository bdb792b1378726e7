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
    } cases[] = {{"al", {"Alpha", "alfred", "Bob", "xAlex"}, "Alpha", "One"},
                 {"*al", {"xAlex", "Alpha", "alfred", "Bob"}, "xAlex", "Two"},
                 {"  bob ", {"Bob", "alfred", "Alpha", "xAlex"}, "Bob", "One"},
                 {"*", {"xAlex", "Bob", "Alpha", "alfred"}, "xAlex", "Two"},
                 {"zz", {"alfred", "Alpha", "Bob", "xAlex"}, "<none>", "<none>"}};
    m_key.WriteString(value::kLastPlayers, "Bob\n");
    CFakeNetwork network{{{"One", 2, 20, {"Alpha", "alfred", "Bob"}}, {"Two", 2, 20, {"xAlex"}}}};
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
        COMBOBOXINFO info = {sizeof(COMBOBOXINFO), {}, {}, 0, nullptr, nullptr, nullptr};
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
        for (const auto& [set, typed, shown, found] :
             {std::tuple{"*lf", '\0', "*lf", "alfred"}, {"", 'a', "al", "Alpha"}}) {
            PumpFor(150);
            ::SetWindowTextA(info.hwndItem, set);
            if (typed)
                ::SendMessageA(info.hwndItem, WM_CHAR, static_cast<WPARAM>(typed), 0);
            EXPECT_EQ(ReadBox(info.hwndItem).caption, shown);
            const int searches = w.PlayerSearch().SearchCount();
            ::SendMessageA(info.hwndItem, WM_KEYDOWN, VK_RETURN, 0);
            EXPECT_EQ(w.PlayerSearch().SearchCount(), searches + 1) << shown;
            EXPECT_EQ(lists.PlayerTable().GetCellText(0, CServerLists::PLAYER_NAME), found);
        }
    });
}

} // namespace
