// The appearance values of the table library, read from the registry under HKCU.
#pragma once

#include "table/model/Appearance.h"

namespace Tabra {

constexpr char kAppearanceKey[] = "Software\\Quandolin\\Tabra";

// The stored values; a missing key or value keeps its default.
SAppearance ReadAppearance();

} // namespace Tabra
