// The dispatcher: which member each format and feature value reaches.
#include <gtest/gtest.h>

#include <set>

#include "RasterTestSupport.h"

using namespace Olvarn;
using namespace swtritest;

namespace
{

const uint32_t kFormats[] = {RasterFormat::X8R8G8B8, RasterFormat::R5G6B5, RasterFormat::X1R5G5B5,
                             RasterFormat::A8R8G8B8};

} // namespace

TEST(RasterizeTriangle, EveryFeatureValueHasItsMember)
{
    for (uint32_t format : kFormats) {
        std::set<ScanConvertFunction> textured;
        for (unsigned f = 0; f < RasterFeature::Count; ++f) {
            ScanConvertFunction member = ScanConverterFor(format, f);
            ASSERT_NE(member, nullptr);
            bool t = f & RasterFeature::Textured, vc = f & RasterFeature::VertexColor;
            if (!t && !vc) {
                EXPECT_EQ(member, &ScanConvertNothing) << format << " " << f;
            } else if (!t) {
                // Blending and filtering mean nothing without a texture.
                unsigned base = f & (RasterFeature::VertexColor | RasterFeature::Modulate);
                EXPECT_EQ(member, ScanConverterFor(format, base)) << format << " " << f;
            } else {
                textured.insert(member);
            }
        }
        EXPECT_EQ(textured.size(), 16u) << format;
    }
    // Whole 32-bit codes: nothing else selects a family.
    for (uint32_t code : {0u, 1u, 0x887u, 0x1888u, 0x10000888u, 0xFFFFFFFFu})
        EXPECT_EQ(ScanConverterFor(code, RasterFeature::Textured), nullptr) << code;
    EXPECT_EQ(ScanConverterFor(RasterFormat::X8R8G8B8, 32), nullptr);
}

TEST(RasterizeTriangle, FlagsSelectTheMember)
{
    TestTexture texture(1, 1, 0x80FFFFFF);
    FixedVertex v[3] = {Vertex(0, 0), Vertex(4, 0), Vertex(0, 4)};
    RasterColor colour;
    for (uint32_t format : {RasterFormat::X8R8G8B8, RasterFormat::A8R8G8B8}) {
        Target32 viaFlags(4, 4, 0xFF000000);
        RasterizeTriangle(true, true, false, false, v, viaFlags.Origin(), viaFlags.PitchBytes(), &texture.mRaster,
                          &colour, format, false, viaFlags.Clip());
        Target32 direct(4, 4, 0xFF000000);
        Draw(format, RasterFeature::Textured | RasterFeature::AlphaBlend, direct, v[0], v[1], v[2], &texture.mRaster);
        EXPECT_EQ(viaFlags.Mask(0xFF000000), direct.Mask(0xFF000000));
        EXPECT_EQ(viaFlags.At(0, 0), direct.At(0, 0));
        EXPECT_EQ(viaFlags.At(0, 0), 0xFF7F7F7Fu);
    }
    // Neither textured nor vertex-coloured, or an unknown format: nothing at all.
    Target32 none(4, 4, 0);
    RasterizeTriangle(false, true, false, true, v, none.Origin(), none.PitchBytes(), &texture.mRaster, &colour,
                      RasterFormat::X8R8G8B8, true, none.Clip());
    RasterizeTriangle(true, false, false, false, v, none.Origin(), none.PitchBytes(), &texture.mRaster, &colour, 1,
                      false, none.Clip());
    EXPECT_EQ(none.Mask(0).find('#'), std::string::npos);
    EXPECT_TRUE(none.GuardIntact());
}

// The vertex colours are scaled on the member's own copies: drawing the same vertices twice gives the
// same pixels, as a fan that passes its first vertex to every triangle needs.
TEST(RasterizeTriangle, SetUpScalingLeavesTheCallersVertices)
{
    FixedVertex v[3] = {WithColour(Vertex(0, 0), 255 * kOne, 200 * kOne, 100 * kOne, 50 * kOne),
                        WithColour(Vertex(4, 0), 255 * kOne, 200 * kOne, 100 * kOne, 50 * kOne),
                        WithColour(Vertex(0, 4), 255 * kOne, 200 * kOne, 100 * kOne, 50 * kOne)};
    const FixedVertex before = v[0];
    RasterColor half{255, 128, 128, 128};
    for (uint32_t format : kFormats) {
        if (format == RasterFormat::R5G6B5 || format == RasterFormat::X1R5G5B5) {
            Target16 first(4, 4, 0), second(4, 4, 0);
            Draw(format, RasterFeature::VertexColor | RasterFeature::Modulate, first, v[0], v[1], v[2], nullptr, half);
            Draw(format, RasterFeature::VertexColor | RasterFeature::Modulate, second, v[0], v[1], v[2], nullptr, half);
            EXPECT_EQ(first.At(0, 0), second.At(0, 0));
        } else {
            Target32 first(4, 4, 0);
            Draw(format, RasterFeature::VertexColor | RasterFeature::Modulate, first, v[0], v[1], v[2], nullptr, half);
            EXPECT_EQ(first.At(0, 0), 0xFF643219u) << format; // 200, 100, 50 each halved, rounded down
        }
    }
    EXPECT_EQ(v[0].r, before.r);
}
