// The screens folder's registrations: the level map's and the main menu's rows, the panel and map
// makers of play, and the main menu as the first screen after loading and after every game.
#include "screens/ScreensRegistrations.h"

#include "data/CPropertyLoader.h"
#include "data/StartupRegistrations.h"
#include "records/CCreateProfileDialog.h"
#include "records/CProfiles.h"
#include "records/CRecords.h"
#include "records/CRecordsWindow.h"
#include "records/CUserManagementDialog.h"
#include "screens/CGameScreen.h"
#include "screens/CInfoPanel.h"
#include "screens/CMainMenu.h"
#include "screens/CMainMenuScene.h"
#include "screens/CMapWindow.h"
#include "screens/ScreensSave.h"
#include "shell/CGameApp.h"
#include "shell/CHelpWindow.h"
#include "shell/CHintRegistry.h"

namespace tilvan
{

void RegisterScreens(CStartupRegistrations& steps)
{
    AddScreensSaveRegistrations(steps);
    steps.Add(EStartupStep::FolderComponents, [] {
        SetPropertyComponent(EPropertyComponent::LevelMap,
                             {&DeclareMapSchema, [](CXmlDataReader& r, Olvarn::OlvarnAppBase*) { LoadMapConfig(r); }});
        SetPropertyComponent(
            EPropertyComponent::MainMenuImages,
            {&DeclareMainMenuImageSchema, [](CXmlDataReader& r, Olvarn::OlvarnAppBase*) { LoadImageConfig(r); }});
        SetPropertyComponent(
            EPropertyComponent::MainMenuLogo,
            {&DeclareMainMenuLogoSchema, [](CXmlDataReader& r, Olvarn::OlvarnAppBase*) { LoadLogoConfig(r); }});
        PlayMakers().panel = [](CPlay& play) { return std::make_unique<CInfoPanel>(play); };
        PlayMakers().map = [](CGameStateHost* host, bool newGame) -> CGameState* {
            return new CMapWindow(host, newGame);
        };
        CGameApp::SetFirstScreenMaker([]() -> CScreen* { return new CMainMenu(); });
        CGameScreen::SetMainMenuMaker([]() -> CScreen* { return new CMainMenu(); });
        CMainMenuWindows& windows = MainMenuWindows();
        windows.records = []() -> Olvarn::Dialog* {
            return new CRecordsWindow(true, CRecords::Instance(), CProfiles::Instance());
        };
        windows.help = [](CScreen* owner) -> Olvarn::Dialog* { return new CHelpWindow(owner, true); };
        windows.userManagement = []() -> Olvarn::Dialog* { return new CUserManagementDialog(CProfiles::Instance()); };
        windows.createProfile = [](const std::string& name) -> Olvarn::Dialog* {
            return new CCreateProfileDialog(CProfiles::Instance(), true, name);
        };
        // Hints are offered or not as the current player chose; without a player they are.
        CHintRegistry::Instance().SetShowHintsAccess(
            [] {
                CProfile* profile = CProfiles::Instance().GetCurrentProfile();
                return !profile || profile->show_hints;
            },
            [](bool show) {
                if (CProfile* profile = CProfiles::Instance().GetCurrentProfile())
                    profile->show_hints = show;
            });
    });
}

} // namespace tilvan
