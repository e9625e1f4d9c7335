// Small services the game calls on the application: message boxes and the error log, clipboard,
// URL opening, version and crash-report facts, sound playback and volumes, and image helpers.
#include <cstdio>
#include <ctime>
#include <fstream>

#include "app/OlvarnAppBase.h"
#include "core/CriticalSection.h"
#include "core/Rect.h"
#include "graphics/DDImage.h"
#include "graphics/DDInterface.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "platform/Clipboard.h"
#include "platform/Clock.h"
#include "platform/InputFlush.h"
#include "platform/Paths.h"
#include "platform/ThreadNumber.h"
#include "platform/Url.h"
#include "platform/Window.h"
#include "resources/ImageLib.h"
#include "sound/DSoundManager.h"
#include "sound/MusicInterface.h"
#include "sound/SoundInstance.h"
#include "widgets/WidgetManager.h"

namespace Olvarn
{

namespace
{

// The first line of a process empties the log; later lines are appended.
bool gErrorLogStarted = false;

std::string ErrorLogPath()
{
    return Paths::ProductDataFolder() + "/ScrError.txt";
}

// The most of a version file that is read; a version is one short line.
constexpr std::streamsize kMaxVersionLength = 256;

} // namespace

// ---- Message boxes and the error log ----

void OlvarnAppBase::AppendErrorLog(const std::string& text)
{
    std::string folder = Paths::ProductDataFolder();
    Paths::MakeFolders(folder);
    std::FILE* file = std::fopen(ErrorLogPath().c_str(), gErrorLogStarted ? "ab" : "wb");
    if (!file)
        return;
    gErrorLogStarted = true;
    std::time_t now = std::time(nullptr);
    char clock[16] = "00:00:00";
    if (const std::tm* local = std::localtime(&now))
        std::strftime(clock, sizeof clock, "%H:%M:%S", local);
    std::fprintf(file, "%s %s %u\r\n", text.c_str(), clock, static_cast<unsigned>(mClock->TickCount()));
    std::fclose(file);
}

void OlvarnAppBase::BeginSystemPopup()
{
    // The display shows the desktop's own drawing while the box is up, so the box can be seen.
    if (mIsWindowed || !mDDInterface)
        return;
    if (Display* display = mDDInterface->GetDisplay())
        display->FlipToDesktop();
    mInSystemPopup = true;
}

void OlvarnAppBase::EndSystemPopup()
{
    if (!mIsWindowed)
        mInSystemPopup = false;
    // The time the box was up is not owed to the game as updates.
    mPacer.ForgetTime(NowMs());
    if (mWidgetManager)
        mWidgetManager->ClearKeyTable();
    // Keys and clicks made at the box were meant for the box, not for the game behind it.
    FlushPendingInput();
}

int OlvarnAppBase::ShowMessageBox(const std::string& text, const std::string& title, int flags)
{
    if (mIsScreenSaver) {
        AppendErrorLog(text);
        return IDOK;
    }
    BeginSystemPopup();
    int answer = MessageBox::Show(text, title, flags, mMainWindow.get());
    EndSystemPopup();
    return answer;
}

void OlvarnAppBase::ShowFatalMessage(const std::string& text)
{
    if (mIsScreenSaver) {
        AppendErrorLog(text);
        return;
    }
    BeginSystemPopup();
    if (!mShutdown)
        MessageBox::Show(text, "FATAL ERROR", MB_OK | MB_ICONERROR, mMainWindow.get());
    EndSystemPopup();
}

// ---- Clipboard ----

void OlvarnAppBase::CopyToClipboard(const std::string& text)
{
    if (mPlayingDemo)
        return;
    Clipboard::SetText(text);
}

std::string OlvarnAppBase::GetClipboardText()
{
    // A demo replays what the recording saw, never the player's clipboard.
    return SyncStringWithDemo(mPlayingDemo ? std::string() : Clipboard::GetText());
}

// ---- URL opening ----

bool OlvarnAppBase::LaunchUrl(const std::string& url)
{
    return Url::Open(url);
}

bool OlvarnAppBase::OpenUrl(const std::string& url, bool quitAfterwards)
{
    if (mIsOpeningURL && url == mOpeningURL)
        return true;
    mShutdownOnURLOpen = quitAfterwards;
    mIsOpeningURL = true;
    mOpeningURL = url;
    mOpeningURLTime = static_cast<int>(mClock->TickCount());
    if (Url::IsOpenable(url) && LaunchUrl(url))
        return true;
    OnUrlOpenFailed(url);
    return false;
}

void OlvarnAppBase::OnUrlOpenConfirmed(const std::string& url)
{
    mIsOpeningURL = false;
    if (mShutdownOnURLOpen)
        ShutDownApp();
}

void OlvarnAppBase::OnUrlOpenFailed(const std::string& url)
{
    mIsOpeningURL = false;
}

// ---- Version and crash-report facts ----

std::string OlvarnAppBase::ReadProductVersion(const std::string& path)
{
    // Linux programs carry no version resource; the build puts the product version beside the file
    // as "<file>.version", whose first line is the version.
    std::ifstream file(Paths::ToNative(path) + ".version", std::ios::binary);
    if (!file)
        return std::string();
    std::string line(static_cast<size_t>(kMaxVersionLength), '\0');
    file.read(&line[0], kMaxVersionLength);
    line.resize(static_cast<size_t>(file.gcount()));
    size_t end = line.find_first_of("\r\n");
    if (end != std::string::npos)
        line.resize(end);
    return line;
}

std::string OlvarnAppBase::DescribeForCrashReport()
{
    int seconds = (NowMs() - mConstructionTime) / 1000;
    char loaded[48];
    std::snprintf(loaded, sizeof loaded, "%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
    char thread[16];
    std::snprintf(thread, sizeof thread, "%X", static_cast<unsigned>(mPrimaryThreadNumber));
    return "Product: " + mProductName + "\r\n" + "Version: " + mProductVersion + "\r\n" + "Time Loaded: " + loaded +
           "\r\nFullscreen: " + (mIsWindowed ? "No" : "Yes") + "\r\nPrimary ThreadId: " + thread + "\r\n";
}

// ---- Sound ----

void OlvarnAppBase::PlaySoundOnce(int soundId)
{
    if (!mSoundManager)
        return;
    if (SoundInstance* instance = mSoundManager->NewInstance(soundId))
        instance->Play(false, true);
}

void OlvarnAppBase::PlaySoundPanned(int soundId, int pan)
{
    if (!mSoundManager)
        return;
    if (SoundInstance* instance = mSoundManager->NewInstance(soundId)) {
        instance->SetPan(pan);
        instance->Play(false, true);
    }
}

double OlvarnAppBase::GetSystemVolume()
{
    return mSoundManager ? mSoundManager->GetMixerVolume() : 0.0;
}

void OlvarnAppBase::SetSystemVolume(double volume)
{
    if (mSoundManager)
        mSoundManager->SetMixerVolume(volume);
}

void OlvarnAppBase::HideAppWindow()
{
    SetMusicVolume(0);
    if (mMainWindow)
        mMainWindow->Hide();
    mIsHidden = true;
    ApplyCursor();
}

// ---- Images ----

DDImage* OlvarnAppBase::LoadImageFile(const std::string& path)
{
    // Display images live on the display device; before it exists there is nothing to load into.
    if (!mDDInterface)
        return nullptr;
    std::unique_ptr<ImageLib::Image> decoded = ImageLib::LoadImageFile(path, true);
    if (!decoded)
        return nullptr;
    // Made on the loading thread too: a display restart walking the image set must not find the
    // image before its pixels are in.
    CriticalSectionLock imageSetLock(*mImageSetLock);
    auto* image = new DDImage(mDDInterface);
    image->SetBits(decoded->GetBits(), decoded->GetWidth(), decoded->GetHeight());
    return image;
}

DDImage* OlvarnAppBase::CopyImageRect(MemoryImage* image, const Rect& rect)
{
    if (!mDDInterface)
        return nullptr;
    DDImage* copy = nullptr;
    {
        CriticalSectionLock imageSetLock(*mImageSetLock);
        copy = new DDImage(mDDInterface);
        copy->Create(rect.mWidth, rect.mHeight);
    }
    if (image) {
        Graphics g(copy);
        g.DrawImage(image, -rect.mX, -rect.mY);
        copy->CopyCellLayout(image);
    }
    return copy;
}

DDImage* OlvarnAppBase::DuplicateImage(MemoryImage* image)
{
    if (!image)
        return nullptr;
    return CopyImageRect(image, Rect(0, 0, image->GetWidth(), image->GetHeight()));
}

void OlvarnAppBase::SetVideoMemoryScreenImage(bool videoMemory)
{
    if (videoMemory == mVideoMemoryScreenImage)
        return;
    mVideoMemoryScreenImage = videoMemory;
    if (!mDDInterface)
        return;
    mDDInterface->RecreateScreenImage(videoMemory);
    if (mWidgetManager) {
        mWidgetManager->mScreenImage = mDDInterface->GetScreenImage();
        mWidgetManager->InvalidateTree();
    }
}

bool OlvarnAppBase::Is3DEnabled()
{
    return mDDInterface && mDDInterface->Is3DEnabled();
}

SoundManager* OlvarnAppBase::GetSoundManager()
{
    return mSoundManager;
}

} // namespace Olvarn
