// The favourites reader takes any bytes, and every favourite it reads is written back as a line that
// reads as the same favourite (line breaks and tabs in a field become blanks).
#include "app/FavoritesFormat.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

std::string Blanked(std::string text) {
    std::replace(text.begin(), text.end(), '\r', ' ');
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string content(reinterpret_cast<const char*>(data), size);
    for (const app::SFavorite& favorite : app::ParseFavorites(content)) {
        if (favorite.address.starts_with("\xEF\xBB\xBF"))
            continue; // read back as a byte order mark, as any file starting with one
        const std::vector<app::SFavorite> again = app::ParseFavorites(app::FavoriteLine(favorite));
        if (again.size() != 1 || again[0].address != Blanked(favorite.address) ||
            again[0].name != Blanked(favorite.name) || again[0].password != Blanked(favorite.password))
            std::abort();
    }
    return 0;
}
