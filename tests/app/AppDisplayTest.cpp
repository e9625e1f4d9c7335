// The main window and the display start: placement in the work area, the fallback matrix of refused
// modes, Alt+Enter on a real display, hardware acceleration falling back, restarts of a lost display,
// the hardware-acceleration question at exit, and the presented frame kept as a PNG. Runs on SDL's
// dummy driver (a 1024 x 768 desktop).
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "AppTestSupport.h"
#include "graphics/DDImage.h"
#include "graphics/DDInterface.h"
#include "platform/DisplayFake.h"
#include "platform/DisplaySdl.h"
#include "platform/KeyMap.h"
#include "platform/SettingsStore.h"
#include "platform/Window.h"
#include "resources/ImageLib.h"
#include "support/TempDir.h"

using namespace Olvarn;

namespace
{

// Refuses what the test asks it to: full screen, or a window on the desktop's depth, or any surface.
class RefusingDisplay : public DisplayFake
{
public:
    RefusingDisplay()
    {
        mCreateHook = [this](const SurfaceDesc& desc) -> DisplayResult {
            if (mRefuseAllSurfaces)
                return DisplayError::Generic;
            if (mRefuseWindowDepth && (desc.mCaps & SurfaceCaps::Primary) && !mFullScreen)
                return DisplayError::InvalidPixelFormat;
            return DisplayError::Ok;
        };
    }
    void RefuseFullScreen() { mCooperativeLevelResult = DisplayError::NoExclusiveMode; }
    bool mRefuseWindowDepth = false;
    bool mRefuseAllSurfaces = false;
};

class DisplayApp : public apptest::CountingApp
{
public:
    DisplayApp()
    {
        mRegKey = "Tests\\AppDisplay";
        mWidth = 640;
        mHeight = 480;
    }
    // The base destructor asks its exit question through the clock; this one's clock dies first.
    ~DisplayApp() override { SetClock(nullptr); }
    // Starts on a fake display device the test can make refuse things.
    RefusingDisplay* UseFakeDisplay()
    {
        auto display = std::make_unique<RefusingDisplay>();
        RefusingDisplay* raw = display.get();
        mDDInterface = new DDInterface(this, GetDisplayOptions(), std::move(display));
        return raw;
    }
    void OnBeforeDisplayInit() override { ++mDisplayStarts; }
    using OlvarnAppBase::DecideFullScreen;
    int mDisplayStarts = 0;
};

void WindowOuterPosition(const DisplayApp& app, int& x, int& y)
{
    int top = 0, left = 0, bottom = 0, right = 0;
    app.mMainWindow->GetPosition(x, y);
    app.mMainWindow->GetBorders(top, left, bottom, right);
    x -= left;
    y -= top;
}

} // namespace

TEST(MainWindow, PlacementCentresOrPullsTheStoredPositionIntoTheWorkArea)
{
    int workX = 0, workY = 0, workW = 0, workH = 0;
    {
        DisplayApp probe;
        probe.UseFakeDisplay();
        probe.CreateMainWindow();
        ASSERT_TRUE(Window::UsableDesktopArea(workX, workY, workW, workH));
    }
    struct Case {
        int preferredX, preferredY;
        int expectedX, expectedY;
    };
    const Case cases[] = {
        // Centred across; 38.2% of the free height above (truncated toward zero).
        {-1, -1, workX + (workW - 640) / 2, workY + static_cast<int>(0.382 * (workH - 480))},
        {100, 120, 100, 120},
        {0, 0, workX + 4, workY + 4},
        {5000, 5000, workX + workW - 4 - 640, workY + workH - 4 - 480},
        // Touching the margin counts as crossing it.
        {workX + workW - 4 - 640, 50, workX + workW - 4 - 640, 50},
    };
    for (const Case& c : cases) {
        DisplayApp app;
        app.UseFakeDisplay();
        app.mPreferredX = c.preferredX;
        app.mPreferredY = c.preferredY;
        app.CreateMainWindow();
        ASSERT_TRUE(app.mMainWindow);
        int x = 0, y = 0;
        WindowOuterPosition(app, x, y);
        EXPECT_EQ(x, c.expectedX) << c.preferredX;
        EXPECT_EQ(y, c.expectedY) << c.preferredY;
        EXPECT_TRUE(app.mDisplayWindowed);
        EXPECT_FALSE(app.mMainWindow->IsFullScreen());
    }
}

TEST(MainWindow, AMoveOfTheWindowBecomesThePreferredPosition)
{
    DisplayApp app;
    app.UseFakeDisplay();
    app.CreateMainWindow();
    app.mMainWindow->SetPosition(300, 200);
    AppMessage move;
    move.mKind = AppMessageKind::Move;
    app.WindowProc(move);
    app.DrainQueuedMessages(false);
    int top = 0, left = 0, bottom = 0, right = 0;
    app.mMainWindow->GetBorders(top, left, bottom, right);
    EXPECT_EQ(app.mPreferredX, 300 - left);
    EXPECT_EQ(app.mPreferredY, 200 - top);
}

TEST(DisplayStart, ASuccessfulStartHandsTheScreenImageToTheWidgets)
{
    DisplayApp app;
    app.UseFakeDisplay();
    app.mMinimized = true;
    app.Mute(true);
    app.CreateMainWindow();
    ASSERT_TRUE(app.mDDInterface->IsInitialized());
    EXPECT_EQ(app.mDisplayStarts, 1);
    EXPECT_NE(app.mWidgetManager->mScreenImage, nullptr);
    EXPECT_EQ(app.mWidgetManager->mScreenImage, app.mDDInterface->GetScreenImage());
    EXPECT_EQ(app.mRefreshRate, app.mDDInterface->mRefreshRate);
    EXPECT_FALSE(app.mMinimized);
    EXPECT_FALSE(app.IsMuted());
}

TEST(DisplayStart, TheFallbackMatrix)
{
    struct Case {
        const char* name;
        bool windowed, refuseFullScreen, refuseWindowDepth;
        bool expectWindowed, expectWindowedUnavailable, expectFullScreenUnavailable;
    };
    const Case cases[] = {
        {"window", true, false, false, true, false, false},
        {"full screen", false, false, false, false, false, false},
        {"full screen refused: a window", false, true, false, true, false, true},
        {"window depth refused: full screen", true, false, true, false, true, false},
    };
    for (const Case& c : cases) {
        DisplayApp app;
        RefusingDisplay* display = app.UseFakeDisplay();
        if (c.refuseFullScreen)
            display->RefuseFullScreen();
        display->mRefuseWindowDepth = c.refuseWindowDepth;
        app.mIsWindowed = c.windowed;
        app.CreateMainWindow();
        EXPECT_TRUE(app.mDDInterface->IsInitialized()) << c.name;
        EXPECT_EQ(app.mIsWindowed, c.expectWindowed) << c.name;
        EXPECT_EQ(app.mDisplayWindowed, c.expectWindowed) << c.name;
        EXPECT_EQ(app.mWindowedUnavailable, c.expectWindowedUnavailable) << c.name;
        EXPECT_EQ(app.mFullScreenUnavailable, c.expectFullScreenUnavailable) << c.name;
        EXPECT_EQ(app.mWidgetManager->mScreenImage, app.mDDInterface->GetScreenImage()) << c.name;
    }
}

TEST(DisplayStartDeathTest, NeitherModeStartingEndsTheProgramWithAMessage)
{
    // Window depth refused while full screen is known to be unavailable.
    EXPECT_EXIT(
        {
            DisplayApp app;
            app.UseFakeDisplay()->mRefuseWindowDepth = true;
            app.mFullScreenUnavailable = true;
            app.CreateMainWindow();
        },
        ::testing::ExitedWithCode(1), "Please set your desktop color depth to 16 bit.");
    // Window depth refused, then full screen refused too: nothing started, so the program must not go on
    // as if it had.
    EXPECT_EXIT(
        {
            DisplayApp app;
            RefusingDisplay* display = app.UseFakeDisplay();
            display->mRefuseWindowDepth = true;
            display->RefuseFullScreen();
            app.CreateMainWindow();
        },
        ::testing::ExitedWithCode(1), "Failed to initialize DirectDraw: RESULT_EXCLUSIVE_FAIL");
    // Any other failure.
    EXPECT_EXIT(
        {
            DisplayApp app;
            app.UseFakeDisplay()->mRefuseAllSurfaces = true;
            app.CreateMainWindow();
        },
        ::testing::ExitedWithCode(1), "Failed to initialize DirectDraw: RESULT_SURFACE_FAIL CreateSurface");
}

TEST(ScreenMode, AltEnterTwiceReturnsToTheFirstModeAndWindowedUnavailableStaysFullScreen)
{
    DisplayApp app;
    app.UseFakeDisplay();
    app.CreateMainWindow();
    AppMessage altEnter;
    altEnter.mKind = AppMessageKind::SysKeyDown;
    altEnter.mParam1 = VK_RETURN;
    app.WindowProc(altEnter);
    EXPECT_FALSE(app.mIsWindowed);
    EXPECT_FALSE(app.mDisplayWindowed);
    EXPECT_TRUE(app.mMainWindow->IsFullScreen());
    EXPECT_TRUE(app.mDDInterface->IsInitialized());
    app.WindowProc(altEnter);
    EXPECT_TRUE(app.mIsWindowed);
    EXPECT_TRUE(app.mDisplayWindowed);
    EXPECT_EQ(app.mWidgetManager->mScreenImage, app.mDDInterface->GetScreenImage());
    EXPECT_TRUE(app.mMessageQueue.empty());

    app.ChangeWindowedMode(false);
    app.mWindowedUnavailable = true;
    app.ChangeWindowedMode(true);
    EXPECT_FALSE(app.mIsWindowed);
    EXPECT_FALSE(app.mDisplayWindowed);
}

TEST(ScreenMode, ReapplyRestartsTheDisplayInTheSameMode)
{
    DisplayApp app;
    app.UseFakeDisplay();
    app.CreateMainWindow();
    app.ReapplyScreenMode();
    EXPECT_EQ(app.mDisplayStarts, 2);
    EXPECT_TRUE(app.mIsWindowed);
    EXPECT_TRUE(app.mDDInterface->IsInitialized());
}

TEST(HardwareAcceleration, SwitchingOnWithoutARendererFallsBackAndKeepsTheDisplayRunning)
{
    DisplayApp app;
    app.UseFakeDisplay();
    app.CreateMainWindow();
    app.Set3DEnabled(true, true);
    EXPECT_FALSE(app.mDDInterface->Is3DEnabled());
    EXPECT_TRUE(app.mDDInterface->IsInitialized());
    EXPECT_TRUE(app.m3DSwitchedWhileRunning);
    EXPECT_EQ(app.mWidgetManager->mScreenImage, app.mDDInterface->GetScreenImage());
}

TEST(HardwareAcceleration, AStored3DChoiceIsTriedAtStartAndFallsBack)
{
    {
        DisplayApp writer;
        writer.WriteRegistryDWORD("Is3D", 1);
    }
    DisplayApp app;
    app.mAuto3D = true;
    app.CreateMainWindow(); // the real display device on the dummy driver
    EXPECT_TRUE(app.mTest3D);
    EXPECT_FALSE(app.mAuto3D);
    EXPECT_FALSE(app.mDDInterface->Is3DEnabled());
    EXPECT_TRUE(app.mDDInterface->IsInitialized());
    app.DeleteRegistryValue("Is3D");
}

TEST(HardwareAcceleration, TheExitQuestionIsAskedOnlyWhenNothingWasStored)
{
    struct Case {
        const char* name;
        bool stored;
        uint32_t storedValue;
        bool on;
        bool expectStored;
        uint32_t expectValue;
        bool expectAsked;
    };
    const Case cases[] = {
        {"nothing stored, 3D off: no question, nothing written", false, 0, false, false, 0, false},
        // Headless, the question takes its default answer, Yes.
        {"nothing stored, 3D on: asked, Yes stores 1", false, 0, true, true, 1, true},
        {"stored, 3D off: written without asking", true, 1, false, true, 0, false},
        {"stored, 3D on: written without asking", true, 0, true, true, 1, false},
    };
    for (const Case& c : cases) {
        {
            DisplayApp setup;
            setup.DeleteRegistryValue("Is3D");
            if (c.stored)
                setup.WriteRegistryDWORD("Is3D", c.storedValue);
        }
        testing::internal::CaptureStderr();
        {
            DisplayApp app;
            app.UseFakeDisplay();
            app.m3DSwitchedWhileRunning = true;
            app.mDDInterface->Set3DEnabled(c.on);
        }
        std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(said.find(" Hardware Acceleration Confirmation") != std::string::npos, c.expectAsked)
            << c.name << ": " << said;
        DisplayApp reader;
        uint32_t value = 99;
        EXPECT_EQ(reader.ReadRegistryDWORD("Is3D", value), c.expectStored) << c.name;
        if (c.expectStored) {
            EXPECT_EQ(value, c.expectValue) << c.name;
        }
        reader.DeleteRegistryValue("Is3D");
    }
}

TEST(LostDisplay, AFailedPresentRestartsTheDisplayWhileFocusedButNotWhileMinimised)
{
    DisplayApp app;
    RefusingDisplay* display = app.UseFakeDisplay();
    app.CreateMainWindow();
    ASSERT_TRUE(app.mDDInterface->IsInitialized());

    app.mMinimized = true;
    display->LoseSurfaces();
    app.RepaintWindow(nullptr);
    EXPECT_TRUE(app.mDisplayLost);
    EXPECT_EQ(app.mDisplayStarts, 1) << "no restart while minimised";

    app.mMinimized = false;
    app.RepaintWindow(nullptr);
    EXPECT_EQ(app.mDisplayStarts, 2);
    EXPECT_TRUE(app.mDDInterface->IsInitialized());
    EXPECT_EQ(app.mWidgetManager->mScreenImage, app.mDDInterface->GetScreenImage());

    // The next present works and clears the lost state.
    app.RepaintWindow(nullptr);
    EXPECT_FALSE(app.mDisplayLost);
}

TEST(LostDisplay, WithoutFocusAWindowedRestartIsTriedAtMostOnceASecond)
{
    DisplayApp app;
    RefusingDisplay* display = app.UseFakeDisplay();
    app.CreateMainWindow();
    app.mHasFocus = false;
    app.mTestClock.Advance(5000);
    display->mRefuseAllSurfaces = true;
    display->LoseSurfaces();
    app.RepaintWindow(nullptr);
    EXPECT_EQ(app.mDisplayStarts, 2);
    app.mTestClock.Advance(500);
    app.RepaintWindow(nullptr);
    EXPECT_EQ(app.mDisplayStarts, 2);
    app.mTestClock.Advance(600);
    display->mRefuseAllSurfaces = false;
    app.RepaintWindow(nullptr);
    EXPECT_EQ(app.mDisplayStarts, 3);
    EXPECT_TRUE(app.mDDInterface->IsInitialized());
}

TEST(Screenshot, AHeadlessRunWritesThePresentedFrameAsPng)
{
    // The real display on SDL's headless driver: draw, present, read the frame back from the
    // renderer and keep it as a PNG file.
    DisplayApp app;
    app.CreateMainWindow();
    ASSERT_TRUE(app.mDDInterface->IsInitialized()) << app.mDDInterface->mErrorString;
    auto* display = dynamic_cast<DisplaySdl*>(app.mDDInterface->GetDisplay());
    ASSERT_NE(display, nullptr);
    DDImage* screen = app.mDDInterface->GetScreenImage();
    screen->FillRect(Rect(0, 0, 640, 480), Color(0, 0, 255), Graphics::DRAWMODE_NORMAL);
    screen->FillRect(Rect(320, 240, 320, 240), Color(255, 255, 0), Graphics::DRAWMODE_NORMAL);
    ASSERT_TRUE(app.mDDInterface->Redraw(nullptr)) << app.mDDInterface->mErrorString;

    std::vector<uint32_t> frame;
    int width = 0, height = 0;
    ASSERT_TRUE(display->ReadPresentedFrame(frame, width, height));
    ASSERT_EQ(width, 640);
    ASSERT_EQ(height, 480);
    ImageLib::Image shot;
    ASSERT_TRUE(shot.Create(width, height));
    std::copy(frame.begin(), frame.end(), shot.GetBits());
    testsupport::TempDir dir;
    ASSERT_TRUE(ImageLib::SavePng(dir.File("frame.png"), shot));

    std::unique_ptr<ImageLib::Image> back = ImageLib::ReadPng(dir.File("frame.png"));
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(back->GetWidth(), 640);
    ASSERT_EQ(back->GetHeight(), 480);
    // A full channel may come out as 254 from a 32-bit fill, or with its low bits clear from 16 bits.
    auto near = [](uint32_t pixel, uint32_t rgb) {
        for (int shift : {0, 8, 16})
            if (std::abs(int(pixel >> shift & 0xFF) - int(rgb >> shift & 0xFF)) > 8)
                return false;
        return true;
    };
    const uint32_t* px = back->GetBits();
    EXPECT_TRUE(near(px[10 * 640 + 10], 0x0000FF)) << std::hex << px[10 * 640 + 10];
    EXPECT_TRUE(near(px[400 * 640 + 500], 0xFFFF00)) << std::hex << px[400 * 640 + 500];
    EXPECT_TRUE(near(px[100 * 640 + 500], 0x0000FF)) << std::hex << px[100 * 640 + 500];
}

TEST(FullScreenPacing, RefreshPacedUpdatesWaitForTheRefreshOfTheRealDisplay)
{
    // In full screen the pacer runs an update for each present and leaves the waiting to the
    // present. The headless driver's renderer never waits, so the display waits by the clock:
    // updates may not outrun the refresh (60 Hz when the display does not tell).
    DisplayApp app;
    app.RecordWidgets();
    app.mIsWindowed = false;
    app.mVSyncUpdates = true;
    app.CreateMainWindow();
    ASSERT_TRUE(app.mDDInterface->IsInitialized()) << app.mDDInterface->mErrorString;
    ASSERT_FALSE(app.mDisplayWindowed);
    ASSERT_NE(dynamic_cast<DisplaySdl*>(app.mDDInterface->GetDisplay()), nullptr);
    int hz = 0;
    if (DisplayFailed(app.mDDInterface->GetDisplay()->GetMonitorFrequency(hz)) || hz <= 0)
        hz = 60;
    app.mRefreshRate = hz; // as a monitor that tells its rate: 100 updates a second in refresh steps
    app.mLoaded = true;
    const int updatesBefore = app.mUpdateCount, drawsBefore = app.mDrawCount;
    const auto start = std::chrono::steady_clock::now();
    for (int pass = 0; pass < 1000 && app.mDrawCount - drawsBefore < 12; ++pass) {
        bool updated = false;
        app.PumpStep(updated);
    }
    const double elapsedMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const int updates = app.mUpdateCount - updatesBefore;
    ASSERT_EQ(app.mDrawCount - drawsBefore, 12);
    // Each present after the first waited for a later refresh; the first wait ends at the next
    // refresh, which may lie less than a whole period ahead, so ten whole periods at least.
    EXPECT_GE(elapsedMs, 10 * 1000.0 / hz);
    EXPECT_LE(updates, elapsedMs / 10 + 3);
}

TEST(ScreenMode, ADesktopSmallerThanTheProgramGetsAFullScreenCoveringItAndTheChoiceIsNotSaved)
{
    // The dummy desktop is smaller than the program, as an 800x600 desktop is for 1024x768.
    SDL_DisplayMode desktop{};
    {
        DisplayApp probe;
        probe.UseFakeDisplay();
        probe.CreateMainWindow();
        ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
    }
    struct Case {
        const char* name;
        uint32_t storedMode; // 0 windowed, 1 full screen
        uint32_t savedMode;
    };
    const Case cases[] = {
        {"the user chose a window", 0, 0},
        {"the user chose full screen", 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        {
            Olvarn::SettingsStore store(Olvarn::SettingsStore::PathForKey("Tests\\SmallDesktop"));
            const unsigned char mode[4] = {static_cast<unsigned char>(c.storedMode), 0, 0, 0};
            store.Set("ScreenMode", Olvarn::SettingsStore::kDWord, mode, 4);
            ASSERT_TRUE(store.Save());
        }
        DisplayApp app;
        app.mRegKey = "Tests\\SmallDesktop";
        app.mWidth = desktop.w + 256;
        app.mHeight = desktop.h + 192;
        app.LoadSettings();
        app.DecideFullScreen();
        app.UseFakeDisplay();
        app.CreateMainWindow();
        ASSERT_TRUE(app.mMainWindow);
        EXPECT_FALSE(app.mIsWindowed);
        EXPECT_TRUE(app.mMainWindow->IsFullScreen());
        // The window covers the desktop from its corner, not the program's size centred over it.
        auto* window = static_cast<SDL_Window*>(app.mMainWindow->Native());
        int x = -1, y = -1, w = 0, h = 0;
        SDL_GetWindowPosition(window, &x, &y);
        SDL_GetWindowSize(window, &w, &h);
        EXPECT_EQ(x, 0);
        EXPECT_EQ(y, 0);
        EXPECT_EQ(w, desktop.w);
        EXPECT_EQ(h, desktop.h);
        app.SaveSettings();
        Olvarn::SettingsStore saved(Olvarn::SettingsStore::PathForKey("Tests\\SmallDesktop"));
        saved.Load();
        Olvarn::SettingsStore::Value mode;
        ASSERT_TRUE(saved.Get("ScreenMode", mode));
        ASSERT_EQ(mode.mData.size(), 4u);
        EXPECT_EQ(mode.mData[0], c.savedMode);
    }
}
