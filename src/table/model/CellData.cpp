#include "table/model/CellData.h"

#include "table/model/Locale.h"

#include <cmath>
#include <limits>

namespace Tabra {

void CDString::Assign(const CCellData* source) {
    m_text = static_cast<const CDString*>(source)->m_text;
}

bool CDString::IsLess(const CCellData* other) const {
    return CollateNoCase(m_text.c_str(), static_cast<const CDString*>(other)->m_text.c_str()) < 0;
}

// Truncates toward zero; values beyond the integer range saturate and NaN gives 0, so the conversion
// is always defined.
void CDInt::SetDouble(double value) {
    if (std::isnan(value))
        m_value = 0;
    else if (value >= static_cast<double>(std::numeric_limits<int32_t>::max()))
        m_value = std::numeric_limits<int32_t>::max();
    else if (value <= static_cast<double>(std::numeric_limits<int32_t>::min()))
        m_value = std::numeric_limits<int32_t>::min();
    else
        m_value = static_cast<int32_t>(value);
}

void CDInt::Assign(const CCellData* source) {
    m_value = static_cast<const CDInt*>(source)->m_value;
}

bool CDInt::IsLess(const CCellData* other) const {
    return m_value < static_cast<const CDInt*>(other)->m_value;
}

void CDBool::Assign(const CCellData* source) {
    m_value = static_cast<const CDBool*>(source)->m_value;
}

bool CDBool::IsLess(const CCellData* other) const {
    return m_value < static_cast<const CDBool*>(other)->m_value;
}

} // namespace Tabra
