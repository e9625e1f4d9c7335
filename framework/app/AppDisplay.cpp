// The main window and the display device on it: placement, start-up with its fallbacks (full screen
// refused, desktop depth unusable, hardware acceleration failing), screen-mode switches, restarts of
// a lost display and the hardware-acceleration question at exit.
#include <algorithm>
#include <string>

#include "app/OlvarnAppBase.h"
#include "core/CriticalSection.h"
#include "graphics/D3DTester.h"
#include "graphics/DDImage.h"
#include "graphics/DDInterface.h"
#include "platform/Clock.h"
#include "platform/EventPump.h"
#include "platform/Window.h"
#include "sound/DSoundManager.h"
#include "widgets/WidgetManager.h"

namespace Olvarn
{

namespace
{

// Where a new captioned window is first made, before it is moved to its place.
constexpr int kInitialWindowPos = 64;
constexpr int kWorkAreaMargin = 4;
constexpr double kGoldenRatioFraction = 0.382;
constexpr int kRestartIntervalMs = 1000;

} // namespace

// ---- The main window -----------------------------------------------------------------------------

void OlvarnAppBase::CreateMainWindow()
{
    if (mMainWindow) {
        // The display device presents into the old window: let go of it before the window goes.
        if (mDDInterface)
            mDDInterface->ReleaseWindow();
        mMainWindow.reset();
        if (mWidgetManager)
            mWidgetManager->mScreenImage = nullptr;
    }
    // The device comes first: the stored 3D choice decides what kind of window is made.
    if (!mDDInterface) {
        mDDInterface = new DDInterface(this, GetDisplayOptions());
        uint32_t is3D = 0;
        if (ReadRegistryDWORD("Is3D", is3D)) {
            if (mAuto3D) {
                mAuto3D = false;
                mTest3D = true;
            }
            if (is3D != 0)
                mTest3D = true;
            mDDInterface->Set3DEnabled(is3D != 0);
        }
    }
    // Only a start with something of 3D to do waits (a second pass, after a refused mode, keeps the
    // choice the first one put aside).
    if (mHardware3DDeferred && !mDDInterface->Is3DEnabled() && !mDeferred3DOn && !mTest3D && !mAuto3D)
        mHardware3DDeferred = false;
    if (mHardware3DDeferred) {
        mDeferred3DOn = mDeferred3DOn || mDDInterface->Is3DEnabled();
        mDDInterface->Set3DEnabled(false);
    }
    MakeMainWindow();
    StartDisplayOnMainWindow();
}

void OlvarnAppBase::StartDisplayOnMainWindow()
{
    // The loading thread makes surfaces for the pictures it loads. One made between the release
    // below and the device's start belongs to the old device and would draw as nothing afterwards,
    // so the image set stays locked until every picture has been restored on the new one.
    CriticalSectionLock imageSetLock(*mImageSetLock);
    OnBeforeDisplayInit();
    ReleaseImageNativeData();
    mDisplayInitResult = StartDisplayDevice();
    // A freshly run 3D acceptance test replaces the stored choice.
    if (mDDInterface->Get3DTester() && mDDInterface->Get3DTester()->mFreshResult)
        DeleteRegistryValue("Is3D");
    if (HandleDisplayInitResult(mDisplayInitResult))
        OnDisplayStarted();
}

void OlvarnAppBase::StartDeferredHardware3D()
{
    if (!mHardware3DDeferred)
        return;
    mHardware3DDeferred = false;
    if (!mDDInterface || !mMainWindow)
        return;
    // A 3D start keeps the plain window the first frame went to: the device draws in a context of its
    // own, and a new window now would make the loading screen blink.
    mDDInterface->Set3DEnabled(mDeferred3DOn);
    StartDisplayOnMainWindow();
}

void OlvarnAppBase::MakeMainWindow()
{
    WindowSpec spec;
    spec.mTitle = mTitle;
    spec.mWidth = mWidth;
    spec.mHeight = mHeight;
    const bool captioned = mPlayingDemo || (mIsWindowed && !mDesktopFullScreen);
    spec.mFullScreen = !captioned;
    spec.mShown = !captioned;
    spec.mOpenGL = WantsOpenGLWindow();
    if (captioned) {
        spec.mX = kInitialWindowPos;
        spec.mY = kInitialWindowPos;
    }
    std::string error;
    mMainWindow = Window::Create(spec, error);
    if (!mMainWindow) {
        ShowFatalMessage("Failed to create the main window: " + error);
        ExitProcessClean(1);
    }
    mDisplayWindowed = captioned;
    if (captioned) {
        int top = 0, left = 0, bottom = 0, right = 0;
        mMainWindow->GetBorders(top, left, bottom, right);
        int outerWidth = mWidth + left + right;
        int outerHeight = mHeight + top + bottom;
        int workX = 0, workY = 0, workWidth = 0, workHeight = 0;
        if (Window::UsableDesktopArea(workX, workY, workWidth, workHeight)) {
            int x = 0, y = 0;
            if (mPreferredX == -1 && mPreferredY == -1) {
                x = workX + (workWidth - outerWidth) / 2;
                y = workY + static_cast<int>(kGoldenRatioFraction * (workHeight - outerHeight));
            } else {
                x = std::max(mPreferredX, workX + kWorkAreaMargin);
                y = std::max(mPreferredY, workY + kWorkAreaMargin);
                int workRight = workX + workWidth, workBottom = workY + workHeight;
                if (x + outerWidth >= workRight - kWorkAreaMargin)
                    x = workRight - kWorkAreaMargin - outerWidth;
                if (y + outerHeight >= workBottom - kWorkAreaMargin)
                    y = workBottom - kWorkAreaMargin - outerHeight;
            }
            // The desktop places the client area; the frame lies around it.
            mMainWindow->SetPosition(x + left, y + top);
        }
    }
    // The window timer: one tick per update step.
    mEventPump->SetTimer(mFrameTime, NowMs());
}

bool OlvarnAppBase::WantsOpenGLWindow() const
{
    // The 3D device draws in a context of its own; only its frames' present gains from an OpenGL
    // window. Without 3D the window's own surface is the cheapest way to the screen.
    return mDDInterface && mDDInterface->Is3DEnabled();
}

// ---- Starting the display --------------------------------------------------------------------------

DisplayOptions OlvarnAppBase::GetDisplayOptions() const
{
    DisplayOptions options;
    options.mWidth = mWidth;
    options.mHeight = mHeight;
    options.mColorDepth = mColorDepth;
    options.mWaitForVSync = mWaitForVSync;
    options.mSoftVSyncWait = mSoftVSyncWait;
    options.mUsePageFlipping = mUsePageFlipping;
    options.mTest3D = mTest3D && !mHardware3DDeferred;
    options.mAuto3D = mAuto3D && !mHardware3DDeferred;
    options.mMinVidMemory = unsigned(std::max(mMinVidMemory, 0));
    options.mRecVidMemory = unsigned(std::max(mRecommendedVidMemory, 0));
    return options;
}

int OlvarnAppBase::StartDisplayDevice()
{
    // Settings and screen-mode changes since the last start reach the device here.
    mDDInterface->mOptions = GetDisplayOptions();
    const int result = mDDInterface->Init(mMainWindow.get(), mDisplayWindowed);
    UpdateDisplayState();
    return result;
}

bool OlvarnAppBase::HandleDisplayInitResult(int result)
{
    if (mIsWindowed && result == DDInterface::RESULT_INVALID_COLORDEPTH) {
        if (mFullScreenUnavailable) {
            ShowFatalMessage("Please set your desktop color depth to 16 bit.");
            ExitProcessClean(1);
        }
        mWindowedUnavailable = true;
        ChangeWindowedMode(false);
        mFullScreenForced = true;
        return false;
    }
    if (!mIsWindowed &&
        (result == DDInterface::RESULT_EXCLUSIVE_FAIL || result == DDInterface::RESULT_DISPCHANGE_FAIL)) {
        mFullScreenUnavailable = true;
        ChangeWindowedMode(true);
        // A window may be just as impossible (its depth refused before); then nothing started and
        // there is nothing to go on with.
        if (!mDDInterface->IsInitialized())
            FailDisplayStart(result);
        return true;
    }
    if (result == DDInterface::RESULT_3D_INIT_FAIL ||
        (result != DDInterface::RESULT_OK && mDDInterface->Is3DEnabled())) {
        Set3DEnabled(false, true);
        return false;
    }
    if (result != DDInterface::RESULT_OK)
        FailDisplayStart(result);
    return true;
}

void OlvarnAppBase::FailDisplayStart(int result)
{
    ShowFatalMessage("Failed to initialize DirectDraw: " + DDInterface::GetResultName(result) + " " +
                     mDDInterface->mErrorString);
    ExitProcessClean(1);
}

void OlvarnAppBase::OnDisplayStarted()
{
    if (mMinimized) {
        mMinimized = false;
        if (mMuteOnLostFocus)
            Unmute(true);
        UpdateFocusState();
    }
    RestoreImagesAfterDisplayInit();
    if (mWidgetManager) {
        mWidgetManager->mScreenImage = mDDInterface->GetScreenImage();
        mWidgetManager->InvalidateTree();
    }
}

// ---- Screen modes ----------------------------------------------------------------------------------

void OlvarnAppBase::ChangeScreenMode(bool windowed, bool is3D, bool force)
{
    if (mWindowedUnavailable && windowed) {
        windowed = false;
        mFullScreenForced = true;
    } else if (windowed != mIsWindowed) {
        // A switch asked for is the user's choice from now on.
        mFullScreenForced = false;
    }
    if (windowed == mIsWindowed && !force) {
        Set3DEnabled(is3D, true);
        return;
    }
    Set3DEnabled(is3D, false);
    mIsWindowed = windowed;
    CreateMainWindow();
    if (mMainWindow) {
        if (mIsOpeningURL) {
            mMainWindow->ShowWithoutActivating();
        } else {
            mMainWindow->Show();
            mMainWindow->Raise();
        }
    }
    if (mSoundManager)
        mSoundManager->SetWindow(mMainWindow.get(), mIsWindowed);
}

void OlvarnAppBase::ChangeWindowedMode(bool windowed)
{
    ChangeScreenMode(windowed, mDDInterface && mDDInterface->Is3DEnabled(), false);
}

void OlvarnAppBase::ReapplyScreenMode()
{
    ChangeScreenMode(mIsWindowed, mDDInterface && mDDInterface->Is3DEnabled(), true);
}

void OlvarnAppBase::Set3DEnabled(bool on, bool restartDisplay)
{
    if (!mDDInterface || mDDInterface->Is3DEnabled() == on)
        return;
    m3DSwitchedWhileRunning = true;
    mDDInterface->Set3DEnabled(on);
    if (!restartDisplay)
        return;
    if (mMainWindow && mMainWindow->AskedForOpenGL() != WantsOpenGLWindow()) {
        // The window is of the wrong kind for the new mode: it is made anew, and the display with it.
        ReapplyScreenMode();
        return;
    }
    OnBeforeDisplayInit();
    ReleaseImageDerivedData();
    int result = StartDisplayDevice();
    if (result != DDInterface::RESULT_OK) {
        if (on) {
            Set3DEnabled(false, restartDisplay);
            return;
        }
        FailDisplayStart(result);
    }
    RestoreImagesAfterDisplayInit();
    if (mWidgetManager) {
        mWidgetManager->mScreenImage = mDDInterface->GetScreenImage();
        mWidgetManager->InvalidateTree();
    }
}

// ---- A lost display ------------------------------------------------------------------------------

void OlvarnAppBase::RestartLostDisplay()
{
    if (!mDDInterface || !mMainWindow || mMinimized)
        return;
    const int now = static_cast<int>(mClock->TickCount());
    bool due = mHasFocus || (mDisplayWindowed && now - mLastDisplayRestartTick > kRestartIntervalMs);
    if (!due)
        return;
    mLastDisplayRestartTick = now;
    if (mWidgetManager)
        mWidgetManager->mScreenImage = nullptr;
    OnBeforeDisplayInit();
    ReleaseImageNativeData();
    int result = StartDisplayDevice();
    if (result == DDInterface::RESULT_INVALID_COLORDEPTH && mIsWindowed) {
        if (mHasFocus) {
            ChangeWindowedMode(false);
            mWindowedUnavailable = true;
            mFullScreenForced = true;
        }
        return;
    }
    if (result == DDInterface::RESULT_3D_INIT_FAIL) {
        Set3DEnabled(false, true);
        return;
    }
    if (result != DDInterface::RESULT_OK)
        return; // the next draw tries again
    RestoreImagesAfterDisplayInit();
    if (mWidgetManager) {
        mWidgetManager->mScreenImage = mDDInterface->GetScreenImage();
        mWidgetManager->InvalidateTree();
    }
    ++mFPSFlipCount;
}

// ---- Hardware acceleration at exit -----------------------------------------------------------------

void OlvarnAppBase::ConfirmHardwareAcceleration()
{
    if (!mDDInterface)
        return;
    if (m3DSwitchedWhileRunning) {
        const bool on = mDDInterface->Is3DEnabled();
        uint32_t stored = 0;
        if (!ReadRegistryDWORD("Is3D", stored) && !Is3DRecommended()) {
            if (on) {
                int answer = ShowMessageBox("Hardware Acceleration was switched on during this session.\r\n"
                                            "If this resulted in slower performance, it should be switched off.\r\n"
                                            "Would you like to keep Hardware Acceleration switched on?",
                                            mPromptTitlePrefix + " Hardware Acceleration Confirmation",
                                            MB_YESNO | MB_ICONQUESTION);
                if (answer == IDYES)
                    WriteRegistryDWORD("Is3D", 1);
                return;
            }
        } else {
            WriteRegistryDWORD("Is3D", on ? 1 : 0);
        }
    }
    ConfirmAfterSceneFailure();
}

} // namespace Olvarn
