// Pixel operations of the 32-bit destinations: X8R8G8B8 (top byte not read) and A8R8G8B8 (the top
// byte is the destination's alpha, composed with a division by the resulting alpha).
#pragma once

#include <cstdint>

namespace Olvarn
{

// Red and blue in one product, green in another; each channel becomes (channel * factor) >> 8.
constexpr uint32_t ScaleChannels(uint32_t x, uint32_t factor)
{
    return ((((x & 0xFF00FFu) * factor) & 0xFF00FF00u) | (((x & 0xFF00u) * factor) & 0xFF0000u)) >> 8;
}

// Each colour channel of x times the matching factor, >> 8; the top byte of the result is 0.
constexpr uint32_t ModulateChannels(uint32_t x, uint32_t kr, uint32_t kg, uint32_t kb)
{
    return ((((x & 0xFF0000u) * kr) & 0xFF000000u) | (((x & 0xFF00u) * kg) & 0xFF0000u) |
            (((x & 0xFFu) * kb) & 0xFF00u)) >>
           8;
}

struct FormatX8R8G8B8 {
    using Pixel = uint32_t;
    static constexpr unsigned kPitchShift = 2;

    static void Store(Pixel* d, uint32_t c) { *d = c; }
    // A modulated colour carries no alpha: its top byte stays 0.
    static void StoreFactored(Pixel* d, uint32_t s, uint32_t) { *d = s; }
    // Both terms round down, so a blended channel never exceeds 254.
    static void Blend(Pixel* d, uint32_t s, uint32_t w)
    {
        *d = 0xFF000000u | (ScaleChannels(*d, 255 - w) + ScaleChannels(s, w));
    }
    // s already carries its weight.
    static void BlendPremultiplied(Pixel* d, uint32_t s, uint32_t w)
    {
        *d = 0xFF000000u | (ScaleChannels(*d, 255 - w) + (s & 0xFFFFFFu));
    }
};

struct FormatA8R8G8B8 {
    using Pixel = uint32_t;
    static constexpr unsigned kPitchShift = 2;

    // Resulting alpha of weight w over destination alpha ad, 0..256; 0 only when both are 0.
    static constexpr uint32_t OverAlpha(uint32_t ad, uint32_t w) { return 256 - (((256 - ad) * (256 - w)) >> 8); }

    // Composes a source term per channel (already scaled by << 8) over the destination.
    template <bool Premultiplied> static void Over(Pixel* d, uint32_t s, uint32_t w)
    {
        uint32_t dst = *d;
        uint32_t ad = dst >> 24;
        uint32_t aOut = OverAlpha(ad, w);
        // A weightless source over a transparent pixel leaves nothing to divide by: the pixel stays.
        if (aOut == 0)
            return;
        uint32_t result = (aOut - 1) << 24;
        for (unsigned shift = 0; shift <= 16; shift += 8) {
            uint32_t dc = (dst >> shift) & 0xFF;
            uint32_t sc = (s >> shift) & 0xFF;
            uint32_t sourceTerm = Premultiplied ? sc << 8 : ((sc * w) >> 8) << 8;
            uint32_t q = (((dc * ad) >> 8) * (256 - w) + sourceTerm) / aOut;
            result |= (q > 255 ? 255 : q) << shift;
        }
        *d = result;
    }

    static void Store(Pixel* d, uint32_t c) { *d = c; }
    // A modulated colour has no alpha of its own; it gets the alpha that composing it would give.
    static void StoreFactored(Pixel* d, uint32_t s, uint32_t w)
    {
        *d = ((OverAlpha(*d >> 24, w) - 1) << 24) | (s & 0xFFFFFFu);
    }
    static void Blend(Pixel* d, uint32_t s, uint32_t w) { Over<false>(d, s, w); }
    static void BlendPremultiplied(Pixel* d, uint32_t s, uint32_t w) { Over<true>(d, s, w); }
};

} // namespace Olvarn
