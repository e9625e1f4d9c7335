// The play state: level-start and level-end flows, the slow-down, and input to cursor and listeners.
#include "play/CPlay.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "board/CGrid.h"
#include "board/CPipeline.h"
#include "board/CPipelineElement.h"
#include "board/CPlayerInfo.h"
#include "core/Random.h"
#include "data/CConstantsRegistry.h"
#include "data/CLevelInfo.h"
#include "data/CStringTable.h"
#include "play/PlayHooks.h"
#include "records/CProfiles.h"
#include "shell/CDialogBuilder.h"
#include "shell/CEventsScript.h"
#include "shell/CGameApp.h"
#include "shell/CHelpWindow.h"
#include "shell/CHintRegistry.h"
#include "shell/CScreen.h"
#include "shell/GameServices.h"
#include "sound/MusicInterface.h"

namespace tilvan
{

CPlayMakers& PlayMakers()
{
    static CPlayMakers makers;
    return makers;
}

namespace
{

void SetShutdownBlocked(bool blocked)
{
    if (CGameApp* app = services::App())
        app->SetShutdownBlocked(blocked);
}

} // namespace

CPlay::CPlay(CGameStateHost* host)
{
    owner = host;
    flag = false;
    if (PlayHooksEnabled())
        InstallPlayEvents();
    level = std::make_unique<CLevel>(this);
    cursor = std::make_unique<CCursor>();
    if (PlayMakers().panel)
        panel = PlayMakers().panel(*this);
    if (Olvarn::MusicInterface* music = services::Music())
        music->FadeOut(0, true, 0.008);
    // The group "Game" holds the level's pictures; a failed load would never finish.
    if (owner) {
        while (!owner->IsLoaded()) {
            if (owner->LoadingFailed())
                throw std::runtime_error("The game's resources could not be loaded.");
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    SetShutdownBlocked(true);
}

CPlay::~CPlay()
{
    SetShutdownBlocked(false);
    panel.reset();
    cursor.reset();
    level.reset();
}

void CPlay::OnLoaded()
{
    level->StartEnvironment();
}

int CPlay::RunNamedDialog(const char* name, int textNumber, int id)
{
    auto* dialog = new CDialogBuilder(name, true);
    if (textNumber > 0)
        dialog->SetText(GetStringTable().GetString(textNumber));
    return services::RunDialog(dialog, id, true);
}

// The rules are offered at the first level started and once more later on, to players who keep
// hints on; the flags are set either way, so a player who turned hints off is not asked later.
void CPlay::OfferHelp(CPlayerInfo& player)
{
    bool firstPage = true;
    if (!player.HasFlag(CPlayerInfo::first_help_shown)) {
        player.SetFlag(CPlayerInfo::first_help_shown);
    } else if (!player.HasFlag(CPlayerInfo::second_help_shown) && player.level > player.start_level) {
        player.SetFlag(CPlayerInfo::second_help_shown);
        firstPage = false;
    } else {
        return;
    }
    const CProfile* profile = CProfiles::Instance().GetCurrentProfile();
    auto* screen = dynamic_cast<CScreen*>(owner);
    if (profile && profile->show_hints && screen)
        CHelpWindow::Run(screen, firstPage);
}

void CPlay::Activate()
{
    CHintRegistry::Instance().Reset();
    cursor->Reset();
    CPlayerInfo& player = CPlayerInfo::Instance();
    player.TakeLevelStartSnapshot();
    if (panel)
        panel->Init();
    level->Begin(player.level);
    level->StartEnvironment();
    if (panel)
        panel->SetBonusLevel(level->is_bonus());
    player.StartLevel();
    OfferHelp(player);
    const int number = level->get_number();
    if (number == GetLevelCount() && !player.HasFlag(CPlayerInfo::last_level_told)) {
        player.SetFlag(CPlayerInfo::last_level_told);
        SetFlags(true);
        RunNamedDialog("last_level", 0, -1);
        SetFlags(false);
    } else if (!player.HasFlag(CPlayerInfo::start_game_told) && number == 1) {
        player.SetFlag(CPlayerInfo::start_game_told);
        SetFlags(true);
        RunNamedDialog("start_game", 149 + Olvarn::Rand() % 3, -1);
        SetFlags(false);
    }
    if (!player.HasFlag(CPlayerInfo::bonus_level_described) && level->is_bonus()) {
        SetFlags(true);
        player.SetFlag(CPlayerInfo::bonus_level_described);
        RunNamedDialog("bonus_level_description", 0, -1);
        SetFlags(false);
        return;
    }
    if (player.consecutively_win_count >= 4) {
        SetFlags(true);
        player.consecutively_win_count = 0;
        RunNamedDialog("good_playing", 154 + Olvarn::Rand() % 4, -1);
        SetFlags(false);
    }
}

void CPlay::Deactivate()
{
    cursor->Reset();
    CHintRegistry::Instance().Reset();
}

void CPlay::Draw(Olvarn::Graphics& g)
{
    CLayerRegistry::Instance().DrawAll(g);
    level->DrawFront(g);
    if (panel)
        panel->Draw(g);
    cursor->DrawElement(g);
}

void CPlay::Update()
{
    if (flag)
        return;
    if (inactive && panel)
        panel->OnButton(kMenuButton, *cursor);
    const int state = level->get_state();
    if (state == CLevel::ending && cursor->GetState() != CCursor::free)
        cursor->SetState(CCursor::free);
    SetShutdownBlocked(state != CLevel::normal && state != CLevel::danger);
    if (state == CLevel::win || (state == CLevel::lose && level->is_bonus()))
        WinFlow();
    else if (state == CLevel::lose)
        LoseFlow();
}

void CPlay::LoseFlow()
{
    SetFlags(true);
    cursor->SetState(CCursor::free);
    CPlayerInfo& player = CPlayerInfo::Instance();
    player.EndLevel(false);
    int result = RunNamedDialog("in_game_try_again", 0, CDialogBuilder::kDialogId);
    if (result != CDialogBuilder::LEFT) {
        player.RestoreLevelStartSnapshot();
        Activate();
        SetFlags(false);
        return;
    }
    if (player.lost_count >= 2)
        RunNamedDialog("do_not_leave", 158 + Olvarn::Rand() % 3, -1);
    if (owner)
        owner->ReturnToMainMenu();
}

void CPlay::WinFlow()
{
    SetFlags(true);
    CPlayerInfo& player = CPlayerInfo::Instance();
    player.EndLevel(level->get_state() == CLevel::win);
    int fadeTime = 0;
    CConstantsRegistry::Instance().GetInt("music", "fade_time", fadeTime);
    // A fade time of 0 (or an absent key) switches the tracks at once.
    double speed = fadeTime > 0 ? 10.0 / fadeTime : 1.0;
    if (Olvarn::MusicInterface* music = services::Music())
        if (level->get_number() != 60)
            for (int id : {1, 3, 5})
                music->SetFadeSpeed(id, speed);
    RecordLevelEnd();
    if (level->get_number() == GetLevelCount()) {
        RunNamedDialog("win_game", 0, -1);
        FinishGame();
        if (owner)
            owner->ReturnToMainMenu();
        SetFlags(false);
        return;
    }
    cursor->SetState(CCursor::free);
    pause = 0;
    if (owner && PlayMakers().map)
        owner->SetState(PlayMakers().map(owner, false));
    SetFlags(false);
}

void CPlay::UpdateF(float ms)
{
    if (flag)
        return;
    float scaled = ms;
    if (pause > 0) {
        float c = pause_k;
        if (pause > max_pause - 1000)
            c = std::clamp(pause_k + (1 - pause_k) * (pause - max_pause + 1000) / 1000, 0.0f, 1.0f);
        if (pause < 1000)
            c = std::clamp(1 - (1 - pause_k) * pause / 1000, 0.0f, 1.0f);
        pause -= ms;
        if (level->get_state() == CLevel::ending) {
            pause = 0;
            c = 0;
        }
        if (pause < 0)
            pause = 0;
        if (pause == 0)
            max_pause = 0;
        scaled = ms * c;
    }
    lastScaled = scaled;
    if (panel)
        panel->Update(ms);
    level->Update(scaled, ms);
    cursor->Update(scaled, ms);
}

void CPlay::AddStateHash(CStateHash& hash) const
{
    hash.AddBool(flag);
    hash.AddFloat(pause);
    hash.AddInt(level->get_state());
    hash.AddInt(level->get_number());
    hash.AddFloat(level->GetTimeLeft());
    const CGrid& grid = level->Grid();
    hash.AddFloat(grid.GetCompletion());
    for (const CGridCell& cell : grid.GetCells())
        hash.AddBool(cell.free);
    for (const auto& placed : grid.GetElements()) {
        hash.AddInt(placed->element.GetId());
        hash.AddInt(placed->x);
        hash.AddInt(placed->y);
        hash.AddInt(placed->element.GetRotation());
    }
    for (const auto& floating : level->Pipeline().GetElements()) {
        hash.AddInt(floating->element.GetId());
        hash.AddInt(floating->element.GetBonusKind());
        hash.AddFloat(floating->element.GetPosition().x);
        hash.AddFloat(floating->element.GetPosition().y);
        hash.AddInt(floating->element.GetRotation());
    }
    hash.AddInt(cursor->GetState());
    hash.AddFloat(cursor->pos.x);
    hash.AddFloat(cursor->pos.y);
    hash.AddInt(cursor->Element().GetId());
    hash.AddInt(cursor->Element().GetRotation());
}

void CPlay::AddPause(float factor, float ms)
{
    factor = std::clamp(factor, 0.0f, 1.0f);
    if (pause < 0)
        pause = 0;
    if (pause == 0)
        max_pause = 0;
    pause_k = factor;
    max_pause = pause + max_pause + (pause != 0 ? 1000.0f : 0.0f) + ms;
    pause += ms;
}

void CPlay::ButtonDepress(int id)
{
    if (panel)
        panel->OnButton(id, *cursor);
}

void CPlay::MouseDown(int x, int y, int clicks)
{
    if (clicks == -1 || clicks == -2)
        cursor->RightClick(x, y);
    CMouseListener::DispatchMouseDown(x, y, clicks, *cursor);
}

void CPlay::MouseUp(int x, int y, int clicks)
{
    CMouseListener::DispatchMouseUp(x, y, clicks, *cursor);
}

void CPlay::MouseMove(int x, int y)
{
    cursor->pos = FPoint(static_cast<float>(x), static_cast<float>(y));
    CMouseListener::DispatchMouseMove(x, y, *cursor);
}

void CPlay::MouseDrag(int x, int y)
{
    cursor->pos = FPoint(static_cast<float>(x), static_cast<float>(y));
    CMouseListener::DispatchMouseDrag(x, y, *cursor);
}

void CPlay::MouseWheel(int delta)
{
    cursor->TurnElement(delta);
}

void CPlay::KeyDown(int key)
{
    CPlayerInfo& player = CPlayerInfo::Instance();
    CGameApp* app = services::App();
    if (key == 0x7B) {
        CEventsScript::Instance().Run();
        return;
    }
    if (app && app->IsCheatsEnabled()) {
        if (key == 0x6B) {
            player.AddPearls(1);
        } else if (key >= 0x31 && key <= 0x39) {
            level->Creator().ForceCreate(key - 0x31);
        } else if (key == 0x30) {
            level->Creator().ForceCreate(9);
        } else if (key >= 0x70 && key <= 0x73) {
            level->Creator().ForceCreate(10 + key - 0x70);
        } else if (key == 0x74 || key == 0x75) {
            player.level += key == 0x74 ? 1 : 10;
            player.TakeLevelStartSnapshot();
            Activate();
        } else if (key == 0x76) {
            if (owner && PlayMakers().map)
                owner->SetState(PlayMakers().map(owner, true));
            return;
        } else if (key == 0x79) {
            level->FillGrid();
            return;
        } else if (key == 0x7A) {
            level->Creator().SetEnabled(!level->Creator().IsEnabled());
            return;
        } else if (key == 0x20) {
            level->ToggleGridOverlay();
        } else if (key == 0x21) {
            player.AddScore(1000, true);
        }
    }
    if (panel)
        panel->KeyDown(key, *cursor);
}

} // namespace tilvan
