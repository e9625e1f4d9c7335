// How the game screen and the level map are written to and read from a saved game.
#include "screens/ScreensSave.h"

#include <memory>

#include "board/CPlayerInfo.h"
#include "data/CSaveSchema.h"
#include "data/StartupRegistrations.h"
#include "resources/ResourceManager.h"
#include "screens/CGameScreen.h"
#include "screens/CMapWindow.h"
#include "shell/GameServices.h"

namespace tilvan
{

using save::SaveReader;
using save::SaveWriter;

namespace
{

using save::CSaveSchema;

const CSaveSchema kGame{"game", {"player", "state"}};
const CSaveSchema kMap{"map", {"light_dot", "new_game", "melted"}};

save::CSaveObject* CreateMap()
{
    return new CMapWindow(nullptr, true);
}

} // namespace

int CGameScreen::Save()
{
    return SaveWriter().WriteRow(kGame.element, save::Child(CPlayerInfo::Instance()),
                                 save::PolymorphicChild(state.get()));
}

void CGameScreen::Load(int row)
{
    if (state)
        state->Deactivate();
    state.reset();
    pendingState.reset();
    // The restored state is built with its pictures, so "Game" is there before it; the loader
    // thread is not needed any more.
    if (Olvarn::ResourceManager* resources = services::Resources()) {
        resources->LoadGroup("Map");
        resources->LoadGroup("Game");
    }
    loaded = true;
    std::unique_ptr<CGameState> restored;
    SaveReader().GetRow(kGame.element, row, save::Child(CPlayerInfo::Instance()), save::Polymorphic(restored));
    if (!restored)
        throw "The saved game holds no game state";
    restored->SetOwner(this);
    state = std::move(restored);
    state->OnLoaded();
}

int CMapWindow::Save()
{
    return SaveWriter().WriteRow(kMap.element, lightDot, newGame, melted);
}

void CMapWindow::Load(int row)
{
    SaveReader().GetRow(kMap.element, row, lightDot, newGame, melted);
    // Activation moves the player on to the level after the one won; the saved map already did.
    if (!newGame)
        CPlayerInfo::Instance().level -= 1;
    Activate();
}

void RegisterScreensSaveClasses()
{
    save::RegisterSchema<kGame>(CGameScreen::kClassId);
    save::RegisterSchema<kMap>(CMapWindow::kClassId, &CreateMap);
}

void AddScreensSaveRegistrations(CStartupRegistrations& r)
{
    r.Add(EStartupStep::GameAndGridSaveClasses, [] { save::RegisterSchema<kGame>(CGameScreen::kClassId); });
    r.Add(EStartupStep::PlaySaveClasses, [] { save::RegisterSchema<kMap>(CMapWindow::kClassId, &CreateMap); });
}

} // namespace tilvan
