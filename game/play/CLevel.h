// One level of play: the board, the pipeline, the creator, the water, the fire and the running
// effects, advanced on two clocks every frame; it decides when the level is won or lost and answers
// the player's clicks as the first mouse listener.
#pragma once

#include <list>
#include <memory>

#include "board/CElementCreator.h"
#include "board/CGrid.h"
#include "board/CLevelEffect.h"
#include "board/CLevelView.h"
#include "board/CMouseListener.h"
#include "board/CPipeline.h"
#include "board/CPlayerInfo.h"
#include "data/CSaveObject.h"
#include "play/CFire.h"
#include "play/CStillWater.h"
#include "shell/CLayerObject.h"

namespace tilvan
{

class CEnvironment;
class CLevelInfo;
class CPlay;

class CLevel : public CLayerObject,
               public CMouseListener,
               public save::CSaveObject,
               public CPlayerLevel,
               public CLevelView
{
public:
    static constexpr int kClassId = 11;
    enum EState { win = 0, lose = 1, danger = 2, ending = 3, before_start = 4, normal = 5 };

    explicit CLevel(CPlay* owner);
    ~CLevel() override;

    // The pipeline of the level being played, for the creatures and the random bonus choice; null
    // when no level exists.
    static CPipeline* CurrentPipeline();

    bool Begin(int levelIndex);
    // The level's row with its parts as child rows. A saved level goes on where it was: it does not
    // show its start sequence again. A save naming a level the game does not have is refused (throws).
    int Save() override;
    void Load(int row) override;
    int GetClassId() const override { return kClassId; }
    void StartEnvironment();
    void Start();
    void BringNextElement();
    void Update(float scaled, float real);
    void Draw(Olvarn::Graphics& g) override;
    void DrawFront(Olvarn::Graphics& g);
    void AddEffect(level_effects::EffectPtr effect);
    void OnScorePearls(int pearls) override;

    int get_state() const { return state; }
    bool is_bonus() const;
    int get_number() const;
    bool is_winning() const { return winning; }
    bool IsStarted() const { return started; }
    float GetTimeLeft() const { return time_left; }
    void ToggleGridOverlay() { gridOverlay = !gridOverlay; }
    void FillGrid();

    // The level as the scenery sees it.
    CPipeline* GetPipeline() override { return &pipeline; }
    int GetWaterLine() const override { return water.GetSurfaceY(0); }
    int GetLevelNumber() const override { return get_number(); }

    bool MouseDown(int x, int y, int clicks, CCursor& cursor) override;
    bool MouseMove(int x, int y, CCursor& cursor) override;

    CGrid& Grid() { return grid; }
    CPipeline& Pipeline() { return pipeline; }
    CElementCreator& Creator() { return creator; }
    CFire& Fire() { return fire; }
    const CLevelInfo* Definition() const { return definition; }
    const std::list<level_effects::EffectPtr>& Effects() const { return effects; }
    void SetOwner(CPlay* play) { owner = play; }

private:
    void EndCheck(float scaled);
    void AddAirScore(const CElement& e, bool onWater, bool putBack, const CCursor& cursor);
    bool DropCarried(int x, int y, CCursor& cursor);
    bool UsePufferfish(int x, int y, CCursor& cursor);
    bool UseHammerfish(int x, int y, CCursor& cursor);
    bool UseOctopus(int x, int y, CCursor& cursor);
    void UseTool(CCursor& cursor, int slot);
    void ShowScore(int score, FPoint pos);

    const CLevelInfo* definition = nullptr;
    CPlay* owner;
    CStillWater water;
    CGrid grid;
    CPipeline pipeline;
    CElementCreator creator;
    CFire fire;
    // The scenery: location pictures, creatures, sun and the feedback script; it sees this level
    // through the level view, so it is made after everything it may ask about.
    std::unique_ptr<CEnvironment> environment;
    std::list<level_effects::EffectPtr> effects;
    int state = before_start;
    float time_left = 0;
    bool started = false;
    bool winning = false;
    bool gridOverlay = false;
};

} // namespace tilvan
