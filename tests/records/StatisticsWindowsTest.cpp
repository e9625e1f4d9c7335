// The level and bonus statistics windows: medals and crown awarded in turn with their sounds, the
// pearl and time count-ups finishing whatever the constants say, the records entry and the ok button.
#include <gtest/gtest.h>

#include <algorithm>

#include "WindowsFixture.h"
#include "board/CPlayerInfo.h"
#include "records/CBonusStatisticsWindow.h"
#include "records/CProfiles.h"
#include "records/CRecords.h"
#include "records/CStatisticsWindow.h"
#include "shell/CGameButton.h"

using tilvan::CBonusStatisticsWindow;
using tilvan::CProfile;
using tilvan::CStatisticsWindow;

namespace
{

constexpr int kLevels = 4;
const Olvarn::Color kWhite(255, 255, 255, 255);

class StatisticsWindows : public recordstest::WindowsTest
{
protected:
    void SetUp() override
    {
        WindowsTest::SetUp();
        mProfiles.AddProfile("Me", true);
        mLayout = tilvan::StatisticsLayout();
        tilvan::StatisticsLayout().pause_time = 100;
    }
    void TearDown() override
    {
        tilvan::StatisticsLayout() = mLayout;
        WindowsTest::TearDown();
    }
    CProfile& Me() { return *mProfiles.GetCurrentProfile(); }
    // Updates until the window has finished; the number of updates it took (at most limit).
    template <typename Window> int RunToEnd(Window& window, int limit = 100000)
    {
        int updates = 0;
        while (!window.IsFinished() && updates < limit) {
            window.Update();
            ++updates;
        }
        return updates;
    }
    // The medal sounds played, in order.
    std::vector<int> MedalSounds() const
    {
        std::vector<int> out;
        for (int s : mApp.mSounds)
            if (s == kMedal1 || s == kMedal2 || s == kMedal3)
                out.push_back(s);
        return out;
    }

    tilvan::CStatisticsLayout mLayout;
    tilvan::CProfiles mProfiles{false};
    tilvan::CRecords mRecords{"Player", false};
    tilvan::CPlayerInfo mPlayer;
};

TEST_F(StatisticsWindows, EveryMedalWonIsAwardedInTurnAndTheProfileKeepsIt)
{
    struct Case {
        const char* what;
        int held;
        bool fishLost, starLost, sunLost;
        int level;
        int bitsAfter;
        std::vector<int> sounds;
        bool crown;
    } cases[] = {
        {"all three", 0, false, false, false, 0, 7, {kMedal1, kMedal2, kMedal3}, false},
        {"star held, sun lost: the fish sounds first",
         CProfile::kStarMedal,
         false,
         false,
         true,
         1,
         3,
         {kMedal1},
         false},
        {"star held, sun due", CProfile::kStarMedal, false, false, false, 1, 7, {kMedal1, kMedal2}, false},
        {"nothing earned", 0, true, true, true, 2, 0, {}, false},
        {"last level with the crown",
         0,
         false,
         false,
         false,
         kLevels - 1,
         7,
         {kMedal1, kMedal2, kMedal3, kMedal1},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        mApp.mSounds.clear();
        Me().medals.clear();
        Me().crown = false;
        if (c.held)
            Me().AddMedals(c.level, c.held);
        mPlayer.statistic.bonus_lost = c.fishLost;
        mPlayer.statistic.bonus_used = c.starLost;
        mPlayer.statistic.feedback = c.sunLost;
        mPlayer.points = 0;
        CStatisticsWindow window(c.level, kLevels, mPlayer, mProfiles, mRecords);
        ASSERT_EQ(window.Medals().size(), 4u);
        EXPECT_EQ(window.Medals()[CStatisticsWindow::kStar].GetColor() == kWhite, bool(c.held & CProfile::kStarMedal));
        EXPECT_EQ(window.Medals()[CStatisticsWindow::kCrown].GetColor(), Olvarn::Color(0, 0, 0, 0));
        ASSERT_TRUE(window.OkButton()->mIsDisabled);
        RunToEnd(window);
        EXPECT_FALSE(window.OkButton()->mIsDisabled);
        for (int i = 0; i < 200; ++i)
            window.Update();
        EXPECT_EQ(MedalSounds(), c.sounds);
        EXPECT_EQ(Me().GetMedals(c.level), c.bitsAfter);
        EXPECT_EQ(Me().HasCrown(), c.crown);
        for (const tilvan::CStatisticsMedal& medal : window.Medals())
            if (medal.IsAwarded())
                EXPECT_EQ(medal.GetColor(), kWhite);
    }
}

TEST_F(StatisticsWindows, MedalsFadeInOneAfterAnother)
{
    CStatisticsWindow window(0, kLevels, mPlayer, mProfiles, mRecords);
    for (int i = 0; i < 10; ++i) // the pause
        window.Update();
    ASSERT_TRUE(window.IsFinished());
    // Sun at once, star 280 ms later, fish 560 ms later; each fades over 80 ms.
    auto whiteAfter = [&](int index) {
        int updates = 0;
        while (!(window.Medals()[size_t(index)].GetColor() == kWhite) && updates < 1000) {
            window.Update();
            ++updates;
        }
        return updates;
    };
    int sun = whiteAfter(CStatisticsWindow::kSun);
    int star = sun + whiteAfter(CStatisticsWindow::kStar);
    int fish = star + whiteAfter(CStatisticsWindow::kFish);
    EXPECT_EQ(star - sun, 28);
    EXPECT_EQ(fish - star, 28);
}

TEST_F(StatisticsWindows, TheLastLevelsPearlsTurnIntoScoreAndTheCountAlwaysEnds)
{
    tilvan::StatisticsLayout().pearl_score = 100;
    tilvan::StatisticsLayout().pearl_score_delta = 10;
    struct Case {
        int speed;
        int pearls;
        int updates; // after the pause
        int points;
        long ticks;
    } cases[] = {
        {50, 3, 6, 100 + 110 + 120, 3}, // one pearl every second update
        {100, 1, 1, 100, 1},
        {250, 5, 2, 100 + 110 + 120 + 130 + 140, 2}, // several an update, never more than are left
        {0, 2, 200, 100 + 110, 2},                   // no speed still converts, at the slowest pace
        {-40, 1, 100, 100, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.speed);
        tilvan::StatisticsLayout().pearl_speed = c.speed;
        mPlayer.points = c.pearls;
        mPlayer.score = 0;
        mApp.mSounds.clear();
        CStatisticsWindow window(kLevels - 1, kLevels, mPlayer, mProfiles, mRecords);
        int updates = RunToEnd(window) - 10; // the pause and the finishing update
        EXPECT_EQ(updates, c.updates);
        EXPECT_EQ(mPlayer.points, 0);
        EXPECT_EQ(mPlayer.score, c.points);
        EXPECT_EQ(window.Texts()[0], std::to_string(c.points));
        // A tick for every update that converted pearls.
        EXPECT_EQ(std::count(mApp.mSounds.begin(), mApp.mSounds.end(), kCountSound), c.ticks);
    }
    // Pearls stay on any level but the last.
    mPlayer.points = 4;
    CStatisticsWindow window(0, kLevels, mPlayer, mProfiles, mRecords);
    RunToEnd(window);
    EXPECT_EQ(mPlayer.points, 4);
}

TEST_F(StatisticsWindows, ARecordShowsTheBadgeAndOnTheLastLevelAsksForHighlighting)
{
    mPlayer.score = 5000;
    CStatisticsWindow window(kLevels - 1, kLevels, mPlayer, mProfiles, mRecords);
    window.OnKeyDown(recordstest::kEnter); // not finished: nothing
    EXPECT_EQ(window.mResult, Olvarn::Dialog::kNoResult);
    RunToEnd(window);
    EXPECT_TRUE(window.HasNewRecord());
    EXPECT_TRUE(mPlayer.new_record);
    EXPECT_EQ(mRecords.local[0].name, "Me");
    EXPECT_EQ(mRecords.local[0].score, 5000);
    window.OnKeyDown('x');
    EXPECT_EQ(window.mResult, 0);

    // No record: no badge, but ok all the same.
    mPlayer.new_record = false;
    mPlayer.score = 0;
    CStatisticsWindow second(0, kLevels, mPlayer, mProfiles, mRecords);
    RunToEnd(second);
    EXPECT_FALSE(second.HasNewRecord());
    EXPECT_FALSE(mPlayer.new_record);
    EXPECT_FALSE(second.OkButton()->mIsDisabled);
}

TEST_F(StatisticsWindows, TheTextsShowScoreTimeCreaturesAndPearls)
{
    mPlayer.score = 12345;
    mPlayer.statistic.score = 800;
    mPlayer.statistic.time = 125900;
    mPlayer.statistic.bonuses = 3;
    mPlayer.statistic.pearls = 6;
    CStatisticsWindow window(0, kLevels, mPlayer, mProfiles, mRecords);
    EXPECT_EQ(window.Texts(), (std::vector<std::string>{"12345", "800", "2:05", "3", "6"}));
    EXPECT_EQ(tilvan::FormatMinutes(-5000), "0:00");
}

TEST_F(StatisticsWindows, TheBonusClockCountsIntoScoreAndNeverBelowZero)
{
    struct Case {
        const char* what;
        bool completed;
        int timeLeft;
        int speed;
        float k;
        int updates; // of the count-down
        int points;
        int ticks;
    } cases[] = {
        {"out of time", false, 0, 1000, 0.5f, 0, 0, 0},
        {"2500 ms at 1000/s", true, 2500, 1000, 0.5f, 250, 1000 + 1250, 0},
        {"9000 ms at 2000/s", true, 9000, 2000, 1.0f, 450, 1000 + 9000, 2},
        {"a shorter last step", true, 1005, 1000, 1.0f, 101, 1000 + 1005, 0},
        {"negative time left", false, -700, 1000, 1.0f, 0, 0, 0},
        {"a speed below 100", false, 30, 50, 1.0f, 30, 30, 0},
        {"no speed at all", false, 20, 0, 2.0f, 20, 40, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        tilvan::StatisticsLayout().time_speed = c.speed;
        tilvan::StatisticsLayout().time_to_score_k = c.k;
        mPlayer.score = 0;
        mPlayer.points = 0;
        mApp.mSounds.clear();
        CBonusStatisticsWindow window(c.completed, c.timeLeft, kLevels, mPlayer, mProfiles, mRecords);
        EXPECT_EQ(mPlayer.points, c.completed ? 1 : 0);
        EXPECT_GE(window.TimeLeft(), 0);
        int updates = RunToEnd(window) - 10;
        EXPECT_EQ(updates, c.updates);
        EXPECT_EQ(window.TimeLeft(), 0);
        EXPECT_EQ(window.Texts()[3], "0:00");
        EXPECT_EQ(mPlayer.score, c.points);
        EXPECT_EQ(std::count(mApp.mSounds.begin(), mApp.mSounds.end(), kCountSound), c.ticks);
        EXPECT_FALSE(window.OkButton()->mIsDisabled);
    }
}

TEST_F(StatisticsWindows, TheBonusWindowEntersTheRecordsOnceAndThenClosesOnAnyKey)
{
    tilvan::StatisticsLayout().time_speed = 1000;
    mPlayer.score = 700;
    CBonusStatisticsWindow window(false, 100, kLevels, mPlayer, mProfiles, mRecords);
    window.OnKeyDown(recordstest::kEscape);
    EXPECT_EQ(window.mResult, Olvarn::Dialog::kNoResult);
    RunToEnd(window);
    for (int i = 0; i < 50; ++i)
        window.Update();
    EXPECT_EQ(mRecords.send_records.size(), 1u);
    EXPECT_TRUE(window.HasNewRecord());
    EXPECT_FALSE(mPlayer.new_record);
    window.OnKeyDown(recordstest::kEscape);
    EXPECT_EQ(window.mResult, 0);
}

} // namespace
