// The game application's start: settings from "game.ini", the data-file check against "xml.sig",
// the loading screen's layout and bar, shutdown blocking and focus pauses.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <stdexcept>

#include "ShellTestSupport.h"
#include "data/CStringTable.h"
#include "graphics/Graphics.h"
#include "shell/CGameApp.h"
#include "shell/CLoadingScreen.h"
#include "shell/DataFileCheck.h"
#include "shell/GameEntry.h"
#include "shell/IniFile.h"
#include "support/TempDir.h"

using tilvan::CGameApp;

using shelltest::InFolder;
using shelltest::QuietGameApp;

TEST(DataChecksum, KnownValues)
{
    const unsigned char abc[] = {'a', 'b', 'c'};
    EXPECT_EQ(tilvan::Checksum(3, abc), 0xCA6598D0u);
    EXPECT_EQ(tilvan::Checksum(0, abc), 0u);
    // The signature file holds the value in decimal; all 32 bits count.
    tilvan::IniFile sig = tilvan::IniFile::Parse("[crc]\nconfig.xml=3395655888\n");
    EXPECT_EQ(uint32_t(sig.GetInt("CRC", "CONFIG.XML", 0)), 0xCA6598D0u);
}

TEST(IniFiles, SectionsKeysAndDefaults)
{
    tilvan::IniFile ini = tilvan::IniFile::Parse("; note\r\n[debug]\r\nlog = 1\r\nfps=abc\r\nx=-7z\r\n"
                                                 "[other]\r\nlog=5\r\n[debug]\r\nlog=9\r\n");
    EXPECT_EQ(ini.GetInt("debug", "log", 0), 1);
    EXPECT_EQ(ini.GetInt("debug", "fps", 3), 0); // no digits read as 0
    EXPECT_EQ(ini.GetInt("debug", "x", 0), -7);
    EXPECT_EQ(ini.GetInt("other", "log", 0), 5);
    EXPECT_EQ(ini.GetInt("debug", "cheats", 42), 42);
    EXPECT_EQ(tilvan::IniFile::Load("/no/such/file.ini").GetInt("debug", "log", 0), 0);
}

TEST(IniFiles, AByteOrderMarkBeforeTheFirstSectionIsSkipped)
{
    tilvan::IniFile ini = tilvan::IniFile::Parse("\xEF\xBB\xBF[crc]\r\nconfig.xml=12\r\n");
    EXPECT_EQ(ini.GetInt("crc", "config.xml", 0), 12);
}

TEST_F(InFolder, TheDataCheckFindsEveryChangedUnsignedOrUnreadableFile)
{
    EXPECT_EQ(tilvan::FindModifiedDataFile("xml.sig"), ""); // empty folder
    Write("properties/config.xml", "<data/>");
    Write("properties/gui.xml", "<data></data>");
    std::filesystem::create_directory("properties/old.xml"); // a folder is not a file
    Write("properties/notes.txt", "not checked");
    EXPECT_EQ(tilvan::FindModifiedDataFile("xml.sig"), "xml.sig is missing");
    Sign();
    EXPECT_EQ(tilvan::FindModifiedDataFile("xml.sig"), "");
    Write("properties/gui.xml", "<data></dat>");
    EXPECT_EQ(tilvan::FindModifiedDataFile("xml.sig"), "properties/gui.xml does not match its signature");
    Write("properties/gui.xml", "<data></data>");
    EXPECT_EQ(tilvan::FindModifiedDataFile("xml.sig"), "");
    Write("properties/extra.xml", "x");
    EXPECT_EQ(tilvan::FindModifiedDataFile("xml.sig"), "properties/extra.xml does not match its signature");
    Write("properties/extra.xml", ""); // an unsigned empty file sums to 0, as a missing key reads
    EXPECT_EQ(tilvan::FindModifiedDataFile("xml.sig"), "");
    std::filesystem::remove_all("properties");
    EXPECT_EQ(tilvan::FindModifiedDataFile("xml.sig"), "");
}

TEST_F(InFolder, AChangedFileStopsTheGameWithItsMessageUnlessNoCheckIsSet)
{
    Write("properties/config.xml", "<data/>");
    {
        // The check runs inside the constructor, so its box goes to the headless message log.
        testing::internal::CaptureStderr();
        QuietGameApp app;
        std::string shown = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(app.DataCheckFailed());
        EXPECT_TRUE(app.mShutdown);
        EXPECT_NE(shown.find("[Error!] " + std::string(tilvan::kModifiedFilesMessage)), std::string::npos) << shown;
    }
    Write("game.ini", "[debug]\nno_check=1\ncheats=1\n");
    {
        QuietGameApp app;
        EXPECT_FALSE(app.DataCheckFailed());
        EXPECT_FALSE(app.mShutdown);
        EXPECT_TRUE(app.IsCheatsEnabled());
    }
}

TEST_F(InFolder, IdentityAndWindowSettings)
{
    tilvan::GetStringTable().Set(254, "Tamberlo");
    QuietGameApp app;
    EXPECT_EQ(app.mTitle, "Tamberlo  1.01");
    EXPECT_EQ(app.mRegKey, "Quendril\\Tamberlo");
    EXPECT_EQ(app.mWidth, 1024);
    EXPECT_EQ(app.mHeight, 768);
    EXPECT_TRUE(app.mOnlyAllowOneCopyToRun);
    EXPECT_TRUE(app.mVSyncUpdates);
    EXPECT_EQ(app.GetCursor(), 5);
    EXPECT_FALSE(app.IsCheatsEnabled());
    EXPECT_TRUE(CGameApp::DesktopForcesFullScreen(1024, 768));
    EXPECT_TRUE(CGameApp::DesktopForcesFullScreen(1920, 700));
    EXPECT_FALSE(CGameApp::DesktopForcesFullScreen(1280, 800));
}

TEST_F(InFolder, ABlockedShutdownIgnoresTheWindowButNotQuit)
{
    QuietGameApp app;
    app.SetShutdownBlocked(true);
    app.ShutDownApp();
    EXPECT_FALSE(app.mShutdown);
    app.Quit();
    EXPECT_TRUE(app.mShutdown);
}

TEST_F(InFolder, FocusChangesMoveTheCurrentScreensPauseCounter)
{
    QuietGameApp app;
    app.mWidgetManager->AddWidget(&app.ScreenHolder());
    auto* screen = new tilvan::CLoadingScreen();
    app.SetScreen(screen);
    app.ScreenHolder().Update();
    app.OnAppDeactivated();
    EXPECT_EQ(screen->PauseCount(), -1);
    app.AddScreenPause(true);
    EXPECT_FALSE(screen->IsPaused());
    app.OnAppActivated();
    EXPECT_TRUE(screen->IsPaused());
    app.RemoveScreen();
    EXPECT_EQ(app.ScreenHolder().Current(), nullptr);
}

TEST_F(InFolder, TheLoadingLayoutTakesTheMenuRowsThenTheBranchRows)
{
    Write("properties/mainmenu.xml", R"(<data><loading_image image="A" pos="1 2"/>
                                         <loading_image image="B" pos="3.9 4"/></data>)");
    Write("properties/branches", R"(<data><loading_image image="C" pos="5 6"/></data>)");
    Write("game.ini", "[debug]\nno_check=1\n");
    QuietGameApp app;
    const std::vector<tilvan::LoadingImageEntry>& rows = tilvan::LoadingImages();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].image, "A");
    EXPECT_EQ(rows[1].pos.x, 3.9f);
    EXPECT_EQ(rows[2].image, "C");

    // A broken branch file costs only its own rows.
    Write("properties/branches", "<data><loading_image");
    QuietGameApp again;
    EXPECT_EQ(tilvan::LoadingImages().size(), 2u);
}

TEST_F(InFolder, TheLoadingBarFollowsTheLoadingCounters)
{
    Write("game.ini", "[debug]\nno_check=1\n");
    Write("properties/mainmenu.xml", R"(<data><loading_image image="IMAGE_BACK" pos="0 0"/></data>)");
    Write("properties/branches", R"(<data><loading_image image="IMAGE_LOGO" pos="100.7 50"/></data>)");
    QuietGameApp app;
    app.mDDInterface = new Olvarn::DDInterface(&app, app.GetDisplayOptions(), std::make_unique<Olvarn::DisplayFake>());
    shelltest::TestResources resources;
    resources.AddImage("IMAGE_BACK", 1024, 768);
    resources.AddImage("IMAGE_LOGO", 300, 100);
    resources.AddImage("IMAGE_GUI_LOADING_PROGRESS", 420, 26);
    tilvan::CLoadingScreen screen;
    screen.Resize(0, 0, 1024, 768);
    auto draw = [&] {
        shelltest::RecordingImage canvas;
        Olvarn::Graphics g(&canvas);
        screen.Draw(g);
        return canvas.mBlits;
    };
    std::vector<shelltest::RecordingImage::Blit> blits = draw();
    ASSERT_EQ(blits.size(), 2u);      // progress 0: no bar
    EXPECT_EQ(blits[1].dest.mX, 100); // branch rows drawn above, at truncated positions

    app.mLoadingThreadStarted = true;
    app.mNumLoadingThreadTasks = 4;
    app.mCompletedLoadingThreadTasks = 1;
    // A quarter grown: the picture's left part, closed by the picture's own rounded right end.
    blits = draw();
    ASSERT_EQ(blits.size(), 4u);
    EXPECT_EQ(blits[2].dest.mX, 512 - 210 - 10);
    EXPECT_EQ(blits[2].dest.mY, 671);
    EXPECT_EQ(blits[2].source.mX, 0);
    EXPECT_EQ(blits[2].dest.mWidth + blits[3].dest.mWidth, 105);
    EXPECT_EQ(blits[3].dest.mX, blits[2].dest.mX + blits[2].dest.mWidth);
    EXPECT_EQ(blits[3].dest.mY, 671);
    EXPECT_EQ(blits[3].source.mX + blits[3].source.mWidth, 420);
    EXPECT_EQ(blits[3].source.mWidth, 14);
    app.mLoaded = true;
    blits = draw();
    ASSERT_EQ(blits.size(), 4u);
    EXPECT_EQ(blits[2].dest.mWidth + blits[3].dest.mWidth, 420);
    EXPECT_EQ(blits[3].source.mX, 420 - 14);
    EXPECT_EQ(tilvan::CLoadingScreen::BarX(1024, 301), 512 - 150 - 10);

    // Without its picture a loading screen still draws, without a bar.
    resources.RemoveImage("IMAGE_GUI_LOADING_PROGRESS");
    tilvan::CLoadingScreen barless;
    barless.Resize(0, 0, 1024, 768);
    shelltest::RecordingImage canvas;
    Olvarn::Graphics g(&canvas);
    barless.Draw(g);
    EXPECT_EQ(canvas.mBlits.size(), 2u);
}

TEST_F(InFolder, TheLoadingScreenIsDrawnAgainOnlyWhenItsPictureChanges)
{
    Write("game.ini", "[debug]\nno_check=1\n");
    Write("properties/mainmenu.xml", R"(<data><loading_image image="IMAGE_STRIP" pos="0 0"/></data>)");
    QuietGameApp app;
    app.mDDInterface = new Olvarn::DDInterface(&app, app.GetDisplayOptions(), std::make_unique<Olvarn::DisplayFake>());
    shelltest::TestResources resources;
    resources.Animate(resources.AddImage("IMAGE_STRIP", 120, 30, 3, 1), 3, 100); // 100 ms a frame
    resources.AddImage("IMAGE_GUI_LOADING_PROGRESS", 400, 26);
    tilvan::CLoadingScreen screen;
    screen.Resize(0, 0, 1024, 768);
    auto drawn = [&] {
        shelltest::RecordingImage canvas;
        Olvarn::Graphics g(&canvas);
        screen.Draw(g);
        screen.mDirty = false;
    };
    // Whole 10 ms updates; whether anything asked for a draw meanwhile.
    auto update = [&](int updates) {
        for (int i = 0; i < updates; ++i)
            screen.Update();
        return screen.mDirty;
    };
    EXPECT_TRUE(update(1)); // never drawn
    drawn();
    EXPECT_FALSE(update(1)); // 20 ms into a 100 ms frame
    EXPECT_FALSE(update(5));
    EXPECT_TRUE(update(3)); // the next frame of the strip
    drawn();
    EXPECT_FALSE(update(1));
    app.mLoadingThreadStarted = true;
    app.mNumLoadingThreadTasks = 400;
    app.mCompletedLoadingThreadTasks = 1; // one pixel of the bar
    EXPECT_TRUE(update(1));
    drawn();
    EXPECT_FALSE(update(1));
}

TEST(GameEntry, EveryKindOfFailureIsShownAndEndsWithOneAfterTheCleanUp)
{
    struct Case {
        const char* name;
        std::function<int()> body;
        std::string shown;
        int code;
    };
    const std::vector<Case> cases = {
        {"success", [] { return 0; }, "", 0},
        {"text", []() -> int { throw "Unable to load XML document into the parser"; },
         "Unable to load XML document into the parser", 1},
        {"string", []() -> int { throw std::string("bad string"); }, "bad string", 1},
        {"standard exception", []() -> int { throw std::logic_error("Dead Reference Detected"); },
         "Dead Reference Detected", 1},
        {"anything else", []() -> int { throw 42; }, "An unknown error ended the program.", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> shown;
        int cleanUps = 0;
        int code = tilvan::RunGuarded(
            c.body, [&](const std::string& text) { shown.push_back(text); },
            [&] {
                ++cleanUps;
                throw "a failing clean-up is swallowed";
            });
        EXPECT_EQ(code, c.code);
        EXPECT_EQ(shown, c.shown.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.shown});
        EXPECT_EQ(cleanUps, c.code);
    }
}
