// The polygon entry on plain pixel buffers: strip splitting, feature choice, clip bounds, rejected
// input and reentrancy.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <thread>

#include "RasterTestSupport.h"
#include "support/TempDir.h"
#include "swtri/RasterizeStrip.h"

using namespace Olvarn;
using namespace swtritest;

namespace
{

constexpr unsigned T = RasterFeature::Textured;
constexpr unsigned AB = RasterFeature::AlphaBlend;
constexpr unsigned VC = RasterFeature::VertexColor;
constexpr unsigned M = RasterFeature::Modulate;
constexpr unsigned BI = RasterFeature::Bilinear;

StripTexture TextureOf(const TestTexture& t, bool hasAlpha)
{
    return StripTexture{t.mRaster, hasAlpha};
}

// The four corners of a w x h image centred at (cx, cy), as a matrix blit hands them over: top-left,
// top-right, bottom-left, bottom-right, positions moved by half a pixel.
std::array<TriVertex, 4> ImageQuad(float cx, float cy, float w, float h)
{
    float x0 = cx - w / 2 - 0.5f, x1 = cx + w / 2 - 0.5f, y0 = cy - h / 2 - 0.5f, y1 = cy + h / 2 - 0.5f;
    return {TriVertex{x0, y0, 0, 0, 0xFFFFFFFF}, TriVertex{x1, y0, 1, 0, 0xFFFFFFFF},
            TriVertex{x0, y1, 0, 1, 0xFFFFFFFF}, TriVertex{x1, y1, 1, 1, 0xFFFFFFFF}};
}

Rect WholeOf(const Target32& t)
{
    return Rect(0, 0, t.Width(), t.Height());
}

// Vertices as bytes, for the fuzz target's seed corpus: a mode byte (format index in bits 0-1, then the
// bits below), a clip, then vertices.
constexpr uint8_t kSeedBilinear = 0x04;
constexpr uint8_t kSeedTextured = 0x08;
constexpr uint8_t kSeedAlpha = 0x10;
std::string SeedBytes(uint8_t format, const Rect& clip, const TriVertex* v, int count)
{
    std::string bytes(1, static_cast<char>(format));
    bytes.append(reinterpret_cast<const char*>(&clip), sizeof clip);
    bytes.append(reinterpret_cast<const char*>(v), sizeof(TriVertex) * count);
    return bytes;
}

} // namespace

TEST(RasterizeStrip, FeaturesAreDecidedOncePerCall)
{
    TestTexture texture(1, 1, 0xFFFFFFFF);
    StripTexture opaque = TextureOf(texture, false);
    StripTexture alpha = TextureOf(texture, true);
    struct Case {
        const StripTexture* texture;
        Color colour;
        bool bilinear;
        unsigned expected;
    } cases[] = {
        {&opaque, Color::White, false, T},
        {&opaque, Color(255, 255, 255, 254), false, T | M},
        {&alpha, Color::White, false, T | AB},
        {&opaque, Color::White, true, T | AB | BI}, // bilinear always blends
        {&alpha, Color(10, 20, 30), true, T | AB | BI | M},
        {nullptr, Color::White, false, VC},
        {nullptr, Color(1, 2, 3, 4), true, VC | M | BI},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StripFeatures(c.texture, c.colour, c.bilinear), c.expected);
}

// An untransformed image covers exactly its own pixels and copies each texel unchanged; the clip's last
// row and column are drawn.
TEST(RasterizeStrip, UntransformedImageIsCopiedExactly)
{
    TestTexture texture(4, 3, 0);
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 4; ++x)
            texture.At(x, y) = 0xFF000000u | (y << 16) | (x + 1);
    StripTexture st = TextureOf(texture, false);
    for (uint32_t format : {RasterFormat::X8R8G8B8, RasterFormat::A8R8G8B8}) {
        Target32 target(4, 3, 0xDEADBEEF);
        auto quad = ImageQuad(2, 1.5f, 4, 3);
        RasterizeStrip(quad.data(), 4, &st, Color::White, WholeOf(target), target.Origin(), target.PitchBytes(), format,
                       false);
        EXPECT_TRUE(target.GuardIntact());
        for (uint32_t y = 0; y < 3; ++y)
            for (uint32_t x = 0; x < 4; ++x)
                EXPECT_EQ(target.At(x, y), texture.At(x, y)) << x << "," << y;
    }
}

// The two triangles of a blit share their diagonal: with blending no pixel on it is blended twice.
TEST(RasterizeStrip, BlendedImageDiagonalIsBlendedOnce)
{
    TestTexture texture(8, 8, 0x80FFFFFF);
    StripTexture st = TextureOf(texture, true);
    Target32 target(12, 12, 0xFF000000);
    auto quad = ImageQuad(6.3f, 5.7f, 8, 8);
    RasterizeStrip(quad.data(), 4, &st, Color::White, WholeOf(target), target.Origin(), target.PitchBytes(),
                   RasterFormat::X8R8G8B8, false);
    int blended = 0;
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x) {
            uint32_t p = target.At(x, y);
            EXPECT_TRUE(p == 0xFF000000 || p == 0xFF7F7F7F) << x << "," << y;
            blended += p == 0xFF7F7F7F;
        }
    EXPECT_EQ(blended, 64);
}

TEST(RasterizeStrip, ClipIsExclusiveOfItsFarEdges)
{
    TestTexture texture(1, 1, 0xFFFFFFFF);
    StripTexture st = TextureOf(texture, false);
    // A draw far larger than the clip fills exactly the clip, its last row and column included.
    Target32 target(10, 8, 0);
    auto quad = ImageQuad(5, 4, 40, 40);
    RasterizeStrip(quad.data(), 4, &st, Color::White, Rect(2, 1, 6, 5), target.Origin(), target.PitchBytes(),
                   RasterFormat::X8R8G8B8, false);
    EXPECT_TRUE(target.GuardIntact());
    EXPECT_EQ(target.Mask(0), "..........\n"
                              "..######..\n"
                              "..######..\n"
                              "..######..\n"
                              "..######..\n"
                              "..######..\n"
                              "..........\n"
                              "..........\n");
}

// A triangle across a corner of the clip becomes a fan of up to five triangles; together they cover what
// the unclipped triangle covers inside the clip, each pixel once.
TEST(RasterizeStrip, ClippedPolygonsMatchTheUnclippedTriangle)
{
    TestTexture texture(1, 1, 0x80FFFFFF);
    StripTexture st = TextureOf(texture, true);
    TriVertex tri[3] = {{-3.3f, 5.1f, 0, 0, 0}, {7.7f, -4.2f, 0, 0, 0}, {18.6f, 19.3f, 0, 0, 0}};
    Rect clip(1, 2, 12, 11);
    Target32 clipped(16, 16, 0);
    RasterizeStrip(tri, 3, &st, Color::White, clip, clipped.Origin(), clipped.PitchBytes(), RasterFormat::X8R8G8B8,
                   false);
    Target32 whole(16, 16, 0);
    RasterizeStrip(tri, 3, &st, Color::White, Rect(0, 0, 16, 16), whole.Origin(), whole.PitchBytes(),
                   RasterFormat::X8R8G8B8, false);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            bool inClip = clip.Contains(x, y);
            uint32_t expected = inClip ? whole.At(x, y) : 0;
            // Clipping moves edges by float rounding at most; allow pixels exactly on a cut to differ.
            EXPECT_TRUE(clipped.At(x, y) == expected || (inClip && (x == 1 || y == 2)))
                << x << "," << y << " " << std::hex << clipped.At(x, y);
            EXPECT_TRUE(clipped.At(x, y) == 0 || clipped.At(x, y) == 0xFF7F7F7F) << x << "," << y;
        }
    testsupport::SaveFuzzSeed("swtri", "corner", SeedBytes(kSeedTextured | kSeedAlpha, clip, tri, 3));
}

TEST(RasterizeStrip, StripOrderAndCounts)
{
    TestTexture texture(1, 1, 0xFFFFFFFF);
    StripTexture st = TextureOf(texture, false);
    // Five vertices: a 3 x 4 rectangle and a triangle beside it, tiled without gaps.
    TriVertex v[5] = {{0, 0, 0, 0, 0}, {0, 4, 0, 0, 0}, {3, 0, 0, 0, 0}, {3, 4, 0, 0, 0}, {6, 0, 0, 0, 0}};
    Target32 band(8, 4, 0);
    RasterizeStrip(v, 5, &st, Color::White, WholeOf(band), band.Origin(), band.PitchBytes(), RasterFormat::X8R8G8B8,
                   false);
    EXPECT_EQ(band.Mask(0), "######..\n"
                            "######..\n"
                            "#####...\n"
                            "####....\n");
    for (int count : {0, 1, 2}) {
        Target32 none(8, 4, 0);
        RasterizeStrip(v, count, &st, Color::White, WholeOf(none), none.Origin(), none.PitchBytes(),
                       RasterFormat::X8R8G8B8, false);
        EXPECT_EQ(none.Mask(0).find('#'), std::string::npos) << count;
    }
    testsupport::SaveFuzzSeed("swtri", "strip", SeedBytes(kSeedTextured | 1, WholeOf(band), v, 5));
}

TEST(RasterizeStrip, UnknownFormatsAndEmptyClipsDrawNothing)
{
    TestTexture texture(1, 1, 0xFFFFFFFF);
    StripTexture st = TextureOf(texture, false);
    auto quad = ImageQuad(4, 4, 8, 8);
    for (uint32_t format : {0u, 1u, 0x8889u, 0x10888u}) {
        Target32 target(8, 8, 0);
        RasterizeStrip(quad.data(), 4, &st, Color::White, WholeOf(target), target.Origin(), target.PitchBytes(), format,
                       false);
        EXPECT_EQ(target.Mask(0).find('#'), std::string::npos) << format;
    }
    for (Rect clip : {Rect(0, 0, 0, 8), Rect(0, 0, 8, -1), Rect(3, 3, -5, 4)}) {
        Target32 target(8, 8, 0);
        RasterizeStrip(quad.data(), 4, &st, Color::White, clip, target.Origin(), target.PitchBytes(),
                       RasterFormat::X8R8G8B8, false);
        EXPECT_EQ(target.Mask(0).find('#'), std::string::npos);
    }
}

// Non-finite or huge coordinates drop their triangle only; the rest of the strip is drawn.
TEST(RasterizeStrip, UnusableVerticesAreRejected)
{
    TestTexture texture(1, 1, 0xFFFFFFFF);
    StripTexture st = TextureOf(texture, false);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (float bad : {nan, inf, -inf, 16384.5f, -1e30f}) {
        for (int field = 0; field < 4; ++field) {
            TriVertex v[4] = {{0, 0, 0, 0, 0}, {8, 0, 0, 0, 0}, {0, 8, 0, 0, 0}, {8, 8, 0, 0, 0}};
            float* f = &v[3].x + field; // x, y, u, v of the last vertex, used only by the second triangle
            bool isPosition = field < 2;
            if (!isPosition && std::isfinite(bad))
                continue; // finite texture positions are clamped, not rejected
            *f = bad;
            Target32 target(8, 8, 0);
            RasterizeStrip(v, 4, &st, Color::White, WholeOf(target), target.Origin(), target.PitchBytes(),
                           RasterFormat::X8R8G8B8, false);
            EXPECT_TRUE(target.GuardIntact());
            EXPECT_EQ(target.At(0, 0), 0xFFFFFFFFu);
            EXPECT_EQ(target.At(7, 7), 0u) << bad << " in field " << field;
            if (field == 0)
                testsupport::SaveFuzzSeed("swtri", "bad" + std::to_string(static_cast<int>(bad != bad)),
                                          SeedBytes(kSeedTextured | kSeedBilinear | 3, WholeOf(target), v, 4));
        }
    }
}

// Texture positions far outside the texture clamp to the fixed-point range instead of overflowing.
TEST(RasterizeStrip, HugeTexturePositionsReadTransparentBlack)
{
    TestTexture texture(2, 2, 0xFFFFFFFF);
    StripTexture st = TextureOf(texture, false);
    TriVertex v[3] = {{0, 0, 1e20f, 1e20f, 0}, {8, 0, -1e20f, 0, 0}, {0, 8, 0, 1e30f, 0}};
    Target32 target(8, 8, 0x12345678);
    RasterizeStrip(v, 3, &st, Color::White, WholeOf(target), target.Origin(), target.PitchBytes(),
                   RasterFormat::X8R8G8B8, false);
    EXPECT_TRUE(target.GuardIntact());
    EXPECT_EQ(target.At(0, 0), 0u);
}

// Clipping twice through texture positions near the float limit gives infinities, then NaN, which
// no fixed-point vertex can hold: the clipped polygon is dropped, never converted.
TEST(RasterizeStrip, TexturePositionsThatClipToNaNDropTheirPolygon)
{
    TestTexture texture(2, 2, 0xFFFFFFFF);
    StripTexture st = TextureOf(texture, false);
    struct Case {
        const char* name;
        TriVertex v[3];
    };
    const Case cases[] = {
        {"u", {{-8, -8, 3e38f, 0, 0}, {16, -8, -3e38f, 0, 0}, {-8, 16, 3e38f, 0, 0}}},
        {"v", {{-8, -8, 0, -3e38f, 0}, {16, -8, 0, 3e38f, 0}, {-8, 16, 0, 3e38f, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Target32 target(8, 8, 0x12345678);
        RasterizeStrip(c.v, 3, &st, Color::White, WholeOf(target), target.Origin(), target.PitchBytes(),
                       RasterFormat::X8R8G8B8, true);
        EXPECT_TRUE(target.GuardIntact());
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                ASSERT_EQ(target.At(x, y), 0x12345678u) << x << "," << y;
        testsupport::SaveFuzzSeed("swtri", std::string("nan-") + c.name,
                                  SeedBytes(kSeedTextured | kSeedBilinear | 3, WholeOf(target), c.v, 3));
    }
}

TEST(RasterizeStrip, VertexColoursWithoutTexture)
{
    TriVertex v[3] = {{0, 0, 0, 0, 0xFF00FF00}, {8, 0, 0, 0, 0xFF00FF00}, {0, 8, 0, 0, 0xFF00FF00}};
    Target32 target(8, 8, 0);
    RasterizeStrip(v, 3, nullptr, Color::White, WholeOf(target), target.Origin(), target.PitchBytes(),
                   RasterFormat::X8R8G8B8, false);
    EXPECT_EQ(target.At(0, 0), 0xFF00FF00u);
    // Modulated at set-up by the colour: green times 128.
    Target32 tinted(8, 8, 0);
    RasterizeStrip(v, 3, nullptr, Color(255, 128, 255, 255), WholeOf(tinted), tinted.Origin(), tinted.PitchBytes(),
                   RasterFormat::X8R8G8B8, false);
    EXPECT_EQ(tinted.At(0, 0), 0xFF007F00u);
}

// Out-of-range colour channels are taken as their nearest byte value.
TEST(RasterizeStrip, ColourChannelsAreClamped)
{
    TestTexture texture(1, 1, 0xFFFFFFFF);
    StripTexture st = TextureOf(texture, false);
    auto quad = ImageQuad(2, 2, 4, 4);
    Target32 over(4, 4, 0);
    RasterizeStrip(quad.data(), 4, &st, Color(300, -20, 255, 999), WholeOf(over), over.Origin(), over.PitchBytes(),
                   RasterFormat::X8R8G8B8, false);
    Target32 exact(4, 4, 0);
    RasterizeStrip(quad.data(), 4, &st, Color(255, 0, 255, 255), WholeOf(exact), exact.Origin(), exact.PitchBytes(),
                   RasterFormat::X8R8G8B8, false);
    EXPECT_EQ(over.At(1, 1), exact.At(1, 1));
    EXPECT_EQ(exact.At(1, 1), 0x00FE00FEu);
}

// The clip vertices live on each call's stack: calls on several threads give the serial result.
TEST(RasterizeStrip, ConcurrentCallsDoNotInterfere)
{
    TestTexture texture(16, 16, 0);
    for (uint32_t i = 0; i < 256; ++i)
        texture.mTexels[i] = 0xFF000000u | (i * 0x010203u);
    StripTexture st = TextureOf(texture, false);
    auto draw = [&](Target32& target, float angle) {
        for (int i = 0; i < 200; ++i) {
            float c = std::cos(angle + i * 0.01f), s = std::sin(angle + i * 0.01f);
            TriVertex v[4];
            const float corners[4][2] = {{-20, -20}, {20, -20}, {-20, 20}, {20, 20}};
            for (int k = 0; k < 4; ++k)
                v[k] = TriVertex{16 + corners[k][0] * c - corners[k][1] * s, 16 + corners[k][0] * s + corners[k][1] * c,
                                 float(k & 1), float(k >> 1), 0};
            RasterizeStrip(v, 4, &st, Color::White, Rect(1, 1, 30, 30), target.Origin(), target.PitchBytes(),
                           RasterFormat::X8R8G8B8, false);
        }
    };
    Target32 serialA(32, 32, 0), serialB(32, 32, 0), parallelA(32, 32, 0), parallelB(32, 32, 0);
    draw(serialA, 0.3f);
    draw(serialB, 1.1f);
    std::thread a([&] { draw(parallelA, 0.3f); });
    std::thread b([&] { draw(parallelB, 1.1f); });
    a.join();
    b.join();
    EXPECT_EQ(parallelA.Mask(1), serialA.Mask(1));
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            ASSERT_EQ(parallelA.At(x, y), serialA.At(x, y));
            ASSERT_EQ(parallelB.At(x, y), serialB.At(x, y));
        }
}
