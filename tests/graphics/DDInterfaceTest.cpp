// The display device on the fake display: start-up results, refresh clamp, saturation tables,
// presenting in both modes, loss and restart, the scan-line wait, and the software cursor.
#include <gtest/gtest.h>

#include <chrono>

#include "DDTestSupport.h"
#include "graphics/DDImage.h"
#include "graphics/DDInterface.h"
#include "platform/DisplaySdl.h"
#include "platform/Window.h"

using namespace Olvarn;
using ddtest::FakeDevice;

TEST(DDInterfaceTest, InitResultsAndErrorTexts)
{
    struct Case {
        const char* what;
        SurfaceFormat desktop;
        bool windowed;
        std::function<void(DisplayFake&)> fault;
        DDInterface::InitResult expected;
        const char* error;
    } cases[] = {
        {"32-bit desktop", SurfaceFormat::Xrgb8888(), true, nullptr, DDInterface::RESULT_OK, ""},
        {"24-bit desktop", SurfaceFormat{24, 0xFF0000, 0xFF00, 0xFF}, true, nullptr,
         DDInterface::RESULT_INVALID_COLORDEPTH, "CreateSurface Windowed Primary: DDERR_INVALIDPIXELFORMAT"},
        {"8-bit desktop", SurfaceFormat{8, 0xE0, 0x1C, 0x03}, true, nullptr, DDInterface::RESULT_INVALID_COLORDEPTH,
         "CreateSurface Windowed Primary: DDERR_INVALIDPIXELFORMAT"},
        {"primary refused", SurfaceFormat::Rgb565(), true,
         [](DisplayFake& f) {
             f.mCreateHook = [](const SurfaceDesc& d) {
                 return (d.mCaps & SurfaceCaps::Primary) ? DisplayError::OutOfVideoMemory : DisplayError::Ok;
             };
         },
         DDInterface::RESULT_SURFACE_FAIL, "CreateSurface Windowed Primary: DDERR_OUTOFVIDEOMEMORY"},
        {"draw surface refused", SurfaceFormat::Rgb565(), true,
         [](DisplayFake& f) {
             f.mCreateHook = [](const SurfaceDesc& d) {
                 return (d.mCaps & SurfaceCaps::OffscreenPlain) && d.mWidth == 64 ? DisplayError::OutOfMemory
                                                                                  : DisplayError::Ok;
             };
         },
         DDInterface::RESULT_SURFACE_FAIL, "CreateSurface Windowed DrawSurface: E_OUTOFMEMORY"},
        {"cursor area refused", SurfaceFormat::Rgb565(), true,
         [](DisplayFake& f) {
             f.mCreateHook = [](const SurfaceDesc& d) {
                 return d.mWidth == 64 && d.mHeight == 64 ? DisplayError::OutOfMemory : DisplayError::Ok;
             };
         },
         DDInterface::RESULT_SURFACE_FAIL, "CreateSurface OldCursorArea: E_OUTOFMEMORY"},
        {"no display", SurfaceFormat::Xrgb8888(), true,
         [](DisplayFake& f) { f.mOpenResult = DisplayError::NotInitialized; }, DDInterface::RESULT_DD_CREATE_FAIL,
         "DirectDrawCreate: DDERR_NOTINITIALIZED"},
        {"exclusive refused", SurfaceFormat::Xrgb8888(), false,
         [](DisplayFake& f) { f.mCooperativeLevelResult = DisplayError::NoExclusiveMode; },
         DDInterface::RESULT_EXCLUSIVE_FAIL, "SetCooperativeLevel FullScreen: DDERR_NOEXCLUSIVEMODE"},
        {"mode refused", SurfaceFormat::Xrgb8888(), false,
         [](DisplayFake& f) { f.mDisplayModeResult = DisplayError::UnsupportedMode; },
         DDInterface::RESULT_DISPCHANGE_FAIL, "SetDisplayMode FullScreen: DDERR_UNSUPPORTEDMODE"},
        {"full screen", SurfaceFormat::Xrgb8888(), false, nullptr, DDInterface::RESULT_OK, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeDevice dev(c.desktop, 64, 48);
        if (c.fault)
            c.fault(*dev.fake);
        EXPECT_EQ(dev.Start(c.windowed), c.expected);
        EXPECT_EQ(dev.dd->mErrorString, c.error);
        EXPECT_EQ(dev.dd->IsInitialized(), c.expected == DDInterface::RESULT_OK);
        EXPECT_EQ(dev.dd->Redraw(nullptr), c.expected == DDInterface::RESULT_OK);
    }
}

TEST(DDInterfaceTest, ThreeDWithoutARendererFailsToStart)
{
    FakeDevice dev;
    dev.dd->Set3DEnabled(true);
    EXPECT_EQ(dev.Start(), DDInterface::RESULT_3D_INIT_FAIL);
    EXPECT_EQ(dev.dd->mErrorString.rfind("3D init error: ", 0), 0u);
    dev.dd->Set3DEnabled(false);
    EXPECT_EQ(dev.Start(), DDInterface::RESULT_OK);
}

TEST(DDInterfaceTest, RefreshRateIsClamped)
{
    struct Case {
        int hz;
        DisplayResult result;
        int rate, ms;
        bool broken;
    } cases[] = {
        {0, DisplayError::Ok, 60, 16, true},           {120, DisplayError::Ok, 100, 10, true},
        {75, DisplayError::Ok, 75, 13, false},         {60, DisplayError::Ok, 60, 16, false},
        {85, DisplayError::Unsupported, 60, 16, true},
    };
    for (const Case& c : cases) {
        FakeDevice dev;
        dev.fake->mMonitorFrequency = c.hz;
        dev.fake->mMonitorFrequencyResult = c.result;
        ASSERT_EQ(dev.Start(), DDInterface::RESULT_OK);
        EXPECT_EQ(dev.dd->mRefreshRate, c.rate) << c.hz;
        EXPECT_EQ(dev.dd->mMillisecondsPerFrame, c.ms) << c.hz;
        EXPECT_EQ(dev.dd->mVSyncBroken, c.broken) << c.hz;
    }
}

TEST(DDInterfaceTest, ScreenFormatAndSaturationTables)
{
    struct Case {
        SurfaceFormat format;
        size_t sizes[3];
        int shifts[3];
    } cases[] = {
        {SurfaceFormat::Rgb565(), {63, 127, 63}, {11, 5, 0}},
        {SurfaceFormat::Rgb555(), {63, 63, 63}, {10, 5, 0}},
        {SurfaceFormat::Xrgb8888(), {511, 511, 511}, {16, 8, 0}},
    };
    for (const Case& c : cases) {
        FakeDevice dev(c.format);
        ASSERT_EQ(dev.Start(), DDInterface::RESULT_OK);
        EXPECT_EQ(dev.dd->mRGBBits, c.format.mBitsPerPixel);
        const int shifts[3] = {dev.dd->mRedShift, dev.dd->mGreenShift, dev.dd->mBlueShift};
        for (int ch = 0; ch < 3; ++ch) {
            const auto& table = dev.dd->SaturationTable(ch);
            ASSERT_EQ(table.size(), c.sizes[ch]);
            const int max = int(c.sizes[ch] / 2);
            EXPECT_EQ(table[0], 0);
            EXPECT_EQ(table[size_t(max)], max);
            EXPECT_EQ(table.back(), max);
            EXPECT_EQ(shifts[ch], c.shifts[ch]);
        }
    }
}

TEST(DDInterfaceTest, WindowedRedrawPresentsTheScreenImage)
{
    FakeDevice dev(SurfaceFormat::Rgb565(), 8, 4);
    EXPECT_FALSE(dev.dd->Redraw(nullptr)) << "not started";
    ASSERT_EQ(dev.Start(), DDInterface::RESULT_OK);
    DDImage* screen = dev.dd->GetScreenImage();
    ASSERT_NE(screen, nullptr);
    screen->FillRect(Rect(0, 0, 8, 4), Color(0, 0, 255), Graphics::DRAWMODE_NORMAL);
    screen->FillRect(Rect(2, 1, 3, 2), Color(255, 0, 0), Graphics::DRAWMODE_NORMAL);
    ASSERT_TRUE(dev.dd->Redraw(nullptr));
    ASSERT_EQ(dev.fake->mPresentCount, 1);
    ASSERT_EQ(dev.fake->mPresented.size(), 32u);
    EXPECT_EQ(dev.fake->mPresented[0], 0xFF0000F8u);
    EXPECT_EQ(dev.fake->mPresented[1 * 8 + 2], 0xFFF80000u);
    EXPECT_EQ(dev.fake->mPresented[2 * 8 + 4], 0xFFF80000u);
    EXPECT_EQ(dev.fake->mPresented[3 * 8 + 4], 0xFF0000F8u);
}

TEST(DDInterfaceTest, FullScreenFlipsOrBlits)
{
    for (bool flipping : {true, false}) {
        FakeDevice dev(SurfaceFormat::Xrgb8888(), 8, 4);
        dev.dd->mOptions.mColorDepth = 16;
        dev.dd->mOptions.mUsePageFlipping = flipping;
        ASSERT_EQ(dev.Start(false), DDInterface::RESULT_OK);
        EXPECT_EQ(dev.dd->mRGBBits, 16) << "full screen takes the application's depth";
        dev.dd->GetScreenImage()->FillRect(Rect(0, 0, 8, 4), Color(0, 255, 0), Graphics::DRAWMODE_NORMAL);
        ASSERT_TRUE(dev.dd->Redraw(nullptr));
        ASSERT_EQ(dev.fake->mPresented.size(), 32u);
        EXPECT_EQ(dev.fake->mPresented[13], 0xFF00FC00u) << flipping;
        dev.fake->LoseSurfaces();
        EXPECT_FALSE(dev.dd->Redraw(nullptr));
        EXPECT_EQ(dev.dd->mErrorString,
                  flipping ? "Redraw FullScreen Flip: DDERR_SURFACELOST" : "Redraw FullScreen Blt: DDERR_SURFACELOST");
    }
}

TEST(DDInterfaceTest, LostSurfacesFailTheRedrawAndARestartRecovers)
{
    FakeDevice dev(SurfaceFormat::Xrgb8888(), 8, 4);
    ASSERT_EQ(dev.Start(), DDInterface::RESULT_OK);
    DDImage sprite(dev.dd.get());
    std::vector<uint32_t> red(4, 0xFFFF0000);
    sprite.SetBits(red.data(), 2, 2);
    ASSERT_TRUE(sprite.CreateSurfaceFromBits());

    dev.fake->LoseSurfaces();
    EXPECT_FALSE(dev.dd->Redraw(nullptr));
    EXPECT_EQ(dev.dd->mErrorString, "Redraw Windowed: DDERR_SURFACELOST");

    // What the application does after a failed redraw: drop native data, restart, re-apply.
    sprite.DeleteNativeData();
    EXPECT_FALSE(sprite.HasSurface());
    ASSERT_NE(sprite.mBits, nullptr) << "the picture was read back before the surface went";
    ASSERT_EQ(dev.Start(), DDInterface::RESULT_OK);
    sprite.ApplyStorageOptions();
    EXPECT_TRUE(sprite.HasSurface());
    dev.dd->GetScreenImage()->BlitImage(&sprite, 0, 0, Rect(0, 0, 2, 2), Color::White, Graphics::DRAWMODE_NORMAL);
    ASSERT_TRUE(dev.dd->Redraw(nullptr));
    EXPECT_EQ(dev.fake->mPresented[0] & 0xFFFFFF, 0xFF0000u);
}

TEST(DDInterfaceTest, ScanLineTimeoutsSwitchToVerticalBlankForGood)
{
    FakeDevice dev(SurfaceFormat::Xrgb8888(), 8, 4);
    dev.dd->mOptions.mWaitForVSync = true;
    dev.dd->mOptions.mSoftVSyncWait = false;
    ASSERT_EQ(dev.Start(), DDInterface::RESULT_OK);
    // An empty script answers "unsupported": each try gives up at once and counts.
    for (int i = 1; i <= 3; ++i) {
        ASSERT_TRUE(dev.dd->Redraw(nullptr));
        EXPECT_EQ(dev.dd->GetScanLineTimeouts(), i);
        EXPECT_EQ(dev.fake->mVerticalBlankWaits, i);
    }
    ASSERT_EQ(dev.Start(), DDInterface::RESULT_OK);
    const int reads = dev.fake->mScanLineReads;
    ASSERT_TRUE(dev.dd->Redraw(nullptr));
    EXPECT_EQ(dev.fake->mScanLineReads, reads) << "not tried again, also after a new Init";
    EXPECT_EQ(dev.fake->mVerticalBlankWaits, 4);
}

TEST(DDInterfaceTest, TwoHalfCopyFollowsTheBeam)
{
    FakeDevice dev(SurfaceFormat::Xrgb8888(), 8, 4);
    dev.dd->mOptions.mWaitForVSync = true;
    dev.dd->mOptions.mSoftVSyncWait = false;
    ASSERT_EQ(dev.Start(), DDInterface::RESULT_OK);
    dev.dd->GetScreenImage()->FillRect(Rect(0, 0, 8, 4), Color(0, 0, 255), Graphics::DRAWMODE_NORMAL);
    // Beam above the split line (2), then at it; then it wraps below the last line read.
    dev.fake->mScanLines = {{DisplayError::Ok, 0}, {DisplayError::Ok, 2}, {DisplayError::Ok, 1}};
    ASSERT_TRUE(dev.dd->Redraw(nullptr));
    EXPECT_EQ(dev.dd->GetScanLineTimeouts(), 0);
    EXPECT_EQ(dev.fake->mVerticalBlankWaits, 0);
    for (uint32_t p : dev.fake->mPresented)
        ASSERT_EQ(p & 0xFFFFFF, 0xFEu);
}

TEST(DDInterfaceTest, SecondScanLineWaitIsBounded)
{
    FakeDevice dev(SurfaceFormat::Xrgb8888(), 8, 4);
    dev.dd->mOptions.mWaitForVSync = true;
    dev.dd->mOptions.mSoftVSyncWait = false;
    ASSERT_EQ(dev.Start(), DDInterface::RESULT_OK);
    // After the first wait the scan line can no longer be read at all.
    dev.fake->mScanLines = {{DisplayError::Ok, 0}, {DisplayError::Ok, 2}};
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(dev.dd->Redraw(nullptr));
    auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LT(elapsed, std::chrono::seconds(2));
    EXPECT_EQ(dev.dd->GetScanLineTimeouts(), 0);
}

namespace
{

// A 64 x 48 screen whose every pixel differs, so any trail or misplaced restore shows.
void PaintGradient(DDImage* screen)
{
    auto pixels =
        ddtest::Picture(64, 48, [](int x, int y) { return 0xFF000000u | uint32_t(x * 4) << 8 | uint32_t(y * 5); });
    MemoryImage picture;
    picture.SetBits(pixels.data(), 64, 48);
    screen->BlitImage(&picture, 0, 0, Rect(0, 0, 64, 48), Color::White, Graphics::DRAWMODE_NORMAL);
}

uint32_t Background(int x, int y)
{
    return uint32_t(x * 4) << 8 | uint32_t(y * 5);
}

// The presented frame must be the background everywhere except the cursor's 4 x 4 square.
void ExpectCursorAt(const DisplayFake& fake, int cx, int cy)
{
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) {
            bool inCursor = x >= cx - 2 && x < cx + 2 && y >= cy - 2 && y < cy + 2;
            uint32_t expected = inCursor ? 0xFF0000u : Background(x, y);
            ASSERT_EQ(fake.mPresented[size_t(y) * 64 + x] & 0xFFFFFF, expected) << x << "," << y;
        }
}

} // namespace

TEST(DDInterfaceTest, SoftwareCursorIsComposedAndMovesWithoutTrail)
{
    FakeDevice dev(SurfaceFormat::Xrgb8888(), 64, 48);
    ASSERT_EQ(dev.Start(), DDInterface::RESULT_OK);
    DDImage cursor(dev.dd.get());
    std::vector<uint32_t> red(16, 0xFFFF0000);
    cursor.SetBits(red.data(), 4, 4);
    EXPECT_TRUE(dev.dd->SetCursorImage(&cursor));
    EXPECT_FALSE(dev.dd->SetCursorImage(&cursor));

    PaintGradient(dev.dd->GetScreenImage());
    dev.dd->SetCursorPos(20, 10);
    ASSERT_TRUE(dev.dd->Redraw(nullptr));
    ExpectCursorAt(*dev.fake, 20, 10);
    // The frame being drawn keeps no cursor: the next frame starts from the clean picture.
    std::vector<uint32_t> drawn = ddtest::RawPixels(*dev.dd->mDrawSurface);
    EXPECT_EQ(drawn[size_t(10) * 64 + 20] & 0xFFFFFF, Background(20, 10));

    EXPECT_FALSE(dev.dd->UpdateCursor()) << "nothing moved";
    // Small moves overlap the old place; large ones do not; the last one leaves the screen partly.
    for (auto [x, y] : {std::pair{22, 11}, std::pair{40, 30}, std::pair{41, 30}, std::pair{62, 1}}) {
        // The cursor thread only publishes; the screen changes when the main thread composes.
        const int presents = dev.fake->mPresentCount;
        const std::vector<uint32_t> shown = ddtest::RawPixels(*dev.dd->mPrimarySurface);
        dev.dd->SetCursorPos(x, y);
        EXPECT_EQ(dev.fake->mPresentCount, presents);
        EXPECT_EQ(ddtest::RawPixels(*dev.dd->mPrimarySurface), shown);
        ASSERT_TRUE(dev.dd->UpdateCursor());
        SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
        if (x < 62)
            ExpectCursorAt(*dev.fake, x, y);
    }
    // Back into a full redraw: the cursor is drawn where it was last put.
    ASSERT_TRUE(dev.dd->Redraw(nullptr));
    dev.dd->SetCursorPos(30, 30);
    ASSERT_TRUE(dev.dd->UpdateCursor());
    ExpectCursorAt(*dev.fake, 30, 30);
}

TEST(DDInterfaceTest, VideoMemoryScreenImageRefusesSoftwareDrawing)
{
    FakeDevice dev(SurfaceFormat::Xrgb8888(), 8, 4);
    ASSERT_EQ(dev.Start(), DDInterface::RESULT_OK);
    dev.dd->RecreateScreenImage(true);
    DDImage* screen = dev.dd->GetScreenImage();
    EXPECT_TRUE(screen->mNoSoftwareDraw);
    EXPECT_EQ(screen->GetBits(), nullptr);
    ASSERT_TRUE(dev.dd->Redraw(nullptr));

    // Without room for the video-memory copy the screen stays on the draw surface.
    FakeDevice small(SurfaceFormat::Xrgb8888(), 8, 4);
    small.fake->SetVideoMemoryTotal(16);
    ASSERT_EQ(small.Start(), DDInterface::RESULT_OK);
    small.dd->RecreateScreenImage(true);
    EXPECT_FALSE(small.dd->GetScreenImage()->mNoSoftwareDraw);
    EXPECT_FALSE(small.dd->mVideoOnlyDraw);
}

TEST(DDInterfaceTest, ImagesRegisterWithTheDevice)
{
    FakeDevice dev;
    ASSERT_EQ(dev.Start(), DDInterface::RESULT_OK);
    const size_t base = dev.dd->mDDImageSet.size();
    {
        DDImage a(dev.dd.get());
        EXPECT_EQ(dev.dd->mDDImageSet.size(), base + 1);
        EXPECT_EQ(dev.dd->mDDImageSet.count(&a), 1u);
    }
    EXPECT_EQ(dev.dd->mDDImageSet.size(), base);
}

TEST(DDInterfaceTest, RealPresentOnAnSdlWindowReadsBackAsDrawn)
{
    std::string error;
    WindowSpec spec;
    spec.mTitle = "display test";
    spec.mWidth = 32;
    spec.mHeight = 24;
    std::unique_ptr<Window> window = Window::Create(spec, error);
    if (!window)
        GTEST_SKIP() << "no SDL window: " << error;
    for (bool windowed : {true, false}) {
        DDInterface dd(nullptr);
        dd.mOptions.mWidth = 32;
        dd.mOptions.mHeight = 24;
        dd.mOptions.mColorDepth = 16;
        ASSERT_EQ(dd.Init(window.get(), windowed), DDInterface::RESULT_OK) << dd.mErrorString;
        EXPECT_EQ(dd.mRGBBits, windowed ? dd.mRGBBits : 16);
        DDImage* screen = dd.GetScreenImage();
        screen->FillRect(Rect(0, 0, 32, 24), Color(0, 0, 255), Graphics::DRAWMODE_NORMAL);
        screen->FillRect(Rect(16, 12, 16, 12), Color(255, 255, 0), Graphics::DRAWMODE_NORMAL);
        ASSERT_TRUE(dd.Redraw(nullptr)) << dd.mErrorString;
        std::vector<uint32_t> frame;
        int w = 0, h = 0;
        ASSERT_TRUE(static_cast<DisplaySdl*>(dd.GetDisplay())->ReadPresentedFrame(frame, w, h));
        ASSERT_EQ(w, 32);
        ASSERT_EQ(h, 24);
        auto channel = [&](int x, int y, int shift) { return int(frame[size_t(y) * 32 + x] >> shift & 0xFF); };
        EXPECT_LT(channel(3, 3, 16), 8);
        EXPECT_GT(channel(3, 3, 0), 240);
        EXPECT_GT(channel(20, 20, 16), 240);
        EXPECT_GT(channel(20, 20, 8), 240);
        EXPECT_LT(channel(20, 20, 0), 8);
    }
}
