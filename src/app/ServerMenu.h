// The Server table's own entries at the top of its context menu ("Add to favorites", "Show server
// info"), and the lookup
// of the server record a table row names.
#pragma once

#include "app/ServerLists.h"
#include "win/PopupMenu.h"

namespace app {

// Command ids of the entries: the menu text's items get consecutive ids from the base.
inline constexpr UINT ID_ADD_TO_FAVORITES = 57341;
inline constexpr UINT ID_SHOW_SERVER_INFO = 57343;

// The record that row of the Server table (serverTable) or of the Player table names; nullptr for an
// invalid row or a row without record.
query::CGameServer* RecordOfRow(CServerLists& lists, bool serverTable, int row);

// Puts the entries before the table's own items, greyed when the menu was not opened on a row.
void InsertServerMenuItems(win::CPopupMenu& menu, bool onRow);

// Carries out one of the entries' commands for the Server table's row; false for any other command,
// which the table then carries out itself. Dialogs belong to owner.
bool OnServerMenuCommand(HWND owner, CServerLists& lists, int command, int row);

} // namespace app
