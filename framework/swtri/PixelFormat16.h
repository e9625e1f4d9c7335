// Pixel operations of the 16-bit destinations R5G6B5 and X1R5G5B5: truncating conversions and
// blends whose destination share is a five-bit factor, with no field carrying into the next.
#pragma once

#include <cstdint>

namespace Olvarn
{

// The two layouts differ only in the red and green positions and widths.
template <unsigned RedShift, uint32_t RedMask, unsigned GreenShift, uint32_t GreenMask> struct Format16 {
    using Pixel = uint16_t;
    static constexpr unsigned kPitchShift = 1;
    static constexpr uint32_t kRedBlueMask = RedMask | 0x1Fu;
    static constexpr bool kSixBitGreen = GreenMask == 0x07E0u;

    // Truncates a 0xAARRGGBB colour to the top bits of each channel; alpha and a spare bit become 0.
    static constexpr uint32_t FromArgb(uint32_t c)
    {
        return ((c >> RedShift) & RedMask) | ((c >> (GreenShift - 8)) & GreenMask) | ((c >> 3) & 0x1Fu);
    }

    // Destination fields scaled by share / 32.
    static constexpr uint32_t DestinationPart(uint32_t d, uint32_t share)
    {
        return ((((d & GreenMask) * share) >> 5) & GreenMask) | ((((d & kRedBlueMask) * share) >> 5) & kRedBlueMask);
    }

    static constexpr uint32_t SourcePart(uint32_t s, uint32_t w)
    {
        uint32_t rb = (((s & 0x00FF00FFu) * w) >> 8) & 0x00FF00FFu;
        uint32_t green = (((s & 0x0000FF00u) * w) >> GreenShift) & GreenMask;
        return ((rb >> RedShift) & RedMask) | green | ((rb >> 3) & 0x1Fu);
    }

    static void Store(Pixel* d, uint32_t c) { *d = static_cast<Pixel>(FromArgb(c)); }
    static void StoreFactored(Pixel* d, uint32_t s, uint32_t) { Store(d, s); }
    static void Blend(Pixel* d, uint32_t s, uint32_t w)
    {
        *d = static_cast<Pixel>(DestinationPart(*d, (255 - w) >> 3) + SourcePart(s, w));
    }
    static void BlendPremultiplied(Pixel* d, uint32_t s, uint32_t w)
    {
        *d = static_cast<Pixel>(DestinationPart(*d, (255 - w) >> 3) + FromArgb(s));
    }
};

using FormatR5G6B5 = Format16<8, 0xF800u, 13, 0x07E0u>;
using FormatX1R5G5B5 = Format16<9, 0x7C00u, 14, 0x03E0u>;

} // namespace Olvarn
