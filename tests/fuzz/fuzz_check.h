// A check for fuzz targets: a broken promise prints what broke and aborts, which the fuzzer reports.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition, what)                                                          \
    do {                                                                                     \
        if (!(condition)) {                                                                  \
            std::fprintf(stderr, "%s:%d: broken: %s (%s)\n", __FILE__, __LINE__, #condition, \
                         what);                                                              \
            std::abort();                                                                    \
        }                                                                                    \
    } while (0)
