// Demo recording and playback: the event player that live input and played events share, the
// synchronised operations, the demo file, the playback gate and fast-forward of the main loop, and the
// determinism check's per-update hashes.
#include <algorithm>
#include <cinttypes>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/DemoOverlay.h"
#include "app/OlvarnAppBase.h"
#include "core/MTRand.h"
#include "core/Random.h"
#include "graphics/DDImage.h"
#include "graphics/DDInterface.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "platform/AtomicFile.h"
#include "platform/Clock.h"
#include "platform/Directories.h"
#include "platform/EventPump.h"
#include "platform/KeyMap.h"
#include "platform/Log.h"
#include "platform/SettingsStore.h"
#include "platform/Window.h"
#include "resources/SysFont.h"
#include "sound/DSoundManager.h"
#include "widgets/WidgetManager.h"

namespace Olvarn
{

namespace
{

constexpr int kWheelDelta = 120;
constexpr int kFastForwardDrawMs = 1000;
// Seconds before the end of a recording that the keys "4" to "9" jump to.
constexpr int kJumpKeySeconds[] = {120, 90, 60, 30, 10, 5};
// Files larger than this cannot be held by a bit buffer.
constexpr size_t kMaxFileBytes = DemoFile::kMaxStreamBytes;

uint64_t Fnv1a(uint64_t hash, const void* bytes, size_t length)
{
    const unsigned char* p = static_cast<const unsigned char*>(bytes);
    for (size_t i = 0; i < length; ++i) {
        hash ^= p[i];
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

template <typename T> uint64_t Mix(uint64_t hash, T value)
{
    return Fnv1a(hash, &value, sizeof(value));
}

constexpr uint64_t kHashSeed = 0xcbf29ce484222325ULL;

bool IsDemoFileOnDisk(const std::filesystem::path& path)
{
    // Opening a FIFO to read would wait for a writer.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return false;
    std::ifstream in(path, std::ios::binary);
    unsigned char magic[4] = {};
    if (!in.read(reinterpret_cast<char*>(magic), 4))
        return false;
    uint32_t value = magic[0] | (magic[1] << 8) | (magic[2] << 16) | (static_cast<uint32_t>(magic[3]) << 24);
    return value == DemoFile::kMagic;
}

} // namespace

// ---- Recording -----------------------------------------------------------------------------------

void OlvarnAppBase::WriteDemoTimeStep()
{
    mDemo.mWriter.WriteTimeStep(mUpdateCount);
}

void OlvarnAppBase::RecordDemoEvent(DemoEvent event)
{
    if (!mRecordingDemo || mDemo.mFull)
        return;
    // A stream larger than a demo file may hold could not be loaded again: the recording ends with
    // what it has.
    constexpr size_t kHeaderRoom = 64;
    if (static_cast<size_t>(mDemo.mBuffer.ByteLength()) + event.mBytes.size() + kHeaderRoom >
        DemoFile::kMaxStreamBytes) {
        mDemo.mFull = true;
        mDemo.mFullAt = mUpdateCount;
        LogWrite(LogLevel::Warning, "the demo is full; recording stops at update %d", mUpdateCount);
        return;
    }
    event.mUpdate = mUpdateCount;
    mDemo.mWriter.Write(event);
}

void OlvarnAppBase::NoteDemoEndSession()
{
    if (mShutdown)
        return;
    mDemo.mSyncEnded = mPlayingDemo;
    DemoEvent event;
    event.mKind = DemoEventKind::Close;
    RecordDemoEvent(event);
}

void OlvarnAppBase::RecordLoadingDone()
{
    DemoEvent event;
    event.mKind = DemoEventKind::LoadingDone;
    RecordDemoEvent(event);
}

void OlvarnAppBase::UpdateDisplayState()
{
    // A playback keeps the refresh rate of the recording: it sets the length of the refresh-paced
    // steps, so taking this display's would change what the replay does.
    if (mPlayingDemo)
        return;
    if (mDDInterface)
        mRefreshRate = mDDInterface->mRefreshRate;
    if (!mRecordingDemo)
        return;
    // The stream holds a byte; the run uses what its replay will see.
    mRefreshRate = std::clamp(mRefreshRate, 0, 255);
    DemoEvent event;
    event.mKind = DemoEventKind::Display;
    event.mFlag = mIsWindowed;
    event.mCode = mRefreshRate;
    RecordDemoEvent(event);
}

// ---- Live input into events ------------------------------------------------------------------------

bool OlvarnAppBase::RouteInputThroughPlayer(const AppMessage& message)
{
    const bool main = message.mWindow == AppWindowRole::Main;
    const int param = static_cast<int>(message.mParam1);
    // Events of the message go to the recording and then to the player, one by one, so the player
    // sees the state the recorded events leave behind (the mouse-inside flag, the position).
    auto feed = [this](const DemoEvent& event) {
        if (!mShutdown)
            RecordDemoEvent(event);
        PlayDemoEvent(event);
    };
    DemoEvent event;
    switch (message.mKind) {
    case AppMessageKind::Size:
        if (!main)
            return true;
        event.mKind = DemoEventKind::Minimised;
        event.mFlag = message.mParam1 == kSizeMinimized;
        feed(event);
        return true;
    case AppMessageKind::Activate:
        if (!main)
            return true;
        event.mKind = DemoEventKind::Activation;
        event.mFlag = message.mParam1 != 0;
        feed(event);
        return true;
    case AppMessageKind::Close:
        event.mKind = DemoEventKind::Close;
        feed(event);
        return true;
    case AppMessageKind::KeyDown:
    case AppMessageKind::SysKeyDown:
        mLastUserInputTick = NowMs();
        if (TakeDeveloperKey(param))
            return true;
        event.mKind = DemoEventKind::KeyDown;
        event.mCode = param & 0xFF;
        feed(event);
        return true;
    case AppMessageKind::KeyUp:
    case AppMessageKind::SysKeyUp:
        event.mKind = DemoEventKind::KeyUp;
        event.mCode = param & 0xFF;
        feed(event);
        return true;
    case AppMessageKind::Char:
        event.mKind = DemoEventKind::Character;
        event.mCode = param & 0xFF;
        feed(event);
        return true;
    case AppMessageKind::MouseWheel:
        event.mKind = DemoEventKind::MouseWheel;
        event.mCode = std::clamp(static_cast<int>(message.mParam1 / kWheelDelta), -128, 127);
        feed(event);
        return true;
    default:
        break;
    }
    if (message.mKind < AppMessageKind::MouseMove || message.mKind > AppMessageKind::MButtonUp)
        return false;
    if (mIsHidden)
        return true;
    const int x = MessageX(message.mParam2), y = MessageY(message.mParam2);
    if (x != mRecordedMouseX || y != mRecordedMouseY)
        feed(DemoStreamWriter::MouseMotion(mUpdateCount, mRecordedMouseX, mRecordedMouseY, x, y));
    if (!mMouseIn) {
        event.mKind = DemoEventKind::MouseEntered;
        feed(event);
    }
    event.mKind = DemoEventKind::MouseButton;
    event.mFlag = true;
    switch (message.mKind) {
    case AppMessageKind::LButtonDown:
        event.mClicks = 1;
        break;
    case AppMessageKind::LButtonDblClk:
        event.mClicks = 2;
        break;
    case AppMessageKind::RButtonDown:
        event.mClicks = -1;
        break;
    case AppMessageKind::RButtonDblClk:
        event.mClicks = -2;
        break;
    case AppMessageKind::MButtonDown:
        event.mClicks = 3;
        break;
    case AppMessageKind::LButtonUp:
        event.mClicks = 1;
        event.mFlag = false;
        break;
    case AppMessageKind::RButtonUp:
        event.mClicks = -1;
        event.mFlag = false;
        break;
    case AppMessageKind::MButtonUp:
        event.mClicks = 3;
        event.mFlag = false;
        break;
    default:
        mLastUserInputTick = NowMs();
        return true; // a plain move
    }
    feed(event);
    return true;
}

// ---- The event player ------------------------------------------------------------------------------

void OlvarnAppBase::PlayDemoEvent(const DemoEvent& event)
{
    const int x = mRecordedMouseX, y = mRecordedMouseY;
    switch (event.mKind) {
    case DemoEventKind::MouseMove:
    case DemoEventKind::MousePosition: {
        const bool relative = event.mKind == DemoEventKind::MouseMove;
        mRecordedMouseX = relative ? x + event.mX : event.mX;
        mRecordedMouseY = relative ? y + event.mY : event.mY;
        mLastUserInputTick = NowMs();
        if (mWidgetManager)
            mWidgetManager->OnMouseMove(mRecordedMouseX, mRecordedMouseY);
        break;
    }
    case DemoEventKind::MouseButton:
        mLastUserInputTick = NowMs();
        if (!mWidgetManager)
            break;
        if (event.mFlag) {
            // The real mouse is only captured for live input; a replay must not take it.
            if (!mPlayingDemo && mMainWindow)
                mMainWindow->CaptureMouse(true);
            mWidgetManager->OnMouseDown(x, y, event.mClicks);
        } else {
            mWidgetManager->OnMouseUp(x, y, event.mClicks);
            if (!mPlayingDemo && mWidgetManager->mDownButtons == 0 && mMainWindow)
                mMainWindow->CaptureMouse(false);
        }
        break;
    case DemoEventKind::Activation:
        mHasFocus = event.mFlag;
        if (mIsHidden || mShutdown)
            break;
        UpdateFocusState();
        if (mHasFocus && !mDisplayWindowed && mWidgetManager)
            mWidgetManager->InvalidateTree();
        if (mIsOpeningURL && !mHasFocus)
            OnUrlOpenConfirmed(mOpeningURL);
        break;
    case DemoEventKind::Minimised:
        if (mShutdown)
            break;
        if (event.mFlag != mMinimized) {
            if (event.mFlag && mMuteOnLostFocus)
                Mute(true);
            if (!event.mFlag) {
                if (mMuteOnLostFocus)
                    Unmute(true);
                if (mWidgetManager)
                    mWidgetManager->InvalidateTree();
            }
        }
        mMinimized = event.mFlag;
        UpdateFocusState();
        break;
    case DemoEventKind::KeyDown:
        mLastUserInputTick = NowMs();
        if (mWidgetManager)
            mWidgetManager->OnKeyDown(event.mCode);
        break;
    case DemoEventKind::KeyUp:
        mLastUserInputTick = NowMs();
        if (mWidgetManager)
            mWidgetManager->OnKeyUp(event.mCode);
        break;
    case DemoEventKind::Character:
        mLastUserInputTick = NowMs();
        if (mWidgetManager)
            mWidgetManager->OnChar(static_cast<char>(static_cast<unsigned char>(event.mCode)));
        break;
    case DemoEventKind::MouseWheel:
        mLastUserInputTick = NowMs();
        if (mWidgetManager)
            mWidgetManager->OnMouseWheel(event.mCode);
        break;
    case DemoEventKind::Close:
        ShutDownApp();
        break;
    case DemoEventKind::MouseEntered:
        mMouseIn = true;
        ApplyCursor();
        break;
    case DemoEventKind::MouseLeft:
        if (mWidgetManager)
            mWidgetManager->OnMouseLeftWindow();
        mMouseIn = false;
        ApplyCursor();
        break;
    case DemoEventKind::LoadingDone:
        mDemo.mLoadingDoneSeen = true;
        break;
    case DemoEventKind::Display:
        mIsWindowed = event.mFlag;
        mRefreshRate = event.mCode;
        break;
    case DemoEventKind::RegistryRead:
    case DemoEventKind::RegistryWrite:
    case DemoEventKind::FileRead:
    case DemoEventKind::HttpResult:
    case DemoEventKind::Data:
        // Its payload has been read past, so the rest of the stream is still read as written.
        ++mDemo.mDesyncs;
        LogWrite(LogLevel::Warning, "demo out of step: %s event at update %d met without a request",
                 DemoEventName(event.mKind), event.mUpdate);
        break;
    case DemoEventKind::Filler:
        break;
    }
}

bool OlvarnAppBase::PeekDemoEvent()
{
    return mDemo.mReader.PeekDue(mUpdateCount);
}

void OlvarnAppBase::PlayDueDemoEvents()
{
    while (PlayNextDueDemoEvent()) {
    }
}

bool OlvarnAppBase::PlayNextDueDemoEvent()
{
    if (!mPlayingDemo)
        return false;
    if (const int overlay = mDemo.mPendingOverlay) {
        mDemo.mPendingOverlay = 0;
        if (overlay == 'J')
            ShowJumpToTimeDialog();
        else
            ShowMarkerListDialog();
    }
    DemoEvent event;
    // From the recording's hand-over on, the next events belong to what the hand-over reads (in the
    // next UpdateAppTick); the player waits for it.
    if (mShutdown || (mDemo.mLoadingDoneSeen && !mLoaded) || mDemo.mReader.Next(mUpdateCount, event) != DemoRead::Event)
        return false;
    PlayDemoEvent(event);
    return true;
}

// ---- Synchronised operations -----------------------------------------------------------------------

// The next event of the kind a synchronised read asks for; false (logged) when the stream holds
// something else there or has ended.
static bool TakeSyncEvent(DemoState& demo, DemoEventKind kind, DemoEvent& event)
{
    DemoRead read = demo.mReader.TakeSync(kind, event);
    if (read == DemoRead::Event)
        return true;
    ++demo.mDesyncs;
    LogWrite(LogLevel::Warning, "demo out of step: %s asked for at update %d, %s", DemoEventName(kind),
             demo.mReader.LastEventUpdate(), read == DemoRead::End ? "the stream has ended" : "another event is next");
    return false;
}

void OlvarnAppBase::SyncBufferWithDemo(Buffer& buffer)
{
    if (mRecordingDemo) {
        DemoEvent event;
        event.mKind = DemoEventKind::Data;
        if (buffer.ByteLength() > 0)
            event.mBytes.assign(reinterpret_cast<const char*>(buffer.GetData()), buffer.ByteLength());
        RecordDemoEvent(event);
        return;
    }
    if (!mPlayingDemo || mDemo.mSyncEnded)
        return;
    DemoEvent event;
    // Out of step, the value of this machine must not stand in for the recorded one either.
    buffer.Clear();
    if (TakeSyncEvent(mDemo, DemoEventKind::Data, event))
        buffer.SetData(reinterpret_cast<const unsigned char*>(event.mBytes.data()),
                       static_cast<int>(event.mBytes.size()));
}

bool OlvarnAppBase::SyncBoolWithDemo(bool value)
{
    if (!mRecordingDemo && !mPlayingDemo)
        return value;
    Buffer buffer;
    buffer.AppendBool(value);
    SyncBufferWithDemo(buffer);
    buffer.SeekFront();
    return buffer.TakeBool();
}

std::string OlvarnAppBase::SyncStringWithDemo(const std::string& value)
{
    if (!mRecordingDemo && !mPlayingDemo)
        return value;
    Buffer buffer;
    buffer.AppendString(value);
    SyncBufferWithDemo(buffer);
    buffer.SeekFront();
    return buffer.TakeString();
}

bool OlvarnAppBase::ReadBufferFromFile(const std::string& path, Buffer& buffer, bool sync)
{
    buffer.Clear();
    if (sync && mPlayingDemo) {
        DemoEvent event;
        if (mDemo.mSyncEnded || !TakeSyncEvent(mDemo, DemoEventKind::FileRead, event) || !event.mFlag)
            return false;
        buffer.SetData(reinterpret_cast<const unsigned char*>(event.mBytes.data()),
                       static_cast<int>(event.mBytes.size()));
        return true;
    }
    std::string bytes;
    bool ok = ReadWholeFile(path, bytes, kMaxFileBytes);
    if (ok)
        buffer.SetData(reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
    if (sync && mRecordingDemo) {
        DemoEvent event;
        event.mKind = DemoEventKind::FileRead;
        event.mFlag = ok;
        if (ok)
            event.mBytes.swap(bytes);
        RecordDemoEvent(event);
    }
    return ok;
}

bool OlvarnAppBase::TakeHttpResult(int32_t transferId, int& result, std::string& content)
{
    if (!mPlayingDemo || mDemo.mSyncEnded || !mMainThreadKnown || std::this_thread::get_id() != mPrimaryThreadId)
        return false;
    DemoEvent event;
    if (mDemo.mReader.TakeHttpResult(mUpdateCount, transferId, event) != DemoRead::Event)
        return false;
    result = event.mCode;
    content = event.mBytes;
    return true;
}

bool OlvarnAppBase::RecordHttpResult(int32_t transferId, int result, const std::string& content)
{
    if (!mRecordingDemo || !mMainThreadKnown || std::this_thread::get_id() != mPrimaryThreadId)
        return false;
    DemoEvent event;
    event.mKind = DemoEventKind::HttpResult;
    event.mNumber = transferId;
    event.mCode = result & 0xFF;
    event.mBytes = content;
    RecordDemoEvent(event);
    return true;
}

bool OlvarnAppBase::PlayRegistryRead(uint32_t& type, unsigned char* data, uint32_t& size)
{
    DemoEvent event;
    if (mDemo.mSyncEnded || !TakeSyncEvent(mDemo, DemoEventKind::RegistryRead, event) || !event.mFlag)
        return false;
    type = static_cast<uint32_t>(event.mNumber);
    size = std::min(size, static_cast<uint32_t>(event.mBytes.size()));
    std::copy(event.mBytes.begin(), event.mBytes.begin() + size, data);
    return true;
}

void OlvarnAppBase::RecordRegistryRead(bool ok, uint32_t type, const unsigned char* data, uint32_t size)
{
    DemoEvent event;
    event.mKind = DemoEventKind::RegistryRead;
    event.mFlag = ok;
    if (ok) {
        event.mNumber = static_cast<int32_t>(type);
        event.mBytes.assign(reinterpret_cast<const char*>(data), size);
    }
    RecordDemoEvent(event);
}

bool OlvarnAppBase::PlayRegistryWrite()
{
    DemoEvent event;
    if (mDemo.mSyncEnded)
        return true;
    return TakeSyncEvent(mDemo, DemoEventKind::RegistryWrite, event) && event.mFlag;
}

void OlvarnAppBase::RecordRegistryWrite(bool ok)
{
    DemoEvent event;
    event.mKind = DemoEventKind::RegistryWrite;
    event.mFlag = ok;
    RecordDemoEvent(event);
}

// ---- Files and start-up ----------------------------------------------------------------------------

bool OlvarnAppBase::LoadDemoFile(std::string& error)
{
    DemoFile file;
    if (!DemoFile::Load(mDemoFileName, mProductVersion, file, error))
        return false;
    mRandSeed = static_cast<int>(file.mSeed);
    SeedRandom(file.mSeed);
    mDemo.mLabels = file.mLabels;
    mDemo.mTotalUpdates = file.mTotalUpdates;
    mDemo.mBuffer.Clear();
    mDemo.mBuffer.SetData(file.mStream.data(), static_cast<int>(file.mStream.size()));
    return true;
}

std::string OlvarnAppBase::SaveDemoForCrashReport()
{
    std::string attachment;
    if (mRecordingDemo) {
        WriteDemoTimeStep();
        mDemo.mBuffer.AppendBits(0, 1);
        mDemo.mBuffer.AppendBits(31, 5);
        if (SaveDemoFile()) {
            std::error_code error;
            std::filesystem::path path = std::filesystem::absolute(mDemoFileName, error);
            attachment = error ? mDemoFileName : path.string();
        }
    }
    std::string own = GetCrashAttachmentPath();
    if (!own.empty())
        attachment = own;
    mRecordingDemo = false;
    mPlayingDemo = false;
    return attachment;
}

bool OlvarnAppBase::SaveDemoFile()
{
    if (!mRecordingDemo)
        return false;
    DemoFile file;
    file.mSeed = static_cast<uint32_t>(mRandSeed);
    file.mProductVersion = mProductVersion;
    file.mLabels = mDemo.mLabels;
    file.mTotalUpdates = mDemo.mFull ? mDemo.mFullAt : mUpdateCount;
    if (mDemo.mBuffer.ByteLength() > 0)
        file.mStream.assign(mDemo.mBuffer.GetData(), mDemo.mBuffer.GetData() + mDemo.mBuffer.ByteLength());
    std::vector<unsigned char> bytes = file.Serialize();
    std::string error;
    if (!WriteFileAtomically(mDemoFileName, std::string(bytes.begin(), bytes.end()), &error)) {
        LogWrite(LogLevel::Warning, "the demo was not saved: %s", error.c_str());
        return false;
    }
    // Only now that this recording exists may an old one give way to it.
    if (mDemo.mNumbered == DemoState::Numbered::Record) {
        std::filesystem::path folder = std::filesystem::path(mDemoFileName).parent_path();
        PruneNumberedDemos(folder.empty() ? std::filesystem::path(".") : folder, mDemo.mNumberedCount);
    }
    return true;
}

void OlvarnAppBase::PruneNumberedDemos(const std::filesystem::path& folder, int keep)
{
    // Recordings of this program only: a file of the same name pattern that is no demo stays.
    std::map<int, std::filesystem::path> demos;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        int number = 0;
        if (ParseDemoNumber(it->path().filename().string(), mDemoFileBase, number) && IsDemoFileOnDisk(it->path()))
            demos[number] = it->path();
    }
    if (static_cast<int>(demos.size()) > keep && !demos.empty())
        std::filesystem::remove(demos.begin()->second, ec);
}

void OlvarnAppBase::ResolveDemoFileName(bool inProgramFolder)
{
    if (!inProgramFolder) {
        // A file named on the command line is where the user meant it from where he started us.
        if (mDemo.mFileFromCommandLine && mDemo.mNumbered == DemoState::Numbered::None) {
            std::error_code ec;
            std::filesystem::path path = std::filesystem::absolute(mDemoFileName, ec);
            if (!ec)
                mDemoFileName = path.string();
        }
        return;
    }
    if (mDemo.mNumbered == DemoState::Numbered::Record) {
        int last = NextDemoFileName(mDemoFileBase, mDemo.mNumberedCount, false);
        mDemoFileName = mDemoFileBase + std::to_string(last + 1) + ".dmo";
    } else if (mDemo.mNumbered == DemoState::Numbered::Play) {
        int back = mDemo.mNumberedCount;
        int last = NextDemoFileName(mDemoFileBase, back, false);
        mDemoFileName = mDemoFileBase + std::to_string(last - back) + ".dmo";
    }
}

void OlvarnAppBase::StartDemo()
{
    if (const char* check = std::getenv("OLVARN_DEMO_CHECK"))
        mDemo.mCheckPath = check;
    if (mPlayingDemo) {
        std::string error;
        if (!LoadDemoFile(error)) {
            mPlayingDemo = false;
            ShowFatalMessage(error);
            // Nothing was played: a caller waiting on the replay must not take it for a success.
            ExitProcessClean(1);
        }
    }
    if (!mDemo.mCheckPath.empty()) {
        mDemo.mCheckFile = std::fopen(mDemo.mCheckPath.c_str(), "wb");
        if (!mDemo.mCheckFile)
            LogWrite(LogLevel::Warning, "cannot write the demo check file %s", mDemo.mCheckPath.c_str());
    }
}

void OlvarnAppBase::StartDemoDisplay()
{
    if (!mPlayingDemo)
        return;
    DemoEvent event;
    if (TakeSyncEvent(mDemo, DemoEventKind::Display, event)) {
        mIsWindowed = event.mFlag;
        mRefreshRate = event.mCode;
    }
}

void OlvarnAppBase::EndDemo()
{
    SaveDemoFile();
    if (mDemo.mCheckFile) {
        std::fclose(mDemo.mCheckFile);
        mDemo.mCheckFile = nullptr;
    }
}

// ---- The main loop's demo steps ------------------------------------------------------------------

bool OlvarnAppBase::DemoBlocksUpdate()
{
    // The replay hands over from the loader where the recording did, and no sooner than the real
    // loader allows.
    if (mLoaded != mDemo.mLoadingDoneSeen)
        return true;
    PeekDemoEvent();
    if (mDemo.mReader.LastEventUpdate() != mUpdateCount)
        return false;
    // A replay that writes the determinism check has nothing left to compare once its stream is
    // exhausted: it ends there instead of standing still for a viewer who is not there. The game's
    // own refusal to close during a level does not hold it.
    if (mDemo.mCheckFile && mDemo.mReader.AtEnd() && !mShutdown)
        OlvarnAppBase::ShutDownApp();
    return true;
}

void OlvarnAppBase::EndFastForward()
{
    mDemo.mJumpToEnd = false;
    mDemo.mJumpTarget = 0;
    mDemo.mForceOneDraw = false;
    if (!mDemo.mJumpMuted)
        return;
    mDemo.mJumpMuted = false;
    if (mSoundManager)
        mSoundManager->StopAll();
    Unmute(true);
}

bool OlvarnAppBase::DemoFastForward(double perStep)
{
    if (!mPlayingDemo || (mUpdateCount >= mDemo.mJumpTarget && !mDemo.mJumpToEnd)) {
        if (mDemo.mJumpMuted)
            EndFastForward();
        return false;
    }
    if (!mDemo.mJumpMuted && !mDemo.mForceOneDraw) {
        Mute(true);
        mDemo.mJumpMuted = true;
    }
    const int tick = static_cast<int>(mClock->TickCount());
    if (!mDemo.mHaveFastForwardDraw) {
        mDemo.mHaveFastForwardDraw = true;
        mDemo.mLastFastForwardDraw = tick;
    }
    mPacer.ForgetTime(NowMs());
    const int before = mUpdateCount;
    // The phase stays where it was, so the events due now are played here rather than by the pump.
    PlayDueDemoEvents();
    if (!mShutdown && UpdateAppTick()) {
        mPacer.mPendingUpdatesAcc += perStep - 1;
        PerformDeferredDeletions();
        while (mPacer.mPendingUpdatesAcc >= 1) {
            PlayDueDemoEvents();
            if (!UpdateAppTick())
                break;
            PerformDeferredDeletions();
            mPacer.mPendingUpdatesAcc -= 1;
        }
        UpdateAppFraction(static_cast<float>(perStep));
        PerformDeferredDeletions();
    }
    if (mUpdateCount == before) {
        // Nothing could run. A stream read to its end never lets another update run, so the jump is
        // over; otherwise (the loader is still busy) the pass goes on as a normal one, which takes
        // the window's messages and sleeps.
        if (mDemo.mReader.AtEnd())
            EndFastForward();
        return false;
    }
    if (tick - mDemo.mLastFastForwardDraw >= kFastForwardDrawMs || mDemo.mForceOneDraw) {
        mDemo.mForceOneDraw = false;
        mDemo.mLastFastForwardDraw = tick;
        DrawFrame();
    }
    if (mUpdateCount >= mDemo.mJumpTarget && !mDemo.mJumpToEnd)
        EndFastForward();
    return true;
}

// ---- Playback keys -------------------------------------------------------------------------------

void OlvarnAppBase::SetDemoJumpTarget(int target, bool forceOneDraw)
{
    // There is no jumping back.
    if (target <= mUpdateCount)
        return;
    mDemo.mJumpTarget = target;
    mDemo.mForceOneDraw = forceOneDraw;
}

bool OlvarnAppBase::HandleDemoJumpKey(int character)
{
    const int step = std::max(mFrameTime, 1);
    switch (character) {
    case '0':
        SetDemoJumpTarget(mDemo.mTotalUpdates, false);
        return true;
    case '4':
    case '5':
    case '6':
    case '7':
    case '8':
    case '9':
        SetDemoJumpTarget(mDemo.mTotalUpdates - kJumpKeySeconds[character - '4'] * 1000 / step, false);
        return true;
    case 'J':
    case 'j':
        mDemo.mPendingOverlay = 'J';
        return true;
    case 'L':
    case 'l':
        mDemo.mPendingOverlay = 'L';
        return true;
    case 'M':
    case 'm':
        mDemo.mJumpToEnd = true;
        return true;
    case 'N':
    case 'n':
        SetDemoJumpTarget(mUpdateCount + 1, true);
        return true;
    default:
        return false;
    }
}

// ---- The overlays ---------------------------------------------------------------------------------

void OlvarnAppBase::ShowJumpToTimeDialog()
{
    // The overlay's own text is this machine's setting, never the recording's: read and written
    // past the synchronised operations.
    SettingsStore* store = OpenSettings();
    std::string text;
    SettingsStore::Value value;
    if (store && store->Get("DemoJumpTime", value) && value.mType == REG_SZ) {
        text.assign(value.mData.begin(), value.mData.begin() + std::min<size_t>(value.mData.size(), 1000));
        // Stored with its terminator.
        text = text.substr(0, text.find('\0'));
    }
    DemoOverlay overlay = DemoOverlay::JumpToTime(text);
    RunDemoOverlay(overlay);
    if (!overlay.Accepted())
        return;
    if (store) {
        std::string stored = overlay.Text();
        stored.push_back('\0');
        store->Set("DemoJumpTime", REG_SZ, reinterpret_cast<const unsigned char*>(stored.data()),
                   static_cast<uint32_t>(stored.size()));
        if (!store->Save())
            LogWrite(LogLevel::Warning, "%s", store->LastError().c_str());
    }
    SetDemoJumpTarget(JumpTimeTarget(overlay.Text(), mDemo.mTotalUpdates, mFrameTime), false);
}

void OlvarnAppBase::ShowMarkerListDialog()
{
    DemoOverlay overlay =
        DemoOverlay::MarkerList(MarkerListEntries(mDemo.mLabels, mUpdateCount, mDemo.mTotalUpdates, mFrameTime));
    RunDemoOverlay(overlay);
    if (overlay.Accepted() && overlay.Selected() >= 0)
        SetDemoJumpTarget(overlay.Entries()[overlay.Selected()].mUpdate, false);
}

void OlvarnAppBase::RunDemoOverlay(DemoOverlay& overlay)
{
    if (mDemo.mOverlay)
        return;
    mDemo.mOverlay = &overlay;
    SysFont font(this, "SansSerif", 10);
    // A loop of its own, like a system dialog's: the replay stands still until the box closes.
    while (!overlay.Done() && !mShutdown) {
        PumpPlatformEvents();
        if (overlay.mDirty && mWidgetManager && mWidgetManager->mScreenImage) {
            overlay.mDirty = false;
            Graphics g(mWidgetManager->mScreenImage);
            overlay.Draw(g, &font);
            RepaintWindow(nullptr);
        }
        mClock->SleepMs(mFrameTime > 0 ? mFrameTime : 10);
    }
    mDemo.mOverlay = nullptr;
    // The time spent in the box is not owed to the replay, and the box must leave the screen.
    mPacer.ForgetTime();
    if (mWidgetManager)
        mWidgetManager->InvalidateTree();
}

bool OlvarnAppBase::OfferToDemoOverlay(const AppMessage& message)
{
    DemoOverlay* overlay = mDemo.mOverlay;
    if (!overlay)
        return false;
    const int x = MessageX(message.mParam2), y = MessageY(message.mParam2);
    switch (message.mKind) {
    case AppMessageKind::Char:
        overlay->OnChar(static_cast<int>(message.mParam1));
        return true;
    case AppMessageKind::KeyDown:
        overlay->OnKeyDown(static_cast<int>(message.mParam1));
        return true;
    case AppMessageKind::LButtonDown:
        overlay->OnMouseDown(x, y, 1);
        return true;
    case AppMessageKind::LButtonDblClk:
        overlay->OnMouseDown(x, y, 2);
        return true;
    case AppMessageKind::Close:
        // Closing the program closes the box first; the close itself goes on to the queue.
        overlay->Cancel();
        return false;
    case AppMessageKind::KeyUp:
    case AppMessageKind::SysKeyDown:
    case AppMessageKind::SysKeyUp:
    case AppMessageKind::MouseMove:
    case AppMessageKind::LButtonUp:
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

// ---- The determinism check -------------------------------------------------------------------------

uint64_t OlvarnAppBase::DemoStateHash()
{
    uint64_t hash = kHashSeed;
    hash = Mix(hash, mUpdateCount);
    hash = Mix(hash, ThreadRandom().State());
    hash = Mix(hash, mRecordedMouseX.load());
    hash = Mix(hash, mRecordedMouseY.load());
    hash = Mix(hash, mHasFocus);
    hash = Mix(hash, mMinimized);
    hash = Mix(hash, mMouseIn);
    hash = Mix(hash, mLoaded);
    hash = Mix(hash, mIsWindowed);
    hash = Mix(hash, mRefreshRate);
    return hash;
}

void OlvarnAppBase::DemoCheckAfterUpdate()
{
    if (!mDemo.mCheckFile)
        return;
    std::fprintf(mDemo.mCheckFile, "%d %016" PRIx64 "\n", mUpdateCount, DemoStateHash());
    if (mUpdateCount % 100 != 0 || !mWidgetManager || !mWidgetManager->mScreenImage)
        return;
    // The whole tree drawn afresh, so the frame does not depend on when the last draws happened.
    auto* screen = dynamic_cast<MemoryImage*>(mWidgetManager->mScreenImage);
    if (!screen)
        return;
    mWidgetManager->InvalidateTree();
    mWidgetManager->DrawWidgets();
    const uint32_t* bits = screen->GetBits();
    uint64_t hash = kHashSeed;
    if (bits)
        hash = Fnv1a(hash, bits, static_cast<size_t>(screen->PixelCount()) * sizeof(uint32_t));
    std::fprintf(mDemo.mCheckFile, "%d frame %016" PRIx64 "\n", mUpdateCount, hash);
}

} // namespace Olvarn
