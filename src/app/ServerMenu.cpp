#include "app/ServerMenu.h"

#include "app/ServerInfoDlg.h"

namespace app {

query::CGameServer* RecordOfRow(CServerLists& lists, bool serverTable, int row) {
    Tabra::CTableCtrl& table = serverTable ? lists.ServerTable() : lists.PlayerTable();
    if (!table.IsValidRow(row))
        return nullptr;
    const int keyColumn = serverTable ? int{CServerLists::SERVER_KEY} : int{CServerLists::PLAYER_KEY};
    return lists.RecordOfKey(table.GetCell(row, keyColumn)->GetInt());
}

void InsertServerMenuItems(win::CPopupMenu& menu, bool onRow) {
    // The trailing separator divides the entries from the table's own items.
    menu.InsertItems(onRow ? "Show server info;-" : "~Show server info;-", ID_SHOW_SERVER_INFO, 0,
                     MF_BYPOSITION);
}

bool OnServerMenuCommand(HWND owner, CServerLists& lists, int command, int row) {
    if (command != ID_SHOW_SERVER_INFO)
        return false;
    if (const query::CGameServer* server = RecordOfRow(lists, true, row))
        CServerInfoDlg(*server, owner).DoModal();
    return true;
}

} // namespace app
