#include "app/ServerLists.h"

#include "win/Controls.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace {

using app::CServerLists;

constexpr int kPlayerId = 1011;
constexpr int kServerId = 1012;
constexpr int kOnServerId = 1009;

std::vector<std::string> CListsColumn(Tabra::CTableCtrl& table, int col) {
    std::vector<std::string> texts;
    for (int row = 0; row < table.GetRowCount(); ++row)
        texts.push_back(table.GetCellText(row, col));
    return texts;
}

// A top-level window holding the three placeholders the tables replace.
class CListsHost {
public:
    CListsHost() {
        win::InitControls();
        m_hwnd = ::CreateWindowExA(0, "STATIC", "lists", WS_OVERLAPPEDWINDOW, 10, 10, 900, 600, nullptr,
                                   nullptr, ::GetModuleHandleA(nullptr), nullptr);
        for (int id : {kPlayerId, kServerId, kOnServerId})
            ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 10, 10, 400, 300, m_hwnd,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleA(nullptr),
                              nullptr);
    }
    ~CListsHost() { ::DestroyWindow(m_hwnd); }
    HWND Get() const { return m_hwnd; }

private:
    HWND m_hwnd;
};

class ServerListsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_lists.SetupPlayerTable(m_host.Get(), kPlayerId));
        ASSERT_TRUE(m_lists.SetupServerTable(m_host.Get(), kServerId));
        ASSERT_TRUE(m_lists.SetupPlayerOnServerTable(m_host.Get(), kOnServerId));
        m_lists.ApplyDefaultSort();
    }

    // Stores a record at 127.0.0.1:<port> and gives the collection its keys again.
    query::CGameServer& Add(uint16_t port, const std::string& name, int gameType, int maxClients,
                            const std::vector<std::string>& players, int ping = 50) {
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

    static bool IsSortedText(Tabra::CTableCtrl& table, int col) {
        for (int row = 1; row < table.GetRowCount(); ++row) {
            if (_stricmp(table.GetCellText(row - 1, col).c_str(), table.GetCellText(row, col).c_str()) > 0)
                return false;
        }
        return true;
    }
    static bool IsSortedInt(Tabra::CTableCtrl& table, int col) {
        for (int row = 1; row < table.GetRowCount(); ++row) {
            if (table.GetCell(row - 1, col)->GetInt() > table.GetCell(row, col)->GetInt())
                return false;
        }
        return true;
    }

    CListsHost m_host;
    CServerLists m_lists;
    query::CServerCollection m_servers;
};

TEST(ServerListsRules, ResortIsDueAtTheStatedCounts) {
    const struct {
        int view;
        int rows;
        bool due;
    } cases[] = {
        {CServerLists::VIEW_SERVERS, 1, true},    {CServerLists::VIEW_SERVERS, 24, true},
        {CServerLists::VIEW_SERVERS, 26, false},  {CServerLists::VIEW_SERVERS, 35, true},
        {CServerLists::VIEW_SERVERS, 99, false},  {CServerLists::VIEW_SERVERS, 105, false},
        {CServerLists::VIEW_SERVERS, 110, true},  {CServerLists::VIEW_SERVERS, 990, true},
        {CServerLists::VIEW_PLAYERS, 24, true},   {CServerLists::VIEW_PLAYERS, 27, false},
        {CServerLists::VIEW_PLAYERS, 95, true},   {CServerLists::VIEW_PLAYERS, 99, true},
        {CServerLists::VIEW_PLAYERS, 140, true},  {CServerLists::VIEW_PLAYERS, 145, false},
        {CServerLists::VIEW_PLAYERS, 500, false}, {CServerLists::VIEW_PLAYERS, 510, false},
        {CServerLists::VIEW_PLAYERS, 528, true},  {CServerLists::VIEW_PLAYERS, 33 * 300, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CServerLists::IsResortDue(c.view, c.rows), c.due)
            << "view " << c.view << " rows " << c.rows;
}

TEST(ServerListsRules, FiltersDropEmptyAndFullServersOnlyWhenTheirBoxIsOff) {
    const struct {
        int players;
        int maxClients;
        bool includeEmpty;
        bool includeFull;
        bool listed;
    } cases[] = {
        {0, 20, false, true, false}, {0, 20, true, true, true},   {20, 20, true, false, false},
        {19, 20, true, false, true}, {20, 20, true, true, true},  {3, 20, false, false, true},
        {0, 0, true, false, false},  {5, -1, true, false, true}, {21, 20, false, false, false},
    };
    for (const auto& c : cases) {
        query::CGameServer record;
        record.maxClients = c.maxClients;
        record.players.resize(static_cast<size_t>(c.players));
        EXPECT_EQ(CServerLists::PassesFilters(record, c.includeEmpty, c.includeFull), c.listed)
            << c.players << "/" << c.maxClients << " empty " << c.includeEmpty << " full " << c.includeFull;
    }
}

TEST_F(ServerListsTest, ServerRowCellsAndPlayerRowsInReverseOrder) {
    query::CGameServer& record = Add(27960, "Alpha", 2, 20, {"one", "two", "three"}, 44);
    record.needPassword = true;
    ASSERT_TRUE(m_lists.AddServerRows(record));
    Tabra::CTableCtrl& server = m_lists.ServerTable();
    ASSERT_EQ(server.GetRowCount(), 1);
    const std::vector<std::string> expected = {
        "Alpha",          "yes", "SMP - Single Map Objective", "no", "44", "3/20", "no", "3", "20", "",
        "127.0.0.1:27960"};
    for (int col : {0, 1, 2, 3, 4, 5, 6, 7, 8, 10})
        EXPECT_EQ(server.GetCellText(0, col), expected[static_cast<size_t>(col)]) << "column " << col;
    EXPECT_EQ(m_lists.RecordOfKey(server.GetCell(0, CServerLists::SERVER_KEY)->GetInt()), &record);

    Tabra::CTableCtrl& player = m_lists.PlayerTable();
    ASSERT_EQ(player.GetRowCount(), 3);
    // The Player table is visible and small: re-sorted by name after the server.
    EXPECT_EQ(player.GetCellText(0, CServerLists::PLAYER_NAME), "one");
    EXPECT_EQ(player.GetCellText(1, CServerLists::PLAYER_NAME), "three");
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(player.GetCellText(row, CServerLists::PLAYER_PLAYERS), "3/20");
        EXPECT_EQ(player.GetCellText(row, CServerLists::PLAYER_SERVER), "Alpha");
        EXPECT_EQ(player.GetCellText(row, CServerLists::PLAYER_SERVER_PING), "44");
        EXPECT_EQ(player.GetKey(row), server.GetCell(0, CServerLists::SERVER_KEY)->GetInt());
    }

    // In the Server list view the Player table keeps the order the rows came in: last player first.
    m_lists.SetView(CServerLists::VIEW_SERVERS);
    query::CGameServer& odd = Add(27961, "Odd", 12, 16, {"a", "b", "c"});
    ASSERT_TRUE(m_lists.AddServerRows(odd));
    EXPECT_EQ(server.GetCellText(server.FindKey(1), CServerLists::SERVER_TYPE), "#Error#");
    EXPECT_EQ(player.GetCellText(3, CServerLists::PLAYER_NAME), "c");
    EXPECT_EQ(player.GetCellText(4, CServerLists::PLAYER_NAME), "b");
    EXPECT_EQ(player.GetCellText(5, CServerLists::PLAYER_NAME), "a");
    EXPECT_EQ(player.GetCellText(5, CServerLists::PLAYER_TYPE), "#Error#");

    query::CGameServer& silent = Add(27962, "Silent", 0, 20, {"x"});
    EXPECT_FALSE(m_lists.AddServerRows(silent)) << "game type 0: never answered";
    EXPECT_EQ(server.GetRowCount(), 2);
    EXPECT_EQ(player.GetRowCount(), 6);
}

// Every server's rows sort before all earlier ones, so the table is in order exactly after a re-sort.
TEST_F(ServerListsTest, VisiblePlayerTableIsResortedAtDueCountsAndTheHiddenOneOnlyAtTheEnd) {
    const int batches[] = {24, 3, 3, 69, 33, 8, 1, 359, 28};
    int next = 9999;
    int total = 0;
    uint16_t port = 20000;
    for (int batch : batches) {
        std::vector<std::string> names;
        for (int i = batch - 1; i >= 0; --i) {
            char name[16];
            std::snprintf(name, sizeof name, "n%04d", next - i);
            names.push_back(name);
        }
        next -= batch;
        total += batch;
        query::CGameServer& record = Add(port, "s", 2, 64, names, 1000 - port % 1000);
        ++port;
        ASSERT_TRUE(m_lists.AddServerRows(record));
        ASSERT_EQ(m_lists.PlayerTable().GetRowCount(), total);
        EXPECT_EQ(IsSortedText(m_lists.PlayerTable(), 0),
                  CServerLists::IsResortDue(CServerLists::VIEW_PLAYERS, total))
            << "after " << total << " rows";
        if (m_lists.ServerTable().GetRowCount() > 1) {
            EXPECT_FALSE(IsSortedInt(m_lists.ServerTable(), CServerLists::SERVER_PING))
                << "the hidden table waits";
        }
    }
    m_lists.SortAll();
    EXPECT_TRUE(IsSortedText(m_lists.PlayerTable(), 0));
    EXPECT_TRUE(IsSortedInt(m_lists.ServerTable(), CServerLists::SERVER_PING));
}

TEST_F(ServerListsTest, VisibleServerTableIsResortedAtDueCounts) {
    m_lists.SetView(CServerLists::VIEW_SERVERS);
    for (int n = 1; n <= 36; ++n) {
        query::CGameServer& record = Add(static_cast<uint16_t>(21000 + n), "s", 3, 20, {}, 500 - n);
        ASSERT_TRUE(m_lists.AddServerRows(record));
        EXPECT_EQ(IsSortedInt(m_lists.ServerTable(), CServerLists::SERVER_PING),
                  CServerLists::IsResortDue(CServerLists::VIEW_SERVERS, n))
            << "after " << n << " servers";
    }
}

TEST_F(ServerListsTest, ShowServerPlayersKeepsTheUsersSortAndEmptiesForNoRow) {
    query::CGameServer& record = Add(27960, "Alpha", 2, 20, {"one", "two", "three"});
    ASSERT_TRUE(m_lists.AddServerRows(record));
    Tabra::CTableCtrl& onServer = m_lists.PlayerOnServerTable();

    m_lists.ShowServerPlayers(0);
    EXPECT_EQ(CListsColumn(onServer, 0), (std::vector<std::string>{"three", "two", "one"})) << "no sort keys";
    EXPECT_EQ(onServer.GetCellText(0, CServerLists::ON_SERVER_TEAM), "Axis");
    EXPECT_EQ(onServer.GetCellText(1, CServerLists::ON_SERVER_TEAM), "Allies");
    EXPECT_EQ(onServer.GetCellText(2, CServerLists::ON_SERVER_TEAM), "Spectating");

    // The user sorts by name; the next server shown keeps that order.
    onServer.Sort(Tabra::CSortKeys{CServerLists::ON_SERVER_NAME, Tabra::SORT_DESCENDING});
    m_lists.ShowServerPlayers(0);
    EXPECT_EQ(CListsColumn(onServer, 0), (std::vector<std::string>{"two", "three", "one"}));
    EXPECT_EQ(onServer.GetSortKeys(),
              (Tabra::CSortKeys{CServerLists::ON_SERVER_NAME, Tabra::SORT_DESCENDING}));

    m_lists.ShowServerPlayers(-1);
    EXPECT_EQ(onServer.GetRowCount(), 0);
    m_lists.ShowServerPlayers(5);
    EXPECT_EQ(onServer.GetRowCount(), 0);
}

} // namespace
