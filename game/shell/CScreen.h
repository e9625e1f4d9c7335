// A full-window screen of the game (loading screen, main menu, game screen) with a pause counter.
#pragma once

#include "data/CSaveObject.h"
#include "shell/CStateHash.h"
#include "widgets/Widget.h"

namespace tilvan
{

// Its save-object part saves nothing; a screen that is saved (the game screen) overrides it.
class CScreen : public Olvarn::Widget, public save::CSaveObject
{
public:
    void AddPause(bool add) { pauseCount += add ? 1 : -1; }
    bool IsPaused() const { return pauseCount > 0; }
    int PauseCount() const { return pauseCount; }

    // Adds what the screen plays to the replay check's hash of every update.
    virtual void AddStateHash(CStateHash& hash) const { hash.AddInt(pauseCount); }

    // A screen takes no notice of keyboard focus: its has-focus flag stays unset.
    void OnFocusGained() override {}
    void OnFocusLost() override {}

private:
    int pauseCount = 0;
};

} // namespace tilvan
