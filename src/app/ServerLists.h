// CServerLists: the three result tables of the main window (Player, Server and PlayerOnServer), their
// column types and enumerations, and how query results become rows.
//
// Rows refer to their server record through a hidden integer column, the server key: the record's
// index in the key list made when a query run starts (IndexRecords). The records stay in the
// collection, unchanged, while rows refer to them; Clear empties the tables together with the list.
#pragma once

#include "query/GameServer.h"
#include "query/ServerCollection.h"
#include "table/model/ColDef.h"
#include "table/model/Enum.h"
#include "table/model/SortKeys.h"
#include "table/view/TableCtrl.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace app {

class CServerLists {
public:
    enum View { VIEW_PLAYERS = 0, VIEW_SERVERS = 1 };

    // Columns of the Server table.
    enum ServerColumn {
        SERVER_NAME,
        SERVER_PASSWORD,
        SERVER_TYPE,
        SERVER_FRIENDLY_FIRE,
        SERVER_PING,
        SERVER_PLAYERS,
        SERVER_PUNKBUSTER,
        SERVER_NUM_PLAYERS,
        SERVER_MAX_PLAYERS,
        SERVER_MAP,
        SERVER_IP,
        SERVER_KEY,
        SERVER_COLUMNS
    };
    // Columns of the Player table.
    enum PlayerColumn {
        PLAYER_NAME,
        PLAYER_SERVER_PING,
        PLAYER_PING,
        PLAYER_FRAGS,
        PLAYER_SERVER,
        PLAYER_MAP,
        PLAYER_PLAYERS,
        PLAYER_TYPE,
        PLAYER_KEY,
        PLAYER_COLUMNS
    };
    // Columns of the PlayerOnServer table.
    enum OnServerColumn {
        ON_SERVER_NAME,
        ON_SERVER_PING,
        ON_SERVER_FRAGS,
        ON_SERVER_TEAM,
        ON_SERVER_COLUMNS
    };

    static constexpr char kGameTypes[] =
        "0?\n1?\nSMP - Single Map Objective\nSW - Stopwatch\nCmp - Campagne\n"
        "LMS - Last Man Standing\n6?\n7?\n8?\n9?\n";
    static constexpr char kTeams[] = "Spectating\nAllies\nAxis\n";

    CServerLists();
    CServerLists(const CServerLists&) = delete;
    CServerLists& operator=(const CServerLists&) = delete;

    // Each replaces the placeholder item of the same id in dialog and defines the columns.
    bool SetupPlayerTable(HWND dialog, int id);
    bool SetupServerTable(HWND dialog, int id);
    bool SetupPlayerOnServerTable(HWND dialog, int id);

    Tabra::CTableCtrl& PlayerTable() { return m_player; }
    Tabra::CTableCtrl& ServerTable() { return m_server; }
    Tabra::CTableCtrl& PlayerOnServerTable() { return m_onServer; }
    const Tabra::CSortKeys& PlayerDefaultSort() const { return m_playerSort; }
    const Tabra::CSortKeys& ServerDefaultSort() const { return m_serverSort; }

    // The current view decides which table ResortIfDue keeps ordered.
    void SetView(int view) { m_view = view; }
    int GetView() const { return m_view; }

    // The start state after the stored layouts are applied: the Player and Server tables sorted by
    // their default lists, the PlayerOnServer table without sort keys.
    void ApplyDefaultSort();

    // Empties the three tables (keeping their sort keys) and forgets the server keys.
    void Clear();
    // Gives every record of the collection its server key, in collection order.
    void IndexRecords(query::CServerCollection& servers);
    // The record of a server key, nullptr for a key that names none.
    query::CGameServer* RecordOfKey(int key) const;

    // Whether a finished record is listed under the captured include flags.
    static bool PassesFilters(const query::CGameServer& record, bool includeEmpty, bool includeFull);
    // "%i/%i": players and maximum clients.
    static std::string PlayersText(const query::CGameServer& record);

    // Appends the Server row and one Player row per player (last player first), then ResortIfDue. A
    // record with game type 0 (never answered) adds nothing. Returns whether rows were added.
    bool AddServerRows(const query::CGameServer& record);
    // Re-sorts the visible table when its row count is one of the due counts.
    void ResortIfDue();
    static bool IsResortDue(int view, int rowCount);
    // Sorts the Server, then the Player table by their own sort keys (the end of a query run).
    void SortAll();
    // Sorts table by its own sort keys.
    static void Resort(Tabra::CTableCtrl& table);
    // Fills the PlayerOnServer table with the players of the server in Server-table row serverRow,
    // keeping that table's sort keys; an invalid row leaves it empty.
    void ShowServerPlayers(int serverRow);

private:
    // Column types shared by the three tables.
    Tabra::CStringCol m_textCol;
    Tabra::CIntCol m_intCol;
    Tabra::CEnum m_gameTypes;
    Tabra::CEnumCol m_gameTypeCol;
    Tabra::CEnum m_teams;
    Tabra::CEnumCol m_teamCol;

    Tabra::CTableCtrl m_player;
    Tabra::CTableCtrl m_server;
    Tabra::CTableCtrl m_onServer;
    Tabra::CSortKeys m_playerSort;
    Tabra::CSortKeys m_serverSort;
    int m_view = VIEW_PLAYERS;

    std::vector<query::CGameServer*> m_records;
    std::unordered_map<const query::CGameServer*, int> m_keys;
};

} // namespace app
