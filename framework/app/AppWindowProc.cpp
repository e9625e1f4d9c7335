// The application's window procedure and input routing: what the event pump reports is handled at
// once or queued, and the queue is drained into the widget manager and the application's own window
// state (focus, minimising, automatic mute, capture, cursor) between updates.
#include <vector>

#include "app/OlvarnAppBase.h"
#include "graphics/DDInterface.h"
#include "platform/Clock.h"
#include "platform/Cursor.h"
#include "platform/EventPump.h"
#include "platform/KeyMap.h"
#include "platform/SingleInstance.h"
#include "platform/VideoSystem.h"
#include "platform/Window.h"
#include "widgets/WidgetManager.h"

namespace Olvarn
{

namespace
{

constexpr int kKeyD = 'D';
// Screensaver mode ends after this many mouse moves to new positions.
constexpr int kScreenSaverMoveLimit = 3;
constexpr int kPowerOffGraceMs = 1000;
constexpr int kAwakeGapMs = 500;
constexpr int kUrlWatchSettleMs = 5000;
constexpr int kUrlConfirmMs = 8000;
constexpr int kUrlFailMs = 12000;

bool IsQueuedKind(AppMessageKind kind)
{
    switch (kind) {
    case AppMessageKind::Move:
    case AppMessageKind::Size:
    case AppMessageKind::Close:
    case AppMessageKind::Activate:
    case AppMessageKind::KeyDown:
    case AppMessageKind::KeyUp:
    case AppMessageKind::Char:
    case AppMessageKind::SysKeyDown:
    case AppMessageKind::SysKeyUp:
    case AppMessageKind::Timer:
    case AppMessageKind::MouseMove:
    case AppMessageKind::LButtonDown:
    case AppMessageKind::LButtonUp:
    case AppMessageKind::LButtonDblClk:
    case AppMessageKind::RButtonDown:
    case AppMessageKind::RButtonUp:
    case AppMessageKind::RButtonDblClk:
    case AppMessageKind::MButtonDown:
    case AppMessageKind::MButtonUp:
    case AppMessageKind::MouseWheel:
        return true;
    default:
        return false;
    }
}

bool IsKeyKind(AppMessageKind kind)
{
    return kind == AppMessageKind::KeyDown || kind == AppMessageKind::KeyUp || kind == AppMessageKind::SysKeyDown ||
           kind == AppMessageKind::SysKeyUp;
}

bool IsMouseKind(AppMessageKind kind)
{
    return kind >= AppMessageKind::MouseMove && kind <= AppMessageKind::MButtonUp;
}

bool IsButtonDownKind(AppMessageKind kind)
{
    return kind == AppMessageKind::LButtonDown || kind == AppMessageKind::LButtonDblClk ||
           kind == AppMessageKind::RButtonDown || kind == AppMessageKind::RButtonDblClk ||
           kind == AppMessageKind::MButtonDown;
}

} // namespace

// ---- Pumping -------------------------------------------------------------------------------------

void OlvarnAppBase::PumpPlatformEvents()
{
    std::vector<AppMessage> records;
    mEventPump->Poll(mMainWindow.get(), NowMs(), records);
    if (mSingleInstance) {
        int notices = mSingleInstance->PollNotices("Notify" + mProductName);
        for (int i = 0; i < notices; ++i) {
            AppMessage notify;
            notify.mKind = AppMessageKind::Notify;
            records.push_back(notify);
        }
    }
    for (const AppMessage& record : records) {
        if (IsMouseKind(record.mKind) || record.mKind == AppMessageKind::MouseWheel) {
            WakeCursorThread();
            break;
        }
    }
    for (const AppMessage& record : records) {
        if (mShutdown)
            break;
        WindowProc(record);
    }
    // The desktop asks nothing before it blanks the screen, so the rule is applied up front: the
    // screen saver may start only once loading was handed over, in a window, with power-off allowed
    // (one switch covers both here).
    VideoSystem::SetScreenSaverAllowed(mLoaded && mDisplayWindowed && mAllowMonitorPowersave);
    // The cursor thread only publishes the mouse position; the cursor is drawn here, on the main thread.
    if (mDDInterface && !mShutdown)
        mDDInterface->UpdateCursor();
}

// ---- The window procedure ------------------------------------------------------------------------

int64_t OlvarnAppBase::WindowProc(const AppMessage& message)
{
    int64_t result = 0;
    if (mIsScreenSaver && ScreenSaverFilter(message, result))
        return result;
    if (message.mKind == AppMessageKind::Activate && !mPlayingDemo && message.mWindow == AppWindowRole::Main)
        mHasFocus = message.mParam1 != 0;
    if (IsQueuedKind(message.mKind))
        return WindowProcQueued(message);
    switch (message.mKind) {
    case AppMessageKind::Paint:
        if (!mInitialized || mIsHidden)
            return DefaultWindowProc(message);
        if (mInMainLoop)
            RepaintWindow(nullptr);
        return 0;
    case AppMessageKind::EndSession:
        ShutDownApp();
        return DefaultWindowProc(message);
    case AppMessageKind::SysChar:
        return ConsumesAltKey(static_cast<int>(message.mParam1)) ? 0 : DefaultWindowProc(message);
    case AppMessageKind::Notify:
        if (mMainWindow) {
            if (mMainWindow->IsMinimized())
                mMainWindow->Restore();
            mMainWindow->Raise();
        }
        return 0;
    default:
        return DefaultWindowProc(message);
    }
}

int64_t OlvarnAppBase::WindowProcQueued(const AppMessage& message)
{
    if (mInSystemPopup)
        return DefaultWindowProc(message);
    const AppMessageKind kind = message.mKind;
    const int key = static_cast<int>(message.mParam1);
    if (IsKeyKind(kind)) {
        bool down = kind == AppMessageKind::KeyDown || kind == AppMessageKind::SysKeyDown;
        if (key == VK_CONTROL)
            mCtrlDown = down;
        else if (key == VK_MENU)
            mAltDown = down;
        if (down && FilterKeyDown(key, mCtrlDown, mAltDown))
            return 0;
    }
    if (OfferToDemoOverlay(message))
        return 0;
    if (mPlayingDemo) {
        if (kind == AppMessageKind::Char)
            HandleDemoPlaybackKey(key);
        else if (kind == AppMessageKind::KeyDown)
            HandleDeveloperKey(key);
    }
    size_t before = mMessageQueue.size();
    bool timerCollapsed =
        kind == AppMessageKind::Timer && !mMessageQueue.empty() && mMessageQueue.back().mKind == AppMessageKind::Timer;
    QueueMessage(message);
    if (timerCollapsed)
        return DefaultWindowProc(message);
    if (kind == AppMessageKind::SysKeyDown) {
        if (key == VK_RETURN && !mWindowedUnavailable && !mFullScreenUnavailable) {
            if (mMessageQueue.size() > before)
                mMessageQueue.pop_back();
            ChangeWindowedMode(!mIsWindowed);
            if (mWidgetManager)
                mWidgetManager->ClearKeyTable();
            return 0;
        }
        // Only Alt+F4 reaches the system; other Alt combinations would open the window menu.
        return key == VK_F4 ? DefaultWindowProc(message) : 0;
    }
    if (kind == AppMessageKind::Close) {
        OnCloseQueued();
        return 0;
    }
    return DefaultWindowProc(message);
}

int64_t OlvarnAppBase::DefaultWindowProc(const AppMessage& message)
{
    // The desktop closes a window on Alt+F4 by sending it a close message.
    if (message.mKind == AppMessageKind::SysKeyDown && message.mParam1 == VK_F4) {
        AppMessage close;
        close.mWindow = message.mWindow;
        close.mKind = AppMessageKind::Close;
        WindowProc(close);
    }
    return 0;
}

bool OlvarnAppBase::ScreenSaverFilter(const AppMessage& message, int64_t& result)
{
    if (mScreenSaverClosing)
        return false;
    result = 0;
    const AppMessageKind kind = message.mKind;
    bool closes = (kind == AppMessageKind::Activate && message.mParam1 == 0) || kind == AppMessageKind::KeyDown ||
                  kind == AppMessageKind::SysKeyDown || kind == AppMessageKind::Close || IsButtonDownKind(kind);
    if (kind == AppMessageKind::MouseMove) {
        int x = MessageX(message.mParam2), y = MessageY(message.mParam2);
        // The first position seen stands for the one at window creation.
        bool moved = mScreenSaverMouseX >= 0 && (x != mScreenSaverMouseX || y != mScreenSaverMouseY);
        mScreenSaverMouseX = x;
        mScreenSaverMouseY = y;
        if (moved && ++mScreenSaverMoves > kScreenSaverMoveLimit)
            closes = true;
        else
            return true; // swallowed
    }
    if (!closes || message.mWindow != AppWindowRole::Main)
        return false;
    bool graceKind =
        kind == AppMessageKind::Activate || kind == AppMessageKind::Close || kind == AppMessageKind::MouseMove;
    if (graceKind && mMonitorPowerOffTick != 0 &&
        static_cast<int>(mClock->TickCount()) - mMonitorPowerOffTick < kPowerOffGraceMs)
        return kind == AppMessageKind::MouseMove;
    mScreenSaverClosing = true;
    AppMessage close;
    close.mKind = AppMessageKind::Close;
    WindowProc(close);
    return true;
}

void OlvarnAppBase::HandleDemoPlaybackKey(int character)
{
    switch (character) {
    case '+':
        mUpdateMultiplier *= 1.5;
        break;
    case '-':
        mUpdateMultiplier *= 2.0 / 3.0;
        break;
    case '=':
        mUpdateMultiplier = 1.0;
        break;
    case 'P':
    case 'p':
        mPaused = !mPaused;
        mPacer.ForgetTime();
        break;
    case 'S':
    case 's':
        // Each volume by itself: a sounding one is saved and silenced, a silent one given back.
        if (mMusicVolume != 0) {
            mSavedMusicVolume = mMusicVolume;
            SetMusicVolume(0);
        } else {
            SetMusicVolume(mSavedMusicVolume);
        }
        if (mSfxVolume != 0) {
            mSavedSfxVolume = mSfxVolume;
            SetSfxVolume(0);
        } else {
            SetSfxVolume(mSavedSfxVolume);
        }
        break;
    default:
        HandleDemoJumpKey(character);
        break;
    }
}

// ---- The queue -------------------------------------------------------------------------------------

void OlvarnAppBase::QueueMessage(const AppMessage& message)
{
    if (!mMessageQueue.empty()) {
        AppMessageKind last = mMessageQueue.back().mKind;
        if (last == AppMessageKind::Close)
            return; // a close ends the queue
        if (last == AppMessageKind::Timer && message.mKind == AppMessageKind::Timer)
            return;
    }
    mMessageQueue.push_back(message);
}

bool OlvarnAppBase::DrainQueuedMessages(bool single)
{
    while (!mMessageQueue.empty()) {
        AppMessage message = mMessageQueue.front();
        mMessageQueue.pop_front();
        // Input reaches the widgets through the recording and the event player; a replay routes
        // none, its input comes from the recording.
        if (!mPlayingDemo && !RouteInputThroughPlayer(message))
            RouteMessage(message);
        if (message.mKind == AppMessageKind::Close) {
            mDemo.mSyncEnded = mPlayingDemo;
            ShutDownApp();
        }
        if (single)
            break;
    }
    return !mMessageQueue.empty();
}

void OlvarnAppBase::RouteMessage(const AppMessage& message)
{
    const bool main = message.mWindow == AppWindowRole::Main;
    switch (message.mKind) {
    case AppMessageKind::Move:
        if (main && mIsWindowed && mMainWindow && !mMainWindow->IsMinimized() && !mMainWindow->IsFullScreen()) {
            int x = 0, y = 0, top = 0, left = 0, bottom = 0, right = 0;
            mMainWindow->GetPosition(x, y);
            mMainWindow->GetBorders(top, left, bottom, right);
            mPreferredX = x - left;
            mPreferredY = y - top;
        }
        break;
    case AppMessageKind::Timer:
        if (!mIsHidden && mInMainLoop)
            RouteTimer();
        break;
    default:
        break;
    }
}

bool OlvarnAppBase::TakeDeveloperKey(int key)
{
    if (!mWidgetManager)
        return false;
    if (key == kKeyD && mWidgetManager->IsKeyDown(WidgetManager::kKeyControl) &&
        mWidgetManager->IsKeyDown(WidgetManager::kKeyAlt)) {
        // The original played a system sound here; this desktop has none to name.
        mDeveloperKeysOn = !mDeveloperKeysOn;
    }
    return mDeveloperKeysOn && HandleDeveloperKey(key);
}

void OlvarnAppBase::RouteTimer()
{
    const int t = static_cast<int>(mClock->TickCount());
    if (t - mLastTimerTime > kAwakeGapMs)
        mAwakeSince = t;
    mLastTimerTime = t;
    if (mIsOpeningURL && t - mAwakeSince > kUrlWatchSettleMs) {
        int d = t - mOpeningURLTime;
        if (d > kUrlConfirmMs && !mHasFocus)
            OnUrlOpenConfirmed(mOpeningURL);
        else if (d > kUrlFailMs && mHasFocus)
            OnUrlOpenFailed(mOpeningURL);
    }
    const int x = mEventPump->MouseX(), y = mEventPump->MouseY();
    const bool inside = mEventPump->MouseInWindow() && x >= 0 && y >= 0 && x < mWidth && y < mHeight;
    if (inside == mMouseIn)
        return;
    DemoEvent event;
    event.mKind = inside ? DemoEventKind::MouseEntered : DemoEventKind::MouseLeft;
    RecordDemoEvent(event);
    PlayDemoEvent(event);
}

void OlvarnAppBase::UpdateFocusState()
{
    bool active = mHasFocus && !mMinimized;
    if (active == mActive)
        return;
    mActive = active;
    if (active) {
        if (mMuteOnLostFocus)
            Unmute(true);
        if (mWidgetManager)
            mWidgetManager->OnAppActivated();
        OnAppActivated();
    } else {
        if (mMuteOnLostFocus)
            Mute(true);
        if (mWidgetManager)
            mWidgetManager->OnAppDeactivated();
        OnAppDeactivated();
        if (mMainWindow)
            mMainWindow->CaptureMouse(false);
        if (mWidgetManager)
            mWidgetManager->ReleaseMouseButtons();
    }
}

// ---- Cursors ---------------------------------------------------------------------------------------

void OlvarnAppBase::SetCursor(int number)
{
    mCursorNum = number;
    ApplyCursor();
}

void OlvarnAppBase::SetCursorImage(int index, DDImage* image)
{
    if (index < 0 || index >= Cursor::kCount)
        return;
    mCursorImages[index] = image;
    ApplyCursor();
}

void OlvarnAppBase::SetCustomCursorsEnabled(bool enabled)
{
    mCustomCursorsEnabled = enabled;
    ApplyCursor();
}

void OlvarnAppBase::ApplyCursor()
{
    if (!mDDInterface)
        return;
    bool changed = false;
    bool shown = true;
    DDImage* custom = mCursorNum >= 0 && mCursorNum < Cursor::kCount ? mCursorImages[mCursorNum] : nullptr;
    if (mIsHidden || !mMouseIn) {
        Cursor::Show(Cursor::kPointer);
        changed = mDDInterface->SetCursorImage(nullptr);
    } else if (custom && (mCustomCursorsEnabled || mPlayingDemo)) {
        changed = mDDInterface->SetCursorImage(custom);
        if (mPlayingDemo) {
            // The software cursor shows the recorded position; the real mouse is marked as idle.
            shown = Cursor::Show(Cursor::kNo);
        } else {
            Cursor::Hide();
            shown = false;
        }
    } else {
        shown = Cursor::Show(mCursorNum);
        changed = mDDInterface->SetCursorImage(nullptr);
    }
    if (changed)
        mCursorChanged = true;
    mSystemCursorShown = shown;
}

void OlvarnAppBase::PublishCursorPosition(int& lastX, int& lastY)
{
    if (!mDDInterface)
        return;
    int x = mPlayingDemo ? mRecordedMouseX.load() : mEventPump->MouseX();
    int y = mPlayingDemo ? mRecordedMouseY.load() : mEventPump->MouseY();
    if (x == lastX && y == lastY)
        return;
    mDDInterface->SetCursorPos(x, y);
    lastX = x;
    lastY = y;
}

} // namespace Olvarn
