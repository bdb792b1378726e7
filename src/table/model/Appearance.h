// The appearance settings shared by all tables, from the values stored for the table library.
#pragma once

#include "table/model/Format.h"

#include <cstdint>
#include <optional>
#include <string>

namespace Tabra {

// The stored values; a missing one keeps its default.
struct SAppearanceValues {
    std::optional<uint32_t> horzGrid;     // "HorzGrid"
    std::optional<uint32_t> vertGrid;     // "VertGrid"
    std::optional<uint32_t> leparello;    // "Leparello"
    std::optional<std::string> rowColor0; // "Leparello_Color_0"
    std::optional<std::string> rowColor1; // "Leparello_Color_1"
    std::optional<std::string> gridColor; // "GridColor"
    std::optional<uint32_t> gridWidth;    // "GridWidth"
};

struct SAppearance {
    int horzGrid = 0; // line widths in pixels, 0 = no grid
    int vertGrid = 1;
    bool leparello = true; // alternating row colours
    ColorRef rowColor[2] = {0xF0FFF0, 0xE0FFE0};
    ColorRef gridColor = 0x80A080;
    int gridWidth = 1;
};

// "RRGGBB" as three two-digit hexadecimal numbers read from the first 9 characters; black when the
// text does not give three numbers.
ColorRef ParseColor(const std::string& text);

SAppearance ParseAppearance(const SAppearanceValues& values);

} // namespace Tabra
