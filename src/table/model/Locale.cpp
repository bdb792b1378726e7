#include "table/model/Locale.h"

namespace Tabra {

const SLocale* UserLocale() {
    static const SLocale locale{ReadUserNumberSettings()};
    return &locale;
}

} // namespace Tabra
