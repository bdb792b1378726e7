#include "app/ServerLists.h"

#include <cstdio>

namespace app {

using Tabra::CTableCtrl;

CServerLists::CServerLists()
    : m_textCol(Tabra::kDrawLeft), m_intCol(Tabra::kDrawRight), m_gameTypes(kGameTypes, 0),
      m_gameTypeCol(m_gameTypes.Get(), Tabra::ENUM_TEXT), m_teams(kTeams, 0),
      m_teamCol(m_teams.Get(), Tabra::ENUM_TEXT) {}

bool CServerLists::SetupPlayerTable(HWND dialog, int id) {
    if (!m_player.Create(dialog, id))
        return false;
    m_player.SetColumnCount(PLAYER_COLUMNS);
    m_player.DefineColumn(PLAYER_NAME, &m_textCol, "Player", 120);
    m_player.DefineColumn(PLAYER_SERVER_PING, &m_intCol, "ServerPing", 32);
    m_player.DefineColumn(PLAYER_PING, &m_intCol, "Ping", 32);
    m_player.DefineColumn(PLAYER_FRAGS, &m_intCol, "Frags", 36);
    m_player.DefineColumn(PLAYER_SERVER, &m_textCol, "Server", 120);
    m_player.DefineColumn(PLAYER_MAP, &m_textCol, "Map", 90);
    m_player.DefineColumn(PLAYER_PLAYERS, &m_textCol, "Players", 44);
    m_player.DefineColumn(PLAYER_TYPE, &m_gameTypeCol, "Type", 128);
    m_player.DefineColumn(PLAYER_KEY, &m_intCol, nullptr, 0);
    // The key column lets the search find a player's server row (FindKey).
    m_player.EndColumns(PLAYER_KEY);
    m_playerSort = {PLAYER_NAME, Tabra::SORT_ASCENDING};
    return true;
}

bool CServerLists::SetupServerTable(HWND dialog, int id) {
    if (!m_server.Create(dialog, id))
        return false;
    m_server.SetColumnCount(SERVER_COLUMNS);
    auto defineBool = [this](int col, const char* header, int width) {
        // Made for the definition only: the table keeps what it creates from it.
        Tabra::CBoolCol type(Tabra::kDrawCenter, "yes", "no", false);
        m_server.DefineColumn(col, &type, header, width);
    };
    m_server.DefineColumn(SERVER_NAME, &m_textCol, "Server", 120);
    defineBool(SERVER_PASSWORD, "Pwd\nPassword protected", 38);
    m_server.DefineColumn(SERVER_TYPE, &m_gameTypeCol, "Type", 128);
    defineBool(SERVER_FRIENDLY_FIRE, "FF\nFriendly Fire", 30);
    m_server.DefineColumn(SERVER_PING, &m_intCol, "Ping", 40);
    m_server.DefineColumn(SERVER_PLAYERS, &m_textCol, "Players", 44);
    defineBool(SERVER_PUNKBUSTER, "PB\nPunkbuster", 30);
    m_server.DefineColumn(SERVER_NUM_PLAYERS, &m_intCol, "NumPlayers", 0);
    m_server.DefineColumn(SERVER_MAX_PLAYERS, &m_intCol, "MaxPlayers", 0);
    m_server.DefineColumn(SERVER_MAP, &m_textCol, "Map", 90);
    m_server.DefineColumn(SERVER_IP, &m_textCol, "Ip", 200);
    m_server.DefineColumn(SERVER_KEY, &m_intCol, nullptr, 0);
    m_server.SetColumnVisible(SERVER_NUM_PLAYERS, false);
    m_server.SetColumnVisible(SERVER_MAX_PLAYERS, false);
    m_server.EndColumns(SERVER_KEY);
    m_serverSort = {SERVER_PING, Tabra::SORT_ASCENDING};
    return true;
}

bool CServerLists::SetupPlayerOnServerTable(HWND dialog, int id) {
    if (!m_onServer.Create(dialog, id))
        return false;
    m_onServer.SetColumnCount(ON_SERVER_COLUMNS);
    m_onServer.DefineColumn(ON_SERVER_NAME, &m_textCol, "Player", 120);
    m_onServer.DefineColumn(ON_SERVER_PING, &m_intCol, "Ping", 32);
    m_onServer.DefineColumn(ON_SERVER_FRAGS, &m_intCol, "Frags", 36);
    m_onServer.DefineColumn(ON_SERVER_TEAM, &m_teamCol, "Team", 60);
    m_onServer.BuildLayout();
    return true;
}

void CServerLists::ApplyDefaultSort() {
    m_player.Sort(m_playerSort);
    m_player.Update(true);
    m_server.Sort(m_serverSort);
    m_server.Update(true);
    m_onServer.Update(false);
}

void CServerLists::Clear() {
    for (CTableCtrl* table : {&m_player, &m_server, &m_onServer}) {
        table->DeleteAllRows();
        table->Update(true);
    }
    m_records.clear();
    m_keys.clear();
}

void CServerLists::IndexRecords(query::CServerCollection& servers) {
    m_records.clear();
    m_keys.clear();
    m_records.reserve(servers.Count());
    m_keys.reserve(servers.Count());
    for (auto& entry : servers) {
        m_keys.emplace(&entry.second, static_cast<int>(m_records.size()));
        m_records.push_back(&entry.second);
    }
}

query::CGameServer* CServerLists::RecordOfKey(int key) const {
    if (key < 0 || static_cast<size_t>(key) >= m_records.size())
        return nullptr;
    return m_records[static_cast<size_t>(key)];
}

bool CServerLists::PassesFilters(const query::CGameServer& record, bool includeEmpty, bool includeFull) {
    if (!includeEmpty && record.players.empty())
        return false;
    if (!includeFull && record.players.size() >= static_cast<unsigned>(record.maxClients))
        return false;
    return true;
}

std::string CServerLists::PlayersText(const query::CGameServer& record) {
    char text[32];
    std::snprintf(text, sizeof text, "%i/%i", static_cast<int>(record.players.size()), record.maxClients);
    return text;
}

bool CServerLists::AddServerRows(const query::CGameServer& record) {
    if (record.gameType == 0)
        return false;
    auto found = m_keys.find(&record);
    // A record outside the key list cannot be referred to by a row.
    if (found == m_keys.end())
        return false;
    const int key = found->second;
    const int count = static_cast<int>(record.players.size());
    const std::string players = PlayersText(record);

    Tabra::CRow* row = m_server.AddRow();
    row->Cell(SERVER_NAME)->SetString(record.name);
    row->Cell(SERVER_PASSWORD)->SetBool(record.needPassword);
    row->Cell(SERVER_TYPE)->SetInt(record.gameType);
    row->Cell(SERVER_FRIENDLY_FIRE)->SetBool(record.friendlyFire);
    row->Cell(SERVER_PING)->SetInt(record.ping);
    row->Cell(SERVER_PLAYERS)->SetString(players);
    row->Cell(SERVER_PUNKBUSTER)->SetBool(record.punkBuster);
    row->Cell(SERVER_NUM_PLAYERS)->SetInt(count);
    row->Cell(SERVER_MAX_PLAYERS)->SetInt(record.maxClients);
    row->Cell(SERVER_MAP)->SetString(record.map);
    row->Cell(SERVER_IP)->SetString(record.address.ToText());
    row->Cell(SERVER_KEY)->SetInt(key);

    for (int i = count - 1; i >= 0; --i) {
        const query::CPlayer& player = record.players[static_cast<size_t>(i)];
        row = m_player.AddRow();
        row->Cell(PLAYER_NAME)->SetString(player.name);
        row->Cell(PLAYER_SERVER_PING)->SetInt(record.ping);
        row->Cell(PLAYER_PING)->SetInt(player.ping);
        row->Cell(PLAYER_FRAGS)->SetInt(player.score);
        row->Cell(PLAYER_SERVER)->SetString(record.name);
        row->Cell(PLAYER_MAP)->SetString(record.map);
        row->Cell(PLAYER_PLAYERS)->SetString(players);
        row->Cell(PLAYER_TYPE)->SetInt(record.gameType);
        row->Cell(PLAYER_KEY)->SetInt(key);
    }
    ResortIfDue();
    return true;
}

bool CServerLists::IsResortDue(int view, int n) {
    if (view == VIEW_SERVERS)
        return n < 25 || (n < 100 && n % 5 == 0) || n % 10 == 0;
    return n < 25 || (n < 100 && n % 5 == 0) || (n < 500 && n % 10 == 0) || n % 33 == 0;
}

void CServerLists::ResortIfDue() {
    CTableCtrl& table = m_view == VIEW_SERVERS ? m_server : m_player;
    if (IsResortDue(m_view, table.GetRowCount()))
        Resort(table);
}

void CServerLists::Resort(CTableCtrl& table) {
    const Tabra::CSortKeys keys = table.GetSortKeys();
    table.Sort(keys);
    table.Update(true);
}

void CServerLists::SortAll() {
    Resort(m_server);
    Resort(m_player);
}

void CServerLists::ShowServerPlayers(int serverRow) {
    const Tabra::CSortKeys keys = m_onServer.GetSortKeys();
    m_onServer.DeleteAllRows();
    const query::CGameServer* record = m_server.IsValidRow(serverRow)
                                           ? RecordOfKey(m_server.GetCell(serverRow, SERVER_KEY)->GetInt())
                                           : nullptr;
    if (record) {
        for (auto it = record->players.rbegin(); it != record->players.rend(); ++it) {
            Tabra::CRow* row = m_onServer.AddRow();
            row->Cell(ON_SERVER_NAME)->SetString(it->name);
            row->Cell(ON_SERVER_PING)->SetInt(it->ping);
            row->Cell(ON_SERVER_FRAGS)->SetInt(it->score);
            row->Cell(ON_SERVER_TEAM)->SetInt(it->team);
        }
        m_onServer.Sort(keys);
    }
    m_onServer.Update(true);
}

} // namespace app
