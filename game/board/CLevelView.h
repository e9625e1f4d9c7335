// The level as the world sees it: its pipeline, its water line and its place in the game. The play
// folder's level implements it and installs itself while it lives.
#pragma once

namespace tilvan
{

class CPipeline;

class CLevelView
{
public:
    virtual ~CLevelView() = default;
    // The level's pipeline; null while it has none.
    virtual CPipeline* GetPipeline() = 0;
    // The y of the level's water line.
    virtual int GetWaterLine() const = 0;
    // 1-based number of the level being played.
    virtual int GetLevelNumber() const = 0;
};

// The current level; null between levels (the world then collects, eats and scores nothing).
void SetCurrentLevelView(CLevelView* level);
CLevelView* CurrentLevelView();

} // namespace tilvan
