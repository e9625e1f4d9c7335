// The game-wide events host: runs "scripts\events.lua" and serves every hook of the game.
#pragma once

#include "shell/CScript.h"

namespace tilvan
{

class CEventsScript : public CBasicScript
{
public:
    // The first call constructs the host, which runs the script at once.
    static CEventsScript& Instance();

    CEventsScript();

    // Libraries above the shell (the board, the world) add their script classes through this; it
    // must be called before the host's first use, which runs the script.
    static void AddBindings(void (*registerClasses)(lua_State*));

protected:
    void RegisterBindings(lua_State* state) override;
};

} // namespace tilvan
