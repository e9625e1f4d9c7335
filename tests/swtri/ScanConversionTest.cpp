// The shared skeleton: which pixels a triangle covers, how attributes step across it, texel
// addressing and the bilinear fetch.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "RasterTestSupport.h"
#include "support/TempDir.h"
#include "swtri/FetchBilinearTexel.h"
#include "swtri/FixedMath.h"

using namespace Olvarn;
using namespace swtritest;

namespace
{

constexpr uint32_t X888 = RasterFormat::X8R8G8B8;
constexpr unsigned T = RasterFeature::Textured;
constexpr unsigned AB = RasterFeature::AlphaBlend;

// Solid opaque white through the plain textured member: marks covered pixels.
std::string CoverageMask(int w, int h, FixedVertex a, FixedVertex b, FixedVertex c)
{
    TestTexture white(1, 1, 0xFFFFFFFF);
    Target32 target(w, h, 0);
    Draw(X888, T, target, a, b, c, &white.mRaster);
    EXPECT_TRUE(target.GuardIntact());
    return target.Mask(0);
}

} // namespace

TEST(ScanConversion, DegenerateTrianglesDrawNothing)
{
    const std::string empty = std::string(8, '.') + "\n";
    std::string none;
    for (int i = 0; i < 8; ++i)
        none += empty;
    // Between two rows' sampling points.
    EXPECT_EQ(CoverageMask(8, 8, Vertex(1, 2.1), Vertex(6, 2.5), Vertex(3, 2.9)), none);
    // Middle vertex exactly on the long edge.
    EXPECT_EQ(CoverageMask(8, 8, Vertex(0, 0), Vertex(2, 2), Vertex(4, 4)), none);
}

TEST(ScanConversion, CoverageFollowsTheTopLeftRule)
{
    // Left edge exactly at x = 2 and top at y = 1 are drawn, right edge at x = 6 and bottom at y = 4 are
    // not; the shared diagonal goes to the triangle on its right.
    EXPECT_EQ(CoverageMask(8, 5, Vertex(2, 1), Vertex(6, 1), Vertex(2, 4)), "........\n"
                                                                            "..####..\n"
                                                                            "..###...\n"
                                                                            "..##....\n"
                                                                            "........\n");
    EXPECT_EQ(CoverageMask(8, 5, Vertex(6, 1), Vertex(6, 4), Vertex(2, 4)), "........\n"
                                                                            "........\n"
                                                                            ".....#..\n"
                                                                            "....##..\n"
                                                                            "........\n");
    std::string quad = "........\n"
                       "..####..\n"
                       "..####..\n"
                       "..####..\n"
                       "........\n";
    TestTexture white(1, 1, 0x80FFFFFF);
    Target32 target(8, 5, 0);
    Draw(X888, T | AB, target, Vertex(2, 1), Vertex(6, 1), Vertex(2, 4), &white.mRaster);
    Draw(X888, T | AB, target, Vertex(6, 1), Vertex(6, 4), Vertex(2, 4), &white.mRaster);
    EXPECT_EQ(target.Mask(0), quad);
    // Every covered pixel blended exactly once.
    for (int y = 1; y < 4; ++y)
        for (int x = 2; x < 6; ++x)
            EXPECT_EQ(target.At(x, y), 0xFF7F7F7Fu) << x << "," << y;
}

TEST(ScanConversion, CoverageDoesNotDependOnVertexOrder)
{
    const std::array<std::array<FixedVertex, 3>, 3> triangles = {{
        {Vertex(1.5, 0.25), Vertex(9.75, 0.25), Vertex(4.2, 7.6)}, // flat top
        {Vertex(5.1, 0.4), Vertex(0.3, 7.0), Vertex(11.5, 7.0)},   // flat bottom
        {Vertex(0.7, 1.3), Vertex(11.2, 4.6), Vertex(3.3, 9.9)},   // general
    }};
    for (const auto& t : triangles) {
        std::array<int, 3> order = {0, 1, 2};
        std::string first = CoverageMask(12, 10, t[0], t[1], t[2]);
        EXPECT_NE(first.find('#'), std::string::npos);
        while (std::next_permutation(order.begin(), order.end()))
            EXPECT_EQ(CoverageMask(12, 10, t[order[0]], t[order[1]], t[order[2]]), first);
    }
}

// A fan around an inner point and the same polygon split another way cover the same pixels, each once.
TEST(ScanConversion, SharedEdgesAreNeitherGapsNorOverlaps)
{
    const std::array<FixedVertex, 6> ring = {Vertex(3.3, 0.7),   Vertex(12.6, 1.9), Vertex(15.2, 8.4),
                                             Vertex(10.1, 14.8), Vertex(2.2, 12.5), Vertex(0.4, 6.1)};
    const FixedVertex centre = Vertex(7.77, 7.31);
    TestTexture half(1, 1, 0x80FFFFFF);
    Target32 fan(16, 16, 0);
    Target32 strip(16, 16, 0);
    for (size_t i = 0; i < ring.size(); ++i)
        Draw(X888, T | AB, fan, centre, ring[i], ring[(i + 1) % ring.size()], &half.mRaster);
    for (size_t i = 1; i + 1 < ring.size(); ++i)
        Draw(X888, T | AB, strip, ring[0], ring[i], ring[i + 1], &half.mRaster);
    EXPECT_EQ(fan.Mask(0), strip.Mask(0));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            EXPECT_TRUE(fan.At(x, y) == 0 || fan.At(x, y) == 0xFF7F7F7F) << x << "," << y;
            EXPECT_TRUE(strip.At(x, y) == 0 || strip.At(x, y) == 0xFF7F7F7F) << x << "," << y;
        }
}

TEST(ScanConversion, NearestTexelsCopyAndMagnifyATexture)
{
    TestTexture texture(4, 2, 0);
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < 4; ++x)
            texture.At(x, y) = 0xFF000000u | (y << 8) | x;
    // Corners at half pixels, so pixel (i, j) samples texel (i, j) at its centre.
    Target32 copy(4, 2, 0);
    FixedVertex tl = WithUV(Vertex(-0.5, -0.5), 0, 0), tr = WithUV(Vertex(3.5, -0.5), 4 * kOne, 0);
    FixedVertex bl = WithUV(Vertex(-0.5, 1.5), 0, 2 * kOne), br = WithUV(Vertex(3.5, 1.5), 4 * kOne, 2 * kOne);
    Draw(X888, T, copy, tl, tr, bl, &texture.mRaster);
    Draw(X888, T, copy, tr, br, bl, &texture.mRaster);
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < 4; ++x)
            EXPECT_EQ(copy.At(x, y), texture.At(x, y)) << x << "," << y;

    // Twice the size: each texel covers two by two pixels.
    Target32 big(8, 4, 0);
    tl = WithUV(Vertex(-0.5, -0.5), 0, 0), tr = WithUV(Vertex(7.5, -0.5), 4 * kOne, 0);
    bl = WithUV(Vertex(-0.5, 3.5), 0, 2 * kOne), br = WithUV(Vertex(7.5, 3.5), 4 * kOne, 2 * kOne);
    Draw(X888, T, big, tl, tr, bl, &texture.mRaster);
    Draw(X888, T, big, tr, br, bl, &texture.mRaster);
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 8; ++x)
            EXPECT_EQ(big.At(x, y), texture.At(x / 2, y / 2)) << x << "," << y;
}

TEST(ScanConversion, TexelAddressing)
{
    TestTexture texture(2, 2, 0);
    texture.At(0, 0) = 0xFF000001;
    texture.At(1, 0) = 0xFF000002;
    texture.At(0, 1) = 0xFF000003;
    texture.At(1, 1) = 0xFF000004;
    const RasterTexture& t = texture.mRaster;
    struct Case {
        int32_t u, v;
        uint32_t expected;
    } cases[] = {
        {0x18000, 0x08000, 0xFF000002}, // inside
        {0x28000, 0x08000, 0xFF000003}, // past the row's end reads on into the next row
        {0x18000, 0x18000, 0xFF000004}, // the last texel
        {0x28000, 0x18000, 0},          // index at texelCount
        {-0x8000, 0x08000, 0},          // negative u: huge index
        {0x08000, -0x8000, 0},          // negative v
    };
    for (const Case& c : cases)
        EXPECT_EQ(FetchNearestTexel(t, c.u, c.v), c.expected) << c.u << "," << c.v;

    // Through a scan converter, an index past the texture stores transparent black or leaves the pixel.
    Target32 store(1, 1, 0xFFFFFFFF);
    FixedVertex v[3] = {WithUV(Vertex(0, 0), 9 * kOne, 9 * kOne), WithUV(Vertex(1, 0), 9 * kOne, 9 * kOne),
                        WithUV(Vertex(0, 1), 9 * kOne, 9 * kOne)};
    Draw(X888, T, store, v[0], v[1], v[2], &t);
    EXPECT_EQ(store.At(0, 0), 0u);
    Target32 blend(1, 1, 0xFFFFFFFF);
    Draw(X888, T | AB, blend, v[0], v[1], v[2], &t);
    EXPECT_EQ(blend.At(0, 0), 0xFFFFFFFFu);
}

TEST(ScanConversion, BilinearFetch)
{
    TestTexture white(4, 4, 0xFFFFFFFF);
    const RasterTexture& t = white.mRaster;
    // The odd fractions and truncating shifts keep the alpha just below 255.
    EXPECT_EQ(FetchBilinearTexel(t.bits, t.width, t.texelCount, 0x18000, 0x18000), 0xFEFDFDFDu);
    EXPECT_EQ(FetchBilinearTexel(t.bits, t.width, t.texelCount, 0x20000, 0x20000), 0xFCFBFBFBu);

    // Premultiplied: a half-transparent texel comes back with its colour scaled by its alpha.
    TestTexture half(4, 4, 0x80FFFFFF);
    EXPECT_EQ(FetchBilinearTexel(half.mRaster.bits, 4, 16, 0x18000, 0x18000), 0x7F7E7E7Eu);

    // Midway between a white and a transparent texel, along u.
    TestTexture pair(2, 1, 0);
    pair.At(0, 0) = 0xFFFFFFFF;
    uint32_t mid = FetchBilinearTexel(pair.mRaster.bits, 2, 2, 0x10000, 0x8000);
    EXPECT_EQ(mid >> 24, 127u);
    EXPECT_EQ(mid & 0xFF, 126u);
}

// Texels beyond the texture's last one, or before its first, count as transparent black; a fixture of
// exactly width x height texels lets the sanitizer catch a read past either end.
TEST(ScanConversion, BilinearReadsOutsideTheTextureAreTransparent)
{
    std::vector<uint32_t> texels(4, 0xFFFFFFFF);
    struct Case {
        int32_t u, v;
        uint32_t expected;
    } cases[] = {
        {0x20000, 0x20000, 0x3F3E3E3E}, // only t00, the last texel, lies inside
        {0x8000, 0x4000, 0xBFBEBEBE},   // the row above the first lies outside
    };
    for (const Case& c : cases)
        EXPECT_EQ(FetchBilinearTexel(texels.data(), 2, 4, c.u, c.v), c.expected) << c.u << "," << c.v;
}

// At the first column the floor takes the row's own first texel, not the previous row's last one.
TEST(ScanConversion, BilinearLeftBorderStaysInItsRow)
{
    TestTexture texture(2, 2, 0);
    texture.At(1, 0) = 0xFFFF0000; // the texel before row 1's first one
    texture.At(0, 1) = 0xFF0000FF;
    texture.At(1, 1) = 0xFF0000FF;
    uint32_t first = FetchBilinearTexel(texture.mRaster.bits, 2, 4, 0x8000, 0x18000);
    EXPECT_EQ(first & 0x00FF0000, 0u);
    EXPECT_EQ(first & 0xFF, 0xFDu);
}

// An edge of sub-pixel height with a slope far beyond 16.16, in a triangle much larger than the
// destination: nothing outside the clip is written, and what is written lies on the one row it covers.
TEST(ScanConversion, HugeSlopesAndLargeTrianglesStayInsideTheClip)
{
    TestTexture white(1, 1, 0xFFFFFFFF);
    Target32 flat(16, 16, 0);
    FixedVertex sliver[3] = {Vertex(-16000, 4.9), Vertex(16000, 5.1), Vertex(-15000, 5.05)};
    Draw(X888, T, flat, sliver[0], sliver[1], sliver[2], &white.mRaster);
    // A seed for the fuzz target's raw-triangle mode: mode byte, clip, feature byte, three vertices.
    std::string seed(1, char(0x40));
    const int32_t clip[4] = {0, 0, 40, 24};
    seed.append(reinterpret_cast<const char*>(clip), sizeof clip);
    seed.push_back(char(T | AB));
    seed.append(reinterpret_cast<const char*>(sliver), sizeof sliver);
    testsupport::SaveFuzzSeed("swtri", "sliver", seed);
    EXPECT_TRUE(flat.GuardIntact());
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            if (y != 5) {
                EXPECT_EQ(flat.At(x, y), 0u) << x << "," << y;
            }

    Target32 big(16, 16, 0);
    Draw(X888, T, big, Vertex(-16384, -16384), Vertex(16384, -16384), Vertex(0, 16384), &white.mRaster);
    EXPECT_TRUE(big.GuardIntact());
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            EXPECT_EQ(big.At(x, y), 0xFFFFFFFFu);
}

// Gradients come from truncated 2^48 reciprocals, so a width of three pixels steps by 85 less 1/65536
// (0, 84, 169, not 0, 85, 170); rows start from the top vertex prestepped to the first sampling row.
TEST(ScanConversion, VertexColoursStepToTheBit)
{
    const int32_t opaque = 255 * kOne;
    Target32 across(4, 4, 0);
    Draw(RasterFormat::X8R8G8B8, RasterFeature::VertexColor, across, WithColour(Vertex(0, 0), opaque, 0, 0, 0),
         WithColour(Vertex(3, 0), opaque, 255 * kOne, 0, 0), WithColour(Vertex(0, 3), opaque, 0, 0, 0));
    const uint32_t expectedAcross[3][3] = {{0, 84, 169}, {0, 84, ~0u}, {0, ~0u, ~0u}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(across.At(x, y), expectedAcross[y][x] == ~0u ? 0u : 0xFF000000u | expectedAcross[y][x] << 16)
                << x << "," << y;

    // Top at y = 0.25: row 1 samples 0.75 rows down an edge of 63.75 per row.
    Target32 down(4, 5, 0);
    Draw(RasterFormat::X8R8G8B8, RasterFeature::VertexColor, down, WithColour(Vertex(0, 0.25), opaque, 0, 0, 0),
         WithColour(Vertex(4, 0.25), opaque, 0, 0, 0), WithColour(Vertex(0, 4.25), opaque, 0, 255 * kOne, 0));
    EXPECT_EQ(down.Mask(0), "....\n"
                            "####\n"
                            "###.\n"
                            "##..\n"
                            "#...\n");
    const uint32_t green[] = {47, 111, 175, 239};
    for (int y = 1; y < 5; ++y)
        EXPECT_EQ(down.At(0, y), 0xFF000000u | green[y - 1] << 8) << y;
}

TEST(ScanConversion, SlopesAreExactAndOverflowSaturates)
{
    using namespace FixedMath;
    EXPECT_EQ(Ceil16(0x10000), 1);
    EXPECT_EQ(Ceil16(0x10001), 2);
    EXPECT_EQ(Ceil16(-0x8000), 0);
    EXPECT_EQ(Ceil16(-0x10000), -1);
    // q / d rounded toward minus infinity after the truncated reciprocal.
    EXPECT_EQ(HighProduct(0x10000, Reciprocal(0x30000)), 0x5555);
    EXPECT_EQ(HighProduct(-0x10000, Reciprocal(0x30000)), -0x5556);
    // 32768 pixels over 1/65536 of a pixel: saturated instead of wrapped.
    EXPECT_EQ(HighProduct(int64_t(32768) << 16, Reciprocal(1)), INT32_MAX);
    EXPECT_EQ(HighProduct(-(int64_t(32768) << 16), Reciprocal(1)), INT32_MIN);
}
