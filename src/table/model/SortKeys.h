// The sort key list: (column, direction) pairs, the first the primary key.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <vector>

namespace Tabra {

enum SortDirection { SORT_ASCENDING = 0, SORT_DESCENDING = 1, SORT_NONE = 2 };

struct SSortKey {
    int column;
    int direction; // SORT_ASCENDING or SORT_DESCENDING

    bool operator==(const SSortKey&) const = default;
};

class CSortKeys {
public:
    CSortKeys() = default;
    // Pairs of column and direction, ended by a negative column or the end of the list; pairs whose
    // direction is not ascending or descending are skipped: {4, 0, -1} is column 4 ascending.
    CSortKeys(std::initializer_list<int> pairs) { *this = pairs; }
    CSortKeys& operator=(std::initializer_list<int> pairs);

    int GetCount() const { return static_cast<int>(m_keys.size()); }
    bool IsEmpty() const { return m_keys.empty(); }
    const SSortKey& operator[](int index) const { return m_keys[static_cast<std::size_t>(index)]; }
    auto begin() const { return m_keys.begin(); }
    auto end() const { return m_keys.end(); }

    // Position of the column's pair searched from the end, or GetCount() when absent.
    int IndexOf(int column) const;
    // The column's direction, or SORT_NONE when it has no pair.
    int GetDirection(int column) const;
    // A present column keeps its place with the new direction (SORT_NONE removes it); an absent one is
    // appended as the last key.
    void SetDirection(int column, int direction);
    // Removes every pair of the column, then inserts it at `position` (negative or past the end: at the
    // end), unless direction is SORT_NONE.
    void InsertKey(int column, int direction, int position);

    bool operator==(const CSortKeys&) const = default;

private:
    std::vector<SSortKey> m_keys;
};

} // namespace Tabra
