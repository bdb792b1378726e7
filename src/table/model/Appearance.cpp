#include "table/model/Appearance.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace Tabra {

namespace {

// The stored colour texts are read into a buffer of this size.
constexpr size_t kColorBuffer = 10;

ColorRef Rgb(unsigned red, unsigned green, unsigned blue) {
    return (red & 0xFF) | (green & 0xFF) << 8 | (blue & 0xFF) << 16;
}

// Line widths beyond this are taken as this: a stored value is never trusted to keep rows drawable.
constexpr uint32_t kMaxLineWidth = 16;

int LineWidth(const std::optional<uint32_t>& stored, int fallback) {
    return stored ? static_cast<int>(std::min(*stored, kMaxLineWidth)) : fallback;
}

} // namespace

ColorRef ParseColor(const std::string& text) {
    char buffer[kColorBuffer] = {};
    strncpy(buffer, text.c_str(), kColorBuffer - 1);
    unsigned red = 0;
    unsigned green = 0;
    unsigned blue = 0;
    if (sscanf(buffer, "%2x%2x%2x", &red, &green, &blue) != 3)
        return 0;
    return Rgb(red, green, blue);
}

SAppearance ParseAppearance(const SAppearanceValues& values) {
    SAppearance appearance;
    appearance.horzGrid = LineWidth(values.horzGrid, appearance.horzGrid);
    appearance.vertGrid = LineWidth(values.vertGrid, appearance.vertGrid);
    if (values.leparello)
        appearance.leparello = *values.leparello != 0;
    const std::optional<std::string>* rowColors[2] = {&values.rowColor0, &values.rowColor1};
    for (int i = 0; i < 2; ++i)
        if (*rowColors[i])
            appearance.rowColor[i] = ParseColor(**rowColors[i]);
    if (values.gridColor)
        appearance.gridColor = ParseColor(*values.gridColor);
    appearance.gridWidth = LineWidth(values.gridWidth, appearance.gridWidth);
    return appearance;
}

} // namespace Tabra
