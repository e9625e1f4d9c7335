// The drawing context: state, clipping and translation, and which destination operation each draw reaches.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "DrawingSeed.h"
#include "TestImages.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "graphics/Matrix3.h"
#include "graphics/Transform2D.h"

using namespace Olvarn;
using namespace graphicstest;
using ::testing::_;
using ::testing::Eq;
using ::testing::InSequence;

namespace
{

class MockImage : public Image
{
public:
    MockImage(int w, int h)
    {
        mWidth = w;
        mHeight = h;
    }
    MOCK_METHOD(void, FillRect, (const Rect&, const Color&, DrawMode), (override));
    MOCK_METHOD(void, OutlineRect, (const Rect&, const Color&, DrawMode), (override));
    MOCK_METHOD(void, BlitImage, (Image*, int, int, const Rect&, const Color&, DrawMode), (override));
    MOCK_METHOD(void, BlitImageAtFloat, (Image*, float, float, const Rect&, const Rect&, const Color&, DrawMode),
                (override));
    MOCK_METHOD(void, BlitImageRotated,
                (Image*, float, float, const Rect&, const Rect&, const Color&, DrawMode, double, float, float),
                (override));
    MOCK_METHOD(void, BlitImageScaled, (Image*, const Rect&, const Rect&, const Rect&, const Color&, DrawMode, bool),
                (override));
    MOCK_METHOD(void, BlitImageScaledMirrored,
                (Image*, const Rect&, const Rect&, const Rect&, const Color&, DrawMode, bool), (override));
    MOCK_METHOD(void, BlitImageMatrix,
                (Image*, float, float, const Matrix3&, const Rect&, const Color&, DrawMode, const Rect&, bool),
                (override));
};

Image Source(int w, int h, int rows = 1, int cols = 1)
{
    Image image;
    image.mWidth = w;
    image.mHeight = h;
    image.mNumRows = rows;
    image.mNumCols = cols;
    return image;
}

constexpr auto kNormal = Graphics::DRAWMODE_NORMAL;

} // namespace

TEST(GraphicsState, NewContextDefaults)
{
    MockImage dest(30, 20);
    Graphics g(&dest);
    EXPECT_EQ(g.mDestImage, &dest);
    EXPECT_EQ(g.GetClipRect(), Rect(0, 0, 30, 20));
    EXPECT_EQ(g.GetColor(), Color(0, 0, 0, 255));
    EXPECT_EQ(g.GetFont(), nullptr);
    EXPECT_EQ(g.GetDrawMode(), kNormal);
    EXPECT_FALSE(g.mColorizeImages);
    EXPECT_FALSE(g.mFastStretch);
    EXPECT_TRUE(g.mWriteColoredString);
    EXPECT_FALSE(g.mLinearBlend);

    Graphics none(nullptr);
    EXPECT_EQ(none.mDestImage, Graphics::GetEmptyImage());
    EXPECT_EQ(none.GetClipRect(), Rect(0, 0, 0, 0));
}

TEST(GraphicsState, PushPopRestoresAndNests)
{
    MockImage dest(30, 20);
    Graphics g(&dest);
    g.PushState();
    g.Translate(5, 6);
    g.IntersectClip(0, 0, 10, 10);
    g.SetColor(Color(1, 2, 3, 4));
    {
        GraphicsStateSaver saver(g);
        g.SetDrawMode(Graphics::DRAWMODE_ADDITIVE);
        g.IntersectClip(0, 0, 2, 2);
        EXPECT_EQ(g.GetClipRect(), Rect(5, 6, 2, 2));
    }
    EXPECT_EQ(g.GetClipRect(), Rect(5, 6, 10, 10));
    EXPECT_EQ(g.GetDrawMode(), kNormal);
    g.PopState();
    EXPECT_EQ(g.GetClipRect(), Rect(0, 0, 30, 20));
    EXPECT_EQ(g.mTransX, 0);
    EXPECT_EQ(g.GetColor(), Color(0, 0, 0, 255));
    g.PopState();
    EXPECT_EQ(g.GetClipRect(), Rect(0, 0, 30, 20));

    g.PushState();
    Graphics copy(g);
    EXPECT_TRUE(copy.mStateStack.empty());
    std::unique_ptr<Graphics> clone(g.Clone());
    EXPECT_TRUE(clone->mStateStack.empty());
    EXPECT_EQ(clone->mDestImage, &dest);
}

TEST(GraphicsRects, FillRectClipsAndSkipsTransparent)
{
    MockImage dest(30, 20);
    Graphics g(&dest);
    g.Translate(3, 4);
    g.SetColor(Color(9, 9, 9, 0));
    EXPECT_CALL(dest, FillRect(_, _, _)).Times(0);
    g.FillRect(0, 0, 5, 5);
    ::testing::Mock::VerifyAndClearExpectations(&dest);

    g.SetColor(Color(9, 9, 9, 1));
    InSequence order;
    EXPECT_CALL(dest, FillRect(Rect(3, 4, 5, 5), Color(9, 9, 9, 1), kNormal));
    EXPECT_CALL(dest, FillRect(Rect(0, 0, 0, 0), _, _));
    g.FillRect(0, 0, 5, 5);
    // Wholly outside: still called, with the empty intersection.
    g.FillRect(100, 100, 5, 5);
}

TEST(GraphicsRects, DrawRectOutlinesInsideAndFillsAtTheEdge)
{
    MockImage dest(30, 20);
    Graphics g(&dest);
    g.SetColor(Color(1, 1, 1));
    EXPECT_CALL(dest, OutlineRect(Rect(0, 0, 10, 5), _, _)).Times(1);
    g.DrawRect(0, 0, 10, 5);
    ::testing::Mock::VerifyAndClearExpectations(&dest);

    EXPECT_CALL(dest, OutlineRect(_, _, _)).Times(0);
    EXPECT_CALL(dest, FillRect(_, _, _)).Times(4);
    g.DrawRect(25, 0, 10, 5);
}

TEST(GraphicsRects, BaseOutlineIsFourFills)
{
    MemoryImage image = Filled(6, 5, 0);
    Graphics g(&image);
    g.SetColor(Color(255, 0, 0));
    g.DrawRect(1, 1, 3, 2);
    std::string picture;
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 6; ++x)
            picture += At(image, x, y) ? '#' : '.';
        picture += '\n';
    }
    EXPECT_EQ(picture, "......\n.####.\n.#..#.\n.####.\n......\n");
}

TEST(GraphicsImages, DrawImageClipsTheSource)
{
    MockImage dest(30, 20);
    Image src = Source(10, 8);
    Graphics g(&dest);
    g.Translate(-3, 2);
    g.IntersectClip(0, 0, 30, 10);
    EXPECT_CALL(dest, BlitImage(&src, 0, 2, Rect(3, 0, 7, 8), Color::White, kNormal));
    g.DrawImage(&src, 0, 0);
    EXPECT_CALL(dest, BlitImage(_, _, _, _, _, _)).Times(0);
    g.DrawImage(&src, 100, 0);
    g.DrawImage(nullptr, 0, 0);
}

TEST(GraphicsImages, ModulateImagesPassesTheColour)
{
    MockImage dest(30, 20);
    Image src = Source(4, 4);
    Graphics g(&dest);
    g.SetColor(Color(10, 20, 30, 40));
    g.SetModulateImages(true);
    EXPECT_CALL(dest, BlitImage(&src, 0, 0, _, Color(10, 20, 30, 40), kNormal));
    g.DrawImage(&src, 0, 0);
}

TEST(GraphicsImages, RegionChecksAndCells)
{
    MockImage dest(100, 100);
    Image src = Source(40, 20, 2, 4);
    Graphics g(&dest);
    EXPECT_CALL(dest, BlitImage(_, _, _, _, _, _)).Times(0);
    g.DrawImageRegion(&src, 0, 0, Rect(0, 0, 41, 5));
    g.DrawImageRegion(&src, 0, 0, Rect(-1, 0, 5, 5));
    g.DrawImageCell(&src, 0, 0, 0, 2);
    g.DrawImageCell(&src, 0, 0, 4, 0);
    g.DrawImageCell(&src, 0, 0, -1, 0);
    ::testing::Mock::VerifyAndClearExpectations(&dest);

    EXPECT_CALL(dest, BlitImage(&src, 7, 8, Rect(10, 10, 10, 10), _, _));
    g.DrawImageCellByIndex(&src, 7, 8, 5);
}

TEST(GraphicsImages, TranslationTruncatesTowardZero)
{
    MockImage dest(100, 100);
    Image src = Source(4, 4);
    Graphics g(&dest);
    g.mTransX = -0.75f;
    g.mTransY = 0.75f;
    EXPECT_CALL(dest, BlitImage(&src, 10, 5, _, _, _));
    g.DrawImage(&src, 11, 5);
    EXPECT_CALL(dest, BlitImageAtFloat(&src, 1.25f, 2.75f, Rect(0, 0, 4, 4), Rect(0, 0, 100, 100), _, _));
    g.DrawImageAtFloat(&src, 2, 2, Rect(0, 0, 4, 4));
}

TEST(GraphicsImages, ScaledMirroredAndRotatedReachTheirOperations)
{
    MockImage dest(100, 100);
    Image src = Source(6, 4);
    Graphics g(&dest);
    g.Translate(1, 2);
    g.SetFastScaling(true);
    EXPECT_CALL(dest, BlitImageScaled(&src, Rect(11, 12, 30, 40), Rect(0, 0, 6, 4), _, _, _, true)).Times(2);
    g.DrawImageScaled(&src, 10, 10, 30, 40);
    g.DrawImageMirrored(&src, Rect(10, 10, 30, 40), Rect(0, 0, 6, 4), false);
    EXPECT_CALL(dest, BlitImageScaledMirrored(&src, Rect(11, 12, 30, 40), Rect(0, 0, 6, 4), _, _, _, true));
    g.DrawImageMirrored(&src, Rect(10, 10, 30, 40), Rect(0, 0, 6, 4), true);
    EXPECT_CALL(dest, BlitImageRotated(&src, 6.0f, 7.0f, Rect(0, 0, 6, 4), _, _, _, 0.5, 3.0f, 2.0f));
    g.DrawImageRotated(&src, 5, 5, 0.5);
    Rect region(0, 0, 5, 3);
    EXPECT_CALL(dest, BlitImageRotated(&src, 6.0f, 7.0f, region, _, _, _, 0.5, 2.0f, 1.0f));
    g.DrawImageRotatedInt(&src, 5, 5, 0.5, &region);
}

TEST(GraphicsTransformed, SnappedIdentityCentresOnThePosition)
{
    MockImage dest(100, 100);
    Image src = Source(8, 8);
    Graphics g(&dest);
    Transform2D identity;
    Rect region(0, 0, 4, 4);
    InSequence order;
    EXPECT_CALL(dest, BlitImage(&src, 8, 8, _, _, _));
    EXPECT_CALL(dest, BlitImage(&src, 0, 0, Rect(1, 1, 3, 3), _, _));
    g.DrawImageTransformedSnapped(&src, identity, region, 10, 10);
    // -1.5 truncates to -1, not -2: one column and row are cut by the clip.
    g.DrawImageTransformedSnapped(&src, identity, region, 0, 0);
}

TEST(GraphicsTransformed, DispatchByTransformKind)
{
    MockImage dest(100, 100);
    Image src = Source(8, 8);
    Graphics g(&dest);
    Rect region(0, 0, 4, 2);

    Transform2D moved;
    moved.Translate(3, 1);
    EXPECT_CALL(dest, BlitImageAtFloat(&src, 11.5f, 10.5f, region, _, _, _));
    g.DrawImageTransformed(&src, moved, region, 10, 10, true);

    Transform2D scaled;
    scaled.Scale(2, 3);
    EXPECT_CALL(dest, BlitImageScaled(&src, Rect(6, 4, 8, 6), region, _, _, _, _));
    g.DrawImageTransformed(&src, scaled, region, 10, 7, true);

    Transform2D turned;
    turned.Rotate(1.0f);
    EXPECT_CALL(dest, BlitImageRotated(&src, 8.5f, 9.5f, region, _, _, _, 1.0, 2.0f, 1.0f));
    g.DrawImageTransformed(&src, turned, region, 10, 10, true);
    EXPECT_CALL(dest, BlitImageRotated(&src, 8.0f, 9.0f, region, _, _, _, 1.0, 2.0f, 1.0f));
    g.DrawImageTransformed(&src, turned, region, 10, 10, false);

    Transform2D mirrored;
    mirrored.Scale(-1, 1);
    EXPECT_CALL(dest, BlitImageMatrix(&src, 10.0f, 10.0f, _, _, _, _, region, false));
    g.DrawImageTransformed(&src, mirrored, region, 10, 10, false);
}

TEST(GraphicsTransformed, NonFiniteTransformsDrawNothingHarmful)
{
    MemoryImage dest = Filled(8, 8, 0);
    MemoryImage src = Filled(4, 4, Argb(255, 1, 1, 1));
    Graphics g(&dest);
    Transform2D scaled;
    scaled.Scale(NAN, 1e30f);
    g.DrawImageTransformed(&src, scaled, Rect(0, 0, 4, 4), 3, 3, false);
    Transform2D turned;
    turned.Rotate(NAN);
    g.DrawImageTransformed(&src, turned, Rect(0, 0, 4, 4), 3, 3, true);
    g.DrawImageTransformed(&src, turned, Rect(0, 0, 4, 4), 3, 3, false);
    Transform2D identity;
    g.DrawImageTransformed(&src, identity, Rect(0, 0, 4, 4), NAN, 1e38f, false);
    EXPECT_EQ(Pixels(dest), std::vector<uint32_t>(64, 0));
    EXPECT_EQ(dest.GetBits()[64], MemoryImage::kGuardWord);
}

namespace
{

// Every pixel of a w x h picture holds its own coordinates, so each drawn piece can be traced to its source.
MemoryImage Coordinates(int w, int h)
{
    std::vector<uint32_t> bits;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            bits.push_back(Argb(255, x, y, 1));
    return FromPixels(w, h, bits);
}

} // namespace

TEST(GraphicsNineGrid, CornersStayAndMiddlesTile)
{
    MemoryImage src = Coordinates(10, 10);
    MemoryImage dest = Filled(20, 13, Argb(255, 0, 0, 0));
    Graphics g(&dest);
    g.DrawNineGrid(Rect(0, 0, 20, 13), &src);
    auto srcX = [&](int x, int y) { return (At(dest, x, y) >> 16) & 0xFF; };
    auto srcY = [&](int x, int y) { return (At(dest, x, y) >> 8) & 0xFF; };
    // Corners 3 wide, middle strip 4 wide tiled across 14 pixels: 3 4 5 6 3 4 5 6 ...
    std::vector<uint32_t> top;
    for (int x = 0; x < 20; ++x)
        top.push_back(srcX(x, 0));
    EXPECT_EQ(top, (std::vector<uint32_t>{0, 1, 2, 3, 4, 5, 6, 3, 4, 5, 6, 3, 4, 5, 6, 3, 4, 7, 8, 9}));
    std::vector<uint32_t> left;
    for (int y = 0; y < 13; ++y)
        left.push_back(srcY(0, y));
    EXPECT_EQ(left, (std::vector<uint32_t>{0, 1, 2, 3, 4, 5, 6, 3, 4, 5, 7, 8, 9}));
    EXPECT_EQ(srcX(10, 6), 6u);
    EXPECT_EQ(srcY(10, 6), 6u);
    EXPECT_EQ(dest.GetBits()[20 * 13], MemoryImage::kGuardWord);
}

TEST(GraphicsNineGrid, EmptyRegionAndHugeBoxes)
{
    MemoryImage src = Coordinates(10, 10);
    MemoryImage dest = Filled(20, 20, Argb(255, 0, 0, 0));
    Graphics g(&dest);
    g.DrawNineGridRegion(Rect(0, 0, 0, 5), Rect(0, 0, 20, 20), &src);
    g.DrawNineGridRegion(Rect(0, 0, 5, 0), Rect(0, 0, 20, 20), &src);
    EXPECT_EQ(Pixels(dest), std::vector<uint32_t>(400, Argb(255, 0, 0, 0)));
    // A box far larger than the clip only tiles where the clip is.
    g.DrawNineGridRegion(Rect(0, 0, 3, 3), Rect(-1000000000, -1000000000, 2000000000, 2000000000), &src);
    EXPECT_EQ(At(dest, 7, 7), Argb(255, 1, 1, 1));
}

TEST(GraphicsNineGrid, BoxesAtTheEndsOfIntRange)
{
    // Positions, sizes and tile offsets of such boxes leave int; what is visible is still exact.
    constexpr int kMax = std::numeric_limits<int>::max(), kMin = std::numeric_limits<int>::min();
    MemoryImage src = Coordinates(30, 30);
    const uint32_t black = Argb(255, 0, 0, 0);
    struct Case {
        Rect box;
        uint32_t at3, at12; // pixels (3, 3) and (12, 12)
    };
    const Case cases[] = {
        {Rect(0, 0, kMax, kMax), Argb(255, 3, 3, 1), Argb(255, 12, 12, 1)},
        {Rect(-5, -5, kMax, kMax), Argb(255, 8, 8, 1), Argb(255, 17, 17, 1)},
        {Rect(kMin, kMin, kMax, kMax), black, black},
        {Rect(kMax - 5, kMax - 5, kMax, kMax), black, black},
        {Rect(kMin, 0, kMin, 20), black, black},
        {Rect(kMin + 7, kMin + 7, kMax, kMax), Argb(255, 27, 27, 1), black}, // ends at 6: the far corner shows
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.box.mX) + " " + std::to_string(c.box.mWidth));
        MemoryImage dest = Filled(20, 20, black);
        Graphics g(&dest);
        g.DrawNineGridRegion(Rect(0, 0, 30, 30), c.box, &src);
        EXPECT_EQ(At(dest, 3, 3), c.at3);
        EXPECT_EQ(At(dest, 12, 12), c.at12);
        g.Translate(-1000, 1000);
        g.DrawNineGridRegion(Rect(0, 0, 30, 30), c.box, &src);
    }
    // The drawing fuzz target starts from such boxes (its sources are smaller).
    using graphicstest::DrawingSeed;
    DrawingSeed seed(20, 12, 0, Rect(0, 0, 20, 20));
    for (const Case& c : cases)
        seed.Command(DrawingSeed::NineGrid, 0, 0xFFFFFFFF, Rect(0, 0, 12, 12), {-5, -5, c.box.mWidth, c.box.mHeight});
    seed.Save("nine-grid-int-ends");
}

TEST(GraphicsText, ColourCodes)
{
    struct Case {
        std::string text;
        bool codes;
        std::string drawn;
        int width;
    } cases[] = {
        {"ab^FF00001cd", true, "ab|cd", 40},
        {"ab^FF00001cd", false, "ab^FF00001cd", 120},
        {"ab^^cdefgh", true, "ab^cdefgh", 90},
        // The room test comes first: a "^" with fewer than eight characters left ends the text, "^^" too.
        {"ab^^c", true, "ab", 20},
        {"x^^", true, "x", 10},
        {"ab^FF0000", true, "ab", 20},
        {"^FFFFFF1%i", true, "|%i", 20},
    };
    for (const Case& c : cases) {
        MockImage dest(100, 100);
        FixedFont font;
        Graphics g(&dest);
        g.SetFont(&font);
        g.mWriteColoredString = c.codes;
        EXPECT_EQ(g.DrawTextJustified(c.text, 0, 0, 0, Graphics::JUSTIFY_LEFT), c.width) << c.text;
        EXPECT_EQ(font.Texts(), c.drawn) << c.text;
    }
}

TEST(GraphicsText, CodeChangesColourKeepingAlpha)
{
    MockImage dest(100, 100);
    FixedFont font;
    Graphics g(&dest);
    g.SetFont(&font);
    g.SetColor(Color(1, 2, 3, 77));
    g.DrawTextJustified("ab^fF00zz1cd", 5, 9, 0, Graphics::JUSTIFY_LEFT);
    ASSERT_EQ(font.drawn.size(), 2u);
    EXPECT_EQ(font.drawn[0].color, Color(1, 2, 3, 77));
    EXPECT_EQ(font.drawn[1].color, Color(255, 0, 0, 77));
    EXPECT_EQ(font.drawn[1].x, 25);
    EXPECT_EQ(font.drawn[1].y, 9);
    EXPECT_EQ(g.GetColor(), Color(255, 0, 0, 77));

    FixedFont white;
    g.SetFont(&white);
    g.SetColor(Color(0, 0, 0, 0));
    g.DrawString("w", 0, 0);
    ASSERT_EQ(white.drawn.size(), 1u);
    EXPECT_TRUE(white.drawn[0].white);
}

TEST(GraphicsText, Justification)
{
    MockImage dest(100, 100);
    FixedFont font;
    Graphics g(&dest);
    g.SetFont(&font);
    g.DrawTextJustified("abc", 10, 0, 45, Graphics::JUSTIFY_CENTER);
    g.DrawTextJustified("abc", 10, 0, 45, Graphics::JUSTIFY_RIGHT);
    g.DrawTextJustified("abc", 10, 0, 25, Graphics::JUSTIFY_CENTER);
    g.DrawTextJustified("abcdef", 0, 0, 0, Graphics::JUSTIFY_LEFT, true, 2, 3);
    ASSERT_EQ(font.drawn.size(), 4u);
    EXPECT_EQ(font.drawn[0].x, 17);
    EXPECT_EQ(font.drawn[1].x, 25);
    EXPECT_EQ(font.drawn[2].x, 8);
    EXPECT_EQ(font.drawn[3].text, "cde");
}

TEST(GraphicsText, Wrapping)
{
    struct Case {
        std::string text;
        int width;
        std::string lines;
    } cases[] = {
        {"aaa bbb", 50, "aaa|bbb"}, {"abcdefg", 25, "ab|cd|ef|g"}, {"abc", 5, "a|b|c"},
        {"a\n  b", 100, "a|  b"},   {"aa   bb", 30, "aa |bb"},     {"^FF00001aa bb", 30, "^FF00001aa|bb"},
    };
    for (const Case& c : cases) {
        MockImage dest(100, 100);
        FixedFont font;
        Graphics g(&dest);
        g.SetFont(&font);
        int widest = -1;
        int lines = 1 + static_cast<int>(std::count(c.lines.begin(), c.lines.end(), '|'));
        int height = g.DrawTextWrapped(Rect(0, 0, c.width, 100), c.text, -1, Graphics::JUSTIFY_LEFT, &widest);
        // A colour code splits its line into the (empty) piece before it and the rest.
        EXPECT_EQ(font.Texts(), c.text[0] == '^' ? "|aa|bb" : c.lines) << c.text;
        EXPECT_EQ(height, 12 - 2 + (lines - 1) * 18 + 4) << c.text;
        EXPECT_GT(widest, 0);
    }
}

TEST(GraphicsText, WrappingRestoresColourAndPlacesBaselines)
{
    MockImage dest(100, 100);
    FixedFont font;
    Graphics g(&dest);
    g.SetFont(&font);
    g.SetColor(Color(1, 2, 3));
    g.DrawTextWrapped(Rect(7, 20, 30, 0), "^00FF001ab cd", 5, Graphics::JUSTIFY_RIGHT, nullptr);
    EXPECT_EQ(g.GetColor(), Color(1, 2, 3));
    ASSERT_EQ(font.drawn.size(), 3u);
    EXPECT_EQ(font.drawn[1].y, 30);
    EXPECT_EQ(font.drawn[1].x, 7 + 10);
    EXPECT_EQ(font.drawn[2].y, 35);
    EXPECT_EQ(font.drawn[2].color, Color(0, 255, 0));
}

TEST(GraphicsText, MeasuringNeedsNoImage)
{
    FixedFont font;
    Graphics g(nullptr);
    g.SetFont(&font);
    int widest = 0;
    EXPECT_EQ(g.MeasureWrappedHeight(35, "aaa bbb cc", -1, &widest), 10 + 2 * 18 + 4);
    EXPECT_EQ(widest, 30);
    g.DrawString("nothing", 0, 0);
    g.FillRect(0, 0, 10, 10);
    Graphics noFont(nullptr);
    EXPECT_EQ(noFont.DrawTextWrapped(Rect(0, 0, 10, 10), "abc"), 0);
    EXPECT_EQ(noFont.DrawTextJustified("abc", 0, 0, 10, 0), 0);
}
