// The game's one door to the framework.
#include "shell/GameServices.h"

#include "graphics/DDImage.h"
#include "platform/Log.h"
#include "resources/ResourceManager.h"
#include "shell/CGameApp.h"
#include "widgets/WidgetManager.h"

namespace tilvan::services
{

namespace
{

CGameApp* gApp = nullptr;
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
}

Olvarn::ResourceManager* Resources()
{
    if (gTestResources)
        return gTestResources;
    return gApp ? gApp->mResourceManager : nullptr;
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
    if (soundId >= 0 && gApp)
        gApp->PlaySoundOnce(soundId);
}

void PlaySound(const std::string& id)
{
    PlaySound(FindSound(id));
}

Olvarn::MusicInterface* Music()
{
    return gApp ? gApp->mMusicInterface : nullptr;
}

int ScreenWidth()
{
    return gApp ? gApp->mWidth : kDefaultWidth;
}

int ScreenHeight()
{
    return gApp ? gApp->mHeight : kDefaultHeight;
}

bool LastMousePosition(int& x, int& y)
{
    if (!gApp || !gApp->mWidgetManager)
        return false;
    x = gApp->mWidgetManager->mLastMouseX;
    y = gApp->mWidgetManager->mLastMouseY;
    return true;
}

double LoadingProgress()
{
    return gApp ? gApp->GetLoadingProgress() : 0.0;
}

int ShowMessage(const std::string& text, const std::string& title, int flags)
{
    if (gApp)
        return gApp->ShowMessageBox(text, title, flags);
    Olvarn::LogWrite(Olvarn::LogLevel::Error, "%s: %s", title.c_str(), text.c_str());
    return 0;
}

void CloseDialog(Olvarn::Dialog* dialog)
{
    if (!gApp)
        return;
    gApp->CloseDialogOf(dialog);
    gApp->FocusScreen();
}

} // namespace tilvan::services
