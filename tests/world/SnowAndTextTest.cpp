// The snow effect and its flakes, and the animated text with its actions, on clocks the tests drive.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "core/Random.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "shell/ShellTestSupport.h"
#include "world/CSnowEffect.h"
#include "world/CText.h"
#include "world/CTextAction.h"
#include "world/CTextDropEffect.h"

using namespace tilvan;
using Olvarn::Color;
using Olvarn::OlvarnVector2;

namespace
{

struct Flake {
    Flake()
    {
        image.mWidth = 16;
        image.mHeight = 16;
    }
    Olvarn::Image image;
    CSnowflake Make(OlvarnVector2 vel, OlvarnVector2 acc, float scale, int lifetime)
    {
        return CSnowflake(CImage(&image, 0, 0), {100, 50}, vel, acc, scale, lifetime);
    }
};

class SnowFolder : public shelltest::InFolder
{
protected:
    std::unique_ptr<CSnowEffect> Create(const std::string& script)
    {
        Write("snow.lua", script);
        testing::internal::CaptureStdout();
        auto effect = CSnowEffect::Create("snow.lua");
        mLog += testing::internal::GetCapturedStdout();
        return effect;
    }
    void Step(CSnowEffect& effect, float ms)
    {
        testing::internal::CaptureStdout();
        effect.Update(ms);
        mLog += testing::internal::GetCapturedStdout();
    }
    std::string mLog;
};

int Count(const std::string& text, const std::string& part)
{
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

} // namespace

TEST(Snowflake, ScaleSetsSpeedAndLife)
{
    Flake picture;
    struct Case {
        float scale;
        OlvarnVector2 vel, acc;
        int lifetime;
        float vx, vy, ax;
        int life;
    } cases[] = {
        {0.5f, {0, 100}, {0, 0}, 4000, 0, 50, 0, 8000},
        {2, {10, 100}, {4, 0}, 4000, 20, 200, 8, 2000},
        {1, {0, 0}, {0, 0}, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scale);
        CSnowflake f = picture.Make(c.vel, c.acc, c.scale, c.lifetime);
        EXPECT_FLOAT_EQ(f.vel.x, c.vx);
        EXPECT_FLOAT_EQ(f.vel.y, c.vy);
        EXPECT_FLOAT_EQ(f.acc.x, c.ax);
        EXPECT_EQ(f.lifetime, c.life);
        EXPECT_FLOAT_EQ(f.image.GetScale(), c.scale);
        EXPECT_TRUE(f.image.GetFlags() & CImage::MIRRORED);
    }
    // Stepped: the velocity first, then the position.
    CSnowflake f = picture.Make({0, 100}, {0, 100}, 1, 5000);
    f.Update(1000);
    EXPECT_FLOAT_EQ(f.vel.y, 200);
    EXPECT_FLOAT_EQ(f.y, 250);
    // Advanced at once: exactly along the path.
    CSnowflake g = picture.Make({0, 100}, {0, 100}, 1, 5000);
    g.Advance(1000);
    EXPECT_FLOAT_EQ(g.y, 200);
    EXPECT_FLOAT_EQ(g.age, 1000);
    EXPECT_FALSE(g.dead);
}

TEST(Snowflake, FadesOverItsLastSecond)
{
    Flake picture;
    struct Case {
        float age;
        Color drawn;
    } cases[] = {
        {0, Color::White}, {2000, Color::White}, {2500, Color(255, 255, 255, 127)}, {3000, Color(255, 255, 255, 0)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.age);
        shelltest::RecordingImage screen;
        Olvarn::Graphics g(&screen);
        CSnowflake f = picture.Make({0, 0}, {0, 0}, 1, 3000);
        f.age = c.age;
        f.x = 10.8f;
        f.Draw(g);
        ASSERT_EQ(screen.mBlits.size(), 1u);
        EXPECT_EQ(screen.mBlits[0].color, c.drawn);
        EXPECT_EQ(screen.mBlits[0].dest.mX, 10);
        EXPECT_FALSE(g.GetModulateImages());
    }
}

TEST_F(SnowFolder, InitEmitsCountsAndSpreadsTheField)
{
    Olvarn::SeedRand(3);
    auto effect = Create(R"(
        function init(effect)
            for i = 1, 10 do effect:emit(1, "NONE", vector2(i, 0), vector2(0, 100), vector2(0, 0), 1, 1000) end
            for i = 1, 5 do effect:emit(2, "NONE", vector2(i, 0), vector2(0, 100), vector2(0, 0), 1, 1000) end
            -- Neither makes a flake that lives: no scale to divide by, no life to spread over.
            effect:emit(4, "NONE", vector2(0, 0), vector2(0, 0), vector2(0, 0), 0, 1000)
            effect:emit(4, "NONE", vector2(0, 0), vector2(0, 0), vector2(0, 0), 1, 0)
            counted = effect:enum_snowflakes(-1) * 100 + effect:enum_snowflakes(3)
        end
        function update(effect) end)");
    EXPECT_EQ(effect->EnumSnowflakes(-1), 16);
    EXPECT_EQ(effect->EnumSnowflakes(1), 10);
    EXPECT_EQ(effect->EnumSnowflakes(3), 0);
    EXPECT_EQ(effect->EnumSnowflakes(4), 1);
    EXPECT_EQ(Count(mLog, "-- snow"), 1) << mLog;
    lua_getglobal(effect->Script().State(), "counted");
    EXPECT_EQ(lua_tointeger(effect->Script().State(), -1), 1600);
    lua_pop(effect->Script().State(), 1);

    // Spread over their lives, none at its end yet; y follows the age.
    float lowest = 1e9f, highest = -1e9f;
    for (const CSnowflake& f : effect->Groups().at(1)) {
        EXPECT_LT(f.age, float(f.lifetime));
        EXPECT_FLOAT_EQ(f.y, f.age / 10.0f);
        lowest = std::min(lowest, f.age);
        highest = std::max(highest, f.age);
    }
    EXPECT_LT(lowest, highest);
    // Whatever the next step brings to its end goes in that step, the lifeless flake first of all.
    Step(*effect, 300);
    for (const auto& group : effect->Groups())
        for (const CSnowflake& f : group.second)
            EXPECT_LT(int(f.age), f.lifetime);
    EXPECT_EQ(effect->EnumSnowflakes(4), 0);
    EXPECT_EQ(Count(mLog, "-- "), 1) << mLog;
}

TEST_F(SnowFolder, ScriptErrorsAreLoggedAndTheFlakesGoOn)
{
    auto effect = Create(R"(
        function init(effect)
            effect:emit(0, "NONE", vector2(0, 0), vector2(0, 100), vector2(0, 0), 1, 1000)
            effect:emit(0, "NONE", vector2(0, 0), vector2(0, 100), vector2(0, 0), 1, 1000)
            error("init broke")
        end)");
    EXPECT_EQ(Count(mLog, "-- "), 1) << mLog;
    EXPECT_NE(mLog.find("init broke"), std::string::npos);
    ASSERT_EQ(effect->EnumSnowflakes(0), 2);
    // No "update" at all: the missing function is reported, the flakes still move and die.
    for (int i = 0; i < 10; ++i) {
        Step(*effect, 100);
        for (const CSnowflake& f : effect->Groups().at(0))
            EXPECT_FLOAT_EQ(f.y, f.age / 10.0f);
    }
    EXPECT_NE(mLog.find("update"), std::string::npos) << mLog;
    EXPECT_EQ(Count(mLog, "-- "), 2) << mLog;
    EXPECT_EQ(effect->EnumSnowflakes(0), 0);

    auto broken = Create("this is not lua");
    EXPECT_EQ(broken->EnumSnowflakes(-1), 0);
    EXPECT_EQ(Count(mLog, "-- "), 4) << mLog;
}

TEST(MainMenuSnow, FlakesStayInsideTheirAreaAndTheFieldStaysFull)
{
    testing::internal::CaptureStdout();
    auto effect = CSnowEffect::Create(testsupport::SourceDir() + "/data/scripts/main_snow.lua");
    lua_State* L = effect->Script().State();
    ASSERT_EQ(luaL_dostring(L, "ax, ay, aw, ah = area.x, area.y, area.width, area.height"), LUA_OK);
    int area[4];
    const char* names[] = {"ax", "ay", "aw", "ah"};
    for (int i = 0; i < 4; ++i) {
        lua_getglobal(L, names[i]);
        area[i] = int(lua_tointeger(L, -1));
        lua_pop(L, 1);
    }
    const int full = effect->EnumSnowflakes(-1);
    EXPECT_GT(full, 50);
    int fewest = full;
    for (int step = 0; step < 6000; ++step) {
        effect->Update(10);
        fewest = std::min(fewest, effect->EnumSnowflakes(-1));
        if (step % 100 != 0)
            continue;
        for (const auto& group : effect->Groups())
            for (const CSnowflake& f : group.second) {
                ASSERT_GE(f.x, area[0]) << "step " << step;
                ASSERT_LT(f.x, area[0] + area[2]) << "step " << step;
                ASSERT_GE(f.y, area[1]) << "step " << step;
                ASSERT_LT(f.y, area[1] + area[3]) << "step " << step;
            }
    }
    EXPECT_GT(fewest, full * 9 / 10);
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(log.find("-- "), std::string::npos) << log;
}

TEST(TextActions, AccelerateAndHover)
{
    shelltest::TestApp app;
    shelltest::TestResources resources;
    resources.AddSound("SOUND_BUTTON_DROP", 9);
    struct Case {
        const char* what;
        TextActionPtr action;
        float startY;
        std::vector<float> steps;
        float y;
    } cases[] = {
        {"accelerating half way", std::make_shared<CTextAccelerateAction>(100, 0, 1000), 0, {500}, 25},
        {"accelerating at the end", std::make_shared<CTextAccelerateAction>(100, 0, 1000), 0, {500, 500}, 100},
        {"held past the end", std::make_shared<CTextAccelerateAction>(100, 0, 1000), 0, {700, 700, 700}, 100},
        {"uniform at the matching speed", std::make_shared<CTextAccelerateAction>(300, 200, 1000), 100, {250}, 150},
        {"no time: at the target at once", std::make_shared<CTextAccelerateAction>(80, 10, 0), 0, {10}, 80},
        {"hover a quarter round", std::make_shared<CTextHoverAction>(300, 2000, 3), 0, {500}, 303},
        {"hover half round", std::make_shared<CTextHoverAction>(300, 2000, 3), 0, {500, 500}, 300},
        {"hover without a period", std::make_shared<CTextHoverAction>(300, 0, 3), 0, {500}, 300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CText text("A", 5, c.startY, Color::White, nullptr);
        for (float ms : c.steps)
            c.action->Apply(ms, text);
        EXPECT_NEAR(text.y, c.y, 0.01);
        EXPECT_FLOAT_EQ(text.x, 5);
        EXPECT_FALSE(c.action->finished);
    }
    // One drop sound per hover, on its first step.
    EXPECT_EQ(app.mSounds, std::vector<int>(3, 9));
}

TEST(TextActions, DelayedStartersAppendTheirInnerActionInTheSameStep)
{
    CText text("A", 0, 0, Color::White, nullptr);
    auto move = std::make_shared<CTextAccelerateAction>(100, 100, 1000);
    text.AddAction(std::make_shared<CTextDelayedAction>(200, move));
    text.Update(100);
    EXPECT_EQ(text.actions.size(), 1u);
    EXPECT_FLOAT_EQ(text.y, 0);
    // The wait runs out in this step: the move starts and takes this step's 100 ms.
    text.Update(100);
    ASSERT_EQ(text.actions.size(), 1u);
    EXPECT_EQ(text.actions.front(), move);
    EXPECT_FLOAT_EQ(text.y, 10);

    auto fall = std::make_shared<CTextAccelerateAction>(500, 0, 100);
    text.AddAction(std::make_shared<CTextDelayedClearAction>(50, fall));
    text.Update(50);
    ASSERT_EQ(text.actions.size(), 1u);
    EXPECT_EQ(text.actions.front(), fall);
    EXPECT_TRUE(move->finished);
}

TEST(TextDropEffect, LettersDropInOneAfterAnotherHoverAndDropOut)
{
    shelltest::TestApp app;
    shelltest::TestResources resources;
    resources.AddSound("SOUND_BUTTON_DROP", 9);
    widgettest::FixedFont font;
    CTextDropEffect effect(&font);
    EXPECT_EQ(effect.GetLayer(), CTextDropEffect::kLayer);
    // Two letters 10 px wide each, centred on 500: at 490 and 500.
    effect.AddText("Go", {500, 100}, 300.7f, Color(1, 2, 3), 0, 500, 100);
    ASSERT_EQ(effect.Texts().size(), 2u);
    EXPECT_FLOAT_EQ(effect.Texts()[0].x, 490);
    EXPECT_FLOAT_EQ(effect.Texts()[1].x, 500);
    struct Check {
        float at;
        float first, second;
        size_t sounds;
    } checks[] = {
        {50, 102, 100, 0},        // the first letter is on its way; the second waits
        {150, 118, 102.9f, 0},    // the second set off at 100 (a delayed start takes its whole step)
        {500, 300.1f, 234.5f, 1}, // the first lands and starts to hover, with its sound
        {600, 301, 300.1f, 2},    // and the second
        {1000, 303, 302.9f, 2},   // the first a quarter round its hover
    };
    float now = 0;
    for (const Check& c : checks) {
        SCOPED_TRACE(c.at);
        for (; now < c.at; now += 10)
            effect.Update(10);
        EXPECT_NEAR(effect.Texts()[0].y, c.first, 0.1);
        EXPECT_NEAR(effect.Texts()[1].y, c.second, 0.1);
        EXPECT_EQ(app.mSounds.size(), c.sounds);
    }

    EXPECT_EQ(effect.DropOut(0, 800, 50), 850);
    effect.Update(900);
    // Past the bottom of the screen, and the hover moves them no more.
    const float below = float(font.Height() + 768);
    EXPECT_FLOAT_EQ(effect.Texts()[0].y, below);
    EXPECT_FLOAT_EQ(effect.Texts()[1].y, below);
    effect.Update(777);
    EXPECT_FLOAT_EQ(effect.Texts()[0].y, below);
    EXPECT_EQ(effect.Texts()[0].actions.size(), 1u);

    shelltest::RecordingImage screen;
    Olvarn::Graphics g(&screen);
    effect.Draw(g);
    ASSERT_EQ(font.mDrawn->size(), 2u);
    EXPECT_EQ((*font.mDrawn)[1].text, "o");
    EXPECT_EQ((*font.mDrawn)[1].color, Color(1, 2, 3));

    CTextDropEffect empty(&font);
    EXPECT_EQ(empty.DropOut(0, 800, 50), 750);
    CTextDropEffect fontless(nullptr);
    fontless.AddText("ab", {0, 0}, 10, Color::White, 0, 100, 10);
    fontless.Draw(g);
    EXPECT_EQ(font.mDrawn->size(), 2u);
}
