// The framework's application object: start-up, the fixed-step main loop, settings and the command
// line. A game derives from it, sets identity and options in its constructor and calls InitApp, RunApp.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "app/AppDemo.h"
#include "app/FramePacer.h"
#include "graphics/DisplayOptions.h"
#include "platform/AppMessage.h"
#include "platform/MessageBox.h"
#include "platform/SettingsStore.h"
#include "widgets/ButtonListener.h"
#include "widgets/DialogListener.h"
#include "widgets/WidgetHost.h"

namespace Olvarn
{

class MemoryImage;
class DDImage;
class Widget;
class WidgetManager;
class ResourceManager;
class DSoundManager;
class SoundManager;
class MusicInterface;
class Dialog;
class DDInterface;
class DevTools;
class CriticalSection;
class Clock;
class Window;
class EventPump;
class SingleInstance;
template <typename T> class TRect;
using Rect = TRect<int>;

class OlvarnAppBase;

// The one application object of the process; set by the constructor, cleared by the destructor.
extern OlvarnAppBase* gOlvarnApp;

// Registry value types as the settings code and its callers know them: the settings store's.
constexpr uint32_t REG_SZ = SettingsStore::kString;
constexpr uint32_t REG_BINARY = SettingsStore::kBinary;
constexpr uint32_t REG_DWORD = SettingsStore::kDWord;

class OlvarnAppBase : public ButtonListener, public DialogListener, public WidgetHost
{
public:
    OlvarnAppBase();
    ~OlvarnAppBase() override;
    OlvarnAppBase(const OlvarnAppBase&) = delete;
    OlvarnAppBase& operator=(const OlvarnAppBase&) = delete;

    // Dialog listener operations: button 1000 of dialog n becomes button n + 2000 of the
    // application's button operations, button 1001 becomes n + 3000.
    void OnDialogButtonPress(int dialogId, int buttonId) override;
    void OnDialogButtonRelease(int dialogId, int buttonId) override;

    // Main loop and pacing.
    virtual bool RunFrameStep(bool allowSleep);
    virtual void UpdateAppOnce();
    virtual bool UpdateAppTick();
    virtual void UpdateAppFraction(float fraction);
    virtual void CreateMainWindow();
    virtual void ApplyCursor();
    virtual void RestoreImagesAfterDisplayInit();
    virtual void ReleaseImageNativeData();
    virtual void ReleaseImageDerivedData();
    virtual void OnLoadingFinished() {}
    virtual MusicInterface* NewMusicInterface(Window* window);
    virtual void OnInitDone() {}
    virtual void OnShutdownBegin() {}
    virtual void OnMainLoopEnd() {}
    virtual void LoadResourcesInBackground() {}
    virtual void SaveSettings();
    virtual void LoadSettings();
    virtual void OnBeforeWindowCreation() {}
    virtual int ShowMessageBox(const std::string& text, const std::string& title, int flags);
    void ShowFatalMessage(const std::string& text) override;
    virtual void DeleteWidgetLater(Widget* widget);
    virtual void ShutDownApp();
    virtual void ParseProcessCommandLine();
    virtual void SplitCommandLine(const std::string& text);
    virtual void ApplyCommandLineSwitch(const std::string& name, const std::string& value);
    virtual void RunApp();
    virtual void InitApp();
    virtual void OnBeforeDisplayInit() {}
    virtual bool KeepCurrentDirectory(const std::string& folder) { return false; }
    virtual double GetMusicVolume() { return mMusicVolume; }
    virtual double GetSfxVolume() { return mSfxVolume; }
    virtual bool IsMuted() { return mMuteCount > 0; }
    virtual void SetMusicVolume(double volume);
    virtual void SetSfxVolume(double volume);
    virtual void Mute(bool automatic);
    virtual void Unmute(bool automatic);
    virtual double GetLoadingProgress();
    virtual void OnAppActivated() {}
    virtual void OnAppDeactivated() {}
    virtual void OnCloseQueued() {}
    virtual bool DrawFrame();
    virtual void RepaintWindow(const Rect* rect);
    virtual void OnInitAfterDemoLoad() {}
    virtual void RunMainLoop();
    bool PumpStep(bool& updated) override;
    virtual bool RunUntilUpdate();

    // The dialog registry, by dialog id.
    virtual Dialog* CreateDialogWidget(int id, bool modal, const std::string& header, const std::string& lines,
                                       const std::string& footer, int buttonMode);
    virtual Dialog* ShowDialog(int id, bool modal, const std::string& header, const std::string& lines,
                               const std::string& footer, int buttonMode);
    virtual void RegisterDialog(int id, Dialog* dialog);
    virtual void AddDialogOwnId(Dialog* dialog);
    virtual Dialog* FindDialog(int id);
    virtual int CountDialogs();
    bool CloseDialog(int id) override;
    virtual void CloseDialogOf(Dialog* dialog);
    virtual void OnModalDialogOpened() {}
    virtual void OnModalDialogClosed() {}

    // System message boxes and the error log.
    virtual void AppendErrorLog(const std::string& text);
    virtual void BeginSystemPopup();
    virtual void EndSystemPopup();

    // Clipboard, in Windows-1252.
    void CopyToClipboard(const std::string& text) override;
    std::string GetClipboardText() override;

    // Opening a URL with the desktop's browser; the window timer confirms or fails it.
    virtual bool OpenUrl(const std::string& url, bool quitAfterwards);
    virtual void OnUrlOpenConfirmed(const std::string& url);
    virtual void OnUrlOpenFailed(const std::string& url);

    // Version and crash-report facts.
    virtual std::string ReadProductVersion(const std::string& path);
    virtual std::string DescribeForCrashReport();
    // A file the crash window attaches in place of the recorded demo; empty: the demo, if any.
    virtual std::string GetCrashAttachmentPath() { return std::string(); }
    // At a crash: a recording is ended with event 31 and saved, recording and playing stop; the file
    // the crash window attaches (the demo or GetCrashAttachmentPath's), or empty.
    std::string SaveDemoForCrashReport();
    virtual std::string GetExtraCrashText() { return std::string(); }

    // Sound services.
    virtual void PlaySoundOnce(int soundId);
    virtual void PlaySoundPanned(int soundId, int pan);
    virtual double GetSystemVolume();
    virtual void SetSystemVolume(double volume);
    virtual void HideAppWindow();

    // Image services.
    DDImage* LoadImageFile(const std::string& path) override;
    virtual DDImage* CopyImageRect(MemoryImage* image, const Rect& rect);
    DDImage* DuplicateImage(MemoryImage* image) override;
    virtual void SetVideoMemoryScreenImage(bool videoMemory);

    // What the lower layers reach the application through (their host interfaces).
    DDInterface* GetDisplayDevice() override { return mDDInterface; }
    const unsigned char* GetSaturationTable() override { return mAdd8BitMaxTable; }
    bool InSystemPopup() override { return mInSystemPopup; }
    void OnVSyncBroken() override { mVSyncBroken = true; }
    SoundManager* GetSoundManager() override;
    DialogListener* GetDefaultDialogListener() override { return this; }
    // The display device's options from the application's current fields.
    DisplayOptions GetDisplayOptions() const;
    bool Is3DEnabled() override;

    // The window procedure: messages of the main and the invisible window, from the event pump.
    virtual int64_t WindowProc(const AppMessage& message);
    // What the desktop does with a message the procedure leaves to it.
    int64_t DefaultWindowProc(const AppMessage& message);
    // Hooks: true swallows the key / keeps the Alt+character from the system.
    virtual bool FilterKeyDown(int key, bool ctrl, bool alt) { return false; }
    virtual bool ConsumesAltKey(int character) { return character == 'r' || character == 'R'; }
    virtual bool HandleDeveloperKey(int key);

    // Developer tools (DevTools.cpp). The screenshot answers the file written ("" when none was).
    virtual std::string TakeScreenshot();
    virtual bool DumpImages();
    virtual void ShowVideoStats();
    // The frame draw's part: refresh the overlay images before the tree is drawn, put them on the
    // screen after it.
    void UpdateDeveloperOverlays();
    void DrawDeveloperOverlays();

    // Cursors: 0 pointer, 1 hand, 2 dragging, 3 text, 4 no, 5 none.
    void SetCursor(int number) override;
    int GetCursor() const { return mCursorNum; }
    void SetCursorImage(int index, DDImage* image);
    void SetCustomCursorsEnabled(bool enabled);

    // Screen modes and hardware acceleration.
    virtual void ChangeScreenMode(bool windowed, bool is3D, bool force);
    virtual void ChangeWindowedMode(bool windowed);
    virtual void ReapplyScreenMode();
    void Set3DEnabled(bool on, bool restartDisplay);
    virtual void On3DTestRun() {}
    // The acceptance test's verdict (AppHardware3D.cpp): false without a test.
    bool Is3DSupported();
    bool Is3DRecommended();
    // The hardware renderer's host services (AppHardware3D.cpp).
    bool ReadSetting(const std::string& name, uint32_t& type, std::vector<uint8_t>& data) override;
    bool WriteSetting(const std::string& name, uint32_t type, const std::vector<uint8_t>& data) override;
    bool WriteSettingString(const std::string& name, const std::string& text) override
    {
        return WriteRegistryString(name, text);
    }
    bool IsPlayingDemo() override { return mPlayingDemo; }
    bool IsMinimized() override { return mMinimized; }
    void On3DTestRanAfresh() override { On3DTestRun(); }

    // Identity and named texts.
    void SetStringProperty(const std::string& name, const std::string& value);
    std::string GetStringProperty(const std::string& name, const std::string& defaultValue) const;

    // Ends the process with the code, restoring a changed desktop mode first. Does not return.
    [[noreturn]] void ExitProcessClean(int code);
    // The resource manager's error text in the fatal box; with exit set the process then ends (non-zero).
    void ReportResourceError(bool exit);
    // Reads "properties\resources.xml"; a manifest that fails to load ends the process (non-zero).
    void LoadResourceManifest();

    // Worker threads.
    void LaunchLoader();
    void JoinLoader();

    // Window messages: queue and drain (input routing comes with the widget manager).
    void QueueMessage(const AppMessage& message);
    bool DrainQueuedMessages(bool single);
    void UpdateFocusState();

    // Deferred deletion by pump depth.
    void PerformDeferredDeletions();

    // The software image registry; changed under the image-set lock because images are made on the
    // loading thread too.
    void RegisterImage(MemoryImage* image) override;
    void UnregisterImage(MemoryImage* image) override;
    void ReleaseImageTextures(MemoryImage* image) override;
    // The lock guarding the image set: the application's own until the display device hands in its
    // critical section.
    CriticalSection& ImageSetLock() { return *mImageSetLock; }
    void SetImageSetLock(CriticalSection* lock) override;

    // Settings in the application's key (the registry of the original platform).
    bool ReadRegistryValue(const std::string& name, uint32_t& type, unsigned char* data, uint32_t& size);
    bool WriteRegistryValue(const std::string& name, uint32_t type, const unsigned char* data, uint32_t size);
    bool WriteRegistryString(const std::string& name, const std::string& text);
    bool WriteRegistryDWORD(const std::string& name, uint32_t value);
    bool ReadRegistryDWORD(const std::string& name, uint32_t& value);
    bool ReadRegistryBool(const std::string& name, bool& value);
    bool ReadRegistryString(const std::string& name, std::string& value);
    void DeleteRegistryValue(const std::string& name);
    int NextDemoFileName(const std::string& base, int count, bool deleteOldest);

    // Demo recording and playback (AppDemo.cpp). Every outside value that can change the course of
    // a run goes through the synchronised operations: recorded while recording, taken from the
    // stream while playing.
    void WriteDemoTimeStep();
    bool PeekDemoEvent();
    void PlayDueDemoEvents();
    // Plays the next due event only; false when none was due. The main loop plays one a pass, as it
    // takes one queued message a pass while recording, so that a nested loop looks at its answer
    // after the same event in the replay as in the recording.
    bool PlayNextDueDemoEvent();
    // The event player: live input (recorded first) and played events take this one road.
    void PlayDemoEvent(const DemoEvent& event);
    void RecordDemoEvent(DemoEvent event);
    void UpdateDisplayState();
    void SyncBufferWithDemo(Buffer& buffer);
    bool SyncBoolWithDemo(bool value);
    std::string SyncStringWithDemo(const std::string& value);
    std::string SyncTextWithDemo(const std::string& text) override { return SyncStringWithDemo(text); }
    bool SyncFlagWithDemo(bool flag) override { return SyncBoolWithDemo(flag); }
    bool ReadBufferFromFile(const std::string& path, Buffer& buffer, bool sync);
    // HTTP results of a transfer (on the main thread only): a replay takes the recorded one when it
    // is due now, a recording writes a change; false when nothing was taken or written.
    bool TakeHttpResult(int32_t transferId, int& result, std::string& content);
    bool RecordHttpResult(int32_t transferId, int result, const std::string& content);
    bool SaveDemoFile();
    bool LoadDemoFile(std::string& error);
    // Names the demo file of "-recnum", "-playnum" and a relative "-demofile"; InitApp calls it on
    // both sides of the change to the program's folder.
    void ResolveDemoFileName(bool inProgramFolder);
    // Playback keys that jump, and the two overlays.
    void SetDemoJumpTarget(int target, bool forceOneDraw);
    virtual void ShowJumpToTimeDialog();
    virtual void ShowMarkerListDialog();
    // What the determinism check compares after every update; a game adds its own state.
    virtual uint64_t DemoStateHash();
    // The developer-key decision, before the event player: true takes the key from the widgets and
    // keeps it out of the demo.
    virtual bool TakeDeveloperKey(int key);

    // The time source of the pacer; tests hand in one they advance themselves.
    void SetClock(Clock* clock);
    Clock& GetClock() const override { return *mClock; }
    int NowMs() const;

    // Identity and text.
    std::string mPromptTitlePrefix;
    std::string mProductName = "Product";
    std::string mTitle = "OlvarnApp";
    std::string mRegKey;
    std::string mProductVersion;
    std::string mDemoFileBase = "olvarnapp";
    std::string mDemoFileName = "olvarnapp.dmo";
    std::map<std::string, std::string> mStringProperties;

    // Window and display.
    int mWidth = 640;
    int mHeight = 480;
    int mColorDepth = 16;
    int mPreferredX = -1;
    int mPreferredY = -1;
    bool mIsWindowed = true;
    bool mDisplayWindowed = true;
    bool mDesktopFullScreen = false;
    bool mWindowedUnavailable = false;
    // Full screen because a window could not be had (the desktop too small, its depth refused),
    // not because the user chose it: the saved screen mode keeps the user's windowed choice.
    bool mFullScreenForced = false;
    bool mFullScreenUnavailable = false;
    int mRefreshRate = 100;
    bool mUsePageFlipping = true;
    bool mAuto3D = false;
    bool mTest3D = false;
    int mMinVidMemory = 6;
    int mRecommendedVidMemory = 14;
    std::unique_ptr<Window> mMainWindow;
    DDInterface* mDDInterface = nullptr;

    // Sound.
    double mMusicVolume = 0.85;
    double mSfxVolume = 0.85;
    double mSavedMusicVolume = 0;
    double mSavedSfxVolume = 0;
    bool mNoSound = false;
    bool mUseFMOD = false;
    int mMuteCount = 0;
    int mAutoMuteCount = 0;
    bool mMuteOnLostFocus = true;
    DSoundManager* mSoundManager = nullptr;
    MusicInterface* mMusicInterface = nullptr;

    // Start-up, single instance, lifetime.
    bool mOnlyAllowOneCopyToRun = true;
    bool mIsScreenSaver = false;
    bool mCmdLineParsed = false;
    int mNotifyGameMessage = 0;
    std::unique_ptr<SingleInstance> mSingleInstance;
    int mRandSeed = 0;
    std::thread::id mPrimaryThreadId;
    bool mMainThreadKnown = false;
    int mConstructionTime = 0;
    // The loader reports its time on the system clock: an injected clock may run at another pace and
    // is not the loader thread's to read.
    int mConstructionSystemMs = 0;
    bool mInitialized = false;
    std::atomic<bool> mShutdown{false};
    std::atomic<bool> mExitToTop{false};
    std::atomic<bool> mShutdownPending{false};
    bool mLoadedSettings = false;
    bool mLastShutdownWasGraceful = true;
    WidgetManager* mWidgetManager = nullptr;
    ResourceManager* mResourceManager = nullptr;
    std::map<int, Dialog*> mDialogMap;
    std::set<MemoryImage*> mMemoryImageSet;
    unsigned char mAdd8BitMaxTable[512];

    // Main loop; the pacer keeps the loop's phase and the time owed to updates.
    FramePacer mPacer;
    int mFrameTime = 10;
    double mUpdateMultiplier = 1.0;
    bool mVSyncUpdates = false;
    bool mWaitForVSync = false;
    bool mSoftVSyncWait = true;
    bool mVSyncBroken = false;
    int mVSyncBrokenCount = 0;
    int mVSyncBrokenTestStartTick = 0;
    int mVSyncBrokenTestUpdates = 0;
    bool mPaused = false;
    int mStepMode = 0;
    int mPumpDepth = 0;
    int mUpdateCount = 0;
    bool mLastDrawWasEmpty = false;
    bool mIsDrawing = false;
    int mLastDrawTick = 0;
    std::atomic<int> mNextDrawTick{0};
    int mLastUserInputTick = 0;
    bool mAutoStartLoadingThread = true;
    std::atomic<bool> mLoadingThreadStarted{false};
    std::atomic<bool> mLoadingThreadCompleted{false};
    bool mLoaded = false;
    std::atomic<bool> mLoadingFailed{false};
    // What the loading thread threw; written before mLoadingThreadCompleted is set.
    std::string mLoadingError;
    bool mYieldMainThread = false;
    std::atomic<int> mNumLoadingThreadTasks{0};
    std::atomic<int> mCompletedLoadingThreadTasks{0};
    std::atomic<bool> mCursorThreadRunning{false};
    bool mInMainLoop = false;
    std::list<std::pair<int, Widget*>> mDeferredDeletions;
    int mSleepCount = 0;
    std::atomic<int> mDrawCount{0};
    int mDrawTime = 0;
    int mScreenBltTime = 0;
    int mFPSFlipCount = 0;
    int mUpdateChangedCount = 0;
    bool mIdleSuspended = false;
    bool mDisplayLost = false;
    int mLastDisplayRestartTick = 0;
    int mLastIdleCheckTick = 0;
    // The desktop's screen-saver settings as the idle check last read them.
    bool mScreenSaverActive = true;
    int mIdleLimitMs = 60000;
    bool mScreenSaverRead = false;
    int mLastScreenSaverReadTick = 0;
    bool mPlayingDemo = false;
    bool mRecordingDemo = false;
    DemoState mDemo;

    // Window state and input.
    std::list<AppMessage> mMessageQueue;
    bool mHasFocus = true;
    bool mMinimized = false;
    bool mActive = true;
    bool mMouseIn = false;
    bool mInSystemPopup = false;
    bool mIsOpeningURL = false;
    bool mShutdownOnURLOpen = false;
    std::string mOpeningURL;
    int mOpeningURLTime = 0;
    bool mVideoMemoryScreenImage = false;
    // The kernel's number of the main thread, for crash reports.
    uint32_t mPrimaryThreadNumber = 0;
    bool mIsHidden = false;
    int mCursorNum = 0;
    bool mCustomCursorsEnabled = false;
    bool mCursorChanged = false;
    DDImage* mCursorImages[6] = {};
    bool mSystemCursorShown = true;
    bool mCtrlDown = false;
    bool mAltDown = false;
    bool mDeveloperKeysOn = false;
    // The developer overlays: drawn at all, and which (0 frame rate, 1 mouse position).
    bool mOverlaysOn = false;
    int mOverlayMode = 0;
    std::unique_ptr<DevTools> mDevTools;
    bool mAllowMonitorPowersave = true;
    int mLastTimerTime = 0;
    int mAwakeSince = 0;
    // Read by the cursor thread during demo playback.
    std::atomic<int> mRecordedMouseX{0};
    std::atomic<int> mRecordedMouseY{0};
    bool m3DSwitchedWhileRunning = false;
    // The first start of the display leaves the hardware renderer (its acceptance test, a stored
    // choice of 3D) until the first frame is on the screen: the player sees the loading screen at
    // once instead of a black window while the graphics library loads.
    bool mHardware3DDeferred = false;
    bool mDeferred3DOn = false;
    // Screensaver mode: closing has begun, the start position and moves seen, last power-off tick.
    bool mScreenSaverClosing = false;
    int mScreenSaverMouseX = -1;
    int mScreenSaverMouseY = -1;
    int mScreenSaverMoves = 0;
    int mMonitorPowerOffTick = 0;

protected:
    // Hands the URL to the desktop; true when that worked. Tests replace it so nothing is launched.
    virtual bool LaunchUrl(const std::string& url);
    // The desktop's screen-saver time-out (seconds), whether it is switched on and whether it runs
    // now; false when the desktop does not tell. SDL tells none of it, so the base answers false and
    // the idle suspension stays off; tests give their own answers.
    virtual bool ReadScreenSaverSettings(int& timeoutSeconds, bool& active, bool& running) { return false; }
    void DeleteAllDialogs();

    // One event pass: SDL events, single-instance notices and termination requests, as records.
    void PumpPlatformEvents();
    // Steps of the window procedure and of DrainQueuedMessages (AppWindowProc.cpp).
    bool ScreenSaverFilter(const AppMessage& message, int64_t& result);
    int64_t WindowProcQueued(const AppMessage& message);
    void HandleDemoPlaybackKey(int character);
    void RouteMessage(const AppMessage& message);
    void RouteTimer();
    void PublishCursorPosition(int& lastX, int& lastY);
    // Steps of demo recording and playback (AppDemo.cpp).
    void StartDemo();
    void StartDemoDisplay();
    void EndDemo();
    // Live input of the message through the recording and the event player; false for messages
    // that are no input (moves of the window, timer ticks).
    bool RouteInputThroughPlayer(const AppMessage& message);
    bool DemoBlocksUpdate();
    // The pacer's fast-forward; true when it took the pass.
    bool DemoFastForward(double perStep);
    void EndFastForward();
    bool HandleDemoJumpKey(int character);
    void DemoCheckAfterUpdate();
    void RecordLoadingDone();
    bool PlayRegistryRead(uint32_t& type, unsigned char* data, uint32_t& size);
    void RecordRegistryRead(bool ok, uint32_t type, const unsigned char* data, uint32_t size);
    bool PlayRegistryWrite();
    void RecordRegistryWrite(bool ok);
    // The end of the session closes a recording as its close message would, and ends a replay's
    // synchronised reads.
    void NoteDemoEndSession();
    void RunDemoOverlay(DemoOverlay& overlay);
    bool OfferToDemoOverlay(const AppMessage& message);
    void PruneNumberedDemos(const std::filesystem::path& folder, int keep);
    // Steps of the display start (AppDisplay.cpp).
    void MakeMainWindow();
    // An OpenGL main window while 3D is on, a plain one otherwise.
    bool WantsOpenGLWindow() const;
    // Starts the display on the main window and settles what its result asks for.
    void StartDisplayOnMainWindow();
    // The part of the display start left for after the first frame (see mHardware3DDeferred).
    void StartDeferredHardware3D();
    bool StartDisplay();
    // Hands the current options to the display device and starts it; the device's result.
    int StartDisplayDevice();
    bool HandleDisplayInitResult(int result);
    void OnDisplayStarted();
    void RestartLostDisplay();
    [[noreturn]] void FailDisplayStart(int result);
    void ConfirmHardwareAcceleration();
    // The exit's second question: the renderer could not draw at some point of the run.
    void ConfirmAfterSceneFailure();
    // A failed redraw starts the display again, which forgets that a scene could not be drawn.
    void ClearSceneFailure();
    int mDisplayInitResult = 0;
    // The InitApp step that goes to full screen when the window would not fit the desktop.
    void DecideFullScreen();

private:
    // Steps of InitApp, in order.
    bool CheckSingleInstance();
    void ChangeToExecutableFolder();
    void CreateSoundAndMusic();
    // Steps of the pacer.
    bool VSyncPacingOn() const;
    bool PacerUpdatePhase(int now, double step, bool vsyncPacing);
    void PacerFractionPhase(double step, double perStep, bool vsyncPacing);
    bool PacerDrawDecision(double step, bool allowSleep, int& slept);
    bool PacerYieldToLoader(int now, int slept, bool allowSleep);
    void RunVSyncHealthTest(int now);
    void RunIdleCheck(int now);
    void WriteRunStatistics(int start);
    void StartCursorThread();
    void StopCursorThread();
    void CursorThreadProc();
    void WakeCursorThread();
    void LoadingThreadProc();
    // A loading thread that threw: its text in the fatal box, then the process ends (non-zero).
    [[noreturn]] void ReportLoadingFailure();
    // Settings helpers.
    SettingsStore* OpenSettings();
    void ReadDWORDSetting(const char* name, int& field);
    void ApplySwitchRecNum(const std::string& value);
    void ApplySwitchPlayNum(const std::string& value);

    Clock* mClock = nullptr;
    std::unique_ptr<CriticalSection> mOwnImageSetLock;
    CriticalSection* mImageSetLock = nullptr;
    std::unique_ptr<EventPump> mEventPump;
    std::unique_ptr<SettingsStore> mSettings;
    std::string mSettingsKey;
    std::thread mCursorThread;
    // The cursor thread sleeps here while the mouse stands still; mouse input and shutdown wake it.
    std::mutex mCursorWakeLock;
    std::condition_variable mCursorWake;
    bool mCursorWakePending = false;
    std::thread mLoadingThread;
    bool mVideoAcquired = false;
    bool mSettingsBatch = false;
};

} // namespace Olvarn
