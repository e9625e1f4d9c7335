// Profiles: the list and its current profile, the profiles file with damaged and odd contents, and
// the saved game of a profile.
#include <gtest/gtest.h>

#include <filesystem>

#include "RecordsFixture.h"
#include "data/DataCodecs.h"
#include "data/SaveFixtures.h"
#include "platform/Directories.h"
#include "records/CProfiles.h"

using namespace tilvan;

namespace
{
bool Exists(const std::string& path)
{
    return std::filesystem::exists(path);
}

// A profiles file as stored, from its plain text.
std::string Stored(std::string text)
{
    XmlDataCrypt(text);
    return text;
}
} // namespace

using ProfilesTest = RecordsFolder;

TEST_F(ProfilesTest, CreateRenameDeleteAndCurrent)
{
    CProfiles profiles;
    EXPECT_EQ(profiles.GetCount(), 0);
    EXPECT_EQ(profiles.GetCurrentProfile(), nullptr);
    EXPECT_EQ(profiles.GetProfile(0), nullptr);
    EXPECT_EQ(profiles.EnsureCurrentProfile(), nullptr);

    const std::string twenty(20, 'n');
    const std::string accented = "J\xF6rg \xE9t\xE9 \"<&>\"";
    ASSERT_NE(profiles.AddProfile("Ann", false), nullptr);
    ASSERT_NE(profiles.AddProfile(twenty, true), nullptr);
    ASSERT_NE(profiles.AddProfile(accented, false), nullptr);
    EXPECT_EQ(profiles.AddProfile(twenty + "x", false), nullptr);
    EXPECT_EQ(profiles.AddProfile("", false), nullptr);
    EXPECT_EQ(profiles.AddProfile("tab\there", false), nullptr);
    EXPECT_EQ(profiles.GetCount(), 3);
    EXPECT_EQ(profiles.GetCurrentProfile()->name, twenty);

    profiles.SetCurrentProfile("nobody");
    EXPECT_EQ(profiles.GetCurrentProfile()->name, twenty);
    profiles.SetCurrentProfile(accented);
    EXPECT_EQ(profiles.GetCurrentProfile(), profiles.GetProfile(2));
    // Byte for byte: another case is another name.
    EXPECT_EQ(profiles.FindProfile("ann"), nullptr);

    EXPECT_TRUE(profiles.RenameProfile("Ann", "Bo"));
    EXPECT_FALSE(profiles.RenameProfile("Ann", "Cy"));
    EXPECT_FALSE(profiles.RenameProfile("Bo", twenty + "x"));
    EXPECT_EQ(profiles.GetProfile(0)->name, "Bo");

    profiles.DeleteProfile("Bo");
    EXPECT_EQ(profiles.GetCurrentProfile()->name, accented);
    profiles.DeleteProfile(accented);
    EXPECT_EQ(profiles.GetCurrentProfile(), nullptr);
    // A level's end with nobody current takes the first profile rather than nothing.
    ASSERT_NE(profiles.EnsureCurrentProfile(), nullptr);
    EXPECT_EQ(profiles.GetCurrentProfile()->name, twenty);
}

TEST_F(ProfilesTest, SaveAndLoadKeepEverything)
{
    const std::string accented = "J\xF6rg \xE9t\xE9 \"<&>\" ";
    {
        CProfiles profiles;
        CProfile* a = profiles.AddProfile("Ann", false);
        CProfile* b = profiles.AddProfile(accented, true);
        profiles.AddProfile("Ann", false);
        a->max_level = 7;
        a->show_hints = false;
        a->AddMedals(0, 3);
        a->AddMedals(4, 4);
        a->SetCrown();
        b->GetMedals(9);
        EXPECT_EQ(a->MedalsText(), "0 3 4 4  ");
        EXPECT_EQ(b->MedalsText(), "9 0  ");
        EXPECT_EQ(profiles.Save(), 0);
    }
    CProfiles loaded;
    ASSERT_EQ(loaded.GetCount(), 3);
    EXPECT_TRUE(loaded.LoadProblem().empty());
    CProfile* a = loaded.GetProfile(0);
    EXPECT_EQ(a->name, "Ann");
    EXPECT_EQ(a->max_level, 7);
    EXPECT_FALSE(a->show_hints);
    EXPECT_TRUE(a->HasCrown());
    EXPECT_EQ(a->medals, (std::map<int, int>{{0, 3}, {4, 4}}));
    EXPECT_EQ(loaded.GetCurrentProfile(), loaded.GetProfile(1));
    EXPECT_EQ(loaded.GetCurrentProfile()->name, accented);
    EXPECT_EQ(loaded.GetProfile(1)->medals, (std::map<int, int>{{9, 0}}));
    EXPECT_TRUE(loaded.GetProfile(1)->show_hints);
    // Two of one name: lookups take the first.
    EXPECT_EQ(loaded.FindProfile("Ann"), a);
}

TEST_F(ProfilesTest, OddFilesParse)
{
    const std::string header = "<?xml version=\"1.0\"?>\n<data>\n";
    const std::string ann = Base64EncodeString("Ann");
    struct Case {
        const char* what;
        std::string text;
        bool parses;
        int count;
        const char* current;
    } cases[] = {
        {"rows naming nobody are skipped",
         header + "<profile name=\"" + ann + "\" show_hints=\"1\"/>\n<profiles all_profiles=\"0 5 9  \" current=\"" +
             ann + "\"/>\n</data>",
         true, 1, "Ann"},
        {"current names nobody",
         header + "<profile name=\"" + ann + "\"/>\n<profiles all_profiles=\"0  \" current=\"" +
             Base64EncodeString("Zed") + "\"/>\n</data>",
         true, 1, nullptr},
        {"odd medal count keeps the pairs",
         header + "<profile name=\"" + ann + "\" medals=\"1 2 3 \"/>\n<profiles all_profiles=\"0  \"/>\n</data>", true,
         1, nullptr},
        {"no profiles row", header + "<profile name=\"" + ann + "\"/>\n</data>", false, 0, nullptr},
        {"not the data format", "<other/>", false, 0, nullptr},
        {"cut short", header + "<profile name=\"", false, 0, nullptr},
        {"empty", "", false, 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CProfiles profiles(false);
        profiles.AddProfile("Before", true);
        EXPECT_EQ(profiles.Parse(Stored(c.text)), c.parses);
        if (!c.parses) {
            // Nothing changes on a file that does not parse.
            EXPECT_EQ(profiles.GetCount(), 1);
            EXPECT_EQ(profiles.GetCurrentProfile()->name, "Before");
            continue;
        }
        EXPECT_EQ(profiles.GetCount(), c.count);
        if (c.current)
            EXPECT_EQ(profiles.GetCurrentProfile()->name, c.current);
        else
            EXPECT_EQ(profiles.GetCurrentProfile(), nullptr);
    }
    CProfiles oddMedals(false);
    ASSERT_TRUE(oddMedals.Parse(Stored(cases[2].text)));
    EXPECT_EQ(oddMedals.GetProfile(0)->medals, (std::map<int, int>{{1, 2}}));
}

TEST_F(ProfilesTest, DamagedFileIsKeptAndTheBackupUsed)
{
    const std::string path = SavesFile("profiles.xml");
    {
        CProfiles profiles;
        profiles.AddProfile("First", true);
        ASSERT_EQ(profiles.Save(), 0);
        profiles.AddProfile("Second", false);
        // The second save keeps the first file as the backup.
        ASSERT_EQ(profiles.Save(), 0);
    }
    ASSERT_TRUE(Exists(path + ".bak"));
    testsupport::TempDir scratch;
    const std::string garbage = "\x01garbage that is no file of ours";
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(garbage.data(), 1, garbage.size(), f);
        std::fclose(f);
    }
    CProfiles loaded;
    EXPECT_EQ(loaded.GetCount(), 1);
    EXPECT_EQ(loaded.GetProfile(0)->name, "First");
    EXPECT_NE(loaded.LoadProblem().find("profiles.xml.damaged"), std::string::npos);
    std::string kept;
    ASSERT_TRUE(Olvarn::ReadWholeFile(path + ".damaged", kept, 1 << 20));
    EXPECT_EQ(kept, garbage);

    // A second damaged file does not replace the first one kept.
    {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite("x", 1, 1, f);
        std::fclose(f);
    }
    CProfiles again;
    EXPECT_TRUE(Exists(path + ".damaged-2"));
    ASSERT_TRUE(Olvarn::ReadWholeFile(path + ".damaged", kept, 1 << 20));
    EXPECT_EQ(kept, garbage);
}

TEST_F(ProfilesTest, FailedSaveReportsFailure)
{
    const std::string path = SavesFile("profiles.xml");
    // A folder where the file belongs: the write cannot replace it.
    std::filesystem::create_directories(path);
    CProfiles profiles;
    profiles.AddProfile("Ann", true);
    EXPECT_EQ(profiles.Save(), -1);
}

TEST_F(ProfilesTest, SaveNumbers)
{
    CProfiles profiles(false);
    profiles.AddProfile("a", false)->save_file_num = 0;
    profiles.AddProfile("b", false)->save_file_num = 2;
    profiles.AddProfile("c", false);
    EXPECT_EQ(profiles.GetFreeSaveNumber(), 1);
    profiles.RaiseMaxLevel(5);
    profiles.SetCurrentProfile("c");
    profiles.RaiseMaxLevel(5);
    profiles.RaiseMaxLevel(3);
    EXPECT_EQ(profiles.GetCurrentProfile()->max_level, 5);
    EXPECT_EQ(profiles.GetProfile(0)->max_level, 0);
}

TEST_F(ProfilesTest, SavedGames)
{
    savefixtures::RegisterSaveFixtures();
    CProfiles profiles(false);
    savefixtures::Root game = savefixtures::MakeGraph(5);
    savefixtures::Root restored;
    EXPECT_FALSE(profiles.SaveGame(game)) << "nobody current";
    EXPECT_FALSE(profiles.LoadGame(restored));

    profiles.AddProfile("holder", false)->save_file_num = 0;
    CProfile* ann = profiles.AddProfile("Ann", true);
    ASSERT_TRUE(profiles.SaveGame(game));
    EXPECT_EQ(ann->save_path, "saves/1");
    EXPECT_TRUE(ann->HasSavedGame());
    ASSERT_TRUE(profiles.SaveGame(game));
    EXPECT_EQ(ann->save_path, "saves/1");
    ASSERT_TRUE(profiles.LoadGame(restored));
    EXPECT_TRUE(restored == game);

    // A save that cannot be written leaves the profile unsaved.
    CProfile* bo = profiles.AddProfile("Bo", true);
    std::filesystem::create_directories(SavesFile("2"));
    EXPECT_FALSE(profiles.SaveGame(game));
    EXPECT_FALSE(bo->HasSavedGame());
    std::filesystem::remove(SavesFile("2"));

    // A damaged save: the load fails, the file is kept aside, the game starts from the map.
    profiles.SetCurrentProfile("Ann");
    {
        std::FILE* f = std::fopen(SavesFile("1").c_str(), "wb");
        std::fwrite("broken", 1, 6, f);
        std::fclose(f);
    }
    std::string problem;
    savefixtures::Root fresh;
    EXPECT_FALSE(profiles.LoadGame(fresh, &problem));
    EXPECT_FALSE(ann->HasSavedGame());
    EXPECT_EQ(ann->save_file_num, -1);
    EXPECT_FALSE(problem.empty());
    EXPECT_TRUE(Exists(SavesFile("1.damaged")));
    EXPECT_FALSE(profiles.LoadGame(fresh));

    // Deleting a profile removes its save; its number is free again.
    ASSERT_TRUE(profiles.SaveGame(game));
    EXPECT_EQ(ann->save_path, "saves/1");
    profiles.DeleteProfile("Ann");
    EXPECT_FALSE(Exists(SavesFile("1")));
    EXPECT_EQ(profiles.GetFreeSaveNumber(), 1);
}
