// The window procedure and input routing: the queue's rules, Alt+Enter and Alt+F4, routing of keys,
// characters, mouse and wheel to the widget manager, focus with automatic mute, the window timer's
// mouse and URL watches, demo playback keys, the screensaver filter and the cursor.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "AppTestSupport.h"
#include "graphics/DDImage.h"
#include "graphics/DDInterface.h"
#include "platform/Cursor.h"
#include "platform/DisplayFake.h"
#include "platform/EventPump.h"
#include "platform/KeyMap.h"
#include "platform/Window.h"

#include <SDL.h>

using namespace Olvarn;

namespace
{

using Kind = AppMessageKind;

using apptest::Mouse;
using apptest::Msg;

class InputWidgets : public apptest::InputLogWidgets
{
public:
    explicit InputWidgets(OlvarnAppBase* app) : InputLogWidgets(app) {}
    void ReleaseMouseButtons() override { Note("release buttons"); }
};

class ProcApp : public apptest::CountingApp
{
public:
    ProcApp()
    {
        delete mWidgetManager;
        mWidgets = new InputWidgets(this);
        mWidgetManager = mWidgets;
        mMouseIn = true;
    }
    bool FilterKeyDown(int key, bool ctrl, bool alt) override
    {
        mFiltered.push_back(std::to_string(key) + (ctrl ? " ctrl" : "") + (alt ? " alt" : ""));
        return key == mSwallowKey;
    }
    void ChangeScreenMode(bool windowed, bool is3D, bool force) override
    {
        mModeRequests.push_back(windowed);
        if (mWindowedUnavailable)
            windowed = false;
        mIsWindowed = windowed;
    }
    void OnCloseQueued() override { ++mClosesQueued; }
    bool HandleDeveloperKey(int key) override
    {
        mDeveloperKeys.push_back(key);
        return key == 'F';
    }
    void OnUrlOpenConfirmed(const std::string& url) override
    {
        mUrlResults.push_back("confirmed at " + std::to_string(mTestClock.mNow));
        mIsOpeningURL = false;
    }
    void OnUrlOpenFailed(const std::string& url) override
    {
        mUrlResults.push_back("failed at " + std::to_string(mTestClock.mNow));
        mIsOpeningURL = false;
    }

    // Hands the message to the window procedure and drains what it queued.
    int64_t Send(const AppMessage& message)
    {
        int64_t result = WindowProc(message);
        DrainQueuedMessages(false);
        return result;
    }
    std::string QueueKinds() const
    {
        std::string text;
        for (const AppMessage& m : mMessageQueue)
            text += std::to_string(static_cast<int>(m.mKind)) + " ";
        return text;
    }

    using OlvarnAppBase::PumpPlatformEvents;

    InputWidgets* mWidgets = nullptr;
    int mSwallowKey = -1;
    std::vector<std::string> mFiltered;
    std::vector<bool> mModeRequests;
    std::vector<int> mDeveloperKeys;
    std::vector<std::string> mUrlResults;
    int mClosesQueued = 0;
};

} // namespace

TEST(WindowProcQueue, AltEnterSwitchesTheModeUnlessAModeIsUnavailable)
{
    ProcApp app;
    app.mWidgets->OnKeyDown(VK_MENU);
    EXPECT_EQ(app.WindowProc(Msg(Kind::SysKeyDown, VK_RETURN)), 0);
    EXPECT_TRUE(app.mMessageQueue.empty()) << "the Alt+Enter message is taken back off the queue";
    EXPECT_FALSE(app.mWidgetManager->IsKeyDown(VK_MENU)) << "the key table is cleared";
    app.WindowProc(Msg(Kind::SysKeyDown, VK_RETURN));
    EXPECT_EQ(app.mModeRequests, (std::vector<bool>{false, true}));
    EXPECT_TRUE(app.mIsWindowed) << "twice returns to the first mode";

    for (bool* unavailable : {&app.mWindowedUnavailable, &app.mFullScreenUnavailable}) {
        app.mWindowedUnavailable = app.mFullScreenUnavailable = false;
        *unavailable = true;
        app.mMessageQueue.clear();
        app.WindowProc(Msg(Kind::SysKeyDown, VK_RETURN));
        EXPECT_EQ(app.mMessageQueue.size(), 1u) << "queued like any system key";
        EXPECT_EQ(app.mModeRequests.size(), 2u) << "and nothing changes";
    }
}

TEST(WindowProcQueue, OnlyAltF4ReachesTheSystemAndClosesTheWindow)
{
    ProcApp app;
    app.WindowProc(Msg(Kind::SysKeyDown, 'A'));
    app.WindowProc(Msg(Kind::SysKeyDown, VK_F10));
    EXPECT_EQ(app.mClosesQueued, 0);
    app.WindowProc(Msg(Kind::SysKeyDown, VK_F4));
    EXPECT_EQ(app.mClosesQueued, 1);
    ASSERT_EQ(app.mMessageQueue.size(), 4u);
    EXPECT_EQ(app.mMessageQueue.back().mKind, Kind::Close);
    app.DrainQueuedMessages(false);
    EXPECT_TRUE(app.mShutdown);
}

TEST(WindowProcQueue, TimersCollapseNothingFollowsACloseAndPopupsFeedNothing)
{
    ProcApp app;
    app.WindowProc(Msg(Kind::Timer, 100));
    app.WindowProc(Msg(Kind::Timer, 100));
    app.WindowProc(Msg(Kind::KeyDown, 'A'));
    app.WindowProc(Msg(Kind::Timer, 100));
    app.WindowProc(Msg(Kind::Timer, 100));
    EXPECT_EQ(app.QueueKinds(), "11 5 11 ");

    app.mInSystemPopup = true;
    app.WindowProc(Msg(Kind::KeyDown, 'B'));
    EXPECT_EQ(app.mMessageQueue.size(), 3u);
    app.mInSystemPopup = false;

    app.WindowProc(Msg(Kind::Close));
    app.WindowProc(Msg(Kind::KeyDown, 'C'));
    app.WindowProc(Msg(Kind::Close));
    EXPECT_EQ(app.QueueKinds(), "11 5 11 3 ");
    EXPECT_EQ(app.mClosesQueued, 2) << "the hook hears every close";
}

TEST(WindowProcQueue, FilterKeyDownSeesControlAndAltAndCanSwallowAKey)
{
    ProcApp app;
    app.mSwallowKey = 'Q';
    app.Send(Msg(Kind::KeyDown, VK_CONTROL));
    app.Send(Msg(Kind::SysKeyDown, VK_MENU));
    app.Send(Msg(Kind::SysKeyDown, 'Q'));
    app.Send(Msg(Kind::SysKeyUp, VK_MENU));
    app.Send(Msg(Kind::KeyDown, 'W'));
    EXPECT_EQ(app.mFiltered, (std::vector<std::string>{"17 ctrl", "18 ctrl alt", "81 ctrl alt", "87 ctrl"}));
    EXPECT_EQ(app.mWidgets->Take(), "keydown 17, keydown 18, keyup 18, keydown 87");
}

TEST(WindowProcRouting, KeysCharactersMouseAndWheelReachTheWidgetsInOrder)
{
    ProcApp app;
    app.Send(Msg(Kind::KeyDown, 37));
    app.Send(Msg(Kind::KeyUp, 37));
    app.Send(Msg(Kind::Char, 0xE9));
    app.Send(Mouse(Kind::MouseMove, 10, 20));
    app.Send(Mouse(Kind::LButtonDown, 11, 21));
    app.Send(Mouse(Kind::LButtonUp, -3, 900));
    app.Send(Mouse(Kind::LButtonDblClk, 1, 1));
    app.Send(Mouse(Kind::RButtonDown, 2, 2));
    app.Send(Mouse(Kind::RButtonDblClk, 2, 2));
    app.Send(Mouse(Kind::RButtonUp, 2, 2));
    app.Send(Mouse(Kind::MButtonDown, 3, 3));
    app.Send(Mouse(Kind::MButtonUp, 3, 3));
    app.Send(Msg(Kind::MouseWheel, -240));
    // A button at the position the mouse already has brings no move: live input goes the demo
    // player's way, which moves only when the position changed.
    EXPECT_EQ(app.mWidgets->Take(), "keydown 37, keyup 37, char 233, move 10,20, move 11,21, down 11,21 1, "
                                    "move -3,900, up -3,900 1, move 1,1, down 1,1 2, move 2,2, down 2,2 -1, "
                                    "down 2,2 -2, up 2,2 -1, move 3,3, down 3,3 3, up 3,3 3, wheel -2");
}

// The whole way: SDL events pushed into the queue, pumped, queued, drained into the widgets.
TEST(WindowProcRouting, PumpedSdlEventsReachTheWidgetsAndAltF4Closes)
{
    ProcApp app;
    app.mDDInterface = new DDInterface(&app, app.GetDisplayOptions(), std::make_unique<DisplayFake>());
    app.CreateMainWindow();
    ASSERT_TRUE(app.mMainWindow);
    app.PumpPlatformEvents();
    app.DrainQueuedMessages(false);
    app.mWidgets->Take();

    SDL_Event events[5] = {};
    events[0].type = SDL_KEYDOWN;
    events[0].key.state = SDL_PRESSED;
    events[0].key.keysym.scancode = SDL_SCANCODE_B;
    events[1].type = SDL_TEXTINPUT;
    SDL_strlcpy(events[1].text.text, "b", sizeof(events[1].text.text));
    events[2].type = SDL_MOUSEBUTTONDOWN;
    events[2].button.button = SDL_BUTTON_LEFT;
    events[2].button.state = SDL_PRESSED;
    events[2].button.clicks = 2;
    events[2].button.x = 30;
    events[2].button.y = 40;
    events[3].type = SDL_KEYDOWN;
    events[3].key.state = SDL_PRESSED;
    events[3].key.keysym.scancode = SDL_SCANCODE_F4;
    events[3].key.keysym.mod = KMOD_LALT;
    events[4] = events[0];
    for (SDL_Event& event : events) {
        event.key.windowID = app.mMainWindow->Id(); // the same place in every event kind used here
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }
    app.PumpPlatformEvents();
    EXPECT_EQ(app.mClosesQueued, 1);
    app.DrainQueuedMessages(false);
    EXPECT_EQ(app.mWidgets->Take(), "keydown 66, char 98, move 30,40, down 30,40 2, keydown 115")
        << "Alt+F4 itself is queued before the close it makes; nothing after the close";
    EXPECT_TRUE(app.mShutdown);
}

TEST(WindowProcRouting, TheFirstMouseMessageMarksTheMouseInsideAndHiddenWindowsTakeNone)
{
    ProcApp app;
    app.mMouseIn = false;
    app.Send(Mouse(Kind::MouseMove, 5, 5));
    EXPECT_TRUE(app.mMouseIn);
    app.mIsHidden = true;
    app.mWidgets->Take();
    app.Send(Mouse(Kind::LButtonDown, 5, 5));
    EXPECT_EQ(app.mWidgets->Take(), "");
}

TEST(WindowProcRouting, CtrlAltDTogglesDeveloperKeysWhichMayTakeKeys)
{
    ProcApp app;
    app.Send(Msg(Kind::KeyDown, 'F'));
    EXPECT_TRUE(app.mDeveloperKeys.empty());
    app.Send(Msg(Kind::KeyDown, VK_CONTROL));
    app.Send(Msg(Kind::SysKeyDown, VK_MENU));
    app.Send(Msg(Kind::SysKeyDown, 'D'));
    EXPECT_TRUE(app.mDeveloperKeysOn);
    app.Send(Msg(Kind::SysKeyUp, VK_MENU));
    app.Send(Msg(Kind::KeyUp, VK_CONTROL));
    app.mWidgets->Take();
    app.Send(Msg(Kind::KeyDown, 'F'));
    app.Send(Msg(Kind::KeyDown, 'G'));
    EXPECT_EQ(app.mDeveloperKeys, (std::vector<int>{'D', 'F', 'G'}));
    EXPECT_EQ(app.mWidgets->Take(), "keydown 71") << "F was taken, G was passed on";
}

TEST(WindowProcFocus, LosingAndRegainingFocusMutesOnceAndTellsTheWidgets)
{
    ProcApp app;
    app.Send(Msg(Kind::Activate, 0));
    EXPECT_FALSE(app.mActive);
    EXPECT_EQ(app.mMuteCount, 1);
    EXPECT_EQ(app.mWidgets->Take(), "deactivated, release buttons");
    app.Send(Msg(Kind::Activate, 0));
    EXPECT_EQ(app.mMuteCount, 1);
    app.Send(Msg(Kind::Activate, 1));
    EXPECT_TRUE(app.mActive);
    EXPECT_EQ(app.mMuteCount, 0);
    EXPECT_EQ(app.mWidgets->Take(), "activated");

    app.mMuteOnLostFocus = false;
    app.Send(Msg(Kind::Activate, 0));
    EXPECT_EQ(app.mMuteCount, 0);
    // The invisible window's activation does not change the focus.
    app.Send(Msg(Kind::Activate, 1, 0, AppWindowRole::Invisible));
    EXPECT_FALSE(app.mHasFocus);
}

TEST(WindowProcFocus, MinimisingAndRestoringBalanceTheAutomaticMutes)
{
    ProcApp app;
    app.Send(Msg(Kind::Size, kSizeMinimized));
    app.Send(Msg(Kind::Size, kSizeMinimized));
    EXPECT_TRUE(app.IsMuted());
    app.Send(Msg(Kind::Size, kSizeRestored));
    EXPECT_FALSE(app.IsMuted());
    EXPECT_EQ(app.mAutoMuteCount, 0);
    EXPECT_TRUE(app.mActive);
}

TEST(WindowProcTimer, TheMouseWatchNoticesTheMouseLeaving)
{
    ProcApp app;
    app.mInMainLoop = true;
    app.mMouseIn = true;
    // The pump has seen no mouse over the window.
    app.Send(Msg(Kind::Timer, 100));
    EXPECT_FALSE(app.mMouseIn);
    EXPECT_EQ(app.mWidgets->Take(), "left window");
    app.Send(Msg(Kind::Timer, 100));
    EXPECT_EQ(app.mWidgets->Take(), "");
}

TEST(WindowProcTimer, TheUrlWatchConfirmsWithoutFocusAndFailsWithIt)
{
    struct Case {
        bool focus;
        const char* expected;
    };
    for (const Case& c : {Case{false, "confirmed at 8100"}, Case{true, "failed at 12100"}}) {
        ProcApp app;
        app.mInMainLoop = true;
        app.mHasFocus = c.focus;
        app.mIsOpeningURL = true;
        app.mOpeningURL = "http://example.invalid/";
        app.mOpeningURLTime = static_cast<int>(app.GetClock().TickCount());
        for (int step = 0; step < 150 && app.mIsOpeningURL; ++step) {
            app.mTestClock.Advance(100);
            app.Send(Msg(Kind::Timer, 100));
        }
        EXPECT_EQ(app.mUrlResults, (std::vector<std::string>{c.expected})) << c.focus;
    }
}

TEST(WindowProcTimer, AfterAGapInTimerTicksTheUrlWatchWaitsFiveSeconds)
{
    ProcApp app;
    app.mInMainLoop = true;
    app.mHasFocus = false;
    app.mIsOpeningURL = true;
    app.mOpeningURLTime = static_cast<int>(app.GetClock().TickCount());
    app.mTestClock.Advance(9000); // the machine slept: the first tick after it starts the awake time
    app.Send(Msg(Kind::Timer, 100));
    EXPECT_TRUE(app.mUrlResults.empty());
    for (int step = 0; step < 60 && app.mIsOpeningURL; ++step) {
        app.mTestClock.Advance(100);
        app.Send(Msg(Kind::Timer, 100));
    }
    EXPECT_EQ(app.mUrlResults, (std::vector<std::string>{"confirmed at 14100"}));
}

TEST(WindowProcPlayback, RealInputIsNotRoutedButCloseStillShutsDown)
{
    ProcApp app;
    app.mPlayingDemo = true;
    app.Send(Msg(Kind::KeyDown, 'A'));
    app.Send(Mouse(Kind::LButtonDown, 1, 1));
    app.Send(Msg(Kind::Activate, 0));
    EXPECT_EQ(app.mWidgets->Take(), "");
    EXPECT_TRUE(app.mHasFocus) << "focus follows the recording during playback";
    EXPECT_EQ(app.mDeveloperKeys, (std::vector<int>{'A'}));

    app.Send(Msg(Kind::Char, '+'));
    EXPECT_DOUBLE_EQ(app.mUpdateMultiplier, 1.5);
    app.Send(Msg(Kind::Char, '-'));
    EXPECT_DOUBLE_EQ(app.mUpdateMultiplier, 1.0);
    app.Send(Msg(Kind::Char, '+'));
    app.Send(Msg(Kind::Char, '='));
    EXPECT_DOUBLE_EQ(app.mUpdateMultiplier, 1.0);
    app.Send(Msg(Kind::Char, 'p'));
    EXPECT_TRUE(app.mPaused);
    app.Send(Msg(Kind::Char, 'S'));
    EXPECT_EQ(app.GetMusicVolume(), 0.0);
    EXPECT_EQ(app.GetSfxVolume(), 0.0);
    app.Send(Msg(Kind::Char, 's'));
    EXPECT_DOUBLE_EQ(app.GetMusicVolume(), 0.85);
    EXPECT_DOUBLE_EQ(app.GetSfxVolume(), 0.85);

    app.Send(Msg(Kind::Close));
    EXPECT_TRUE(app.mShutdown);
}

TEST(WindowProcImmediate, AltCharactersAreKeptOnlyWhenTheApplicationSaysSo)
{
    ProcApp app;
    EXPECT_EQ(app.WindowProc(Msg(Kind::SysChar, 'r')), 0);
    EXPECT_TRUE(app.ConsumesAltKey('R'));
    EXPECT_FALSE(app.ConsumesAltKey('x'));
    EXPECT_TRUE(app.mMessageQueue.empty());
}

TEST(WindowProcScreenSaver, InputEndsTheScreenSaverButSmallMovesAreSwallowed)
{
    struct Case {
        const char* name;
        std::vector<AppMessage> messages;
        bool closes;
    };
    const Case cases[] = {
        {"three moves",
         {Mouse(Kind::MouseMove, 1, 1), Mouse(Kind::MouseMove, 2, 2), Mouse(Kind::MouseMove, 3, 3),
          Mouse(Kind::MouseMove, 4, 4)},
         false},
        {"four moves",
         {Mouse(Kind::MouseMove, 1, 1), Mouse(Kind::MouseMove, 2, 2), Mouse(Kind::MouseMove, 3, 3),
          Mouse(Kind::MouseMove, 4, 4), Mouse(Kind::MouseMove, 5, 5)},
         true},
        {"moves on the spot",
         {Mouse(Kind::MouseMove, 1, 1), Mouse(Kind::MouseMove, 1, 1), Mouse(Kind::MouseMove, 1, 1),
          Mouse(Kind::MouseMove, 1, 1), Mouse(Kind::MouseMove, 1, 1)},
         false},
        {"a key", {Msg(Kind::KeyDown, 'A')}, true},
        {"a click", {Mouse(Kind::RButtonDown, 0, 0)}, true},
        {"deactivation", {Msg(Kind::Activate, 0)}, true},
        {"a key up", {Msg(Kind::KeyUp, 'A')}, false},
        {"a key of the invisible window", {Msg(Kind::KeyDown, 'A', 0, AppWindowRole::Invisible)}, false},
    };
    for (const Case& c : cases) {
        ProcApp app;
        app.mIsScreenSaver = true;
        for (const AppMessage& m : c.messages)
            app.Send(m);
        EXPECT_EQ(app.mShutdown.load(), c.closes) << c.name;
        if (!c.closes) {
            std::string log = app.mWidgets->Take();
            EXPECT_EQ(log.find("move"), std::string::npos) << c.name << ": moves are swallowed";
        }
    }
}

// ---- Cursors -----------------------------------------------------------------------------------

class CursorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mApp.mDDInterface = new DDInterface(&mApp, mApp.GetDisplayOptions(), std::make_unique<DisplayFake>());
        mImage = std::make_unique<DDImage>(mApp.mDDInterface);
    }
    void TearDown() override
    {
        mApp.mDDInterface->SetCursorImage(nullptr);
        mImage.reset();
    }
    ProcApp mApp;
    std::unique_ptr<DDImage> mImage;
};

TEST_F(CursorTest, SystemCursorsByNumberAndTheArrowOutsideTheWindow)
{
    struct Case {
        int number;
        int shown;
        bool visible;
    };
    const Case cases[] = {{0, 0, true}, {1, 1, true},  {2, 2, true}, {3, 3, true},
                          {4, 4, true}, {5, 5, false}, {6, 0, true}, {-1, 0, true}};
    for (const Case& c : cases) {
        mApp.SetCursor(c.number);
        EXPECT_EQ(mApp.GetCursor(), c.number);
        EXPECT_EQ(Cursor::Current(), c.shown) << c.number;
        EXPECT_EQ(mApp.mSystemCursorShown, c.visible) << c.number;
    }
    mApp.SetCursor(3);
    mApp.mMouseIn = false;
    mApp.ApplyCursor();
    EXPECT_EQ(Cursor::Current(), 0);
}

TEST_F(CursorTest, CustomImagesReplaceTheSystemCursorOnlyWhenEnabled)
{
    mApp.SetCursor(1);
    mApp.SetCursorImage(1, mImage.get());
    EXPECT_EQ(mApp.mDDInterface->mCursorImage, nullptr);
    mApp.mCursorChanged = false;
    mApp.SetCustomCursorsEnabled(true);
    EXPECT_EQ(mApp.mDDInterface->mCursorImage, mImage.get());
    EXPECT_TRUE(mApp.mCursorChanged);
    EXPECT_FALSE(mApp.mSystemCursorShown);
    EXPECT_EQ(Cursor::Current(), -1);

    // A number without its own image falls back to the system cursor.
    mApp.SetCursor(0);
    EXPECT_EQ(mApp.mDDInterface->mCursorImage, nullptr);
    EXPECT_EQ(Cursor::Current(), 0);

    // Hidden, the arrow and no software cursor.
    mApp.SetCursor(1);
    mApp.mIsHidden = true;
    mApp.ApplyCursor();
    EXPECT_EQ(mApp.mDDInterface->mCursorImage, nullptr);
    EXPECT_TRUE(mApp.mSystemCursorShown);

    // Indices outside 0..5 are ignored.
    mApp.SetCursorImage(6, mImage.get());
    mApp.SetCursorImage(-1, mImage.get());
}

TEST_F(CursorTest, DuringPlaybackTheSoftwareCursorShowsAndTheSystemShowsNo)
{
    mApp.mPlayingDemo = true;
    mApp.SetCursorImage(0, mImage.get());
    EXPECT_EQ(mApp.mDDInterface->mCursorImage, mImage.get());
    EXPECT_EQ(Cursor::Current(), Cursor::kNo);
}

TEST(CursorShapes, TheBuiltInHandsAreOutlinedWithTheHotSpotOnTheShape)
{
    for (int number : {Cursor::kHand, Cursor::kDragging}) {
        int hotX = -1, hotY = -1;
        const char* const* rows = Cursor::BuiltInRows(number, hotX, hotY);
        int white = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                char c = rows[y][x];
                ASSERT_TRUE(c == ' ' || c == '.' || c == 'X');
                if (c != '.')
                    continue;
                ++white;
                // Every white pixel is enclosed: no clear pixel beside it.
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        EXPECT_NE(rows[y + dy][x + dx], ' ') << number << " at " << x << "," << y;
            }
        EXPECT_GT(white, 100);
        EXPECT_NE(rows[hotY][hotX], ' ') << number;
    }
    int hotX = 0, hotY = 0;
    Cursor::BuiltInRows(Cursor::kHand, hotX, hotY);
    EXPECT_EQ(hotX, 11);
    EXPECT_EQ(hotY, 4);
    Cursor::BuiltInRows(Cursor::kDragging, hotX, hotY);
    EXPECT_EQ(hotX, 15);
    EXPECT_EQ(hotY, 10);
}
