#include "table/view/AppearanceReader.h"

#include "win/Scoped.h"

namespace Tabra {

namespace {

// Colours are read as if into a 10-byte buffer: a longer text keeps its first nine characters.
std::optional<std::string> QueryColour(const win::CRegKey& key, const char* name) {
    std::optional<std::string> text = key.QueryString(name);
    if (text && text->size() > 9)
        text->resize(9);
    return text;
}

} // namespace

SAppearance ReadAppearance() {
    SAppearanceValues values;
    win::CRegKey key;
    if (key.Open(HKEY_CURRENT_USER, kAppearanceKey)) {
        values.horzGrid = key.QueryDword("HorzGrid");
        values.vertGrid = key.QueryDword("VertGrid");
        values.leparello = key.QueryDword("Leparello");
        values.rowColor0 = QueryColour(key, "Leparello_Color_0");
        values.rowColor1 = QueryColour(key, "Leparello_Color_1");
        values.gridColor = QueryColour(key, "GridColor");
        values.gridWidth = key.QueryDword("GridWidth");
    }
    return ParseAppearance(values);
}

} // namespace Tabra
