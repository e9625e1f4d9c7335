// Texel reads of the textured scan converters: the nearest texel and the bilinear fetch, whose
// result carries its colour premultiplied by its own alpha.
#pragma once

#include <cstdint>

#include "swtri/RasterTypes.h"

namespace Olvarn
{

// Texel index width * (v >> 16) + (u >> 16) in unsigned 32-bit arithmetic: a u past the row's end reads
// on into the next row, a negative u or v gives a huge index and reads transparent black.
inline uint32_t FetchNearestTexel(const RasterTexture& texture, int32_t u, int32_t v)
{
    uint32_t index = texture.width * (static_cast<uint32_t>(v) >> 16) + (static_cast<uint32_t>(u) >> 16);
    return index < texture.texelCount ? texture.bits[index] : 0;
}

inline uint32_t ReadTexelOrZero(const uint32_t* bits, uint32_t texelCount, uint32_t index)
{
    return index < texelCount ? bits[index] : 0;
}

// Bilinear sample at the 16.16 position (u, v) between the four nearest texel centres.
inline uint32_t FetchBilinearTexel(const uint32_t* bits, uint32_t width, uint32_t texelCount, int32_t u, int32_t v)
{
    // Texel centres lie at half-texel positions; a plain floor keeps the left and top border on the
    // first column and row instead of reaching back into the previous row.
    uint32_t us = static_cast<uint32_t>(u) - 0x8000u;
    uint32_t vs = static_cast<uint32_t>(v) - 0x8000u;
    uint32_t floorU = us & 0xFFFF0000u;
    uint32_t floorV = vs & 0xFFFF0000u;
    // Odd fractions 1..0xFFFF keep every weight product within 32 bits.
    uint32_t fu = ((us - floorU) & 0xFFFEu) + 1;
    uint32_t fv = ((vs - floorV) & 0xFFFEu) + 1;

    uint32_t i = static_cast<uint32_t>(static_cast<int32_t>(floorV) >> 16) * width +
                 static_cast<uint32_t>(static_cast<int32_t>(floorU) >> 16);
    uint32_t t00 = ReadTexelOrZero(bits, texelCount, i);
    uint32_t t10 = ReadTexelOrZero(bits, texelCount, i + 1);
    uint32_t t01 = ReadTexelOrZero(bits, texelCount, i + width);
    uint32_t t11 = ReadTexelOrZero(bits, texelCount, i + width + 1);

    uint32_t w00 = ((0x10000u - fu) * (0x10000u - fv)) >> 16;
    uint32_t w10 = (fu * (0x10000u - fv)) >> 16;
    uint32_t w01 = ((0x10000u - fu) * fv) >> 16;
    uint32_t w11 = (fu * fv) >> 16;

    uint32_t a00 = (w00 * (t00 >> 24)) >> 16;
    uint32_t a10 = (w10 * (t10 >> 24)) >> 16;
    uint32_t a01 = (w01 * (t01 >> 24)) >> 16;
    uint32_t a11 = (w11 * (t11 >> 24)) >> 16;

    uint32_t red =
        ((t00 & 0xFF0000u) * a00 + (t10 & 0xFF0000u) * a10 + (t01 & 0xFF0000u) * a01 + (t11 & 0xFF0000u) * a11) &
        0xFF000000u;
    uint32_t green =
        ((t00 & 0xFF00u) * a00 + (t10 & 0xFF00u) * a10 + (t01 & 0xFF00u) * a01 + (t11 & 0xFF00u) * a11) & 0xFF0000u;
    uint32_t blue = ((t00 & 0xFFu) * a00 + (t10 & 0xFFu) * a10 + (t01 & 0xFFu) * a01 + (t11 & 0xFFu) * a11) & 0xFF00u;
    uint32_t alpha = a00 + a10 + a01 + a11;
    return (alpha << 24) | ((red | green | blue) >> 8);
}

} // namespace Olvarn
