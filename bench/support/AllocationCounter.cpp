#include "bench/support/AllocationCounter.h"

#include <atomic>
#include <cstdlib>
#include <new>

// In a translation unit of their own: inlined beside the callers, the pairs of malloc and
// free look mismatched to the compiler's new/delete checks.
namespace {
std::atomic<std::size_t> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace bench_support {

std::size_t allocationCount() { return allocations.load(std::memory_order_relaxed); }

}  // namespace bench_support
