// The screens folder's registrations: the info panel's, the level map's and the main menu's rows,
// the panel and map makers of play, and the main menu as the first screen after loading and after every game.
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
#include "world/CParticleSystem.h"
#include "world/CSnowEffect.h"

namespace tilvan
{

namespace
{

// The world's snow and particle system, seen by the main menu's scene as its effects.
template <typename Effect> class CWorldSceneEffect : public CSceneEffect
{
public:
    explicit CWorldSceneEffect(std::unique_ptr<Effect> effect) : effect(std::move(effect)) {}
    void Update(float ms) override { effect->Update(ms); }
    void Draw(Olvarn::Graphics& g) override { effect->Draw(g); }

private:
    std::unique_ptr<Effect> effect;
};

void InstallSceneEffects()
{
    CMainMenuSceneMakers& makers = MainMenuSceneMakers();
    makers.snow = [](const std::string& scriptPath) -> std::unique_ptr<CSceneEffect> {
        std::unique_ptr<CSnowEffect> snow = CSnowEffect::Create(scriptPath);
        if (!snow)
            return nullptr;
        return std::make_unique<CWorldSceneEffect<CSnowEffect>>(std::move(snow));
    };
    makers.particles = [](CScript& host) -> std::unique_ptr<CSceneEffect> {
        auto system = std::make_unique<CParticleSystem>("init", "update", &host, false);
        system->CallScript();
        return std::make_unique<CWorldSceneEffect<CParticleSystem>>(std::move(system));
    };
    makers.registerParticleClasses = &RegisterParticleClasses;
}

} // namespace

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
        SetPropertyComponent(EPropertyComponent::InfoPanel,
                             {&CInfoPanel::DeclareSchema,
                              [](CXmlDataReader& r, Olvarn::OlvarnAppBase*) { CInfoPanel::LoadConfig(r); },
                              &CInfoPanel::CheckConfig});
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
        InstallSceneEffects();
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
