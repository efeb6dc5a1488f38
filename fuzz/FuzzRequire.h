#pragma once
// The invariant check of the fuzz targets: one that fails names itself on the error output and
// aborts, so that the fuzzer records the input.
#include <cstdio>
#include <cstdlib>

#define require(condition)                                                           \
    do {                                                                             \
        if (!(condition)) {                                                          \
            std::fprintf(stderr, "violated at line %d: %s\n", __LINE__, #condition); \
            std::abort();                                                            \
        }                                                                            \
    } while (false)
