// The level as the world sees it: its pipeline, its water line, its place in the game, and what the
// start, end and clock effects read and ask of it. The play folder's level implements it and installs
// itself while it lives.
#pragma once

#include <memory>

namespace tilvan
{

class CGrid;
class CPipeline;

class CLevelView
{
public:
    // The level's states as the effects read them.
    enum EState { kWin = 0, kLose = 1, kDanger = 2, kEnding = 3, kBeforeStart = 4, kNormal = 5 };

    CLevelView() : mLink(std::make_shared<CLevelView*>(this)) {}
    CLevelView(const CLevelView&) : CLevelView() {}
    CLevelView& operator=(const CLevelView&) { return *this; }
    virtual ~CLevelView() { *mLink = nullptr; }

    // The level's pipeline; null while it has none.
    virtual CPipeline* GetPipeline() = 0;
    // The y of the level's water line.
    virtual int GetWaterLine() const = 0;
    // 1-based number of the level being played.
    virtual int GetLevelNumber() const = 0;

    // The level's grid; null while it has none.
    virtual CGrid* GetGrid() { return nullptr; }
    virtual int GetLevelState() const { return kNormal; }
    virtual bool IsBonusLevel() const { return false; }
    // The time a bonus level has left, in ms.
    virtual float GetRemainingTime() const { return 0; }
    virtual bool HasStarted() const { return false; }
    // Play begins: the state becomes normal and the first piece comes at once.
    virtual void StartPlay() {}
    // The ice of the level's location melts away over that time.
    virtual void MeltScenery(int ms) {}

    // Effects may be held beyond their level's life; they keep this link and find null in it once
    // the level is gone.
    using Link = std::shared_ptr<CLevelView* const>;
    Link GetLink() const { return mLink; }

private:
    std::shared_ptr<CLevelView*> mLink;
};

// The current level; null between levels (the world then collects, eats and scores nothing).
void SetCurrentLevelView(CLevelView* level);
CLevelView* CurrentLevelView();

} // namespace tilvan
