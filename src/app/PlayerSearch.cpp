#include "app/PlayerSearch.h"

#include "base/TextUtil.h"
#include "win/ErrorReport.h"

namespace app {

namespace {

// How long after an item choice a double-click is taken as part of it (ms).
constexpr uint32_t kDoubleClickGuardMs = 100;

// Upper case by the rules of the user's locale.
std::string UpperCopy(std::string text) {
    if (!text.empty())
        ::CharUpperBuffA(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

} // namespace

void CPlayerSearch::SearchPlayer(const std::string& input) {
    std::string text = input;
    base::TrimText(text);
    if (text.empty())
        return;
    ++m_searches;
    if (m_box.FindStringExact(-1, text) == CB_ERR)
        m_box.SetCurSel(m_box.AddString(text, 0));

    Tabra::CTableCtrl& players = m_lists.PlayerTable();
    players.SetSelectedRow(-1);
    m_lists.ServerTable().SetSelectedRow(-1);

    const bool contains = text[0] == '*';
    if (contains)
        text.erase(0, 1);
    const bool found = MoveMatchesToTop(UpperCopy(text), contains);
    players.Update(true);
    if (!found)
        return;
    players.SetSelectedRow(0);
    players.EnsureVisible(0, -1);
    players.Update(true);
    SelectServerOfTopPlayer();
}

bool CPlayerSearch::MoveMatchesToTop(const std::string& upperText, bool contains) {
    Tabra::CTableCtrl& players = m_lists.PlayerTable();
    players.Sort(Tabra::CSortKeys{CServerLists::PLAYER_NAME, Tabra::SORT_ASCENDING});
    bool found = false;
    const int count = players.GetRowCount();
    for (int row = 0; row < count; ++row) {
        const size_t at =
            UpperCopy(players.GetCell(row, CServerLists::PLAYER_NAME)->GetString()).find(upperText);
        if (at == 0 || (contains && at != std::string::npos)) {
            players.MoveRow(row, 0);
            found = true;
        }
    }
    return found;
}

void CPlayerSearch::SelectServerOfTopPlayer() {
    Tabra::CTableCtrl& servers = m_lists.ServerTable();
    Tabra::CTableCtrl& players = m_lists.PlayerTable();
    const int serverRow = servers.FindKey(players.GetKey(0));
    if (serverRow < 0)
        return;
    servers.SetSelectedRow(serverRow);
    servers.EnsureVisible(serverRow, -1);
    servers.Update(true);
    m_lists.ShowServerPlayers(serverRow);

    Tabra::CTableCtrl& onServer = m_lists.PlayerOnServerTable();
    Tabra::CDString name;
    name.SetString(players.GetCell(0, CServerLists::PLAYER_NAME)->GetString());
    onServer.SetSelectedRow(onServer.FindNext(CServerLists::ON_SERVER_NAME, &name, -1));
    onServer.Update(false);
}

void CPlayerSearch::OnSearch() {
    SearchPlayer(m_box.GetWindowText());
}

void CPlayerSearch::OnSelEndOk() {
    SearchPlayer(m_box.GetSelectedText());
    // Measured from the end of the search, so that a slow search is not followed by a second one.
    m_choiceTick = ::GetTickCount();
    m_choiceMade = true;
}

void CPlayerSearch::OnDoubleClick() {
    if (m_choiceMade && ::GetTickCount() - m_choiceTick <= kDoubleClickGuardMs)
        return;
    SearchPlayer(m_box.GetWindowText());
}

void CPlayerSearch::OnDelete(HWND owner) {
    const int sel = m_box.GetCurSel();
    if (sel < 0)
        return;
    const std::string question = "Are you sure to delete '" + m_box.GetLBText(sel) + "'?";
    if (win::ShowMessage(owner, question, MB_YESNO | MB_ICONQUESTION) == IDYES)
        m_box.DeleteString(sel);
}

void CPlayerSearch::LoadHistory(const std::string& stored) {
    size_t start = 0;
    for (size_t end; (end = stored.find('\n', start)) != std::string::npos; start = end + 1) {
        if (end > start)
            m_box.AddString(stored.substr(start, end - start), 0);
    }
    m_box.SetCurSel(0);
}

std::string CPlayerSearch::HistoryText(size_t maxLength) const {
    std::string text;
    for (int i = m_box.GetCount() - 1; i >= 0; --i) {
        const std::string entry = m_box.GetLBText(i) + "\n";
        if (text.size() + entry.size() <= maxLength)
            text += entry;
    }
    return text;
}

} // namespace app
