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

protected:
    void RegisterBindings(lua_State* state) override;
};

} // namespace tilvan
