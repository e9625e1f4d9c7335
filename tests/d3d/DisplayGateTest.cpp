// The display device with the hardware renderer: the acceptance test deciding at start, and a failed
// draw switching 3D off at the next frame.
#include <gtest/gtest.h>

#include <string>

#include "Hardware3DSupport.h"
#include "graphics/D3DInterface.h"
#include "graphics/D3DTester.h"
#include "graphics/DDTestSupport.h"
#include "graphics/MemoryImage.h"

using namespace Olvarn;

namespace
{

class DisplayGateTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string why;
        if (!d3dtest::GLContextAvailable(why))
            GTEST_SKIP() << "no OpenGL context on this machine: " << why;
    }

    std::unique_ptr<ddtest::FakeDevice> MakeDevice(bool auto3D, const SurfaceFormat& format = SurfaceFormat::Xrgb8888())
    {
        auto device = std::make_unique<ddtest::FakeDevice>(format, 64, 48);
        device->dd->mApp = &host;
        device->dd->mOptions.mAuto3D = auto3D;
        host.mDevice = device->dd.get();
        return device;
    }

    d3dtest::MemoryHost host;
};

TEST_F(DisplayGateTest, RecommendedCardSwitches3DOnOnceAndTheOutcomeIsKept)
{
    auto device = MakeDevice(true);
    ASSERT_EQ(device->Start(), DDInterface::RESULT_OK) << device->dd->mErrorString;
    EXPECT_TRUE(device->dd->Is3DEnabled());
    EXPECT_STREQ(D3DTester::Verdict(device->dd->Get3DTester()), "Recommended");
    EXPECT_EQ(host.mFreshTests, 1);
    // A restart of the display does not test again.
    ASSERT_EQ(device->Start(), DDInterface::RESULT_OK);
    EXPECT_EQ(host.mFreshTests, 1);
    host.mDevice = nullptr;
    device.reset();

    // The next run finds the stored outcome.
    auto next = MakeDevice(true);
    ASSERT_EQ(next->Start(), DDInterface::RESULT_OK);
    EXPECT_TRUE(next->dd->Is3DEnabled());
    EXPECT_FALSE(next->dd->Get3DTester()->mFreshResult);
    EXPECT_EQ(host.mFreshTests, 1);
    host.mDevice = nullptr;
}

TEST_F(DisplayGateTest, FailedDrawIsStoredAndSwitches3DOffAtTheNextFrame)
{
    auto device = MakeDevice(false);
    device->dd->Set3DEnabled(true);
    ASSERT_EQ(device->Start(), DDInterface::RESULT_OK) << device->dd->mErrorString;
    MemoryImage image(&host);
    std::vector<uint32_t> bits(16 * 16, 0xFF808080);
    image.SetBits(bits.data(), 16, 16);

    device->dd->GetD3DInterface()->GetDevice()->FailNextDraws(1);
    device->dd->GetScreenImage()->BlitImage(&image, 4, 4, Rect(0, 0, 16, 16), Color::White,
                                            Graphics::DRAWMODE_ADDITIVE);
    EXPECT_EQ(D3DErrorText(), "DrawPrimitive (Tri) 1: D3DERR_INVALIDPRIMITIVETYPE");
    EXPECT_EQ(host.Text("Test3D\\RuntimeError"), "DrawPrimitive (Tri) 1: D3DERR_INVALIDPRIMITIVETYPE");
    EXPECT_FALSE(device->dd->Redraw(nullptr));
    EXPECT_FALSE(device->dd->Is3DEnabled());
    D3DErrorText().clear();
}

TEST_F(DisplayGateTest, FrameReachesThePresentedSurfaceInTheScreensFormat)
{
    struct Case {
        const char* name;
        SurfaceFormat format;
        uint32_t background, square;
    };
    const Case cases[] = {
        {"32-bit", SurfaceFormat::Xrgb8888(), 0x0A141E, 0xC86432},
        {"16-bit 565", SurfaceFormat::Rgb565(), 1 << 11 | 5 << 5 | 3, 25 << 11 | 25 << 5 | 6},
        {"16-bit 555", SurfaceFormat::Rgb555(), 1 << 10 | 2 << 5 | 3, 25 << 10 | 12 << 5 | 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto device = MakeDevice(false, c.format);
        device->dd->Set3DEnabled(true);
        ASSERT_EQ(device->Start(), DDInterface::RESULT_OK);
        device->dd->GetScreenImage()->FillRect(Rect(0, 0, 64, 48), Color(10, 20, 30), Graphics::DRAWMODE_NORMAL);
        device->dd->GetScreenImage()->FillRect(Rect(8, 8, 4, 4), Color(200, 100, 50), Graphics::DRAWMODE_NORMAL);
        ASSERT_TRUE(device->dd->Redraw(nullptr));
        const std::vector<uint32_t> shown = ddtest::RawPixels(*device->dd->mPrimarySurface);
        const uint32_t mask = c.format.ColorMask();
        EXPECT_EQ(shown[0] & mask, c.background);
        EXPECT_EQ(shown[9 * 64 + 9] & mask, c.square);
        EXPECT_EQ(shown[12 * 64 + 12] & mask, c.background);
    }
    host.mDevice = nullptr;
}

TEST_F(DisplayGateTest, PolygonsAreFilledOnlyOnTheCard)
{
    auto device = MakeDevice(false);
    device->dd->Set3DEnabled(true);
    ASSERT_EQ(device->Start(), DDInterface::RESULT_OK);
    DDImage* screen = device->dd->GetScreenImage();
    screen->FillRect(Rect(0, 0, 64, 48), Color(0, 0, 0), Graphics::DRAWMODE_NORMAL);
    const int triangle[] = {0, 0, 40, 0, 0, 40};
    // Moved by (4, 4) and cut at x = 20.
    EXPECT_TRUE(
        screen->FillPolygon(triangle, 3, Rect(0, 0, 20, 48), Color(255, 0, 0), Graphics::DRAWMODE_NORMAL, 4, 4));
    ASSERT_TRUE(device->dd->Redraw(nullptr));
    const std::vector<uint32_t> shown = ddtest::RawPixels(*device->dd->mPrimarySurface);
    EXPECT_EQ(shown[6 * 64 + 6] & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(shown[6 * 64 + 19] & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(shown[6 * 64 + 21] & 0xFFFFFF, 0u) << "beyond the clip";
    EXPECT_EQ(shown[2 * 64 + 6] & 0xFFFFFF, 0u) << "above the moved triangle";
    EXPECT_EQ(shown[40 * 64 + 30] & 0xFFFFFF, 0u) << "beyond the hypotenuse";

    // Off the card there is no polygon fill at all.
    auto software = MakeDevice(false);
    ASSERT_EQ(software->Start(), DDInterface::RESULT_OK);
    EXPECT_FALSE(software->dd->GetScreenImage()->FillPolygon(triangle, 3, Rect(0, 0, 64, 48), Color(255, 0, 0),
                                                             Graphics::DRAWMODE_NORMAL, 0, 0));
    host.mDevice = nullptr;
}

TEST_F(DisplayGateTest, WritesStraightIntoTheDrawSurfaceJoinTheFrame)
{
    // Text of system fonts is written into the draw surface's memory, between and after draws on the card.
    auto device = MakeDevice(false);
    device->dd->Set3DEnabled(true);
    ASSERT_EQ(device->Start(), DDInterface::RESULT_OK);
    DDImage* screen = device->dd->GetScreenImage();
    auto poke = [&](int x, int y, uint32_t value) {
        SurfaceLock lock;
        ASSERT_FALSE(DisplayFailed(device->dd->mDrawSurface->Lock(lock)));
        reinterpret_cast<uint32_t*>(lock.mBits + y * lock.mPitch)[x] = value;
        device->dd->mDrawSurface->Unlock();
    };
    screen->FillRect(Rect(0, 0, 64, 48), Color(10, 20, 30), Graphics::DRAWMODE_NORMAL);
    poke(3, 3, 0x00FF0000);
    screen->FillRect(Rect(20, 20, 4, 4), Color(0, 0, 255), Graphics::DRAWMODE_NORMAL);
    poke(40, 40, 0x0000FF00);
    ASSERT_TRUE(device->dd->Redraw(nullptr));
    std::vector<uint32_t> shown = ddtest::RawPixels(*device->dd->mPrimarySurface);
    EXPECT_EQ(shown[0] & 0xFFFFFF, 0x0A141Eu);
    EXPECT_EQ(shown[3 * 64 + 3] & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(shown[21 * 64 + 21] & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(shown[40 * 64 + 40] & 0xFFFFFF, 0x00FF00u);

    // The next frame draws over what the last one left, writes included.
    screen->FillRect(Rect(30, 0, 4, 4), Color(255, 255, 255), Graphics::DRAWMODE_NORMAL);
    ASSERT_TRUE(device->dd->Redraw(nullptr));
    shown = ddtest::RawPixels(*device->dd->mPrimarySurface);
    EXPECT_EQ(shown[40 * 64 + 40] & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(shown[31] & 0xFFFFFF, 0xFFFFFFu);
    host.mDevice = nullptr;
}

} // namespace
