// MemoryImage storage: alpha scan, run-length and premultiplied tables, palette form, purge and copies.
#include <gtest/gtest.h>

#include <numeric>

#include "TestImages.h"
#include "graphics/MemoryImage.h"
#include "graphics/NativeDisplay.h"

using namespace Olvarn;
using namespace graphicstest;

namespace
{

// An image that belongs to a display of the given format, as display images do.
class DisplayImage : public MemoryImage
{
public:
    explicit DisplayImage(const NativeDisplay& format) : mFormat(format) {}
    const NativeDisplay* DisplayFormat() const override { return &mFormat; }
    NativeDisplay mFormat;
};

std::vector<unsigned char> Runs(const unsigned char* table, int count)
{
    return {table, table + count};
}

} // namespace

TEST(MemoryImageAlphaScan, FlagsFollowThePixels)
{
    struct Case {
        std::vector<uint32_t> pixels;
        bool trans, alpha;
    } cases[] = {
        {{Argb(0, 1, 2, 3), Argb(255, 4, 5, 6)}, true, false},
        {{Argb(0, 1, 2, 3), Argb(128, 4, 5, 6)}, true, true},
        {{Argb(255, 1, 2, 3), Argb(254, 4, 5, 6)}, false, true},
        {{Argb(255, 1, 2, 3)}, false, false},
        {{Argb(1, 0, 0, 0)}, false, true},
    };
    for (const Case& c : cases) {
        MemoryImage image = FromPixels(static_cast<int>(c.pixels.size()), 1, c.pixels);
        EXPECT_EQ(image.mHasTrans, c.trans);
        EXPECT_EQ(image.mHasAlpha, c.alpha);
    }
}

TEST(MemoryImageAlphaScan, ForcedFlagsSurviveChangesAndCopies)
{
    MemoryImage image = Filled(2, 2, Argb(0, 0, 0, 0));
    image.SetAlphaFlags(false, false);
    image.BitsChanged();
    image.CommitBits();
    EXPECT_FALSE(image.mHasTrans);
    EXPECT_FALSE(image.mHasAlpha);
    MemoryImage copy(image);
    EXPECT_TRUE(copy.mForced);
    EXPECT_FALSE(copy.mHasTrans);
}

TEST(MemoryImageAlphaScan, NoPixelFormMeansTransparent)
{
    MemoryImage image;
    image.Create(3, 3);
    image.mHasTrans = false;
    image.CommitBits();
    EXPECT_TRUE(image.mHasTrans);
    EXPECT_FALSE(image.mHasAlpha);
}

TEST(MemoryImageStorage, CreateGivesZeroPixelsWithGuardWord)
{
    MemoryImage image;
    image.Create(3, 2);
    EXPECT_TRUE(image.mHasTrans);
    EXPECT_TRUE(image.mHasAlpha);
    EXPECT_EQ(image.mBits, nullptr);
    uint32_t* bits = image.GetBits();
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(bits[i], 0u);
    EXPECT_EQ(bits[6], MemoryImage::kGuardWord);
}

TEST(MemoryImageStorage, EmptySizesHoldNoPixels)
{
    for (auto [w, h] : {std::pair{0, 0}, std::pair{0, 5}, std::pair{5, 0}}) {
        MemoryImage image;
        image.SetBits(nullptr, w, h);
        EXPECT_EQ(image.PixelCount(), 0);
        EXPECT_EQ(image.GetBits()[0], MemoryImage::kGuardWord);
        EXPECT_FALSE(image.Palettize());
        image.BuildRLAlpha();
        image.BuildNativeAlpha(NativeDisplay::Format888());
        image.ClearBits();
    }
    MemoryImage bad;
    EXPECT_THROW(bad.SetBits(nullptr, -1, 4), std::length_error);
    EXPECT_THROW(bad.Create(1 << 20, 1 << 20), std::length_error);
}

TEST(MemoryImageStorage, BitsChangedDropsTablesAndCounts)
{
    MemoryImage image = Filled(4, 1, Argb(255, 9, 9, 9));
    image.BuildRLAlpha();
    image.BuildNativeAlpha(NativeDisplay::Format888());
    image.BuildRLAdditive(NativeDisplay::Format888());
    int before = image.mBitsChangedCount;
    image.BitsChanged();
    EXPECT_EQ(image.mBitsChangedCount, before + 1);
    EXPECT_EQ(image.mRLAlphaData, nullptr);
    EXPECT_EQ(image.mNativeAlphaData, nullptr);
    EXPECT_EQ(image.mRLAdditiveData, nullptr);
    EXPECT_TRUE(image.mBitsChanged);
}

TEST(MemoryImageRunLengths, AlphaClassesPerRow)
{
    MemoryImage image =
        FromPixels(5, 2,
                   {Argb(0, 0, 0, 0), Argb(0, 1, 1, 1), Argb(255, 0, 0, 0), Argb(128, 0, 0, 0), Argb(7, 0, 0, 0),
                    Argb(255, 0, 0, 0), Argb(255, 0, 0, 0), Argb(255, 0, 0, 0), Argb(0, 0, 0, 0), Argb(0, 0, 0, 0)});
    // Runs never cross rows: the second row's opaque run does not join the first row's.
    EXPECT_EQ(Runs(image.BuildRLAlpha(), 10), (std::vector<unsigned char>{2, 1, 1, 2, 1, 3, 2, 1, 2, 1}));
}

TEST(MemoryImageRunLengths, LongRunsAreCappedAt255)
{
    MemoryImage image = Filled(300, 1, Argb(255, 1, 2, 3));
    const unsigned char* runs = image.BuildRLAlpha();
    for (int i = 0; i < 46; ++i)
        EXPECT_EQ(runs[i], 255) << i;
    for (int i = 46; i < 300; ++i)
        EXPECT_EQ(runs[i], 300 - i) << i;
}

TEST(MemoryImageRunLengths, OnePixelWideIsAllOnes)
{
    MemoryImage image = FromPixels(1, 4, {Argb(255, 0, 0, 0), Argb(255, 0, 0, 0), Argb(0, 0, 0, 0), Argb(9, 9, 9, 9)});
    EXPECT_EQ(Runs(image.BuildRLAlpha(), 4), (std::vector<unsigned char>{1, 1, 1, 1}));
    EXPECT_EQ(Runs(image.BuildRLAdditive(NativeDisplay::Format565()), 4), (std::vector<unsigned char>{1, 1, 1, 1}));
}

TEST(MemoryImageRunLengths, AdditiveSplitsBlackFromColour)
{
    // Alpha 0 premultiplies any colour to black; a tiny colour cut to 5 bits is black too.
    MemoryImage image = FromPixels(
        5, 1,
        {Argb(255, 0, 0, 0), Argb(0, 255, 255, 255), Argb(255, 4, 0, 0), Argb(255, 255, 0, 0), Argb(128, 0, 0, 200)});
    EXPECT_EQ(Runs(image.BuildRLAdditive(NativeDisplay::Format565()), 5), (std::vector<unsigned char>{3, 2, 1, 2, 1}));
}

TEST(MemoryImageNativeAlpha, PremultipliesIntoTheScreenLayout)
{
    uint32_t pixel = Argb(128, 255, 0, 0);
    MemoryImage image = FromPixels(1, 1, {pixel});
    EXPECT_EQ(image.BuildNativeAlpha(NativeDisplay::Format888())[0], Argb(128, 128, 0, 0));

    MemoryImage image565 = FromPixels(1, 1, {pixel});
    uint32_t entry = image565.BuildNativeAlpha(NativeDisplay::Format565())[0];
    EXPECT_EQ((entry & 0xF800) >> 11, 16u);
    EXPECT_EQ(entry >> 24, 128u);

    MemoryImage image555 = FromPixels(1, 1, {Argb(255, 255, 255, 255)});
    EXPECT_EQ(image555.BuildNativeAlpha(NativeDisplay::Format555())[0], 0xFF007FFFu);
}

// Every channel is c * (a + 1) / 256 cut to the screen's bits, whatever the layout; the usual layouts
// have a loop of their own, so each is checked over pictures long enough for vector code and its tail.
TEST(MemoryImageNativeAlpha, EveryLayoutFollowsOneRule)
{
    NativeDisplay bgr;
    bgr.SetFormat(32, 0xFF, 0xFF00, 0xFF0000);
    const NativeDisplay layouts[] = {NativeDisplay::Format565(), NativeDisplay::Format555(), NativeDisplay::Format888(),
                                     bgr};
    std::vector<uint32_t> pixels;
    uint32_t seed = 12345;
    for (int i = 0; i < 1000; ++i) {
        seed = seed * 1664525u + 1013904223u;
        pixels.push_back(seed);
    }
    for (uint32_t a : {0u, 1u, 127u, 128u, 254u, 255u})
        pixels.push_back(a << 24 | 0xFFFFFF);
    auto channel = [](uint32_t c, uint32_t a, int bits, int shift) {
        return ((c * (a + 1)) >> 8) >> (8 - bits) << shift;
    };
    for (const NativeDisplay& f : layouts) {
        SCOPED_TRACE(f.mRedMask);
        MemoryImage image = FromPixels(int(pixels.size()), 1, pixels);
        const uint32_t* table = image.BuildNativeAlpha(f);
        for (size_t i = 0; i < pixels.size(); ++i) {
            const uint32_t p = pixels[i], a = p >> 24;
            const uint32_t expected = channel(p >> 16 & 0xFF, a, f.mRedBits, f.mRedShift) |
                                      channel(p >> 8 & 0xFF, a, f.mGreenBits, f.mGreenShift) |
                                      channel(p & 0xFF, a, f.mBlueBits, f.mBlueShift) | a << 24;
            ASSERT_EQ(table[i], expected) << "pixel " << i;
        }
    }
}

TEST(MemoryImageNativeAlpha, PurgedPixelsComeBackFromTheTable)
{
    struct Case {
        NativeDisplay format;
        uint32_t pixel, expected;
    } cases[] = {
        {NativeDisplay::Format888(), Argb(128, 255, 0, 0), Argb(128, 254, 0, 0)},
        {NativeDisplay::Format888(), Argb(255, 10, 20, 30), Argb(255, 10, 20, 30)},
        {NativeDisplay::Format565(), Argb(255, 255, 255, 255), Argb(255, 248, 252, 248)},
        {NativeDisplay::Format565(), Argb(128, 255, 0, 0), Argb(128, 248, 0, 0)},
    };
    for (const Case& c : cases) {
        DisplayImage image(c.format);
        image.SetBits(&c.pixel, 1, 1);
        image.PurgeBits();
        EXPECT_EQ(image.mBits, nullptr);
        ASSERT_NE(image.mNativeAlphaData, nullptr);
        EXPECT_EQ(image.GetBits()[0], c.expected);
        EXPECT_EQ(image.GetBits()[1], MemoryImage::kGuardWord);
        EXPECT_NE(image.mNativeAlphaData, nullptr);
    }
}

TEST(MemoryImageNativeAlpha, ImageWithoutDisplayKeepsItsPixelsOnPurge)
{
    MemoryImage image = Filled(2, 2, Argb(255, 1, 2, 3));
    image.PurgeBits();
    EXPECT_TRUE(image.mPurgeBits);
    ASSERT_NE(image.mBits, nullptr);
    EXPECT_EQ(At(image, 1, 1), Argb(255, 1, 2, 3));
}

TEST(MemoryImageNativeAlpha, DerivedTablesGoWithoutLosingThePicture)
{
    DisplayImage image(NativeDisplay::Format888());
    uint32_t pixels[2] = {Argb(255, 1, 2, 3), Argb(255, 4, 5, 6)};
    image.SetBits(pixels, 2, 1);
    image.PurgeBits();
    image.DeleteDerivedTables();
    EXPECT_EQ(image.mNativeAlphaData, nullptr);
    EXPECT_EQ(Pixels(image), (std::vector<uint32_t>{pixels[0], pixels[1]}));

    image.PurgeBits();
    image.DeleteNativeData();
    EXPECT_EQ(Pixels(image), (std::vector<uint32_t>{pixels[0], pixels[1]}));
}

TEST(MemoryImagePalette, RoundTripsExactly)
{
    std::vector<uint32_t> pixels;
    for (int i = 0; i < 256; ++i)
        pixels.push_back(Argb(255, i, 255 - i, (i * 7) & 0xFF));
    std::reverse(pixels.begin(), pixels.end());
    pixels.push_back(pixels[3]);
    MemoryImage image = FromPixels(257, 1, pixels);
    ASSERT_TRUE(image.Palettize());
    EXPECT_EQ(image.mBits, nullptr);
    EXPECT_TRUE(image.mWantPal);
    EXPECT_EQ(image.mPalette[0], pixels[0]);
    EXPECT_EQ(image.mColorIndices[256], 3);
    EXPECT_TRUE(image.Palettize());
    EXPECT_EQ(Pixels(image), pixels);
    EXPECT_EQ(image.mColorIndices, nullptr);
    EXPECT_EQ(image.GetBits()[257], MemoryImage::kGuardWord);
}

TEST(MemoryImagePalette, The257thColourFails)
{
    std::vector<uint32_t> pixels(257);
    std::iota(pixels.begin(), pixels.end(), 0xFF000000u);
    MemoryImage image = FromPixels(257, 1, pixels);
    uint32_t* before = image.GetBits();
    EXPECT_FALSE(image.Palettize());
    EXPECT_FALSE(image.mWantPal);
    EXPECT_EQ(image.GetBits(), before);
    EXPECT_EQ(Pixels(image), pixels);
    EXPECT_EQ(image.mPalette, nullptr);
}

TEST(MemoryImagePalette, UnusedEntriesInventNoTransparency)
{
    MemoryImage image = FromPixels(2, 1, {Argb(255, 1, 1, 1), Argb(255, 2, 2, 2)});
    ASSERT_TRUE(image.Palettize());
    image.BitsChanged();
    image.CommitBits();
    EXPECT_FALSE(image.mHasTrans);
    EXPECT_FALSE(image.mHasAlpha);
    // The palette form feeds the tables directly.
    EXPECT_EQ(Runs(image.BuildRLAlpha(), 2), (std::vector<unsigned char>{2, 1}));
    EXPECT_EQ(image.BuildNativeAlpha(NativeDisplay::Format888())[1], Argb(255, 2, 2, 2));
}

TEST(MemoryImageStorage, StorageOptionsApplyOnRequest)
{
    DisplayImage image(NativeDisplay::Format888());
    uint32_t pixels[3] = {Argb(255, 1, 2, 3), Argb(255, 4, 5, 6), Argb(255, 1, 2, 3)};
    image.SetBits(pixels, 3, 1);
    image.mWantPal = true;
    image.mPurgeBits = true;
    image.ApplyStorageOptions();
    EXPECT_EQ(image.mBits, nullptr);
    EXPECT_NE(image.mColorIndices, nullptr);
    EXPECT_EQ(Pixels(image), (std::vector<uint32_t>{pixels[0], pixels[1], pixels[2]}));
}

TEST(MemoryImageStorage, CopiesAreIndependentInEveryForm)
{
    MemoryImage plain = FromPixels(2, 1, {Argb(255, 1, 2, 3), Argb(0, 0, 0, 0)});
    plain.BuildRLAlpha();
    MemoryImage copy(plain);
    EXPECT_NE(copy.mBits.get(), plain.mBits.get());
    EXPECT_EQ(Pixels(copy), Pixels(plain));
    ASSERT_NE(copy.mRLAlphaData, nullptr);
    EXPECT_EQ(copy.mRLAlphaData[0], 1);
    EXPECT_TRUE(copy.mHasTrans);
    copy.ClearBits();
    EXPECT_EQ(At(plain, 0, 0), Argb(255, 1, 2, 3));
    EXPECT_EQ(At(copy, 0, 0), 0u);

    MemoryImage palettized = FromPixels(2, 1, {Argb(255, 1, 2, 3), Argb(255, 9, 9, 9)});
    ASSERT_TRUE(palettized.Palettize());
    MemoryImage paletteCopy(palettized);
    EXPECT_EQ(paletteCopy.mBits, nullptr);
    EXPECT_EQ(Pixels(paletteCopy), (std::vector<uint32_t>{Argb(255, 1, 2, 3), Argb(255, 9, 9, 9)}));

    DisplayImage purged(NativeDisplay::Format888());
    uint32_t pixel = Argb(255, 7, 8, 9);
    purged.SetBits(&pixel, 1, 1);
    purged.PurgeBits();
    MemoryImage purgedCopy(purged);
    EXPECT_EQ(purged.mBits, nullptr);
    EXPECT_EQ(At(purgedCopy, 0, 0), pixel);
}
