// The favourites as the main window uses them: "Query Favorites" loads them into the server
// collection, "Add to favorites" appends a server of the Server table to the file.
#pragma once

#include "app/FavoritesFile.h"
#include "query/ServerCollection.h"
#include "table/view/TableCtrlInterface.h"

#include <string>

namespace app {

// Empties the collection and stores a record per favourite, named by the favourite's name and
// carrying its password; a later line with the same address replaces an earlier one. Favourites whose
// address does not resolve are left out, so that nothing is ever sent to the broadcast address. A
// missing file leaves the collection empty; an unreadable one throws base::CError.
void LoadFavorites(query::CServerCollection& servers, const std::string& path = kFavoritesFile);

// Appends the server of a Server-table row (its "Ip" text and its name) with an empty password, unless
// a line of the file has that address text already; the file is created when missing. Returns whether
// the line was added. Throws base::CError when the file cannot be read or written; the file then stays
// as it was.
bool AddFavorite(Tabra::CTableCtrlInterface& serverTable, int row, const std::string& path = kFavoritesFile);

} // namespace app
