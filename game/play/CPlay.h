// The game state in which one level is played: owns the level, the cursor and the info panel, runs
// the level's start and end flows with their dialogs, and hands the level its two clocks.
#pragma once

#include <functional>
#include <memory>

#include "play/CCursor.h"
#include "play/CLevel.h"
#include "shell/CGameState.h"

namespace Olvarn
{
class Dialog;
}

namespace tilvan
{

class CPlayerInfo;

class CPlay;

// The side panel of a level as the play state drives it; the screens folder supplies it.
class CPlayPanel
{
public:
    virtual ~CPlayPanel() = default;
    virtual void Init() = 0;
    virtual void SetBonusLevel(bool bonus) = 0;
    virtual void Update(float ms) = 0;
    virtual void Draw(Olvarn::Graphics& g) = 0;
    // Button ids: next piece 1, menu 2, help 3, the tools 4, 6, 8, 10 by slot with their buy
    // buttons 5, 7, 9, 11, minimise 12, close 13.
    virtual void OnButton(int id, CCursor& cursor) = 0;
    virtual void KeyDown(int key, CCursor& cursor) = 0;
};

struct CPlayMakers {
    std::function<std::unique_ptr<CPlayPanel>(CPlay&)> panel;
    // The level map that follows a won level.
    std::function<CGameState*(CGameStateHost*, bool newGame)> map;
};
CPlayMakers& PlayMakers();

// The windows of the records that the end of a level opens, run modally by the play state: the
// statistics of a won ordinary level (its 0-based index), of an ended bonus level (completed, time
// left in whole ms) and, after the last level, the records table (highlighting a new record). The
// statistics windows award the medals and the crown and enter the score. Until they are installed
// the play state enters the level's result itself, without a window, and shows no records table.
struct CRecordsWindowMakers {
    std::function<void(int levelIndex)> statistics;
    std::function<void(bool completed, int timeLeftMs)> bonusStatistics;
    std::function<void(bool highlight)> records;
};
CRecordsWindowMakers& RecordsWindowMakers();

class CPlay : public CGameState
{
public:
    static constexpr int kClassId = 1;
    static constexpr int kMenuButton = 2;

    explicit CPlay(CGameStateHost* owner);
    ~CPlay() override;
    static CGameState* Create() { return new CPlay(nullptr); }

    int GetClassId() const override { return kClassId; }
    int Save() override;
    void Load(int row) override;
    void GotFocus() override { inactive = false; }
    void LostFocus() override { inactive = true; }
    void OnLoaded() override;
    void Activate() override;
    void Deactivate() override;
    void Draw(Olvarn::Graphics& g) override;
    void Update() override;
    void UpdateF(float ms) override;
    void ButtonDepress(int id) override;
    void MouseDown(int x, int y, int clicks) override;
    void MouseUp(int x, int y, int clicks) override;
    void MouseMove(int x, int y) override;
    void MouseDrag(int x, int y) override;
    void KeyDown(int key) override;
    void MouseWheel(int delta) override;
    // A level without a definition is never written: its save could not be continued.
    bool IsSaveable() const override { return saveable && level->Definition(); }
    void AddStateHash(CStateHash& hash) const override;

    void AddPause(float factor, float ms);
    float GetPause() const { return pause < 0 ? 0 : pause; }
    // The scaled step of the last frame (what the level's slowed parts got).
    float LastScaledStep() const { return lastScaled; }
    bool IsBusy() const { return flag; }
    bool IsInactive() const { return inactive; }

    CLevel& Level() { return *level; }
    CCursor& Cursor() { return *cursor; }
    CPlayPanel* Panel() { return panel.get(); }

private:
    void LoseFlow();
    void WinFlow();
    // The level's result into the profile and the records (through their windows when installed),
    // and both files written.
    void RecordLevelEnd();
    // After the last level: the records table, and the finished game's save is removed.
    void FinishGame();
    int RunNamedDialog(const char* name, int textNumber, int id);
    void OfferHelp(CPlayerInfo& player);

    std::unique_ptr<CLevel> level;
    std::unique_ptr<CCursor> cursor;
    std::unique_ptr<CPlayPanel> panel;
    bool inactive = false;
    float pause = 0;
    float max_pause = 0;
    float pause_k = 0;
    bool saveable = true;
    float lastScaled = 0;
};

} // namespace tilvan
