// The settings file: round trips, damaged files read value by value, atomic replacement.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "platform/SettingsStore.h"
#include "support/TempDir.h"

using Olvarn::SettingsStore;

namespace
{

std::vector<unsigned char> Bytes(const std::string& s)
{
    return std::vector<unsigned char>(s.begin(), s.end());
}

std::vector<unsigned char> DWord(uint32_t v)
{
    return {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8), static_cast<unsigned char>(v >> 16),
            static_cast<unsigned char>(v >> 24)};
}

} // namespace

TEST(SettingsStore, EveryTypeAndAwkwardNameSurvivesSaveAndLoad)
{
    testsupport::TempDir dir;
    struct Case {
        std::string name;
        uint32_t type;
        std::vector<unsigned char> data;
    };
    const std::vector<Case> cases = {
        {"MusicVolume", SettingsStore::kDWord, DWord(85)},
        {"PreferredX", SettingsStore::kDWord, DWord(0xFFFFFFFFu)},
        {"DemoJumpTime", SettingsStore::kString, Bytes("12:30 with blanks %percent\r\nand lines")},
        {"Empty", SettingsStore::kString, {}},
        {"Test3D\\RuntimeError", SettingsStore::kString, Bytes("\x80\xff caf\xe9")},
        {"name with = and blanks", SettingsStore::kBinary, {0, 1, 0xfe, 0xff}},
        {"EmptyBinary", SettingsStore::kBinary, {}},
    };
    SettingsStore out(dir.File("a/b/settings"));
    for (const Case& c : cases)
        out.Set(c.name, c.type, c.data.data(), c.data.size());
    ASSERT_TRUE(out.Save()) << out.LastError();

    testsupport::SaveFuzzSeed("settings", "every-type", dir.ReadFile("a/b/settings"));
    SettingsStore in(dir.File("a/b/settings"));
    in.Load();
    EXPECT_EQ(in.Values().size(), cases.size());
    for (const Case& c : cases) {
        SettingsStore::Value v;
        ASSERT_TRUE(in.Get(c.name, v)) << c.name;
        EXPECT_EQ(v.mType, c.type) << c.name;
        EXPECT_EQ(v.mData, c.data) << c.name;
    }
}

TEST(SettingsStore, NamesIgnoreCaseAndTakeTheNewestSpelling)
{
    SettingsStore store("/nonexistent/settings");
    auto v = DWord(1);
    store.Set("MusicVolume", SettingsStore::kDWord, v.data(), 4);
    v = DWord(2);
    store.Set("musicvolume", SettingsStore::kDWord, v.data(), 4);
    ASSERT_EQ(store.Values().size(), 1u);
    EXPECT_EQ(store.Values().begin()->first, "musicvolume");
    SettingsStore::Value got;
    EXPECT_TRUE(store.Get("MUSICVOLUME", got));
    EXPECT_EQ(got.mData, DWord(2));
}

TEST(SettingsStore, DamagedFilesGiveWhatCanBeReadAndNothingElse)
{
    const std::string header = "OlvarnSettings 1\r\n";
    struct Case {
        const char* what;
        std::string bytes;
        std::vector<std::string> present; // values that must be read
    };
    const std::vector<Case> cases = {
        {"empty file", "", {}},
        {"garbage", "\x01\x02\xff garbage\n\n\n", {}},
        {"another version", "OlvarnSettings 2\r\ndword A 1\r\n", {}},
        {"header only", header, {}},
        {"LF line ends", "OlvarnSettings 1\ndword A 1\n", {"A"}},
        {"cut inside the last line", header + "dword A 1\r\ndword B 8", {"A"}},
        {"cut inside the header", "OlvarnSett", {}},
        {"dword too large", header + "dword A 4294967296\r\ndword B 7\r\n", {"B"}},
        {"dword not a number", header + "dword A -1\r\ndword B 0x10\r\ndword C 12\r\n", {"C"}},
        {"unknown kind", header + "qword A 1\r\nstring B x\r\n", {"B"}},
        {"bad hex", header + "binary A 0g\r\nbinary B 123\r\nbinary C 00ff\r\n", {"C"}},
        {"bad escape", header + "string A %4\r\nstring B %zz\r\nstring C %41\r\n", {"C"}},
        {"too many fields", header + "dword A 1 2\r\ndword B 2\r\n", {"B"}},
        {"too few fields", header + "dword A\r\ndword\r\n\r\ndword  5\r\n", {}},
    };
    for (const Case& c : cases) {
        SettingsStore::ValueMap values = SettingsStore::Parse(c.bytes);
        EXPECT_EQ(values.size(), c.present.size()) << c.what;
        for (const std::string& name : c.present)
            EXPECT_EQ(values.count(name), 1u) << c.what << ": " << name;
    }
    auto values = SettingsStore::Parse(header + "string C %41\r\n");
    EXPECT_EQ(values.at("C").mData, Bytes("A"));
}

TEST(SettingsStore, OversizedValuesAreNotRead)
{
    std::string big(2 * SettingsStore::kMaxValueBytes + 2, 'a');
    auto values = SettingsStore::Parse("OlvarnSettings 1\r\nbinary A " + big + "\r\nstring B " + big + "\r\n");
    EXPECT_TRUE(values.empty());
}

TEST(SettingsStore, SaveReplacesTheWholeFileAndLeavesNoTemporaryFiles)
{
    testsupport::TempDir dir;
    dir.WriteFile("settings", "OlvarnSettings 1\r\ndword Old 1\r\ndword A 9");
    SettingsStore store(dir.File("settings"));
    store.Load();
    auto v = DWord(3);
    store.Set("New", SettingsStore::kDWord, v.data(), 4);
    ASSERT_TRUE(store.Save());
    EXPECT_EQ(dir.ReadFile("settings"), "OlvarnSettings 1\r\ndword New 3\r\ndword Old 1\r\n");
    int files = 0;
    for (auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1);
}

TEST(SettingsStore, TemporariesLeftByAKilledSaveGoAtTheNextSave)
{
    // A save killed before its rename leaves settings.olvarn-tmp.XXXXXX, which the next save
    // removes, old or new; every other name stays: the player's own copies look like "settings."
    // plus six letters or digits too. (A save still running holds a lock on its temporary.)
    testsupport::TempDir dir;
    struct Case {
        const char* name;
        bool old;
        bool stays;
    };
    const Case cases[] = {
        {"settings.olvarn-tmp.a1B2c3", true, false},
        {"settings.olvarn-tmp.Zz9Yy8", true, false},
        {"settings.olvarn-tmp.q1w2e3", false, false},
        {"settings.a1B2c3", true, true},
        {"settings.backup", true, true},
        {"settings.old", true, true},
        {"settings.olvarn-tmp.a1B2c3.x", true, true},
        {"other.olvarn-tmp.a1B2c3", true, true},
        {"settings.olvarn-tmp.a-B2c3", true, true},
    };
    auto hourAgo = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
    for (const Case& c : cases) {
        dir.WriteFile(c.name, "half a settings file");
        if (c.old)
            std::filesystem::last_write_time(dir.File(c.name), hourAgo);
    }
    SettingsStore store(dir.File("settings"));
    ASSERT_TRUE(store.Save());
    for (const Case& c : cases)
        EXPECT_EQ(std::filesystem::exists(dir.File(c.name)), c.stays) << c.name;
    EXPECT_TRUE(std::filesystem::exists(dir.File("settings")));
}

TEST(SettingsStore, ASettingsPathThatIsNoRegularFileIsIgnored)
{
    // A FIFO would block an ordinary open until a writer came; a folder cannot be read.
    testsupport::TempDir dir;
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
    std::filesystem::create_directory(dir.File("folder"));
    for (const char* name : {"fifo", "folder"}) {
        SCOPED_TRACE(name);
        SettingsStore store(dir.File(name));
        store.Load();
        EXPECT_TRUE(store.Values().empty());
        EXPECT_NE(store.LastError().find("not a regular file"), std::string::npos);
    }
}

TEST(SettingsStore, AFailedRenameIsReportedAndLeavesNoTemporaryFile)
{
    // A folder where the file should be makes the final rename fail, even for root.
    testsupport::TempDir dir;
    dir.WriteFile("settings/keep", "old");
    SettingsStore store(dir.File("settings"));
    auto v = DWord(2);
    store.Set("A", SettingsStore::kDWord, v.data(), 4);
    EXPECT_FALSE(store.Save());
    EXPECT_NE(store.LastError().find("settings"), std::string::npos);
    EXPECT_EQ(dir.ReadFile("settings/keep"), "old");
    int files = 0;
    for (auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1);
}

TEST(SettingsStore, AFailedSaveIntoAFileInPlaceOfTheFolderIsReported)
{
    testsupport::TempDir dir;
    dir.WriteFile("blocker", "not a folder");
    SettingsStore store(dir.File("blocker/settings"));
    auto v = DWord(2);
    store.Set("A", SettingsStore::kDWord, v.data(), 4);
    EXPECT_FALSE(store.Save());
    EXPECT_FALSE(store.LastError().empty());
}

TEST(SettingsStore, KeysMapToFoldersBelowTheConfigHome)
{
    std::string home = std::getenv("XDG_CONFIG_HOME");
    EXPECT_EQ(SettingsStore::PathForKey("Quendril\\Tamberlo"), home + "/Quendril/Tamberlo/settings");
    EXPECT_EQ(SettingsStore::PathForKey("..\\..\\etc\\\\x\\."), home + "/etc/x/settings");
    EXPECT_EQ(SettingsStore::PathForKey("/abs/key"), home + "/abs/key/settings");
}
