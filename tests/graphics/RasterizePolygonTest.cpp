// The entry the image operations call, with a real memory image as the texture.
#include <gtest/gtest.h>

#include <array>

#include "graphics/MemoryImage.h"
#include "graphics/RasterizePolygon.h"
#include "swtri/RasterTestSupport.h"

using namespace Olvarn;
using namespace swtritest;

namespace
{

// The corners of an image of w x h centred at (cx, cy), half a pixel up and left, in strip order.
std::array<TriVertex, 4> Quad(float cx, float cy, float w, float h)
{
    float x0 = cx - w / 2 - 0.5f, x1 = cx + w / 2 - 0.5f, y0 = cy - h / 2 - 0.5f, y1 = cy + h / 2 - 0.5f;
    return {TriVertex{x0, y0, 0, 0, 0xFFFFFFFF}, TriVertex{x1, y0, 1, 0, 0xFFFFFFFF},
            TriVertex{x0, y1, 0, 1, 0xFFFFFFFF}, TriVertex{x1, y1, 1, 1, 0xFFFFFFFF}};
}

} // namespace

TEST(RasterizePolygon, CopiesAMemoryImage)
{
    uint32_t pixels[6] = {0xFF010203, 0xFF040506, 0xFF070809, 0xFF0A0B0C, 0xFF0D0E0F, 0xFF101112};
    MemoryImage image;
    image.SetBits(pixels, 3, 2);
    Target32 target(3, 2, 0);
    auto quad = Quad(1.5f, 1, 3, 2);
    RasterizePolygon(quad.data(), 4, &image, Color::White, 0, Rect(0, 0, 3, 2), target.Origin(), target.PitchBytes(),
                     RasterFormat::A8R8G8B8, false);
    EXPECT_TRUE(target.GuardIntact());
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(target.At(x, y), pixels[y * 3 + x]) << x << "," << y;
}

// The texture's alpha flags are brought up to date before they decide whether to blend.
TEST(RasterizePolygon, CommitsTheTexturesFlagsFirst)
{
    uint32_t pixels[4] = {0x80FFFFFF, 0x80FFFFFF, 0x80FFFFFF, 0x80FFFFFF};
    MemoryImage image;
    image.SetBits(pixels, 2, 2);
    image.BitsChanged();
    // Even a call that draws nothing scans the pixels.
    RasterizePolygon(nullptr, 0, &image, Color::White, 0, Rect(0, 0, 2, 2), nullptr, 0, RasterFormat::X8R8G8B8, false);
    EXPECT_TRUE(image.mHasAlpha);

    image.BitsChanged();
    Target32 target(2, 2, 0xFF000000);
    auto quad = Quad(1, 1, 2, 2);
    RasterizePolygon(quad.data(), 4, &image, Color::White, 0, Rect(0, 0, 2, 2), target.Origin(), target.PitchBytes(),
                     RasterFormat::X8R8G8B8, false);
    EXPECT_EQ(target.At(1, 1), 0xFF7F7F7Fu); // blended, not stored
}

TEST(RasterizePolygon, SixteenBitDestinations)
{
    uint32_t pixels[1] = {0xFF123456};
    MemoryImage image;
    image.SetBits(pixels, 1, 1);
    auto quad = Quad(2, 2, 4, 4);
    for (auto [format, expected] : {std::pair{RasterFormat::R5G6B5, 0x11AAu}, {RasterFormat::X1R5G5B5, 0x08CAu}}) {
        Target16 target(4, 4, 0);
        RasterizePolygon(quad.data(), 4, &image, Color::White, 0, Rect(0, 0, 4, 4), target.Origin(),
                         target.PitchBytes(), format, false);
        EXPECT_TRUE(target.GuardIntact());
        EXPECT_EQ(target.Mask(static_cast<uint16_t>(expected)).find('#'), std::string::npos) << format;
    }
}
