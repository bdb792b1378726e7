#include "table/model/Locale.h"

namespace Tabra {

const CLocale* UserLocale() {
    static const CLocale locale{ReadUserNumberSettings()};
    return &locale;
}

} // namespace Tabra
