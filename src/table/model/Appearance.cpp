#include "table/model/Appearance.h"

#include <cstdio>
#include <cstring>

namespace Tabra {

namespace {

// The stored colour texts are read into a buffer of this size.
constexpr size_t COLOR_BUFFER = 10;

ColorRef Rgb(unsigned red, unsigned green, unsigned blue) {
    return (red & 0xFF) | (green & 0xFF) << 8 | (blue & 0xFF) << 16;
}

int ToInt(uint32_t value) {
    return static_cast<int>(value);
}

} // namespace

ColorRef ParseColor(const std::string& text) {
    char buffer[COLOR_BUFFER] = {};
    strncpy(buffer, text.c_str(), COLOR_BUFFER - 1);
    unsigned red = 0;
    unsigned green = 0;
    unsigned blue = 0;
    if (sscanf(buffer, "%2x%2x%2x", &red, &green, &blue) != 3)
        return 0;
    return Rgb(red, green, blue);
}

CAppearance ParseAppearance(const CAppearanceValues& values) {
    CAppearance appearance;
    appearance.horzGrid = ToInt(values.horzGrid.value_or(static_cast<uint32_t>(appearance.horzGrid)));
    appearance.vertGrid = ToInt(values.vertGrid.value_or(static_cast<uint32_t>(appearance.vertGrid)));
    if (values.leparello)
        appearance.leparello = *values.leparello != 0;
    const std::optional<std::string>* rowColors[2] = {&values.rowColor0, &values.rowColor1};
    for (int i = 0; i < 2; ++i)
        if (*rowColors[i])
            appearance.rowColor[i] = ParseColor(**rowColors[i]);
    if (values.gridColor)
        appearance.gridColor = ParseColor(*values.gridColor);
    appearance.gridWidth = ToInt(values.gridWidth.value_or(static_cast<uint32_t>(appearance.gridWidth)));
    return appearance;
}

} // namespace Tabra
