// Small pixel helpers shared by the software drawing files of MemoryImage (not part of the public API).
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

#include "core/Color.h"
#include "core/Rect.h"
#include "graphics/MemoryImage.h"

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

// Composes a source pixel over a destination pixel that keeps its own alpha, tinted by k unless
// white. Alpha-0 results leave the destination alone.
inline void ComposeOver(uint32_t p, uint32_t& d, bool white, const Channels& k)
{
    int a = white ? static_cast<int>(A(p)) : static_cast<int>(A(p)) * k.a / 255;
    if (a == 0)
        return;
    uint32_t q = d;
    int da = static_cast<int>(A(q));
    int outA = da + (255 - da) * a / 255;
    // Onto an opaque result the weight is a itself: no division for the common case.
    int w = outA == 255 ? a : a * 255 / outA, nw = 256 - w;
    uint32_t r, g, b;
    if (white) {
        r = (R(p) * w + R(q) * nw) >> 8;
        g = (G(p) * w + G(q) * nw) >> 8;
        b = ((B(p) * w) >> 8) + ((B(q) * nw) >> 8);
    } else {
        r = (R(p) * w * k.r + R(q) * nw * 256) >> 16;
        g = (G(p) * w * k.g + G(q) * nw * 256) >> 16;
        b = ((B(p) * w * k.b) >> 16) + ((B(q) * nw) >> 8);
    }
    d = Pack(outA, r, g, b);
}

// Adds a source pixel onto a destination pixel with saturation, as the fixed-position additive blit
// does: weighed by the pixel's alpha only when the source has partial alpha, tinted by the colour's
// channels times its alpha. The destination keeps its alpha.
struct AdditiveTint {
    AdditiveTint(const Color& color, bool hasAlpha, const unsigned char* sat)
        : white(IsWhite(color)), hasAlpha(hasAlpha), sat(sat)
    {
        Channels k(color);
        vr = k.r * k.a / 255;
        vg = k.g * k.a / 255;
        vb = k.b * k.a / 255;
    }

    void operator()(uint32_t p, uint32_t& d) const
    {
        uint32_t sa = A(p), q = d, ar, ag, ab;
        if (white && hasAlpha) {
            ar = R(p) * sa / 256, ag = G(p) * sa / 256, ab = B(p) * sa / 256;
        } else if (white) {
            ar = R(p), ag = G(p), ab = B(p);
        } else if (!hasAlpha) {
            ar = R(p) * vr / 256, ag = G(p) * vg / 256, ab = B(p) * vb / 256;
        } else {
            ar = R(p) * vr * sa / 65536, ag = G(p) * vg * sa / 65536, ab = B(p) * vb * sa / 65536;
        }
        d = (q & 0xFF000000u) | (uint32_t(sat[R(q) + ar]) << 16) | (uint32_t(sat[G(q) + ag]) << 8) | sat[B(q) + ab];
    }

    bool white, hasAlpha;
    const unsigned char* sat;
    uint32_t vr, vg, vb;
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
