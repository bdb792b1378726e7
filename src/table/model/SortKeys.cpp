#include "table/model/SortKeys.h"

#include <algorithm>

namespace Tabra {

namespace {

bool IsOrdering(int direction) {
    return direction == SORT_ASCENDING || direction == SORT_DESCENDING;
}

} // namespace

CSortKeys& CSortKeys::operator=(std::initializer_list<int> pairs) {
    m_keys.clear();
    for (const int* p = pairs.begin(); p + 1 < pairs.end() && p[0] >= 0; p += 2)
        if (IsOrdering(p[1]))
            m_keys.push_back({p[0], p[1]});
    return *this;
}

int CSortKeys::IndexOf(int column) const {
    for (int i = GetCount() - 1; i >= 0; --i)
        if (m_keys[static_cast<size_t>(i)].column == column)
            return i;
    return GetCount();
}

int CSortKeys::GetDirection(int column) const {
    int index = IndexOf(column);
    return index < GetCount() ? m_keys[static_cast<size_t>(index)].direction : SORT_NONE;
}

void CSortKeys::SetDirection(int column, int direction) {
    int index = IndexOf(column);
    if (index == GetCount()) {
        if (IsOrdering(direction))
            m_keys.push_back({column, direction});
    } else if (IsOrdering(direction)) {
        m_keys[static_cast<size_t>(index)].direction = direction;
    } else {
        m_keys.erase(m_keys.begin() + index);
    }
}

void CSortKeys::InsertKey(int column, int direction, int position) {
    std::erase_if(m_keys, [column](const SSortKey& key) { return key.column == column; });
    if (!IsOrdering(direction))
        return;
    if (position < 0 || position > GetCount())
        position = GetCount();
    m_keys.insert(m_keys.begin() + position, {column, direction});
}

} // namespace Tabra
