// The game screen: state hosting, the "Game" loader thread and the input forwarding.
#include "screens/CGameScreen.h"

#include <string>

#include "board/CPlayerInfo.h"
#include "graphics/Graphics.h"
#include "platform/Log.h"
#include "records/CProfiles.h"
#include "records/CRecords.h"
#include "records/LevelResult.h"
#include "resources/ResourceManager.h"
#include "screens/CMapWindow.h"
#include "shell/CGameApp.h"
#include "shell/GameServices.h"
#include "widgets/WidgetManager.h"

namespace tilvan
{

namespace
{

CGameScreen::MenuMaker gMenuMaker = nullptr;

} // namespace

void CGameScreen::SetMainMenuMaker(MenuMaker maker)
{
    gMenuMaker = maker;
}

CGameScreen::CGameScreen(bool loadSaved) : loadSaved(loadSaved)
{
    if (Olvarn::ResourceManager* resources = services::Resources())
        resources->LoadGroup("Map");
    CPlayerInfo::Instance().Reset();
}

bool CGameScreen::CanContinue()
{
    CProfile* profile = CProfiles::Instance().EnsureCurrentProfile();
    return profile && profile->HasSavedGame();
}

void CGameScreen::ContinueSavedGame()
{
    if (CGameApp* app = services::App())
        app->SetScreen(new CGameScreen(true));
}

CGameScreen::~CGameScreen()
{
    CProfiles& profiles = CProfiles::Instance();
    // The game is kept for "continue" in the current profile, the first one standing in when none is.
    if (state && state->IsSaveable() && profiles.EnsureCurrentProfile() && !profiles.SaveGame(*this))
        Olvarn::LogWrite(Olvarn::LogLevel::Error, "The game could not be saved for \"continue\"");
    if (!records::SavePlayerFiles(profiles, CRecords::Instance()))
        Olvarn::LogWrite(Olvarn::LogLevel::Error, "The profiles or the records could not be written");
    if (state)
        state->Deactivate();
    state.reset();
    pendingState.reset();
    StopLoader();
    if (Olvarn::ResourceManager* resources = services::Resources()) {
        resources->UnloadGroup("Map");
        resources->UnloadGroup("Game");
    }
}

void CGameScreen::OnAttached(Olvarn::WidgetManager* manager)
{
    CScreen::OnAttached(manager);
    if (loadSaved && !state)
        RestoreSavedGame();
    if (!state) {
        state.reset(new CMapWindow(this, true));
        state->Activate();
    }
}

void CGameScreen::RestoreSavedGame()
{
    CProfiles& profiles = CProfiles::Instance();
    profiles.EnsureCurrentProfile();
    if (profiles.LoadGame(*this, &restoreProblem))
        return;
    // Whatever a refused save left behind is dropped: the game starts anew from the map, and the
    // profile itself stays as it was (its save moved aside for the player).
    state.reset();
    CPlayerInfo::Instance().Reset();
    if (!restoreProblem.empty())
        services::ShowMessage(restoreProblem, "Error!", 0);
}

void CGameScreen::SetState(CGameState* next)
{
    pendingState.reset(next);
}

void CGameScreen::StartLoader()
{
    if (loader.joinable())
        loader.join();
    loaderRunning = true;
    loader = std::thread([this] {
        Olvarn::ResourceManager* resources = services::Resources();
        if (resources) {
            resources->BeginGroupLoad("Game");
            while (!abortLoading && resources->LoadNextPending()) {
            }
            if (!abortLoading && resources->HasFailed())
                loadFailed = true;
        }
        loaded = true;
        loaderRunning = false;
        abortLoading = false;
    });
}

void CGameScreen::StopLoader()
{
    abortLoading = true;
    if (loader.joinable())
        loader.join();
    abortLoading = false;
}

void CGameScreen::AbortLoading()
{
    StopLoader();
}

void CGameScreen::SwapPending()
{
    if (!pendingState || !loaded)
        return;
    if (state)
        state->Deactivate();
    state = std::move(pendingState);
    state->Activate();
}

bool CGameScreen::LeaveForMenu()
{
    if (!mainMenuPending)
        return false;
    mainMenuPending = false;
    CGameApp* app = services::App();
    if (!app)
        return true;
    if (gMenuMaker) {
        if (Olvarn::ResourceManager* resources = services::Resources())
            resources->LoadGroup("MainMenu");
        app->SetScreen(gMenuMaker());
    } else {
        app->SetScreen(new CGameScreen(false));
    }
    return true;
}

void CGameScreen::RunState(float ms)
{
    try {
        state->UpdateF(ms);
    } catch (const char* text) {
        services::ShowMessage(text, "Error!", 0);
        if (CGameApp* app = services::App())
            app->Quit();
    } catch (const std::exception& e) {
        services::ShowMessage(e.what(), "Error!", 0);
        if (CGameApp* app = services::App())
            app->Quit();
    }
}

void CGameScreen::Update()
{
    if (!loaded && !loaderRunning)
        StartLoader();
    if (LeaveForMenu())
        return;
    SwapPending();
    CScreen::Update();
    if (state && !IsPaused()) {
        state->Update();
        // The frame's time goes to the state in the same whole update, so a replay that places the
        // fractional updates elsewhere sees the same game.
        if (state)
            RunState(kStepMs);
    }
    Invalidate();
}

void CGameScreen::AddStateHash(CStateHash& hash) const
{
    CScreen::AddStateHash(hash);
    // Not whether the loader is done: its thread finishes when it does, and the game waits for it
    // wherever it matters.
    const CPlayerInfo& player = CPlayerInfo::Instance();
    hash.AddInt(player.level);
    hash.AddInt(player.score);
    hash.AddInt(player.points);
    hash.AddInt(player.flags);
    hash.AddInt(player.statistic.pearls);
    hash.AddFloat(player.statistic.time);
    for (int count : player.bonus_count)
        hash.AddInt(count);
    hash.AddBool(pendingState != nullptr);
    hash.AddBool(state != nullptr);
    if (state)
        state->AddStateHash(hash);
}

void CGameScreen::Draw(Olvarn::Graphics& g)
{
    g.SetColor(Olvarn::Color(0, 0, 0, 255));
    g.FillRect(0, 0, mWidth, mHeight);
    if (state)
        state->Draw(g);
}

void CGameScreen::OnMouseDown(int x, int y, int clickCode)
{
    if (state && !IsPaused())
        state->MouseDown(x, y, clickCode);
}

void CGameScreen::OnMouseUp(int x, int y, int clickCode)
{
    if (state && !IsPaused())
        state->MouseUp(x, y, clickCode);
}

void CGameScreen::OnMouseMove(int x, int y)
{
    if (state && !IsPaused())
        state->MouseMove(x, y);
}

void CGameScreen::OnMouseDrag(int x, int y)
{
    if (state && !IsPaused())
        state->MouseDrag(x, y);
}

void CGameScreen::OnKeyDown(int key)
{
    if (state && !IsPaused())
        state->KeyDown(key);
}

void CGameScreen::OnMouseWheel(int delta)
{
    if (state && !IsPaused())
        state->MouseWheel(delta);
}

void CGameScreen::OnFocusGained()
{
    if (state)
        state->GotFocus();
}

void CGameScreen::OnFocusLost()
{
    if (state)
        state->LostFocus();
}

} // namespace tilvan
