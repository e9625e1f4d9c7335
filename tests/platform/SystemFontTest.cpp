// System fonts: face resolution, point-to-pixel rounding, measuring and coverage rendering.
#include <gtest/gtest.h>

#include <string>

#include "platform/SystemFont.h"

using namespace Olvarn;

namespace
{

SystemFontSpec Spec(const std::string& face, int points, bool bold = false, bool italic = false, bool underline = false)
{
    SystemFontSpec spec;
    spec.mFace = face;
    spec.mPixelHeight = SystemFont::PixelHeightForPoints(points);
    spec.mBold = bold;
    spec.mItalic = italic;
    spec.mUnderline = underline;
    return spec;
}

int InkRows(const TextCoverage& cov, int row)
{
    int n = 0;
    for (int x = 0; x < cov.mWidth; ++x)
        n += cov.At(x, row) > 0;
    return n;
}

} // namespace

TEST(SystemFontTest, PointsBecomePixelsRoundedHalfAwayFromZero)
{
    struct Case {
        int points, pixels;
    } cases[] = {{8, 11}, {9, 12}, {10, 13}, {12, 16}, {14, 19}, {0, 0}, {-10, -13}, {3, 4}};
    for (const Case& c : cases)
        EXPECT_EQ(SystemFont::PixelHeightForPoints(c.points), c.pixels) << c.points;
}

TEST(SystemFontTest, WindowsFaceNamesResolveToDejaVu)
{
    for (const char* face : {"SansSerif", "Tahoma", "Arial", "sansserif"}) {
        SystemFont font(Spec(face, 10));
        ASSERT_TRUE(font.IsValid()) << face;
        EXPECT_NE(font.FilePath().find("DejaVuSans"), std::string::npos) << face << ": " << font.FilePath();
        EXPECT_GT(font.Ascent(), 0);
        EXPECT_GT(font.Height(), font.Ascent());
        // A character height of 13 pixels gives a cell a little taller than that.
        EXPECT_GE(font.Height(), 13);
        EXPECT_LE(font.Height(), 18);
    }
    SystemFont bold(Spec("SansSerif", 10, true));
    EXPECT_NE(bold.FilePath().find("Bold"), std::string::npos) << bold.FilePath();
}

TEST(SystemFontTest, WidthsAreSumsOfCharacterAdvancesWithoutKerning)
{
    SystemFont font(Spec("SansSerif", 10));
    EXPECT_EQ(font.TextWidth(""), 0);
    EXPECT_GT(font.TextWidth("A"), 0);
    EXPECT_EQ(font.TextWidth("AV"), font.TextWidth("A") + font.TextWidth("V"));
    EXPECT_EQ(font.TextWidth("W&W"), 2 * font.TextWidth("W") + font.TextWidth("&"));
    EXPECT_GT(font.TextWidth("WWWW"), font.TextWidth("iiii"));
    SystemFont bold(Spec("SansSerif", 10, true));
    EXPECT_GT(bold.TextWidth("Hello"), font.TextWidth("Hello"));
}

TEST(SystemFontTest, EveryByteIsMeasuredAndRenderedSafely)
{
    SystemFont font(Spec("Tahoma", 8));
    std::string all;
    for (int c = 0; c < 256; ++c)
        all += static_cast<char>(c);
    EXPECT_GT(font.TextWidth(all), 0);
    TextCoverage cov = font.Render(all);
    EXPECT_EQ(cov.mBits.size(), static_cast<size_t>(cov.mWidth) * cov.mHeight);
    // The euro sign lives at 0x80 in Windows-1252 and has a glyph of its own, unlike a control byte.
    EXPECT_NE(font.TextWidth("\x80"), 0);
}

TEST(SystemFontTest, RenderedInkSitsInTheCellAboveTheBaseline)
{
    SystemFont font(Spec("SansSerif", 12));
    TextCoverage cov = font.Render("H");
    ASSERT_GT(cov.mWidth, 0);
    int topInk = -1, bottomInk = -1, full = 0;
    for (int y = 0; y < cov.mHeight; ++y) {
        if (InkRows(cov, y) > 0) {
            if (topInk < 0)
                topInk = y + cov.mTop;
            bottomInk = y + cov.mTop;
        }
        for (int x = 0; x < cov.mWidth; ++x)
            full += cov.At(x, y) == 255;
    }
    // "H" stands on the baseline: its last inked row is the one just above it.
    EXPECT_EQ(bottomInk, font.Ascent() - 1);
    EXPECT_GT(topInk, 0);
    EXPECT_GT(full, 10);
    EXPECT_TRUE(font.Render("").mBits.empty());
}

TEST(SystemFontTest, UnderlineAddsAFullRowBelowTheBaseline)
{
    SystemFont plain(Spec("Arial", 10));
    SystemFont underlined(Spec("Arial", 10, false, false, true));
    TextCoverage a = plain.Render("ace");
    TextCoverage b = underlined.Render("ace");
    int width = underlined.TextWidth("ace");
    bool found = false;
    for (int y = 0; y < b.mHeight; ++y) {
        int row = y + b.mTop;
        if (row >= underlined.Ascent() && InkRows(b, y) >= width)
            found = true;
    }
    EXPECT_TRUE(found);
    for (int y = 0; y < a.mHeight; ++y) {
        if (y + a.mTop >= plain.Ascent()) {
            EXPECT_LT(InkRows(a, y), plain.TextWidth("ace")) << y;
        }
    }
}

TEST(SystemFontTest, CopiesAreIndependentOfTheirSource)
{
    auto* source = new SystemFont(Spec("SansSerif", 10, true, true));
    int width = source->TextWidth("Copy");
    SystemFont copy(*source);
    delete source;
    EXPECT_TRUE(copy.IsValid());
    EXPECT_EQ(copy.TextWidth("Copy"), width);
    EXPECT_TRUE(copy.Spec().mBold);
    EXPECT_TRUE(copy.Spec().mItalic);
}

TEST(SystemFontTest, AnUnknownFaceStillOpensAFallback)
{
    SystemFont font(Spec("No Such Face 12345", 10));
    EXPECT_TRUE(font.IsValid());
    EXPECT_GT(font.TextWidth("x"), 0);
}
