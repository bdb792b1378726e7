// Cell factories (a column's cell type) and the cell comparer.
#pragma once

#include "table/model/CellData.h"

#include <new>
#include <type_traits>

namespace Tabra {

// Cells are placed back to back inside a row, so each cell type must keep that alignment.
constexpr size_t kCellAlign = alignof(void*);

class CCellFactory {
public:
    virtual ~CCellFactory() = default;
    // Bytes one cell takes inside a row.
    virtual int CellSize() const = 0;
    virtual CCellData* Prototype() = 0;
    // A new factory of the same type with a default prototype, owned by the caller.
    virtual CCellFactory* Clone() const = 0;
    // Copy-constructs `source`, a cell of this factory's type, into the raw storage at `place`.
    virtual CCellData* CopyConstruct(void* place, const CCellData* source) const = 0;
};

template <class T> class CFAny : public CCellFactory {
    static_assert(std::is_base_of_v<CCellData, T>);
    static_assert(alignof(T) <= kCellAlign && sizeof(T) % kCellAlign == 0);

public:
    int CellSize() const override { return static_cast<int>(sizeof(T)); }
    CCellData* Prototype() override { return &m_prototype; }
    CCellFactory* Clone() const override { return new CFAny<T>; }
    CCellData* CopyConstruct(void* place, const CCellData* source) const override {
        return new (place) T(static_cast<const T&>(*source));
    }

private:
    T m_prototype;
};

// Three-way comparison of two cells of one column by their own IsLess.
class CCellCompare {
public:
    virtual ~CCellCompare() = default;
    virtual int Compare(const CCellData* a, const CCellData* b) const {
        if (a->IsLess(b))
            return -1;
        return b->IsLess(a) ? 1 : 0;
    }
    virtual CCellCompare* Clone() const { return new CCellCompare; }
};

} // namespace Tabra
