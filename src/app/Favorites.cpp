#include "app/Favorites.h"

#include "app/ServerLists.h"
#include "base/TextUtil.h"

#include <algorithm>

namespace app {

void LoadFavorites(query::CServerCollection& servers, const std::string& path) {
    servers.Clear();
    for (const SFavorite& favorite : ReadFavoritesFile(path)) {
        const net::CSockAddr address = FavoriteAddress(favorite.address);
        if (IsResolved(address))
            servers.Store(query::CGameServer(address, favorite.name.c_str(), favorite.password.c_str()));
    }
}

bool AddFavorite(Tabra::CTableCtrlInterface& serverTable, int row, const std::string& path) {
    const std::string key = serverTable.GetCellText(row, CServerLists::SERVER_IP);
    std::string content;
    ReadFileBytes(path, content);
    const std::vector<SFavorite> favorites = ParseFavorites(content);
    if (std::any_of(favorites.begin(), favorites.end(), [&](const SFavorite& f) { return f.address == key; }))
        return false;
    std::string name = serverTable.GetCellText(row, CServerLists::SERVER_NAME);
    // A hand-edited last line without a line feed would otherwise take the new favourite in.
    if (!content.empty() && content.back() != '\n')
        content += "\r\n";
    content += FavoriteLine({key, base::TrimText(name), ""});
    ReplaceFileContent(path, content);
    return true;
}

} // namespace app
