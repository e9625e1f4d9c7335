// Application services: message boxes bracketed by the system-popup calls, the error log, the
// clipboard, URL opening, the mute counter, crash-report facts, the version file and image helpers.
#include <SDL.h>
#include <gtest/gtest.h>

#include <fstream>

#include <filesystem>

#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "AppTestSupport.h"
#include "core/Rect.h"
#include "graphics/DDImage.h"
#include "graphics/DDInterface.h"
#include "graphics/MemoryImage.h"
#include "platform/Clipboard.h"
#include "platform/DisplayFake.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "platform/Url.h"
#include "platform/VideoSystem.h"
#include "resources/ImageLib.h"
#include "sound/MusicInterface.h"
#include "support/TempDir.h"
#include "widgets/WidgetManager.h"

using namespace Olvarn;
using apptest::CountingApp;

namespace
{

struct ServicesApp : CountingApp {
    void BeginSystemPopup() override
    {
        mLog.push_back("begin");
        CountingApp::BeginSystemPopup();
    }
    void EndSystemPopup() override
    {
        mLog.push_back("end");
        CountingApp::EndSystemPopup();
    }
    bool LaunchUrl(const std::string& url) override
    {
        mLaunched.push_back(url);
        return mLaunchWorks;
    }
    void OnUrlOpenFailed(const std::string& url) override
    {
        mLog.push_back("url failed " + url);
        CountingApp::OnUrlOpenFailed(url);
    }
    std::vector<std::string> mLog;
    std::vector<std::string> mLaunched;
    bool mLaunchWorks = true;
};

class VolumeMusic : public MusicInterface
{
public:
    void SetVolume(double volume) override { mVolumes.push_back(volume); }
    std::vector<double> mVolumes;
};

std::string ReadAll(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return std::string();
    std::string bytes;
    char buffer[512];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.append(buffer, n);
    std::fclose(file);
    return bytes;
}

// Channels within one step: the copy is drawn with the ordinary blend, which may round a full
// channel down by one.
bool SamePixel(uint32_t a, uint32_t b)
{
    for (int shift = 0; shift < 32; shift += 8) {
        int ca = static_cast<int>((a >> shift) & 0xFF), cb = static_cast<int>((b >> shift) & 0xFF);
        if (ca - cb > 1 || cb - ca > 1)
            return false;
    }
    return true;
}

// Keeps SDL's video (and so its clipboard) running for a test.
struct VideoUser {
    VideoUser() { mRunning = VideoSystem::Acquire(mError); }
    ~VideoUser()
    {
        if (mRunning)
            VideoSystem::Release();
    }
    bool mRunning = false;
    std::string mError;
};

TEST(MessageBoxes, AreBracketedByTheSystemPopupAndAnswerTheDefaultHeadless)
{
    ServicesApp app;
    EXPECT_EQ(app.ShowMessageBox("Quit?", "Question", MB_YESNO), IDYES);
    EXPECT_EQ(app.ShowMessageBox("Quit?", "Question", MB_YESNO | MB_DEFBUTTON2), IDNO);
    app.ShowFatalMessage("broken");
    EXPECT_EQ(app.mLog, (std::vector<std::string>{"begin", "end", "begin", "end", "begin", "end"}));
}

TEST(MessageBoxes, ScreensaverModeLogsInsteadOfShowing)
{
    ServicesApp app;
    app.mIsScreenSaver = true;
    EXPECT_EQ(app.ShowMessageBox("saver text", "T", MB_YESNO), IDOK);
    app.ShowFatalMessage("saver fatal");
    EXPECT_TRUE(app.mLog.empty());
    std::string log = ReadAll(Paths::ProductDataFolder() + "/ScrError.txt");
    EXPECT_NE(log.find("saver text "), std::string::npos);
    EXPECT_NE(log.find("saver fatal "), std::string::npos);
}

TEST(MessageBoxes, EndingAPopupForgetsKeysAndTheTimeItWasUp)
{
    ServicesApp app;
    app.mIsWindowed = false;
    app.mWidgetManager->mKeyDown[65] = true;
    app.mPacer.mTimeAcc = 900;
    app.mTestClock.Advance(5000);
    app.EndSystemPopup();
    EXPECT_FALSE(app.mWidgetManager->IsKeyDown(65));
    EXPECT_EQ(app.mPacer.mTimeAcc, 0);
    EXPECT_EQ(app.mPacer.mLastTimeCheck, app.NowMs());
    EXPECT_FALSE(app.mInSystemPopup);
    // Without a display device there is no full-screen surface to leave.
    app.BeginSystemPopup();
    EXPECT_FALSE(app.mInSystemPopup);
}

TEST(MessageBoxes, InputMadeAtTheBoxNeverReachesTheGame)
{
    VideoUser video;
    ASSERT_TRUE(video.mRunning) << video.mError;
    const struct {
        const char* name;
        void (*show)(ServicesApp&);
    } kBoxes[] = {
        {"message box", [](ServicesApp& app) { app.ShowMessageBox("Quit?", "Question", MB_YESNO); }},
        {"fatal message", [](ServicesApp& app) { app.ShowFatalMessage("broken"); }},
    };
    for (const auto& box : kBoxes) {
        SCOPED_TRACE(box.name);
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        SDL_Event events[4] = {};
        events[0].type = SDL_KEYDOWN;
        events[0].key.state = SDL_PRESSED;
        events[0].key.keysym.scancode = SDL_SCANCODE_RETURN;
        events[1].type = SDL_TEXTINPUT;
        SDL_strlcpy(events[1].text.text, "y", sizeof(events[1].text.text));
        events[2].type = SDL_MOUSEBUTTONDOWN;
        events[2].button.button = SDL_BUTTON_LEFT;
        events[2].button.state = SDL_PRESSED;
        events[3].type = SDL_USEREVENT; // not input: it must survive the flush
        for (SDL_Event& event : events)
            ASSERT_EQ(SDL_PushEvent(&event), 1);
        ServicesApp app;
        box.show(app);
        SDL_Event left[8];
        EXPECT_EQ(SDL_PeepEvents(left, 8, SDL_PEEKEVENT, SDL_KEYDOWN, SDL_MOUSEWHEEL), 0);
        EXPECT_EQ(SDL_PeepEvents(left, 8, SDL_PEEKEVENT, SDL_USEREVENT, SDL_USEREVENT), 1);
    }
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
}

TEST(MessageBoxes, FullScreenPopupShowsTheDesktopFirst)
{
    struct FlipCountingDisplay : DisplayFake {
        using DisplayFake::DisplayFake;
        DisplayResult FlipToDesktop() override
        {
            ++*mFlips;
            return DisplayError::Ok;
        }
        int* mFlips = nullptr;
    };
    int flips = 0;
    auto display = std::make_unique<FlipCountingDisplay>(SurfaceFormat::Xrgb8888());
    display->mFlips = &flips;
    CountingApp app;
    app.mDDInterface = new DDInterface(&app, app.GetDisplayOptions(), std::move(display));

    // In a window the box sits beside the game; nothing is flipped and input keeps flowing.
    app.mIsWindowed = true;
    app.BeginSystemPopup();
    EXPECT_EQ(flips, 0);
    EXPECT_FALSE(app.mInSystemPopup);

    app.mIsWindowed = false;
    app.BeginSystemPopup();
    EXPECT_EQ(flips, 1);
    EXPECT_TRUE(app.mInSystemPopup);
    app.EndSystemPopup();
    EXPECT_FALSE(app.mInSystemPopup);
}

TEST(ErrorLogDeathTest, TheFirstLineOfAProcessEmptiesTheLogAndLaterLinesAppend)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // A fresh process, so this is its first line.
    EXPECT_EXIT(
        {
            std::string path = Paths::ProductDataFolder() + "/ScrError.txt";
            Paths::MakeFolders(Paths::ProductDataFolder());
            std::FILE* old = std::fopen(path.c_str(), "wb");
            std::fputs("old contents\r\n", old);
            std::fclose(old);
            CountingApp app;
            app.AppendErrorLog("first");
            app.AppendErrorLog("second");
            std::string log = ReadAll(path);
            std::regex line("first \\d\\d:\\d\\d:\\d\\d 1000\\r\\nsecond \\d\\d:\\d\\d:\\d\\d 1000\\r\\n");
            std::exit(std::regex_match(log, line) ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(Clipboard, CarriesWindows1252TextThroughTheDesktopsUtf8)
{
    VideoUser video;
    ASSERT_TRUE(video.mRunning) << video.mError;
    CountingApp app;
    app.CopyToClipboard("caf\xE9 \x80 10");
    EXPECT_EQ(app.GetClipboardText(), "caf\xE9 \x80 10");
    EXPECT_EQ(Clipboard::GetText(), "caf\xE9 \x80 10");

    // A demo being played neither writes nor reads the player's clipboard.
    app.mPlayingDemo = true;
    app.CopyToClipboard("from the demo");
    EXPECT_EQ(app.GetClipboardText(), "");
    app.mPlayingDemo = false;
    EXPECT_EQ(app.GetClipboardText(), "caf\xE9 \x80 10");
}

TEST(Clipboard, WithoutVideoThereIsNoClipboard)
{
    if (VideoSystem::IsRunning())
        GTEST_SKIP() << "video is running in this process";
    EXPECT_FALSE(Clipboard::SetText("x"));
    EXPECT_EQ(Clipboard::GetText(), "");
}

TEST(UrlOpening, OnlyHttpAndHttpsAddressesAreOpenable)
{
    struct Case {
        const char* url;
        bool openable;
    };
    for (Case c :
         {Case{"http://example.org/", true}, Case{"HTTPS://example.org/a?b=c", true}, Case{"https://", false},
          Case{"ftp://example.org", false}, Case{"file:///etc/passwd", false}, Case{"javascript:alert(1)", false},
          Case{"example.org", false}, Case{"http://a b", false}, Case{"http://a\nb", false}, Case{"", false}}) {
        EXPECT_EQ(Url::IsOpenable(c.url), c.openable) << c.url;
    }
    EXPECT_FALSE(Url::Open("ftp://example.org"));
}

TEST(UrlOpening, StartsOnceReportsFailureAndQuitsWhenConfirmed)
{
    ServicesApp app;
    EXPECT_TRUE(app.OpenUrl("https://example.org/help", true));
    EXPECT_TRUE(app.OpenUrl("https://example.org/help", true));
    EXPECT_EQ(app.mLaunched.size(), 1u);
    EXPECT_TRUE(app.mIsOpeningURL);
    EXPECT_EQ(app.mOpeningURLTime, static_cast<int>(app.mTestClock.TickCount()));
    app.OnUrlOpenConfirmed("https://example.org/help");
    EXPECT_FALSE(app.mIsOpeningURL);
    EXPECT_TRUE(app.mShutdown);

    ServicesApp refused;
    EXPECT_FALSE(refused.OpenUrl("file:///etc/passwd", false));
    EXPECT_TRUE(refused.mLaunched.empty());
    refused.mLaunchWorks = false;
    EXPECT_FALSE(refused.OpenUrl("http://example.org", true));
    EXPECT_EQ(refused.mLog,
              (std::vector<std::string>{"url failed file:///etc/passwd", "url failed http://example.org"}));
    EXPECT_FALSE(refused.mIsOpeningURL);
    EXPECT_FALSE(refused.mShutdown);
}

TEST(Muting, TheCounterMutesUntilEveryMuteIsUndone)
{
    CountingApp app;
    auto* music = new VolumeMusic();
    app.mMusicInterface = music;
    app.SetMusicVolume(0.5);
    app.Mute(true);
    app.Mute(true);
    app.Mute(false);
    EXPECT_EQ(app.mMuteCount, 3);
    EXPECT_EQ(app.mAutoMuteCount, 2);
    EXPECT_TRUE(app.IsMuted());
    EXPECT_EQ(music->mVolumes.back(), 0.0);
    app.Unmute(false);
    app.Unmute(true);
    EXPECT_EQ(music->mVolumes.back(), 0.0);
    app.Unmute(true);
    EXPECT_FALSE(app.IsMuted());
    EXPECT_EQ(app.mAutoMuteCount, 0);
    EXPECT_EQ(music->mVolumes.back(), 0.5);
    // With nothing to undo, the volumes are still applied again.
    size_t applied = music->mVolumes.size();
    app.Unmute(false);
    EXPECT_EQ(app.mMuteCount, 0);
    EXPECT_EQ(music->mVolumes.size(), applied + 1);
    EXPECT_EQ(app.GetMusicVolume(), 0.5);

    app.HideAppWindow();
    EXPECT_EQ(app.GetMusicVolume(), 0.0);
    EXPECT_TRUE(app.mIsHidden);
}

TEST(Sound, ServicesWithoutASoundManagerDoNothing)
{
    CountingApp app;
    app.PlaySoundOnce(3);
    app.PlaySoundPanned(3, -500);
    app.SetSystemVolume(0.3);
    EXPECT_EQ(app.GetSystemVolume(), 0.0);
}

TEST(CrashReport, DescribesProductVersionUptimeScreenAndThread)
{
    CountingApp app;
    app.mProductName = "Tamberlo";
    app.mProductVersion = "1.2.3";
    app.mTestClock.Advance((26 * 3600 + 2 * 60 + 3) * 1000 + 999);
    char thread[16];
    std::snprintf(thread, sizeof thread, "%X", static_cast<unsigned>(app.mPrimaryThreadNumber));
    EXPECT_NE(app.mPrimaryThreadNumber, 0u);
    EXPECT_EQ(app.DescribeForCrashReport(), std::string("Product: Tamberlo\r\nVersion: 1.2.3\r\nTime Loaded: "
                                                        "26:02:03\r\nFullscreen: No\r\nPrimary ThreadId: ") +
                                                thread + "\r\n");
    app.mIsWindowed = false;
    EXPECT_NE(app.DescribeForCrashReport().find("\r\nFullscreen: Yes\r\n"), std::string::npos);
    EXPECT_EQ(app.GetExtraCrashText(), "");
}

TEST(ProductVersion, ComesFromTheFirstLineOfTheVersionFileBesideTheProgram)
{
    testsupport::TempDir dir;
    dir.WriteFile("game.version", "1.0.3\r\nbuilt somewhere\r\n");
    CountingApp app;
    EXPECT_EQ(app.ReadProductVersion(dir.File("game")), "1.0.3");
    EXPECT_EQ(app.ReadProductVersion(dir.File("missing")), "");
    dir.WriteFile("long.version", std::string(10000, '7'));
    EXPECT_EQ(app.ReadProductVersion(dir.File("long")).size(), 256u);
}

TEST(ProductVersion, TheApplicationTakesTheVersionFileOfItsOwnProgramAtConstruction)
{
    const std::string file = Olvarn::Paths::ExecutablePath() + ".version";
    {
        std::ofstream out(file, std::ios::binary);
        out << "4.5.6\n";
    }
    CountingApp app;
    std::filesystem::remove(file);
    EXPECT_EQ(app.mProductVersion, "4.5.6");
    CountingApp without;
    EXPECT_EQ(without.mProductVersion, "");
}

class ImageServicesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        app.mDDInterface =
            new DDInterface(&app, app.GetDisplayOptions(), std::make_unique<DisplayFake>(SurfaceFormat::Xrgb8888()));
    }
    CountingApp app;
};

TEST_F(ImageServicesTest, LoadImageFileFillsADisplayImageOrGivesNone)
{
    testsupport::TempDir dir;
    ImageLib::Image source;
    ASSERT_TRUE(source.Create(3, 2));
    for (int i = 0; i < 6; ++i)
        source.GetBits()[i] = 0xFF000000u | static_cast<uint32_t>(i * 0x101010);
    ASSERT_TRUE(ImageLib::SavePng(dir.File("tiny.png"), source));
    std::unique_ptr<DDImage> image(app.LoadImageFile(dir.File("tiny")));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetWidth(), 3);
    EXPECT_EQ(image->GetHeight(), 2);
    EXPECT_EQ(image->GetBits()[5], 0xFF505050u);
    EXPECT_EQ(app.LoadImageFile(dir.File("absent")), nullptr);
}

TEST_F(ImageServicesTest, CopyImageRectTakesTheRegionAndTheCellLayout)
{
    // Pure colours, which every pixel format of the display keeps exactly: column by column red,
    // green, blue, white.
    constexpr uint32_t kColumns[4] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu};
    MemoryImage source;
    std::vector<uint32_t> bits(16);
    for (int i = 0; i < 16; ++i)
        bits[static_cast<size_t>(i)] = kColumns[i % 4] & (i / 4 == 3 ? 0xFF000000u : 0xFFFFFFFFu);
    source.SetBits(bits.data(), 4, 4);
    source.mNumCols = 2;
    std::unique_ptr<DDImage> copy(app.CopyImageRect(&source, Rect(1, 2, 2, 2)));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetWidth(), 2);
    EXPECT_EQ(copy->GetHeight(), 2);
    const uint32_t expected[4] = {0xFF00FF00u, 0xFF0000FFu, 0xFF000000u, 0xFF000000u};
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(SamePixel(copy->GetBits()[i], expected[i])) << i << std::hex << " " << copy->GetBits()[i];
    EXPECT_EQ(copy->mNumCols, 2);
    std::unique_ptr<DDImage> whole(app.DuplicateImage(&source));
    EXPECT_EQ(whole->GetHeight(), 4);
    EXPECT_TRUE(SamePixel(whole->GetBits()[3], 0xFFFFFFFFu));
}

TEST(ImageServices, WithoutADisplayDeviceNothingIsMade)
{
    CountingApp app;
    MemoryImage source;
    source.Create(2, 2);
    EXPECT_EQ(app.CopyImageRect(&source, Rect(0, 0, 1, 1)), nullptr);
    EXPECT_EQ(app.LoadImageFile("nothing"), nullptr);
    EXPECT_FALSE(app.Is3DEnabled());
}

} // namespace
