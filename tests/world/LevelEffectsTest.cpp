// Level effects on a clock the tests drive: their values at given times and the step they end in, the
// start and end sequences' timetables, the bonus clock, and the effects' constants groups.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "core/Random.h"
#include "data/CLevelInfo.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "shell/ShellTestSupport.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"
#include "world/CBonusClockEffect.h"
#include "world/CFadeImageEffect.h"
#include "world/CFloatingScoreEffect.h"
#include "world/CLevelComplete.h"
#include "world/CStartLevel.h"
#include "world/CTitleDrop.h"
#include "world/EffectConstants.h"

using namespace tilvan;
using namespace tilvan::level_effects;

namespace
{

struct FakeLevel : CLevelView {
    CPipeline* GetPipeline() override { return nullptr; }
    int GetWaterLine() const override { return 600; }
    int GetLevelNumber() const override { return number; }
    int GetLevelState() const override { return state; }
    bool IsBonusLevel() const override { return bonus; }
    float GetRemainingTime() const override { return remaining; }
    bool HasStarted() const override { return started; }
    void StartPlay() override
    {
        started = true;
        ++starts;
    }
    void MeltScenery(int ms) override { melts.push_back(ms); }

    int number = 1;
    int state = kBeforeStart;
    bool bonus = false;
    float remaining = 0;
    bool started = false;
    int starts = 0;
    std::vector<int> melts;
};

// A title drop that notes what the sequences ask of it and answers send-aways as letters would.
struct RecordedDrop : CTitleDrop {
    struct Added {
        std::string text;
        Olvarn::OlvarnVector2 position;
        float targetY;
        int duration;
        int step;
    };
    void AddText(const std::string& text, Olvarn::OlvarnVector2 position, float targetY, Olvarn::Color, float,
                 int duration, int step) override
    {
        added.push_back({text, position, targetY, duration, step});
        letters += int(text.size());
    }
    int DropOut(float, int duration, int step) override
    {
        sentAway.push_back(duration);
        return duration + step * (letters - 1);
    }
    void Update(float ms) override { updated += ms; }

    std::vector<Added> added;
    std::vector<int> sentAway;
    int letters = 0;
    float updated = 0;
};

// The sequences never look at the cursor; any object stands in for it.
CCursor& NoCursor()
{
    static char place[8];
    return reinterpret_cast<CCursor&>(place);
}

struct DropRecorder {
    DropRecorder()
    {
        SetTitleDropMaker([this](Olvarn::Font*) {
            auto drop = std::make_shared<RecordedDrop>();
            made.push_back(drop);
            return drop;
        });
    }
    ~DropRecorder() { SetTitleDropMaker(nullptr); }
    std::vector<std::shared_ptr<RecordedDrop>> made;
};

// Three levels; the first two at "Frost Bay".
struct Definitions {
    Definitions()
    {
        auto& defs = CLevelDefinitions::Instance();
        defs.Clear();
        defs.locations.emplace_back();
        defs.locations.back().name.SetExpanded("Frost Bay");
        for (const char* name : {"Thaw", "Drift", "Last"}) {
            defs.levels.emplace_back();
            defs.levels.back().name.SetExpanded(name);
            defs.levels.back().number = int(defs.levels.size());
        }
        defs.levels[0].location = &defs.locations[0];
        defs.levels[1].location = &defs.locations[0];
    }
    ~Definitions() { CLevelDefinitions::Instance().Clear(); }
};

class LevelEffects : public testing::Test
{
protected:
    void SetUp() override
    {
        LevelStartConstants() = {};
        LevelCompleteConstants() = {};
        FloatingScoreConstants() = {};
        Olvarn::SeedRand(1);
    }

    // Steps the effect in `step` ms steps until `until` ms have passed in all.
    template <typename Effect> static void RunTo(Effect& effect, float& now, float until, float step = 10)
    {
        while (now < until) {
            float ms = std::min(step, until - now);
            effect.Update(ms);
            now += ms;
        }
    }

    Definitions definitions;
    DropRecorder drops;
    FakeLevel level;
};

} // namespace

TEST_F(LevelEffects, FloatingScoreTexts)
{
    struct Case {
        int score;
        const char* text;
    } cases[] = {{0, "0"}, {250, "+250"}, {-40, "-40"}, {-2147483647 - 1, "-2147483648"}};
    for (const Case& c : cases)
        EXPECT_EQ(CFloatingScoreEffect::ScoreText(c.score), c.text);
}

TEST_F(LevelEffects, FloatingScoreRisesSwingsFadesAndEnds)
{
    shelltest::TestResources resources;
    widgettest::FixedFont* font = resources.AddFont("FONT_SCORE");
    CFloatingScoreConstants& c = FloatingScoreConstants();
    c.amplitude = 10;
    c.period = 1000;
    c.vertical_vel = -50;
    c.color = Olvarn::Color(255, 200, 100, 200);
    c.time = 1000;
    c.font = "FONT_SCORE";

    CFloatingScoreEffect effect(120, FPoint(300, 400));
    EXPECT_EQ(effect.Offset(), 0);
    struct Case {
        float at;
        float y;
        int alpha;
        float sine; // the swing's share of the amplitude, sign aside
        bool finished;
    } cases[] = {
        {250, 387.5f, 150, 1, false}, {500, 375, 100, 0, false}, {750, 362.5f, 50, 1, false}, {1000, 350, 0, 0, true}};
    float now = 0;
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << "at " << k.at);
        effect.Update(k.at - now);
        now = k.at;
        EXPECT_NEAR(effect.Position().y, k.y, 0.01f);
        EXPECT_EQ(effect.Alpha(), k.alpha);
        EXPECT_NEAR(std::fabs(effect.Offset()), 10 * k.sine, 0.05f);
        EXPECT_EQ(effect.IsFinished(), k.finished);
    }

    Olvarn::MemoryImage frame;
    frame.Create(64, 64);
    Olvarn::Graphics g(&frame);
    CFloatingScoreEffect shown(-40, FPoint(20, 30));
    shown.Draw(g);
    ASSERT_EQ(font->mDrawn->size(), 1u);
    EXPECT_EQ((*font->mDrawn)[0].text, "-40");
    EXPECT_EQ((*font->mDrawn)[0].color.mAlpha, 200);
}

TEST_F(LevelEffects, FloatingScoreWithoutPeriodOrTimeStaysFinite)
{
    // Values a file left out: the swing has no period and the life no length.
    FloatingScoreConstants().amplitude = 10;
    CFloatingScoreEffect effect(5, FPoint(0, 0));
    effect.Update(16);
    EXPECT_TRUE(effect.IsFinished());
    EXPECT_EQ(effect.Offset(), 0);
    EXPECT_EQ(effect.Alpha(), 0);
}

TEST_F(LevelEffects, FadeImageReachesNothingAndEndsOnTheStepThatUsesUpItsTime)
{
    CImage image("IMAGE_NOT_THERE");
    CFadeImageEffect effect(image, FPoint(10.7f, 20.2f), 500);
    EXPECT_EQ(effect.Image().GetPosition().x, 10);
    EXPECT_TRUE(effect.Image().GetFlags() & CImage::STOP_ANIMATION);
    struct Case {
        float step;
        int alpha;
        bool finished;
    } cases[] = {{100, 203, false}, {300, 50, false}, {99, 0, false}, {1, 0, true}};
    for (const Case& c : cases) {
        effect.Update(c.step);
        EXPECT_EQ(effect.Image().GetAlpha(), c.alpha);
        EXPECT_GE(effect.Image().GetAlpha(), 0);
        EXPECT_EQ(effect.IsFinished(), c.finished);
    }
}

TEST_F(LevelEffects, StartSequenceTimetable)
{
    CStartLevel effect(level);
    // "Thaw" is 4 letters and "Frost Bay" 9: sent away at 4000, the location's last letter has gone
    // 500 + 8 x 70 ms later, after the level title's.
    struct Case {
        float at;
        size_t titles;
        bool sentAway;
        bool finished;
        int starts;
    } cases[] = {{40, 0, false, false, 0},  {50, 1, false, false, 0},   {299, 1, false, false, 0},
                 {300, 2, false, false, 0}, {3990, 2, false, false, 0}, {4000, 2, true, false, 0},
                 {5050, 2, true, false, 0}, {5060, 2, true, true, 1},   {6000, 2, true, true, 1}};
    float now = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "at " << c.at);
        RunTo(effect, now, c.at);
        EXPECT_EQ(drops.made.size(), c.titles);
        EXPECT_EQ(effect.IsSentAway(), c.sentAway);
        EXPECT_EQ(effect.IsFinished(), c.finished);
        EXPECT_EQ(level.starts, c.starts);
    }
    ASSERT_EQ(drops.made.size(), 2u);
    const RecordedDrop& levelTitle = *drops.made[0];
    const RecordedDrop& locationTitle = *drops.made[1];
    EXPECT_EQ(levelTitle.added[0].text, "Thaw");
    EXPECT_EQ(locationTitle.added[0].text, "Frost Bay");
    EXPECT_EQ(levelTitle.added[0].duration, 500);
    EXPECT_EQ(levelTitle.added[0].step, 70);
    EXPECT_EQ(levelTitle.sentAway, std::vector<int>{500});
    EXPECT_EQ(locationTitle.sentAway, std::vector<int>{500});
    EXPECT_EQ(effect.EndTime(), 4000 + 500 + 8 * 70);
}

TEST_F(LevelEffects, StartSequenceClicks)
{
    CStartLevel effect(level);
    float now = 0;
    // Taken only once both titles have settled: 300 + the closing text's 1500.
    RunTo(effect, now, 1790);
    CCursor& cursor = NoCursor();
    EXPECT_FALSE(effect.MouseDown(10, 10, 1, cursor));
    RunTo(effect, now, 1800);
    EXPECT_TRUE(effect.MouseDown(10, 10, 1, cursor));
    EXPECT_FALSE(effect.MouseDown(10, 10, 1, cursor)) << "sent away once";
    ASSERT_EQ(drops.made.size(), 2u);
    EXPECT_EQ(drops.made[0]->sentAway, std::vector<int>{250}) << "twice as fast";
    EXPECT_EQ(effect.EndTime(), 1800 + 250 + 8 * 70);
    RunTo(effect, now, effect.EndTime() - 10);
    EXPECT_EQ(level.starts, 0);
    RunTo(effect, now, effect.EndTime());
    EXPECT_EQ(level.starts, 1);

    CStartLevel late(level);
    level.started = false;
    now = 0;
    RunTo(late, now, 4100);
    EXPECT_TRUE(late.IsSentAway());
    EXPECT_FALSE(late.MouseDown(10, 10, 1, cursor)) << "already on their way";
}

TEST_F(LevelEffects, StartSequenceOfAStartedOrVanishedLevelEndsAtOnce)
{
    level.started = true;
    CStartLevel loaded(level);
    loaded.Update(10);
    EXPECT_TRUE(loaded.IsFinished());
    EXPECT_TRUE(drops.made.empty());
    EXPECT_EQ(level.starts, 0);

    auto gone = std::make_unique<FakeLevel>();
    CStartLevel orphan(*gone);
    gone.reset();
    orphan.Update(5000);
    EXPECT_TRUE(orphan.IsFinished());
    EXPECT_TRUE(drops.made.empty());
}

TEST_F(LevelEffects, StartSequenceTitlesWithoutDefinitions)
{
    EXPECT_EQ(CStartLevel::LevelTitle(1), "Thaw");
    EXPECT_EQ(CStartLevel::LocationTitle(2), "Frost Bay");
    EXPECT_EQ(CStartLevel::LocationTitle(3), "Cannot find location title!");
    EXPECT_EQ(CStartLevel::LevelTitle(9), "Cannot find level title!");
    EXPECT_EQ(CStartLevel::LevelTitle(0), "Cannot find level title!");
}

TEST_F(LevelEffects, CompleteSequenceFiresEachStepOnceInOrder)
{
    CLevelCompleteConstants& c = LevelCompleteConstants();
    c.start_melt = 0;
    c.melt_time = 2500;
    c.start_fade = 100;
    c.start_flash = 500;
    c.grid_fade_start = 500;
    c.start_drop = 800;
    c.complete_time = 3000;
    c.drop_text.SetExpanded("Done");
    struct Case {
        float at;
        bool melt, fade, flash, gridFade, text, finished;
    } cases[] = {
        {0, true, false, false, false, false, false},  {99, true, false, false, false, false, false},
        {100, true, true, false, false, false, false}, {499, true, true, false, false, false, false},
        {500, true, true, true, true, false, false},   {800, true, true, true, true, true, false},
        {2990, true, true, true, true, true, false},   {3000, true, true, true, true, true, true},
    };
    CLevelComplete effect(level);
    float now = 0;
    effect.Update(0);
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << "at " << k.at);
        RunTo(effect, now, k.at);
        EXPECT_EQ(effect.MeltStarted(), k.melt);
        EXPECT_EQ(effect.FadeStarted(), k.fade);
        EXPECT_EQ(effect.FlashStarted(), k.flash);
        EXPECT_EQ(effect.GridFadeStarted(), k.gridFade);
        EXPECT_EQ(effect.DropText() != nullptr, k.text);
        EXPECT_EQ(effect.IsFinished(), k.finished);
    }
    EXPECT_EQ(level.melts, std::vector<int>{2500}) << "once";
    ASSERT_EQ(drops.made.size(), 1u);
    EXPECT_EQ(drops.made[0]->added[0].text, "Done");
    EXPECT_EQ(drops.made[0]->added[0].duration, 1500);
}

TEST_F(LevelEffects, CompleteSequenceStepsDueTogetherFireInOneUpdate)
{
    CLevelCompleteConstants& c = LevelCompleteConstants();
    c.start_fade = 100;
    c.start_flash = 300;
    c.grid_fade_start = 600;
    c.start_drop = 200;
    c.complete_time = 5000;
    CLevelComplete effect(level);
    effect.Update(700);
    EXPECT_TRUE(effect.MeltStarted() && effect.FadeStarted() && effect.FlashStarted() && effect.GridFadeStarted());
    EXPECT_NE(effect.DropText(), nullptr);
    EXPECT_FLOAT_EQ(drops.made[0]->updated, 700) << "the text is stepped in the update that made it";

    // With no time at all, the sequence ends on its first update and every step due at 0 still fires.
    LevelCompleteConstants() = {};
    LevelCompleteConstants().start_flash = 0;
    LevelCompleteConstants().start_drop = 0;
    CLevelComplete quick(level);
    quick.Update(10);
    EXPECT_TRUE(quick.IsFinished());
    EXPECT_TRUE(quick.MeltStarted() && quick.FadeStarted() && quick.FlashStarted() && quick.GridFadeStarted());
    EXPECT_NE(quick.DropText(), nullptr);
}

TEST_F(LevelEffects, CompleteSequenceClickAfterTheBreak)
{
    LevelCompleteConstants().complete_time = 9000;
    LevelCompleteConstants().break_time = 1000;
    CLevelComplete effect(level);
    CCursor& cursor = NoCursor();
    effect.Update(990);
    EXPECT_FALSE(effect.MouseDown(1, 1, 1, cursor));
    EXPECT_FALSE(effect.IsFinished());
    effect.Update(10);
    EXPECT_TRUE(effect.MouseDown(1, 1, 1, cursor));
    EXPECT_TRUE(effect.IsFinished());
}

TEST_F(LevelEffects, CompleteSequenceClosingTexts)
{
    CLevelCompleteConstants& c = LevelCompleteConstants();
    c.drop_text.SetExpanded("ordinary");
    c.drop_win_text.SetExpanded("last");
    c.drop_time_up_text.SetExpanded("time up");
    struct Case {
        int number;
        bool bonus;
        float remaining;
        const char* text;
    } cases[] = {
        {3, true, 0, "last"}, // the last level wins over a bonus level that ran out of time
        {2, true, 0, "time up"}, {2, true, -5, "time up"}, {2, true, 100, "ordinary"}, {2, false, 0, "ordinary"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << "level " << k.number << " bonus " << k.bonus << " left " << k.remaining);
        level.number = k.number;
        level.bonus = k.bonus;
        level.remaining = k.remaining;
        EXPECT_EQ(CLevelComplete(level).Text().Get(), k.text);
    }
}

TEST_F(LevelEffects, CompleteSequenceOfAVanishedLevelTouchesNothing)
{
    LevelCompleteConstants().complete_time = 9000;
    auto gone = std::make_unique<FakeLevel>();
    CLevelComplete effect(*gone);
    gone.reset();
    effect.Update(100);
    EXPECT_TRUE(effect.IsFinished());
    EXPECT_FALSE(effect.MeltStarted());
}

namespace
{

// A bonus level whose time runs with the clock.
class BonusClock : public LevelEffects
{
protected:
    void SetUp() override
    {
        LevelEffects::SetUp();
        auto& constants = CConstantsRegistry::Instance();
        constants.Get("bonus_clock", "pos") = "950 560";
        constants.Get("bonus_clock", "red_zone") = "0.25";
        constants.Get("bonus_clock", "shadow_alpha") = "150";
        resources.AddSound("SOUND_DANGER", 7);
        level.state = CLevelView::kNormal;
        level.bonus = true;
        level.remaining = 60000;
    }
    void TearDown() override { CConstantsRegistry::Instance()["bonus_clock"].clear(); }

    void Run(CBonusClockEffect& clock, float ms, float step = 100)
    {
        for (float done = 0; done < ms; done += step) {
            level.remaining -= step;
            clock.Update(step);
        }
    }

    shelltest::TestApp app;
    shelltest::TestResources resources;
};

} // namespace

TEST_F(BonusClock, DangerSoundOncePerSecondInTheLastQuarter)
{
    CBonusClockEffect clock(level, 60000);
    EXPECT_EQ(clock.ShadowEnd(), 0);
    Run(clock, 44900);
    EXPECT_TRUE(app.mSounds.empty());
    Run(clock, 100);
    EXPECT_EQ(app.mSounds, std::vector<int>{7}) << "15 s left is the first second in the red zone";
    Run(clock, 14000);
    EXPECT_EQ(app.mSounds.size(), 15u);
    EXPECT_TRUE(clock.InRedZone());
    EXPECT_FALSE(clock.IsFinished());
}

TEST_F(BonusClock, ShadowMovesOnWholeSecondsOnly)
{
    level.remaining = 32000;
    CBonusClockEffect clock(level, 32000);
    Run(clock, 7900);
    EXPECT_EQ(clock.ShadowEnd(), 78) << "the shadow of 7 whole seconds: 7/32 of the dial";
    Run(clock, 100);
    EXPECT_EQ(clock.ShadowEnd(), 90);
    Run(clock, 900);
    EXPECT_EQ(clock.ShadowEnd(), 90);
}

TEST_F(BonusClock, EndsWhenTheLevelLeavesPlayOrIsGone)
{
    for (int state : {CLevelView::kWin, CLevelView::kLose, CLevelView::kEnding}) {
        CBonusClockEffect clock(level, 60000);
        level.state = state;
        clock.Update(10);
        EXPECT_TRUE(clock.IsFinished()) << state;
    }
    level.state = CLevelView::kDanger;
    CBonusClockEffect danger(level, 60000);
    danger.Update(10);
    EXPECT_FALSE(danger.IsFinished());

    auto gone = std::make_unique<FakeLevel>();
    CBonusClockEffect orphan(*gone, 60000);
    gone.reset();
    orphan.Update(2000);
    EXPECT_TRUE(orphan.IsFinished());
    EXPECT_EQ(orphan.TimeShare(), 0);
}

TEST_F(BonusClock, WithoutTotalTimeStaysFinite)
{
    CBonusClockEffect clock(level, 0);
    Run(clock, 1000);
    EXPECT_EQ(clock.ShadowEnd(), 360);
    Olvarn::MemoryImage frame;
    frame.Create(16, 16);
    Olvarn::Graphics g(&frame);
    clock.Draw(g);
}

TEST_F(LevelEffects, ConstantsGroupsRejectValuesTheyCannotUseNamingTheRow)
{
    testsupport::TempDir dir;
    dir.WriteFile("constants.xml", "<?xml version=\"1.0\"?>\n<data>\n"
                                   "<constant group=\"floating_score\" name=\"time\" value=\"900\"/>\n"
                                   "<constant group=\"floating_score\" name=\"period\" value=\"0\"/>\n"
                                   "<constant group=\"bonus_effect\" name=\"max_delay\" value=\"40\"/>\n"
                                   "<constant group=\"bonus_effect\" name=\"min_delay\" value=\"50\"/>\n"
                                   "<constant group=\"level_start_effect\" name=\"drop_time\" value=\"600\"/>\n"
                                   "<constant group=\"level_start_effect\" name=\"drop_coords\" value=\"10 20\"/>\n"
                                   "</data>\n");
    FloatingScoreConstants().time = 123;
    BonusEffectConstants() = {};
    RegisterEffectConstants();
    testsupport::LogCapture log;
    CConstantsRegistry::Instance().Load(dir.File("constants.xml"));
    const std::string text = log.Text();
    EXPECT_NE(text.find("constants.xml: constant row 2, floating_score/period: must be above 0"), std::string::npos)
        << text;
    EXPECT_NE(text.find("constants.xml: constant row 3, bonus_effect/max_delay: must not be below min_delay"),
              std::string::npos)
        << text;
    EXPECT_EQ(FloatingScoreConstants().time, 123) << "a rejected group keeps what it had";
    EXPECT_EQ(BonusEffectConstants().max_delay, 250);
    // A group that is fine is read, keys it lacks reading as 0.
    EXPECT_EQ(LevelStartConstants().drop_time, 600);
    EXPECT_EQ(LevelStartConstants().start_drop_down, 0);
    EXPECT_EQ(LevelStartConstants().drop_coords.y, 20);
    for (const char* group : {"floating_score", "bonus_effect", "level_start_effect", "level_complete_effect"})
        CConstantsRegistry::Instance()[group].clear();
    LevelCompleteConstants() = {};
}

TEST(EffectConstants, ColourAndPointTexts)
{
    struct Case {
        const char* text;
        bool read;
        Olvarn::Color color;
    } cases[] = {{"1 2 3 4", true, Olvarn::Color(1, 2, 3, 4)},
                 {"300 -5 0 255", true, Olvarn::Color(255, 0, 0, 255)},
                 {"1 2 3", false, Olvarn::Color(9, 9, 9, 9)},
                 {"", false, Olvarn::Color(9, 9, 9, 9)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Olvarn::Color color(9, 9, 9, 9);
        EXPECT_EQ(ParseColorInto(c.text, color), c.read);
        EXPECT_EQ(color, c.color);
    }
    Olvarn::OlvarnVector2 p(7, 7);
    EXPECT_FALSE(ParsePointInto("5", p));
    EXPECT_EQ(p.x, 7);
    EXPECT_TRUE(ParsePointInto("5.5 -2", p));
    EXPECT_EQ(p.x, 5.5f);
    EXPECT_EQ(p.y, -2);
}
