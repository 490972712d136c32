#pragma once
// A broken invariant in a harness: say which and abort, so that libFuzzer keeps the
// input that broke it as a crash.
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition, what)                                                                          \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "%s:%d: invariant broken: %s (%s)\n", __FILE__, __LINE__, what,             \
                         #condition);                                                                        \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (false)
