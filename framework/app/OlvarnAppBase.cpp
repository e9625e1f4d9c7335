// The application object's construction, start-up (InitApp), shutdown and destruction.
#include "app/OlvarnAppBase.h"

#include <cstdio>
#include <cstdlib>

#include "app/CrashReporter.h"
#include "app/DevTools.h"
#include "core/CriticalSection.h"
#include "core/MTRand.h"
#include "core/Random.h"
#include "graphics/DDInterface.h"
#include "platform/Clock.h"
#include "platform/EventPump.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/SettingsStore.h"
#include "platform/SingleInstance.h"
#include "platform/ThreadNumber.h"
#include "platform/VideoSystem.h"
#include "platform/Window.h"
#include "resources/ResourceManager.h"
#include "sound/BassMusicInterface.h"
#include "sound/DSoundManager.h"
#include "sound/FModMusicInterface.h"
#include "sound/MusicInterface.h"
#include "widgets/WidgetManager.h"

namespace Olvarn
{

OlvarnAppBase* gOlvarnApp = nullptr;

OlvarnAppBase::OlvarnAppBase()
{
    gOlvarnApp = this;
    SetGraphicsHost(this);
    SetResourceHost(this);
    SetWidgetHost(this);
    mClock = &SystemClock::Instance();
    mOwnImageSetLock = std::make_unique<CriticalSection>();
    mImageSetLock = mOwnImageSetLock.get();
    mEventPump = std::make_unique<EventPump>();
    mPrimaryThreadNumber = CurrentThreadNumber();
    mConstructionTime = NowMs();
    mConstructionSystemMs = SystemClock::Instance().NowMs();
    mLastDrawTick = NowMs();
    mNextDrawTick = NowMs();
    // The build writes the product version beside the executable; a game that sets its own in its
    // constructor overrides it.
    mProductVersion = OlvarnAppBase::ReadProductVersion(Paths::ExecutablePath());
    for (int i = 0; i < 512; ++i)
        mAdd8BitMaxTable[i] = static_cast<unsigned char>(i < 255 ? i : 255);
    mWidgetManager = new WidgetManager(this);
    mResourceManager = new ResourceManager(this);
}

OlvarnAppBase::~OlvarnAppBase()
{
    OlvarnAppBase::ShutDownApp();
    ConfirmHardwareAcceleration();
    EndDemo();
    StopCursorThread();
    DeleteAllDialogs();
    // Widgets closed during the last frames wait for a pump that will not come again.
    std::list<std::pair<int, Widget*>> pending;
    pending.swap(mDeferredDeletions);
    for (auto& entry : pending)
        delete entry.second;
    // The loader may still be using the resource manager and registering images: wait for it
    // before deleting what it uses (the cursor thread was ended by ShutDownApp).
    JoinLoader();
    if (mLoadingThread.joinable())
        mLoadingThread.join();
    delete mWidgetManager;
    mWidgetManager = nullptr;
    // The overlay images live on the display device and must go before it.
    mDevTools.reset();
    delete mDDInterface;
    mDDInterface = nullptr;
    delete mMusicInterface;
    mMusicInterface = nullptr;
    delete mSoundManager;
    mSoundManager = nullptr;
    delete mResourceManager;
    mResourceManager = nullptr;
    mMainWindow.reset();
    if (mVideoAcquired)
        VideoSystem::Release();
    if (gOlvarnApp == this)
        gOlvarnApp = nullptr;
    if (GetGraphicsHost() == this)
        SetGraphicsHost(nullptr);
    if (GetResourceHost() == this)
        SetResourceHost(nullptr);
    if (GetWidgetHost() == this)
        SetWidgetHost(nullptr);
    mSingleInstance.reset();
    mImageSetLock = nullptr;
}

void OlvarnAppBase::SetClock(Clock* clock)
{
    mClock = clock ? clock : &SystemClock::Instance();
    // The time stamps taken at construction belong to the old clock.
    mConstructionTime = NowMs();
    mLastDrawTick = NowMs();
    mNextDrawTick = NowMs();
    mPacer.mHaveLastTimeCheck = false;
}

int OlvarnAppBase::NowMs() const
{
    return mClock->NowMs();
}

void OlvarnAppBase::SetStringProperty(const std::string& name, const std::string& value)
{
    mStringProperties[name] = value;
}

std::string OlvarnAppBase::GetStringProperty(const std::string& name, const std::string& defaultValue) const
{
    auto it = mStringProperties.find(name);
    return it == mStringProperties.end() ? defaultValue : it->second;
}

void OlvarnAppBase::ExitProcessClean(int code)
{
    // A desktop display-mode change is the display device's; nothing was changed without it.
    mDesktopFullScreen = false;
    Process::Exit(code);
}

void OlvarnAppBase::ReportResourceError(bool exit)
{
    ShowFatalMessage(mResourceManager ? mResourceManager->ErrorMessage() : std::string("No resource manager"));
    if (exit)
        ExitProcessClean(1);
}

void OlvarnAppBase::LoadResourceManifest()
{
    if (!mResourceManager || !mResourceManager->ReadManifest("properties\\resources.xml"))
        ReportResourceError(true);
}

void OlvarnAppBase::InitApp()
{
    mPrimaryThreadId = std::this_thread::get_id();
    mPrimaryThreadNumber = CurrentThreadNumber();
    mMainThreadKnown = true;
    CrashReporter::SetProduct(mProductName, mProductVersion);
    Paths::SetProductFolderName(mProductName);
    if (mShutdown)
        return;
    // The display and sound libraries are linked in, so the check for their presence always passes.
    if (!mCmdLineParsed)
        ParseProcessCommandLine();
    if (mIsScreenSaver)
        mOnlyAllowOneCopyToRun = false;
    if (mOnlyAllowOneCopyToRun && !CheckSingleInstance())
        ExitProcessClean(0);
    ResolveDemoFileName(false);
    ChangeToExecutableFolder();
    ResolveDemoFileName(true);
    mRandSeed = static_cast<int>(mClock->TickCount());
    SeedRandom(static_cast<uint32_t>(mRandSeed));
    StartDemo();
    OnInitAfterDemoLoad();
    // The project generator starts from the run's seed too (the recorded one on playback), so a
    // replay draws what its recording drew.
    SeedRand(static_cast<uint32_t>(mRandSeed));
    LoadSettings();
    OnBeforeWindowCreation();
    if (mWidgetManager)
        mWidgetManager->SetScreenSize(mWidth, mHeight);
    DecideFullScreen();
    // A demo replays the display as it was recorded: it starts whole.
    mHardware3DDeferred = !mPlayingDemo && !mRecordingDemo;
    CreateMainWindow();
    StartDemoDisplay();
    CreateSoundAndMusic();
    if (mIsScreenSaver) {
        mCursorNum = 5;
        ApplyCursor();
    }
    OnInitDone();
    mInitialized = true;
}

// False when another copy runs: it has been told to come to the front.
bool OlvarnAppBase::CheckSingleInstance()
{
    mNotifyGameMessage = 1;
    mSingleInstance = std::make_unique<SingleInstance>(mProductName + "Mutex");
    switch (mSingleInstance->Acquire()) {
    case SingleInstance::Result::First:
        return true;
    case SingleInstance::Result::AlreadyRunning:
        mSingleInstance->Notify("Notify" + mProductName);
        return false;
    case SingleInstance::Result::Unavailable:
        LogWrite(LogLevel::Warning, "cannot make the single-instance lock %s; running anyway",
                 SingleInstance::LockPath(mProductName + "Mutex").c_str());
        return true;
    }
    return true;
}

void OlvarnAppBase::ChangeToExecutableFolder()
{
    std::string path = Paths::ExecutablePath();
    size_t cut = path.find_last_of("\\/");
    if (cut == std::string::npos)
        return;
    std::string folder = path.substr(0, cut);
    if (!KeepCurrentDirectory(folder))
        Paths::ChangeDirectory(folder);
}

void OlvarnAppBase::CreateSoundAndMusic()
{
    if (!mSoundManager)
        mSoundManager = new DSoundManager(mNoSound ? nullptr : mMainWindow.get(), mUseFMOD);
    SetSfxVolume(mSfxVolume);
    if (!mMusicInterface)
        mMusicInterface = NewMusicInterface(mMainWindow.get());
    SetMusicVolume(mMusicVolume);
}

MusicInterface* OlvarnAppBase::NewMusicInterface(Window* window)
{
    if (mNoSound)
        return new MusicInterface();
    if (mUseFMOD)
        return new FModMusicInterface(window);
    return new BassMusicInterface(window);
}

void OlvarnAppBase::DecideFullScreen()
{
    std::string error;
    if (!mVideoAcquired) {
        if (!VideoSystem::Acquire(error)) {
            ShowFatalMessage("Failed to start the display: " + error);
            ExitProcessClean(1);
        }
        mVideoAcquired = true;
    }
    int areaX = 0, areaY = 0, areaW = 0, areaH = 0;
    if (mIsWindowed && !mDesktopFullScreen && Window::UsableDesktopArea(areaX, areaY, areaW, areaH) &&
        (mWidth >= areaW || mHeight >= areaH)) {
        mIsWindowed = false;
        mFullScreenForced = true;
    }
}

void OlvarnAppBase::ShutDownApp()
{
    if (mMainThreadKnown && std::this_thread::get_id() != mPrimaryThreadId) {
        mShutdownPending = true;
        return;
    }
    if (mShutdown)
        return;
    mExitToTop = true;
    mShutdown = true;
    OnShutdownBegin();
    if (mPlayingDemo) {
        SetMusicVolume(mSavedMusicVolume);
        SetSfxVolume(mSavedSfxVolume);
    }
    StopCursorThread();
    if (mMusicInterface)
        mMusicInterface->StopAll();
    if (mMainWindow)
        mMainWindow->Hide();
    mDesktopFullScreen = false;
    if (mLoadedSettings)
        SaveSettings();
}

void OlvarnAppBase::SetMusicVolume(double volume)
{
    mMusicVolume = volume;
    if (mMusicInterface)
        mMusicInterface->SetVolume(mMuteCount > 0 ? 0.0 : volume);
}

void OlvarnAppBase::SetSfxVolume(double volume)
{
    mSfxVolume = volume;
    if (mSoundManager)
        mSoundManager->SetMasterVolume(mMuteCount > 0 ? 0.0 : volume);
}

void OlvarnAppBase::Mute(bool automatic)
{
    ++mMuteCount;
    if (automatic)
        ++mAutoMuteCount;
    SetMusicVolume(mMusicVolume);
    SetSfxVolume(mSfxVolume);
}

void OlvarnAppBase::Unmute(bool automatic)
{
    if (mMuteCount > 0) {
        --mMuteCount;
        if (automatic)
            --mAutoMuteCount;
    }
    SetMusicVolume(mMusicVolume);
    SetSfxVolume(mSfxVolume);
}

} // namespace Olvarn
