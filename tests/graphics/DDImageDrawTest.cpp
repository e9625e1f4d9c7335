// Drawing on display images: which store each operation draws into, and the pixels the surface
// paths write (fills, lines, blits, mirrored, stretched, rotated, matrix).
#include <gtest/gtest.h>

#include <string>

#include "DDTestSupport.h"
#include "graphics/Matrix3.h"

using namespace Olvarn;
using ddtest::FakeDevice;
using ddtest::Picture;
using ddtest::RawPixels;

namespace
{

constexpr auto kNormal = Graphics::DRAWMODE_NORMAL;
constexpr auto kAdditive = Graphics::DRAWMODE_ADDITIVE;

// An opaque image with a surface, filled with one raw surface value.
std::unique_ptr<DDImage> OpaqueTarget(FakeDevice& dev, int w, int h, uint32_t raw = 0)
{
    auto image = std::make_unique<DDImage>(dev.dd.get());
    std::vector<uint32_t> black(size_t(w) * h, 0xFF000000);
    image->SetBits(black.data(), w, h);
    EXPECT_TRUE(image->CreateSurfaceFromBits());
    ddtest::FillRaw(*image->mSurface, raw);
    return image;
}

// Memory drawing may round a full channel to 254; compare channel by channel within one step.
bool Near(uint32_t a, uint32_t b)
{
    for (int shift : {0, 8, 16, 24}) {
        int d = int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF);
        if (d > 1 || d < -1)
            return false;
    }
    return true;
}

std::unique_ptr<MemoryImage> Source(int w, int h, const std::vector<uint32_t>& pixels)
{
    auto image = std::make_unique<MemoryImage>();
    image->SetBits(pixels.data(), w, h);
    return image;
}

} // namespace

TEST(DDImageDrawTest, FillColoursPerDepth)
{
    struct Case {
        SurfaceFormat format;
        Color color;
        uint32_t before, after;
    } cases[] = {
        {SurfaceFormat::Xrgb8888(), Color::White, 0, 0xFEFEFE},
        {SurfaceFormat::Rgb565(), Color::White, 0, 0xFFFF},
        // Half alpha over black and over white (16-bit adds the mask before the shift).
        {SurfaceFormat::Rgb565(), Color(255, 0, 0, 128), 0, 0x7800},
        {SurfaceFormat::Rgb565(), Color(0, 0, 0, 128), 0xFFFF, 0x7BEF},
        {SurfaceFormat::Xrgb8888(), Color(255, 0, 0, 128), 0, 0x7F0000},
        {SurfaceFormat::Xrgb8888(), Color(0, 0, 0, 128), 0xFFFFFF, 0x7F7F7F},
    };
    for (const Case& c : cases) {
        FakeDevice dev(c.format);
        ASSERT_EQ(dev.Start(), DDInterface::RESULT_OK);
        auto target = OpaqueTarget(dev, 2, 1, c.before);
        target->FillRect(Rect(1, 0, 1, 1), c.color, kNormal);
        EXPECT_EQ(target->mBits, nullptr) << "drawn on the surface";
        EXPECT_EQ(RawPixels(*target->mSurface), (std::vector<uint32_t>{c.before, c.after}))
            << c.format.mBitsPerPixel << " " << c.color.mAlpha;
    }
}

TEST(DDImageDrawTest, AdditiveFillSaturates)
{
    FakeDevice dev(SurfaceFormat::Rgb565());
    ASSERT_EQ(dev.Start(), DDInterface::RESULT_OK);
    auto target = OpaqueTarget(dev, 1, 1, 0x8410); // 16, 32, 16
    target->FillRect(Rect(0, 0, 1, 1), Color(255, 64, 0), kAdditive);
    // red 31 + 16 saturates at 31; green 64 >> 2 = 16 adds to 48; blue unchanged.
    EXPECT_EQ(RawPixels(*target->mSurface), (std::vector<uint32_t>{0xFE10}));
}

TEST(DDImageDrawTest, LinesOnTheSurface)
{
    FakeDevice dev(SurfaceFormat::Xrgb8888());
    ASSERT_EQ(dev.Start(), DDInterface::RESULT_OK);
    auto target = OpaqueTarget(dev, 16, 8);
    // Horizontal lines become fills of the truncated span.
    target->DrawLine(10.7, 5, 3.2, 5, Color::White, kNormal);
    auto px = RawPixels(*target->mSurface);
    for (int x = 0; x < 16; ++x)
        EXPECT_EQ(px[5 * 16 + x], x >= 3 && x <= 10 ? 0xFEFEFEu : 0u) << x;

    // A diagonal: every step moves one in each direction; the line colour rounds to 254 in 32-bit.
    auto diagonal = OpaqueTarget(dev, 8, 8);
    diagonal->DrawLine(1, 1, 5, 5, Color::White, kNormal);
    px = RawPixels(*diagonal->mSurface);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(px[size_t(y) * 8 + x], x == y && x >= 1 && x <= 5 ? 0xFEFEFEu : 0u) << x << "," << y;
}

TEST(DDImageDrawTest, BlitsOfOpaqueSourcesCopyOrTint)
{
    FakeDevice dev(SurfaceFormat::Rgb565());
    ASSERT_EQ(dev.Start(), DDInterface::RESULT_OK);
    auto src = Source(2, 1, {0xFFFF0000, 0xFF00FF00});
    auto target = OpaqueTarget(dev, 3, 1, 0x001F);
    target->BlitImage(src.get(), 1, 0, Rect(0, 0, 2, 1), Color::White, kNormal);
    EXPECT_EQ(RawPixels(*target->mSurface), (std::vector<uint32_t>{0x001F, 0xF800, 0x07E0}));
    // A red tint keeps only red, scaled by 255/256: 31 becomes 30.
    target->BlitImage(src.get(), 1, 0, Rect(0, 0, 2, 1), Color(255, 0, 0, 255), kNormal);
    EXPECT_EQ(RawPixels(*target->mSurface), (std::vector<uint32_t>{0x001F, 0xF000, 0x0000}));
}

TEST(DDImageDrawTest, VolatileAndKeyedMemorySourcesTakeTheirOwnPaths)
{
    // A volatile source blends straight from its ARGB pixels (an opaque full channel lands below the
    // maximum); a source with transparency but no partial alpha is copied with its holes left out.
    struct Case {
        const char* what;
        SurfaceFormat format;
        bool isVolatile;
        uint32_t source, before, after;
    } cases[] = {
        {"volatile opaque, 565", SurfaceFormat::Rgb565(), true, 0xFFFF0000, 0x0000, 0xF000},
        {"volatile half over white, 565", SurfaceFormat::Rgb565(), true, 0x80FF0000, 0xFFFF, 0xFBEF},
        {"volatile opaque, 8888", SurfaceFormat::Xrgb8888(), true, 0xFFFF0000, 0x000000, 0xFD0000},
        {"volatile half over white, 8888", SurfaceFormat::Xrgb8888(), true, 0x80FF0000, 0xFFFFFF, 0xFE7F7F},
        {"volatile transparent, 8888", SurfaceFormat::Xrgb8888(), true, 0x00123456, 0x345678, 0x345678},
        {"keyed hole, 565", SurfaceFormat::Rgb565(), false, 0x00FFFFFF, 0x001F, 0x001F},
        {"keyed opaque, 8888", SurfaceFormat::Xrgb8888(), false, 0xFF00FF00, 0x000080, 0xFF00FF00},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeDevice dev(c.format);
        ASSERT_EQ(dev.Start(), DDInterface::RESULT_OK);
        // The second pixel keeps the keyed sources free of partial alpha and the first one in view.
        auto src = Source(2, 1, {c.source, c.isVolatile ? c.source : 0x00000000u});
        src->SetVolatile(c.isVolatile);
        auto target = OpaqueTarget(dev, 2, 1, c.before);
        target->BlitImage(src.get(), 0, 0, Rect(0, 0, 2, 1), Color::White, kNormal);
        EXPECT_EQ(target->mBits, nullptr) << "drawn on the surface";
        EXPECT_EQ(RawPixels(*target->mSurface)[0], c.after);
        EXPECT_FALSE(src->mNativeAlphaData && c.isVolatile) << "the volatile path builds no tables";
    }
}

TEST(DDImageDrawTest, LongOpaqueRunsAreCopiedWhole)
{
    FakeDevice dev(SurfaceFormat::Xrgb8888());
    ASSERT_EQ(dev.Start(), DDInterface::RESULT_OK);
    // One half-transparent pixel at the end sends the blit down the run-length path.
    auto pixels = Picture(301, 1, [](int x, int) { return x < 300 ? 0xFF000000u | uint32_t(x) : 0x80FFFFFFu; });
    auto src = Source(301, 1, pixels);
    ASSERT_TRUE(src->mHasAlpha);
    auto target = OpaqueTarget(dev, 301, 1);
    target->BlitImage(src.get(), 0, 0, Rect(0, 0, 301, 1), Color::White, kNormal);
    auto px = RawPixels(*target->mSurface);
    for (int x = 0; x < 300; ++x)
        ASSERT_EQ(px[size_t(x)] & 0xFFFFFF, uint32_t(x)) << x;
    EXPECT_EQ(px[300] & 0xFFFFFF, 0x808080u);
}

TEST(DDImageDrawTest, BlendAndAdditiveBlits)
{
    FakeDevice dev(SurfaceFormat::Xrgb8888());
    ASSERT_EQ(dev.Start(), DDInterface::RESULT_OK);
    auto src = Source(3, 1, {0x00FFFFFF, 0x80FF0000, 0xFF0000FF});
    auto target = OpaqueTarget(dev, 3, 1, 0x000080);
    target->BlitImage(src.get(), 0, 0, Rect(0, 0, 3, 1), Color::White, kNormal);
    // Transparent skipped; half red premultiplied by 129/256 over blue kept at 128/256; opaque copied.
    auto px = RawPixels(*target->mSurface);
    EXPECT_EQ(px[0], 0x000080u);
    EXPECT_EQ(px[1] & 0xFFFFFF, 0x800040u);
    EXPECT_EQ(px[2] & 0xFFFFFF, 0x0000FFu);

    auto add = OpaqueTarget(dev, 3, 1, 0x808080);
    add->BlitImage(src.get(), 0, 0, Rect(0, 0, 3, 1), Color::White, kAdditive);
    px = RawPixels(*add->mSurface);
    EXPECT_EQ(px[0], 0x808080u) << "black runs add nothing";
    EXPECT_EQ(px[1], 0xFF8080u);
    EXPECT_EQ(px[2], 0x8080FFu);
}

// A source pixel premultiplied into a screen layout, as the blit tables hold it.
uint32_t Premultiplied(uint32_t p, const SurfaceFormat& f)
{
    const uint32_t a = p >> 24, masks[3] = {f.mRedMask, f.mGreenMask, f.mBlueMask};
    uint32_t out = f.mBitsPerPixel == 32 ? a << 24 : 0;
    for (int c = 0; c < 3; ++c) {
        const int shift = __builtin_ctz(masks[c]), bits = __builtin_popcount(masks[c]);
        const uint32_t v = (((p >> (16 - 8 * c)) & 0xFF) * (a + 1)) >> 8;
        out |= (v >> (8 - bits)) << shift;
    }
    return out;
}

TEST(DDImageDrawTest, BlendedRunsMatchTheRunByRunRules)
{
    // Blits blend clear, soft and short opaque runs in one pass; each pixel must still come out by its
    // own rule (clear: untouched, opaque: copied, soft: blended), the bits of untouched pixels outside
    // the channels included. Mirrored and palette blits gather their rows first: a flipped sprite
    // drawn mirrored, and the same sprite through its palette, must give the plain blit's surface in
    // every drawing mode.
    struct Case {
        SurfaceFormat format;
        int width; // up to 64 a row is one blend; wider rows are split at long runs
    };
    const Case cases[] = {{SurfaceFormat::Xrgb8888(), 29}, {SurfaceFormat::Rgb565(), 64},
                          {SurfaceFormat::Rgb555(), 17},   {SurfaceFormat::Xrgb8888(), 150},
                          {SurfaceFormat::Rgb565(), 150},  {SurfaceFormat::Rgb555(), 97}};
    const uint32_t background = 0xA5A5A5A5u;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.format.mBitsPerPixel) + " bits, red " + std::to_string(c.format.mRedMask) +
                     ", width " + std::to_string(c.width));
        const bool sixteen = c.format.mBitsPerPixel == 16;
        const uint32_t raw = sixteen ? background & 0xFFFF : background;
        FakeDevice dev(c.format, 160, 8);
        ASSERT_EQ(dev.Start(), DDInterface::RESULT_OK);
        // Rows of runs of every length class, 1 to 40 pixels of clear, soft or opaque, in few enough
        // colours for a palette.
        uint32_t seed = 7;
        auto next = [&seed] { return (seed = seed * 1664525u + 1013904223u) >> 8; };
        std::vector<uint32_t> pixels;
        for (int y = 0; y < 4; ++y) {
            int x = 0;
            while (x < c.width) {
                const uint32_t kind = next() % 3, length = 1 + next() % 40;
                for (uint32_t k = 0; k < length && x < c.width; ++k, ++x) {
                    const uint32_t a = kind == 0 ? 0 : (kind == 1 ? 255 : 1 + 63 * (next() % 4));
                    pixels.push_back(a << 24 | ((next() % 40) * 0x061A2B3Fu & 0xFFFFFF));
                }
            }
        }
        std::vector<uint32_t> flipped(pixels.size());
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < c.width; ++x)
                flipped[size_t(y) * c.width + x] = pixels[size_t(y) * c.width + (c.width - 1 - x)];
        auto src = Source(c.width, 4, pixels), flippedSrc = Source(c.width, 4, flipped);
        auto paletteSrc = Source(c.width, 4, pixels);
        ASSERT_TRUE(paletteSrc->Palettize());
        // Clipped on the left by one pixel and on the right by the target's edge when wide.
        const Rect part(1, 0, c.width - 1, 4), flippedPart(0, 0, c.width - 1, 4);

        auto plain = OpaqueTarget(dev, 160, 8, raw);
        plain->BlitImage(src.get(), 3, 2, part, Color::White, kNormal);
        const auto px = RawPixels(*plain->mSurface);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 160; ++x) {
                const int sx = x - 3 + 1, sy = y - 2;
                uint32_t want = raw;
                if (sy >= 0 && sy < 4 && sx >= 1 && sx < c.width) {
                    const uint32_t p = pixels[size_t(sy) * c.width + sx], v = Premultiplied(p, c.format);
                    const uint32_t keep = 256 - (p >> 24);
                    if ((p >> 24) != 0) {
                        want = v;
                        for (uint32_t m : {c.format.mRedMask, c.format.mGreenMask, c.format.mBlueMask})
                            want += (((raw & m) * keep) >> 8) & m;
                        want &= sixteen ? 0xFFFF : ~0u;
                    }
                }
                ASSERT_EQ(px[size_t(y) * 160 + x], want) << x << "," << y;
            }

        for (auto mode : {kNormal, kAdditive})
            for (Color color : {Color::White, Color(200, 120, 40, 150)}) {
                SCOPED_TRACE(std::string(mode == kNormal ? "normal" : "additive") +
                             (color == Color::White ? " white" : " tinted"));
                auto forward = OpaqueTarget(dev, 160, 8, raw), mirrored = OpaqueTarget(dev, 160, 8, raw),
                     palette = OpaqueTarget(dev, 160, 8, raw);
                forward->BlitImage(src.get(), 3, 2, part, color, mode);
                mirrored->BlitImageMirrored(flippedSrc.get(), 3, 2, flippedPart, color, mode);
                palette->BlitImage(paletteSrc.get(), 3, 2, part, color, mode);
                const auto want = RawPixels(*forward->mSurface);
                ASSERT_EQ(RawPixels(*mirrored->mSurface), want);
                ASSERT_EQ(RawPixels(*palette->mSurface), want);
            }
    }
}

TEST(DDImageDrawTest, MirroredBlitReversesTheRow)
{
    FakeDevice dev(SurfaceFormat::Xrgb8888());
    ASSERT_EQ(dev.Start(), DDInterface::RESULT_OK);
    auto src = Source(3, 1, {0xFF000001, 0xFF000002, 0xFF000003});
    auto target = OpaqueTarget(dev, 3, 1);
    target->BlitImageMirrored(src.get(), 0, 0, Rect(0, 0, 3, 1), Color::White, kNormal);
    auto px = RawPixels(*target->mSurface);
    EXPECT_EQ(px[0] & 0xFFFFFF, 3u);
    EXPECT_EQ(px[1] & 0xFFFFFF, 2u);
    EXPECT_EQ(px[2] & 0xFFFFFF, 1u);
}

TEST(DDImageDrawTest, ImagesWithTransparencyDrawInMemory)
{
    FakeDevice dev(SurfaceFormat::Xrgb8888());
    ASSERT_EQ(dev.Start(), DDInterface::RESULT_OK);
    DDImage keyed(dev.dd.get());
    std::vector<uint32_t> pixels{0x00000000, 0xFF000000};
    keyed.SetBits(pixels.data(), 2, 1);
    ASSERT_TRUE(keyed.CreateSurfaceFromBits());
    auto src = Source(1, 1, {0xFF00FF00});
    keyed.BlitImage(src.get(), 1, 0, Rect(0, 0, 1, 1), Color::White, kNormal);
    EXPECT_FALSE(keyed.HasSurface()) << "the memory draw drops the surface";
    ASSERT_NE(keyed.mBits, nullptr);
    EXPECT_TRUE(Near(keyed.mBits[1], 0xFF00FF00u)) << std::hex << keyed.mBits[1];

    keyed.CreateSurfaceFromBits();
    keyed.BlitImageRotated(src.get(), 0, 0, Rect(0, 0, 1, 1), Rect(0, 0, 2, 1), Color::White, kNormal, 0.5, 0, 0);
    EXPECT_FALSE(keyed.HasSurface());
}

TEST(DDImageDrawTest, ImagesThatCannotHaveASurfaceStillGetMirroredAndMatrixDraws)
{
    FakeDevice dev(SurfaceFormat::Xrgb8888());
    ASSERT_EQ(dev.Start(), DDInterface::RESULT_OK);
    auto src = Source(2, 1, {0xFF0000FF, 0xFFFF0000});
    DDImage soft(dev.dd.get());
    std::vector<uint32_t> pixels{0x80000000, 0x80000000, 0xFF000000, 0xFF000000};
    soft.SetBits(pixels.data(), 4, 1);
    soft.BlitImageMirrored(src.get(), 2, 0, Rect(0, 0, 2, 1), Color::White, kNormal);
    EXPECT_FALSE(soft.HasSurface());
    EXPECT_TRUE(Near(soft.GetBits()[2], 0xFFFF0000u));
    EXPECT_TRUE(Near(soft.GetBits()[3], 0xFF0000FFu));

    soft.BlitImageScaledMirrored(src.get(), Rect(0, 0, 4, 1), Rect(0, 0, 2, 1), Rect(0, 0, 4, 1), Color::White, kNormal,
                                 true);
    EXPECT_TRUE(Near(soft.GetBits()[0], 0xFFFF0000u));
    EXPECT_TRUE(Near(soft.GetBits()[3], 0xFF0000FFu));

    Matrix3 identity;
    DDImage soft2(dev.dd.get());
    std::vector<uint32_t> grey(16, 0x80808080);
    soft2.SetBits(grey.data(), 4, 4);
    auto block = Source(2, 2, std::vector<uint32_t>(4, 0xFF00FF00));
    soft2.BlitImageMatrix(block.get(), 2, 2, identity, Rect(0, 0, 4, 4), Color::White, kNormal, Rect(0, 0, 2, 2),
                          false);
    EXPECT_FALSE(soft2.HasSurface());
    EXPECT_TRUE(Near(soft2.GetBits()[1 * 4 + 1], 0xFF00FF00u)) << std::hex << soft2.GetBits()[5];
}

TEST(DDImageDrawTest, MatrixDrawsOnTheSurfaceDiscardTheMemoryCopy)
{
    for (SurfaceFormat format : {SurfaceFormat::Xrgb8888(), SurfaceFormat::Rgb565(), SurfaceFormat::Rgb555()}) {
        FakeDevice dev(format);
        ASSERT_EQ(dev.Start(), DDInterface::RESULT_OK);
        auto target = OpaqueTarget(dev, 4, 4);
        ASSERT_NE(target->mBits, nullptr);
        auto block = Source(2, 2, std::vector<uint32_t>(4, 0xFFFFFFFF));
        Matrix3 identity;
        target->BlitImageMatrix(block.get(), 2, 2, identity, Rect(0, 0, 4, 4), Color::White, kNormal, Rect(0, 0, 2, 2),
                                false);
        EXPECT_EQ(target->mBits, nullptr) << "the surface is the only current copy";
        auto back = target->GetBits();
        const uint32_t white =
            format.mBitsPerPixel == 32 ? 0xFFFFFF : (format == SurfaceFormat::Rgb565() ? 0xF8FCF8 : 0xF8F8F8);
        EXPECT_EQ(back[1 * 4 + 1] & 0xFFFFFF, white);
        EXPECT_EQ(back[0] & 0xFFFFFF, 0u);
    }
}

TEST(DDImageDrawTest, MatrixOnAnUnknownSixteenBitLayoutDrawsNothing)
{
    FakeDevice dev(SurfaceFormat{16, 0xF000, 0x0F00, 0x00F0});
    ASSERT_EQ(dev.Start(), DDInterface::RESULT_OK);
    auto target = OpaqueTarget(dev, 4, 4, 0x1234);
    auto block = Source(2, 2, std::vector<uint32_t>(4, 0xFFFFFFFF));
    Matrix3 identity;
    target->BlitImageMatrix(block.get(), 2, 2, identity, Rect(0, 0, 4, 4), Color::White, kNormal, Rect(0, 0, 2, 2),
                            false);
    EXPECT_EQ(RawPixels(*target->mSurface), std::vector<uint32_t>(16, 0x1234));
    EXPECT_EQ(target->mLockCount, 0);
    EXPECT_FALSE(target->mSurface->IsLocked());
}

TEST(DDImageDrawTest, FastStretchRepeatsPixelsInBothModes)
{
    FakeDevice dev(SurfaceFormat::Xrgb8888());
    ASSERT_EQ(dev.Start(), DDInterface::RESULT_OK);
    auto src = Source(2, 2, {0xFF000010, 0xFF000020, 0xFF000030, 0xFF000040});
    for (auto mode : {kNormal, kAdditive}) {
        auto target = OpaqueTarget(dev, 4, 4);
        target->BlitImageScaled(src.get(), Rect(0, 0, 4, 4), Rect(0, 0, 2, 2), Rect(0, 0, 4, 4), Color::White, mode,
                                true);
        auto px = RawPixels(*target->mSurface);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                ASSERT_EQ(px[size_t(y) * 4 + x] & 0xFFFFFF, uint32_t(0x10 * (1 + x / 2 + 2 * (y / 2))))
                    << x << "," << y << " mode " << mode;
    }
}

TEST(DDImageDrawTest, HardwareAndSoftwareStretchesAgree)
{
    for (SurfaceFormat format : {SurfaceFormat::Xrgb8888(), SurfaceFormat::Rgb565()}) {
        FakeDevice dev(format);
        ASSERT_EQ(dev.Start(), DDInterface::RESULT_OK);
        auto pixels =
            Picture(7, 5, [](int x, int y) { return 0xFF000000u | uint32_t(x * 36) << 16 | uint32_t(y * 50); });
        DDImage onSurface(dev.dd.get());
        onSurface.SetBits(pixels.data(), 7, 5);
        ASSERT_TRUE(onSurface.CreateSurfaceFromBits());
        auto inMemory = Source(7, 5, pixels);
        for (Rect dest : {Rect(1, 2, 13, 9), Rect(0, 0, 3, 4), Rect(2, 1, 7, 5)}) {
            auto hard = OpaqueTarget(dev, 16, 12);
            auto soft = OpaqueTarget(dev, 16, 12);
            hard->BlitImageScaled(&onSurface, dest, Rect(0, 0, 7, 5), Rect(0, 0, 16, 12), Color::White, kNormal, true);
            soft->BlitImageScaled(inMemory.get(), dest, Rect(0, 0, 7, 5), Rect(0, 0, 16, 12), Color::White, kNormal,
                                  true);
            auto a = RawPixels(*hard->mSurface), b = RawPixels(*soft->mSurface);
            const uint32_t mask = format.ColorMask();
            for (size_t i = 0; i < a.size(); ++i)
                ASSERT_EQ(a[i] & mask, b[i] & mask) << i << " dest " << dest.mWidth << "x" << dest.mHeight;
        }
    }
}

TEST(DDImageDrawTest, MirroredStretchAndItsClip)
{
    FakeDevice dev(SurfaceFormat::Xrgb8888());
    ASSERT_EQ(dev.Start(), DDInterface::RESULT_OK);
    auto src = Source(2, 1, {0xFF000001, 0xFF000002});
    auto target = OpaqueTarget(dev, 4, 1);
    target->BlitImageScaledMirrored(src.get(), Rect(0, 0, 4, 1), Rect(0, 0, 2, 1), Rect(0, 0, 4, 1), Color::White,
                                    kNormal, true);
    auto px = RawPixels(*target->mSurface);
    EXPECT_EQ((std::vector<uint32_t>{px[0] & 0xFF, px[1] & 0xFF, px[2] & 0xFF, px[3] & 0xFF}),
              (std::vector<uint32_t>{2, 2, 1, 1}));

    // Clipping away the right half leaves the source's right half, mirrored, on the left.
    auto clipped = OpaqueTarget(dev, 4, 1);
    clipped->BlitImageScaledMirrored(src.get(), Rect(0, 0, 4, 1), Rect(0, 0, 2, 1), Rect(0, 0, 2, 1), Color::White,
                                     kNormal, true);
    px = RawPixels(*clipped->mSurface);
    EXPECT_EQ((std::vector<uint32_t>{px[0] & 0xFF, px[1] & 0xFF, px[2] & 0xFF, px[3] & 0xFF}),
              (std::vector<uint32_t>{2, 2, 0, 0}));

    FRect part;
    Rect dest;
    ASSERT_TRUE(DDImage::MapMirroredStretch(Rect(0, 0, 2, 1), Rect(0, 0, 2, 1), Rect(0, 0, 4, 1), part, dest));
    EXPECT_DOUBLE_EQ(part.mX, 1.0);
    EXPECT_DOUBLE_EQ(part.mWidth, 1.0);
    EXPECT_EQ(dest, Rect(0, 0, 2, 1));
    EXPECT_FALSE(DDImage::MapMirroredStretch(Rect(0, 0, 2, 1), Rect(10, 0, 2, 1), Rect(0, 0, 4, 1), part, dest));
}

TEST(DDImageDrawTest, SmoothStretchAppliesTheColourOnce)
{
    FakeDevice dev(SurfaceFormat::Xrgb8888());
    ASSERT_EQ(dev.Start(), DDInterface::RESULT_OK);
    auto src = Source(1, 1, {0xFFFFFFFF});
    auto target = OpaqueTarget(dev, 2, 2);
    target->BlitImageScaled(src.get(), Rect(0, 0, 2, 2), Rect(0, 0, 1, 1), Rect(0, 0, 2, 2), Color(255, 255, 255, 128),
                            kNormal, false);
    for (uint32_t p : RawPixels(*target->mSurface))
        EXPECT_NEAR(int(p & 0xFF), 128, 2);
}

TEST(DDImageDrawTest, RotatedBlitColourAndAdditiveRules)
{
    // At a whole-pixel position the top-left tap carries coverage 254 and the destination keeps 2/256.
    // A colour's alpha scales the coverage in normal mode only; additive mode applies the colour as a
    // factor and adds through the saturation table.
    struct Case {
        const char* what;
        Color color;
        Graphics::DrawMode mode;
        uint32_t before, after;
    } cases[] = {
        {"normal, white", Color::White, kNormal, 0x80, 0xC7},
        {"normal, half alpha", Color(255, 255, 255, 128), kNormal, 0x80, 0xA3},
        {"additive, white", Color::White, kAdditive, 0x10, 0xD5},
        {"additive, half alpha", Color(255, 255, 255, 128), kAdditive, 0x10, 0x73},
        {"additive saturates", Color::White, kAdditive, 0x80, 0xFF},
    };
    FakeDevice dev(SurfaceFormat::Xrgb8888());
    ASSERT_EQ(dev.Start(), DDInterface::RESULT_OK);
    auto src = Source(4, 4, std::vector<uint32_t>(16, 0xFF0000C8));
    for (const Case& c : cases) {
        auto target = OpaqueTarget(dev, 4, 4, c.before);
        target->BlitImageRotated(src.get(), 0, 0, Rect(0, 0, 4, 4), Rect(0, 0, 4, 4), c.color, c.mode, 0.0, 0, 0);
        EXPECT_EQ(target->mBits, nullptr) << c.what;
        EXPECT_EQ(RawPixels(*target->mSurface)[1 * 4 + 1], c.after) << c.what;
    }
}

TEST(DDImageDrawTest, FloatBlitGoesThroughTheRotatedPath)
{
    FakeDevice dev(SurfaceFormat::Xrgb8888());
    ASSERT_EQ(dev.Start(), DDInterface::RESULT_OK);
    const int W = 5, H = 4;
    auto pixels = Picture(W, H, [](int x, int y) { return 0xFF000000u | uint32_t(x * 40) << 8 | uint32_t(y * 60); });
    auto src = Source(W, H, pixels);
    auto target = OpaqueTarget(dev, 24, 30);
    target->BlitImageAtFloat(src.get(), 10.0f, 20.0f, Rect(0, 0, W, H), Rect(0, 0, 24, 30), Color::White, kNormal);
    auto px = RawPixels(*target->mSurface);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            uint32_t got = px[size_t(20 + y) * 24 + 10 + x] & 0xFFFFFF;
            bool drawn = x >= 1 && x <= W - 2 && y <= H - 2;
            if (drawn) {
                EXPECT_NEAR(int(got >> 8 & 0xFF), x * 40, 2) << x << "," << y;
                EXPECT_NEAR(int(got & 0xFF), y * 60, 2) << x << "," << y;
            } else {
                EXPECT_EQ(got, 0u) << x << "," << y;
            }
        }

    // Half a pixel to the right: each pixel mixes two horizontal neighbours about equally.
    auto shifted = OpaqueTarget(dev, 24, 30);
    shifted->BlitImageAtFloat(src.get(), 10.5f, 20.0f, Rect(0, 0, W, H), Rect(0, 0, 24, 30), Color::White, kNormal);
    px = RawPixels(*shifted->mSurface);
    uint32_t mixed = px[size_t(20) * 24 + 12] >> 8 & 0xFF;
    EXPECT_NEAR(int(mixed), 60, 3);
}
