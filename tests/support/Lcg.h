// A small, seeded random generator for kernel tests: the same seed gives the same rows on every
// machine and library, so a failing case can be run again.
#pragma once

#include <cstdint>

namespace testsupport
{

struct Lcg {
    uint32_t state;
    uint32_t Next()
    {
        state = state * 1664525u + 1013904223u;
        return state ^ (state >> 15);
    }
    uint32_t Below(uint32_t n) { return Next() % n; }
    float Between(float lo, float hi) { return lo + (hi - lo) * float(Next() % 100000) / 100000.0f; }
};

} // namespace testsupport
