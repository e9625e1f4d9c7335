// The developer tools on a headless application: the keys driven through the event pump, the
// overlays on the presented frame, screenshots, the image dump and the video report, and output
// folders that cannot be written.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "AppTestSupport.h"
#include "app/DevTools.h"
#include "core/ModVal.h"
#include "core/Profiler.h"
#include "graphics/D3DInterface.h"
#include "graphics/DDImage.h"
#include "graphics/DDInterface.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "platform/Display.h"
#include "platform/KeyMap.h"
#include "platform/Paths.h"
#include "platform/Window.h"
#include "resources/ImageLib.h"
#include "resources/SysFont.h"
#include "support/TempDir.h"

#include <SDL.h>

using namespace Olvarn;
namespace fs = std::filesystem;

namespace
{

struct Box {
    std::string mTitle, mText;
};

class DevApp : public apptest::CountingApp
{
public:
    DevApp()
    {
        mRegKey = "Tests\\DevTools";
        mWidth = 640;
        mHeight = 480;
    }
    ~DevApp() override { SetClock(nullptr); }
    int ShowMessageBox(const std::string& text, const std::string& title, int flags) override
    {
        mBoxes.push_back({title, text});
        return IDOK;
    }
    using OlvarnAppBase::PumpPlatformEvents;

    // Presses the key with the modifiers held, as the desktop reports it, and lets the application
    // take every message the presses made.
    void Press(const std::vector<SDL_Scancode>& modifiers, SDL_Scancode key)
    {
        Uint16 mods = 0;
        auto push = [&](SDL_Scancode code, bool down) {
            SDL_Event event = {};
            event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
            event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
            event.key.keysym.scancode = code;
            event.key.keysym.mod = mods;
            event.key.windowID = mMainWindow->Id();
            ASSERT_EQ(SDL_PushEvent(&event), 1);
        };
        auto modBit = [](SDL_Scancode code) -> Uint16 {
            return code == SDL_SCANCODE_LSHIFT ? KMOD_LSHIFT : code == SDL_SCANCODE_LCTRL ? KMOD_LCTRL : KMOD_LALT;
        };
        for (SDL_Scancode m : modifiers) {
            mods |= modBit(m);
            push(m, true);
        }
        push(key, true);
        push(key, false);
        for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) {
            mods &= static_cast<Uint16>(~modBit(*it));
            push(*it, false);
        }
        PumpPlatformEvents();
        DrainQueuedMessages(false);
    }

    std::vector<Box> mBoxes;
};

std::string UserFolder()
{
    return Paths::ProductDataFolder();
}

// Points the user's data folder somewhere for one scope.
class DataHomeOverride
{
public:
    explicit DataHomeOverride(const std::string& path) : mOld(Paths::DataHome())
    {
        setenv("XDG_DATA_HOME", path.c_str(), 1);
    }
    ~DataHomeOverride() { setenv("XDG_DATA_HOME", mOld.c_str(), 1); }

private:
    std::string mOld;
};

bool StartsWith(const std::string& text, const std::string& start)
{
    return text.compare(0, start.size(), start) == 0;
}

} // namespace

TEST(DeveloperKeys, EachKeyThroughTheEventPumpChangesItsState)
{
    testsupport::TempDir home;
    DataHomeOverride data(home.Path());
    ModVal::Reset();
    DevApp app;
    app.CreateMainWindow();
    ASSERT_TRUE(app.mDDInterface && app.mDDInterface->IsInitialized());
    const auto shift = SDL_SCANCODE_LSHIFT, ctrl = SDL_SCANCODE_LCTRL, alt = SDL_SCANCODE_LALT;

    struct Step {
        const char* mWhat;
        std::vector<SDL_Scancode> mModifiers;
        SDL_Scancode mKey;
        std::function<void(DevApp&)> mCheck;
    };
    auto lastBox = [](DevApp& app, const char* title, const std::string& start) {
        ASSERT_FALSE(app.mBoxes.empty());
        EXPECT_EQ(app.mBoxes.back().mTitle, title);
        EXPECT_TRUE(StartsWith(app.mBoxes.back().mText, start)) << app.mBoxes.back().mText;
    };
    const std::vector<Step> steps = {
        {"F3 does nothing before the developer keys are on",
         {},
         SDL_SCANCODE_F3,
         [](DevApp& a) { EXPECT_FALSE(a.mOverlaysOn); }},
        {"Ctrl+Alt+D switches them on",
         {ctrl, alt},
         SDL_SCANCODE_D,
         [](DevApp& a) { EXPECT_TRUE(a.mDeveloperKeysOn); }},
        {"F3 shows the frame rate",
         {},
         SDL_SCANCODE_F3,
         [](DevApp& a) {
             EXPECT_TRUE(a.mOverlaysOn);
             EXPECT_EQ(a.mOverlayMode, 0);
         }},
        {"F3 again hides it", {}, SDL_SCANCODE_F3, [](DevApp& a) { EXPECT_FALSE(a.mOverlaysOn); }},
        {"Shift+F3 from off shows the mouse position",
         {shift},
         SDL_SCANCODE_F3,
         [](DevApp& a) {
             EXPECT_TRUE(a.mOverlaysOn);
             EXPECT_EQ(a.mOverlayMode, 1);
         }},
        {"Shift+F3 again goes back to the frame rate and stays on",
         {shift},
         SDL_SCANCODE_F3,
         [](DevApp& a) {
             EXPECT_TRUE(a.mOverlaysOn);
             EXPECT_EQ(a.mOverlayMode, 0);
         }},
        {"Ctrl+F10 slows to a quarter",
         {ctrl},
         SDL_SCANCODE_F10,
         [](DevApp& a) { EXPECT_EQ(a.mUpdateMultiplier, 0.25); }},
        {"Ctrl+F10 again returns to full speed",
         {ctrl},
         SDL_SCANCODE_F10,
         [](DevApp& a) { EXPECT_EQ(a.mUpdateMultiplier, 1.0); }},
        {"F10 single-steps", {}, SDL_SCANCODE_F10, [](DevApp& a) { EXPECT_EQ(a.mStepMode, 1); }},
        {"Shift+F10 runs again", {shift}, SDL_SCANCODE_F10, [](DevApp& a) { EXPECT_EQ(a.mStepMode, 0); }},
        {"F2 starts the profiler",
         {},
         SDL_SCANCODE_F2,
         [](DevApp& a) {
             EXPECT_TRUE(Profiler::IsRunning());
             EXPECT_TRUE(a.mBoxes.empty());
         }},
        {"F2 stops it and shows the results",
         {},
         SDL_SCANCODE_F2,
         [&](DevApp& a) {
             EXPECT_FALSE(Profiler::IsRunning());
             lastBox(a, "Perf Results", "Total Time: ");
         }},
        {"F8 shows the video report",
         {},
         SDL_SCANCODE_F8,
         [&](DevApp& a) {
             lastBox(a, "Video Stats", "3D-Mode is OFF (3D is Unsupported on this system)\r\n\r\nVideo Memory: ");
         }},
        {"Shift+F8 switches 3D and says what it came to",
         {shift},
         SDL_SCANCODE_F8,
         [&](DevApp& a) {
             lastBox(a, "Mode Switch", "3D-Mode: ");
             EXPECT_EQ(a.mBoxes.back().mText, a.Is3DEnabled() ? "3D-Mode: ON" : "3D-Mode: OFF");
             EXPECT_TRUE(a.mDDInterface->IsInitialized()) << "the display runs after the switch";
         }},
        {"F11 takes a screenshot",
         {},
         SDL_SCANCODE_F11,
         [](DevApp&) { EXPECT_TRUE(fs::exists(UserFolder() + "/_screenshots/image1.png")); }},
        {"Shift+F11 dumps the images",
         {shift},
         SDL_SCANCODE_F11,
         [](DevApp&) { EXPECT_TRUE(fs::exists(UserFolder() + "/_dump/imagelist.html")); }},
        {"Alt+R re-reads the live constants and warns that nothing changed",
         {alt},
         SDL_SCANCODE_R,
         [&](DevApp& a) {
             lastBox(a, "MODVAL WARNING!", "WARNING: No file changes detected.  Files parsed: \r\n  none");
         }},
        {"Ctrl+Alt+D switches the keys off again",
         {ctrl, alt},
         SDL_SCANCODE_D,
         [](DevApp& a) { EXPECT_FALSE(a.mDeveloperKeysOn); }},
        {"and F3 is an ordinary key once more", {}, SDL_SCANCODE_F3, [](DevApp& a) { EXPECT_TRUE(a.mOverlaysOn); }},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.mWhat);
        app.Press(step.mModifiers, step.mKey);
        step.mCheck(app);
    }
}

TEST(DeveloperKeys, AFailedReReadClearsTheKeyTable)
{
    // The box of a failed re-read swallows the key releases, so nothing may be left held down.
    ModVal::Reset();
    DevApp app;
    app.mDeveloperKeysOn = true;
    app.mWidgetManager->OnKeyDown(VK_MENU);
    app.mWidgetManager->OnKeyDown(VK_SHIFT);
    EXPECT_FALSE(app.HandleDeveloperKey('R'));
    EXPECT_FALSE(app.mWidgetManager->IsKeyDown(VK_SHIFT));
    EXPECT_FALSE(app.mWidgetManager->IsKeyDown(VK_MENU));
    ASSERT_EQ(app.mBoxes.size(), 1u);
    EXPECT_EQ(app.mBoxes[0].mTitle, "MODVAL WARNING!");

    // Keys the tools do not know are left to the widgets.
    for (int key : {int('A'), int('R'), 0x70 /* F1 */, 0x7B /* F12 */})
        EXPECT_FALSE(app.HandleDeveloperKey(key)) << key;
}

TEST(DeveloperOverlays, TheFrameRateAndMousePositionAreDrawnAtTheBottomRight)
{
    DevApp app;
    app.CreateMainWindow();
    ASSERT_TRUE(app.mDDInterface && app.mDDInterface->IsInitialized());
    Display* display = app.mDDInterface->GetDisplay();
    DDImage* screen = app.mDDInterface->GetScreenImage();
    auto presentWithOverlays = [&](std::vector<uint32_t>& frame) {
        // A draw that changes nothing is not put on the screen; the overlays ride on a real frame.
        screen->FillRect(Rect(0, 0, 640, 480), Color(0, 0, 255), Graphics::DRAWMODE_NORMAL);
        app.mWidgetManager->InvalidateTree();
        app.mTestClock.Advance(2000);
        ASSERT_TRUE(app.DrawFrame());
        int width = 0, height = 0;
        ASSERT_TRUE(display->ReadPresentedFrame(frame, width, height));
        ASSERT_EQ(width, 640);
        ASSERT_EQ(height, 480);
    };

    app.mOverlaysOn = true;
    app.mOverlayMode = 0;
    app.mDevTools = std::make_unique<DevTools>();
    app.mDevTools->StartFrameCounting();
    std::vector<uint32_t> frame;
    presentWithOverlays(frame);
    ASSERT_NE(app.mDevTools->OverlayImage(), nullptr);
    EXPECT_EQ(app.mDevTools->OverlayText(), "FPS: 0") << "the first reading after switching on is 0";
    const DDImage* image = app.mDevTools->OverlayImage();
    const int left = 640 - image->GetWidth() - 10, top = 480 - image->GetHeight() - 10;
    EXPECT_GE(image->GetWidth(), 50);
    // The overlay is black with white text, over the blue frame.
    int white = 0, black = 0;
    for (int y = top; y < top + image->GetHeight(); ++y)
        for (int x = left; x < left + image->GetWidth(); ++x) {
            const uint32_t rgb = frame[size_t(y) * 640 + size_t(x)] & 0xFFFFFF;
            white += (rgb & 0xF0F0F0) == 0xF0F0F0;
            black += rgb == 0;
        }
    EXPECT_GT(white, 10) << "the text is drawn";
    EXPECT_GT(black, image->GetWidth() * image->GetHeight() / 2) << "on a black ground";
    // A full channel may come out as 254 from a 32-bit fill.
    auto blue = [&](int x, int y) {
        const uint32_t rgb = frame[size_t(y) * 640 + size_t(x)] & 0xFFFFFF;
        return rgb >> 8 == 0 && (rgb & 0xFF) >= 250;
    };
    EXPECT_TRUE(blue(left, top - 1)) << "above it the frame is untouched";
    EXPECT_TRUE(blue(left - 1, top));
    EXPECT_TRUE(blue(639, 479)) << "ten pixels are left free at the corner";

    app.mOverlayMode = 1;
    app.mWidgetManager->mLastMouseX = 123;
    app.mWidgetManager->mLastMouseY = 45;
    presentWithOverlays(frame);
    EXPECT_EQ(app.mDevTools->OverlayText(), "123,45");

    // While a demo plays, the time it has left stands above the first overlay.
    app.mPlayingDemo = true;
    app.mDemo.mTotalUpdates = app.mUpdateCount + 6150; // 61.5 s of 10 ms updates
    presentWithOverlays(frame);
    app.mPlayingDemo = false;
    EXPECT_EQ(app.mDevTools->DemoOverlayText(), "00:01:01");
    const DDImage* demo = app.mDevTools->DemoOverlayImage();
    ASSERT_NE(demo, nullptr);
    const int demoTop = 480 - image->GetHeight() - demo->GetHeight() - 15;
    const int demoLeft = 640 - demo->GetWidth() - 10;
    // The image fits its text, whatever font stands in for Tahoma: no digit is cut.
    SysFont font(&app, "Tahoma", 8);
    EXPECT_EQ(demo->GetWidth(), std::max(50, font.TextWidth("00:01:01") + 4));
    int demoBlack = 0, rightmostText = -1;
    for (int y = demoTop; y < demoTop + demo->GetHeight(); ++y)
        for (int x = demoLeft; x < demoLeft + demo->GetWidth(); ++x) {
            const uint32_t rgb = frame[size_t(y) * 640 + size_t(x)] & 0xFFFFFF;
            demoBlack += rgb == 0;
            if ((rgb & 0xF0F0F0) == 0xF0F0F0)
                rightmostText = std::max(rightmostText, x);
        }
    EXPECT_GT(demoBlack, demo->GetWidth() * demo->GetHeight() / 2);
    EXPECT_GT(rightmostText, demoLeft);
    EXPECT_LT(rightmostText, demoLeft + demo->GetWidth() - 1) << "the last digit ends inside the image";
    EXPECT_TRUE(blue(demoLeft, demoTop - 1));
    EXPECT_TRUE(blue(demoLeft, demoTop + demo->GetHeight() + 1)) << "five pixels apart";

    app.mOverlaysOn = false;
    presentWithOverlays(frame);
    EXPECT_TRUE(blue(left + 2, top + 2)) << "switched off, the corner shows the frame";
}

TEST(DeveloperOverlays, TheDemoTimeShowsWhatIsLeftAtMostOncePerSecondOfGameSpeed)
{
    DevTools tools;
    // 10 ms updates: 367,890 updates are 3,678.9 s, shown as 1:01:18.
    tools.UpdateDemoTimeOverlay(nullptr, nullptr, 367890, 10, 1.0, 5000);
    EXPECT_EQ(tools.DemoOverlayText(), "01:01:18");
    tools.UpdateDemoTimeOverlay(nullptr, nullptr, 100, 10, 1.0, 5999);
    EXPECT_EQ(tools.DemoOverlayText(), "01:01:18") << "less than a second later nothing is redrawn";
    tools.UpdateDemoTimeOverlay(nullptr, nullptr, 100, 10, 4.0, 6250);
    EXPECT_EQ(tools.DemoOverlayText(), "00:00:01") << "at four times the speed, a quarter second is enough";
}

TEST(Screenshot, TheFileIsAPngOfThePresentedFrameWithTheNextNumber)
{
    testsupport::TempDir home;
    DataHomeOverride data(home.Path());
    DevApp app;
    app.CreateMainWindow();
    ASSERT_TRUE(app.mDDInterface && app.mDDInterface->IsInitialized());
    DDImage* screen = app.mDDInterface->GetScreenImage();
    screen->FillRect(Rect(0, 0, 640, 480), Color(10, 20, 200), Graphics::DRAWMODE_NORMAL);
    screen->FillRect(Rect(100, 50, 300, 200), Color(250, 240, 30), Graphics::DRAWMODE_NORMAL);
    screen->DrawLine(0, 479, 639, 0, Color(0, 255, 0), Graphics::DRAWMODE_NORMAL);
    ASSERT_TRUE(app.mDDInterface->Redraw(nullptr)) << app.mDDInterface->mErrorString;

    const std::string folder = UserFolder() + "/_screenshots";
    fs::create_directories(folder);
    for (const char* name : {"image3.png", "image12.png", "other.png"})
        std::ofstream(folder + "/" + name) << "x";
    const std::string path = app.TakeScreenshot();
    EXPECT_EQ(path, folder + "/image13.png");

    std::vector<uint32_t> frame;
    int width = 0, height = 0;
    ASSERT_TRUE(app.mDDInterface->GetDisplay()->ReadPresentedFrame(frame, width, height));
    std::unique_ptr<ImageLib::Image> png = ImageLib::ReadPng(path);
    ASSERT_NE(png, nullptr) << "a valid PNG file";
    ASSERT_EQ(png->GetWidth(), width);
    ASSERT_EQ(png->GetHeight(), height);
    int differing = 0;
    for (size_t i = 0; i < frame.size(); ++i)
        differing += (png->GetBits()[i] & 0xFFFFFF) != (frame[i] & 0xFFFFFF);
    EXPECT_EQ(differing, 0) << "every pixel is the presented one";
    EXPECT_EQ(png->GetBits()[0] >> 24, 0xFFu) << "opaque";
}

TEST(Screenshot, NumbersFollowTheHighestImageFile)
{
    testsupport::TempDir dir;
    EXPECT_EQ(NextScreenshotNumber(dir.Path()), 1) << "an empty folder";
    EXPECT_EQ(NextScreenshotNumber(dir.File("missing")), 1) << "no folder yet";
    dir.WriteFile("image3.png", "x");
    dir.WriteFile("image12.png", "x");
    dir.WriteFile("other.png", "x");
    dir.WriteFile("image40.jpg", "x");
    fs::create_directory(dir.File("image50.png"));
    EXPECT_EQ(NextScreenshotNumber(dir.Path()), 13);
}

TEST(ImageDump, ThePageListsEveryImageLargestFirstWithItsFiles)
{
    testsupport::TempDir home;
    DataHomeOverride data(home.Path());
    DevApp app;
    app.CreateMainWindow();
    ASSERT_TRUE(app.mDDInterface && app.mDDInterface->IsInitialized());

    // A 100 x 50 memory image with a left and a right half, and one on a display surface as well.
    MemoryImage plain(&app);
    plain.Create(100, 50);
    plain.FillRect(Rect(0, 0, 50, 50), Color(255, 0, 0), Graphics::DRAWMODE_NORMAL);
    plain.FillRect(Rect(50, 0, 50, 50), Color(0, 0, 255), Graphics::DRAWMODE_NORMAL);
    plain.SetVolatile(true);
    DDImage surfaced(app.mDDInterface);
    surfaced.Create(100, 50);
    surfaced.GetBits();
    ASSERT_NE(surfaced.GetSurface(), nullptr);
    ASSERT_NE(surfaced.mBits, nullptr);
    EXPECT_EQ(ImageMemoryUse::Of(&plain).Total(), 20000);
    EXPECT_EQ(ImageMemoryUse::Of(&surfaced).Total(), 40000) << "bits and a surface count twice";
    ImageMemoryUse before = ImageMemoryUse::Of(&plain);

    ASSERT_TRUE(app.DumpImages());
    const std::string folder = UserFolder() + "/_dump";
    std::ifstream in(folder + "/imagelist.html", std::ios::binary);
    const std::string page((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(StartsWith(page, "<HTML><BODY BGCOLOR=EEEEFF><CENTER><FONT SIZE=+2><B>")) << page.substr(0, 80);
    EXPECT_NE(page.find("</B></FONT><BR>\r\nTotal Image Allocation: "), std::string::npos);
    EXPECT_NE(page.find(" bytes<BR><TABLE BORDER=1 CELLSPACING=0 CELLPADDING=4><TR>\r\n"), std::string::npos);
    const std::string plainRow = "<TD ALIGN=RIGHT>100 x 50<BR>20,000 bytes</TD>\r\n<TD>mBits<BR>20,000</TD>\r\n"
                                 "<TD>&nbsp;</TD>\r\n<TD>&nbsp;</TD>\r\n<TD>&nbsp;</TD>\r\n<TD>Volatile</TD>\r\n";
    const std::string surfacedRow = "<TD ALIGN=RIGHT>100 x 50<BR>40,000 bytes</TD>\r\n<TD>mBits<BR>20,000</TD>\r\n"
                                    "<TD>&nbsp;</TD>\r\n<TD>DDSurface<BR>20,000</TD>\r\n";
    const size_t plainAt = page.find(plainRow), surfacedAt = page.find(surfacedRow);
    ASSERT_NE(plainAt, std::string::npos) << page;
    ASSERT_NE(surfacedAt, std::string::npos) << page;
    EXPECT_LT(surfacedAt, plainAt) << "larger images come first";
    EXPECT_NE(page.find("<TD>Totals</TD>\r\n"), std::string::npos);
    EXPECT_TRUE(page.size() > 40 && page.compare(page.size() - 33, 33, "</TABLE></CENTER></BODY></HTML>\r\n") == 0);

    // The plain image's files: the row says which number it has.
    const size_t rowStart = page.rfind("<A HREF=img", plainAt);
    ASSERT_NE(rowStart, std::string::npos);
    const std::string number = page.substr(rowStart + 11, 4);
    std::unique_ptr<ImageLib::Image> png = ImageLib::ReadPng(folder + "/img" + number + ".png");
    ASSERT_NE(png, nullptr);
    ASSERT_EQ(png->GetWidth(), 100);
    ASSERT_EQ(png->GetHeight(), 50);
    EXPECT_EQ(png->GetBits()[10] & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(png->GetBits()[90] & 0xFFFFFF, 0x0000FFu);
    std::unique_ptr<ImageLib::Image> thumb = ImageLib::ReadJpeg(folder + "/thumb" + number + ".jpg");
    ASSERT_NE(thumb, nullptr);
    EXPECT_EQ(thumb->GetWidth(), 64);
    EXPECT_EQ(thumb->GetHeight(), 64);
    EXPECT_GT(thumb->GetBits()[32 * 64 + 5] >> 16 & 0xFF, 200u) << "left half red";
    EXPECT_GT(thumb->GetBits()[32 * 64 + 60] & 0xFF, 200u) << "right half blue";

    ImageMemoryUse after = ImageMemoryUse::Of(&plain);
    EXPECT_EQ(after.Total(), before.Total()) << "the dump leaves the images as they were";

    // A second dump replaces the first.
    std::ofstream(folder + "/stale.txt") << "x";
    ASSERT_TRUE(app.DumpImages());
    EXPECT_FALSE(fs::exists(folder + "/stale.txt"));
}

TEST(ImageDump, ThumbnailsSampleTheMiddleOfEachCell)
{
    // A 128 x 2 image: thumbnail column x takes source column trunc((x + 0.5) * 128) / 64 = 2x + 1.
    std::vector<uint32_t> bits(256);
    for (int i = 0; i < 256; ++i)
        bits[size_t(i)] = uint32_t(i);
    const std::vector<uint32_t> thumb = MakeThumbnail(bits.data(), 128, 2);
    EXPECT_EQ(thumb[0], 1u);
    EXPECT_EQ(thumb[63], 127u);
    EXPECT_EQ(thumb[32 * 64 + 0], 128u + 1) << "row 32 samples source row 1";
}

TEST(DeveloperOutput, AFolderThatCannotBeWrittenIsALoggedFailure)
{
    testsupport::TempDir home;
    home.WriteFile("file", "not a folder");
    DevApp app;
    app.CreateMainWindow();
    ASSERT_TRUE(app.mDDInterface && app.mDDInterface->IsInitialized());
    MemoryImage image(&app);
    image.Create(8, 8);
    ASSERT_TRUE(app.mDDInterface->Redraw(nullptr));
    DataHomeOverride data(home.File("file"));
    EXPECT_EQ(app.TakeScreenshot(), "");
    EXPECT_FALSE(app.DumpImages());
    // and the program goes on
    EXPECT_TRUE(app.mDDInterface->Redraw(nullptr));
}

TEST(VideoStats, TheReportCountsTextureMemoryPerFormat)
{
    testsupport::TempDir home;
    DataHomeOverride data(home.Path());
    DevApp app;
    app.CreateMainWindow();
    ASSERT_TRUE(app.mDDInterface && app.mDDInterface->IsInitialized());
    // Two images as the hardware renderer leaves them after uploading their textures.
    MemoryImage first(&app), second(&app);
    first.Create(128, 128);
    second.Create(64, 32);
    ImageTextureSet firstTextures, secondTextures;
    firstTextures.mKind = TEXKIND_A8R8G8B8;
    firstTextures.mTextureMemory = 128 * 128 * 4;
    secondTextures.mKind = TEXKIND_R5G6B5;
    secondTextures.mTextureMemory = 64 * 32 * 2;
    first.mTextureSet = &firstTextures;
    second.mTextureSet = &secondTextures;

    app.ShowVideoStats();
    ASSERT_TRUE(app.DumpImages());
    first.mTextureSet = nullptr;
    second.mTextureSet = nullptr;

    ASSERT_EQ(app.mBoxes.size(), 1u);
    EXPECT_EQ(app.mBoxes[0].mTitle, "Video Stats");
    const std::string& text = app.mBoxes[0].mText;
    EXPECT_TRUE(StartsWith(text, "3D-Mode is OFF (3D is ")) << text;
    EXPECT_NE(text.find(" KB\r\n\r\nTexture Memory: 68 KB\r\nA8R8G8B8: 1 - 64 KB\r\nA4R4G4B4: 0 - 0 KB\r\n"
                        "R5G6B5: 1 - 4 KB\r\nPalette8: 0 - 0 KB\r\n"),
              std::string::npos)
        << text;

    std::ifstream in(UserFolder() + "/_dump/imagelist.html", std::ios::binary);
    const std::string page((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // Never drawn on, the image has no pixels in memory: only its texture counts.
    EXPECT_NE(page.find("<TD ALIGN=RIGHT>128 x 128<BR>65,536 bytes</TD>\r\n<TD>&nbsp;</TD>\r\n<TD>&nbsp;</TD>\r\n"
                        "<TD>&nbsp;</TD>\r\n<TD>Texture<BR>A8R8G8B8<BR>65,536</TD>\r\n"),
              std::string::npos)
        << page;
}

TEST(DeveloperKeys, F10StepsTheLoopOneUpdateAtATimeAndShiftF10LetsItRun)
{
    DevApp app;
    apptest::RecordingWidgetManager* widgets = app.RecordWidgets();
    app.mDeveloperKeysOn = true;
    auto pump = [&](int passes) {
        for (int i = 0; i < passes; ++i) {
            bool updated = false;
            app.PumpStep(updated);
        }
    };
    EXPECT_TRUE(app.HandleDeveloperKey(0x79));
    pump(50);
    EXPECT_EQ(widgets->mUpdates, 1);
    EXPECT_EQ(app.mStepMode, 2) << "stepped, waiting for the next press";
    const int draws = widgets->mDraws;
    EXPECT_TRUE(app.HandleDeveloperKey(0x79));
    pump(50);
    EXPECT_EQ(widgets->mUpdates, 2);
    EXPECT_EQ(widgets->mDraws, draws + 1);

    app.mWidgetManager->OnKeyDown(VK_SHIFT);
    EXPECT_TRUE(app.HandleDeveloperKey(0x79));
    app.mWidgetManager->OnKeyUp(VK_SHIFT);
    EXPECT_EQ(app.mStepMode, 0);
    ASSERT_TRUE(app.PumpUntil(app.mTestClock.mNow + 200));
    EXPECT_GE(widgets->mUpdates, 2 + 15) << "running again at 10 ms an update";
}
