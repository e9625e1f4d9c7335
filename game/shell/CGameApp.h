// The game's application: fixes the window, title and settings key, verifies the data files, loads
// the start-up resources while the loading screen shows progress, loads the property files, and owns
// the screen holder through which every screen change passes.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/OlvarnAppBase.h"
#include "shell/CScreenHolder.h"

namespace tilvan
{

class CPropertyLoader;
class CScreen;

class CGameApp : public Olvarn::OlvarnAppBase
{
public:
    static constexpr const char* kVersion = "1.01";
    static constexpr const char* kRegistryKey = "Quendril\\Tamberlo";
    static constexpr const char* kSignatureFile = "xml.sig";

    // The process-wide application, created on first use.
    static CGameApp& Instance();

    CGameApp();
    ~CGameApp() override;

    void CreateMainWindow() override;
    void OnBeforeWindowCreation() override;
    void OnInitDone() override;
    void LoadResourcesInBackground() override;
    void OnLoadingFinished() override;
    void ShutDownApp() override;
    void OnAppActivated() override;
    void OnAppDeactivated() override;
    // The framework's part and the current screen's game.
    uint64_t DemoStateHash() override;

    // The sound id of a resource, -1 when no sound has that id.
    int GetSoundId(const std::string& name);
    // Shuts down even while a level blocks it.
    void Quit();
    void SetShutdownBlocked(bool blocked) { shutdownBlocked = blocked; }
    bool IsShutdownBlocked() const { return shutdownBlocked; }
    bool IsCheatsEnabled() const { return cheats; }
    void SetScreen(CScreen* screen);
    void FocusScreen();
    void AddScreenPause(bool add);
    void MinimizeWindow();
    void RemoveScreen();

    CScreenHolder& ScreenHolder() { return mScreenHolder; }
    // The screen that follows the loading screen; a folder above the shell installs its maker.
    using ScreenMaker = std::function<CScreen*()>;
    static void SetFirstScreenMaker(ScreenMaker maker);
    // Verifies the property files; on a mismatch shows the message and asks for shutdown.
    void CheckDataFiles(const std::string& signatureFileName);
    // What the data-file check shows and when (tests watch it instead of a message box).
    bool DataCheckFailed() const { return mDataCheckFailed; }

    // The path of "game.ini" in the current folder.
    static std::string GameIniPath();
    // True when a desktop of that size cannot hold the 1024 x 768 window.
    // Hands the shell's property-file readers to the property loader.
    static void RegisterPropertyComponents();
    static bool DesktopForcesFullScreen(int width, int height) { return width <= 1024 || height <= 768; }

private:
    void ReadLoadingLayout();
    // Loads one resource group one resource at a time; false when loading should stop.
    bool LoadGroupInSteps(const std::string& group);

    CScreenHolder mScreenHolder;
    std::unique_ptr<CPropertyLoader> mPropertyLoader;
    bool cheats = false;
    bool shutdownBlocked = false;
    bool mDataCheckFailed = false;
};

} // namespace tilvan
