// The test program's own operator new, so that a test can make large
// allocations fail as they do in a 32-bit process short of address space.
// Kept in a file of its own so that no test code inlines it.
#include <atomic>
#include <cstdlib>
#include <new>

std::atomic<size_t> failAllocationsFrom{0};

void* operator new(size_t size) {
    const size_t limit = failAllocationsFrom.load(std::memory_order_relaxed);
    if (limit != 0 && size >= limit) throw std::bad_alloc();
    if (void* p = std::malloc(size != 0 ? size : 1)) return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
