// The favourites file's format: one favourite per line, "address<TAB>name<TAB>password", each line
// ended by CR LF (a line feed alone is read too). Portable, so that its reader is fuzzed natively.
#pragma once

#include <string>
#include <vector>

namespace app {

struct SFavorite {
    std::string address;
    std::string name;
    std::string password;
};

// The favourites of a file's bytes, in file order. A UTF-8 byte order mark is skipped, a last line
// without a line feed counts, an empty line is a favourite with empty fields, and text after a
// third tab is ignored. Any bytes are accepted.
std::vector<SFavorite> ParseFavorites(const std::string& content);
// The line of a favourite with CR LF. Tabs and line breaks in the fields become blanks, so that the
// line reads back as the same three fields.
std::string FavoriteLine(const SFavorite& favorite);

} // namespace app
