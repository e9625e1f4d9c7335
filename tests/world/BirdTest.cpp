// Birds on a clock the tests drive: spawning, a catch and its score, the hint hook, row checks; and
// the environment's sun, save and script start.
#include <gtest/gtest.h>

#include <cmath>

#include <lua.hpp>
#include <luabind/luabind.hpp>

#include "board/CLevelView.h"
#include "board/CPlayerInfo.h"
#include "core/Random.h"
#include "data/CDataError.h"
#include "data/CLevelInfo.h"
#include "data/CXmlDataReader.h"
#include "graphics/Image.h"
#include "world/AnimalConfig.h"
#include "world/CBirdController.h"
#include "world/CEnvironment.h"
#include "world/CGlobals.h"
#include "world/WorldHooks.h"
#include "world/WorldRegistrations.h"

using namespace tilvan;

namespace
{

struct CountingHooks : CWorldHooks {
    int birds = 0;
    void OnDropInWater(const std::string&) override {}
    void OnBirdCreated(int id, float, float) override
    {
        EXPECT_EQ(id, 20);
        ++birds;
    }
};

class Birds : public testing::Test
{
protected:
    void SetUp() override
    {
        SetWorldHooks(&hooks);
        Olvarn::SeedRand(3);
        CBirdKind kind;
        kind.miny = 100;
        kind.maxy = 200;
        kind.deltay = 50;
        kind.speed = 100;
        kind.score = 250;
        CBirdController::Kinds() = {kind};
    }
    void TearDown() override
    {
        SetWorldHooks(nullptr);
        CBirdController::Kinds().clear();
        CBirdController::ChancePerSecond() = 0;
    }
    CountingHooks hooks;
};

} // namespace

TEST_F(Birds, SpawnRollsOncePerSecond)
{
    struct Case {
        int chance;
        float frame;
        size_t birds;
    } cases[] = {{1000, 2500, 2}, {0, 5000, 0}, {1000, 999, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chance);
        CBirdController::ChancePerSecond() = c.chance;
        CBirdController birds;
        birds.Update(c.frame);
        EXPECT_EQ(birds.Birds().size(), c.birds);
    }
    CBirdController::ChancePerSecond() = 1000;
    CBirdController off;
    off.disable(true);
    off.Update(3000);
    EXPECT_TRUE(off.Birds().empty());
}

TEST_F(Birds, CrossingStaysWithinItsHeightChange)
{
    for (int seed = 1; seed < 30; ++seed) {
        Olvarn::SeedRand(uint32_t(seed));
        CBirdController birds;
        birds.Spawn(0);
        ASSERT_EQ(birds.Birds().size(), 1u);
        const CBird& bird = birds.Birds()[0];
        const float crossing = 877.0f / std::fabs(bird.GetVelocity().x);
        EXPECT_LE(std::fabs(bird.GetVelocity().y * crossing), 50.0f);
        EXPECT_EQ(bird.GetVelocity().x < 0, (bird.GetImage().GetFlags() & CImage::MIRRORED) != 0);
    }
}

TEST_F(Birds, CaughtBirdScoresAndNeverAnnouncesItself)
{
    CBirdController birds;
    birds.Spawn(0);
    birds.Spawn(0);
    CBird& first = const_cast<CBird&>(birds.Birds()[0]);
    Olvarn::Image picture;
    picture.mWidth = 40;
    picture.mHeight = 20;
    first.GetImage().SetImage(&picture);
    const FPoint at = first.GetPosition();
    CBird* hit = birds.FindBird(int(at.x), int(at.y));
    ASSERT_EQ(hit, &first);
    EXPECT_EQ(hit->GetScore(), 250);
    hit->Hit();
    EXPECT_FALSE(hit->HitTest(int(at.x), int(at.y)));
    // hint_time is 0 without the constants: the live bird announces itself on its first step.
    birds.Update(10);
    EXPECT_EQ(hooks.birds, 1);
    EXPECT_EQ(birds.Birds().size(), 1u);
    birds.Update(10);
    EXPECT_EQ(hooks.birds, 1);
}

TEST_F(Birds, RowsThatWouldDivideByNothingAreRejected)
{
    struct Case {
        const char* row;
        const char* field;
    } cases[] = {
        {R"(<bird image="IMAGE_BIRD" miny="200" maxy="200" deltay="10" speed="90" score="5" sound=""/>)", "maxy"},
        {R"(<bird image="IMAGE_BIRD" miny="100" maxy="200" deltay="0" speed="90" score="5" sound=""/>)", "deltay"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        CXmlDataReader reader;
        CBirdController::DeclareConfig(reader);
        reader.LoadFromMemory(std::string("<?xml version=\"1.0\"?><data>") + c.row + "</data>");
        try {
            CBirdController::LoadConfig(reader);
            ADD_FAILURE() << "accepted";
        } catch (const CDataError& e) {
            EXPECT_NE(std::string(e.what()).find(std::string("bird row 1, ") + c.field), std::string::npos);
        }
    }
    CXmlDataReader reader;
    CBirdController::DeclareConfig(reader);
    reader.LoadFromMemory(
        R"(<?xml version="1.0"?><data><bird image="I" miny="1" maxy="9" deltay="3" speed="9" score="7" sound=""/><bird_controller chance_per_second="40"/></data>)");
    CBirdController::LoadConfig(reader);
    ASSERT_EQ(CBirdController::Kinds().size(), 1u);
    EXPECT_EQ(CBirdController::Kinds()[0].soundId, -1);
    EXPECT_EQ(CBirdController::ChancePerSecond(), 40);
}

TEST(Environment, SunAcrossTheGame)
{
    struct Case {
        int level;
        float x, y;
    } cases[] = {{0, 125, 125}, {15, 410, 85}, {30, 695, 125}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.level);
        FPoint p = CEnvironment::SunPositionFor(c.level, 30);
        EXPECT_NEAR(p.x, c.x, 0.5f);
        EXPECT_NEAR(p.y, c.y, 0.5f);
    }
    // No levels at all: the sun stays at its start rather than dividing by nothing.
    EXPECT_NEAR(CEnvironment::SunPositionFor(3, 0).x, 125, 0.5f);
}

TEST(Environment, SavedEnvironmentWithCreaturesLoadsBack)
{
    RegisterWorldSaveClasses();
    CXmlDataReader rows;
    DeclareAnimalConfig(rows);
    rows.LoadFromMemory(
        R"(<?xml version="1.0"?><data><animal id="crab" type="creeper" behavior="1 1 1" move="IMAGE_CRAB 40 2 4 0" rotate="IMAGE_CRAB" think="IMAGE_CRAB 100 300 2" logo_image="" scale="0.8 1.2" min_z="50" max_z="50"/></data>)");
    ClearAnimalPrototypes();
    LoadAnimalConfig(rows);
    const std::string path = testing::TempDir() + "environment_save.xml";
    FPoint sun;
    size_t creatures = 0;
    struct Saved {
        std::string id;
        FPoint pos;
        float scale;
        int dir;
        bool falling;
    };
    auto state = [](CEnvironment& e) {
        std::vector<Saved> list;
        for (const auto& a : e.Aquarium().Animals())
            list.push_back({a->id, a->pos, a->scale, a->dir, a->isfalling});
        return list;
    };
    std::vector<Saved> before;
    {
        CEnvironment environment(nullptr, nullptr, nullptr);
        EXPECT_EQ(environment.LevelNumber(), -1);
        CreateAnimal("crab")->pos = FPoint(200, 500);
        CreateAnimal("crab")->pos = FPoint(600, 450);
        environment.Update(500);
        creatures = environment.Aquarium().Animals().size();
        before = state(environment);
        sun = environment.SunPosition();
        ASSERT_TRUE(save::SaveWriter().Open(path, false, ""));
        environment.Save();
        ASSERT_TRUE(save::SaveWriter().Close());
    }
    save::SaveReader().LoadFile(path);
    CEnvironment back(nullptr, nullptr, nullptr);
    back.Load(0);
    EXPECT_EQ(back.Aquarium().Animals().size(), creatures);
    const std::vector<Saved> after = state(back);
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < after.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(after[i].id, before[i].id);
        // Positions and scales go through ten significant digits.
        EXPECT_FLOAT_EQ(after[i].pos.x, before[i].pos.x);
        EXPECT_FLOAT_EQ(after[i].pos.y, before[i].pos.y);
        EXPECT_FLOAT_EQ(after[i].scale, before[i].scale);
        EXPECT_EQ(after[i].dir, before[i].dir);
        EXPECT_EQ(after[i].falling, before[i].falling);
    }
    EXPECT_EQ(back.SunPosition().x, sun.x);
    EXPECT_EQ(back.Sun().GetPosition().y, sun.y);
    ClearAnimalPrototypes();
}

TEST(Environment, ScriptGlobalsReachThePlayerAndTheLevel)
{
    struct View : CLevelView {
        CPipeline* GetPipeline() override { return nullptr; }
        int GetWaterLine() const override { return 610; }
        int GetLevelNumber() const override { return 7; }
    } view;
    lua_State* L = luaL_newstate();
    luaL_openlibs(L);
    luabind::open(L);
    CGlobals::RegisterLuaClasses(L);
    CGlobals::Set(&view, nullptr, nullptr, nullptr, 0.5);
    auto run = [L](const char* code) {
        const bool ok = luaL_dostring(L, code) == 0;
        EXPECT_TRUE(ok) << code << ": " << (ok ? "" : lua_tostring(L, -1));
    };
    // Until the level's own folder says how, the level reads as nil rather than as something unusable.
    run("assert(globals_class().level == nil)");
    CGlobals::SetLevelObject(
        [](lua_State* state, CLevelView* level) { return luabind::object(state, level->GetLevelNumber()); });
    run("assert(globals_class().level == 7)");
    run("assert(globals_class().fade_time == 0.5)");
    CPlayerInfo::Instance().statistic.feedback = false;
    run("globals_class().player:feedback_occur()");
    EXPECT_TRUE(CPlayerInfo::Instance().statistic.feedback);
    CGlobals::Set(nullptr, nullptr, nullptr, nullptr, 0);
    run("assert(globals_class().level == nil)");
    CGlobals::SetLevelObject(nullptr);
    lua_close(L);
}
