// Settings under the application's key, the command line and numbered demo file names.
#include <gtest/gtest.h>

#include <functional>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <utility>

#include "AppTestSupport.h"
#include "platform/Process.h"
#include "platform/SettingsStore.h"
#include "support/TempDir.h"

using namespace Olvarn;
using apptest::CountingApp;

namespace
{

std::string SettingsFile(const std::string& key)
{
    return SettingsStore::PathForKey(key);
}

void WriteSettings(const std::string& key, const std::string& lines)
{
    std::filesystem::path path = SettingsFile(key);
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << "OlvarnSettings 1\r\n" << lines;
}

uint32_t StoredDWord(const std::string& key, const std::string& name)
{
    SettingsStore store(SettingsFile(key));
    store.Load();
    SettingsStore::Value v;
    EXPECT_TRUE(store.Get(name, v)) << name;
    if (v.mType != SettingsStore::kDWord || v.mData.size() != 4)
        return 0xDEADBEEF;
    return v.mData[0] | (v.mData[1] << 8) | (v.mData[2] << 16) | (uint32_t(v.mData[3]) << 24);
}

// Records the switches instead of applying them.
struct SwitchApp : CountingApp {
    void ApplyCommandLineSwitch(const std::string& name, const std::string& value) override
    {
        mSwitches.emplace_back(name, value);
    }
    std::vector<std::pair<std::string, std::string>> mSwitches;
};

} // namespace

TEST(Settings, AMissingFileKeepsTheDefaultsAndMarksTheRunInProgress)
{
    CountingApp app;
    app.mRegKey = "Quendril\\Fresh";
    app.LoadSettings();
    EXPECT_TRUE(app.mLoadedSettings);
    EXPECT_DOUBLE_EQ(app.mMusicVolume, 0.85);
    EXPECT_TRUE(app.mIsWindowed);
    EXPECT_EQ(app.mPreferredX, -1);
    EXPECT_TRUE(app.mLastShutdownWasGraceful);
    EXPECT_EQ(StoredDWord("Quendril\\Fresh", "InProgress"), 1u);
}

TEST(Settings, StoredValuesAreReadWithTheirConversions)
{
    WriteSettings("Quendril\\Read", "dword MusicVolume 29\r\ndword SfxVolume 150\r\ndword Muted 7\r\n"
                                    "dword ScreenMode 1\r\ndword PreferredX 4294967286\r\ndword PreferredY 40\r\n"
                                    "dword CustomCursors 2\r\ndword WaitForVSync 1\r\ndword InProgress 1\r\n");
    CountingApp app;
    app.mRegKey = "Quendril\\Read";
    app.LoadSettings();
    EXPECT_DOUBLE_EQ(app.mMusicVolume, 0.29);
    EXPECT_DOUBLE_EQ(app.mSfxVolume, 1.0); // clamped
    EXPECT_EQ(app.mMuteCount, 1);          // a flag, not a count
    EXPECT_FALSE(app.mIsWindowed);
    EXPECT_EQ(app.mPreferredX, -10);
    EXPECT_EQ(app.mPreferredY, 40);
    EXPECT_TRUE(app.mCustomCursorsEnabled);
    EXPECT_TRUE(app.mWaitForVSync);
    EXPECT_FALSE(app.mLastShutdownWasGraceful);
}

TEST(Settings, ValuesOfTheWrongTypeOrDamagedKeepTheirDefaultsOneByOne)
{
    WriteSettings("Quendril\\Mixed", "string MusicVolume 50\r\nbinary SfxVolume 32000000\r\ngarbage line\r\n"
                                     "dword ScreenMode 1\r\ndword PreferredX 12");
    CountingApp app;
    app.mRegKey = "Quendril\\Mixed";
    app.LoadSettings();
    EXPECT_DOUBLE_EQ(app.mMusicVolume, 0.85);
    EXPECT_DOUBLE_EQ(app.mSfxVolume, 0.85);
    EXPECT_FALSE(app.mIsWindowed);
    EXPECT_EQ(app.mPreferredX, -1); // its line was cut
    app.SaveSettings();
    // The next save writes a whole, clean file.
    std::ifstream in(SettingsFile("Quendril\\Mixed"), std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "OlvarnSettings 1\r\ndword CustomCursors 0\r\ndword InProgress 0\r\ndword MusicVolume 85\r\n"
                    "dword Muted 0\r\ndword PreferredX 4294967295\r\ndword PreferredY 4294967295\r\n"
                    "dword ScreenMode 1\r\ndword SfxVolume 85\r\ndword WaitForVSync 0\r\n");
}

TEST(Settings, VolumesSurviveManySaveAndLoadRounds)
{
    for (double volume : {0.0, 0.01, 0.29, 0.57, 0.85, 1.0}) {
        for (int round = 0; round < 5; ++round) {
            CountingApp app;
            app.mRegKey = "Quendril\\Drift";
            app.LoadSettings();
            if (round == 0)
                app.mMusicVolume = volume;
            app.SaveSettings();
        }
        EXPECT_EQ(StoredDWord("Quendril\\Drift", "MusicVolume"), static_cast<uint32_t>(volume * 100 + 0.5)) << volume;
    }
}

TEST(Settings, SavedValuesFollowTheApplicationState)
{
    CountingApp app;
    app.mRegKey = "Quendril\\Save";
    app.LoadSettings();
    app.mIsWindowed = false;
    app.mPreferredX = 120;
    app.mWaitForVSync = true;
    app.Mute(false);
    app.Mute(true); // automatic mutes are not saved
    app.SaveSettings();
    EXPECT_EQ(StoredDWord("Quendril\\Save", "ScreenMode"), 1u);
    EXPECT_EQ(StoredDWord("Quendril\\Save", "PreferredX"), 120u);
    EXPECT_EQ(StoredDWord("Quendril\\Save", "WaitForVSync"), 1u);
    EXPECT_EQ(StoredDWord("Quendril\\Save", "Muted"), 1u);
    EXPECT_EQ(StoredDWord("Quendril\\Save", "InProgress"), 0u);
    app.Unmute(false);
    app.SaveSettings();
    EXPECT_EQ(StoredDWord("Quendril\\Save", "Muted"), 0u);
}

TEST(Settings, ScreensaverModeLeavesInProgressAlone)
{
    WriteSettings("Quendril\\Saver", "dword InProgress 0\r\n");
    CountingApp app;
    app.mRegKey = "Quendril\\Saver";
    app.mIsScreenSaver = true;
    app.LoadSettings();
    EXPECT_EQ(StoredDWord("Quendril\\Saver", "InProgress"), 0u);
}

TEST(Settings, TheRegistryKeyPropertyWinsAndAnEmptyKeyStoresNothing)
{
    CountingApp app;
    app.SetStringProperty("RegistryKey", "Quendril\\FromProperty");
    app.LoadSettings();
    EXPECT_EQ(app.mRegKey, "Quendril\\FromProperty");
    EXPECT_TRUE(std::filesystem::exists(SettingsFile("Quendril\\FromProperty")));

    CountingApp keyless;
    EXPECT_FALSE(keyless.WriteRegistryString("X", "y"));
    std::string out;
    EXPECT_FALSE(keyless.ReadRegistryString("X", out));
}

TEST(Settings, SubKeyValuesStringsAndDeletion)
{
    CountingApp app;
    app.mRegKey = "Quendril\\Values";
    EXPECT_TRUE(app.WriteRegistryString("Test3D\\RuntimeError", "no device"));
    EXPECT_TRUE(app.WriteRegistryDWORD("Is3D", 1));
    std::string text;
    EXPECT_TRUE(app.ReadRegistryString("Test3D\\RuntimeError", text));
    EXPECT_EQ(text, "no device");
    bool on = false;
    EXPECT_TRUE(app.ReadRegistryBool("Is3D", on));
    EXPECT_TRUE(on);
    EXPECT_FALSE(app.ReadRegistryBool("Test3D\\RuntimeError", on)); // not a DWORD
    unsigned char small[2];
    uint32_t type = 0, size = sizeof(small);
    EXPECT_FALSE(app.ReadRegistryValue("Test3D\\RuntimeError", type, small, size)); // too small a buffer
    app.DeleteRegistryValue("Is3D");
    EXPECT_FALSE(app.ReadRegistryBool("Is3D", on));

    CountingApp later; // a new object reads what the first wrote
    later.mRegKey = "Quendril\\Values";
    EXPECT_TRUE(later.ReadRegistryString("Test3D\\RuntimeError", text));
    EXPECT_FALSE(later.ReadRegistryBool("Is3D", on));
}

TEST(CommandLine, SplittingFollowsBlanksQuotesAndEquals)
{
    using Switches = std::vector<std::pair<std::string, std::string>>;
    struct Case {
        std::string text;
        Switches expected;
    };
    const std::vector<Case> cases = {
        {"-play -demofile=\"c:\\my demos\\a.dmo\"", {{"-play", ""}, {"-demofile", "c:\\my demos\\a.dmo"}}},
        {"-recnum=3", {{"-recnum", "3"}}},
        {"\"-demofile=a b\" -play", {{"-demofile", "a b"}, {"-play", ""}}},
        {"-play  -record", {{"-play", ""}, {"-record", ""}}},    // two blanks: no empty switch
        {"\"-play\" -record", {{"-play", ""}, {"-record", ""}}}, // blank after a closing quote
        {"-a=b=c", {{"-a", "bc"}}},
        {"-x= ", {{"-x", ""}}},
        {"", {}},
        {"   ", {}},
    };
    for (const Case& c : cases) {
        SwitchApp app;
        testsupport::SaveFuzzSeed("cmdline", std::to_string(std::hash<std::string>()(c.text)), c.text);
        app.SplitCommandLine(c.text);
        EXPECT_EQ(app.mSwitches, c.expected) << c.text;
    }
}

TEST(CommandLine, TheProgramNameIsSkippedQuotedOrNot)
{
    struct Case {
        std::vector<const char*> argv;
        std::vector<std::pair<std::string, std::string>> expected;
    };
    const std::vector<Case> cases = {
        {{"/opt/my game/tamberlo", "-play"}, {{"-play", ""}}},
        {{"tamberlo", "-screensaver", "-demofile=x y.dmo"}, {{"-screensaver", ""}, {"-demofile", "x y.dmo"}}},
        {{"tamberlo"}, {}},
    };
    for (const Case& c : cases) {
        Process::SetArguments(static_cast<int>(c.argv.size()), const_cast<char**>(c.argv.data()));
        SwitchApp app;
        app.ParseProcessCommandLine();
        EXPECT_TRUE(app.mCmdLineParsed);
        EXPECT_EQ(app.mSwitches, c.expected) << c.argv[0];
    }
    Process::SetArguments(0, nullptr);
}

TEST(CommandLine, KnownSwitchesSetTheirModes)
{
    CountingApp app;
    app.ApplyCommandLineSwitch("-record", "");
    EXPECT_TRUE(app.mRecordingDemo);
    app.ApplyCommandLineSwitch("-play", "");
    EXPECT_TRUE(app.mPlayingDemo);
    EXPECT_FALSE(app.mRecordingDemo);
    app.ApplyCommandLineSwitch("-demofile", "x\\y.dmo");
    EXPECT_EQ(app.mDemoFileName, "x\\y.dmo");
    app.ApplyCommandLineSwitch("-screensaver", "");
    EXPECT_TRUE(app.mIsScreenSaver);
}

TEST(CommandLineDeathTest, AnUnknownSwitchEndsTheProgramWithAFailure)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    CountingApp app;
    EXPECT_EXIT(app.ApplyCommandLineSwitch("-Play", ""), testing::ExitedWithCode(1),
                "\\[FATAL ERROR\\] Invalid Command Line Param: -Play");
}

class DemoFiles : public testing::Test
{
protected:
    void SetUp() override
    {
        mOld = std::filesystem::current_path();
        std::filesystem::current_path(mDir.Path());
        // Recordings begin with the demo magic; the numbered name with other content is a user's file.
        const std::string magic = "\x78\xEF\xBE\x42";
        for (const char* name :
             {"olvarnapp1.dmo", "olvarnapp2.dmo", "olvarnapp3.dmo", "olvarnapp.dmo", "olvarnappx.dmo", "other7.dmo"})
            mDir.WriteFile(name, magic);
        mDir.WriteFile("olvarnapp0.dmo", "my notes");
    }
    void TearDown() override { std::filesystem::current_path(mOld); }
    bool Exists(const char* name) { return std::filesystem::exists(mDir.File(name)); }

    testsupport::TempDir mDir;
    std::filesystem::path mOld;
};

TEST_F(DemoFiles, RecordingNumberedDemosKeepsTheNewestOnceTheNewOneIsWritten)
{
    CountingApp app;
    app.ApplyCommandLineSwitch("-recnum", "3");
    EXPECT_TRUE(app.mRecordingDemo);
    // The switch is read before the program stands in its own folder: it names and deletes nothing.
    EXPECT_TRUE(Exists("olvarnapp1.dmo"));
    app.ResolveDemoFileName(true);
    EXPECT_EQ(app.mDemoFileName, "olvarnapp4.dmo");
    EXPECT_TRUE(Exists("olvarnapp1.dmo"));

    ASSERT_TRUE(app.SaveDemoFile());
    EXPECT_TRUE(Exists("olvarnapp4.dmo"));
    EXPECT_FALSE(Exists("olvarnapp1.dmo"));
    EXPECT_TRUE(Exists("olvarnapp2.dmo"));
    EXPECT_TRUE(Exists("other7.dmo"));
    // Lower in number, but not a recording of this program.
    EXPECT_TRUE(Exists("olvarnapp0.dmo"));
}

TEST_F(DemoFiles, ARecordingThatIsNotWrittenDeletesNothing)
{
    CountingApp app;
    app.ApplyCommandLineSwitch("-recnum", "1");
    app.ResolveDemoFileName(true);
    app.mDemoFileName = "no-such-folder/" + app.mDemoFileName;
    EXPECT_FALSE(app.SaveDemoFile());
    for (const char* name : {"olvarnapp1.dmo", "olvarnapp2.dmo", "olvarnapp3.dmo"})
        EXPECT_TRUE(Exists(name)) << name;
}

TEST_F(DemoFiles, RecordingWithRoomToSpareDeletesNothing)
{
    for (const char* count : {"5", "", "0", "-2"}) {
        std::filesystem::remove(mDir.File("olvarnapp4.dmo"));
        CountingApp app;
        app.ApplyCommandLineSwitch("-recnum", count);
        app.ResolveDemoFileName(true);
        EXPECT_EQ(app.mDemoFileName, "olvarnapp4.dmo") << count;
        ASSERT_TRUE(app.SaveDemoFile()) << count;
        EXPECT_TRUE(Exists("olvarnapp1.dmo")) << count;
    }
}

TEST_F(DemoFiles, PlayingNumberedDemosCountsBackFromTheNewest)
{
    struct Case {
        const char* index;
        const char* file;
    };
    // The lowest int counts as 0, the newest (it once overflowed taking one off).
    for (const Case& c : {Case{"1", "olvarnapp3.dmo"}, Case{"2", "olvarnapp2.dmo"}, Case{"0", "olvarnapp3.dmo"},
                          Case{"-2147483648", "olvarnapp3.dmo"}}) {
        CountingApp app;
        app.ApplyCommandLineSwitch("-playnum", c.index);
        app.ResolveDemoFileName(true);
        EXPECT_EQ(app.mDemoFileName, c.file) << c.index;
        EXPECT_TRUE(app.mPlayingDemo);
    }
}

TEST(DemoFileNames, NoNumberedFilesAnswerZeroAndARelativeDemoFileIsTakenFromTheStartFolder)
{
    testsupport::TempDir dir;
    auto old = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    {
        // The apps go before the folder changes back: a recording app writes its demo as it goes.
        CountingApp app;
        EXPECT_EQ(app.NextDemoFileName("olvarnapp", 5, true), 0);
        app.ApplyCommandLineSwitch("-recnum", "2");
        app.ResolveDemoFileName(true);
        EXPECT_EQ(app.mDemoFileName, "olvarnapp1.dmo");

        CountingApp named;
        named.ApplyCommandLineSwitch("-demofile", "sub/a.dmo");
        named.ResolveDemoFileName(false);
        EXPECT_EQ(std::filesystem::path(named.mDemoFileName), std::filesystem::current_path() / "sub/a.dmo");
    }
    std::filesystem::current_path(old);
}
