// The application's main loop: message pump, frame pacer, updates, draws, deferred deletion and the
// cursor and resource-loading threads.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>

#include "app/OlvarnAppBase.h"
#include "core/CriticalSection.h"
#include "graphics/DDInterface.h"
#include "graphics/MemoryImage.h"
#include "platform/Clock.h"
#include "platform/EventPump.h"
#include "platform/SingleInstance.h"
#include "platform/Thread.h"
#include "platform/Window.h"
#include "sound/DSoundManager.h"
#include "sound/MusicInterface.h"
#include "widgets/WidgetManager.h"

namespace Olvarn
{

namespace
{
constexpr int kMaxLoaderYieldMs = 250;
constexpr int kCursorThreadStepMs = 10;
// After this many steps without movement the cursor thread waits for mouse input instead.
constexpr int kCursorStillSteps = 10;
constexpr int kIdleCheckIntervalMs = 1000;
constexpr int kScreenSaverReadIntervalMs = 10000;
} // namespace

// ---- Running -------------------------------------------------------------------------------

void OlvarnAppBase::RunApp()
{
    if (mShutdown)
        return;
    if (!mCursorThreadRunning) {
        mCursorThreadRunning = true;
        RaiseCurrentThreadPriority();
        StartCursorThread();
    }
    if (mAutoStartLoadingThread)
        LaunchLoader();
    if (mMainWindow) {
        mMainWindow->Show();
        mMainWindow->Raise();
    }
    int start = NowMs();
    mInMainLoop = true;
    mLastUserInputTick = start;
    RunMainLoop();
    PerformDeferredDeletions();
    mInMainLoop = false;
    JoinLoader();
    WriteRunStatistics(start);
    OnMainLoopEnd();
    SaveSettings();
}

void OlvarnAppBase::WriteRunStatistics(int start)
{
    std::printf("Seconds       = %g\r\n", (NowMs() - start) * 0.001);
    std::printf("Sleep Count   = %d\r\n", mSleepCount);
    std::printf("Update Count  = %d\r\n", mUpdateCount);
    std::printf("Draw Count    = %d\r\n", mDrawCount.load());
    std::printf("Draw Time     = %d\r\n", mDrawTime);
    std::printf("Screen Blt    = %d\r\n", mScreenBltTime);
    if (mDrawTime + mScreenBltTime > 0)
        std::printf("Avg FPS       = %d\r\n", mDrawCount.load() * 1000 / (mDrawTime + mScreenBltTime));
    std::fflush(stdout);
}

void OlvarnAppBase::RunMainLoop()
{
    while (!mShutdown) {
        mExitToTop = false;
        RunUntilUpdate();
    }
}

bool OlvarnAppBase::RunUntilUpdate()
{
    for (;;) {
        bool updated = false;
        bool keepGoing = PumpStep(updated);
        // Between top-level steps no widget's own code is on the stack, so queued deletions are safe.
        if (mPumpDepth == 0)
            PerformDeferredDeletions();
        if (!keepGoing)
            return false;
        if (updated)
            return true;
    }
}

bool OlvarnAppBase::PumpStep(bool& updated)
{
    updated = false;
    if (mExitToTop)
        return false;
    using Phase = FramePacer::Phase;
    if (mPacer.mPhase == Phase::Draw)
        mPacer.mPhase = Phase::Messages;
    ++mPumpDepth;
    if (mPacer.mPhase == Phase::Messages) {
        PumpPlatformEvents();
        // A replayed event takes the place of the queued message its recording took in this pass:
        // the pass goes on to the update only when no other is due, as the recording's did when it
        // had taken the last one.
        const bool moreDue = PlayNextDueDemoEvent() && PeekDemoEvent();
        if (!DrainQueuedMessages(true) && !moreDue)
            mPacer.mPhase = Phase::Update;
    }
    const bool updatePhase = mPacer.mPhase == Phase::Update || mPacer.mPhase == Phase::Fraction;
    if (updatePhase && mStepMode == 2) {
        mClock->SleepMs(mFrameTime);
        mPacer.mPhase = Phase::Draw;
    } else if (updatePhase && mStepMode == 1) {
        mStepMode = 2;
        UpdateAppTick();
        UpdateAppFraction(1.0f);
        DrawFrame();
    } else {
        int before = mUpdateCount;
        RunFrameStep(true);
        updated = mUpdateCount != before;
    }
    --mPumpDepth;
    return true;
}

// ---- The frame pacer ---------------------------------------------------------------------------

bool OlvarnAppBase::VSyncPacingOn() const
{
    // Pacing by the refresh needs a display device whose presentation waits for the vertical blank;
    // without one there is nothing to wait on and the time account must pace instead.
    if (!mDDInterface)
        return false;
    return !mPlayingDemo && mVSyncUpdates && !mLastDrawWasEmpty && !mVSyncBroken &&
           (!mDisplayWindowed || (mWaitForVSync && !mSoftVSyncWait));
}

bool OlvarnAppBase::RunFrameStep(bool allowSleep)
{
    if (mShutdownPending)
        ShutDownApp();
    bool vsyncPacing = VSyncPacingOn();
    bool refreshPaced = mVSyncUpdates && mRefreshRate > 0;
    double step = FramePacer::StepLength(refreshPaced, mRefreshRate, mFrameTime, mUpdateMultiplier);
    double perStep = FramePacer::StepsPerRefresh(refreshPaced, mRefreshRate, mFrameTime);
    if (DemoFastForward(perStep))
        return true;
    if (mPaused || mUpdateMultiplier <= 0) {
        mPacer.mPhase = FramePacer::Phase::Draw;
        PerformDeferredDeletions();
        // Nothing runs while paused, but the loop must not spin: wait one step for messages.
        if (allowSleep) {
            ++mSleepCount;
            mClock->SleepMs(mFrameTime);
        }
        return true;
    }

    int now = NowMs();
    int slept = 0;
    if (!vsyncPacing)
        mPacer.AccountTime(now);

    bool drawDecision = mPacer.mPhase == FramePacer::Phase::Messages || mPacer.mPhase == FramePacer::Phase::Draw;
    if (mPacer.mPhase == FramePacer::Phase::Update)
        drawDecision = !PacerUpdatePhase(now, step, vsyncPacing);
    else if (mPacer.mPhase == FramePacer::Phase::Fraction)
        PacerFractionPhase(step, perStep, vsyncPacing);
    if (drawDecision && !PacerDrawDecision(step, allowSleep, slept))
        return false;
    if (!PacerYieldToLoader(now, slept, allowSleep))
        return false;
    PerformDeferredDeletions();
    return true;
}

// Phase 1: update when one is due. False sends the pass on to the draw decision.
bool OlvarnAppBase::PacerUpdatePhase(int now, double step, bool vsyncPacing)
{
    if (mPacer.CountUpdateAndCheckLimit(mUpdateMultiplier, mLoaded))
        return false;
    if (!mPacer.UpdateDue(step, vsyncPacing))
        return false;
    if (!mPlayingDemo && mUpdateMultiplier == 1.0)
        RunVSyncHealthTest(now);
    bool didUpdate = UpdateAppTick();
    mPacer.mHasPendingDraw = true;
    if (!didUpdate) {
        // While the user is away the time is not owed: keeping it would make every pass try again
        // at once (a spin), and the return would bring a burst of catch-up updates.
        // A replay standing at its last event is in the same place.
        if (mIdleSuspended || mPlayingDemo)
            mPacer.mTimeAcc = 0;
        return false; // no update could run: draw or sleep rather than ask again at once
    }
    mPacer.mPhase = FramePacer::Phase::Fraction;
    return true;
}

void OlvarnAppBase::RunVSyncHealthTest(int now)
{
    if (mFrameTime <= 0)
        return;
    if (++mVSyncBrokenTestUpdates < (mFrameTime + 999) / mFrameTime)
        return;
    if (now - mVSyncBrokenTestStartTick > 800)
        mVSyncBrokenCount = 0;
    else if (++mVSyncBrokenCount >= 3)
        mVSyncBroken = true;
    mVSyncBrokenTestStartTick = now;
    mVSyncBrokenTestUpdates = 0;
}

// Phase 2: the whole updates owed by refresh pacing beyond the first, then the fraction.
void OlvarnAppBase::PacerFractionPhase(double step, double perStep, bool vsyncPacing)
{
    mPacer.mPhase = FramePacer::Phase::Draw;
    // A nested loop (a modal dialog waiting for its answer) looks at its answer after each pass, and
    // must find it after the same update in a replay as in its recording, however the passes fell:
    // there a pass runs one update and pays for one.
    if (mPumpDepth > 1) {
        UpdateAppFraction(static_cast<float>(perStep));
        PerformDeferredDeletions();
        mPacer.PayStep(step / std::max(perStep, 1.0), vsyncPacing);
        return;
    }
    mPacer.mPendingUpdatesAcc += perStep - 1;
    PerformDeferredDeletions();
    // A replay's due events wait for the next pass rather than being played between these updates,
    // for the same reason. UpdateAppTick stops at the first update that has events due.
    while (mPacer.mPendingUpdatesAcc >= 1) {
        ++mPacer.mUpdatesSinceDraw;
        if (!UpdateAppTick())
            break;
        PerformDeferredDeletions();
        mPacer.mPendingUpdatesAcc -= 1;
    }
    UpdateAppFraction(static_cast<float>(perStep));
    PerformDeferredDeletions();
    mPacer.PayStep(step, vsyncPacing);
}

// Draws what waits to be drawn, or sleeps until the next update is due.
bool OlvarnAppBase::PacerDrawDecision(double step, bool allowSleep, int& slept)
{
    mPacer.mPhase = FramePacer::Phase::Draw;
    mPacer.mUpdatesSinceDraw = 0;
    if (mPacer.mHasPendingDraw) {
        DrawFrame();
        return true;
    }
    int wait = mPacer.MsUntilNextUpdate(step);
    if (wait >= 1) {
        if (!allowSleep)
            return false;
        ++mSleepCount;
        mClock->SleepMs(wait);
        slept = wait;
    }
    return true;
}

// While resources load the main thread sleeps at least as long as it worked (up to 250 ms).
bool OlvarnAppBase::PacerYieldToLoader(int now, int slept, bool allowSleep)
{
    if (!mYieldMainThread)
        return true;
    int t = 2 * (NowMs() - now - slept) - slept;
    t = std::min(t, kMaxLoaderYieldMs);
    if (t < 0)
        return true;
    if (!allowSleep)
        return false;
    mClock->SleepMs(t);
    return true;
}

// ---- Updates and draws -------------------------------------------------------------------------

bool OlvarnAppBase::UpdateAppTick()
{
    // Nothing runs on after the shutdown: a recording ends with the update its close came in.
    if (mIdleSuspended || mShutdown)
        return false;
    // A replay hands over where its recording did, once the recording's hand-over has been played.
    if (mLoadingThreadCompleted && !mLoaded && (!mPlayingDemo || mDemo.mLoadingDoneSeen)) {
        // Resources that failed to load are not a loaded program: nothing may run on without them.
        if (mLoadingFailed)
            ReportLoadingFailure();
        RestoreCurrentThreadPriority();
        mLoaded = true;
        mYieldMainThread = false;
        // Recorded before what the hand-over reads, so the replay meets the two in that order.
        RecordLoadingDone();
        OnLoadingFinished();
    }
    if (mPlayingDemo && DemoBlocksUpdate())
        return false;
    UpdateAppOnce();
    DemoCheckAfterUpdate();
    return true;
}

void OlvarnAppBase::UpdateAppOnce()
{
    ++mUpdateCount;
    if (!mMinimized && mWidgetManager && mWidgetManager->UpdateWidgets())
        ++mUpdateChangedCount;
    if (mMusicInterface)
        mMusicInterface->Update();
}

void OlvarnAppBase::UpdateAppFraction(float fraction)
{
    if (mVSyncUpdates && !mMinimized && mWidgetManager)
        mWidgetManager->UpdateWidgetsFraction(fraction);
}

bool OlvarnAppBase::DrawFrame()
{
    if (mDisplayLost) {
        RepaintWindow(nullptr);
        mPacer.mHasPendingDraw = false;
        mLastDrawWasEmpty = true;
        return false;
    }
    UpdateDeveloperOverlays();
    int drawStart = NowMs();
    if (drawStart - mLastIdleCheckTick > kIdleCheckIntervalMs) {
        mLastIdleCheckTick = drawStart;
        RunIdleCheck(drawStart);
    }
    if (mIdleSuspended) {
        mPacer.mHasPendingDraw = false;
        mLastDrawWasEmpty = true;
        return false;
    }
    mIsDrawing = true;
    bool drawn = mWidgetManager && mWidgetManager->DrawWidgets();
    mIsDrawing = false;
    bool tooEarly = drawStart < mNextDrawTick;
    if ((!drawn && drawStart - mLastDrawTick < 1000 && !mCursorChanged) || tooEarly) {
        // Nothing new reaches the screen: the frame is done with, so the pacer sleeps rather than
        // asking for it again at once.
        mPacer.mHasPendingDraw = false;
        mLastDrawWasEmpty = true;
        return false;
    }
    ++mDrawCount;
    mDrawTime += NowMs() - drawStart;
    DrawDeveloperOverlays();
    if (mWaitForVSync && mDisplayWindowed && mSoftVSyncWait && mRefreshRate > 0) {
        int frameMs = 1000 / mRefreshRate;
        int since = NowMs() - mLastDrawTick;
        if (since < frameMs)
            mClock->SleepMs(frameMs - since);
    }
    int bltStart = NowMs();
    mLastDrawTick = bltStart;
    // When only widgets' areas were drawn, only they change on the screen; overlays and a changed
    // cursor may lie anywhere, so they show the whole picture.
    Rect drawnArea = drawn ? mWidgetManager->DrawnArea() : Rect();
    const bool partly = drawnArea.mWidth > 0 && drawnArea.mHeight > 0 && !mCursorChanged && !mOverlaysOn;
    RepaintWindow(partly ? &drawnArea : nullptr);
    int finished = NowMs();
    mPacer.AccountTime(finished);
    mScreenBltTime = finished - bltStart;
    if (mLoadingThreadStarted && !mLoadingThreadCompleted) {
        int d = std::max(finished - drawStart, 15);
        mNextDrawTick = std::max(mNextDrawTick + d + 35, finished);
    } else {
        mNextDrawTick = finished;
    }
    mPacer.mHasPendingDraw = false;
    mCursorChanged = false;
    mLastDrawWasEmpty = false;
    if (mHardware3DDeferred && !mDisplayLost)
        StartDeferredHardware3D();
    return true;
}

// Stops updates and draws while nobody uses a windowed program for longer than the desktop waits
// before its screen saver; the first input within that time brings them back.
void OlvarnAppBase::RunIdleCheck(int now)
{
    if (!mDisplayWindowed || mIsScreenSaver)
        return;
    if (!mScreenSaverRead || now - mLastScreenSaverReadTick > kScreenSaverReadIntervalMs) {
        int timeoutSeconds = 0;
        bool active = false, running = false;
        mScreenSaverRead = true;
        mLastScreenSaverReadTick = now;
        // A desktop that does not tell its screen saver gets no suspension.
        mScreenSaverActive = ReadScreenSaverSettings(timeoutSeconds, active, running) && active;
        mIdleLimitMs = std::max(timeoutSeconds - 2, 1) * 1000;
        if (!mScreenSaverActive)
            mIdleSuspended = false;
    }
    if (!mScreenSaverActive)
        return;
    int idle = now - mLastUserInputTick;
    if (mIdleSuspended) {
        int timeoutSeconds = 0;
        bool active = false, running = false;
        bool saverRuns = ReadScreenSaverSettings(timeoutSeconds, active, running) && running;
        if (!saverRuns && idle < mIdleLimitMs) {
            mIdleSuspended = false;
            if (mWidgetManager)
                mWidgetManager->InvalidateTree();
        }
    } else if (idle > mIdleLimitMs) {
        mIdleSuspended = true;
    }
}

void OlvarnAppBase::RepaintWindow(const Rect* rect)
{
    if (mIsDrawing || mShutdown || mIdleSuspended || !mDDInterface)
        return;
    if (mDDInterface->Redraw(rect)) {
        if (mDisplayLost) {
            mDisplayLost = false;
            mLastDisplayRestartTick = 0;
        }
        ++mFPSFlipCount;
        return;
    }
    // Drawing stops until the display is started again.
    ClearSceneFailure();
    mDisplayLost = true;
    RestartLostDisplay();
}

// ---- Deferred deletion ---------------------------------------------------------------------------

void OlvarnAppBase::DeleteWidgetLater(Widget* widget)
{
    mDeferredDeletions.emplace_back(mPumpDepth, widget);
}

void OlvarnAppBase::PerformDeferredDeletions()
{
    // An entry goes only once the pump has left the depth it was queued at (or is back at the top),
    // so a nested loop never returns into a widget that was deleted under it.
    for (;;) {
        auto it = std::find_if(mDeferredDeletions.begin(), mDeferredDeletions.end(),
                               [this](const auto& entry) { return mPumpDepth == 0 || mPumpDepth < entry.first; });
        if (it == mDeferredDeletions.end())
            return;
        Widget* widget = it->second;
        mDeferredDeletions.erase(it);
        delete widget;
    }
}

// ---- Threads ---------------------------------------------------------------------------------

void OlvarnAppBase::StartCursorThread()
{
    mCursorThread = std::thread([this] { CursorThreadProc(); });
}

void OlvarnAppBase::WakeCursorThread()
{
    {
        std::lock_guard<std::mutex> lock(mCursorWakeLock);
        mCursorWakePending = true;
    }
    mCursorWake.notify_one();
}

void OlvarnAppBase::StopCursorThread()
{
    WakeCursorThread();
    if (mCursorThread.joinable())
        mCursorThread.join();
    mCursorThreadRunning = false;
}

void OlvarnAppBase::CursorThreadProc()
{
    NameCurrentThread("cursor");
    RaiseCurrentThreadPriority();
    // The thread only hands the mouse position to the display device; the main thread draws it.
    // It keeps its 10 ms rhythm while the mouse moves and sleeps until the next mouse input once it
    // has stood still for a while, so an idle program does not wake a hundred times a second.
    int lastX = 0, lastY = 0, stillSteps = 0;
    while (!mShutdown) {
        const int oldX = lastX, oldY = lastY;
        PublishCursorPosition(lastX, lastY);
        stillSteps = (lastX != oldX || lastY != oldY) ? 0 : stillSteps + 1;
        if (stillSteps < kCursorStillSteps) {
            SystemClock::Instance().SleepMs(kCursorThreadStepMs);
            continue;
        }
        std::unique_lock<std::mutex> lock(mCursorWakeLock);
        mCursorWake.wait(lock, [this] { return mCursorWakePending || mShutdown; });
        mCursorWakePending = false;
        stillSteps = 0;
    }
    mCursorThreadRunning = false;
}

void OlvarnAppBase::LaunchLoader()
{
    if (mLoadingThreadStarted)
        return;
    mYieldMainThread = true;
    RaiseCurrentThreadPriority();
    mLoadingThreadStarted = true;
    mLoadingThread = std::thread([this] { LoadingThreadProc(); });
}

void OlvarnAppBase::LoadingThreadProc()
{
    NameCurrentThread("loader");
    try {
        LoadResourcesInBackground();
    } catch (const std::exception& e) {
        mLoadingError = e.what();
        mLoadingFailed = true;
    } catch (const char* text) {
        // Start-up failures are thrown as plain texts.
        mLoadingError = text ? text : "";
        mLoadingFailed = true;
    } catch (...) {
        mLoadingError = "Resource loading failed.";
        mLoadingFailed = true;
    }
    std::printf("Resource Loading Time: %d\r\n", SystemClock::Instance().NowMs() - mConstructionSystemMs);
    mLoadingThreadCompleted = true;
}

void OlvarnAppBase::ReportLoadingFailure()
{
    // The loader has finished (mLoadingThreadCompleted was set after the text), so it is read safely.
    ShowFatalMessage(mLoadingError.empty() ? std::string("Resource loading failed.") : mLoadingError);
    ExitProcessClean(1);
}

void OlvarnAppBase::JoinLoader()
{
    if (mLoadingThread.joinable())
        mLoadingThread.join();
}

double OlvarnAppBase::GetLoadingProgress()
{
    if (mLoaded)
        return 1.0;
    if (!mLoadingThreadStarted || mNumLoadingThreadTasks <= 0)
        return 0.0;
    return std::min(1.0, double(mCompletedLoadingThreadTasks) / double(mNumLoadingThreadTasks));
}

// ---- Images --------------------------------------------------------------------------------

void OlvarnAppBase::SetImageSetLock(CriticalSection* lock)
{
    mImageSetLock = lock ? lock : mOwnImageSetLock.get();
}

void OlvarnAppBase::RegisterImage(MemoryImage* image)
{
    CriticalSectionLock lock(*mImageSetLock);
    mMemoryImageSet.insert(image);
}

void OlvarnAppBase::UnregisterImage(MemoryImage* image)
{
    CriticalSectionLock lock(*mImageSetLock);
    mMemoryImageSet.erase(image);
    ReleaseImageTextures(image);
}

void OlvarnAppBase::ReleaseImageTextures(MemoryImage* image)
{
    if (mDDInterface)
        mDDInterface->ReleaseImageTextures(image);
}

void OlvarnAppBase::ReleaseImageNativeData()
{
    CriticalSectionLock lock(*mImageSetLock);
    for (MemoryImage* image : mMemoryImageSet)
        image->DeleteNativeData();
}

void OlvarnAppBase::ReleaseImageDerivedData()
{
    CriticalSectionLock lock(*mImageSetLock);
    for (MemoryImage* image : mMemoryImageSet)
        image->DeleteExtraData();
}

void OlvarnAppBase::RestoreImagesAfterDisplayInit()
{
    CriticalSectionLock lock(*mImageSetLock);
    for (MemoryImage* image : mMemoryImageSet)
        image->ApplyStorageOptions();
}

} // namespace Olvarn
