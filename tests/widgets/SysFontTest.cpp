// System fonts as the framework uses them: metrics, widths, clones, and drawing onto display images
// of either screen depth, with the image's lock state kept.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "graphics/DDImage.h"
#include "graphics/DDInterface.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "platform/DisplayFake.h"
#include "resources/SysFont.h"
#include "widgets/ButtonWidget.h"
#include "widgets/WidgetManager.h"

using namespace Olvarn;

namespace
{

// A display device on the in-memory display, started windowed at 64x32.
std::unique_ptr<DDInterface> MakeDevice(const SurfaceFormat& format)
{
    auto device =
        std::make_unique<DDInterface>(nullptr, Olvarn::DisplayOptions(), std::make_unique<DisplayFake>(format));
    device->mWidth = 64;
    device->mHeight = 32;
    device->Init(nullptr, true);
    return device;
}

// Pixels of the image that differ from the fill, and the one farthest from it.
struct Ink {
    int changed = 0;
    int minX = 1 << 30, maxX = -1, minY = 1 << 30, maxY = -1;
    uint32_t strongest = 0;
};

Ink FindInk(MemoryImage& image, uint32_t fill)
{
    Ink ink;
    uint32_t* bits = image.GetBits();
    int best = -1;
    for (int y = 0; y < image.mHeight; ++y)
        for (int x = 0; x < image.mWidth; ++x) {
            uint32_t p = bits[y * image.mWidth + x] & 0xFFFFFF;
            if (p == (fill & 0xFFFFFF))
                continue;
            ++ink.changed;
            ink.minX = std::min(ink.minX, x);
            ink.maxX = std::max(ink.maxX, x);
            ink.minY = std::min(ink.minY, y);
            ink.maxY = std::max(ink.maxY, y);
            int distance = std::abs(static_cast<int>(p & 0xFF) - static_cast<int>(fill & 0xFF)) +
                           std::abs(static_cast<int>((p >> 8) & 0xFF) - static_cast<int>((fill >> 8) & 0xFF)) +
                           std::abs(static_cast<int>(p >> 16) - static_cast<int>((fill >> 16) & 0xFF));
            if (distance > best) {
                best = distance;
                ink.strongest = p;
            }
        }
    return ink;
}

void FillImage(MemoryImage& image, int width, int height, uint32_t pixel)
{
    std::vector<uint32_t> bits(static_cast<size_t>(width) * height, pixel);
    image.SetBits(bits.data(), width, height);
}

} // namespace

TEST(SysFontTest, MetricsAndWidths)
{
    SysFont font(nullptr, "SansSerif", 10);
    ASSERT_TRUE(font.IsValid());
    EXPECT_GT(font.Ascent(), 8);
    EXPECT_GT(font.Height(), font.Ascent());
    EXPECT_EQ(font.AscentPadding(), 0);
    EXPECT_EQ(font.LineSpacingOffset(), 0);
    EXPECT_EQ(font.TextWidth(""), 0);
    EXPECT_EQ(font.CharWidthKerned('A', 'V'), font.CharWidth('A'));
    EXPECT_EQ(font.TextWidth("&Ok"), font.CharWidth('&') + font.CharWidth('O') + font.CharWidth('k'));
    SysFont larger(nullptr, "SansSerif", 14);
    EXPECT_GT(larger.TextWidth("Hello"), font.TextWidth("Hello"));
}

TEST(SysFontTest, ACloneIsIndependentOfItsSource)
{
    auto* source = new SysFont(nullptr, "Tahoma", 10, 0, true);
    int width = source->TextWidth("Bold text");
    std::unique_ptr<Font> clone(source->Clone());
    EXPECT_EQ(clone->Ascent(), source->Ascent());
    EXPECT_EQ(clone->Height(), source->Height());
    delete source;
    EXPECT_EQ(clone->TextWidth("Bold text"), width);
}

TEST(SysFontTest, AMemoryImageIsLeftUnchanged)
{
    SysFont font(nullptr, "SansSerif", 12);
    MemoryImage image;
    FillImage(image, 40, 20, 0xFF000000);
    Graphics g(&image);
    g.SetFont(&font);
    g.SetColor(Color(255, 255, 255));
    g.DrawString("Hi", 2, 15);
    EXPECT_EQ(FindInk(image, 0xFF000000).changed, 0);
}

TEST(SysFontTest, DrawsOntoDisplayImagesOfBothDepthsInTheColoursRgb)
{
    struct Case {
        const char* name;
        SurfaceFormat format;
        Color color;
        uint32_t expectStrongest;
    } cases[] = {
        {"32-bit", SurfaceFormat::Xrgb8888(), Color(255, 255, 255), 0xFFFFFF},
        {"32-bit, alpha 0 still draws", SurfaceFormat::Xrgb8888(), Color(255, 0, 0, 0), 0xFF0000},
        {"16-bit", SurfaceFormat::Rgb565(), Color(0, 255, 0), 0x00FF00},
    };
    for (const Case& c : cases) {
        auto device = MakeDevice(c.format);
        DDImage image(device.get());
        FillImage(image, 40, 24, 0xFF000000);
        SysFont font(nullptr, "SansSerif", 12);
        Graphics g(&image);
        g.Translate(3, 2);
        g.SetFont(&font);
        g.SetColor(c.color);
        g.DrawString("H", 0, font.Ascent() - 1);
        Ink ink = FindInk(image, 0xFF000000);
        ASSERT_GT(ink.changed, 10) << c.name;
        // Full coverage gives the colour itself (16-bit keeps the channels' top bits).
        EXPECT_EQ(ink.strongest & 0xF8FCF8, c.expectStrongest & 0xF8FCF8) << c.name;
        // The cell's top is one pixel below baseline - ascent, plus the translation; "H" stands on the baseline.
        EXPECT_GE(ink.minX, 3) << c.name;
        EXPECT_EQ(ink.maxY, 2 + font.Ascent() - 1) << c.name;
        EXPECT_GT(ink.minY, 2) << c.name;
    }
}

TEST(SysFontTest, ClipRectangleBoundsTheText)
{
    auto device = MakeDevice(SurfaceFormat::Xrgb8888());
    DDImage image(device.get());
    FillImage(image, 60, 24, 0xFF000000);
    SysFont font(nullptr, "SansSerif", 12);
    Graphics g(&image);
    g.SetFont(&font);
    g.SetColor(Color(255, 255, 255));
    g.IntersectClip(0, 0, 10, 24);
    g.DrawString("WWWW", 0, 15);
    Ink ink = FindInk(image, 0xFF000000);
    EXPECT_GT(ink.changed, 0);
    EXPECT_LT(ink.maxX, 10);
    // Text far outside the image draws nothing and does not fault.
    Graphics far(&image);
    far.SetFont(&font);
    far.DrawString("far away", -100000, 100000);
    far.DrawString("far away", 100000, -100000);
}

TEST(SysFontTest, ALockedImageStaysLockedWithAFreshDescription)
{
    auto device = MakeDevice(SurfaceFormat::Xrgb8888());
    DDImage image(device.get());
    FillImage(image, 40, 24, 0xFF000000);
    ASSERT_TRUE(image.LockSurface());
    image.mLockedDesc = SurfaceLock();
    SysFont font(nullptr, "SansSerif", 12);
    Graphics g(&image);
    g.SetFont(&font);
    g.SetColor(Color(255, 255, 255));
    g.DrawString("Hi", 2, 15);
    EXPECT_EQ(image.mLockCount, 1);
    ASSERT_TRUE(image.mSurface);
    EXPECT_TRUE(image.mSurface->IsLocked());
    EXPECT_NE(image.mLockedDesc.mBits, nullptr);
    image.UnlockSurface();
    EXPECT_GT(FindInk(image, 0xFF000000).changed, 10);
}

TEST(SysFontTest, AButtonDrawsItsLabelWithASystemFontOntoTheScreenImage)
{
    auto device = MakeDevice(SurfaceFormat::Rgb565());
    DDImage screen(device.get());
    FillImage(screen, 64, 32, 0xFF000000);
    WidgetManager manager(nullptr);
    manager.mScreenImage = &screen;
    manager.SetScreenSize(64, 32);
    ButtonWidget button(1, nullptr);
    button.Resize(2, 2, 60, 26);
    button.mLabel = "Ok";
    manager.AddWidget(&button);
    EXPECT_TRUE(manager.DrawWidgets());
    EXPECT_EQ(screen.mLockCount, 0);
    ASSERT_NE(button.mFont, nullptr);
    // The face is grey; the black label sits around the middle of it.
    uint32_t* bits = screen.GetBits();
    int dark = 0;
    for (int y = 8; y < 24; ++y)
        for (int x = 20; x < 44; ++x)
            dark += (bits[y * 64 + x] & 0xFF) < 100;
    EXPECT_GT(dark, 10);
    for (int shift : {0, 8, 16})
        EXPECT_NEAR(static_cast<int>((bits[5 * 64 + 5] >> shift) & 0xFF), 212, 14) << "grey face";
    manager.RemoveWidget(&button);
}
