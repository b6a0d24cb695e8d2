#pragma once
// A fuzz target's own checks: a broken promise stops the run like a sanitizer finding does.

#include <cstdio>
#include <cstdlib>

#define QVX_FUZZ_CHECK(condition)                                                         \
    do {                                                                                  \
        if (!(condition)) {                                                               \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                 \
        }                                                                                 \
    } while (0)
