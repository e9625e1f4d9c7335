// The frame pacer on a manual clock: update rates, catch-up limits, forced draws, sleeping, idle
// suspension.
#include <gtest/gtest.h>

#include <thread>

#include "AppTestSupport.h"

using apptest::CountingApp;
using apptest::RecordingWidgetManager;

TEST(Pacer, FixedStepsGiveOneHundredUpdatesASecondAndSleepBetween)
{
    CountingApp app;
    ASSERT_TRUE(app.PumpUntil(1000));
    EXPECT_NEAR(app.mUpdateCount, 100, 1);
    // Idle time is slept, not spun: about one sleep per update.
    EXPECT_GE(app.mTestClock.mSlept, 900);
    EXPECT_LE(app.mTestClock.mSleeps, 110);
}

TEST(Pacer, GameSpeedScalesTheUpdateRate)
{
    for (double multiplier : {0.5, 2.0}) {
        CountingApp app;
        app.mUpdateMultiplier = multiplier;
        ASSERT_TRUE(app.PumpUntil(1000));
        EXPECT_NEAR(app.mUpdateCount, 100 * multiplier, 2) << multiplier;
    }
}

TEST(Pacer, AStallIsCaughtUpByAtMostTwentyUpdatesDrawnEveryTen)
{
    CountingApp app;
    app.mLoaded = true;
    ASSERT_TRUE(app.PumpUntil(500));
    int before = app.mUpdateCount;
    app.mDrawAttempts.clear();
    app.mTestClock.Advance(1000);
    int sleepsBefore = app.mTestClock.mSleeps;
    for (int pass = 0; pass < 1000 && app.mTestClock.mSleeps == sleepsBefore; ++pass) {
        bool updated = false;
        app.PumpStep(updated);
    }
    EXPECT_EQ(app.mUpdateCount - before, 20);
    std::vector<int> forced = {before + 10, before + 20};
    EXPECT_EQ(app.mDrawAttempts, forced);
}

TEST(Pacer, WhileLoadingNoDrawIsForcedBetweenCatchUpUpdates)
{
    CountingApp app;
    ASSERT_TRUE(app.PumpUntil(500));
    int before = app.mUpdateCount;
    app.mDrawAttempts.clear();
    app.mTestClock.Advance(1000);
    int sleepsBefore = app.mTestClock.mSleeps;
    for (int pass = 0; pass < 1000 && app.mTestClock.mSleeps == sleepsBefore; ++pass) {
        bool updated = false;
        app.PumpStep(updated);
    }
    EXPECT_EQ(app.mUpdateCount - before, 20);
    ASSERT_EQ(app.mDrawAttempts.size(), 1u);
    EXPECT_EQ(app.mDrawAttempts[0], before + 20);
}

TEST(Pacer, RefreshPacingAt60HzKeepsOneHundredUpdatesWithFractions)
{
    CountingApp app;
    auto* widgets = app.RecordWidgets();
    app.mVSyncUpdates = true;
    app.mRefreshRate = 60;
    ASSERT_TRUE(app.PumpUntil(3000));
    EXPECT_NEAR(app.mUpdateCount, 300, 3);
    EXPECT_NEAR(widgets->mFractions.size(), 180u, 2);
    for (float f : widgets->mFractions)
        EXPECT_FLOAT_EQ(f, 1000.0f / 600.0f);
    EXPECT_EQ(widgets->mUpdates, app.mUpdateCount);
}

TEST(Pacer, PauseAndZeroSpeedStopUpdatesAndDrawsButNotTheClockOrMessages)
{
    for (int variant = 0; variant < 2; ++variant) {
        CountingApp app;
        ASSERT_TRUE(app.PumpUntil(100));
        int updates = app.mUpdateCount;
        size_t draws = app.mDrawAttempts.size();
        if (variant == 0)
            app.mPaused = true;
        else
            app.mUpdateMultiplier = 0;
        ASSERT_TRUE(app.PumpUntil(1100, 500)) << "the paused loop must sleep, not spin";
        EXPECT_EQ(app.mUpdateCount, updates);
        EXPECT_EQ(app.mDrawAttempts.size(), draws);
        // Messages are still taken, so a close ends the pause.
        Olvarn::AppMessage close;
        close.mKind = Olvarn::AppMessageKind::Close;
        app.QueueMessage(close);
        bool updated = false;
        app.PumpStep(updated);
        EXPECT_TRUE(app.mShutdown);
    }
}

TEST(Pacer, DrawsHappenWhenNoUpdateIsDueAndAtLeastOnceASecondWhenNothingChanges)
{
    CountingApp app;
    auto* widgets = app.RecordWidgets();
    app.mLoaded = true;
    ASSERT_TRUE(app.PumpUntil(1000));
    // Something new every update: one draw per update.
    EXPECT_NEAR(app.mDrawCount.load(), 100, 2);

    widgets->mDrawSomething = false;
    int drawsBefore = app.mDrawCount;
    ASSERT_TRUE(app.PumpUntil(4000));
    EXPECT_NEAR(app.mDrawCount - drawsBefore, 3, 1);
}

TEST(Pacer, WhileResourcesLoadDrawsAreSpacedByFiftyMilliseconds)
{
    CountingApp app;
    app.RecordWidgets();
    app.mLoadingThreadStarted = true; // a loader that has not finished; no thread to wait for
    ASSERT_TRUE(app.PumpUntil(1000));
    EXPECT_NEAR(app.mDrawCount.load(), 20, 1);

    app.mLoadingThreadCompleted = true;
    int before = app.mDrawCount;
    ASSERT_TRUE(app.PumpUntil(2000));
    EXPECT_NEAR(app.mDrawCount - before, 100, 2);
}

TEST(Pacer, UpdatesStopForTheSingleStepModeUntilStepped)
{
    CountingApp app;
    ASSERT_TRUE(app.PumpUntil(100));
    app.mStepMode = 2;
    int updates = app.mUpdateCount;
    ASSERT_TRUE(app.PumpUntil(600, 500));
    EXPECT_EQ(app.mUpdateCount, updates);
    app.mStepMode = 1;
    for (int i = 0; i < 5; ++i) {
        bool updated = false;
        app.PumpStep(updated);
    }
    EXPECT_EQ(app.mUpdateCount, updates + 1);
    EXPECT_EQ(app.mStepMode, 2);
}

TEST(Pacer, RefreshPacingThatOutrunsRealTimeIsFoundUnreliable)
{
    CountingApp app;
    app.mVSyncUpdates = true;
    // 100 updates inside 800 ms three times in a row.
    for (int check = 0; check < 4; ++check) {
        for (int i = 0; i < 100; ++i) {
            app.mTestClock.Advance(5);
            app.mPacer.mPhase = Olvarn::FramePacer::Phase::Update;
            app.mPacer.mTimeAcc = 100;
            app.RunFrameStep(false);
        }
    }
    EXPECT_TRUE(app.mVSyncBroken);
}

TEST(Pacer, AShutdownAskedForOnAnotherThreadHappensAtTheNextPass)
{
    CountingApp app;
    app.InitApp(); // knows its main thread; the headless window is made on the dummy driver
    std::thread other([&] { app.ShutDownApp(); });
    other.join();
    EXPECT_TRUE(app.mShutdownPending);
    EXPECT_FALSE(app.mShutdown);
    app.RunFrameStep(true);
    EXPECT_TRUE(app.mShutdown);
}

namespace
{

// Answers the idle check's questions about the desktop's screen saver as the test sets them.
struct IdleApp : CountingApp {
    bool ReadScreenSaverSettings(int& timeoutSeconds, bool& active, bool& running) override
    {
        timeoutSeconds = mTimeout;
        active = mActive;
        running = mRunning;
        return mTells;
    }
    bool mTells = true;
    bool mActive = true;
    bool mRunning = false;
    int mTimeout = 10;
};

} // namespace

TEST(IdleSuspension, OnlyAWindowWhoseDesktopHasAScreenSaverStopsAfterItsTimeOutLessTwoSeconds)
{
    struct Case {
        bool tells, active, windowed, screensaverMode, suspends;
    };
    const Case cases[] = {
        {true, true, true, false, true},   {false, true, true, false, false}, {true, false, true, false, false},
        {true, true, false, false, false}, {true, true, true, true, false},
    };
    for (const Case& c : cases) {
        IdleApp app;
        app.mTells = c.tells;
        app.mActive = c.active;
        app.mDisplayWindowed = c.windowed;
        app.mIsScreenSaver = c.screensaverMode;
        // A time-out of 10 s gives a limit of 8 s without input; the check runs once a second.
        ASSERT_TRUE(app.PumpUntil(7990));
        EXPECT_FALSE(app.mIdleSuspended);
        ASSERT_TRUE(app.PumpUntil(9200));
        ASSERT_EQ(app.mIdleSuspended, c.suspends) << c.tells << c.active << c.windowed << c.screensaverMode;
        if (!c.suspends)
            continue;
        int updates = app.mUpdateCount;
        int draws = app.mDrawCount;
        ASSERT_TRUE(app.PumpUntil(20000, 4000)) << "a suspended loop must sleep, not spin";
        EXPECT_EQ(app.mUpdateCount, updates);
        EXPECT_EQ(app.mDrawCount, draws);
    }
}

TEST(IdleSuspension, InputResumesWithoutACatchUpBurstButNotWhileTheScreenSaverRuns)
{
    IdleApp app;
    app.mLoaded = true;
    ASSERT_TRUE(app.PumpUntil(10000));
    ASSERT_TRUE(app.mIdleSuspended);

    app.mRunning = true;
    app.mLastUserInputTick = app.mTestClock.mNow;
    ASSERT_TRUE(app.PumpUntil(12500));
    EXPECT_TRUE(app.mIdleSuspended);

    app.mRunning = false;
    app.mLastUserInputTick = app.mTestClock.mNow;
    for (int pass = 0; pass < 1000 && app.mIdleSuspended; ++pass) {
        bool updated = false;
        app.PumpStep(updated);
    }
    ASSERT_FALSE(app.mIdleSuspended);
    EXPECT_LE(app.mTestClock.mNow, 13600); // within a second of the input
    int updates = app.mUpdateCount;
    ASSERT_TRUE(app.PumpUntil(app.mTestClock.mNow + 100));
    EXPECT_NEAR(app.mUpdateCount - updates, 10, 1);
}
