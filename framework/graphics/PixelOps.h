// Small pixel helpers shared by the software drawing files of MemoryImage (not part of the public API).
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

#include "graphics/Color.h"
#include "graphics/MemoryImage.h"
#include "graphics/Rect.h"

namespace Olvarn
{
namespace pixel
{

constexpr uint32_t A(uint32_t p)
{
    return p >> 24;
}
constexpr uint32_t R(uint32_t p)
{
    return (p >> 16) & 0xFF;
}
constexpr uint32_t G(uint32_t p)
{
    return (p >> 8) & 0xFF;
}
constexpr uint32_t B(uint32_t p)
{
    return p & 0xFF;
}
constexpr uint32_t Pack(uint32_t a, uint32_t r, uint32_t g, uint32_t b)
{
    return (a << 24) | (r << 16) | (g << 8) | b;
}

inline bool IsWhite(const Color& c)
{
    return c == Color::White;
}

// The channels of a colour as the drawing formulas use them: the low byte of each, as in its packed form.
struct Channels {
    explicit Channels(const Color& c)
        : r(c.GetRed() & 0xFF), g(c.GetGreen() & 0xFF), b(c.GetBlue() & 0xFF), a(c.GetAlpha() & 0xFF)
    {
    }
    int r, g, b, a;
};

// Source pixels read straight from the pixel array.
struct DirectPixels {
    const uint32_t* bits;
    uint32_t operator[](int i) const { return bits[i]; }
    void CopyRun(uint32_t* dest, int index, int count) const
    {
        const uint32_t* src = bits + index;
        if (count >= 64) {
            std::memcpy(dest, src, count * 4u);
            return;
        }
        // Short runs are most of a small sprite's: fixed-size moves avoid a call or a string move per run.
        for (; count >= 4; count -= 4, src += 4, dest += 4)
            std::memcpy(dest, src, 16);
        for (int i = 0; i < count; ++i)
            dest[i] = src[i];
    }
};

// Source pixels of a palette image.
struct PalettePixels {
    const uint32_t* palette;
    const unsigned char* indices;
    uint32_t operator[](int i) const { return palette[indices[i]]; }
    void CopyRun(uint32_t* dest, int index, int count) const
    {
        for (int i = 0; i < count; ++i)
            dest[i] = palette[indices[index + i]];
    }
};

// Calls f with the reader that fits the source's form.
template <typename F> void WithSourcePixels(MemoryImage* src, F&& f)
{
    if (src->mColorIndices && src->mPalette)
        f(PalettePixels{src->mPalette.get(), src->mColorIndices.get()});
    else
        f(DirectPixels{src->GetBits()});
}

// A float that can be turned into an int without overflow or NaN.
inline bool Representable(double v, double limit = 16777216.0)
{
    return std::isfinite(v) && std::fabs(v) <= limit;
}

} // namespace pixel
} // namespace Olvarn
