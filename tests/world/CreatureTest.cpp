// Creatures on a clock the tests drive: the walk, the throw and the fall, the swimmers' edges, the
// choices and turns, the animal rows and a saved aquarium.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "board/CLevelView.h"
#include "core/Random.h"
#include "data/CDataError.h"
#include "data/CXmlDataReader.h"
#include "graphics/Image.h"
#include "world/AnimalComponents.h"
#include "world/AnimalConfig.h"
#include "world/CAquarium.h"
#include "world/CWalkPath.h"
#include "world/WorldHooks.h"
#include "world/WorldRegistrations.h"

using namespace tilvan;

namespace
{

struct CountingHooks : CWorldHooks {
    int drops = 0;
    int birds = 0;
    void OnDropInWater(const std::string&) override { ++drops; }
    void OnBirdCreated(int, float, float) override { ++birds; }
};

struct Level : CLevelView {
    CPipeline* GetPipeline() override { return nullptr; }
    int GetWaterLine() const override { return 610; }
    int GetLevelNumber() const override { return 1; }
};

// A picture of n cels of 40 x 20 shown for ms each, or still.
struct Picture {
    Picture(int cels, int ms)
    {
        image.mWidth = 40 * cels;
        image.mHeight = 20;
        image.mNumCols = cels;
        if (ms > 0) {
            // The image owns its animation record.
            auto* animation = new Olvarn::ImageAnimation();
            animation->mType = Olvarn::ImageAnimation::TYPE_LOOP;
            animation->mFrameDelay = ms;
            animation->Prepare(cels, 0, 0);
            image.mAnimation = animation;
        }
    }
    Olvarn::Image image;
};

class Creatures : public testing::Test
{
protected:
    void SetUp() override
    {
        SetWorldHooks(&hooks);
        SetCurrentLevelView(&level);
        Olvarn::SeedRand(7);
        CAnimalLocation& band = AnimalLocation();
        band = CAnimalLocation{};
        band.path.SetPoints(CWalkPath::Parse("0 700 400 650 877 700 "));
    }
    void TearDown() override
    {
        SetWorldHooks(nullptr);
        SetCurrentLevelView(nullptr);
    }

    std::unique_ptr<CAnimal> Creeper(float speed, int weights[3])
    {
        auto controller = std::make_unique<CCreeperController>();
        controller->SetWeights(weights[0], weights[1], weights[2]);
        auto mover = std::make_unique<CCreeperMover>();
        mover->speed = speed;
        mover->walk_image.image.SetImage(&walk.image);
        mover->min_cycles = 2;
        mover->max_cycles = 4;
        auto rotater = std::make_unique<CRotater>();
        rotater->turn_image.image.SetImage(&turn.image);
        auto thinker = std::make_unique<CThinker>();
        thinker->min_pause = thinker->max_pause = 100;
        return std::make_unique<CAnimal>(EAnimalKind::Creeper, std::move(controller), std::move(mover),
                                         std::move(rotater), std::move(thinker));
    }

    std::unique_ptr<CAnimal> Fish()
    {
        auto controller = std::make_unique<CFishController>();
        controller->SetWeights(1, 0, 0);
        auto mover = std::make_unique<CFishMover>();
        mover->speed = 100;
        mover->swim_image.image.SetImage(&walk.image);
        return std::make_unique<CAnimal>(EAnimalKind::Fish, std::move(controller), std::move(mover),
                                         std::make_unique<CRotater>(), std::make_unique<CThinker>());
    }

    CountingHooks hooks;
    Level level;
    Picture walk{12, 50};
    Picture turn{8, 50};
};

} // namespace

TEST_F(Creatures, CreeperWalksItsPath)
{
    int weights[3] = {1, 0, 0};
    auto creeper = Creeper(40, weights);
    creeper->isfalling = false;
    creeper->scale = 0.5f;
    creeper->dir = 1;
    creeper->pos = FPoint(180, 0);
    auto& mover = static_cast<CCreeperMover&>(creeper->Mover());
    mover.Start();
    // 12 cels of 50 ms, 2 to 4 cycles: 1200, 1800 or 2400 ms.
    EXPECT_TRUE(mover.time == 1200 || mover.time == 1800 || mover.time == 2400) << mover.time;
    const int h = creeper->PixelHeight() / 2;
    struct Step {
        float ms;
        float x;
        int y;
    } steps[] = {{500, 190, 676 - h}, {500, 200, 675 - h}, {1000, 220, 672 - h}};
    for (const Step& s : steps) {
        EXPECT_TRUE(mover.Update(s.ms));
        SCOPED_TRACE(s.x);
        EXPECT_FLOAT_EQ(creeper->pos.x, s.x);
        EXPECT_EQ(int(creeper->pos.y), s.y);
    }
}

TEST_F(Creatures, CreeperStopsAtTheEdgeFacingIn)
{
    int weights[3] = {1, 0, 0};
    auto creeper = Creeper(40, weights);
    creeper->isfalling = false;
    creeper->dir = 1;
    auto& mover = static_cast<CCreeperMover&>(creeper->Mover());
    mover.Start();
    creeper->image.SetImage(&walk.image);
    const float edge = 877 + creeper->PixelWidth() / 2.0f;
    creeper->pos.x = edge + 1;
    EXPECT_FALSE(mover.Update(16));
    EXPECT_EQ(creeper->pos.x, edge);
    EXPECT_EQ(creeper->dir, -1);
}

TEST_F(Creatures, ThrowAndFallIntoTheWater)
{
    struct Case {
        const char* name;
        float dropY;
        bool landsAtOnce;
    } cases[] = {
        {"thrown from above the water", 300, false},
        // Far below the landing point: the throw has no real flight time and lands at once.
        {"dropped low", 2000, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int weights[3] = {1, 0, 0};
        auto creeper = Creeper(40, weights);
        creeper->pos = FPoint(300, c.dropY);
        auto& mover = static_cast<CCreeperMover&>(creeper->Mover());
        hooks.drops = 0;
        mover.Start();
        EXPECT_FALSE(std::isnan(mover.time));
        EXPECT_GE(creeper->targetpos.x, 30);
        EXPECT_LE(creeper->targetpos.x, 770);
        int steps = 0;
        while (creeper->isfalling && steps < 1000) {
            mover.Update(10);
            ++steps;
        }
        EXPECT_FALSE(creeper->isfalling);
        EXPECT_FALSE(std::isnan(creeper->pos.x));
        EXPECT_EQ(creeper->pos.x, creeper->targetpos.x);
        EXPECT_EQ(creeper->pos.y, creeper->targetpos.y);
        if (c.landsAtOnce) {
            EXPECT_EQ(steps, 1);
        } else {
            EXPECT_GT(steps, 1);
            EXPECT_EQ(hooks.drops, 1);
        }
    }
}

TEST_F(Creatures, LandingX)
{
    struct Case {
        float x;
        float lo, hi;
    } cases[] = {{10, 30, 139}, {760, 631, 770}};
    for (const Case& c : cases)
        for (int seed = 1; seed < 40; ++seed) {
            Olvarn::SeedRand(uint32_t(seed));
            auto fish = Fish();
            fish->pos = FPoint(c.x, 300);
            fish->Mover().Start();
            EXPECT_GE(fish->targetpos.x, c.lo);
            EXPECT_LE(fish->targetpos.x, c.hi);
        }
}

TEST_F(Creatures, SinkingToADepthOfNothingEndsAtOnce)
{
    // The band collapses onto the water line: the landing point is the splash point.
    AnimalLocation().min_fish_y = 610;
    AnimalLocation().max_fish_y = 610;
    auto fish = Fish();
    fish->pos = FPoint(300, 600);
    CFishMover& mover = static_cast<CFishMover&>(fish->Mover());
    mover.Start();
    EXPECT_EQ(fish->targetpos.y, 610);
    int steps = 0;
    while (fish->isfalling && steps < 1000) {
        mover.Update(10);
        ++steps;
    }
    EXPECT_FALSE(fish->isfalling);
    EXPECT_FALSE(std::isnan(fish->pos.y));
    EXPECT_EQ(hooks.drops, 1);
    EXPECT_LT(steps, 100);
}

TEST_F(Creatures, FishTurnsAtItsBandEdges)
{
    struct Case {
        float x;
        int dir;
        int expectDir;
        int expectState;
    } cases[] = {{-50, -1, 1, 1}, {950, 1, -1, 1}, {400, 1, 1, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        auto fish = Fish();
        fish->isfalling = false;
        CFishMover& mover = static_cast<CFishMover&>(fish->Mover());
        mover.state = 1;
        mover.Start();
        fish->pos = FPoint(c.x, 700);
        fish->dir = c.dir;
        mover.time = 1000;
        mover.Update(10);
        EXPECT_EQ(fish->dir, c.expectDir);
        EXPECT_EQ(mover.state, c.expectState);
        // A fish stopped at an edge stays until its time is over.
        const float x = fish->pos.x;
        if (c.expectState == 1) {
            mover.Update(10);
            EXPECT_EQ(fish->pos.x, x);
        }
    }
}

TEST_F(Creatures, ChoicesByWeights)
{
    struct Case {
        int w[3];
        bool chosen;
        int state;
    } cases[] = {{{0, 0, 5}, true, 2}, {{0, 0, 0}, false, 0}, {{1, 1, 0}, true, 1}};
    for (const Case& c : cases) {
        int w[3] = {c.w[0], c.w[1], c.w[2]};
        auto creeper = Creeper(10, w);
        creeper->state = 0;
        EXPECT_EQ(creeper->Controller().ChooseNext(), c.chosen);
        EXPECT_EQ(creeper->state, c.state);
    }
}

TEST_F(Creatures, TurnPlaysForwardThenBackward)
{
    int w[3] = {0, 1, 0};
    auto creeper = Creeper(10, w);
    creeper->isfalling = false;
    creeper->dir = 1;
    CRotater rotater;
    rotater.animal = creeper.get();
    rotater.turn_image.image.SetImage(&turn.image);
    rotater.Start();
    EXPECT_TRUE(rotater.Update(399));
    EXPECT_EQ(creeper->dir, 1);
    EXPECT_TRUE(rotater.Update(1));
    EXPECT_EQ(creeper->dir, -1);
    EXPECT_TRUE(creeper->image.GetFlags() & CImage::MIRRORED);
    EXPECT_TRUE(rotater.Update(399));
    EXPECT_FALSE(rotater.Update(1));
}

namespace
{

const char* kAnimalRows = R"(<?xml version="1.0"?>
<data>
<animal id="crab" type="creeper" behavior="1 1 1" move="IMAGE_CRAB 40 2 4 1" rotate="IMAGE_CRAB" think="IMAGE_CRAB 100 300 2" logo_image="IMAGE_CRAB" scale="0.8 1.2" min_z="50" max_z="50"/>
<animal id="fish" type="fish" behavior="2 1 1 4 0.5" move="IMAGE_FISH 60 1 3" rotate="IMAGE_FISH" think="IMAGE_FISH 100 200 1" logo_image="" scale="" min_z="40" max_z="60"/>
<animal id="odd" type="Fish" behavior="" move="" rotate="" think="" logo_image="" scale="" min_z="0" max_z="0"/>
</data>)";

void LoadRows(const std::string& text)
{
    CXmlDataReader reader;
    DeclareAnimalConfig(reader);
    reader.LoadFromMemory(text);
    LoadAnimalConfig(reader);
}

} // namespace

TEST_F(Creatures, AnimalRowsAndTheirChecks)
{
    ClearAnimalPrototypes();
    LoadRows(kAnimalRows);
    ASSERT_NE(FindAnimalPrototype("crab"), nullptr);
    EXPECT_EQ(FindAnimalPrototype("crab")->minscale, 0.8f);
    EXPECT_EQ(FindAnimalPrototype("fish")->maxscale, 1.0f);
    EXPECT_EQ(FindAnimalPrototype("odd"), nullptr);
    EXPECT_FALSE(FindAnimalPrototype("crab")->visible);

    struct Bad {
        const char* name;
        const char* think;
        const char* move;
        const char* field;
    } bad[] = {
        {"no repetitions", "IMAGE_CRAB 100 300 0", "IMAGE_CRAB 40 2 4 1", "think"},
        {"pause range reversed", "IMAGE_CRAB 300 100 1", "IMAGE_CRAB 40 2 4 1", "think"},
        {"cycles reversed", "IMAGE_CRAB 100 300 1", "IMAGE_CRAB 40 4 2 1", "move"},
        {"values missing", "IMAGE_CRAB 100 300 1", "IMAGE_CRAB 40", "move"},
    };
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.name);
        std::string row = std::string("<?xml version=\"1.0\"?><data><animal id=\"x\" type=\"creeper\" behavior=\"1 1 "
                                      "1\" move=\"") +
                          b.move + "\" rotate=\"IMAGE_CRAB\" think=\"" + b.think +
                          "\" logo_image=\"\" scale=\"\" min_z=\"1\" max_z=\"1\"/></data>";
        try {
            LoadRows(row);
            ADD_FAILURE() << "accepted";
        } catch (const CDataError& e) {
            EXPECT_NE(std::string(e.what()).find(std::string("animal row 1, ") + b.field), std::string::npos)
                << e.what();
        }
    }
    ClearAnimalPrototypes();
}

TEST_F(Creatures, CreateNeedsAPrototypeAndAnAquarium)
{
    ClearAnimalPrototypes();
    LoadRows(kAnimalRows);
    EXPECT_EQ(CreateAnimal("crab"), nullptr); // no aquarium yet owns it
    {
        CAquarium aquarium;
        EXPECT_EQ(CreateAnimal("nobody"), nullptr);
        CAnimal* crab = CreateAnimal("crab");
        ASSERT_NE(crab, nullptr);
        EXPECT_TRUE(crab->visible);
        EXPECT_EQ(crab->GetLayer(), 50);
        EXPECT_EQ(aquarium.Animals().size(), 1u);
    }
    // The aquarium is gone with its level: nothing dangles.
    EXPECT_EQ(CAquarium::Current(), nullptr);
    ClearAnimalPrototypes();
}

TEST_F(Creatures, SavedAquariumLoadsBackEqual)
{
    RegisterWorldSaveClasses();
    ClearAnimalPrototypes();
    LoadRows(kAnimalRows);
    const std::string path = testing::TempDir() + "aquarium_save.xml";
    int row = -1;
    std::vector<std::tuple<std::string, float, float, float, int, bool>> saved;
    {
        CAquarium aquarium;
        for (const char* id : {"crab", "fish", "crab"}) {
            CAnimal* a = CreateAnimal(id);
            ASSERT_NE(a, nullptr);
            a->pos = FPoint(100, 300);
        }
        for (int i = 0; i < 200; ++i)
            aquarium.Update(16);
        for (auto& a : aquarium.Animals())
            saved.emplace_back(a->id, a->pos.x, a->pos.y, a->scale, a->dir, a->isfalling);
        ASSERT_TRUE(save::SaveWriter().Open(path, false, ""));
        row = aquarium.Save();
        ASSERT_TRUE(save::SaveWriter().Close());
    }
    std::ifstream file(path);
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("animals=\"'crab' '0' 'fish' '1' 'crab' '2'  \""), std::string::npos) << text;

    save::SaveReader().LoadFile(path);
    CAquarium back([] { return 1; });
    back.Load(row);
    ASSERT_EQ(back.Animals().size(), saved.size());
    for (size_t i = 0; i < saved.size(); ++i) {
        SCOPED_TRACE(i);
        const CAnimal& a = *back.Animals()[i];
        EXPECT_EQ(a.id, std::get<0>(saved[i]));
        EXPECT_FLOAT_EQ(a.pos.x, std::get<1>(saved[i]));
        EXPECT_FLOAT_EQ(a.pos.y, std::get<2>(saved[i]));
        EXPECT_FLOAT_EQ(a.scale, std::get<3>(saved[i]));
        EXPECT_EQ(a.dir, std::get<4>(saved[i]));
        EXPECT_EQ(a.isfalling, std::get<5>(saved[i]));
    }
    ClearAnimalPrototypes();
}

TEST_F(Creatures, AquariumTextWithUnknownIdsAndBlanks)
{
    RegisterWorldSaveClasses();
    ClearAnimalPrototypes();
    LoadRows(kAnimalRows);
    const std::string path = testing::TempDir() + "aquarium_text.xml";
    {
        std::ofstream out(path);
        out << "<?xml version=\"1.0\"?><data><aquarium animals=\" \"/><aquarium animals=\"'ghost' '0' 'fish' '0' "
               "\"/><animal id=\"fish\" state=\"0\" pos=\"5 6 \"/></data>";
    }
    save::SaveReader().LoadFile(path);
    CAquarium empty;
    empty.Load(0);
    EXPECT_TRUE(empty.Animals().empty());
    CAquarium one;
    one.Load(1);
    ASSERT_EQ(one.Animals().size(), 1u);
    EXPECT_EQ(one.Animals()[0]->pos.x, 5);
    ClearAnimalPrototypes();
}
