// What one covered pixel receives, by feature set: the source (texel, bilinear sample or vertex
// colour), its colour factors, its weight and the write rule. Features are template parameters, so
// a scan converter's inner loop holds no test of them.
#pragma once

#include <cstdint>

#include "swtri/FetchBilinearTexel.h"
#include "swtri/PixelFormat32.h"
#include "swtri/RasterTypes.h"

namespace Olvarn
{

// Which FixedVertex fields a feature set interpolates: u, v for textures, a, r, g, b for vertex colours.
template <unsigned Features> struct AttributeLayout {
    static constexpr bool kTextured = (Features & RasterFeature::Textured) != 0;
    static constexpr bool kVertexColor = (Features & RasterFeature::VertexColor) != 0;
    static constexpr int kU = 0;
    static constexpr int kV = 1;
    static constexpr int kColour = kTextured ? 2 : 0; // a, r, g, b follow in this order
    static constexpr int kCount = (kTextured ? 2 : 0) + (kVertexColor ? 4 : 0);

    static int32_t Get(const FixedVertex& vertex, int i)
    {
        constexpr int32_t FixedVertex::*kTexturedFields[] = {&FixedVertex::u, &FixedVertex::v, &FixedVertex::a,
                                                             &FixedVertex::r, &FixedVertex::g, &FixedVertex::b};
        constexpr int32_t FixedVertex::*kColourFields[] = {&FixedVertex::a, &FixedVertex::r, &FixedVertex::g,
                                                           &FixedVertex::b};
        return kTextured ? vertex.*kTexturedFields[i] : vertex.*kColourFields[i];
    }
};

// A 16.16 vertex channel that rounding took below 0 counts as 0, one past 255.99 as 255.99, so that its
// integer part is a byte.
constexpr uint32_t ClampVertexChannel(int32_t value)
{
    return value < 0 ? 0u : (value > 0xFFFFFF ? 0xFFFFFFu : static_cast<uint32_t>(value));
}

// Integer parts of the interpolated r, g, b packed as 0x00RRGGBB.
inline uint32_t PackVertexColour(const int32_t* argb)
{
    return ((ClampVertexChannel(argb[1]) >> 16) << 16) | ((ClampVertexChannel(argb[2]) >> 16) << 8) |
           (ClampVertexChannel(argb[3]) >> 16);
}

template <class Format, unsigned Features> struct PixelShader {
    using Layout = AttributeLayout<Features>;
    using Pixel = typename Format::Pixel;
    static constexpr bool kModulate = (Features & RasterFeature::Modulate) != 0;
    static constexpr bool kAlphaBlend = (Features & RasterFeature::AlphaBlend) != 0;
    static constexpr bool kBilinear = (Features & RasterFeature::Bilinear) != 0;
    // With vertex colours the colour record is applied to the vertices at set-up; without, per pixel.
    static constexpr bool kFactored = kModulate || Layout::kVertexColor;

    static void Shade(Pixel* d, const int32_t* at, const RasterTexture& texture, const RasterColor& colour)
    {
        if constexpr (Layout::kTextured)
            ShadeTexel(d, at, texture, colour);
        else
            ShadeVertexColour(d, at);
    }

private:
    // Store above 240.0, leave at or below the raw 16.16 value 8, blend with the integer part between.
    static void ShadeVertexColour(Pixel* d, const int32_t* argb)
    {
        uint32_t a = ClampVertexChannel(argb[0]);
        if (a > 0xF00000u)
            Format::Store(d, 0xFF000000u | PackVertexColour(argb));
        else if (a > 8)
            Format::Blend(d, PackVertexColour(argb), a >> 16);
    }

    static uint32_t Sample(const int32_t* at, const RasterTexture& texture)
    {
        if constexpr (kBilinear)
            return FetchBilinearTexel(texture.bits, texture.width, texture.texelCount, at[Layout::kU], at[Layout::kV]);
        else
            return FetchNearestTexel(texture, at[Layout::kU], at[Layout::kV]);
    }

    static void ShadeTexel(Pixel* d, const int32_t* at, const RasterTexture& texture, const RasterColor& colour)
    {
        uint32_t src = Sample(at, texture);
        uint32_t sourceAlpha = src >> 24;
        if constexpr (kAlphaBlend) {
            if (sourceAlpha <= 8)
                return;
        }
        if constexpr (kFactored)
            ShadeFactored(d, src, sourceAlpha, Factor(at, colour));
        else
            ShadeUnfactored(d, src, sourceAlpha);
    }

    static void ShadeUnfactored(Pixel* d, uint32_t src, uint32_t sourceAlpha)
    {
        if constexpr (!kAlphaBlend) {
            Format::Store(d, src);
        } else if (sourceAlpha >= 240) {
            Format::Store(d, src);
        } else if constexpr (kBilinear) {
            Format::BlendPremultiplied(d, src, sourceAlpha);
        } else {
            Format::Blend(d, src, sourceAlpha);
        }
    }

    static void ShadeFactored(Pixel* d, uint32_t src, uint32_t sourceAlpha, const RasterColor& k)
    {
        uint32_t w = (k.a * (kAlphaBlend ? sourceAlpha : 255)) >> 8;
        uint32_t s = ModulateChannels(src, k.r, k.g, k.b);
        if (w >= 240) {
            Format::StoreFactored(d, s, w);
        } else if constexpr (kBilinear) {
            // The sample is weighted by its texel alphas only; a colour alpha below 255 has to fade it
            // too, or a channel sum passes 255 and carries into its neighbour.
            if (k.a < 255)
                s = ScaleChannels(s, k.a);
            Format::BlendPremultiplied(d, s, w);
        } else {
            Format::Blend(d, s, w);
        }
    }

    // The colour a texel is multiplied by: the colour record, or the vertex colour's integer parts.
    static RasterColor Factor(const int32_t* at, const RasterColor& colour)
    {
        if constexpr (Layout::kVertexColor) {
            const int32_t* argb = at + Layout::kColour;
            return RasterColor{ClampVertexChannel(argb[0]) >> 16, ClampVertexChannel(argb[1]) >> 16,
                               ClampVertexChannel(argb[2]) >> 16, ClampVertexChannel(argb[3]) >> 16};
        } else {
            return colour;
        }
    }
};

} // namespace Olvarn
