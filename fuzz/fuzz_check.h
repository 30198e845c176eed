#pragma once

#include <cstdio>
#include <cstdlib>

namespace quanvik::fuzz {

// Aborts so that libFuzzer records the input as a finding and keeps it.
inline void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

} // namespace quanvik::fuzz
