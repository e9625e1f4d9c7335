// Per-pixel results of every destination format: stores, modulation, thresholds, blends and
// their rounding, checked on one covered pixel with uniform attributes.
#include <gtest/gtest.h>

#include <cstdio>

#include "RasterTestSupport.h"
#include "swtri/PixelFormat16.h"
#include "swtri/PixelFormat32.h"

using namespace Olvarn;
using namespace swtritest;

namespace
{

constexpr unsigned T = RasterFeature::Textured;
constexpr unsigned AB = RasterFeature::AlphaBlend;
constexpr unsigned VC = RasterFeature::VertexColor;
constexpr unsigned M = RasterFeature::Modulate;
constexpr unsigned BI = RasterFeature::Bilinear;

constexpr int32_t kTexelCentre = 0x18000; // the middle of texel (1, 1) of a 4 x 4 texture

struct PixelCase {
    const char* name;
    uint32_t format;
    unsigned features;
    uint32_t dest;
    uint32_t source; // the uniform texel, or for vertex colours the 16.16 alpha with white r, g, b
    RasterColor colour;
    uint32_t expected;
};

// Uniform texels, or a uniform vertex colour, over one pixel.
uint32_t ShadeOnePixel(const PixelCase& c)
{
    TestTexture texture(4, 4, c.source);
    FixedVertex v[3] = {Vertex(0, 0), Vertex(1, 0), Vertex(0, 1)};
    for (FixedVertex& vertex : v) {
        vertex = WithUV(vertex, kTexelCentre, kTexelCentre);
        if (c.features & VC)
            vertex = WithColour(vertex, static_cast<int32_t>(c.source), 255 * kOne, 255 * kOne, 255 * kOne);
    }
    if (c.format == RasterFormat::R5G6B5 || c.format == RasterFormat::X1R5G5B5) {
        Target16 target(1, 1, static_cast<uint16_t>(c.dest));
        Draw(c.format, c.features, target, v[0], v[1], v[2], &texture.mRaster, c.colour);
        EXPECT_TRUE(target.GuardIntact());
        return target.At(0, 0);
    }
    Target32 target(1, 1, c.dest);
    Draw(c.format, c.features, target, v[0], v[1], v[2], &texture.mRaster, c.colour);
    EXPECT_TRUE(target.GuardIntact());
    return target.At(0, 0);
}

void RunCases(const std::vector<PixelCase>& cases)
{
    for (const PixelCase& c : cases) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%08X", ShadeOnePixel(c));
        char want[16];
        std::snprintf(want, sizeof want, "0x%08X", c.expected);
        EXPECT_STREQ(hex, want) << c.name;
    }
}

constexpr RasterColor kWhite{255, 255, 255, 255};
constexpr RasterColor Alpha(uint32_t a)
{
    return RasterColor{a, 255, 255, 255};
}

} // namespace

TEST(PixelOperations, X8R8G8B8)
{
    const uint32_t F = RasterFormat::X8R8G8B8;
    RunCases({
        {"plain store keeps the texel's alpha byte", F, T, 0xFF000000, 0x12345678, kWhite, 0x12345678},
        {"alpha 8 leaves", F, T | AB, 0x00000000, 0x08FFFFFF, kWhite, 0x00000000},
        {"alpha 9 blends with weight 9", F, T | AB, 0x00000000, 0x09FFFFFF, kWhite, 0xFF080808},
        {"alpha 239 blends", F, T | AB, 0x00000000, 0xEFFFFFFF, kWhite, 0xFFEEEEEE},
        {"alpha 240 stores the texel whole", F, T | AB, 0x00000000, 0xF0FFFFFF, kWhite, 0xF0FFFFFF},
        {"white over white at 100 rounds both terms down", F, T | AB, 0xFFFFFFFF, 0x64FFFFFF, kWhite, 0xFFFDFDFD},
        {"colour alpha 240 blends with weight 239", F, T | M, 0x00000000, 0xFFFFFFFF, Alpha(240), 0xFFEDEDED},
        {"colour alpha 241 stores the modulated texel", F, T | M, 0x00000000, 0xFFFFFFFF, Alpha(241), 0x00FEFEFE},
        {"texel alpha unused without blending", F, T | M, 0x00000000, 0x00FFFFFF, Alpha(241), 0x00FEFEFE},
        {"modulated threshold blend uses ca * ta", F, T | AB | M, 0x00000000, 0xFFFFFFFF, Alpha(128), 0xFF7E7E7E},
        {"modulated threshold leaves at texel alpha 8", F, T | AB | M, 0x00000000, 0x08FFFFFF, kWhite, 0x00000000},
        {"bilinear opaque white stores the fetched value", F, T | BI | AB, 0x00000000, 0xFFFFFFFF, kWhite, 0xFEFDFDFD},
        {"bilinear store of member 24", F, T | BI, 0x00000000, 0xFFFFFFFF, kWhite, 0xFEFDFDFD},
        {"bilinear blend adds the premultiplied sample", F, T | BI | AB, 0xFFFFFFFF, 0x80000000, kWhite, 0xFF7F7F7F},
        // The sample is faded by the colour alpha too, so the channel stays in range.
        {"bilinear modulated with colour alpha 128", F, T | BI | AB | M, 0xFFFFFFFF, 0xFFFFFFFF, Alpha(128),
         0xFFFDFDFD},
        {"vertex alpha 240.0 blends with weight 240", F, VC, 0x00000000, 0xF00000, kWhite, 0xFFEFEFEF},
        {"vertex alpha above 240.0 stores opaque", F, VC, 0x00000000, 0xF00001, kWhite, 0xFFFFFFFF},
        {"vertex alpha of raw 8 leaves", F, VC, 0x00000000, 8, kWhite, 0x00000000},
        {"vertex alpha of raw 9 blends with weight 0", F, VC, 0xFFFFFFFF, 9, kWhite, 0xFFFEFEFE},
        {"vertex alpha rounded below 0 leaves", F, VC, 0x00123456, 0xFFFFFFFF, kWhite, 0x00123456},
        {"vertex colour modulated at set-up", F, VC | M, 0x00000000, 255 * kOne, RasterColor{255, 128, 255, 0},
         0xFF7FFE00},
        // The uniform source doubles as texel 0x00FF0000 and as vertex alpha 255.0.
        {"texture times the vertex colour", F, T | VC, 0x00000000, 255 * kOne, kWhite, 0x00FE0000},
        // The colour scales the vertex colours at set-up and is not applied again per pixel.
        {"texture, vertex colour and colour: the colour acts once", F, T | VC | M, 0x00000000, 255 * kOne,
         RasterColor{128, 255, 128, 255}, 0xFF7C0000},
        {"bilinear modulated without blending has no alpha threshold", F, T | BI | M, 0xFFFFFFFF, 0x00FFFFFF,
         Alpha(128), 0xFF7F7F7F},
        {"bilinear modulated without blending, faded colour", F, T | BI | M, 0xFF000000, 0xFFFFFFFF, Alpha(128),
         0xFF7E7E7E},
    });
}

TEST(PixelOperations, R5G6B5)
{
    const uint32_t F = RasterFormat::R5G6B5;
    RunCases({
        {"opaque white stores 0xFFFF", F, T, 0x0000, 0xFFFFFFFF, kWhite, 0xFFFF},
        {"store truncates each channel", F, T, 0x0000, 0xFF123456, kWhite, 0x11AA},
        {"store ignores the texel alpha", F, T, 0x0000, 0x00123456, kWhite, 0x11AA},
        {"alpha 8 leaves", F, T | AB, 0x0000, 0x08FFFFFF, kWhite, 0x0000},
        {"alpha 9", F, T | AB, 0x0000, 0x09FFFFFF, kWhite, 0x0841},
        {"alpha 128", F, T | AB, 0x0000, 0x80FFFFFF, kWhite, 0x7BEF},
        {"alpha 239", F, T | AB, 0x0000, 0xEFFFFFFF, kWhite, 0xEF7D},
        {"alpha 240 stores", F, T | AB, 0x0000, 0xF0FFFFFF, kWhite, 0xFFFF},
        {"black at 128 over white", F, T | AB, 0xFFFF, 0x80000000, kWhite, 0x73AE},
        {"white at 128 over white", F, T | AB, 0xFFFF, 0x80FFFFFF, kWhite, 0xEF9D},
        {"red at 128 over blue", F, T | AB, 0x001F, 0x80FF0000, kWhite, 0x780E},
        {"white colour stores", F, T | M, 0x0000, 0xFFFFFFFF, kWhite, 0xFFFF},
        {"colour alpha 241 stores", F, T | M, 0x0000, 0xFFFFFFFF, Alpha(241), 0xFFFF},
        {"colour alpha 240 blends", F, T | M, 0x0000, 0xFFFFFFFF, Alpha(240), 0xEF7D},
        {"half-transparent red colour", F, T | M, 0x0000, 0xFFFFFFFF, RasterColor{128, 255, 0, 0}, 0x7800},
        {"colour alpha 0 still scales the destination", F, T | M, 0xFFFF, 0xFFFFFFFF, Alpha(0), 0xF7BE},
        {"texel alpha 8 leaves whatever the colour", F, T | AB | M, 0x1234, 0x08FFFFFF, kWhite, 0x1234},
        {"vertex alpha raw 8 leaves", F, VC, 0xFFFF, 8, kWhite, 0xFFFF},
        {"vertex alpha 0.5 blends with weight 0", F, VC, 0xFFFF, 0x8000, kWhite, 0xF7BE},
        {"vertex alpha 240.0 blends", F, VC, 0x0000, 0xF00000, kWhite, 0xEF7D},
        {"vertex alpha above 240.0 stores", F, VC, 0x0000, 0xF00001, kWhite, 0xFFFF},
        {"bilinear half-white over white", F, T | BI | AB, 0xFFFF, 0x80FFFFFF, kWhite, 0xF7DE},
        {"bilinear half-black over white", F, T | BI | AB, 0xFFFF, 0x80000000, kWhite, 0x7BEF},
        {"bilinear opaque white stores", F, T | BI | AB, 0x0000, 0xFFFFFFFF, kWhite, 0xFFFF},
        {"bilinear modulated by white", F, T | BI | AB | M, 0xFFFF, 0x80FFFFFF, kWhite, 0xF7DE},
        // Without fading the sample by the colour alpha, red and blue would pass 31 and carry.
        {"bilinear modulated by a faded colour stays in its fields", F, T | BI | AB | M, 0xFFFF, 0xFFFFFFFF, Alpha(128),
         0xF7DE},
    });
}

TEST(PixelOperations, X1R5G5B5)
{
    const uint32_t F = RasterFormat::X1R5G5B5;
    RunCases({
        {"opaque white stores 0x7FFF", F, T, 0x0000, 0xFFFFFFFF, kWhite, 0x7FFF},
        {"store truncates each channel", F, T, 0x0000, 0xFF123456, kWhite, 0x08CA},
        {"alpha 8 leaves", F, T | AB, 0x0000, 0x08FFFFFF, kWhite, 0x0000},
        {"alpha 9", F, T | AB, 0x0000, 0x09FFFFFF, kWhite, 0x0421},
        {"alpha 239", F, T | AB, 0x0000, 0xEFFFFFFF, kWhite, 0x77BD},
        {"alpha 240 stores", F, T | AB, 0x0000, 0xF0FFFFFF, kWhite, 0x7FFF},
        {"black at 128 over white", F, T | AB, 0x7FFF, 0x80000000, kWhite, 0x39CE},
        {"white at 128 over black", F, T | AB, 0x0000, 0x80FFFFFF, kWhite, 0x3DEF},
        {"the spare bit comes back 0", F, T | AB, 0xFFFF, 0x80FFFFFF, kWhite, 0x77BD},
        {"white colour stores", F, T | M, 0x0000, 0xFFFFFFFF, kWhite, 0x7FFF},
        {"colour alpha 241 stores", F, T | M, 0x0000, 0xFFFFFFFF, Alpha(241), 0x7FFF},
        {"colour alpha 240 blends", F, T | M, 0x0000, 0xFFFFFFFF, Alpha(240), 0x77BD},
        {"half-transparent red colour", F, T | M, 0x0000, 0xFFFFFFFF, RasterColor{128, 255, 0, 0}, 0x3C00},
        {"colour alpha 0 still scales the destination", F, T | M, 0x7FFF, 0xFFFFFFFF, Alpha(0), 0x7BDE},
        {"texel alpha 8 leaves whatever the colour", F, T | AB | M, 0x1234, 0x08FFFFFF, kWhite, 0x1234},
        {"vertex alpha raw 8 leaves", F, VC, 0x7FFF, 8, kWhite, 0x7FFF},
        {"vertex alpha 0.5 blends with weight 0", F, VC, 0x7FFF, 0x8000, kWhite, 0x7BDE},
        {"vertex alpha 240.0 blends", F, VC, 0x0000, 0xF00000, kWhite, 0x77BD},
        {"vertex alpha above 240.0 stores", F, VC, 0x0000, 0xF00001, kWhite, 0x7FFF},
        {"bilinear half-white over white", F, T | BI | AB, 0x7FFF, 0x80FFFFFF, kWhite, 0x7BDE},
        {"bilinear half-black over white", F, T | BI | AB, 0x7FFF, 0x80000000, kWhite, 0x3DEF},
        {"bilinear opaque white stores", F, T | BI | AB, 0x0000, 0xFFFFFFFF, kWhite, 0x7FFF},
        {"bilinear modulated by white", F, T | BI | AB | M, 0x7FFF, 0x80FFFFFF, kWhite, 0x7BDE},
        {"bilinear modulated by a faded colour stays in its fields", F, T | BI | AB | M, 0x7FFF, 0xFFFFFFFF, Alpha(128),
         0x7BDE},
    });
}

TEST(PixelOperations, A8R8G8B8)
{
    const uint32_t F = RasterFormat::A8R8G8B8;
    RunCases({
        {"white at 128 over opaque black", F, T | AB, 0xFF000000, 0x80FFFFFF, kWhite, 0xFF7F7F7F},
        {"white at 128 over transparent black", F, T | AB, 0x00000000, 0x80FFFFFF, kWhite, 0x7FFEFEFE},
        {"white at 239 over opaque white", F, T | AB, 0xFFFFFFFF, 0xEFFFFFFF, kWhite, 0xFFFEFEFE},
        {"white at 239 over transparent black", F, T | AB, 0x00000000, 0xEFFFFFFF, kWhite, 0xEEFEFEFE},
        {"white at 9 over transparent black", F, T | AB, 0x00000000, 0x09FFFFFF, kWhite, 0x08E3E3E3},
        {"alpha 8 leaves", F, T | AB, 0x00000000, 0x08FFFFFF, kWhite, 0x00000000},
        {"alpha 240 stores the texel whole", F, T | AB, 0xFF000000, 0xF0FFFFFF, kWhite, 0xF0FFFFFF},
        {"plain store sets the texel's alpha", F, T, 0xFF000000, 0x12345678, kWhite, 0x12345678},
        {"weight 0 costs one level of alpha and colour", F, VC, 0xFF808080, 9, kWhite, 0xFE7F7F7F},
        {"weight 0 over alpha 0 leaves the pixel", F, VC, 0x00123456, 9, kWhite, 0x00123456},
        {"vertex alpha 240.0 blends", F, VC, 0xFF000000, 0xF00000, kWhite, 0xFFEFEFEF},
        {"vertex alpha above 240.0 stores opaque", F, VC, 0x00000000, 0xF00001, kWhite, 0xFFFFFFFF},
        {"vertex alpha raw 8 leaves", F, VC, 0x00000000, 8, kWhite, 0x00000000},
        {"colour alpha 240 blends with weight 239", F, T | M, 0xFF000000, 0xFFFFFFFF, Alpha(240), 0xFFEDEDED},
        // A modulated store takes the alpha that composing it would give: opaque over opaque.
        {"modulated store over opaque", F, T | M, 0xFF000000, 0xFFFFFFFF, Alpha(241), 0xFFFEFEFE},
        {"modulated store over transparent", F, T | M, 0x00000000, 0xFFFFFFFF, Alpha(241), 0xEFFEFEFE},
        {"modulated threshold blend over opaque", F, T | AB | M, 0xFF000000, 0xFFFFFFFF, Alpha(128), 0xFF7E7E7E},
        {"modulated threshold blend over transparent", F, T | AB | M, 0x00000000, 0xFFFFFFFF, Alpha(128), 0x7EFDFDFD},
        {"bilinear modulated by an opaque colour composes premultiplied", F, T | BI | AB | M, 0x00000000, 0x80FFFFFF,
         kWhite, 0x7DFDFDFD},
        {"bilinear modulated by a faded colour", F, T | BI | AB | M, 0x00000000, 0x80FFFFFF, Alpha(128), 0x3EFBFBFB},
        {"bilinear opaque white stores the fetched value", F, T | BI | AB, 0x00000000, 0xFFFFFFFF, kWhite, 0xFEFDFDFD},
        {"bilinear store of member 24", F, T | BI, 0x00000000, 0xFFFFFFFF, kWhite, 0xFEFDFDFD},
        {"bilinear half-white over transparent", F, T | BI | AB, 0x00000000, 0x80FFFFFF, kWhite, 0x7EFDFDFD},
        // A faint sample over a transparent pixel: the quotient would pass 255 and is held at 255.
        {"bilinear modulated faint sample saturates", F, T | BI | AB | M, 0x00000000, 0x0AFFFFFF, Alpha(40),
         0x00FFFFFF},
    });
}

// The shared members write the same bytes in both 32-bit formats.
TEST(PixelOperations, SharedMembersOfThe32BitFormats)
{
    EXPECT_EQ(ScanConverterFor(RasterFormat::A8R8G8B8, T), ScanConverterFor(RasterFormat::X8R8G8B8, T));
    EXPECT_EQ(ScanConverterFor(RasterFormat::X8R8G8B8, T | BI), ScanConverterFor(RasterFormat::A8R8G8B8, T | BI));
}

// Weighting the bilinear sample by the colour alpha keeps every channel in range for every texel
// alpha, colour alpha and destination; the worst case is a white sample over a white destination.
TEST(PixelOperations, FadedBilinearSourceNeverCarries)
{
    for (uint32_t pa = 9; pa < 256; ++pa) {
        uint32_t channel = (255 * pa) >> 8; // the largest a premultiplied channel can be
        uint32_t sample = (pa << 24) | channel * 0x010101u;
        for (uint32_t ka = 0; ka < 255; ++ka) {
            uint32_t w = (ka * pa) >> 8;
            if (w >= 240)
                continue;
            uint32_t s = ScaleChannels(ModulateChannels(sample, 255, 255, 255), ka);
            uint32_t x = 0xFFFFFFFF;
            FormatX8R8G8B8::BlendPremultiplied(&x, s, w);
            uint32_t expect = ((255 * (255 - w)) >> 8) + (s & 0xFF);
            ASSERT_EQ(x, 0xFF000000u | expect * 0x010101u) << pa << " " << ka;
            uint16_t p565 = 0xFFFF;
            FormatR5G6B5::BlendPremultiplied(&p565, s, w);
            uint32_t share = (255 - w) >> 3;
            ASSERT_EQ(p565 >> 11, ((31 * share) >> 5) + ((s & 0xFF) >> 3)) << pa << " " << ka;
            ASSERT_EQ((p565 >> 5) & 63, ((63 * share) >> 5) + ((s & 0xFF) >> 2)) << pa << " " << ka;
            uint16_t p555 = 0x7FFF;
            FormatX1R5G5B5::BlendPremultiplied(&p555, s, w);
            ASSERT_EQ(p555 >> 10, ((31 * share) >> 5) + ((s & 0xFF) >> 3)) << pa << " " << ka;
        }
    }
}
