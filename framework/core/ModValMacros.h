// The live-constant macros. Include this only where numbers are tuned: the names are short on
// purpose (they are typed around numbers while tuning) and would clash with anything else so named.
#pragma once

#include "core/ModVal.h"

// One key per use, made on first pass and kept by the use's own static.
#define OLVARN_MODVAL_KEY()                                                                                            \
    ([]() -> ::Olvarn::ModValKey& {                                                                                    \
        static ::Olvarn::ModValKey modValKey{__FILE__, nullptr};                                                       \
        return modValKey;                                                                                              \
    }())

#define OLVARN_MODVAL(row, value) ::Olvarn::ModVal::Use(OLVARN_MODVAL_KEY(), __LINE__, row, value)

#define M(value) OLVARN_MODVAL(0, value)
#define M1(value) OLVARN_MODVAL(1, value)
#define M2(value) OLVARN_MODVAL(2, value)
#define M3(value) OLVARN_MODVAL(3, value)
#define M4(value) OLVARN_MODVAL(4, value)
#define M5(value) OLVARN_MODVAL(5, value)
#define M6(value) OLVARN_MODVAL(6, value)
#define M7(value) OLVARN_MODVAL(7, value)
#define M8(value) OLVARN_MODVAL(8, value)
#define M9(value) OLVARN_MODVAL(9, value)
