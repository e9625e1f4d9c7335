// The vector span loops of nearest texels onto 16-bit pixels against the scan converter's own
// per-pixel loop, pixel for pixel: single spans that walk in and out of the texture and hit every
// weight boundary, and whole rotated and scaled image cells with random angles, scales, colours,
// clips, cells and image sizes.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "RasterTestSupport.h"
#include "support/Lcg.h"
#include "swtri/PixelFormat16.h"
#include "swtri/PixelShader.h"
#include "swtri/RasterizeStrip.h"
#include "swtri/TexelSpan16.h"

using namespace Olvarn;
using namespace swtritest;
using texelspan::Level;

namespace
{

constexpr unsigned T = RasterFeature::Textured;
constexpr unsigned AB = RasterFeature::AlphaBlend;
constexpr unsigned M = RasterFeature::Modulate;

using testsupport::Lcg;

// Texel alphas around every threshold of the formula (8 and 9 for skipping; 240 and the alphas that a
// colour alpha takes to a weight of 239 or 240), in runs as pictures have them, plus random ones.
uint32_t TexelAlpha(Lcg& rng)
{
    static const uint32_t kEdges[] = {0, 0, 0, 1, 8, 9, 10, 128, 239, 240, 241, 250, 254, 255, 255, 255};
    return rng.Below(4) == 0 ? rng.Below(256) : kEdges[rng.Below(16)];
}

std::vector<uint32_t> Texels(Lcg& rng, size_t count)
{
    std::vector<uint32_t> texels(count);
    for (size_t i = 0; i < count;) {
        const uint32_t a = TexelAlpha(rng);
        for (size_t run = 1 + rng.Below(12); run > 0 && i < count; --run)
            texels[i++] = a << 24 | (rng.Next() & 0xFFFFFF);
    }
    return texels;
}

// Colour channels at the ends of the range and in between.
uint32_t Channel(Lcg& rng)
{
    static const uint32_t kChannels[] = {0, 1, 128, 200, 254, 255, 255};
    return rng.Below(3) == 0 ? rng.Below(256) : kChannels[rng.Below(7)];
}

// Runs the test at one vector level and puts the best one back afterwards.
class LevelScope
{
public:
    explicit LevelScope(Level level) : mBest(texelspan::Active().level), mUsable(texelspan::UseLevel(level)) {}
    ~LevelScope() { texelspan::UseLevel(mBest); }
    bool Usable() const { return mUsable; }

private:
    Level mBest;
    bool mUsable;
};

// The scan converter's loop for one span: the per-pixel shader, attributes stepped by wrapping adds.
template <class Format, unsigned Features>
void ReferenceSpan(uint16_t* dest, int count, texelspan::TexelWalk walk, const RasterTexture& texture,
                   const RasterColor& colour)
{
    int32_t at[2] = {walk.u, walk.v};
    for (int i = 0; i < count; ++i) {
        PixelShader<Format, Features>::Shade(dest + i, at, texture, colour);
        at[0] = int32_t(uint32_t(at[0]) + uint32_t(walk.du));
        at[1] = int32_t(uint32_t(at[1]) + uint32_t(walk.dv));
    }
}

template <class Format, unsigned Features>
void CompareSpans(const texelspan::Table& table, texelspan::SpanFunction span, uint32_t seed)
{
    Lcg rng{seed};
    for (int trial = 0; trial < 3000; ++trial) {
        const uint32_t width = 1 + rng.Below(40), height = 1 + rng.Below(20);
        std::vector<uint32_t> texels = Texels(rng, size_t(width) * height);
        const RasterTexture texture{texels.data(), width, height, width * height};
        RasterColor colour{Channel(rng), Channel(rng), Channel(rng), Channel(rng)};
        if ((Features & M) == 0)
            colour = RasterColor{};
        // Mostly inside the texture; sometimes starting before it, running past it or wrapping round.
        texelspan::TexelWalk walk{int32_t(rng.Below(width * 65536)), int32_t(rng.Below(height * 65536)),
                                  int32_t(rng.Below(0x30000)) - 0x18000, int32_t(rng.Below(0x30000)) - 0x18000};
        if (rng.Below(4) == 0) {
            walk.u = int32_t(rng.Next());
            walk.v = int32_t(rng.Next()) >> rng.Below(16);
        }
        const int count = int(rng.Below(42)), offset = int(rng.Below(9));
        std::vector<uint16_t> expected(64), actual(64);
        for (uint16_t& p : expected)
            p = uint16_t(rng.Next());
        actual = expected;
        ReferenceSpan<Format, Features>(expected.data() + offset, count, walk, texture, colour);
        const bool modulate = (Features & M) != 0;
        const texelspan::SpanShade shade{modulate ? colour.a : 256, modulate ? colour.r : 256,
                                         modulate ? colour.g : 256, modulate ? colour.b : 256, (Features & AB) != 0};
        span(actual.data() + offset, count, walk, texture, shade);
        ASSERT_EQ(expected, actual) << "level " << int(table.level) << " features " << Features << " trial " << trial
                                    << " count " << count << " offset " << offset;
    }
}

template <unsigned Features> void CompareSpansOfBothFormats(const texelspan::Table& table, uint32_t seed)
{
    CompareSpans<FormatR5G6B5, Features>(table, table.r5g6b5, seed);
    CompareSpans<FormatX1R5G5B5, Features>(table, table.x1r5g5b5, seed + 1);
}

// An image cell drawn as a matrix blit hands it to the rasteriser: the cell's corners turned by the
// angle and scaled around its middle, placed at (x, y), moved by half a pixel.
struct CellDraw {
    int textureWidth, textureHeight;
    Rect cell;
    float x, y, angle, scale;
    Color colour;
    Rect clip;
    bool hasAlpha;
};

std::array<TriVertex, 4> CellQuad(const CellDraw& d)
{
    const float hw = d.cell.mWidth / 2.0f, hh = d.cell.mHeight / 2.0f;
    const float u0 = float(d.cell.mX) / d.textureWidth, u1 = float(d.cell.mX + d.cell.mWidth) / d.textureWidth;
    const float v0 = float(d.cell.mY) / d.textureHeight, v1 = float(d.cell.mY + d.cell.mHeight) / d.textureHeight;
    std::array<TriVertex, 4> quad = {TriVertex{-hw, -hh, u0, v0, 0xFFFFFFFF}, TriVertex{hw, -hh, u1, v0, 0xFFFFFFFF},
                                     TriVertex{-hw, hh, u0, v1, 0xFFFFFFFF}, TriVertex{hw, hh, u1, v1, 0xFFFFFFFF}};
    const float c = std::cos(d.angle) * d.scale, s = std::sin(d.angle) * d.scale;
    for (TriVertex& v : quad) {
        const float x = v.x * c - v.y * s, y = v.x * s + v.y * c;
        v.x = d.x + x - 0.5f;
        v.y = d.y + y - 0.5f;
    }
    return quad;
}

CellDraw RandomCellDraw(Lcg& rng, int screenWidth, int screenHeight)
{
    CellDraw d;
    const int columns = 1 + int(rng.Below(8)), rows = 1 + int(rng.Below(3));
    const int cellWidth = 1 + int(rng.Below(rng.Below(4) == 0 ? 9 : 97));
    const int cellHeight = rng.Below(3) == 0 ? cellWidth : 1 + int(rng.Below(97));
    d.textureWidth = columns * cellWidth;
    d.textureHeight = rows * cellHeight;
    d.cell = Rect(cellWidth * int(rng.Below(uint32_t(columns))), cellHeight * int(rng.Below(uint32_t(rows))), cellWidth,
                  cellHeight);
    d.angle = rng.Between(-7, 7);
    static const float kScales[] = {1.0f, 1.08f, 1.2f, 0.5f};
    d.scale = rng.Below(2) == 0 ? kScales[rng.Below(4)] : rng.Between(0.2f, 3.0f);
    const int alpha = rng.Below(3) == 0 ? 255 : int(rng.Below(256));
    d.colour = rng.Below(2) == 0 ? Color(255, 255, 255, alpha)
                                 : Color(int(Channel(rng)), int(Channel(rng)), int(Channel(rng)), alpha);
    // The whole screen, or a part that may cut the image.
    if (rng.Below(3) == 0) {
        d.clip = Rect(0, 0, screenWidth, screenHeight);
    } else {
        const int left = int(rng.Below(uint32_t(screenWidth))), top = int(rng.Below(uint32_t(screenHeight)));
        d.clip = Rect(left, top, 1 + int(rng.Below(uint32_t(screenWidth - left))),
                      1 + int(rng.Below(uint32_t(screenHeight - top))));
    }
    // Over the clip or hanging off its edges, which may be the screen's.
    d.x = rng.Between(float(d.clip.mX) - 40, float(d.clip.mX + d.clip.mWidth) + 40);
    d.y = rng.Between(float(d.clip.mY) - 40, float(d.clip.mY + d.clip.mHeight) + 40);
    d.hasAlpha = rng.Below(5) != 0;
    return d;
}

std::string Describe(const CellDraw& d)
{
    return "texture " + std::to_string(d.textureWidth) + "x" + std::to_string(d.textureHeight) + " cell " +
           std::to_string(d.cell.mX) + "," + std::to_string(d.cell.mY) + " " + std::to_string(d.cell.mWidth) + "x" +
           std::to_string(d.cell.mHeight) + " at " + std::to_string(d.x) + "," + std::to_string(d.y) + " angle " +
           std::to_string(d.angle) + " scale " + std::to_string(d.scale) + " colour " +
           std::to_string(d.colour.ToInt()) + " clip " + std::to_string(d.clip.mX) + "," + std::to_string(d.clip.mY) +
           " " + std::to_string(d.clip.mWidth) + "x" + std::to_string(d.clip.mHeight) +
           (d.hasAlpha ? " blended" : " opaque");
}

void CompareCellDraws(Level level)
{
    constexpr int kWidth = 150, kHeight = 110;
    Lcg rng{0x5EED0000u + uint32_t(level)};
    int drawn = 0;
    for (int trial = 0; trial < 1000; ++trial) {
        const CellDraw d = RandomCellDraw(rng, kWidth, kHeight);
        std::vector<uint32_t> texels = Texels(rng, size_t(d.textureWidth) * d.textureHeight);
        const StripTexture texture{
            RasterTexture{texels.data(), uint32_t(d.textureWidth), uint32_t(d.textureHeight), uint32_t(texels.size())},
            d.hasAlpha};
        const std::array<TriVertex, 4> quad = CellQuad(d);
        const uint32_t format = trial % 3 == 2 ? 0x555 : 0x565;
        const uint16_t fill = uint16_t(rng.Next());
        Target16 expected(kWidth, kHeight, fill), actual(kWidth, kHeight, fill);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                expected.At(x, y) = actual.At(x, y) = uint16_t(fill + x * 31 + y * 977);
        {
            LevelScope reference(Level::Reference);
            RasterizeStrip(quad.data(), 4, &texture, d.colour, d.clip, expected.Origin(), expected.PitchBytes(), format,
                           false);
        }
        {
            LevelScope vector(level);
            RasterizeStrip(quad.data(), 4, &texture, d.colour, d.clip, actual.Origin(), actual.PitchBytes(), format,
                           false);
        }
        ASSERT_TRUE(actual.GuardIntact()) << Describe(d);
        bool changed = false;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                ASSERT_EQ(expected.At(x, y), actual.At(x, y))
                    << "pixel " << x << "," << y << " format " << std::hex << format << std::dec << " trial " << trial
                    << ": " << Describe(d);
                changed = changed || expected.At(x, y) != uint16_t(fill + x * 31 + y * 977);
            }
        drawn += changed;
    }
    // Half the draws at least must reach the screen, or the comparison says little.
    EXPECT_GT(drawn, 450);
}

class TexelSpanLevels : public ::testing::TestWithParam<Level>
{
protected:
    void SetUp() override
    {
        if (!texelspan::ForLevel(GetParam()))
            GTEST_SKIP() << "this processor cannot run the level";
    }
};

} // namespace

TEST_P(TexelSpanLevels, SpansGiveTheShadersPixels)
{
    const texelspan::Table& table = *texelspan::ForLevel(GetParam());
    CompareSpansOfBothFormats<T | AB | M>(table, 11);
    CompareSpansOfBothFormats<T | AB>(table, 21);
    CompareSpansOfBothFormats<T | M>(table, 31);
    CompareSpansOfBothFormats<T>(table, 41);
}

TEST_P(TexelSpanLevels, RotatedScaledCellsMatchTheReference)
{
    CompareCellDraws(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Vector, TexelSpanLevels, ::testing::Values(Level::Sse2, Level::Avx2),
                         [](const ::testing::TestParamInfo<Level>& info) {
                             return info.param == Level::Sse2 ? std::string("Sse2") : std::string("Avx2");
                         });

TEST(TexelSpan, ReferenceLevelHasNoSpanLoopsAndActiveIsTheBest)
{
    const texelspan::Table* reference = texelspan::ForLevel(Level::Reference);
    ASSERT_NE(reference, nullptr);
    EXPECT_EQ(reference->r5g6b5, nullptr);
    EXPECT_EQ(reference->x1r5g5b5, nullptr);
    const Level best = texelspan::ForLevel(Level::Avx2) ? Level::Avx2 : Level::Sse2;
    EXPECT_EQ(texelspan::Active().level, best);
}
