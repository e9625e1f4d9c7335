// Texture sizes, the cutting of images into texture pieces, texel conversions, and reading a picture
// back from the card when only its textures hold it.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "Hardware3DSupport.h"
#include "graphics/D3DInterface.h"
#include "graphics/DDTestSupport.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"

using namespace Olvarn;

namespace
{

class TextureLimitsScope
{
public:
    TextureLimitsScope(int max, int min, int aspect) : mSaved(GetTextureLimits())
    {
        GetTextureLimits() = TextureLimits{max, max, min, min, aspect};
    }
    ~TextureLimitsScope() { GetTextureLimits() = mSaved; }

private:
    TextureLimits mSaved;
};

TEST(TextureSize, SizeTableKeepsWasteSmallOrCutsIntoPieces)
{
    TextureLimitsScope limits(1024, 1, 65536);
    const int cases[][2] = {{100, 128}, {129, 128}, {300, 256}, {400, 128},   {480, 512},
                            {600, 64},  {640, 512}, {800, 256}, {1000, 1024}, {1, 1}};
    for (const auto& c : cases) {
        int w = c[0], h = c[0];
        GetBestTextureSize(w, h, false, true, 0);
        EXPECT_EQ(w, c[1]) << "size " << c[0];
    }
}

TEST(TextureSize, LayoutOfPieces)
{
    struct Case {
        int max, min, aspect, width, height, flags;
        std::vector<std::pair<int, int>> pieces;
        int columns;
    };
    const Case cases[] = {
        {1024, 1, 8, 640, 480, 0, {{512, 512}, {128, 512}}, 2},
        {1024, 1, 8, 64, 64, 0, {{64, 64}}, 1},
        {1024, 1, 8, 800, 600, MemoryImage::TEXFLAG_MINSUBDIVIDE, {{1024, 1024}}, 1},
        {1024, 1, 1, 100, 30, 0, {{128, 128}}, 1},
        // A device that reports no maximum keeps the fixed 64 x 64 textures.
        {64, 64, 1, 100, 30, 0, {{64, 64}, {64, 64}}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        TextureLimitsScope limits(c.max, c.min, c.aspect);
        ImageTextureSet set;
        set.Layout(c.width, c.height, c.flags);
        EXPECT_EQ(set.mColumns, c.columns);
        ASSERT_EQ(set.mPieces.size(), c.pieces.size());
        for (size_t i = 0; i < c.pieces.size(); ++i) {
            EXPECT_EQ(set.mPieces[i].mWidth, c.pieces[i].first) << "piece " << i;
            EXPECT_EQ(set.mPieces[i].mHeight, c.pieces[i].second) << "piece " << i;
        }
    }

    TextureLimitsScope limits(1024, 1, 8);
    ImageTextureSet set;
    set.Layout(800, 600, 0);
    EXPECT_EQ(set.mPieceWidth, 256);
    EXPECT_EQ(set.mPieceHeight, 64);
    EXPECT_EQ(set.mColumns, 4);
    EXPECT_EQ(set.mRows, 10);
    EXPECT_EQ(set.GetPiece(3, 0)->mWidth, 32);
    EXPECT_EQ(set.GetPiece(0, 9)->mHeight, 32);
    // A source rectangle crossing into the last column is cut at the piece's texture.
    ImageTextureSet::PieceArea a = set.Lookup(700, 130, 200, 10);
    EXPECT_EQ(a.mIndex, 2 * 4 + 2);
    EXPECT_EQ(a.mWidth, 256 - 700 % 256);
    EXPECT_FLOAT_EQ(a.mU0, float(700 % 256) / 256);
    EXPECT_FLOAT_EQ(a.mV0, 2.0f / 64);
}

TEST(TextureTexels, QuantisedKindsComeBackWithTheirAlpha)
{
    // A4R4G4B4 keeps its alpha nibble on the way back; R5G6B5 is opaque.
    EXPECT_EQ(ReadBackTexel(QuantizeTexel(0x80FF8040, TEXKIND_A4R4G4B4), TEXKIND_A4R4G4B4), 0x88F08040u);
    EXPECT_EQ(ReadBackTexel(QuantizeTexel(0x00000000, TEXKIND_A4R4G4B4), TEXKIND_A4R4G4B4), 0x00000000u);
    EXPECT_EQ(ReadBackTexel(QuantizeTexel(0x12FF8040, TEXKIND_R5G6B5), TEXKIND_R5G6B5), 0xFFF88040u);
    EXPECT_EQ(QuantizeTexel(0x80FF8040, TEXKIND_A8R8G8B8), 0x80FF8040u);
}

class ReadBackTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string why;
        if (!d3dtest::GLContextAvailable(why))
            GTEST_SKIP() << "no OpenGL context on this machine: " << why;
        device.dd->mApp = &host;
        host.mDevice = device.dd.get();
        host.mIs3D = true;
        device.dd->Set3DEnabled(true);
        ASSERT_EQ(device.Start(), DDInterface::RESULT_OK) << device.dd->mErrorString;
    }
    void TearDown() override { host.mDevice = nullptr; }

    d3dtest::MemoryHost host;
    ddtest::FakeDevice device{SurfaceFormat::Xrgb8888(), 64, 48};
};

TEST_F(ReadBackTest, PurgedPicturesComeBackFromTheirTextures)
{
    struct Case {
        const char* name;
        int flags;
        uint32_t pixel;
        uint32_t expected;
    };
    const Case cases[] = {
        {"32-bit", MemoryImage::TEXFLAG_A8R8G8B8, 0x80FF8040, 0x80FF8040},
        {"16-bit with alpha", MemoryImage::TEXFLAG_A4R4G4B4, 0x80FF8040, 0x88F08040},
        {"opaque 16-bit", 0, 0xFF336699, 0xFF306498},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryImage image(&host);
        // Wider than one piece, so that the pieces are put together again.
        std::vector<uint32_t> bits(size_t(300 * 5), c.pixel);
        bits[299] = c.pixel ^ 0x00FFFFFF;
        image.SetBits(bits.data(), 300, 5);
        image.mTextureFlags = c.flags;
        image.mPurgeBits = true;
        D3DInterface* renderer = device.dd->GetD3DInterface();
        ASSERT_TRUE(renderer->PrepareImageTextures(&image));
        ASSERT_EQ(image.mBits, nullptr) << "the textures hold the picture alone";
        const uint32_t* back = image.GetBits();
        EXPECT_EQ(back[0], c.expected);
        EXPECT_EQ(back[150], c.expected);
        EXPECT_EQ(back[299], ReadBackTexel(QuantizeTexel(c.pixel ^ 0x00FFFFFF, image.mTextureSet->mKind),
                                           image.mTextureSet->mKind));
        // A changed picture goes up again into the same textures.
        const int changes = image.mBitsChangedCount;
        image.GetBits()[0] = 0xFF000000;
        image.BitsChanged();
        ASSERT_TRUE(renderer->PrepareImageTextures(&image));
        EXPECT_EQ(image.mTextureSet->mBitsChangedCount, changes + 1);
    }
}

TEST_F(ReadBackTest, TexturesReleasedOffTheDrawingThreadGoAtTheNextDraw)
{
    D3DInterface* renderer = device.dd->GetD3DInterface();
    Device3D* card = renderer->GetDevice();
    const uint64_t bare = card->GetVideoMemoryInUse();
    MemoryImage image(&host);
    std::vector<uint32_t> bits(size_t(100 * 100), 0xFF123456);
    image.SetBits(bits.data(), 100, 100);
    ASSERT_TRUE(renderer->PrepareImageTextures(&image));
    ASSERT_GT(card->GetVideoMemoryInUse(), bare);

    std::thread loader([&] { device.dd->ReleaseImageTextures(&image); });
    loader.join();
    EXPECT_EQ(image.mTextureSet, nullptr);
    int images = -1;
    EXPECT_EQ(renderer->TextureMemory(0, &images), 0u);
    EXPECT_EQ(images, 0);
    EXPECT_GT(card->GetVideoMemoryInUse(), bare) << "the card is not touched from another thread";

    renderer->FillRect(Rect(0, 0, 4, 4), Color::White, Graphics::DRAWMODE_NORMAL);
    EXPECT_EQ(card->GetVideoMemoryInUse(), bare);
}

} // namespace
