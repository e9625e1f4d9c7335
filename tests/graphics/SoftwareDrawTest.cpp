// Software fills, lines and fixed-position blits of MemoryImage, checked against the integer formulas.
#include <gtest/gtest.h>

#include <cmath>

#include "TestImages.h"
#include "graphics/Matrix3.h"
#include "graphics/MemoryImage.h"
#include "swtri/TriVertex.h"

using namespace Olvarn;
using namespace graphicstest;

namespace
{
constexpr auto kNormal = Graphics::DRAWMODE_NORMAL;
constexpr auto kAdditive = Graphics::DRAWMODE_ADDITIVE;
const auto kBadMode = static_cast<Graphics::DrawMode>(7);
} // namespace

TEST(MemoryImageFill, ComposesTranslucentColours)
{
    struct Case {
        Color color;
        uint32_t dest, expected;
    } cases[] = {
        {Color(255, 0, 0, 128), Argb(255, 255, 255, 255), Argb(255, 255, 127, 127)},
        {Color(0, 0, 255, 128), Argb(255, 255, 255, 255), Argb(255, 127, 127, 254)},
        {Color(255, 0, 0, 128), 0, Argb(128, 254, 0, 0)},
        {Color(10, 20, 30, 255), Argb(3, 4, 5, 6), Argb(255, 10, 20, 30)},
        // Alpha 0 over a transparent pixel used to divide by zero; it changes nothing.
        {Color(255, 255, 255, 0), 0, 0},
        {Color(255, 255, 255, 0), Argb(77, 1, 2, 3), Argb(77, 1, 2, 3)},
    };
    for (const Case& c : cases) {
        MemoryImage image = Filled(2, 1, c.dest);
        image.FillRect(Rect(1, 0, 1, 1), c.color, kNormal);
        EXPECT_EQ(At(image, 1, 0), c.expected) << c.color.GetRed() << "," << c.color.GetAlpha();
        EXPECT_EQ(At(image, 0, 0), c.dest);
    }
}

TEST(MemoryImageFill, StaysInsideTheImage)
{
    MemoryImage image = Filled(4, 4, 0);
    image.FillRect(Rect(-100, 2, 1000, 1000), Color(1, 2, 3), kNormal);
    image.ClearRect(Rect(3, -5, 50, 7));
    EXPECT_EQ(At(image, 0, 1), 0u);
    EXPECT_EQ(At(image, 0, 3), Argb(255, 1, 2, 3));
    EXPECT_EQ(At(image, 3, 3), Argb(255, 1, 2, 3));
    EXPECT_EQ(At(image, 3, 1), 0u);
    EXPECT_EQ(image.GetBits()[16], MemoryImage::kGuardWord);
}

TEST(MemoryImageLine, SteppedLinePixelsBothWays)
{
    for (bool reversed : {false, true}) {
        MemoryImage image = Filled(5, 3, 0);
        if (reversed)
            image.DrawLine(4, 2, 0, 0, Color(255, 255, 255), kNormal);
        else
            image.DrawLine(0, 0, 4, 2, Color(255, 255, 255), kNormal);
        std::vector<std::pair<int, int>> lit;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x)
                if (At(image, x, y) != 0)
                    lit.push_back({x, y});
        EXPECT_EQ(lit, (std::vector<std::pair<int, int>>{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}}));
        // Opaque white is stored as 254.
        EXPECT_EQ(At(image, 2, 1), Argb(255, 254, 254, 254));
    }
}

TEST(MemoryImageLine, DiagonalAndSteep)
{
    MemoryImage image = Filled(4, 5, 0);
    image.DrawLine(0, 0, 3, 3, Color(9, 9, 9), kNormal);
    image.DrawLine(0, 4, 1, 0, Color(9, 9, 9), kNormal);
    for (int i = 0; i < 4; ++i)
        EXPECT_NE(At(image, i, i), 0u) << i;
    EXPECT_NE(At(image, 0, 4), 0u);
    EXPECT_NE(At(image, 1, 0), 0u);
}

TEST(MemoryImageLine, TranslucentAndAdditivePixels)
{
    MemoryImage image = Filled(3, 3, Argb(255, 200, 100, 0));
    image.DrawLine(0, 0, 2, 1, Color(255, 0, 0, 128), kNormal);
    // ((255*128+128)>>8)*255+127 >> 8 = 127 plus (200*128+127)>>8 = 100.
    EXPECT_EQ(At(image, 0, 0), Argb(255, 227, 50, 0));

    MemoryImage add = Filled(3, 3, Argb(10, 200, 100, 0));
    add.DrawLine(0, 0, 2, 1, Color(100, 255, 0, 255), kAdditive);
    EXPECT_EQ(At(add, 0, 0), Argb(255, 255, 255, 0));
}

TEST(MemoryImageLine, StraightLinesAreFillsWhateverTheMode)
{
    MemoryImage image = Filled(5, 5, Argb(255, 100, 0, 0));
    image.DrawLine(3.7, 1, 0.2, 1, Color(100, 0, 0), kAdditive);
    image.DrawLine(4, 4.9, 4, 2, Color(1, 1, 1), kBadMode);
    EXPECT_EQ(At(image, 0, 1), Argb(255, 100, 0, 0));
    EXPECT_EQ(At(image, 3, 1), Argb(255, 100, 0, 0));
    EXPECT_EQ(At(image, 4, 2), Argb(255, 1, 1, 1));
    EXPECT_EQ(At(image, 4, 4), Argb(255, 1, 1, 1));

    MemoryImage untouched = Filled(5, 5, 0);
    untouched.DrawLine(0, 0, 4, 2, Color(1, 1, 1), kBadMode);
    EXPECT_EQ(Pixels(untouched), std::vector<uint32_t>(25, 0));
}

TEST(MemoryImageLine, BadCoordinatesDrawNothing)
{
    MemoryImage image = Filled(4, 4, 0);
    const double nan = std::nan("");
    image.DrawLine(nan, 0, 3, 3, Color(1, 1, 1), kNormal);
    image.DrawLine(0, 0, 1e300, 2, Color(1, 1, 1), kNormal);
    image.DrawLine(-1e6, -2, 1e6, 3, Color(1, 1, 1), kNormal);
    image.DrawLine(-3, 1, 10, 1, Color(1, 1, 1), kNormal);
    EXPECT_EQ(At(image, 3, 3), 0u);
    EXPECT_EQ(At(image, 3, 1), Argb(255, 1, 1, 1));
    EXPECT_EQ(image.GetBits()[16], MemoryImage::kGuardWord);
}

namespace
{

// A 4x3 sprite: transparent border around a 2x1 core of one opaque and one half-transparent pixel.
MemoryImage Sprite()
{
    std::vector<uint32_t> bits(12, Argb(0, 50, 60, 70));
    bits[5] = Argb(255, 10, 20, 30);
    bits[6] = Argb(128, 200, 100, 50);
    return FromPixels(4, 3, bits);
}

} // namespace

TEST(MemoryImageBlit, OpaqueDestinationRunsKeepBordersAndBlend)
{
    MemoryImage dest = Filled(6, 5, Argb(255, 255, 255, 255));
    MemoryImage sprite = Sprite();
    dest.BlitImage(&sprite, 1, 1, Rect(0, 0, 4, 3), Color::White, kNormal);
    EXPECT_EQ(At(dest, 1, 1), Argb(255, 255, 255, 255));
    EXPECT_EQ(At(dest, 2, 2), Argb(255, 10, 20, 30));
    // (200*128 + 255*128) >> 8, and blue from separately truncated terms.
    EXPECT_EQ(At(dest, 3, 2), Argb(255, 227, 177, 152));
    EXPECT_EQ(At(dest, 4, 3), Argb(255, 255, 255, 255));
}

TEST(MemoryImageBlit, TransparentDestinationComposesAlpha)
{
    MemoryImage dest;
    dest.Create(4, 3);
    MemoryImage sprite = Sprite();
    dest.BlitImage(&sprite, 0, 0, Rect(0, 0, 4, 3), Color::White, kNormal);
    EXPECT_EQ(At(dest, 2, 1), Argb(128, 199, 99, 49));
    // Full weight is 255 of 256 here, so even an opaque pixel loses a little.
    EXPECT_EQ(At(dest, 1, 1), Argb(255, 9, 19, 29));
    EXPECT_EQ(At(dest, 0, 0), 0u);
}

TEST(MemoryImageBlit, TintScalesAlphaAndChannels)
{
    MemoryImage dest = Filled(1, 1, Argb(255, 100, 100, 100));
    dest.mHasTrans = true;
    MemoryImage src = Filled(1, 1, Argb(255, 200, 200, 200));
    dest.BlitImage(&src, 0, 0, Rect(0, 0, 1, 1), Color(255, 128, 0, 128), kNormal);
    // a = 128, w = 128: red (200*128*255 + 100*128*256) >> 16, blue (0) + (100*128 >> 8).
    EXPECT_EQ(At(dest, 0, 0), Argb(255, 149, 100, 50));

    MemoryImage untouched = Filled(1, 1, Argb(255, 100, 100, 100));
    untouched.BlitImage(&src, 0, 0, Rect(0, 0, 1, 1), Color(255, 255, 255, 0), kNormal);
    untouched.BlitImage(&src, 0, 0, Rect(0, 0, 1, 1), Color::White, kBadMode);
    EXPECT_EQ(At(untouched, 0, 0), Argb(255, 100, 100, 100));
}

TEST(MemoryImageBlit, AdditiveFormulas)
{
    struct Case {
        uint32_t src;
        Color color;
        uint32_t expected;
    } cases[] = {
        // Opaque source: plain saturated sums, destination alpha kept.
        {Argb(255, 100, 200, 3), Color::White, Argb(90, 150, 255, 13)},
        {Argb(255, 100, 200, 0), Color(255, 0, 255, 128), Argb(90, 50 + 100 * 128 / 256, 60, 10)},
    };
    for (const Case& c : cases) {
        MemoryImage dest = Filled(1, 1, Argb(90, 50, 60, 10));
        MemoryImage src = Filled(1, 1, c.src);
        dest.BlitImage(&src, 0, 0, Rect(0, 0, 1, 1), c.color, kAdditive);
        EXPECT_EQ(At(dest, 0, 0), c.expected);
    }

    MemoryImage dest = Filled(2, 1, Argb(255, 10, 10, 10));
    MemoryImage alpha = FromPixels(2, 1, {Argb(128, 200, 100, 255), Argb(255, 0, 0, 0)});
    dest.BlitImage(&alpha, 0, 0, Rect(0, 0, 2, 1), Color::White, kAdditive);
    EXPECT_EQ(At(dest, 0, 0), Argb(255, 110, 60, 137));
    MemoryImage tinted = Filled(1, 1, Argb(255, 10, 10, 10));
    tinted.BlitImage(&alpha, 0, 0, Rect(0, 0, 1, 1), Color(255, 255, 0, 255), kAdditive);
    EXPECT_EQ(At(tinted, 0, 0), Argb(255, 10 + 200 * 255 * 128 / 65536, 10 + 100 * 255 * 128 / 65536, 10));
}

TEST(MemoryImageBlit, AdditiveTransparentPixelsAddNothing)
{
    // HasTrans without HasAlpha: the invisible pixel's colour must not show up.
    MemoryImage src = FromPixels(2, 1, {Argb(0, 255, 255, 255), Argb(255, 20, 20, 20)});
    ASSERT_TRUE(src.mHasTrans);
    ASSERT_FALSE(src.mHasAlpha);
    for (Color color : {Color::White, Color(255, 255, 255, 200)}) {
        MemoryImage dest = Filled(2, 1, Argb(255, 10, 10, 10));
        dest.BlitImage(&src, 0, 0, Rect(0, 0, 2, 1), color, kAdditive);
        EXPECT_EQ(At(dest, 0, 0), Argb(255, 10, 10, 10));
        EXPECT_NE(At(dest, 1, 0), Argb(255, 10, 10, 10));
    }
}

TEST(MemoryImageBlit, PaletteSourceDrawsLikeItsPixels)
{
    for (auto mode : {kNormal, kAdditive}) {
        for (bool opaqueDest : {true, false}) {
            MemoryImage plainSrc = Sprite();
            MemoryImage paletteSrc = Sprite();
            ASSERT_TRUE(paletteSrc.Palettize());
            MemoryImage a = Filled(5, 4, Argb(255, 40, 80, 120));
            MemoryImage b = Filled(5, 4, Argb(255, 40, 80, 120));
            a.mHasTrans = b.mHasTrans = !opaqueDest;
            a.BlitImage(&plainSrc, 1, 1, Rect(0, 0, 4, 3), Color::White, mode);
            b.BlitImage(&paletteSrc, 1, 1, Rect(0, 0, 4, 3), Color::White, mode);
            EXPECT_EQ(Pixels(a), Pixels(b));
            EXPECT_NE(paletteSrc.mColorIndices, nullptr);
        }
    }
}

TEST(MemoryImageBlit, ClipsToBothImages)
{
    MemoryImage sprite = Filled(4, 4, Argb(255, 1, 2, 3));
    for (auto [x, y] : {std::pair{-2, -2}, std::pair{3, 3}, std::pair{-100000, 5}, std::pair{2147483600, 0}}) {
        MemoryImage dest = Filled(5, 5, 0);
        dest.BlitImage(&sprite, x, y, Rect(-1, -1, 10, 10), Color::White, kNormal);
        EXPECT_EQ(dest.GetBits()[25], MemoryImage::kGuardWord);
    }
    MemoryImage dest = Filled(5, 5, Argb(255, 0, 0, 0));
    dest.BlitImage(&sprite, -2, 3, Rect(0, 0, 4, 4), Color::White, kNormal);
    EXPECT_EQ(At(dest, 0, 3), Argb(255, 1, 2, 3));
    EXPECT_EQ(At(dest, 1, 4), Argb(255, 1, 2, 3));
    EXPECT_EQ(At(dest, 2, 4), Argb(255, 0, 0, 0));
    EXPECT_EQ(At(dest, 0, 2), Argb(255, 0, 0, 0));
}

TEST(MemoryImageBlit, NonMemorySourceDrawsNothing)
{
    MemoryImage dest = Filled(2, 2, 0);
    int changes = dest.mBitsChangedCount;
    Image plain;
    plain.mWidth = plain.mHeight = 2;
    dest.BlitImage(&plain, 0, 0, Rect(0, 0, 2, 2), Color::White, kNormal);
    dest.BlitImageScaled(&plain, Rect(0, 0, 2, 2), Rect(0, 0, 2, 2), Rect(0, 0, 2, 2), Color::White, kNormal, true);
    dest.BlitImageRotated(&plain, 0, 0, Rect(0, 0, 2, 2), Rect(0, 0, 2, 2), Color::White, kNormal, 1.0, 1, 1);
    EXPECT_EQ(dest.mBitsChangedCount, changes);
}

TEST(MemoryImageSaturation, TableWithoutApplication)
{
    MemoryImage image;
    const unsigned char* sat = image.SaturationTable();
    for (int i : {0, 1, 254, 255, 256, 300, 511})
        EXPECT_EQ(sat[i], std::min(i, 255)) << i;
}

TEST(MemoryImageRaster, IdentityMatrixCentresTheRegion)
{
    MemoryImage dest = Filled(10, 10, Argb(255, 0, 0, 0));
    MemoryImage src = Filled(4, 2, Argb(255, 200, 0, 0));
    Matrix3 identity;
    dest.BlitImageMatrix(&src, 5, 5, identity, Rect(0, 0, 10, 10), Color::White, kNormal, Rect(0, 0, 4, 2), false);
    int lit = 0, minX = 10, maxX = -1, minY = 10, maxY = -1;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            if (At(dest, x, y) != Argb(255, 0, 0, 0)) {
                ++lit;
                minX = std::min(minX, x), maxX = std::max(maxX, x);
                minY = std::min(minY, y), maxY = std::max(maxY, y);
            }
    EXPECT_EQ(lit, 8);
    EXPECT_EQ(minX, 3);
    EXPECT_EQ(maxX, 6);
    EXPECT_EQ(minY, 4);
    EXPECT_EQ(maxY, 5);
}

TEST(MemoryImageRaster, ForcedOpaqueImagesIgnoreTheirAlphaByte)
{
    // A picture forced opaque may hold any top byte (a screen copy holds 0): the rasteriser must treat it
    // as colour without alpha. An image with transparency composes alpha instead.
    MemoryImage src = Filled(4, 4, Argb(128, 200, 0, 0));
    Matrix3 identity;
    for (bool forced : {true, false}) {
        MemoryImage dest = Filled(8, 8, Argb(0, 100, 100, 100));
        if (forced)
            dest.SetAlphaFlags(false, false);
        dest.BlitImageMatrix(&src, 4, 4, identity, Rect(0, 0, 8, 8), Color::White, kNormal, Rect(0, 0, 4, 4), false);
        uint32_t p = At(dest, 4, 4);
        if (forced) {
            EXPECT_EQ(p >> 24, 255u);
            // The grey underneath shows through in green and blue.
            EXPECT_NEAR((p >> 8) & 0xFF, 50, 2);
            EXPECT_NEAR((p >> 16) & 0xFF, 150, 2);
        } else {
            EXPECT_NEAR(p >> 24, 127, 2);
            // Over a transparent pixel only the source colour remains.
            EXPECT_EQ((p >> 8) & 0xFF, 0u);
            EXPECT_NEAR((p >> 16) & 0xFF, 200, 2);
        }
    }
}

TEST(MemoryImageRaster, TrianglesUseTheOffsetAndStayInTheClip)
{
    MemoryImage dest = Filled(8, 8, 0);
    MemoryImage src = Filled(2, 2, Argb(255, 0, 255, 0));
    TriVertex tri[3] = {{0, 0, 0, 0, 0}, {20, 0, 1, 0, 0}, {0, 20, 0, 1, 0}};
    dest.BlitTexturedTriangles(&src, tri, 1, Rect(2, 2, 3, 3), Color::White, kNormal, 1, 1, false);
    EXPECT_EQ(At(dest, 2, 2), Argb(255, 0, 255, 0));
    EXPECT_EQ(At(dest, 1, 1), 0u);
    EXPECT_EQ(At(dest, 5, 2), 0u);
    EXPECT_EQ(At(dest, 2, 5), 0u);

    TriVertex bad[3] = {{std::nanf(""), 0, 0, 0, 0}, {2, 0, 1, 0, 0}, {0, 2, 0, 1, 0}};
    dest.BlitTexturedTriangles(&src, bad, 1, Rect(0, 0, 8, 8), Color::White, kNormal, 0, 0, false);
    EXPECT_EQ(At(dest, 0, 0), 0u);
}
