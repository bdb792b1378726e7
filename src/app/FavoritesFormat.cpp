#include "app/FavoritesFormat.h"

#include "base/TextUtil.h"

#include <algorithm>

namespace app {

namespace {

constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

std::string CleanField(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
    return text;
}

} // namespace

std::vector<SFavorite> ParseFavorites(const std::string& content) {
    std::vector<SFavorite> favorites;
    size_t start = content.compare(0, 3, kUtf8Bom) == 0 ? 3 : 0;
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        if (end == std::string::npos)
            end = content.size();
        std::string line = content.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        favorites.push_back(
            {base::GetField(line, '\t', 0), base::GetField(line, '\t', 1), base::GetField(line, '\t', 2)});
        start = end + 1;
    }
    return favorites;
}

std::string FavoriteLine(const SFavorite& favorite) {
    return CleanField(favorite.address) + '\t' + CleanField(favorite.name) + '\t' +
           CleanField(favorite.password) + "\r\n";
}

} // namespace app
