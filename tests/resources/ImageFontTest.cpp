// Image fonts: layer choice, scaled metrics and glyph strips, measuring, the layered draw and copies.
#include <gtest/gtest.h>

#include <cstdlib>

#include "ResourceManagerTestSupport.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "resources/FontData.h"
#include "resources/ImageFont.h"

using Olvarn::ImageFont;

namespace
{

constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kGreen = 0xFF00FF00;
constexpr uint32_t kBlue = 0xFF0000FF;
constexpr uint32_t kWhite = 0xFFFFFFFF;

// A has 10 red columns and V 12 green ones; A before V kerns by -3.
const char* const kAVFont = "CreateLayer Main; LayerSetImage Main 'glyphs.png';\n"
                            "LayerSetImageMap Main ('A', 'V') ((0, 0, 10, 16), (10, 0, 12, 16));\n"
                            "LayerSetCharWidths Main ('A', 'V') (10, 12);\n"
                            "LayerSetAscent Main 16;\n"
                            "LayerSetKerningPairs Main ('AV') (-3);\n";

class ImageFontTest : public ::testing::Test
{
protected:
    ImageFontTest()
    {
        restest::WritePng(dir.File("glyphs.png"), 32, 16, [](int x, int) {
            return x < 10 ? kRed : x < 22 ? kGreen : kBlue;
        });
        restest::WriteSolidPng(dir.File("red.png"), 8, 8, kRed);
        restest::WriteSolidPng(dir.File("blue.png"), 8, 8, kBlue);
        restest::WriteSolidPng(dir.File("white.png"), 8, 8, kWhite);
    }

    static Olvarn::MemoryImage* Sized(Olvarn::MemoryImage& image)
    {
        image.Create(64, 32);
        return &image;
    }

    std::unique_ptr<ImageFont> Make(const std::string& descriptor)
    {
        dir.WriteFile("font.txt", descriptor);
        auto font = std::make_unique<ImageFont>(&app, dir.File("font.txt"));
        EXPECT_TRUE(font->mFontData->mLoaded) << (app.mFatal.empty() ? "" : app.mFatal.back());
        return font;
    }

    void Fill(uint32_t color)
    {
        uint32_t* bits = dest.GetBits();
        std::fill(bits, bits + 64 * 32, color);
        dest.BitsChanged();
    }

    uint32_t Pixel(int x, int y) { return dest.GetBits()[y * 64 + x]; }

    // The software blend works in shifts by 8, so a channel may come out a little short (more after a
    // duplicate, which is drawn once more).
    static ::testing::AssertionResult Near(uint32_t actual, uint32_t expected)
    {
        for (int shift = 0; shift < 32; shift += 8) {
            int a = (actual >> shift) & 0xFF, e = (expected >> shift) & 0xFF;
            if (std::abs(a - e) > 4)
                return ::testing::AssertionFailure() << std::hex << actual << " is not near " << expected;
        }
        return ::testing::AssertionSuccess();
    }

    restest::TestApp app;
    testsupport::TempDir dir;
    Olvarn::MemoryImage dest;
    // Made on the sized image, so its clip covers it.
    Olvarn::Graphics g{Sized(dest)};
};

TEST_F(ImageFontTest, KerningShortensTheAdvanceInMeasureAndDraw)
{
    auto font = Make(kAVFont);
    EXPECT_EQ(font->TextWidth("AV"), 19);
    EXPECT_EQ(font->CharWidth('A'), 10);
    EXPECT_EQ(font->CharWidthKerned('V', 'A'), 9);
    EXPECT_EQ(font->TextWidth(""), 0);

    std::vector<Olvarn::Rect> rects;
    int width = -1;
    font->DrawLayered(&g, 5, 20, "AV", Olvarn::Color::White, g.GetClipRect(), &rects, &width, true);
    EXPECT_EQ(width, 19);
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_EQ(rects[0], Olvarn::Rect(5, 4, 10, 16));
    EXPECT_EQ(rects[1], Olvarn::Rect(12, 4, 12, 16));
    EXPECT_TRUE(Near(Pixel(5, 10), kRed));
    EXPECT_TRUE(Near(Pixel(11, 10), kRed));
    // V is drawn after A in the same order bucket, over A's last columns.
    EXPECT_TRUE(Near(Pixel(12, 10), kGreen));
    EXPECT_TRUE(Near(Pixel(23, 10), kGreen));
    EXPECT_EQ(Pixel(24, 10), 0u);
}

// Each term of a position or advance is scaled and truncated toward zero on its own; the advance of
// a character is the largest over the layers.
TEST_F(ImageFontTest, OffsetsSpacingAndLayersPlaceTheGlyphs)
{
    using Olvarn::Rect;
    struct Case {
        const char* extra;
        int textWidth;
        int drawWidth;
        std::vector<Rect> rects;
    };
    const Case cases[] = {
        {"LayerSetSpacing Main 2;", 21, 21, {Rect(5, 4, 10, 16), Rect(14, 4, 12, 16)}},
        {"LayerSetCharOffsets Main ('A') ((2, 3)); LayerSetOffset Main (1, -1);",
         19,
         19,
         {Rect(8, 6, 10, 16), Rect(13, 3, 12, 16)}},
        // Factor 0.5: the offset 3 gives 1, the kerning -3 gives -1 (toward zero), the ascent 16 - 3 gives 6.
        {"LayerSetPointSize Main 24; SetDefaultPointSize 12; LayerSetCharOffsets Main ('A') ((3, 3));",
         10,
         10,
         {Rect(6, 14, 5, 8), Rect(9, 12, 6, 8)}},
        {"CreateLayerFrom Wide Main; LayerSetSpacing Wide 4;",
         23,
         23,
         {Rect(5, 4, 10, 16), Rect(5, 4, 10, 16), Rect(16, 4, 12, 16), Rect(16, 4, 12, 16)}},
    };
    for (const Case& c : cases) {
        auto font = Make(std::string(kAVFont) + c.extra);
        EXPECT_EQ(font->TextWidth("AV"), c.textWidth) << c.extra;
        std::vector<Olvarn::Rect> rects;
        int width = -1;
        font->DrawLayered(&g, 5, 20, "AV", Olvarn::Color::White, g.GetClipRect(), &rects, &width, true);
        EXPECT_EQ(width, c.drawWidth) << c.extra;
        EXPECT_EQ(rects, c.rects) << c.extra;
    }
}

TEST_F(ImageFontTest, ScaleUsesAPrivateStretchedStripAndBackAgain)
{
    auto font = Make(kAVFont);
    const auto& layer = font->mFontData->mFontLayerList.front();
    font->SetScale(2.0);
    EXPECT_EQ(font->CharWidth('A'), 20);
    EXPECT_EQ(font->Ascent(), 32);
    ASSERT_EQ(font->mActiveLayers.size(), 1u);
    EXPECT_TRUE(font->mActiveLayers[0].mOwnsImage);
    EXPECT_NE(font->mActiveLayers[0].mScaledImage, layer.mImage);
    EXPECT_EQ(font->mActiveLayers[0].mScaledCharImageRects['A'].mWidth, 20);

    font->DrawText(&g, 0, 31, "A", Olvarn::Color::White, g.GetClipRect());
    EXPECT_TRUE(Near(Pixel(0, 5), kRed));
    EXPECT_TRUE(Near(Pixel(19, 30), kRed));
    EXPECT_EQ(Pixel(20, 30), 0u);

    font->SetScale(1.0);
    EXPECT_EQ(font->CharWidth('A'), 10);
    EXPECT_FALSE(font->mActiveLayers[0].mOwnsImage);
    EXPECT_EQ(font->mActiveLayers[0].mScaledImage, layer.mImage);
}

TEST_F(ImageFontTest, LayerPointSizeGivesTheFactorForMeasureAndDraw)
{
    auto font = Make(std::string(kAVFont) + "LayerSetPointSize Main 24; SetDefaultPointSize 24;");
    EXPECT_EQ(font->PointSize(), 24);
    EXPECT_EQ(font->CharWidth('A'), 10);
    font->SetPointSize(12);
    EXPECT_EQ(font->CharWidth('A'), 5);
    EXPECT_EQ(font->TextWidth("AV"), 5 + 6 - 1);
    EXPECT_EQ(font->Ascent(), 8);
    std::vector<Olvarn::Rect> rects;
    font->DrawLayered(&g, 0, 20, "AV", Olvarn::Color::White, g.GetClipRect(), &rects, nullptr, true);
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_EQ(rects[0], Olvarn::Rect(0, 12, 5, 8));
    EXPECT_EQ(rects[1].mX, 4);
}

TEST_F(ImageFontTest, TagsAreUpperCasedAndUnique)
{
    auto font = Make(kAVFont);
    EXPECT_TRUE(font->AddTag("bold"));
    EXPECT_TRUE(font->HasTag("BOLD"));
    EXPECT_TRUE(font->HasTag("bold"));
    EXPECT_FALSE(font->AddTag("Bold"));
    EXPECT_TRUE(font->AddTag("x"));
    EXPECT_TRUE(font->RemoveTag("bold"));
    EXPECT_FALSE(font->HasTag("bold"));
    EXPECT_FALSE(font->RemoveTag("bold"));
    EXPECT_EQ(font->mTags, (std::vector<std::string>{"X"}));
}

TEST_F(ImageFontTest, LayersApplyByPointRangeAndTags)
{
    auto font = Make("CreateLayer Body; CreateLayer Ranged; CreateLayer Open; CreateLayer Shadow; CreateLayer Plain;\n"
                     "LayerPointRange Ranged 10 20; LayerPointRange Open 10 -1;\n"
                     "LayerRequireTags Shadow ('shadow'); LayerExcludeTags Plain ('Shadow');\n");
    struct Case {
        int pointSize;
        bool shadow;
        size_t layers;
    };
    // Body always; Ranged 10..20; Open from 10; Shadow with the tag; Plain without it.
    const Case cases[] = {{9, false, 2}, {10, false, 4}, {20, false, 4}, {21, false, 3}, {500, true, 3}, {15, true, 4}};
    for (const Case& c : cases) {
        font->SetPointSize(c.pointSize);
        if (c.shadow)
            font->AddTag("shadow");
        else
            font->RemoveTag("shadow");
        font->EnsurePrepared();
        EXPECT_EQ(font->mActiveLayers.size(), c.layers) << c.pointSize << " " << c.shadow;
    }
}

TEST_F(ImageFontTest, MetricsCombineTheActiveLayers)
{
    auto font = Make("CreateLayer A; LayerSetAscent A 10; LayerSetAscentPadding A 4; LayerSetLineSpacingOffset A -2;\n"
                     "CreateLayer B; LayerSetAscent B 12; LayerSetAscentPadding B 6; LayerSetLineSpacingOffset B -5;\n"
                     "LayerSetImage B 'white.png'; LayerSetImageMap B ('x') ((0, 0, 4, 8));");
    EXPECT_EQ(font->Ascent(), 12);
    EXPECT_EQ(font->AscentPadding(), 4);
    EXPECT_EQ(font->LineSpacingOffset(), -2);
    EXPECT_EQ(font->Height(), 8);
    EXPECT_EQ(font->LineSpacing(), 6);
}

// Two one-glyph layers at the same place: the colour left is the one drawn last.
TEST_F(ImageFontTest, OrderBucketsDecideWhatLiesOnTop)
{
    struct Case {
        int redOrder, blueOrder;
        uint32_t top;
    };
    const Case cases[] = {
        {1, 0, kRed},        {0, 1, kBlue},       {200, 127, kBlue}, {127, 200, kBlue},
        {-128, -200, kBlue}, {-200, -127, kBlue}, {-1, -129, kRed},
    };
    for (const Case& c : cases) {
        auto font =
            Make("CreateLayer Red; LayerSetImage Red 'red.png'; LayerSetImageMap Red ('a') ((0, 0, 8, 8));\n"
                 "LayerSetBaseOrder Red " +
                 std::to_string(c.redOrder) +
                 ";\n"
                 "CreateLayer Blue; LayerSetImage Blue 'blue.png'; LayerSetImageMap Blue ('a') ((0, 0, 8, 8));\n"
                 "LayerSetCharOrders Blue ('a') (" +
                 std::to_string(c.blueOrder) + ");\n");
        Fill(0);
        font->DrawText(&g, 0, 0, "a", Olvarn::Color::White, g.GetClipRect());
        EXPECT_TRUE(Near(Pixel(3, 3), c.top)) << c.redOrder << " " << c.blueOrder;
    }
}

TEST_F(ImageFontTest, DrawStopsAtTheCommandTableSize)
{
    auto font = Make("CreateLayer A; LayerSetCharWidths A ('a') (3);\nCreateLayerFrom B A;");
    const std::string text(2100, 'a');
    std::vector<Olvarn::Rect> rects;
    int width = 0;
    font->DrawLayered(&g, 0, 0, text, Olvarn::Color::White, g.GetClipRect(), &rects, &width, true);
    EXPECT_EQ(rects.size(), size_t(ImageFont::kMaxDrawCommands));
    EXPECT_EQ(width, 2048 * 3);
    EXPECT_EQ(font->TextWidth(text), 2100 * 3);
}

TEST_F(ImageFontTest, ColorizeDecidesModeAndColour)
{
    auto font = Make("CreateLayer L; LayerSetImage L 'red.png'; LayerSetImageMap L ('a') ((0, 0, 8, 8));\n"
                     "LayerSetDrawMode L 1;");
    Fill(0xFF000064);
    font->DrawTextWhite(&g, 0, 0, "a", g.GetClipRect());
    EXPECT_TRUE(Near(Pixel(2, 2), kRed));
    Fill(0xFF000064);
    font->DrawText(&g, 0, 0, "a", Olvarn::Color::White, g.GetClipRect());
    EXPECT_TRUE(Near(Pixel(2, 2), 0xFFFF0064u));
    // The context keeps its own state.
    EXPECT_EQ(g.GetDrawMode(), 0);
    EXPECT_FALSE(g.GetModulateImages());
}

// Each channel is multiplier x colour / 255 + addend, held to 0..255 whatever the descriptor gives.
TEST_F(ImageFontTest, LayerColoursMixIntoTheDrawColourAndClamp)
{
    struct Case {
        const char* colours;
        Olvarn::Color color;
        uint32_t pixel;
    };
    const Case cases[] = {
        {"LayerSetColorAdd L (-1, 0, 0, 0);", Olvarn::Color(100, 255, 255), 0xFF00FFFFu},
        {"LayerSetColorMult L (0.5, 1, 0, 1);", Olvarn::Color::White, 0xFF7FFF00u},
        {"LayerSetColorMult L (0, 0, 0, 1); LayerSetColorAdd L (0.25, 2, 0, 0);", Olvarn::Color::White, 0xFF3FFF00u},
        // A fraction far above 1 gives a multiplier whose product with the colour leaves int.
        {"LayerSetColorMult L (100000000, 1, 1, 1);", Olvarn::Color(3, 0, 0), 0xFFFF0000u},
    };
    for (const Case& c : cases) {
        auto font = Make("CreateLayer L; LayerSetImage L 'white.png'; LayerSetImageMap L ('a') ((0, 0, 8, 8));\n" +
                         std::string(c.colours));
        Fill(0xFF000000u);
        font->DrawText(&g, 0, 0, "a", c.color, g.GetClipRect());
        EXPECT_TRUE(Near(Pixel(2, 2), c.pixel)) << c.colours;
    }
}

TEST_F(ImageFontTest, CopiesShareDataButOwnTheirScaledStrips)
{
    auto font = Make(kAVFont);
    font->SetScale(2.0);
    font->EnsurePrepared();
    std::unique_ptr<ImageFont> copy(static_cast<ImageFont*>(font->Clone()));
    EXPECT_EQ(copy->mFontData, font->mFontData);
    EXPECT_EQ(font->mFontData.use_count(), 2);
    ASSERT_EQ(copy->mActiveLayers.size(), 1u);
    EXPECT_TRUE(copy->mActiveLayers[0].mOwnsImage);
    EXPECT_NE(copy->mActiveLayers[0].mScaledImage, font->mActiveLayers[0].mScaledImage);
    font.reset();
    EXPECT_EQ(copy->CharWidth('A'), 20);
    copy->DrawText(&g, 0, 31, "A", Olvarn::Color::White, g.GetClipRect());
    EXPECT_TRUE(Near(Pixel(19, 30), kRed));
}

TEST_F(ImageFontTest, UnloadedFontMeasuresNothingAndDrawsNothing)
{
    dir.WriteFile("bad.txt", "Nonsense;");
    ImageFont font(&app, dir.File("bad.txt"));
    EXPECT_FALSE(font.mFontData->mLoaded);
    EXPECT_EQ(font.TextWidth("abc"), 0);
    int width = -1;
    font.DrawLayered(&g, 0, 0, "abc", Olvarn::Color::White, g.GetClipRect(), nullptr, &width, true);
    EXPECT_EQ(width, 0);
}

TEST_F(ImageFontTest, GlyphRectanglesOutsideThePictureAreClipped)
{
    // The widths add up past the 8-pixel picture; a later smaller picture leaves b outside it.
    auto image = std::shared_ptr<Olvarn::MemoryImage>(app.LoadImageFile(dir.File("red.png")));
    dir.WriteFile("widths.txt", "2 8 a 5 b 7 c 4");
    ImageFont font(image, dir.File("widths.txt"));
    ASSERT_TRUE(font.mFontData->mLoaded);
    font.EnsurePrepared();
    EXPECT_EQ(font.mActiveLayers[0].mScaledCharImageRects['b'], Olvarn::Rect(5, 0, 3, 8));
    EXPECT_EQ(font.mActiveLayers[0].mScaledCharImageRects['c'].mWidth, 0);
    Fill(0);
    font.DrawText(&g, 0, 8, "b", Olvarn::Color::White, g.GetClipRect());
    EXPECT_TRUE(Near(Pixel(2, 2), kRed));
    EXPECT_EQ(Pixel(3, 2), 0u);
    font.SetScale(3.0);
    EXPECT_EQ(font.CharWidth('b'), 21);
    font.DrawText(&g, 0, 30, "bc", Olvarn::Color::White, g.GetClipRect());

    auto shrunk = Make("CreateLayer L; LayerSetImage L 'glyphs.png'; LayerSetImageMap L ('a') ((20, 0, 10, 16));\n"
                       "LayerSetImage L 'red.png';");
    EXPECT_EQ(shrunk->mActiveLayers[0].mScaledCharImageRects['a'].mWidth, 0);
    shrunk->DrawText(&g, 0, 16, "a", Olvarn::Color::White, g.GetClipRect());
}

TEST_F(ImageFontTest, DefineAsTextGivesTheDescriptorsDefinitions)
{
    auto font = Make(std::string(kAVFont) + "Define Colours (1, (2, 3));");
    EXPECT_EQ(font->DefineAsText("colours"), "(1, (2, 3))");
    EXPECT_EQ(font->DefineAsText("nothing"), "");
}

} // namespace
