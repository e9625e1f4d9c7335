// Divisions and remainders by values that data files may leave at 0 or below, and the check that
// rejects such values at load with the file and row.
#pragma once

#include <string>

#include "data/CDataError.h"

namespace tilvan
{

// a mod b, or 0 when b is not positive (a remainder by nothing has no value to give).
inline int SafeMod(int a, int b)
{
    return b > 0 ? a % b : 0;
}

// a / b, or the fallback when b is 0.
inline float SafeDiv(float a, float b, float fallback = 0.0f)
{
    return b != 0.0f ? a / b : fallback;
}

// A value from lo to hi inclusive from one draw; lo when the range is empty or reversed.
inline int DrawBetween(int draw, int lo, int hi)
{
    return hi >= lo ? lo + SafeMod(draw, hi - lo + 1) : lo;
}

// Throws a CDataError naming the file and row when the value is not above the bound.
inline void RequireAbove(int value, int bound, const std::string& file, const std::string& element, int row,
                         const std::string& field)
{
    if (value <= bound)
        throw CDataError(file, element, row, field, "must be above " + std::to_string(bound));
}

} // namespace tilvan
