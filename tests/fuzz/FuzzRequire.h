#pragma once

#include <cstdio>
#include <cstdlib>

// A property every caller relies on. A broken one aborts, so libFuzzer keeps the input
// as a crash and the log names the condition.
#define FUZZ_REQUIRE(condition)                                                                   \
    do {                                                                                          \
        if (!(condition)) {                                                                       \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                         \
        }                                                                                         \
    } while (false)
