// Saved games: a level saved in the middle of play comes back equal, saves that cannot be continued
// start the game from the map and keep the profile, a continued game keeps its pearl levels, and the
// end of a level reaches the profile and the records.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <thread>

#include "board/BoardFixture.h"
#include "board/BoardSave.h"
#include "board/CPlayerInfo.h"
#include "data/CLevelInfo.h"
#include "data/CSaveObject.h"
#include "data/DataCodecs.h"
#include "play/CFire.h"
#include "play/CPlay.h"
#include "play/PlayHooks.h"
#include "play/PlaySave.h"
#include "records/CProfiles.h"
#include "records/CRecords.h"
#include "records/PlayerFiles.h"
#include "records/RecordsSaveClasses.h"
#include "screens/CGameScreen.h"
#include "screens/CMapWindow.h"
#include "screens/ScreensSave.h"
#include "shell/CImage.h"
#include "support/TempDir.h"
#include "world/WorldRegistrations.h"

using namespace tilvan;

namespace
{

constexpr float kOffset = 100;

// Three levels on one location with a fire: an ordinary level, a bonus level of one second and the
// last level. Each grid is the first columns of its first rows.
void MakeLevels(int columns = 3, int rows = 5)
{
    CLevelDefinitions& defs = CLevelDefinitions::Instance();
    defs.Clear();
    CLocationInfo& location = defs.locations.emplace_back();
    location.number = 1;
    location.fire_pos = CFloatPair{820, 520};
    CDropTable& drops = defs.drops.emplace_back();
    drops.ranges = {{1, 0, 9}, {2, 10, 19}};
    drops.total = 20;
    drops.filter_max_repeat = 2;
    for (int i = 0; i < 3; ++i) {
        CLevelInfo& level = defs.levels.emplace_back();
        level.number = i + 1;
        level.bonus = i == 1;
        level.time = 1;
        level.offx = kOffset;
        level.offy = kOffset;
        level.speed = 0.5f;
        level.gravity = 0.001f;
        level.creation_time = 600;
        level.location = &defs.locations[0];
        level.drop_table = &drops;
        for (int c = 0; c < columns; ++c)
            for (int r = 0; r < rows; ++r)
                level.grid[c * kGridRows + r] = true;
    }
}

void ForgetProfiles()
{
    CProfiles& profiles = CProfiles::Instance();
    while (profiles.GetCount() > 0)
        profiles.DeleteProfile(profiles.GetProfile(0)->name);
    CRecords::Instance().Reset();
    CRecords::Instance().send_records.clear();
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The first line in which two saves differ, the transform undone; "" when they are the same.
std::string FirstDifference(std::string a, std::string b)
{
    XmlDataCrypt(a);
    XmlDataCrypt(b);
    size_t at = 0;
    while (at < a.size() && at < b.size() && a[at] == b[at])
        ++at;
    if (at == a.size() && at == b.size())
        return std::string();
    size_t start = a.rfind('\n', at);
    start = start == std::string::npos ? 0 : start + 1;
    return a.substr(start, a.find('\n', at) - start) + "\n  became\n" + b.substr(start, b.find('\n', at) - start);
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

class SaveGameTest : public ::testing::Test
{
protected:
    static constexpr int kTold = CPlayerInfo::start_game_told | CPlayerInfo::last_level_told |
                                 CPlayerInfo::bonus_level_described | CPlayerInfo::first_help_shown |
                                 CPlayerInfo::second_help_shown;

    void SetUp() override
    {
        SetPlayHooksEnabled(false);
        boardtest::LoadTestTypes();
        Olvarn::ThreadRandom().Seed(5);
        auto& registry = save::CSaveObjectRegistry::Instance();
        if (!registry.IsRegistered(CImage::kClassId))
            registry.Register(nullptr, CImage::kClassId, &CImage::DeclareReaderSchema, &CImage::DeclareWriterSchema);
        RegisterWorldSaveClasses();
        RegisterBoardSaveClasses();
        RegisterPlaySaveClasses();
        RegisterScreensSaveClasses();
        RegisterRecordsSaveClasses();
        MakeLevels();
        FireConfig().delay[0] = 4000;
        PlayMakers() = CPlayMakers{};
        RecordsWindowMakers() = CRecordsWindowMakers{};
        ForgetProfiles();
    }
    void TearDown() override
    {
        screen.reset();
        ForgetProfiles();
        CLevelDefinitions::Instance().Clear();
        FireConfig().delay[0] = 0;
    }

    // A new game screen playing the level of the index, past its start dialogs.
    CPlay& Playing(int levelIndex, std::set<int> pearlLevels = {0})
    {
        screen.reset();
        screen = std::make_unique<CGameScreen>(false);
        CPlayerInfo& player = CPlayerInfo::Instance();
        player.level = levelIndex;
        player.flags = kTold;
        player.pearl_creator.SetLevels(pearlLevels);
        auto* play = new CPlay(nullptr);
        play->SetOwner(screen.get());
        screen->SetState(play);
        // The loader thread has nothing to load; the play state takes over once it has finished.
        for (int i = 0; i < 5000 && screen->State() != play; ++i) {
            screen->Update();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        EXPECT_EQ(screen->State(), play);
        return *play;
    }
    void Run(int updates)
    {
        for (int i = 0; i < updates; ++i)
            screen->Update();
    }
    CPlay* PlayOf(CGameScreen& s) { return dynamic_cast<CPlay*>(s.State()); }

    // Fills a board of the one up cell (0, 0), so the next step wins the level.
    void FillBoard(CLevel& level)
    {
        CElement e(0, 0);
        e.SetPosition(kOffset + e.GetCenter().x, kOffset - 35 + e.GetCenter().y);
        ASSERT_TRUE(level.Grid().InsertElement(e));
    }

    testsupport::TempDir dir;
    std::unique_ptr<CGameScreen> screen;
};

} // namespace

TEST_F(SaveGameTest, ALevelSavedInTheMiddleOfPlayLoadsBackEqual)
{
    CPlay& play = Playing(0, {0, 2});
    CLevel& level = play.Level();
    CPlayerInfo& player = CPlayerInfo::Instance();
    Run(300);
    // A piece on the board, one carried, the fire out, a slow-down running, pearls and score.
    CElement onBoard(1, 0);
    onBoard.SetPosition(kOffset + onBoard.GetCenter().x, kOffset - 35 + onBoard.GetCenter().y);
    ASSERT_TRUE(level.Grid().InsertElement(onBoard));
    CElement carried(2, 0);
    carried.SetRotation(1);
    play.Cursor().SetState(CCursor::element_state);
    play.Cursor().SetElement(carried);
    play.Cursor().pos = FPoint(400, 300);
    level.Fire().Use();
    play.AddPause(0.5f, 10000);
    player.AddScore(1234, false);
    player.AddPearls(3);
    Run(120);
    ASSERT_FALSE(level.Pipeline().GetElements().empty());
    ASSERT_EQ(level.Grid().GetPearls().size(), 1u) << "level index 0 is a pearl level";
    ASSERT_TRUE(level.Fire().IsFaded());
    ASSERT_GT(play.GetPause(), 0.0f);

    std::string error;
    ASSERT_TRUE(save::WriteSaveFile(dir.File("first"), *screen, &error)) << error;
    CGameScreen loadedScreen(false);
    ASSERT_EQ(save::LoadSaveFile(dir.File("first"), loadedScreen, &error), save::ESaveLoad::Loaded) << error;
    CPlay* loaded = PlayOf(loadedScreen);
    ASSERT_NE(loaded, nullptr);

    CLevel& back = loaded->Level();
    EXPECT_EQ(back.get_number(), 1);
    EXPECT_EQ(back.get_state(), level.get_state());
    EXPECT_TRUE(back.IsStarted());
    EXPECT_TRUE(back.Effects().empty()) << "no start sequence again";
    EXPECT_EQ(back.Grid().GetElements().size(), level.Grid().GetElements().size());
    EXPECT_EQ(back.Grid().GetPearls().size(), 1u);
    EXPECT_FLOAT_EQ(back.Grid().GetCompletion(), level.Grid().GetCompletion());
    ASSERT_EQ(back.Pipeline().GetElements().size(), level.Pipeline().GetElements().size());
    for (size_t i = 0; i < back.Pipeline().GetElements().size(); ++i)
        EXPECT_EQ(back.Pipeline().GetElements()[i]->element.GetType(),
                  level.Pipeline().GetElements()[i]->element.GetType());
    EXPECT_EQ(loaded->Cursor().GetState(), CCursor::element_state);
    EXPECT_EQ(loaded->Cursor().Element().GetRotation(), 1);
    EXPECT_TRUE(back.Fire().IsFaded());
    EXPECT_FLOAT_EQ(back.Fire().DelayTimeLeft(), level.Fire().DelayTimeLeft());
    EXPECT_FLOAT_EQ(loaded->GetPause(), play.GetPause());
    EXPECT_EQ(player.score, 1234);
    EXPECT_EQ(player.points, 3);
    EXPECT_TRUE(player.IsPearlLevel(0) && player.IsPearlLevel(2) && !player.IsPearlLevel(1));
    EXPECT_GT(back.Creator().NormalTable().total, 0) << "the creator is restored with its tables";

    // The loaded game saves to the same bytes.
    ASSERT_TRUE(save::WriteSaveFile(dir.File("second"), loadedScreen, &error)) << error;
    EXPECT_EQ(FirstDifference(ReadBytes(dir.File("first")), ReadBytes(dir.File("second"))), "");

    // And it goes on: the creator still brings pieces.
    const size_t before = back.Pipeline().GetElements().size() + back.Grid().GetElements().size();
    for (int i = 0; i < 400; ++i)
        loadedScreen.Update();
    EXPECT_GT(back.Pipeline().GetElements().size() + back.Grid().GetElements().size(), before);
}

TEST_F(SaveGameTest, ASaveThatCannotBeContinuedIsMovedAsideAndTheGameStartsFromTheMap)
{
    struct Case {
        const char* name;
        // Spoils the save file written for level index 2.
        void (*spoil)(const std::string& path);
        bool movedAside;
    };
    const Case cases[] = {
        {"corrupt bytes", [](const std::string& path) { WriteBytes(path, "\x01\x7f not a saved game"); }, true},
        {"cut short", [](const std::string& path) { WriteBytes(path, ReadBytes(path).substr(0, 200)); }, true},
        {"a level the game does not have", [](const std::string&) { CLevelDefinitions::Instance().levels.pop_back(); },
         true},
        {"the file has gone", [](const std::string& path) { std::filesystem::remove(path); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        screen.reset();
        MakeLevels();
        ForgetProfiles();
        CProfiles& profiles = CProfiles::Instance();
        profiles.AddProfile("Ann", true);
        Playing(2).Level();
        CPlayerInfo::Instance().score = 777;
        screen.reset();
        CProfile* ann = profiles.FindProfile("Ann");
        ASSERT_TRUE(ann && ann->HasSavedGame());
        const std::string path = records::UserDataPath(ann->save_path);
        c.spoil(path);

        ASSERT_TRUE(CGameScreen::CanContinue());
        CGameScreen continued(true);
        continued.OnAttached(nullptr);
        EXPECT_NE(dynamic_cast<CMapWindow*>(continued.State()), nullptr);
        EXPECT_EQ(continued.RestoreProblem().empty(), !c.movedAside);
        EXPECT_EQ(CPlayerInfo::Instance().score, 0) << "nothing of the refused save is kept";
        EXPECT_EQ(profiles.FindProfile("Ann"), ann) << "the profile stays";
        EXPECT_FALSE(ann->HasSavedGame()) << "not offered again";
        EXPECT_FALSE(CGameScreen::CanContinue());
        EXPECT_EQ(std::filesystem::exists(path + ".damaged"), c.movedAside) << "kept for the player";
        std::filesystem::remove(path + ".damaged");
    }
}

TEST_F(SaveGameTest, AGameWithoutALevelDefinitionIsNotSaved)
{
    CProfiles::Instance().AddProfile("Bea", true);
    CPlay& play = Playing(0);
    CPlayerInfo::Instance().level = 7;
    play.Level().Begin(7);
    EXPECT_FALSE(play.IsSaveable());
    screen.reset();
    EXPECT_FALSE(CProfiles::Instance().FindProfile("Bea")->HasSavedGame());
}

TEST_F(SaveGameTest, AContinuedGameKeepsItsPearlLevelsInEitherStoredForm)
{
    CProfiles& profiles = CProfiles::Instance();
    profiles.AddProfile("Dee", true);
    Playing(0, {0, 2});
    screen.reset();
    CProfile* dee = profiles.GetCurrentProfile();
    ASSERT_TRUE(dee && dee->HasSavedGame());
    const std::string path = records::UserDataPath(dee->save_path);
    const std::string asSaved = ReadBytes(path);

    // The player's row names the pearl creator's row; a save may also carry the levels inline.
    std::string text = asSaved;
    XmlDataCrypt(text);
    std::smatch found;
    ASSERT_TRUE(std::regex_search(text, found, std::regex("<player [^>]*pearl_creator=\"([0-9]+)\"")));
    std::string inlined = text;
    inlined.replace(static_cast<size_t>(found.position(1)), static_cast<size_t>(found.length(1)), "0 2 ");
    ASSERT_NE(inlined, text);
    XmlDataCrypt(inlined);

    for (const std::string& bytes : {asSaved, inlined}) {
        WriteBytes(path, bytes);
        CPlayerInfo::Instance().Reset();
        CPlayerInfo::Instance().pearl_creator.SetLevels({1});
        CGameScreen continued(true);
        continued.OnAttached(nullptr);
        CPlay* play = PlayOf(continued);
        ASSERT_NE(play, nullptr) << continued.RestoreProblem();
        EXPECT_EQ(play->GetOwner(), &continued);
        const CPlayerInfo& player = CPlayerInfo::Instance();
        EXPECT_TRUE(player.IsPearlLevel(0) && player.IsPearlLevel(2) && !player.IsPearlLevel(1));
        EXPECT_EQ(play->Level().Grid().GetPearls().size(), 1u);
    }
}

TEST_F(SaveGameTest, TheEndOfALevelReachesTheProfileAndTheRecords)
{
    struct Case {
        const char* name;
        int levelIndex;
        bool withProfile;
        bool current;
        int heldMedals;
        bool starLost;
        // expected
        int medals;
        bool crown;
        int maxLevel;
        bool newRecord;
    };
    const Case cases[] = {
        {"first level, nothing lost", 0, true, true, 0, false, 7, false, 1, false},
        {"star lost, fish held", 0, true, true, CProfile::kFishMedal, true, CProfile::kFishMedal | CProfile::kSunMedal,
         false, 1, false},
        {"no current profile: the first stands in", 0, true, false, 0, false, 7, false, 1, false},
        {"bonus level: no medals", 1, true, true, 0, false, 0, false, 2, false},
        {"last level: the crown and the records table", 2, true, true, 0, false, 7, true, 2, true},
        {"no profile at all", 0, false, false, 0, false, 0, false, 0, false},
    };
    // A board of one cell; after a won level the game goes to a state of no interest here.
    MakeLevels(1, 1);
    struct Idle : CGameState {
    };
    PlayMakers().map = [](CGameStateHost*, bool) -> CGameState* { return new Idle; };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        screen.reset();
        ForgetProfiles();
        CProfiles& profiles = CProfiles::Instance();
        if (c.withProfile) {
            profiles.AddProfile("Eve", c.current);
            profiles.FindProfile("Eve")->AddMedals(c.levelIndex, c.heldMedals);
        }
        CPlay& play = Playing(c.levelIndex);
        CPlayerInfo& player = CPlayerInfo::Instance();
        player.score = 5000;
        player.statistic.bonus_used = c.starLost;
        if (c.levelIndex == 1)
            Run(150); // the bonus level's second runs out
        else
            FillBoard(play.Level());
        Run(3);

        CProfile* eve = profiles.FindProfile("Eve");
        if (!c.withProfile) {
            EXPECT_EQ(profiles.GetCount(), 0);
            EXPECT_TRUE(CRecords::Instance().send_records.empty());
            continue;
        }
        ASSERT_NE(eve, nullptr);
        EXPECT_EQ(profiles.GetCurrentProfile(), eve);
        EXPECT_EQ(eve->GetMedals(c.levelIndex), c.medals | c.heldMedals);
        EXPECT_EQ(eve->HasCrown(), c.crown);
        EXPECT_EQ(eve->max_level, c.maxLevel);
        ASSERT_EQ(CRecords::Instance().send_records.size(), 1u);
        EXPECT_EQ(CRecords::Instance().local[0].name, "Eve");
        EXPECT_GE(CRecords::Instance().local[0].score, 5000);
        EXPECT_EQ(player.new_record, c.newRecord);
        // Both files were written at the level's end.
        CProfiles reread(true);
        ASSERT_NE(reread.FindProfile("Eve"), nullptr);
        EXPECT_EQ(reread.FindProfile("Eve")->GetMedals(c.levelIndex), c.medals | c.heldMedals);
        CRecords rereadRecords("placeholder", true);
        EXPECT_EQ(rereadRecords.local[0].name, "Eve");
        if (c.crown) {
            EXPECT_FALSE(play.IsSaveable()) << "a finished game is not saved";
            EXPECT_FALSE(eve->HasSavedGame());
        }
    }
}

TEST_F(SaveGameTest, AGameLeftOnTheMapAfterAWonLevelContinuesOnTheNextLevel)
{
    CProfiles::Instance().AddProfile("Fay", true);
    screen = std::make_unique<CGameScreen>(false);
    CPlayerInfo::Instance().level = 0;
    auto* map = new CMapWindow(nullptr, false);
    screen->SetState(map);
    for (int i = 0; i < 5000 && screen->State() != map; ++i) {
        screen->Update();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_EQ(screen->State(), map);
    ASSERT_EQ(CPlayerInfo::Instance().level, 1) << "the map moves on to the level after the one won";
    screen.reset();
    ASSERT_TRUE(CGameScreen::CanContinue());

    CPlayerInfo::Instance().Reset();
    CGameScreen continued(true);
    continued.OnAttached(nullptr);
    ASSERT_NE(dynamic_cast<CMapWindow*>(continued.State()), nullptr) << continued.RestoreProblem();
    EXPECT_EQ(CPlayerInfo::Instance().level, 1);
    EXPECT_TRUE(continued.State()->IsSaveable());
    EXPECT_GE(CProfiles::Instance().FindProfile("Fay")->max_level, 1);
}
