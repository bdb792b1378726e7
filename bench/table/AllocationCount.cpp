// Replaces the global operator new and delete to count allocations. A translation unit of its own, so
// that the compiler never sees these inlined into their callers.
#include "AllocationCount.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long long> g_allocations{0};
}

long long AllocationCount() {
    return g_allocations;
}

void* operator new(std::size_t size) {
    ++g_allocations;
    if (void* p = std::malloc(size != 0 ? size : 1))
        return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept {
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
