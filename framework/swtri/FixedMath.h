// 16.16 fixed-point helpers of the scan converters: ceilings, 2^48 reciprocals, slopes and the
// truncating products, all defined for every input (no signed overflow).
#pragma once

#include <cstdint>
#include <limits>

namespace Olvarn::FixedMath
{

// Smallest integer not below the 16.16 value p.
constexpr int32_t Ceil16(int64_t p)
{
    return static_cast<int32_t>((p + 0xFFFF) >> 16);
}

// 2^48 / d, truncated toward zero; d is a non-zero 16.16 distance.
constexpr int64_t Reciprocal(int64_t d)
{
    return (int64_t(1) << 48) / d;
}

// High 32 bits of q times a reciprocal, that is q / d in 16.16 rounded toward minus infinity. The product
// is formed in 128 bits: an edge or width of sub-pixel size would overflow 64, and the quotient is
// saturated rather than wrapped so that a huge slope stays huge with its sign.
inline int32_t HighProduct(int64_t q, int64_t reciprocal)
{
    __int128 p = static_cast<__int128>(q) * reciprocal;
    p >>= 32;
    if (p > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (p < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(p);
}

// Low 32 bits of (p times s) >> 16. Those are bits 16..47 of the product, which the wrapping unsigned
// product has exactly, so there is no need for a wider type.
constexpr int32_t MulShift16(int64_t p, int32_t s)
{
    uint64_t product = static_cast<uint64_t>(p) * static_cast<uint64_t>(static_cast<int64_t>(s));
    return static_cast<int32_t>(static_cast<uint32_t>(product >> 16));
}

// 32-bit stepping that wraps instead of overflowing.
constexpr int32_t WrapAdd(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

// a plus n steps of s, as n wrapping additions would give it.
constexpr int32_t WrapAddSteps(int32_t a, int32_t s, int32_t n)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(n) * static_cast<uint32_t>(s));
}

} // namespace Olvarn::FixedMath
