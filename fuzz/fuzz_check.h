#pragma once

#include <cstdio>
#include <cstdlib>

// A fuzzer's property check. A failure aborts, which libFuzzer reports as a crash (saving the input) and the
// corpus replay reports as a failed test.
#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (false)
