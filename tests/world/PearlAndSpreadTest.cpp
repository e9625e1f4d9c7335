// The particle effects of the level on a clock the tests drive: a piece's splinters, a pearl's flight
// to the counter and the score pearl, with their scripts written by the tests.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "board/BoardFixture.h"
#include "core/Random.h"
#include "data/CConstantsRegistry.h"
#include "shell/ShellTestSupport.h"
#include "world/CPearlEffect.h"
#include "world/CSpreadEffect.h"
#include "world/EffectConstants.h"

using namespace tilvan;
using namespace tilvan::level_effects;

TEST(SpreadEffect, SplintersPerCell)
{
    struct Case {
        int cells;
        float factor;
        int maxCount;
        int count;
    } cases[] = {{2, 1, -1, 6},  {4, 1, -1, 12},   {4, 1, 12, 12},    {8, 1, 12, 12},
                 {8, 1, -1, 24}, {3, 0.5f, -1, 6}, {8, 0.5f, 12, 12}, {0, 1, -1, 6}};
    for (const Case& c : cases)
        EXPECT_EQ(CSpreadEffect::SplinterCount(c.cells, c.factor, c.maxCount), c.count)
            << c.cells << " cells, factor " << c.factor << ", limit " << c.maxCount;
}

TEST(SpreadEffect, SplintersFlyUpInThePiecesColourAndFallBackUntilTheyDie)
{
    boardtest::LoadTestTypes();
    Olvarn::SeedRand(11);
    CConstantsRegistry::Instance().Get("spread_effect", "2") = "10 200 30 255";
    CElement bar(2);
    bar.SetPosition(400, 300);
    CSpreadEffect effect(bar, 1000, 1, -1);
    ASSERT_EQ(effect.Particles().EnumAllParticles(), 12);
    for (const CParticle& p : effect.Particles().Groups().at(0).particles) {
        EXPECT_EQ(p.color, Olvarn::Color(10, 200, 30, 255));
        EXPECT_EQ(p.x, 400);
        EXPECT_LT(p.vel.y, -640) << "at least 750 up, turned by at most 30 degrees";
        EXPECT_LE(std::fabs(std::atan2(p.vel.x, -p.vel.y)), 0.5236f);
        EXPECT_EQ(p.acc.y, 1800);
    }
    EXPECT_EQ(CSpreadEffect::ColorOf(5), Olvarn::Color(0, 0, 0, 255)) << "a type without a colour";

    effect.Update(500);
    const CParticle& first = effect.Particles().Groups().at(0).particles.front();
    EXPECT_LT(first.color.mAlpha, 255) << "fading over the whole life";
    EXPECT_FALSE(effect.IsFinished());
    effect.Update(500);
    EXPECT_TRUE(effect.IsFinished());
    CConstantsRegistry::Instance()["spread_effect"].clear();
    ClearElementTypes();
}

namespace
{

// The pearl scripts of these tests: "init" emits one long-lived spark into group 0 and every "update"
// one into group 1, so group 1 counts the update calls.
constexpr const char* kCountingScript = R"(
function init(system)
	system:emit(0, particle_class("NO_IMAGE", vector2(0, 0), 0, 100000))
end
function update(system, ms, position)
	local p = particle_class("NO_IMAGE", position, 0, 100000)
	system:emit(1, p)
end
)";

class PearlEffects : public shelltest::InFolder
{
protected:
    PearlEffects()
    {
        std::filesystem::create_directories("scripts/effects");
        CPearlEffectConstants& c = PearlEffectConstants();
        c = {};
        c.target_pos = Olvarn::OlvarnVector2(900, 100);
        c.time = 1000;
        c.image = "IMAGE_PEARL";
        c.scale = 1;
    }
    ~PearlEffects() override { PearlEffectConstants() = {}; }

    shelltest::TestApp app;
};

} // namespace

TEST_F(PearlEffects, FlightToTheCounterAndItsFade)
{
    Write("scripts/effects/pearl.lua", kCountingScript);
    CPearlEffect pearl(FPoint(100, 500));
    struct Case {
        float at;
        float x, y;
        int alpha;
        int updates;
    } cases[] = {{500, 500, 300, 255, 1},
                 {750, 700, 200, 255, 2},
                 {875, 800, 150, 127, 3},
                 {1000, 900, 100, 0, 3},
                 {1200, 900, 100, 0, 3}};
    float now = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "at " << c.at);
        pearl.Update(c.at - now);
        now = c.at;
        EXPECT_NEAR(pearl.Position().x, c.x, 0.01f);
        EXPECT_NEAR(pearl.Position().y, c.y, 0.01f);
        EXPECT_EQ(pearl.Image().GetAlpha(), c.alpha);
        EXPECT_EQ(pearl.Particles().EnumParticles(1), c.updates) << "no script call once it has landed";
    }
    EXPECT_FALSE(pearl.IsFinished()) << "its particles still play";
}

TEST_F(PearlEffects, WithoutFlightTimeItLandsAtOnceUnseen)
{
    Write("scripts/effects/pearl.lua", kCountingScript);
    PearlEffectConstants().time = 0;
    CPearlEffect pearl(FPoint(100, 500));
    pearl.Update(10);
    EXPECT_EQ(pearl.Position().x, 900);
    EXPECT_EQ(pearl.Image().GetAlpha(), 0);
    EXPECT_EQ(pearl.Particles().EnumParticles(1), 0);
}

TEST_F(PearlEffects, DrawsInFrontOfEveryWidgetWhileItLives)
{
    Write("scripts/effects/pearl.lua", kCountingScript);
    Olvarn::WidgetManager* manager = app.mWidgetManager;
    Olvarn::Widget other;
    manager->AddWidget(&other);
    {
        CPearlEffect pearl(FPoint(100, 500));
        ASSERT_NE(pearl.Adapter(), nullptr);
        EXPECT_EQ(manager->mChildren.back(), pearl.Adapter());
        EXPECT_FALSE(pearl.Adapter()->mClipToBounds);
        EXPECT_EQ(pearl.Adapter()->mWidth, 1);
    }
    EXPECT_EQ(manager->mChildren.back(), &other) << "the adapter leaves with its effect";
    manager->RemoveWidget(&other);
}

TEST_F(PearlEffects, ThePearlIsDrawnOverTheScreenWhereItFlies)
{
    Write("scripts/effects/pearl.lua", kCountingScript);
    shelltest::TestResources resources;
    resources.AddImage("IMAGE_PEARL", 32, 32);
    shelltest::RecordingImage screen;
    Olvarn::WidgetManager* manager = app.mWidgetManager;
    Olvarn::Image* previous = manager->mScreenImage;
    manager->mScreenImage = &screen;
    {
        CPearlEffect pearl(FPoint(100, 500));
        pearl.Update(500);
        manager->DrawWidgets();
    }
    manager->mScreenImage = previous;
    ASSERT_FALSE(screen.mBlits.empty()) << "the adapter draws once its effect has moved";
    EXPECT_EQ(screen.mBlits[0].dest.mX, 500 - 16) << "centred on the pearl's position";
    EXPECT_EQ(screen.mBlits[0].dest.mY, 300 - 16);
}

TEST_F(PearlEffects, WithoutItsScriptItEndsAtItsFirstUpdate)
{
    CPearlEffect pearl(FPoint(100, 500));
    pearl.Update(10);
    EXPECT_TRUE(pearl.IsFinished());

    CScorePearlEffect score;
    score.Update(10);
    EXPECT_TRUE(score.IsFinished());
}

TEST_F(PearlEffects, ScorePearlLivesAsLongAsItsParticles)
{
    Write("scripts/effects/scorepearl.lua", R"(
local made = false
function init(system) end
function update(system, ms)
	if not made then
		made = true
		system:emit(0, particle_class("NO_IMAGE", vector2(950, 184), 0, 300))
	end
end
)");
    CScorePearlEffect score;
    score.Update(100);
    EXPECT_EQ(score.Particles().EnumAllParticles(), 1);
    EXPECT_FALSE(score.IsFinished());
    score.Update(200);
    EXPECT_TRUE(score.IsFinished());
}
