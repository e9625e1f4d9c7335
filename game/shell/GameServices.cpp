// The game's one door to the framework.
#include "shell/GameServices.h"

#include <algorithm>
#include <cmath>

#include "graphics/DDImage.h"
#include "platform/Log.h"
#include "resources/ResourceManager.h"
#include "shell/CGameApp.h"
#include "widgets/Dialog.h"
#include "widgets/WidgetManager.h"

namespace tilvan::services
{

namespace
{

CGameApp* gApp = nullptr;
Olvarn::OlvarnAppBase* gFramework = nullptr;
Olvarn::ResourceManager* gTestResources = nullptr;

constexpr int kDefaultWidth = 1024;
constexpr int kDefaultHeight = 768;

} // namespace

CGameApp* App()
{
    return gApp;
}

void InstallApp(CGameApp* app)
{
    gApp = app;
    gFramework = app;
}

std::string SyncTextWithDemo(const std::string& text)
{
    return gFramework ? gFramework->SyncStringWithDemo(text) : text;
}

void InstallFrameworkApp(Olvarn::OlvarnAppBase* app)
{
    gFramework = app;
}

Olvarn::ResourceManager* Resources()
{
    if (gTestResources)
        return gTestResources;
    return gFramework ? gFramework->mResourceManager : nullptr;
}

void SetTestResources(Olvarn::ResourceManager* resources)
{
    gTestResources = resources;
}

Olvarn::Image* FindImage(const std::string& id)
{
    Olvarn::ResourceManager* resources = Resources();
    return resources ? resources->FindImage(id) : nullptr;
}

Olvarn::Font* FindFont(const std::string& id)
{
    Olvarn::ResourceManager* resources = Resources();
    return resources && !id.empty() ? resources->FindFont(id) : nullptr;
}

int FindSound(const std::string& id)
{
    Olvarn::ResourceManager* resources = Resources();
    return resources ? resources->FindSoundId(id) : -1;
}

void PlaySound(int soundId)
{
    if (soundId >= 0 && gFramework)
        gFramework->PlaySoundOnce(soundId);
}

void PlaySound(const std::string& id)
{
    PlaySound(FindSound(id));
}

Olvarn::MusicInterface* Music()
{
    return gFramework ? gFramework->mMusicInterface : nullptr;
}

int ScreenWidth()
{
    return gFramework ? gFramework->mWidth : kDefaultWidth;
}

int ScreenHeight()
{
    return gFramework ? gFramework->mHeight : kDefaultHeight;
}

bool Is3DEnabled()
{
    return gFramework && gFramework->Is3DEnabled();
}

bool LastMousePosition(int& x, int& y)
{
    if (!gFramework || !gFramework->mWidgetManager)
        return false;
    x = gFramework->mWidgetManager->mLastMouseX;
    y = gFramework->mWidgetManager->mLastMouseY;
    return true;
}

double LoadingProgress()
{
    return gFramework ? gFramework->GetLoadingProgress() : 0.0;
}

Olvarn::WidgetManager* WidgetManager()
{
    return gFramework ? gFramework->mWidgetManager : nullptr;
}

void AddScreenPause(bool add)
{
    if (gApp)
        gApp->AddScreenPause(add);
}

int ShowMessage(const std::string& text, const std::string& title, int flags)
{
    if (gFramework)
        return gFramework->ShowMessageBox(text, title, flags);
    Olvarn::LogWrite(Olvarn::LogLevel::Error, "%s: %s", title.c_str(), text.c_str());
    return 0;
}

int AppCursor()
{
    return gFramework ? gFramework->GetCursor() : -1;
}

void SetAppCursor(int number)
{
    if (gFramework)
        gFramework->SetCursor(number);
}

Olvarn::WidgetManager* Widgets()
{
    return gFramework ? gFramework->mWidgetManager : nullptr;
}

int RunDialog(Olvarn::Dialog* dialog, int id, bool autoRemove)
{
    if (!gFramework || !gFramework->mWidgetManager) {
        delete dialog;
        return -1;
    }
    if (id < 0)
        gFramework->AddDialogOwnId(dialog);
    else
        gFramework->RegisterDialog(id, dialog);
    gFramework->mWidgetManager->SetFocusWidget(dialog);
    return dialog->RunUntilClosed(autoRemove);
}

void OpenDialog(Olvarn::Dialog* dialog, int id)
{
    if (!gFramework || !gFramework->mWidgetManager) {
        delete dialog;
        return;
    }
    if (id < 0)
        gFramework->AddDialogOwnId(dialog);
    else
        gFramework->RegisterDialog(id, dialog);
    gFramework->mWidgetManager->SetFocusWidget(dialog);
}

bool IsLiveScreen(const CScreen* screen)
{
    if (!gApp)
        return true;
    return screen == gApp->ScreenHolder().Current() || screen == gApp->ScreenHolder().Pending();
}

void CloseDialog(Olvarn::Dialog* dialog)
{
    if (gFramework)
        gFramework->CloseDialogOf(dialog);
    if (gApp)
        gApp->FocusScreen();
}

double MusicVolume()
{
    return gFramework ? gFramework->GetMusicVolume() : 0.85;
}

double SfxVolume()
{
    return gFramework ? gFramework->GetSfxVolume() : 0.85;
}

void SetMusicVolume(double volume)
{
    if (gFramework)
        gFramework->SetMusicVolume(volume);
}

void SetSfxVolume(double volume)
{
    if (gFramework)
        gFramework->SetSfxVolume(volume);
}

double StoredVolume(double volume)
{
    return double(std::lround(std::clamp(volume, 0.0, 1.0) * 100)) / 100;
}

void SaveOptionSettings()
{
    if (!gFramework)
        return;
    auto hundredths = [](double volume) { return uint32_t(std::lround(StoredVolume(volume) * 100)); };
    gFramework->WriteRegistryDWORD("MusicVolume", hundredths(gFramework->GetMusicVolume()));
    gFramework->WriteRegistryDWORD("SfxVolume", hundredths(gFramework->GetSfxVolume()));
    gFramework->WriteRegistryDWORD("ScreenMode", gFramework->mIsWindowed || gFramework->mFullScreenForced ? 0 : 1);
    gFramework->WriteRegistryDWORD("CustomCursors", gFramework->mCustomCursorsEnabled ? 1 : 0);
}

bool IsWindowed()
{
    return gFramework ? gFramework->mIsWindowed : true;
}

bool IsWindowedUnavailable()
{
    return gFramework && gFramework->mWindowedUnavailable;
}

bool CustomCursorsEnabled()
{
    return gFramework && gFramework->mCustomCursorsEnabled;
}

void SetCustomCursorsEnabled(bool enabled)
{
    if (gFramework)
        gFramework->SetCustomCursorsEnabled(enabled);
}

bool Is3DSupported()
{
    return gFramework && gFramework->Is3DSupported();
}

bool Is3DRecommended()
{
    return gFramework && gFramework->Is3DRecommended();
}

void ChangeScreenMode(bool windowed, bool is3D)
{
    if (gFramework)
        gFramework->ChangeScreenMode(windowed, is3D, false);
}

} // namespace tilvan::services
