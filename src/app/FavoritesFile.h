// The favourites file on disk (its format in FavoritesFormat.h). Written in one step, so it is never
// left half written.
#pragma once

#include "app/FavoritesFormat.h"
#include "net/SockAddr.h"

#include <cstdint>
#include <string>
#include <vector>

namespace app {

// In the current directory.
inline constexpr char kFavoritesFile[] = "favorites.dat";
// The game's port, for an address without one.
inline constexpr uint16_t kDefaultGamePort = 27960;

// The bytes of a file: false when it does not exist. A file that exists but cannot be read throws
// base::CError naming the file and the system's reason.
bool ReadFileBytes(const std::string& path, std::string& content);
// The favourites of a file; none when it does not exist. Throws as ReadFileBytes.
std::vector<SFavorite> ReadFavoritesFile(const std::string& path);

// Replaces the file's content in one step: the bytes go to a temporary file in the same folder, which
// is flushed and then moved over the old file. A failure at any step throws base::CError naming the
// file and the system's reason, and leaves the old file as it was.
void ReplaceFileContent(const std::string& path, const std::string& content);
void WriteFavoritesFile(const std::string& path, const std::vector<SFavorite>& favorites);

// The address of a favourite's text (outer blanks ignored): host or host:port, with the game's port when none
// is given or the port is 0. A text whose host is not a dotted address or a host name is not looked up and
// gives 255.255.255.255, as an unresolvable name does.
net::CSockAddr FavoriteAddress(std::string text);
bool IsResolved(const net::CSockAddr& address);

} // namespace app
