// Memory surfaces: locking, loss, and the plain, keyed and stretched blit loops in both depths.
#include <gtest/gtest.h>

#include <vector>

#include "platform/Surface.h"

using namespace Olvarn;

namespace
{

// Reads and writes pixels of either depth through a lock, so tests speak in plain numbers.
struct Pixels {
    static void Fill(Surface& s, const std::vector<uint32_t>& values)
    {
        SurfaceLock lock;
        ASSERT_EQ(s.Lock(lock), DisplayError::Ok);
        for (int y = 0; y < lock.mHeight; ++y)
            for (int x = 0; x < lock.mWidth; ++x) {
                uint32_t v = values[size_t(y) * lock.mWidth + x];
                uint8_t* row = lock.mBits + y * lock.mPitch;
                if (lock.mFormat.mBitsPerPixel == 16)
                    reinterpret_cast<uint16_t*>(row)[x] = uint16_t(v);
                else
                    reinterpret_cast<uint32_t*>(row)[x] = v;
            }
        s.Unlock();
    }
    static std::vector<uint32_t> Read(Surface& s)
    {
        std::vector<uint32_t> out;
        SurfaceLock lock;
        EXPECT_EQ(s.Lock(lock), DisplayError::Ok);
        for (int y = 0; y < lock.mHeight; ++y)
            for (int x = 0; x < lock.mWidth; ++x) {
                const uint8_t* row = lock.mBits + y * lock.mPitch;
                out.push_back(lock.mFormat.mBitsPerPixel == 16 ? reinterpret_cast<const uint16_t*>(row)[x]
                                                               : reinterpret_cast<const uint32_t*>(row)[x]);
            }
        s.Unlock();
        return out;
    }
};

class SurfaceDepthTest : public ::testing::TestWithParam<SurfaceFormat>
{
};

} // namespace

TEST(SurfaceTest, LockGivesPitchFormatAndRefusesNesting)
{
    Surface s(3, 2, SurfaceFormat::Rgb565(), SurfaceCaps::OffscreenPlain);
    SurfaceLock lock;
    ASSERT_EQ(s.Lock(lock), DisplayError::Ok);
    EXPECT_EQ(lock.mWidth, 3);
    EXPECT_EQ(lock.mHeight, 2);
    EXPECT_GE(lock.mPitch, 6);
    EXPECT_EQ(lock.mFormat.mRedMask, 0xF800u);
    SurfaceLock again;
    EXPECT_EQ(s.Lock(again), DisplayError::SurfaceBusy);
    EXPECT_EQ(s.Unlock(), DisplayError::Ok);
    EXPECT_EQ(s.Unlock(), DisplayError::NotLocked);
}

TEST(SurfaceTest, LostSurfaceRefusesLocksAndBlitsUntilRestored)
{
    Surface a(2, 2, SurfaceFormat::Xrgb8888(), 0);
    Surface b(2, 2, SurfaceFormat::Xrgb8888(), 0);
    Pixels::Fill(b, {1, 2, 3, 4});
    a.MarkLost();
    SurfaceLock lock;
    EXPECT_EQ(a.Lock(lock), DisplayError::SurfaceLost);
    EXPECT_EQ(a.Blit(nullptr, b, nullptr), DisplayError::SurfaceLost);
    EXPECT_EQ(b.Blit(nullptr, a, nullptr), DisplayError::SurfaceLost);
    a.Restore();
    EXPECT_EQ(a.Blit(nullptr, b, nullptr), DisplayError::Ok);
    EXPECT_EQ(Pixels::Read(a), (std::vector<uint32_t>{1, 2, 3, 4}));
}

TEST(SurfaceTest, InjectedLockFailuresRunOut)
{
    Surface s(1, 1, SurfaceFormat::Rgb555(), 0);
    s.FailNextLocks(2, DisplayError::CantLockSurface);
    SurfaceLock lock;
    EXPECT_EQ(s.Lock(lock), DisplayError::CantLockSurface);
    EXPECT_EQ(s.Lock(lock), DisplayError::CantLockSurface);
    EXPECT_EQ(s.Lock(lock), DisplayError::Ok);
}

TEST(SurfaceTest, BlitRefusals)
{
    Surface a(4, 4, SurfaceFormat::Rgb565(), 0);
    Surface b(4, 4, SurfaceFormat::Rgb565(), 0);
    Surface wide(4, 4, SurfaceFormat::Xrgb8888(), 0);
    struct Case {
        SurfaceRect dst, src;
        DisplayResult expected;
    } cases[] = {
        {{0, 0, 4, 4}, {0, 0, 4, 4}, DisplayError::Ok},
        {{0, 0, 5, 4}, {0, 0, 4, 4}, DisplayError::InvalidRect},
        {{-1, 0, 3, 4}, {0, 0, 4, 4}, DisplayError::InvalidRect},
        {{0, 0, 4, 4}, {0, 2, 4, 6}, DisplayError::InvalidRect},
        {{2, 2, 2, 4}, {0, 0, 4, 4}, DisplayError::InvalidRect},
    };
    for (const Case& c : cases)
        EXPECT_EQ(a.Blit(&c.dst, b, &c.src), c.expected) << c.dst.mLeft << "," << c.dst.mRight;
    EXPECT_EQ(a.Blit(nullptr, wide, nullptr), DisplayError::UnsupportedFormat);
    SurfaceLock lock;
    ASSERT_EQ(a.Lock(lock), DisplayError::Ok);
    EXPECT_EQ(a.Blit(nullptr, b, nullptr), DisplayError::SurfaceBusy);
    a.Unlock();
}

TEST_P(SurfaceDepthTest, PlainCopyHonoursPitchAndPlacement)
{
    Surface dst(5, 3, GetParam(), 0);
    Surface src(3, 2, GetParam(), 0);
    Pixels::Fill(dst, std::vector<uint32_t>(15, 9));
    Pixels::Fill(src, {1, 2, 3, 4, 5, 6});
    SurfaceRect d{2, 1, 4, 3}, s{1, 0, 3, 2};
    ASSERT_EQ(dst.Blit(&d, src, &s), DisplayError::Ok);
    EXPECT_EQ(Pixels::Read(dst), (std::vector<uint32_t>{9, 9, 9, 9, 9, 9, 9, 2, 3, 9, 9, 9, 5, 6, 9}));
}

TEST_P(SurfaceDepthTest, KeyedCopySkipsKeyPixelsOnlyWhenAsked)
{
    Surface dst(4, 1, GetParam(), 0);
    Surface src(4, 1, GetParam(), 0);
    Pixels::Fill(src, {7, 1, 7, 2});
    src.SetSourceColorKey(7);
    Pixels::Fill(dst, {9, 9, 9, 9});
    ASSERT_EQ(dst.Blit(nullptr, src, nullptr, BlitFlags::KeySource), DisplayError::Ok);
    EXPECT_EQ(Pixels::Read(dst), (std::vector<uint32_t>{9, 1, 9, 2}));
    ASSERT_EQ(dst.Blit(nullptr, src, nullptr), DisplayError::Ok);
    EXPECT_EQ(Pixels::Read(dst), (std::vector<uint32_t>{7, 1, 7, 2}));
}

TEST_P(SurfaceDepthTest, StretchUsesNearestSixteenSixteenSteps)
{
    Surface src(2, 2, GetParam(), 0);
    Pixels::Fill(src, {1, 2, 3, 4});
    Surface up(4, 4, GetParam(), 0);
    ASSERT_EQ(up.Blit(nullptr, src, nullptr), DisplayError::Ok);
    EXPECT_EQ(Pixels::Read(up), (std::vector<uint32_t>{1, 1, 2, 2, 1, 1, 2, 2, 3, 3, 4, 4, 3, 3, 4, 4}));

    // 5 source pixels into 3: step trunc(5 * 65536 / 3) picks columns 0, 1 and 3.
    Surface row(5, 1, GetParam(), 0);
    Pixels::Fill(row, {10, 11, 12, 13, 14});
    Surface down(3, 1, GetParam(), 0);
    ASSERT_EQ(down.Blit(nullptr, row, nullptr), DisplayError::Ok);
    EXPECT_EQ(Pixels::Read(down), (std::vector<uint32_t>{10, 11, 13}));
}

TEST_P(SurfaceDepthTest, KeyedStretchSkipsKeyPixels)
{
    Surface src(2, 1, GetParam(), 0);
    Pixels::Fill(src, {5, 6});
    src.SetSourceColorKey(5);
    Surface dst(4, 1, GetParam(), 0);
    Pixels::Fill(dst, {1, 1, 1, 1});
    ASSERT_EQ(dst.Blit(nullptr, src, nullptr, BlitFlags::KeySource), DisplayError::Ok);
    EXPECT_EQ(Pixels::Read(dst), (std::vector<uint32_t>{1, 1, 6, 6}));
}

TEST_P(SurfaceDepthTest, OverlappingBlitWithinOneSurfaceReadsTheOldPicture)
{
    Surface s(4, 1, GetParam(), 0);
    Pixels::Fill(s, {1, 2, 3, 4});
    SurfaceRect d{1, 0, 4, 1}, src{0, 0, 3, 1};
    ASSERT_EQ(s.Blit(&d, s, &src), DisplayError::Ok);
    EXPECT_EQ(Pixels::Read(s), (std::vector<uint32_t>{1, 1, 2, 3}));
}

INSTANTIATE_TEST_SUITE_P(Depths, SurfaceDepthTest,
                         ::testing::Values(SurfaceFormat::Rgb565(), SurfaceFormat::Xrgb8888()));

TEST(SurfaceTest, KeyCompareIgnoresBitsOutsideTheChannels)
{
    // A 32-bit key may carry an alpha byte; pixels match it by their colour bits only.
    Surface src(2, 1, SurfaceFormat::Xrgb8888(), 0);
    Pixels::Fill(src, {0x00123456, 0x00FFFFFF});
    src.SetSourceColorKey(0x7F123456);
    Surface dst(2, 1, SurfaceFormat::Xrgb8888(), 0);
    ASSERT_EQ(dst.Blit(nullptr, src, nullptr, BlitFlags::KeySource), DisplayError::Ok);
    EXPECT_EQ(Pixels::Read(dst), (std::vector<uint32_t>{0, 0x00FFFFFF}));
}

TEST(SurfaceTest, FlipSwapsPrimaryAndBackBuffer)
{
    Surface primary(2, 1, SurfaceFormat::Rgb565(), SurfaceCaps::Primary);
    EXPECT_EQ(primary.Flip(), DisplayError::NotFlippable);
    auto back = std::make_shared<Surface>(2, 1, SurfaceFormat::Rgb565(), SurfaceCaps::BackBuffer);
    primary.AttachBackBuffer(back);
    Pixels::Fill(primary, {1, 2});
    Pixels::Fill(*back, {3, 4});
    ASSERT_EQ(primary.Flip(), DisplayError::Ok);
    EXPECT_EQ(Pixels::Read(primary), (std::vector<uint32_t>{3, 4}));
    EXPECT_EQ(Pixels::Read(*back), (std::vector<uint32_t>{1, 2}));
}
