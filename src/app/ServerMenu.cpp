#include "app/ServerMenu.h"

#include "app/Favorites.h"
#include "app/ServerInfoDlg.h"
#include "win/ErrorReport.h"

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
    menu.InsertItems(onRow ? "Add to favorites;-;Show server info;-"
                           : "~Add to favorites;-;~Show server info;-",
                     ID_ADD_TO_FAVORITES, 0, MF_BYPOSITION);
}

bool OnServerMenuCommand(HWND owner, CServerLists& lists, int command, int row) {
    if (command == ID_ADD_TO_FAVORITES) {
        if (lists.ServerTable().IsValidRow(row))
            AddFavorite(lists.ServerTable(), row);
        return true;
    }
    if (command != ID_SHOW_SERVER_INFO)
        return false;
    if (const query::CGameServer* server = RecordOfRow(lists, true, row))
        CServerInfoDlg(*server, owner).DoModal();
    return true;
}

} // namespace app
