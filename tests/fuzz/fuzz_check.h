// FUZZ_CHECK(condition, what): a broken invariant stops the run with a message, so
// libFuzzer keeps the input and the replay test fails on it.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition, what)                                                              \
    do {                                                                                         \
        if (!(condition)) {                                                                      \
            std::fprintf(stderr, "%s:%d: invariant broken: %s (%s)\n", __FILE__, __LINE__, what, \
                         #condition);                                                            \
            std::abort();                                                                        \
        }                                                                                        \
    } while (false)
