// Demo recording and playback inside one process: live messages become the events the widgets get
// and a replay gives them the same; synchronised values come from the recording; updates wait for
// due events and the recorded loading hand-over; jumps, their end and the playback overlays.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <numeric>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "AppTestSupport.h"
#include "LoopbackServer.h"
#include "app/DemoOverlay.h"
#include "app/HTTPTransfer.h"
#include "core/MTRand.h"
#include "graphics/D3DTester.h"
#include "graphics/DDInterface.h"
#include "platform/DisplayFake.h"
#include "platform/EventPump.h"
#include "platform/KeyMap.h"
#include "platform/SettingsStore.h"
#include "platform/Window.h"
#include "support/TempDir.h"

using namespace Olvarn;

namespace
{

using Kind = AppMessageKind;

using apptest::Mouse;
using apptest::Msg;

// The log carries the update count at which each call came.
class InputWidgets : public apptest::InputLogWidgets
{
public:
    explicit InputWidgets(OlvarnAppBase* app) : InputLogWidgets(app) {}
    bool UpdateWidgets() override
    {
        ++mUpdates;
        return true;
    }
    bool DrawWidgets() override { return true; }

    int mUpdates = 0;
    OlvarnAppBase* mOwner = nullptr;

protected:
    std::string Stamp() const override { return std::to_string(mOwner->mUpdateCount) + ": "; }
};

// Where a recording test app writes its demo when it goes: a folder of this run, never the folder
// the tests run from.
std::string ScratchDemoFile()
{
    static testsupport::TempDir scratch;
    return scratch.File("olvarnapp.dmo");
}

class DemoApp : public apptest::CountingApp
{
public:
    DemoApp()
    {
        mDemoFileName = ScratchDemoFile();
        delete mWidgetManager;
        mWidgets = new InputWidgets(this);
        mWidgets->mOwner = this;
        mWidgetManager = mWidgets;
        mMuteOnLostFocus = true;
    }
    using OlvarnAppBase::HandleDemoPlaybackKey;
    using OlvarnAppBase::PumpPlatformEvents;
    void InitMainThreadForTest()
    {
        mPrimaryThreadId = std::this_thread::get_id();
        mMainThreadKnown = true;
    }
    // Developer keys take "F" once they are on.
    bool HandleDeveloperKey(int key) override { return key == 'F'; }

    void Send(const AppMessage& message)
    {
        WindowProc(message);
        DrainQueuedMessages(false);
    }

    // Plays the stream of another application from its start.
    void PlayStreamOf(const OlvarnAppBase& recorder)
    {
        mPlayingDemo = true;
        mDemo.mBuffer.SetData(recorder.mDemo.mBuffer.GetData(), recorder.mDemo.mBuffer.ByteLength());
    }

    InputWidgets* mWidgets = nullptr;
};

std::vector<DemoEvent> EventsOf(const OlvarnAppBase& app)
{
    Buffer copy;
    copy.SetData(app.mDemo.mBuffer.GetData(), app.mDemo.mBuffer.ByteLength());
    DemoStreamReader reader(copy);
    std::vector<DemoEvent> events;
    DemoEvent event;
    while (!reader.AtEnd()) {
        DemoRead read = reader.Next(reader.LastEventUpdate(), event);
        if (read == DemoRead::End)
            break;
        if (read == DemoRead::Event)
            events.push_back(event);
    }
    return events;
}

} // namespace

TEST(DemoRecording, LiveInputIsRecordedAsTheEventsTheWidgetsGetAndAReplayGivesThemTheSame)
{
    DemoApp live;
    live.mRecordingDemo = true;
    live.mMouseIn = true;
    struct Step {
        int update;
        AppMessage message;
    };
    const std::vector<Step> steps = {
        {0, Mouse(Kind::MouseMove, 100, 100)},
        {0, Mouse(Kind::MouseMove, 110, 95)}, // a small step: relative
        {3, Mouse(Kind::LButtonDown, 110, 95)},
        {4, Mouse(Kind::LButtonUp, 110, 95)},
        {40, Mouse(Kind::MouseMove, -5, -7)}, // left of and above the window, captured: negative
        {41, Mouse(Kind::RButtonDblClk, -5, -7)},
        {41, Mouse(Kind::RButtonUp, -5, -7)},
        {42, Msg(Kind::MouseWheel, -240)},
        {60, Msg(Kind::KeyDown, VK_CONTROL)},
        {60, Msg(Kind::KeyDown, 'K')},
        {60, Msg(Kind::Char, 0xE9)},
        {61, Msg(Kind::KeyUp, 'K')},
        {70, Msg(Kind::Activate, 0)},
        {71, Msg(Kind::Activate, 1)},
        {80, Msg(Kind::Size, kSizeMinimized)},
        {85, Msg(Kind::Size, 0)},
    };
    for (const Step& step : steps) {
        live.mUpdateCount = step.update;
        live.Send(step.message);
    }
    // A key the developer tools take reaches neither the widgets nor the recording.
    live.mDeveloperKeysOn = true;
    live.mUpdateCount = 90;
    live.Send(Msg(Kind::KeyDown, 'F'));
    live.Send(Msg(Kind::Close));
    EXPECT_TRUE(live.mShutdown);

    std::vector<DemoEvent> events = EventsOf(live);
    ASSERT_GE(events.size(), 6u);
    EXPECT_EQ(events[0].mKind, DemoEventKind::MousePosition);
    EXPECT_EQ(events[1].mKind, DemoEventKind::MouseMove);
    EXPECT_EQ(events[1].mX, 10);
    EXPECT_EQ(events[1].mY, -5);
    bool sawNegative = false, sawRightDouble = false;
    for (const DemoEvent& e : events) {
        sawNegative |= e.mKind == DemoEventKind::MousePosition && e.mX == -5 && e.mY == -7;
        sawRightDouble |= e.mKind == DemoEventKind::MouseButton && e.mFlag && e.mClicks == -2;
        EXPECT_FALSE(e.mKind == DemoEventKind::KeyDown && e.mCode == 'F');
    }
    EXPECT_TRUE(sawNegative);
    EXPECT_TRUE(sawRightDouble);
    EXPECT_EQ(events.back().mKind, DemoEventKind::Close);
    EXPECT_EQ(events.back().mUpdate, 90);

    DemoApp replay;
    replay.PlayStreamOf(live);
    for (int update = 0; update <= 100 && !replay.mShutdown; ++update) {
        replay.mUpdateCount = update;
        replay.PlayDueDemoEvents();
    }
    EXPECT_EQ(replay.mWidgets->mLog, live.mWidgets->mLog);
    EXPECT_TRUE(replay.mShutdown);
    EXPECT_EQ(replay.mDemo.mDesyncs, 0);
    EXPECT_EQ(replay.mRecordedMouseX, -5);
}

TEST(DemoRecording, RealInputDuringAReplayNeverReachesTheWidgets)
{
    DemoApp replay;
    replay.mPlayingDemo = true;
    replay.Send(Mouse(Kind::LButtonDown, 10, 10));
    replay.Send(Msg(Kind::KeyDown, 'K'));
    EXPECT_TRUE(replay.mWidgets->mLog.empty());
    // A real close still ends the program, and with it the synchronised reads.
    replay.Send(Msg(Kind::Close));
    EXPECT_TRUE(replay.mShutdown);
    EXPECT_TRUE(replay.mDemo.mSyncEnded);
}

class DemoSync : public testing::Test
{
protected:
    void SetUp() override
    {
        mLive.mRegKey = mReplay.mRegKey = "Olvarn\\DemoSyncTest";
        mLive.mRecordingDemo = true;
        mDir.WriteFile("data.txt", "recorded bytes");
    }
    testsupport::TempDir mDir;
    DemoApp mLive;
    DemoApp mReplay;
};

TEST_F(DemoSync, SettingsFilesAndTextsReplayTheRecordedValuesWithoutTouchingThisMachine)
{
    const std::string longText(40000, 'x');
    uint32_t value = 0;
    ASSERT_TRUE(mLive.WriteRegistryDWORD("Level", 7));
    ASSERT_TRUE(mLive.ReadRegistryDWORD("Level", value));
    EXPECT_FALSE(mLive.ReadRegistryDWORD("Missing", value));
    Buffer file;
    ASSERT_TRUE(mLive.ReadBufferFromFile(mDir.File("data.txt"), file, true));
    EXPECT_FALSE(mLive.ReadBufferFromFile(mDir.File("none.txt"), file, true));
    const std::string liveText = mLive.SyncStringWithDemo(longText);
    EXPECT_TRUE(mLive.SyncBoolWithDemo(true));
    // A string longer than its length field is cut where the field ends, and what follows it still
    // reads as written.
    EXPECT_EQ(liveText.size(), 32767u);

    // This machine now differs in everything the run read.
    std::filesystem::remove(mDir.File("data.txt"));
    SettingsStore store(SettingsStore::PathForKey(mReplay.mRegKey));
    store.Load();
    const unsigned char nine[4] = {9, 0, 0, 0};
    store.Set("Level", REG_DWORD, nine, 4);
    store.Set("Missing", REG_DWORD, nine, 4);
    ASSERT_TRUE(store.Save());

    mReplay.PlayStreamOf(mLive);
    EXPECT_TRUE(mReplay.WriteRegistryDWORD("Level", 1234));
    ASSERT_TRUE(mReplay.ReadRegistryDWORD("Level", value));
    EXPECT_EQ(value, 7u);
    EXPECT_FALSE(mReplay.ReadRegistryDWORD("Missing", value));
    Buffer replayed;
    ASSERT_TRUE(mReplay.ReadBufferFromFile(mDir.File("data.txt"), replayed, true));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(replayed.GetData()), replayed.ByteLength()), "recorded bytes");
    EXPECT_FALSE(mReplay.ReadBufferFromFile(mDir.File("none.txt"), replayed, true));
    EXPECT_EQ(mReplay.SyncStringWithDemo("this machine's text"), liveText);
    EXPECT_TRUE(mReplay.SyncBoolWithDemo(false));
    mReplay.DeleteRegistryValue("Missing");
    EXPECT_EQ(mReplay.mDemo.mDesyncs, 0);

    SettingsStore after(SettingsStore::PathForKey(mReplay.mRegKey));
    after.Load();
    SettingsStore::Value stored;
    ASSERT_TRUE(after.Get("Level", stored));
    EXPECT_EQ(stored.mData[0], 9);             // the replay's write stayed out
    EXPECT_TRUE(after.Get("Missing", stored)); // and so did its delete
}

TEST_F(DemoSync, ReadsOutOfStepOrAfterACloseGiveNothingOfThisMachine)
{
    ASSERT_TRUE(mLive.WriteRegistryDWORD("Level", 7));
    mReplay.PlayStreamOf(mLive);
    // The recording wrote where the replay reads: nothing is taken, and it is counted.
    uint32_t value = 0;
    EXPECT_FALSE(mReplay.ReadRegistryDWORD("Level", value));
    EXPECT_EQ(mReplay.mDemo.mDesyncs, 1);
    EXPECT_EQ(mReplay.SyncStringWithDemo("mine"), "");

    DemoApp closed;
    closed.mRegKey = mLive.mRegKey;
    closed.PlayStreamOf(mLive);
    closed.Send(Msg(Kind::Close));
    EXPECT_FALSE(closed.ReadRegistryDWORD("Level", value));
    EXPECT_TRUE(closed.WriteRegistryDWORD("Level", 3));
    EXPECT_EQ(closed.mDemo.mDesyncs, 0);
}

TEST(DemoPlayer, ASyncEventMetByThePlayerIsSkippedWholeAndTheNextEventPlays)
{
    DemoApp live;
    live.mRecordingDemo = true;
    live.SyncStringWithDemo("a text whose bytes must not be read as events");
    live.Send(Msg(Kind::KeyDown, 'K'));

    DemoApp replay;
    replay.PlayStreamOf(live);
    replay.PlayDueDemoEvents();
    EXPECT_EQ(replay.mDemo.mDesyncs, 1);
    EXPECT_EQ(replay.mWidgets->mLog, std::vector<std::string>({"0: keydown 75"}));
}

TEST(DemoPlayback, UpdatesWaitForDueEventsAndForTheRecordedHandOver)
{
    // Recorded by hand: the hand-over at update 5, a key at update 8.
    DemoApp recorder;
    recorder.mRecordingDemo = true;
    recorder.mUpdateCount = 5;
    DemoEvent done;
    done.mKind = DemoEventKind::LoadingDone;
    recorder.RecordDemoEvent(done);
    recorder.mUpdateCount = 8;
    recorder.Send(Msg(Kind::KeyDown, 'K'));

    DemoApp replay;
    replay.PlayStreamOf(recorder);
    // The loader finished long before the recording's hand-over: the replay hands over at 5 all the same.
    replay.mLoadingThreadCompleted = true;
    std::vector<int> blocked;
    for (int pass = 0; pass < 20; ++pass) {
        replay.PlayDueDemoEvents();
        int before = replay.mUpdateCount;
        if (!replay.UpdateAppTick())
            blocked.push_back(before);
        if (before < 5) {
            EXPECT_FALSE(replay.mLoaded) << before;
        }
    }
    EXPECT_TRUE(replay.mLoaded);
    // Events wait at their own update; the stream's end holds the replay at the last one.
    EXPECT_EQ(replay.mUpdateCount, 8);
    EXPECT_EQ(replay.mWidgets->mLog, std::vector<std::string>({"8: keydown 75"}));
    EXPECT_FALSE(blocked.empty());
    EXPECT_EQ(blocked.back(), 8);

    // A loader slower than the recording's holds the replay at the hand-over.
    DemoApp slow;
    slow.PlayStreamOf(recorder);
    for (int pass = 0; pass < 20; ++pass) {
        slow.PlayDueDemoEvents();
        slow.UpdateAppTick();
    }
    EXPECT_EQ(slow.mUpdateCount, 5);
    EXPECT_FALSE(slow.mLoaded);
    slow.mLoadingThreadCompleted = true;
    slow.PlayDueDemoEvents();
    EXPECT_TRUE(slow.UpdateAppTick());
    EXPECT_TRUE(slow.mLoaded);
}

TEST(DemoPlayback, AReplayPassPlaysOneEventAndUpdatesOnlyAfterTheLastOneDueAsItsRecordingDid)
{
    // While recording, a pass takes one queued message and goes on to the update (when one is due)
    // only when it took the last one; a modal loop looks at its answer between passes.
    DemoApp recorder;
    recorder.mRecordingDemo = true;
    for (int update : {3, 7, 8, 8, 12, 20}) {
        recorder.mUpdateCount = update;
        recorder.Send(Msg(Kind::Char, 'a'));
    }

    DemoApp replay;
    replay.InitMainThreadForTest();
    replay.PlayStreamOf(recorder);
    // Paced by a slow refresh, a pass runs three or four updates.
    replay.mVSyncUpdates = true;
    replay.mRefreshRate = 30;
    std::vector<std::string>& log = replay.mWidgets->mLog;
    // Each pass that played an event: the event's update, and the update count the pass ended at.
    std::vector<std::pair<int, int>> passes;
    for (int pass = 0; pass < 2000 && log.size() < 6; ++pass) {
        const size_t before = log.size();
        bool updated = false;
        replay.PumpStep(updated);
        ASSERT_LE(log.size() - before, 1u) << "pass " << pass;
        if (log.size() > before)
            passes.emplace_back(std::stoi(log.back()), replay.mUpdateCount);
    }
    ASSERT_EQ(passes.size(), 6u);
    for (size_t i = 0; i < passes.size(); ++i) {
        // A pass never updates past its event, and not at all while another event is due there.
        EXPECT_LE(passes[i].second, passes[i].first + 1) << i;
        if (i + 1 < passes.size() && passes[i + 1].first == passes[i].first)
            EXPECT_EQ(passes[i].second, passes[i].first) << i;
    }
}

namespace
{
// Runs a nested loop (as a modal dialog does) from inside update 5 and notes how far each of its passes
// moved the update count.
class NestingWidgets : public InputWidgets
{
public:
    using InputWidgets::InputWidgets;
    bool UpdateWidgets() override
    {
        InputWidgets::UpdateWidgets();
        if (mOwner->mUpdateCount != 5 || !mSteps.empty())
            return true;
        for (int pass = 0; pass < 60; ++pass) {
            const int before = mOwner->mUpdateCount;
            bool updated = false;
            mOwner->PumpStep(updated);
            mSteps.push_back(mOwner->mUpdateCount - before);
        }
        return true;
    }
    std::vector<int> mSteps;
};
} // namespace

TEST(DemoPlayback, ANestedLoopRunsOneUpdateAPassSoItsAnswerComesAfterTheSameUpdateInAReplay)
{
    DemoApp app;
    app.InitMainThreadForTest();
    delete app.mWidgetManager;
    auto* widgets = new NestingWidgets(&app);
    widgets->mOwner = &app;
    app.mWidgetManager = app.mWidgets = widgets;
    // Paced by a slow refresh, a top-level pass runs three or four updates.
    app.mVSyncUpdates = true;
    app.mRefreshRate = 30;
    app.PumpUntil(1000);
    ASSERT_EQ(widgets->mSteps.size(), 60u);
    EXPECT_EQ(*std::max_element(widgets->mSteps.begin(), widgets->mSteps.end()), 1);
    // The nested loop keeps the game's pace all the same: 100 updates a second.
    const int nested = std::accumulate(widgets->mSteps.begin(), widgets->mSteps.end(), 0);
    EXPECT_GE(nested, 10);
    EXPECT_GE(app.mUpdateCount, 90);
}

TEST(DemoPlayback, AReplayWritingTheCheckEndsWhereItsStreamDoes)
{
    // A recording that ended without a close event (its program was stopped another way).
    DemoApp recorder;
    recorder.mRecordingDemo = true;
    recorder.mUpdateCount = 8;
    recorder.Send(Msg(Kind::KeyDown, 'K'));

    testsupport::TempDir dir;
    for (bool checked : {false, true}) {
        SCOPED_TRACE(checked ? "with the check" : "watched");
        DemoApp replay;
        replay.PlayStreamOf(recorder);
        if (checked)
            replay.mDemo.mCheckFile = std::fopen(dir.File("check.txt").c_str(), "wb");
        for (int pass = 0; pass < 20; ++pass) {
            replay.PlayDueDemoEvents();
            replay.UpdateAppTick();
        }
        EXPECT_EQ(replay.mUpdateCount, 8);
        EXPECT_EQ(replay.mWidgets->mLog, std::vector<std::string>({"8: keydown 75"}));
        EXPECT_EQ(replay.mShutdown, checked);
        if (replay.mDemo.mCheckFile) {
            std::fclose(replay.mDemo.mCheckFile);
            replay.mDemo.mCheckFile = nullptr;
        }
    }
}

class DemoJump : public testing::Test
{
protected:
    void SetUp() override
    {
        DemoApp recorder;
        recorder.mRecordingDemo = true;
        for (int update : {3, 10, 20}) {
            recorder.mUpdateCount = update;
            recorder.Send(Msg(Kind::Char, 'a'));
        }
        mReplay.PlayStreamOf(recorder);
        mReplay.mDemo.mTotalUpdates = 60000;
        mReplay.mLoaded = mReplay.mDemo.mLoadingDoneSeen = false;
    }
    DemoApp mReplay;
};

TEST_F(DemoJump, AJumpPlaysAtFullSpeedSilentlyAndGivesTheSoundBackAtItsTarget)
{
    mReplay.SetDemoJumpTarget(15, false);
    for (int pass = 0; pass < 50 && mReplay.mUpdateCount < 15; ++pass) {
        bool updated = false;
        mReplay.PumpStep(updated);
        if (mReplay.mUpdateCount < 15) {
            EXPECT_TRUE(mReplay.IsMuted());
        }
    }
    EXPECT_EQ(mReplay.mUpdateCount, 15);
    // No sleeping on the way: the clock stood still.
    EXPECT_EQ(mReplay.mTestClock.mSlept, 0);
    bool updated = false;
    mReplay.PumpStep(updated);
    EXPECT_FALSE(mReplay.IsMuted());
    EXPECT_EQ(mReplay.mWidgets->mLog.size(), 2u);
}

TEST_F(DemoJump, AJumpBeyondTheEndOfTheStreamEndsWhereTheStreamDoes)
{
    mReplay.HandleDemoPlaybackKey('0');
    EXPECT_EQ(mReplay.mDemo.mJumpTarget, 60000);
    ASSERT_TRUE(mReplay.PumpUntil(5000));
    EXPECT_EQ(mReplay.mUpdateCount, 20);
    EXPECT_EQ(mReplay.mDemo.mJumpTarget, 0);
    EXPECT_FALSE(mReplay.IsMuted());
    // Messages are taken again: the loop sleeps between passes.
    EXPECT_GT(mReplay.mTestClock.mSlept, 0);

    mReplay.HandleDemoPlaybackKey('M');
    ASSERT_TRUE(mReplay.PumpUntil(10000));
    EXPECT_FALSE(mReplay.mDemo.mJumpToEnd);
    EXPECT_FALSE(mReplay.IsMuted());
}

TEST(DemoKeys, JumpTargetsCountBackFromTheEndAndNeverGoBack)
{
    struct Case {
        int key;
        int now;
        int target;
        bool forced;
    };
    for (const Case& c :
         {Case{'0', 0, 60000, false}, Case{'4', 0, 48000, false}, Case{'6', 0, 54000, false},
          Case{'9', 0, 59500, false}, Case{'N', 100, 101, true}, Case{'n', 7, 8, true}, Case{'6', 55000, 0, false}}) {
        DemoApp app;
        app.mPlayingDemo = true;
        app.mDemo.mTotalUpdates = 60000;
        app.mUpdateCount = c.now;
        app.HandleDemoPlaybackKey(c.key);
        EXPECT_EQ(app.mDemo.mJumpTarget, c.target) << static_cast<char>(c.key) << " at " << c.now;
        EXPECT_EQ(app.mDemo.mForceOneDraw, c.forced) << static_cast<char>(c.key);
    }
}

TEST(DemoOverlays, JumpTimesCountBackFromTheEnd)
{
    struct Case {
        const char* text;
        int seconds;
    };
    for (const Case& c : {Case{"1:30", 90}, Case{"75", 75}, Case{"0:30", 30}, Case{"1:2:3", 3723}, Case{"", 0},
                          Case{"abc", 0}, Case{"2x:10", 130}, Case{"99999999999:99999999999:9", 1000000000}})
        EXPECT_EQ(ParseJumpTime(c.text), c.seconds) << c.text;
    EXPECT_EQ(JumpTimeTarget("0:30", 60000, 10), 56900);
}

TEST(DemoOverlays, TheJumpToTimeBoxEditsItsTextAndAnswers)
{
    DemoOverlay box = DemoOverlay::JumpToTime("2:00");
    box.OnChar('1'); // the whole old text was selected
    box.OnChar(':');
    box.OnChar('3');
    box.OnChar('5');
    box.OnChar('\b');
    box.OnChar('0');
    EXPECT_EQ(box.Text(), "1:30");
    box.OnKeyDown(VK_RETURN);
    EXPECT_TRUE(box.Done());
    EXPECT_TRUE(box.Accepted());

    DemoOverlay cancelled = DemoOverlay::JumpToTime("5");
    Rect cancel = cancelled.CancelButton();
    cancelled.OnMouseDown(cancel.mX + 1, cancel.mY + 1, 1);
    EXPECT_TRUE(cancelled.Done());
    EXPECT_FALSE(cancelled.Accepted());

    DemoOverlay full = DemoOverlay::JumpToTime(std::string(600, '1'));
    EXPECT_EQ(full.Text().size(), static_cast<size_t>(DemoOverlay::kMaxTextLength));
}

TEST(DemoOverlays, TheMarkerListShowsTheLabelsAheadAndADoubleClickChooses)
{
    std::vector<DemoLabel> labels = {{"start", 10}, {"boss", 5000}, {"end", 59000}};
    std::vector<MarkerEntry> entries = MarkerListEntries(labels, 100, 60000, 10);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].mText, "boss (00:09:10)");
    EXPECT_EQ(entries[1].mText, "end (00:00:10)");

    DemoOverlay list = DemoOverlay::MarkerList(entries);
    Rect area = list.ListArea();
    list.OnMouseDown(area.mX + 5, area.mY + 25, 1);
    EXPECT_EQ(list.Selected(), 1);
    EXPECT_FALSE(list.Done());
    list.OnMouseDown(area.mX + 5, area.mY + 25, 2);
    EXPECT_TRUE(list.Accepted());

    DemoOverlay keys = DemoOverlay::MarkerList(entries);
    keys.OnKeyDown(VK_RETURN); // nothing chosen yet
    EXPECT_FALSE(keys.Done());
    keys.OnKeyDown(0x28);
    keys.OnKeyDown(VK_RETURN);
    EXPECT_TRUE(keys.Accepted());
    EXPECT_EQ(keys.Selected(), 0);
}

TEST(DemoDisplay, AReplayKeepsTheRecordedRefreshRateAndWindowMode)
{
    DemoApp app;
    app.mDDInterface = new DDInterface(&app, app.GetDisplayOptions(), std::make_unique<DisplayFake>());
    app.mDDInterface->mRefreshRate = 60;
    app.mRecordingDemo = true;
    app.UpdateDisplayState();
    EXPECT_EQ(app.mRefreshRate, 60);
    std::vector<DemoEvent> events = EventsOf(app);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].mKind, DemoEventKind::Display);
    EXPECT_EQ(events[0].mCode, 60);
    EXPECT_TRUE(events[0].mFlag);

    DemoApp replay;
    replay.mDDInterface = new DDInterface(&replay, replay.GetDisplayOptions(), std::make_unique<DisplayFake>());
    replay.mDDInterface->mRefreshRate = 85;
    DemoEvent display;
    display.mKind = DemoEventKind::Display;
    display.mFlag = false;
    display.mCode = 60;
    replay.mPlayingDemo = true;
    replay.PlayDemoEvent(display);
    replay.UpdateDisplayState();
    EXPECT_EQ(replay.mRefreshRate, 60);
    EXPECT_FALSE(replay.mIsWindowed);
}

TEST(DemoStart, LoadingADemoSeedsTheGeneratorsFromIt)
{
    testsupport::TempDir dir;
    DemoFile file;
    file.mSeed = 123456;
    file.mProductVersion = "Test 1";
    file.mTotalUpdates = 50;
    file.mStream = {0x10, 0x20};
    std::vector<unsigned char> bytes = file.Serialize();
    dir.WriteFile("a.dmo", std::string(bytes.begin(), bytes.end()));

    DemoApp app;
    app.mProductVersion = "Test 1";
    app.mDemoFileName = dir.File("a.dmo");
    std::string error;
    ASSERT_TRUE(app.LoadDemoFile(error)) << error;
    EXPECT_EQ(app.mRandSeed, 123456);
    EXPECT_EQ(gMTRand.Word(0), 123456u);
    EXPECT_EQ(app.mDemo.mTotalUpdates, 50);
    EXPECT_EQ(app.mDemo.mBuffer.ByteLength(), 2);
}

TEST(DemoHttp, ARecordingNotesEachResultChangeTheOwnerSees)
{
    DemoApp app;
    app.InitMainThreadForTest();
    app.mRecordingDemo = true;
    HTTPTransfer transfer;
    transfer.PostForm("http://bad host/", "a=b"); // refused before anything is sent
    EXPECT_EQ(transfer.GetResult(), HTTPTransfer::kSendFailed);
    EXPECT_EQ(transfer.GetResult(), HTTPTransfer::kSendFailed);
    std::vector<DemoEvent> events = EventsOf(app);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].mKind, DemoEventKind::HttpResult);
    EXPECT_EQ(events[0].mNumber, transfer.GetTransferId());
    EXPECT_EQ(events[0].mCode, HTTPTransfer::kSendFailed);
}

TEST(DemoHttp, AResetTransferIsNotedAfreshWhateverItsLastResult)
{
    DemoApp app;
    app.InitMainThreadForTest();
    app.mRecordingDemo = true;
    HTTPTransfer transfer;
    std::vector<int> ids;
    // The same result twice over a reset: the second transfer's result is a change of its own.
    for (int i = 0; i < 2; ++i) {
        transfer.PostForm("http://bad host/", "a=b");
        EXPECT_EQ(transfer.GetResult(), HTTPTransfer::kSendFailed);
        ids.push_back(transfer.GetTransferId());
        transfer.Reset();
        EXPECT_EQ(transfer.GetResult(), HTTPTransfer::kIdle); // idle is where it started: no note
    }
    std::vector<DemoEvent> events = EventsOf(app);
    ASSERT_EQ(events.size(), 2u);
    for (size_t i = 0; i < events.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(events[i].mNumber, ids[i]);
        EXPECT_EQ(events[i].mCode, HTTPTransfer::kSendFailed);
    }
}

TEST(DemoHttp, ARecordedRunSeesAReplyOnlyAsFarAsItsReplayWill)
{
    const std::string body = std::string(32767, 'a') + std::string(8000, 'b');
    httptest::LoopbackServer server(
        {httptest::Send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body),
         httptest::WaitClose()});
    DemoApp live;
    live.InitMainThreadForTest();
    live.mRecordingDemo = true;
    HTTPTransfer transfer;
    transfer.Post(server.Url(), "x=1");
    transfer.WaitUntilDone();
    ASSERT_EQ(transfer.GetResult(), HTTPTransfer::kDone);
    const std::string seen = transfer.GetContent();
    EXPECT_EQ(seen, body.substr(0, HTTPTransfer::kMaxRecordedContent));

    // The replay hands over the recorded bytes.
    std::vector<DemoEvent> events = EventsOf(live);
    ASSERT_EQ(events.size(), 2u); // running, then done
    EXPECT_EQ(events[1].mCode, HTTPTransfer::kDone);
    EXPECT_EQ(events[1].mBytes, seen);

    // Without a recording the whole reply is there.
    live.mRecordingDemo = false;
    EXPECT_EQ(transfer.GetContent(), body);
}

TEST(DemoHttp, AReplayConnectsNowhereAndEachTransferTakesOnlyItsOwnResult)
{
    DemoApp app;
    app.InitMainThreadForTest();
    app.mPlayingDemo = true;
    HTTPTransfer first, second;
    // Port 9 of this machine: a real attempt would fail at once, the replay must not make one.
    first.PostForm("http://127.0.0.1:9/score", "a=1");
    second.PostForm("http://127.0.0.1:9/score", "a=2");

    DemoStreamWriter writer(app.mDemo.mBuffer);
    DemoEvent result;
    result.mKind = DemoEventKind::HttpResult;
    result.mNumber = second.GetTransferId();
    result.mCode = HTTPTransfer::kNotFound;
    writer.Write(result);
    result.mNumber = first.GetTransferId();
    result.mCode = HTTPTransfer::kDone;
    result.mBytes = "recorded body";
    writer.Write(result);

    EXPECT_EQ(first.GetResult(), HTTPTransfer::kRunning); // the other transfer's result comes first
    EXPECT_EQ(second.GetResult(), HTTPTransfer::kNotFound);
    EXPECT_EQ(first.GetResult(), HTTPTransfer::kDone);
    EXPECT_EQ(first.GetContent(), "recorded body");
    EXPECT_FALSE(first.IsActive());
    EXPECT_EQ(app.mDemo.mDesyncs, 0);
}

TEST(DemoRecording, TheSessionsEndClosesARecordingAndNothingRunsAfterTheShutdown)
{
    DemoApp live;
    live.mRecordingDemo = true;
    live.mUpdateCount = 12;
    live.WindowProc(Msg(Kind::EndSession));
    EXPECT_TRUE(live.mShutdown);
    std::vector<DemoEvent> events = EventsOf(live);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().mKind, DemoEventKind::Close);
    EXPECT_EQ(events.back().mUpdate, 12);
    EXPECT_FALSE(live.UpdateAppTick());
    EXPECT_EQ(live.mUpdateCount, 12);

    DemoApp replay;
    replay.mPlayingDemo = true;
    replay.WindowProc(Msg(Kind::EndSession));
    EXPECT_TRUE(replay.mDemo.mSyncEnded);
}

namespace
{

void PushKey(const Window& window, SDL_Scancode key)
{
    SDL_Event event = {};
    event.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    event.key.keysym.scancode = key;
    event.key.windowID = window.Id();
    ASSERT_EQ(SDL_PushEvent(&event), 1);
}

void PushText(const Window& window, const char* text)
{
    SDL_Event event = {};
    event.type = SDL_TEXTINPUT;
    SDL_strlcpy(event.text.text, text, sizeof(event.text.text));
    event.text.windowID = window.Id();
    ASSERT_EQ(SDL_PushEvent(&event), 1);
}

} // namespace

TEST(DemoOverlays, TheBoxesTakeTheRealKeysInTheirOwnLoopAndTheWidgetsNeverSeeThem)
{
    DemoApp app;
    app.mRegKey = "Olvarn\\DemoOverlayTest";
    app.mDDInterface = new DDInterface(&app, app.GetDisplayOptions(), std::make_unique<DisplayFake>());
    app.CreateMainWindow();
    ASSERT_TRUE(app.mMainWindow);
    app.PumpPlatformEvents();
    app.DrainQueuedMessages(false);
    app.mWidgets->mLog.clear();
    app.mPlayingDemo = true;
    app.mDemo.mTotalUpdates = 60000;
    app.mDemo.mLabels = {{"first", 20000}, {"second", 40000}};

    // A playback key asks for the box; it opens at the next step of the loop and takes the keys typed
    // from then on.
    auto open = [&app](const char* key) {
        PushText(*app.mMainWindow, key);
        app.PumpPlatformEvents();
    };
    open("J");
    PushText(*app.mMainWindow, "0:30");
    PushKey(*app.mMainWindow, SDL_SCANCODE_RETURN);
    app.PlayDueDemoEvents();
    EXPECT_EQ(app.mDemo.mJumpTarget, 56900);
    SettingsStore store(SettingsStore::PathForKey(app.mRegKey));
    store.Load();
    SettingsStore::Value text;
    ASSERT_TRUE(store.Get("DemoJumpTime", text));
    EXPECT_EQ(std::string(text.mData.begin(), text.mData.end()), std::string("0:30", 5));

    // The list: down to the second label, chosen with Enter.
    open("L");
    PushKey(*app.mMainWindow, SDL_SCANCODE_DOWN);
    PushKey(*app.mMainWindow, SDL_SCANCODE_DOWN);
    PushKey(*app.mMainWindow, SDL_SCANCODE_RETURN);
    app.PlayDueDemoEvents();
    EXPECT_EQ(app.mDemo.mJumpTarget, 40000);

    // Escape closes without a jump.
    app.mDemo.mJumpTarget = 0;
    open("j");
    PushText(*app.mMainWindow, "1");
    PushKey(*app.mMainWindow, SDL_SCANCODE_ESCAPE);
    app.PlayDueDemoEvents();
    EXPECT_EQ(app.mDemo.mJumpTarget, 0);
    app.DrainQueuedMessages(false);
    EXPECT_TRUE(app.mWidgets->mLog.empty());
}

TEST(Demo3DTest, AReplaySkipsTheAcceptanceTestAndTakesItsRecordedFindings)
{
    DemoApp live;
    live.mRegKey = "Olvarn\\Demo3DTest";
    live.mRecordingDemo = true;
    D3DCardFacts facts;
    facts.mDescription = "Test card";
    facts.mVideoMemory = 1; // far too little: the test refuses the card
    D3DTester recorded(&live);
    recorded.Run(facts, true);
    ASSERT_FALSE(recorded.mFailureReason.empty());
    // Only the findings are in the stream; the test's own cache is this machine's.
    std::vector<DemoEvent> events = EventsOf(live);
    ASSERT_EQ(events.size(), 3u);
    for (const DemoEvent& e : events)
        EXPECT_EQ(e.mKind, DemoEventKind::Data);

    DemoApp replay;
    replay.mRegKey = "Olvarn\\Demo3DTestReplay";
    replay.PlayStreamOf(live);
    D3DTester replayed(&replay);
    replayed.Run(D3DCardFacts(), true);
    EXPECT_EQ(replayed.mFailureReason, recorded.mFailureReason);
    EXPECT_EQ(replayed.mWarning, recorded.mWarning);
    EXPECT_EQ(replayed.mFreshResult, recorded.mFreshResult);
    EXPECT_EQ(replay.mDemo.mDesyncs, 0);
    SettingsStore store(SettingsStore::PathForKey(replay.mRegKey));
    store.Load();
    SettingsStore::Value value;
    EXPECT_FALSE(store.Get("Test3D\\FailureReason", value)); // nothing was run, so nothing was cached
}
