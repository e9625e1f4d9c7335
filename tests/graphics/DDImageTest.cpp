// Display images and their surfaces: upload with the colour key, read-back, the storage operations
// that drop or rebuild the surface, and failures of creation and locking.
#include <gtest/gtest.h>

#include "DDTestSupport.h"

using namespace Olvarn;
using ddtest::FakeDevice;
using ddtest::RawPixels;

namespace
{

constexpr uint32_t kClear = 0x00000000;
constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kBlue = 0xFF0000FF;

} // namespace

TEST(DDImageTest, OnlyImagesWithoutPartialAlphaGetASurface)
{
    FakeDevice dev(SurfaceFormat::Rgb565());
    ASSERT_EQ(dev.Start(), DDInterface::RESULT_OK);
    DDImage keyed(dev.dd.get());
    std::vector<uint32_t> pixels{kClear, kRed, kBlue, kClear};
    keyed.SetBits(pixels.data(), 2, 2);
    ASSERT_TRUE(keyed.CreateSurfaceFromBits());
    EXPECT_TRUE(keyed.mWantSurface);
    ASSERT_TRUE(keyed.mSurface->HasSourceColorKey());
    EXPECT_EQ(keyed.mSurface->GetSourceColorKey(), 0u);
    EXPECT_EQ(RawPixels(*keyed.mSurface), (std::vector<uint32_t>{0, 0xF800, 0x001F, 0}));

    DDImage soft(dev.dd.get());
    pixels[3] = 0x80FFFFFF;
    soft.SetBits(pixels.data(), 2, 2);
    EXPECT_FALSE(soft.CreateSurfaceFromBits());
    EXPECT_FALSE(soft.HasSurface());
    EXPECT_FALSE(soft.mWantSurface);
}

TEST(DDImageTest, ColourKeyAvoidsOpaqueColours)
{
    // 16-bit: the first transparent pixel converts to 0, as does the opaque black: the key becomes
    // the lowest 565 colour no visible pixel uses.
    FakeDevice dev(SurfaceFormat::Rgb565());
    ASSERT_EQ(dev.Start(), DDInterface::RESULT_OK);
    DDImage image(dev.dd.get());
    std::vector<uint32_t> pixels{0x00000000, 0xFF000000, 0xFF000008, 0x00FFFFFF, 0xFF000010};
    image.SetBits(pixels.data(), 5, 1);
    ASSERT_TRUE(image.CreateSurfaceFromBits());
    EXPECT_EQ(image.mSurface->GetSourceColorKey(), 3u);
    EXPECT_EQ(RawPixels(*image.mSurface), (std::vector<uint32_t>{3, 0, 1, 3, 2}));

    // 32-bit: the key is the first transparent pixel's stored value unless an opaque colour has it.
    FakeDevice wide(SurfaceFormat::Xrgb8888());
    ASSERT_EQ(wide.Start(), DDInterface::RESULT_OK);
    DDImage plain(wide.dd.get());
    std::vector<uint32_t> px32{0xFF000000, 0x00123456, 0xFF000001};
    plain.SetBits(px32.data(), 3, 1);
    ASSERT_TRUE(plain.CreateSurfaceFromBits());
    EXPECT_EQ(plain.mSurface->GetSourceColorKey(), 0x123456u);
    DDImage clash(wide.dd.get());
    std::vector<uint32_t> clashing{0xFF000000, 0x00000000, 0xFF000001, 0xFF000003};
    clash.SetBits(clashing.data(), 4, 1);
    ASSERT_TRUE(clash.CreateSurfaceFromBits());
    EXPECT_EQ(clash.mSurface->GetSourceColorKey(), 2u);
    EXPECT_EQ(RawPixels(*clash.mSurface), (std::vector<uint32_t>{0, 2, 1, 3}));
}

TEST(DDImageTest, KeyedSurfaceBlitsLeaveTransparentPixelsAlone)
{
    FakeDevice dev(SurfaceFormat::Rgb565(), 4, 1);
    ASSERT_EQ(dev.Start(), DDInterface::RESULT_OK);
    DDImage sprite(dev.dd.get());
    std::vector<uint32_t> pixels{kRed, kClear, kRed, kClear};
    sprite.SetBits(pixels.data(), 4, 1);
    ASSERT_TRUE(sprite.CreateSurfaceFromBits());
    DDImage* screen = dev.dd->GetScreenImage();
    screen->FillRect(Rect(0, 0, 4, 1), Color(0, 0, 255), Graphics::DRAWMODE_NORMAL);
    screen->BlitImage(&sprite, 0, 0, Rect(0, 0, 4, 1), Color::White, Graphics::DRAWMODE_NORMAL);
    EXPECT_EQ(RawPixels(*dev.dd->mDrawSurface), (std::vector<uint32_t>{0xF800, 0x1F, 0xF800, 0x1F}));
}

TEST(DDImageTest, ReadBackAfterASurfaceDraw)
{
    FakeDevice dev(SurfaceFormat::Rgb565());
    ASSERT_EQ(dev.Start(), DDInterface::RESULT_OK);
    DDImage image(dev.dd.get());
    std::vector<uint32_t> pixels{0xFFFFFFFF, 0xFF123456, kClear, kClear};
    image.SetBits(pixels.data(), 2, 2);
    ASSERT_TRUE(image.CreateSurfaceFromBits());
    // A mirrored blit draws on the surface whatever the flags, so the memory copy goes.
    MemoryImage dot;
    std::vector<uint32_t> white{0xFFFFFFFF};
    dot.SetBits(white.data(), 1, 1);
    image.BlitImageMirrored(&dot, 1, 0, Rect(0, 0, 1, 1), Color::White, Graphics::DRAWMODE_NORMAL);
    EXPECT_EQ(image.mBits, nullptr);
    EXPECT_EQ(image.mNativeAlphaData, nullptr);
    const uint32_t* back = image.GetBits();
    ASSERT_NE(back, nullptr);
    // Channel low bits come back zero; key-coloured pixels come back transparent.
    EXPECT_EQ(back[0], 0xFFF8FCF8u);
    EXPECT_EQ(back[1], 0xFFF8FCF8u);
    EXPECT_EQ(back[2] >> 24, 0u);
    EXPECT_EQ(back[3] >> 24, 0u);
    EXPECT_EQ(back[4], MemoryImage::kGuardWord);
}

TEST(DDImageTest, FailedCreationOrUploadLeavesNoSurface)
{
    FakeDevice dev(SurfaceFormat::Rgb565());
    ASSERT_EQ(dev.Start(), DDInterface::RESULT_OK);
    DDImage image(dev.dd.get());
    std::vector<uint32_t> pixels(4, kRed);
    image.SetBits(pixels.data(), 2, 2);

    dev.fake->mCreateHook = [](const SurfaceDesc&) { return DisplayError::OutOfVideoMemory; };
    EXPECT_FALSE(image.CreateSurfaceFromBits());
    EXPECT_FALSE(image.LockSurface());
    EXPECT_EQ(image.GetSurface(), nullptr);
    EXPECT_NE(image.mBits, nullptr);
    dev.fake->mCreateHook = nullptr;

    // The surface is made but refuses the lock of the upload: it must not pass for the picture.
    dev.fake->mCreatedHook = [](Surface& s) { s.FailNextLocks(1); };
    EXPECT_FALSE(image.CreateSurfaceFromBits());
    EXPECT_FALSE(image.HasSurface());
    dev.fake->mCreatedHook = nullptr;
    ASSERT_TRUE(image.CreateSurfaceFromBits());
    EXPECT_EQ(RawPixels(*image.mSurface), (std::vector<uint32_t>(4, 0xF800)));

    // A lost surface draws nothing and keeps the memory copy.
    image.mSurface->MarkLost();
    EXPECT_FALSE(image.SurfaceFillRect(Rect(0, 0, 1, 1), Color(0, 0, 255)));
    image.FillRect(Rect(0, 0, 1, 1), Color(0, 0, 255), Graphics::DRAWMODE_NORMAL);
    ASSERT_NE(image.mBits, nullptr);
    EXPECT_EQ(image.mBits[0], kRed);
}

TEST(DDImageTest, StorageOperationsDropAndRebuildTheSurface)
{
    FakeDevice dev(SurfaceFormat::Xrgb8888());
    ASSERT_EQ(dev.Start(), DDInterface::RESULT_OK);
    DDImage image(dev.dd.get());
    std::vector<uint32_t> pixels{kRed, kBlue, kBlue, kRed};
    image.SetBits(pixels.data(), 2, 2);
    ASSERT_TRUE(image.CreateSurfaceFromBits());

    // Purge with a surface wanted: the surface is the only copy and reads back the same picture.
    image.PurgeBits();
    EXPECT_EQ(image.mBits, nullptr);
    ASSERT_TRUE(image.HasSurface());
    EXPECT_EQ(image.GetBits()[1] & 0xFFFFFF, 0x0000FFu);

    // Video memory: the picture is kept and the next surface lives there.
    EXPECT_FALSE(image.mSurface->IsVideoMemory());
    image.SetVideoMemory(true);
    EXPECT_FALSE(image.HasSurface());
    ASSERT_NE(image.mBits, nullptr);
    ASSERT_NE(image.GetSurface(), nullptr);
    EXPECT_TRUE(image.mSurface->IsVideoMemory());

    // A memory draw drops the surface without reading it back.
    image.BitsChanged();
    EXPECT_FALSE(image.HasSurface());

    // Create keeps the flags, drops the surface and the bits; the next surface is unfilled.
    ASSERT_TRUE(image.CreateSurfaceFromBits());
    image.SetAlphaFlags(false, false);
    image.Create(3, 1);
    EXPECT_FALSE(image.HasSurface());
    EXPECT_EQ(image.mBits, nullptr);
    EXPECT_FALSE(image.mHasTrans);
    ASSERT_NE(image.GetSurface(), nullptr);
    EXPECT_EQ(image.mSurface->GetWidth(), 3);

    // Palettizing gives the picture another home, so the surface goes.
    image.SetBits(pixels.data(), 2, 2);
    ASSERT_TRUE(image.CreateSurfaceFromBits());
    ASSERT_TRUE(image.Palettize());
    EXPECT_FALSE(image.HasSurface());
    ASSERT_TRUE(image.CreateSurfaceFromBits()) << "palette pictures are rebuilt for the upload";
    EXPECT_EQ(RawPixels(*image.mSurface), (std::vector<uint32_t>{0xFF0000, 0xFF, 0xFF, 0xFF0000}));
}

TEST(DDImageTest, WrappedSurfacesAreLeftAlone)
{
    FakeDevice dev(SurfaceFormat::Rgb565());
    ASSERT_EQ(dev.Start(), DDInterface::RESULT_OK);
    DDImage* screen = dev.dd->GetScreenImage();
    ASSERT_TRUE(screen->mSurfaceWrapped);
    EXPECT_EQ(screen->mWidth, 64);
    screen->PurgeBits();
    screen->DeleteExtraData();
    screen->DeleteNativeData();
    EXPECT_TRUE(screen->HasSurface());
    EXPECT_EQ(screen->mSurface, dev.dd->mDrawSurface);
}

TEST(DDImageTest, LocksAreCounted)
{
    FakeDevice dev(SurfaceFormat::Rgb565());
    ASSERT_EQ(dev.Start(), DDInterface::RESULT_OK);
    DDImage image(dev.dd.get());
    std::vector<uint32_t> pixels(4, kRed);
    image.SetBits(pixels.data(), 2, 2);
    ASSERT_TRUE(image.LockSurface());
    ASSERT_TRUE(image.LockSurface());
    EXPECT_TRUE(image.UnlockSurface());
    EXPECT_TRUE(image.mSurface->IsLocked());
    EXPECT_TRUE(image.UnlockSurface());
    EXPECT_FALSE(image.mSurface->IsLocked());
    EXPECT_FALSE(image.UnlockSurface()) << "more unlocks than locks";
}

TEST(DDImageTest, KeyedPicturesSurviveADisplayRestart)
{
    // A purged sprite lives only on its surface; a restart reads it back and uploads it again. The
    // transparent pixels must come back transparent, or the sprite is drawn with a solid box.
    for (SurfaceFormat format : {SurfaceFormat::Rgb565(), SurfaceFormat::Xrgb8888()}) {
        FakeDevice dev(format, 4, 1);
        ASSERT_EQ(dev.Start(), DDInterface::RESULT_OK);
        DDImage sprite(dev.dd.get());
        std::vector<uint32_t> pixels{kRed, kClear, kRed, kClear};
        sprite.SetBits(pixels.data(), 4, 1);
        ASSERT_TRUE(sprite.CreateSurfaceFromBits());
        sprite.PurgeBits();
        ASSERT_EQ(sprite.mBits, nullptr);

        sprite.DeleteNativeData();
        ASSERT_FALSE(sprite.HasSurface());
        ASSERT_NE(sprite.mBits, nullptr);
        EXPECT_EQ(sprite.mBits[1] >> 24, 0u);
        ASSERT_EQ(dev.Start(), DDInterface::RESULT_OK);
        sprite.ApplyStorageOptions();
        ASSERT_TRUE(sprite.HasSurface());

        DDImage* screen = dev.dd->GetScreenImage();
        screen->FillRect(Rect(0, 0, 4, 1), Color(0, 0, 255), Graphics::DRAWMODE_NORMAL);
        screen->BlitImage(&sprite, 0, 0, Rect(0, 0, 4, 1), Color::White, Graphics::DRAWMODE_NORMAL);
        // An opaque fill writes 254 for a full channel on 32-bit surfaces.
        const uint32_t red = format.mRedMask, blue = format.mBitsPerPixel == 16 ? 0x1Fu : 0xFEu;
        EXPECT_EQ(RawPixels(*dev.dd->mDrawSurface), (std::vector<uint32_t>{red, blue, red, blue}));
    }
}
