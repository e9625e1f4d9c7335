// The application with the hardware renderer: the acceptance test at the first display start, the
// stored choice it replaces, switching 3D on while running and the choice kept at exit.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "Hardware3DSupport.h"
#include "app/AppTestSupport.h"
#include "graphics/D3DTester.h"
#include "graphics/DDImage.h"
#include "graphics/DDInterface.h"
#include "platform/DisplayFake.h"
#include "platform/Window.h"

using namespace Olvarn;

namespace
{

class HardwareApp : public apptest::CountingApp
{
public:
    HardwareApp()
    {
        mRegKey = "Tests\\Hardware3D";
        mWidth = 320;
        mHeight = 240;
    }
    ~HardwareApp() override { SetClock(nullptr); }
    void UseFakeDisplay()
    {
        mDDInterface =
            new DDInterface(this, GetDisplayOptions(), std::make_unique<DisplayFake>(SurfaceFormat::Xrgb8888()));
    }
    void On3DTestRun() override { ++mFreshTests; }
    int mFreshTests = 0;
};

TEST(AppHardware3D, AFreshTestReplacesTheStoredChoiceAndASwitchOnIsKeptAtExit)
{
    std::string why;
    if (!d3dtest::GLContextAvailable(why))
        GTEST_SKIP() << "no OpenGL context on this machine: " << why;
    {
        HardwareApp setup;
        setup.WriteRegistryDWORD("Is3D", 0);
        setup.DeleteRegistryValue("Test3D\\Version");
    }
    {
        HardwareApp app;
        // As a stored choice leaves it: test the card, switch nothing on by itself.
        app.mTest3D = true;
        app.UseFakeDisplay();
        app.CreateMainWindow();
        ASSERT_TRUE(app.mDDInterface->IsInitialized());
        EXPECT_EQ(app.mFreshTests, 1);
        EXPECT_TRUE(app.Is3DSupported());
        EXPECT_TRUE(app.Is3DRecommended());
        // The fresh test removed the stored choice.
        EXPECT_FALSE(app.Is3DEnabled());
        uint32_t stored = 0;
        EXPECT_FALSE(app.ReadRegistryDWORD("Is3D", stored));

        app.Set3DEnabled(true, true);
        ASSERT_TRUE(app.Is3DEnabled());
        DDImage* screen = app.mDDInterface->GetScreenImage();
        screen->FillRect(Rect(0, 0, 320, 240), Color(1, 2, 3), Graphics::DRAWMODE_NORMAL);
        EXPECT_TRUE(app.mDDInterface->Redraw(nullptr));
        EXPECT_TRUE(app.Is3DEnabled());
    }
    // The card was recommended: the exit keeps the switch without asking.
    HardwareApp after;
    uint32_t stored = 0;
    EXPECT_TRUE(after.ReadRegistryDWORD("Is3D", stored));
    EXPECT_EQ(stored, 1u);
    after.DeleteRegistryValue("Is3D");
}

TEST(AppHardware3D, TheAcceptanceTestAndAStored3DWaitForTheFirstFrame)
{
    std::string why;
    if (!d3dtest::GLContextAvailable(why))
        GTEST_SKIP() << "no OpenGL context on this machine: " << why;
    {
        HardwareApp setup;
        setup.DeleteRegistryValue("Test3D\\Version");
    }
    HardwareApp app;
    app.UseFakeDisplay();
    app.RecordWidgets();
    // As a stored choice of 3D leaves it, at the program's start.
    app.mTest3D = true;
    app.mDDInterface->Set3DEnabled(true);
    app.mHardware3DDeferred = true;
    app.CreateMainWindow();
    ASSERT_TRUE(app.mDDInterface->IsInitialized());
    EXPECT_FALSE(app.Is3DEnabled());
    EXPECT_EQ(app.mFreshTests, 0);
    EXPECT_FALSE(app.mMainWindow->AskedForOpenGL());

    ASSERT_TRUE(app.DrawFrame()); // the first frame, then what waited
    EXPECT_EQ(app.mFreshTests, 1);
    EXPECT_TRUE(app.Is3DEnabled());
    ASSERT_TRUE(app.mDDInterface->IsInitialized());
    EXPECT_FALSE(app.mHardware3DDeferred);
    EXPECT_FALSE(app.mMainWindow->AskedForOpenGL()) << "the window the first frame went to stays";
    app.DeleteRegistryValue("Is3D");
}

// The first pixel of the frame the display last put on the screen, 0xAARRGGBB.
uint32_t PresentedCorner(HardwareApp& app)
{
    std::vector<uint32_t> argb;
    int width = 0, height = 0;
    if (!app.mDDInterface->GetDisplay()->ReadPresentedFrame(argb, width, height) || argb.empty())
        return 0;
    return argb[0];
}

// The software screen rounds a fill's channels by one at most.
bool NearlyEqual(uint32_t a, uint32_t b)
{
    for (int shift = 0; shift < 32; shift += 8)
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 1)
            return false;
    return true;
}

TEST(AppHardware3D, TheMainWindowHasOpenGLOnlyWhile3DIsOn)
{
    std::string why;
    if (!d3dtest::GLContextAvailable(why))
        GTEST_SKIP() << "no OpenGL context on this machine: " << why;
    HardwareApp app;
    app.DeleteRegistryValue("Is3D");
    app.CreateMainWindow();
    ASSERT_TRUE(app.mDDInterface->IsInitialized());
    ASSERT_FALSE(app.Is3DEnabled());
    EXPECT_FALSE(app.mMainWindow->HasOpenGL());

    struct Step {
        bool m3D;
        Color mColor;
        uint32_t mExpected;
    };
    const Step steps[] = {{true, Color(10, 200, 30), 0xFF0AC81E},
                          {false, Color(200, 20, 100), 0xFFC81464},
                          {true, Color(1, 2, 3), 0xFF010203}};
    for (const Step& step : steps) {
        SCOPED_TRACE(step.m3D ? "3D on" : "3D off");
        app.Set3DEnabled(step.m3D, true);
        ASSERT_EQ(app.Is3DEnabled(), step.m3D);
        ASSERT_TRUE(app.mDDInterface->IsInitialized());
        EXPECT_EQ(app.mMainWindow->HasOpenGL(), step.m3D);
        DDImage* screen = app.mDDInterface->GetScreenImage();
        screen->FillRect(Rect(0, 0, 320, 240), step.mColor, Graphics::DRAWMODE_NORMAL);
        ASSERT_TRUE(app.mDDInterface->Redraw(nullptr));
        EXPECT_PRED2(NearlyEqual, PresentedCorner(app), step.mExpected);
    }
    app.DeleteRegistryValue("Is3D");
}

TEST(AppHardware3D, WithoutATestNothingIsSupported)
{
    HardwareApp app;
    app.UseFakeDisplay();
    app.CreateMainWindow();
    EXPECT_FALSE(app.Is3DSupported());
    EXPECT_FALSE(app.Is3DRecommended());
    EXPECT_STREQ(D3DTester::Verdict(app.mDDInterface->Get3DTester()), "Unsupported");
}

} // namespace
