#pragma once
// Counts every heap allocation of the program it is linked into (global operator new is
// replaced), so that a bench can say how many a record or a code costs.
#include <cstddef>

namespace bench_support {

// Allocations made by the process so far.
std::size_t allocationCount();

}  // namespace bench_support
