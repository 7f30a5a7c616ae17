#pragma once
// The fuzz targets' own assertion: on a broken rule, say which and abort, so libFuzzer
// keeps the input as a crash and the replayer fails.

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition, what)                                                     \
    do {                                                                                \
        if (!(condition)) {                                                             \
            std::fprintf(stderr, "%s:%d: broken rule: %s (%s)\n", __FILE__, __LINE__,   \
                         what, #condition);                                             \
            std::abort();                                                               \
        }                                                                               \
    } while (0)
