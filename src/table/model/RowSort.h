// Ordering of rows by a sort key list, and the quicksort the table sorts its row pointers with.
#pragma once

#include "table/model/TableInterface.h"

#include <utility>
#include <vector>

namespace Tabra {

// "Row a goes before row b": the first key whose comparer tells the two cells apart decides.
class CRowOrder {
public:
    CRowOrder(const CTableInterface& table, const CSortKeys& keys) {
        for (const SSortKey& key : keys)
            m_keys.push_back({table.GetColData(key.column)->offset, table.GetCompare(key.column),
                              key.direction == SORT_DESCENDING});
    }

    bool operator()(const CRow* a, const CRow* b) const {
        for (const SKey& key : m_keys) {
            int c = key.compare->Compare(CRow::CellAt(a, key.offset), CRow::CellAt(b, key.offset));
            if (c != 0)
                return key.descending ? c > 0 : c < 0;
        }
        return false;
    }

private:
    struct SKey {
        int32_t offset;
        const CCellCompare* compare;
        bool descending;
    };
    std::vector<SKey> m_keys;
};

// Ranges of this many elements or fewer are finished by insertion sort.
constexpr ptrdiff_t kInsertionSortLimit = 16;

template <class T, class Less> void InsertionSort(T* first, T* last, const Less& less) {
    for (T* i = first + 1; i < last; ++i) {
        T value = std::move(*i);
        T* j = i;
        for (; j > first && less(value, *(j - 1)); --j)
            *j = std::move(*(j - 1));
        *j = std::move(value);
    }
}

// Puts the median of the first, middle and last element in the middle, the smallest first and the
// largest last, so that both partition scans stop inside the range.
template <class T, class Less> void MedianOfThree(T& a, T& b, T& c, const Less& less) {
    if (less(b, a))
        std::swap(a, b);
    if (less(c, b)) {
        std::swap(b, c);
        if (less(b, a))
            std::swap(a, b);
    }
}

// Quicksort with a median-of-three pivot; not stable. Recurses into the smaller part only, so the
// stack depth stays logarithmic.
template <class T, class Less> void QuickSort(T* first, T* last, const Less& less) {
    while (last - first > kInsertionSortLimit) {
        T* middle = first + (last - first) / 2;
        MedianOfThree(*first, *middle, *(last - 1), less);
        T pivot = *middle;
        T* i = first;
        T* j = last - 1;
        for (;;) {
            do
                ++i;
            while (less(*i, pivot));
            do
                --j;
            while (less(pivot, *j));
            if (i >= j)
                break;
            std::swap(*i, *j);
        }
        if (i - first < last - i) {
            QuickSort(first, i, less);
            first = i;
        } else {
            QuickSort(i, last, less);
            last = i;
        }
    }
    if (last - first > 1)
        InsertionSort(first, last, less);
}

} // namespace Tabra
