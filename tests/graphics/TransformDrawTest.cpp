// Float-positioned, rotated and stretched software blits of MemoryImage.
#include <gtest/gtest.h>

#include <cmath>

#include "TestImages.h"
#include "graphics/MemoryImage.h"

using namespace Olvarn;
using namespace graphicstest;

namespace
{
constexpr auto kNormal = Graphics::DRAWMODE_NORMAL;
constexpr auto kAdditive = Graphics::DRAWMODE_ADDITIVE;
const uint32_t kBlack = Argb(255, 0, 0, 0);

// A source whose pixels are all different, so that a misplaced sample shows.
MemoryImage Gradient(int w, int h)
{
    std::vector<uint32_t> bits;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            bits.push_back(Argb(255, 20 * x + 10, 20 * y + 10, 100));
    return FromPixels(w, h, bits);
}
} // namespace

TEST(MemoryImageRotated, FloatBlitAtIntegerPositionDrawsTheInnerPixels)
{
    MemoryImage dest = Filled(12, 12, kBlack);
    MemoryImage src = Filled(5, 4, Argb(255, 255, 255, 255));
    dest.BlitImageAtFloat(&src, 3, 2, Rect(0, 0, 5, 4), Rect(0, 0, 12, 12), Color::White, kNormal);
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 12; ++x) {
            bool inner = x >= 4 && x <= 6 && y >= 2 && y <= 4;
            // Fractions are never 0, so the one tap covers 254 of 256: 255 arrives as 253.
            EXPECT_EQ(At(dest, x, y), inner ? Argb(255, 253, 253, 253) : kBlack) << x << "," << y;
        }
    }
}

TEST(MemoryImageRotated, HalfPixelMixesNeighbours)
{
    MemoryImage dest = Filled(10, 4, kBlack);
    MemoryImage src = FromPixels(4, 2,
                                 {Argb(255, 0, 0, 0), Argb(255, 200, 0, 0), Argb(255, 0, 0, 0), Argb(255, 200, 0, 0),
                                  Argb(255, 0, 0, 0), Argb(255, 200, 0, 0), Argb(255, 0, 0, 0), Argb(255, 200, 0, 0)});
    dest.BlitImageAtFloat(&src, 2.5f, 0, Rect(0, 0, 4, 2), Rect(0, 0, 10, 4), Color::White, kNormal);
    int mixed = 0;
    for (int x = 0; x < 10; ++x) {
        uint32_t r = (At(dest, x, 0) >> 16) & 0xFF;
        if (r != 0) {
            EXPECT_NEAR(r, 100, 2) << x;
            ++mixed;
        }
    }
    EXPECT_GT(mixed, 0);
}

TEST(MemoryImageRotated, RotationBoxOfAQuarterTurn)
{
    FRect box;
    ASSERT_TRUE(MemoryImage::GetRotationBox(Rect(0, 0, 4, 2), 10, 10, M_PI / 2, 2, 1, Rect(0, 0, 100, 100), box));
    EXPECT_NEAR(box.mWidth, 2, 1e-9);
    EXPECT_NEAR(box.mHeight, 4, 1e-9);
    EXPECT_NEAR(box.mX, 11, 1e-9);
    EXPECT_NEAR(box.mY, 9, 1e-9);
    EXPECT_FALSE(MemoryImage::GetRotationBox(Rect(0, 0, 4, 2), 10, 10, std::nan(""), 2, 1, Rect(0, 0, 100, 100), box));
    EXPECT_FALSE(MemoryImage::GetRotationBox(Rect(0, 0, 4, 2), 200, 10, 0.3, 2, 1, Rect(0, 0, 100, 100), box));
}

TEST(MemoryImageRotated, QuarterTurnLandsWhereTheMappingSays)
{
    MemoryImage dest = Filled(20, 20, kBlack);
    MemoryImage src = Gradient(6, 6);
    float x = 7, y = 5, cx = 3, cy = 3;
    double angle = M_PI / 2;
    dest.BlitImageRotated(&src, x, y, Rect(0, 0, 6, 6), Rect(0, 0, 20, 20), Color::White, kNormal, angle, cx, cy);
    // Source pixel (px, py) lands at (x + cx + (py - cy), y + cy - (px - cx)) for a quarter turn.
    int px = 2, py = 3;
    int X = static_cast<int>(x + cx + (py - cy)), Y = static_cast<int>(y + cy - (px - cx));
    uint32_t got = At(dest, X, Y);
    EXPECT_NEAR((got >> 16) & 0xFF, 20 * px + 10, 3);
    EXPECT_NEAR((got >> 8) & 0xFF, 20 * py + 10, 3);
}

TEST(MemoryImageRotated, NothingToDrawLeavesTheImageAlone)
{
    MemoryImage dest = Filled(8, 8, kBlack);
    MemoryImage src = Filled(4, 4, Argb(255, 255, 0, 0));
    int changes = dest.mBitsChangedCount;
    const double nan = std::nan("");
    dest.BlitImageRotated(&src, 20, 20, Rect(0, 0, 4, 4), Rect(0, 0, 8, 8), Color::White, kNormal, 0.5, 2, 2);
    dest.BlitImageRotated(&src, 0, 0, Rect(0, 0, 4, 4), Rect(0, 0, 8, 8), Color::White, kNormal, nan, 2, 2);
    dest.BlitImageRotated(&src, std::nanf(""), 0, Rect(0, 0, 4, 4), Rect(0, 0, 8, 8), Color::White, kNormal, 1, 2, 2);
    dest.BlitImageRotated(&src, 0, 0, Rect(0, 0, 4, 4), Rect(0, 0, 8, 8), Color::White, kNormal, INFINITY, 2, 2);
    dest.BlitImageRotated(&src, 1e30f, -1e30f, Rect(0, 0, 4, 4), Rect(0, 0, 8, 8), Color::White, kNormal, 1, 2, 2);
    dest.BlitImageRotated(&src, 0, 0, Rect(2, 2, 4, 4), Rect(0, 0, 8, 8), Color::White, kNormal, 1, 2, 2);
    EXPECT_EQ(dest.mBitsChangedCount, changes);
    EXPECT_EQ(Pixels(dest), std::vector<uint32_t>(64, kBlack));
}

TEST(MemoryImageRotated, TintAndAdditiveModes)
{
    MemoryImage src = Filled(5, 5, Argb(255, 200, 200, 200));
    // A tint weighs coverage by its alpha and channels by colour + 1, then composes.
    MemoryImage tinted = Filled(8, 8, kBlack);
    tinted.BlitImageRotated(&src, 1, 1, Rect(0, 0, 5, 5), Rect(0, 0, 8, 8), Color(255, 0, 128, 255), kNormal, 0, 0, 0);
    uint32_t p = At(tinted, 3, 2);
    EXPECT_EQ(p >> 24, 255u);
    EXPECT_NEAR((p >> 16) & 0xFF, 197, 2);
    EXPECT_EQ((p >> 8) & 0xFF, 0u);
    EXPECT_NEAR(p & 0xFF, 99, 2);

    MemoryImage faded = Filled(8, 8, kBlack);
    faded.BlitImageRotated(&src, 1, 1, Rect(0, 0, 5, 5), Rect(0, 0, 8, 8), Color(255, 255, 255, 128), kNormal, 0, 0, 0);
    EXPECT_NEAR((At(faded, 3, 2) >> 16) & 0xFF, 100, 3);

    MemoryImage added = Filled(8, 8, Argb(255, 100, 100, 100));
    added.BlitImageRotated(&src, 1, 1, Rect(0, 0, 5, 5), Rect(0, 0, 8, 8), Color::White, kAdditive, 0, 0, 0);
    EXPECT_EQ(At(added, 3, 2), Argb(255, 255, 255, 255));
    EXPECT_EQ(At(added, 0, 0), Argb(255, 100, 100, 100));
}

TEST(MemoryImageRotated, PixelFormulasAtAnIntegerPosition)
{
    // At an integer position only the top-left tap counts: area 65534, so alpha 255 covers 254 and
    // alpha 128 covers 127. Each row is worked out by hand from the filter, blend and additive rules.
    const Color tint(255, 128, 0, 128);
    struct Case {
        uint32_t src, dest;
        Color color;
        Graphics::DrawMode mode;
        uint32_t expected;
    } cases[] = {
        // Coverage above 250: the filtered colour replaces the pixel, opaque.
        {Argb(255, 200, 100, 40), Argb(0, 0, 0, 0), Color::White, kNormal, Argb(255, 198, 99, 39)},
        // Half coverage over nothing: A' = 127, channels (sum >> 8) * 256 / A', alpha A' - 1.
        {Argb(128, 200, 100, 40), Argb(0, 0, 0, 0), Color::White, kNormal, Argb(126, 199, 98, 38)},
        // Half coverage over an opaque pixel: the destination weighs (d * 255 >> 8) * 129.
        {Argb(128, 200, 100, 40), Argb(255, 10, 20, 30), Color::White, kNormal, Argb(255, 103, 58, 33)},
        // A tint halves the coverage by its alpha and scales each channel sum by colour + 1.
        {Argb(255, 200, 100, 40), Argb(255, 10, 20, 30), tint, kNormal, Argb(255, 103, 33, 14)},
        // Additive: saturated sums, destination alpha kept; a tint weighs by colour * alpha / 255.
        {Argb(255, 200, 100, 40), Argb(77, 10, 20, 30), Color::White, kAdditive, Argb(77, 208, 119, 69)},
        {Argb(255, 200, 100, 40), Argb(77, 10, 20, 30), tint, kAdditive, Argb(77, 109, 44, 30)},
        {Argb(255, 200, 100, 40), Argb(77, 10, 20, 30), tint, static_cast<Graphics::DrawMode>(5),
         Argb(77, 109, 44, 30)},
    };
    for (const Case& c : cases) {
        MemoryImage src = Filled(5, 5, c.src);
        MemoryImage dest = Filled(6, 6, c.dest);
        dest.BlitImageAtFloat(&src, 1, 1, Rect(0, 0, 5, 5), Rect(0, 0, 6, 6), c.color, c.mode);
        EXPECT_EQ(At(dest, 3, 2), c.expected) << std::hex << c.src << " over " << c.dest << " mode " << c.mode;
        // Source column 0 is never drawn at an integer position.
        EXPECT_EQ(At(dest, 1, 2), c.dest);
    }
}

TEST(MemoryImageStretch, FastScalingRepeatsPixels)
{
    MemoryImage src =
        FromPixels(2, 2, {Argb(255, 40, 0, 0), Argb(255, 80, 0, 0), Argb(255, 120, 0, 0), Argb(255, 160, 0, 0)});
    MemoryImage dest = Filled(4, 4, kBlack);
    dest.mHasTrans = true;
    dest.BlitImageScaled(&src, Rect(0, 0, 4, 4), Rect(0, 0, 2, 2), Rect(0, 0, 4, 4), Color::White, kNormal, true);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ((At(dest, x, y) >> 16) & 0xFF, uint32_t(40 * (1 + x / 2 + 2 * (y / 2))) * 255 / 256)
                << x << "," << y;

    // A tint, which used to draw nothing, applies as in the fixed-position blit.
    MemoryImage tinted = Filled(4, 4, Argb(0, 0, 0, 0));
    MemoryImage white = Filled(2, 2, Argb(255, 255, 255, 255));
    tinted.BlitImageScaled(&white, Rect(0, 0, 4, 4), Rect(0, 0, 2, 2), Rect(0, 0, 4, 4), Color(255, 0, 0, 255), kNormal,
                           true);
    EXPECT_EQ(At(tinted, 3, 3), Argb(255, 253, 0, 0));
}

TEST(MemoryImageStretch, SmoothEnlargementKeepsCornersAndMixes)
{
    MemoryImage src =
        FromPixels(2, 2, {Argb(255, 0, 0, 0), Argb(255, 255, 0, 0), Argb(255, 0, 0, 0), Argb(255, 255, 0, 0)});
    MemoryImage dest = Filled(4, 4, kBlack);
    dest.BlitImageScaled(&src, Rect(0, 0, 4, 4), Rect(0, 0, 2, 2), Rect(0, 0, 4, 4), Color::White, kNormal, false);
    EXPECT_EQ(At(dest, 0, 0), kBlack);
    EXPECT_EQ(At(dest, 3, 3), Argb(255, 254, 0, 0));
    uint32_t r1 = (At(dest, 1, 0) >> 16) & 0xFF, r2 = (At(dest, 2, 0) >> 16) & 0xFF;
    EXPECT_GT(r1, 50u);
    EXPECT_LT(r1, r2);
    EXPECT_LT(r2, 254u);
}

TEST(MemoryImageStretch, SmoothReductionAveragesBlocks)
{
    std::vector<uint32_t> bits(16);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            bits[y * 4 + x] = Argb(255, (x + y) % 2 ? 200 : 100, x < 2 ? 40 : 80, 0);
    MemoryImage src = FromPixels(4, 4, bits);
    MemoryImage dest;
    dest.Create(2, 2);
    dest.BlitImageScaled(&src, Rect(0, 0, 2, 2), Rect(0, 0, 4, 4), Rect(0, 0, 2, 2), Color::White, kNormal, false);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 2; ++x) {
            uint32_t p = At(dest, x, y);
            EXPECT_EQ(p >> 24, 255u);
            EXPECT_NEAR((p >> 16) & 0xFF, 150, 2);
            EXPECT_NEAR((p >> 8) & 0xFF, x == 0 ? 40 : 80, 2);
        }
    }
}

TEST(MemoryImageStretch, ClippedReductionKeepsTheVisiblePixels)
{
    // Cutting a reduction by the clip starts the source part at a fraction of a pixel; the shares that fall
    // before the first drawn column go to the spare column, so what stays visible is what the whole draw gives.
    MemoryImage src = Gradient(7, 5);
    MemoryImage whole = Filled(3, 2, kBlack);
    whole.BlitImageScaled(&src, Rect(0, 0, 3, 2), Rect(0, 0, 7, 5), Rect(0, 0, 3, 2), Color::White, kNormal, false);
    for (Rect clip : {Rect(1, 0, 2, 2), Rect(0, 1, 3, 1), Rect(2, 1, 1, 1)}) {
        MemoryImage part = Filled(3, 2, kBlack);
        part.BlitImageScaled(&src, Rect(0, 0, 3, 2), Rect(0, 0, 7, 5), clip, Color::White, kNormal, false);
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 3; ++x) {
                uint32_t got = At(part, x, y), want = clip.Contains(x, y) ? At(whole, x, y) : kBlack;
                for (int shift : {0, 8, 16, 24})
                    EXPECT_NEAR(int(got >> shift & 0xFF), int(want >> shift & 0xFF), 1) << x << "," << y;
            }
        }
    }
}

TEST(MemoryImageStretch, OpaqueOverOpaqueHidesTheDestination)
{
    MemoryImage src = Filled(3, 3, Argb(255, 255, 255, 255));
    MemoryImage dest = Filled(7, 5, Argb(255, 9, 9, 9));
    dest.BlitImageScaled(&src, Rect(0, 0, 7, 5), Rect(0, 0, 3, 3), Rect(0, 0, 7, 5), Color::White, kNormal, false);
    EXPECT_EQ(Pixels(dest), std::vector<uint32_t>(35, Argb(255, 254, 254, 254)));
}

TEST(MemoryImageStretch, OutsideTheClipOrEmptyDrawsNothing)
{
    MemoryImage src = Filled(3, 3, Argb(255, 255, 255, 255));
    MemoryImage dest = Filled(6, 6, kBlack);
    int changes = dest.mBitsChangedCount;
    for (bool fast : {true, false}) {
        dest.BlitImageScaled(&src, Rect(10, 0, 4, 4), Rect(0, 0, 3, 3), Rect(0, 0, 6, 6), Color::White, kNormal, fast);
        dest.BlitImageScaled(&src, Rect(0, 0, 0, 4), Rect(0, 0, 3, 3), Rect(0, 0, 6, 6), Color::White, kNormal, fast);
        dest.BlitImageScaled(&src, Rect(0, 0, -4, 4), Rect(0, 0, 3, 3), Rect(0, 0, 6, 6), Color::White, kNormal, fast);
        dest.BlitImageScaled(&src, Rect(0, 0, 4, 4), Rect(0, 0, 0, 3), Rect(0, 0, 6, 6), Color::White, kNormal, fast);
    }
    EXPECT_EQ(dest.mBitsChangedCount, changes);
    MemoryImage empty;
    dest.BlitImageScaled(&empty, Rect(0, 0, 4, 4), Rect(0, 0, 3, 3), Rect(0, 0, 6, 6), Color::White, kNormal, true);
    EXPECT_EQ(Pixels(dest), std::vector<uint32_t>(36, kBlack));
}

TEST(MemoryImageStretch, EnlargingIntoOneColumnOrRowSamplesTheEdge)
{
    // A clip that leaves one destination column of a big enlargement: the step used to divide by zero and
    // the second tap read past the source area.
    MemoryImage src =
        FromPixels(2, 2, {Argb(255, 10, 0, 0), Argb(255, 250, 0, 0), Argb(255, 10, 0, 0), Argb(255, 250, 0, 0)});
    MemoryImage dest = Filled(40, 40, kBlack);
    dest.BlitImageScaled(&src, Rect(0, 0, 40, 40), Rect(0, 0, 2, 2), Rect(39, 0, 1, 40), Color::White, kNormal, false);
    dest.BlitImageScaled(&src, Rect(0, 0, 40, 40), Rect(0, 0, 2, 2), Rect(0, 39, 40, 1), Color::White, kNormal, false);
    dest.BlitImageScaled(&src, Rect(0, 0, 1, 1), Rect(0, 0, 1, 1), Rect(0, 0, 40, 40), Color::White, kNormal, false);
    EXPECT_NEAR((At(dest, 39, 10) >> 16) & 0xFF, 249, 1);
    EXPECT_NEAR((At(dest, 0, 39) >> 16) & 0xFF, 9, 1);
    EXPECT_EQ(At(dest, 0, 0), Argb(255, 9, 0, 0));
    EXPECT_EQ(At(dest, 20, 20), kBlack);
}

TEST(MemoryImageStretch, SmoothStretchAppliesColourAndMode)
{
    MemoryImage src = Filled(2, 2, Argb(255, 200, 200, 200));
    MemoryImage tinted = Filled(4, 4, kBlack);
    tinted.BlitImageScaled(&src, Rect(0, 0, 4, 4), Rect(0, 0, 2, 2), Rect(0, 0, 4, 4), Color(255, 0, 255, 128), kNormal,
                           false);
    uint32_t p = At(tinted, 1, 1);
    EXPECT_NEAR((p >> 16) & 0xFF, 100, 2);
    EXPECT_EQ((p >> 8) & 0xFF, 0u);

    MemoryImage added = Filled(4, 4, Argb(255, 100, 0, 0));
    added.BlitImageScaled(&src, Rect(0, 0, 4, 4), Rect(0, 0, 2, 2), Rect(0, 0, 4, 4), Color::White, kAdditive, false);
    EXPECT_EQ(At(added, 2, 2), Argb(255, 255, 200, 200));
}

TEST(MemoryImageStretch, StretchMappingCutsTheSource)
{
    Rect clipped;
    FRect part;
    ASSERT_TRUE(
        MemoryImage::GetStretchMapping(Rect(0, 0, 10, 10), Rect(-10, 0, 20, 20), Rect(0, 0, 100, 5), clipped, part));
    EXPECT_EQ(clipped, Rect(0, 0, 10, 5));
    EXPECT_DOUBLE_EQ(part.mX, 5);
    EXPECT_DOUBLE_EQ(part.mWidth, 5);
    EXPECT_DOUBLE_EQ(part.mHeight, 2.5);
}
