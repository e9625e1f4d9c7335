// The board as the events script sees it: the classes "element_class" and "pipeline_class", and the
// hooks of pieces and pearls called by name through a script host.
#pragma once

#include <functional>

#include "board/BoardServices.h"

struct lua_State;

namespace tilvan
{

class CScript;

// Adds the board's classes to a script host's state (the events script's, once it runs).
void RegisterBoardScriptClasses(lua_State* L);

// Calls the board's hooks on a script host. The player's pearls, score and pipeline figures belong
// to the player's record: the functions given here reach it.
class CScriptBoardEvents : public CBoardEvents
{
public:
    struct PlayerLink {
        // Adds one pearl and answers the count after it.
        std::function<int()> gainPearl;
        std::function<void(int)> addScore;
        std::function<void(int, int)> pipelineSpace;
    };

    CScriptBoardEvents(CScript& host, PlayerLink player);

    void OnCreateElement(const CElement& e) override;
    void OnDropElement(const CElement& e) override;
    void OnPickupElement(const CElement& e, bool fits, bool onWater) override;
    void OnInsertElement(const CElement& e, bool inserted) override;
    void OnPearlCreation(int controlId) override;
    void OnPearlCollected() override;
    void AddScore(int score) override;
    void OnPipelineSpace(int freeSpace, int elementCount) override;

private:
    CScript& mHost;
    PlayerLink mPlayer;
};

} // namespace tilvan
