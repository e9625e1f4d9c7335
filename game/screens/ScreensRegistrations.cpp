// The screens folder's registrations: the level map's rows, the panel and map makers of play, and the
// game screen as the first screen after loading.
#include "screens/ScreensRegistrations.h"

#include "data/CPropertyLoader.h"
#include "data/StartupRegistrations.h"
#include "screens/CGameScreen.h"
#include "screens/CInfoPanel.h"
#include "screens/CMapWindow.h"
#include "screens/ScreensSave.h"
#include "shell/CGameApp.h"

namespace tilvan
{

void RegisterScreens(CStartupRegistrations& steps)
{
    AddScreensSaveRegistrations(steps);
    steps.Add(EStartupStep::FolderComponents, [] {
        SetPropertyComponent(EPropertyComponent::LevelMap,
                             {&DeclareMapSchema, [](CXmlDataReader& r, Olvarn::OlvarnAppBase*) { LoadMapConfig(r); }});
        PlayMakers().panel = [](CPlay& play) { return std::make_unique<CInfoPanel>(play); };
        PlayMakers().map = [](CGameStateHost* host, bool newGame) -> CGameState* {
            return new CMapWindow(host, newGame);
        };
        // The main menu takes this place once it exists.
        CGameApp::SetFirstScreenMaker([] { return new CGameScreen(false); });
    });
}

} // namespace tilvan
