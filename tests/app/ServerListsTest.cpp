// The main window's three tables on their own: the rows a query result becomes, the filters, when the
// table shown is sorted again, and the players of one server.
#include "app/ServerLists.h"

#include "BrowserRig.h"
#include "win/Controls.h"

namespace {

using namespace app;
using namespace testsupport;
using Texts = std::vector<std::string>;

class ServerListsTest : public ::testing::Test {
protected:
    void SetUp() override {
        win::InitControls();
        ASSERT_TRUE(CreateTopWindow(m_host, {10, 10, 900, 600}));
        for (INT_PTR id : {101, 102, 103})
            ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 10, 10, 400, 300, m_host, (HMENU)id,
                              nullptr, nullptr);
        ASSERT_TRUE(m_lists.SetupPlayerTable(m_host, 101) && m_lists.SetupServerTable(m_host, 102) &&
                    m_lists.SetupPlayerOnServerTable(m_host, 103));
        m_lists.ApplyDefaultSort();
    }

    // Stores a record at 127.0.0.1:<port> and gives the collection its keys again.
    query::CGameServer& Add(uint16_t port, const std::string& name, int gameType, int maxClients,
                            const Texts& players, int ping = 50) {
        query::CGameServer record(net::CSockAddr(0x7F000001, port));
        record.name = name;
        record.gameType = gameType;
        record.maxClients = maxClients;
        record.ping = ping;
        for (size_t i = 0; i < players.size(); ++i)
            record.players.push_back(
                {players[i], static_cast<int>(i) * 7, 30 + static_cast<int>(i), static_cast<int>(i % 3)});
        m_servers.Store(record);
        m_lists.IndexRecords(m_servers);
        return *m_servers.Find(record.address);
    }

    win::CWnd m_host;
    CServerLists m_lists;
    query::CServerCollection m_servers;
};

// A server with as many players as slots or more is full, one that gives no slot count never is. (The main
// window's query test lists empty, full and almost full servers through both boxes.)
TEST(ServerListsRules, OverFullAndZeroSlotServersAreFull) {
    query::CGameServer record;
    for (const auto& [players, maxClients, listed] :
         {std::tuple{0, 0, false}, {21, 20, false}, {5, -1, true}}) {
        record.maxClients = maxClients;
        record.players.resize(static_cast<size_t>(players));
        EXPECT_EQ(CServerLists::PassesFilters(record, true, false), listed) << players << "/" << maxClients;
    }
}

TEST_F(ServerListsTest, AServerBecomesOneServerRowItsPlayerRowsLastPlayerFirstAndThePlayersShownForIt) {
    query::CGameServer& record = Add(27960, "Alpha", 2, 20, {"one", "two", "three"}, 44);
    record.needPassword = true;
    ASSERT_TRUE(m_lists.AddServerRows(record));
    Tabra::CTableCtrl& server = m_lists.ServerTable();
    Tabra::CTableCtrl& player = m_lists.PlayerTable();
    ASSERT_EQ(server.GetRowCount(), 1);
    const Texts expected = {
        "Alpha",          "yes", "SMP - Single Map Objective", "no", "44", "3/20", "no", "3", "20", "",
        "127.0.0.1:27960"};
    for (int col : {0, 1, 2, 3, 4, 5, 6, 7, 8, 10})
        EXPECT_EQ(server.GetCellText(0, col), expected[static_cast<size_t>(col)]) << "column " << col;
    EXPECT_EQ(m_lists.RecordOfKey(server.GetCell(0, CServerLists::SERVER_KEY)->GetInt()), &record);
    EXPECT_EQ(Column(player, CServerLists::PLAYER_NAME), (Texts{"one", "three", "two"})) << "shown: sorted";
    EXPECT_EQ(Column(player, CServerLists::PLAYER_PLAYERS), Texts(3, "3/20"));
    EXPECT_EQ(Column(player, CServerLists::PLAYER_SERVER), Texts(3, "Alpha"));
    EXPECT_EQ(Column(player, CServerLists::PLAYER_SERVER_PING), Texts(3, "44"));
    EXPECT_EQ(player.GetKey(2), server.GetCell(0, CServerLists::SERVER_KEY)->GetInt());
    // The players of one server: without sort keys in the order they came in; a sort the user chose stays
    // for the next server shown; no row shows none.
    Tabra::CTableCtrl& onServer = m_lists.PlayerOnServerTable();
    m_lists.ShowServerPlayers(0);
    EXPECT_EQ(Column(onServer, CServerLists::ON_SERVER_NAME), (Texts{"three", "two", "one"}));
    EXPECT_EQ(Column(onServer, CServerLists::ON_SERVER_TEAM), (Texts{"Axis", "Allies", "Spectating"}));
    const Tabra::CSortKeys byName{CServerLists::ON_SERVER_NAME, Tabra::SORT_DESCENDING};
    onServer.Sort(byName);
    m_lists.ShowServerPlayers(0);
    EXPECT_EQ(Column(onServer, CServerLists::ON_SERVER_NAME), (Texts{"two", "three", "one"}));
    EXPECT_EQ(onServer.GetSortKeys(), byName);
    for (int row : {-1, 5}) {
        m_lists.ShowServerPlayers(0);
        m_lists.ShowServerPlayers(row);
        EXPECT_EQ(onServer.GetRowCount(), 0) << row;
    }

    // In the Server list view the hidden Player table keeps the order the rows came in.
    m_lists.SetView(CServerLists::VIEW_SERVERS);
    ASSERT_TRUE(m_lists.AddServerRows(Add(27961, "Odd", 12, 16, {"a", "b", "c"})));
    EXPECT_EQ(server.GetCellText(server.FindKey(1), CServerLists::SERVER_TYPE), "#Error#");
    EXPECT_EQ(Column(player, CServerLists::PLAYER_NAME), (Texts{"one", "three", "two", "c", "b", "a"}));
    EXPECT_EQ(player.GetCellText(5, CServerLists::PLAYER_TYPE), "#Error#");
    EXPECT_FALSE(m_lists.AddServerRows(Add(27962, "Silent", 0, 20, {"x"}))) << "game type 0: never answered";
    EXPECT_EQ(server.GetRowCount(), 2);
    EXPECT_EQ(player.GetRowCount(), 6);
}

// Every server's pings and player names sort before all earlier ones, so the table shown is in order
// exactly when it was sorted again after the last server.
TEST_F(ServerListsTest, TheTableShownIsSortedAgainAtTheDueCountsAndTheHiddenOneOnlyAtTheEnd) {
    int servers = 0, name = 99999;
    const auto addServer = [&](int players) {
        Texts names;
        for (int i = players - 1; i >= 0; --i)
            names.push_back("n" + std::to_string(name - i));
        name -= players;
        ASSERT_TRUE(m_lists.AddServerRows(
            Add(static_cast<uint16_t>(20000 + servers), "s", 2, 64, names, 5000 - servers)));
        ++servers;
    };
    const int sv = CServerLists::VIEW_SERVERS, pl = CServerLists::VIEW_PLAYERS;
    struct Case {
        int view, rows; // rows of the table shown, after the server that reaches them
        bool sorted;
    } steps[] = {{sv, 1, true},    {sv, 24, true},   {sv, 26, false},  {sv, 35, true},
                 {sv, 99, false},  {sv, 105, false}, {sv, 110, true},  {pl, 24, true},
                 {pl, 27, false},  {pl, 95, true},   {pl, 99, true},   {pl, 140, true},
                 {pl, 145, false}, {pl, 500, false}, {pl, 510, false}, {pl, 528, true}};
    for (const auto& s : steps) {
        m_lists.SetView(s.view);
        const bool players = s.view == pl;
        if (players)
            addServer(s.rows - m_lists.PlayerTable().GetRowCount());
        while (!players && servers < s.rows)
            addServer(0);
        EXPECT_EQ(players ? IsSorted(m_lists.PlayerTable(), CServerLists::PLAYER_NAME)
                          : IsSorted(m_lists.ServerTable(), CServerLists::SERVER_PING, true),
                  s.sorted)
            << s.view << " " << s.rows;
    }
    EXPECT_FALSE(IsSorted(m_lists.ServerTable(), CServerLists::SERVER_PING, true)); // the hidden one waits
    m_lists.SortAll();
    EXPECT_TRUE(IsSorted(m_lists.PlayerTable(), CServerLists::PLAYER_NAME));
    EXPECT_TRUE(IsSorted(m_lists.ServerTable(), CServerLists::SERVER_PING, true));
}

} // namespace
