// The screen in which the game is played: hosts one game state at a time (the level map or a level),
// loads the group "Game" on a worker thread while the map shows, and swaps states between updates.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "shell/CGameState.h"
#include "shell/CScreen.h"
#include "shell/GameTiming.h"

namespace tilvan
{

class CGameScreen : public CScreen, public CGameStateHost
{
public:
    static constexpr int kClassId = 0;

    // With loadSaved the current profile's saved game is restored when the screen is attached (the
    // level map when there is none or it cannot be restored).
    explicit CGameScreen(bool loadSaved);
    // Saves the game into the current profile when its state may be saved, then the profiles and
    // the records.
    ~CGameScreen() override;

    // "continue" of the main menu: whether the current profile has a saved game, and the game screen
    // on it made the application's screen.
    static bool CanContinue();
    static void ContinueSavedGame();

    // The "game" row: the player's record and the running state.
    int Save() override;
    // Restores into the screen; on a damaged save it throws and the screen keeps no state.
    void Load(int row) override;
    int GetClassId() const override { return kClassId; }
    // The problem shown to the player when the saved game could not be restored; "" otherwise.
    const std::string& RestoreProblem() const { return restoreProblem; }

    void SetState(CGameState* next) override;
    void ReturnToMainMenu() override { mainMenuPending = true; }
    bool IsLoaded() const override { return loaded; }
    bool LoadingFailed() const override { return loadFailed; }
    void AbortLoading() override;

    CGameState* State() const { return state.get(); }
    CGameState* PendingState() const { return pendingState.get(); }

    void OnAttached(Olvarn::WidgetManager* manager) override;
    void Update() override;
    void Draw(Olvarn::Graphics& g) override;
    void OnMouseDown(int x, int y, int clickCode) override;
    void OnMouseUp(int x, int y, int clickCode) override;
    void OnMouseMove(int x, int y) override;
    void OnMouseDrag(int x, int y) override;
    void OnKeyDown(int key) override;
    void OnMouseWheel(int delta) override;
    void OnFocusGained() override;
    void OnFocusLost() override;
    void AddStateHash(CStateHash& hash) const override;

    // Each whole update hands the state this many milliseconds; game state changes only there.
    static constexpr float kStepMs = kUpdateStepMs;

    // What follows the game screen when the player leaves for the menu; without one a new game
    // screen starts at the level map.
    using MenuMaker = CScreen* (*)();
    static void SetMainMenuMaker(MenuMaker maker);

private:
    void SwapPending();
    bool LeaveForMenu();
    void StartLoader();
    void StopLoader();
    void RunState(float ms);
    void RestoreSavedGame();

    std::unique_ptr<CGameState> state;
    std::unique_ptr<CGameState> pendingState;
    bool mainMenuPending = false;
    bool loadSaved;
    std::atomic<bool> loaded{false};
    std::atomic<bool> loadFailed{false};
    std::atomic<bool> loaderRunning{false};
    std::atomic<bool> abortLoading{false};
    std::thread loader;
    std::string restoreProblem;
};

} // namespace tilvan
