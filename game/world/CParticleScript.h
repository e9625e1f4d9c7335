// A script host whose scripts make particles: the value types, "image_class", "particle_class",
// "particle_system_class" and the particle action functions. The main menu's script and the pearl
// effects' scripts run on one each.
#pragma once

#include <functional>
#include <string>

#include "shell/CScript.h"

namespace tilvan
{

class CParticleScript : public CBasicScript
{
public:
    // Further script classes for the state (the main menu's own, for example).
    using Bindings = std::function<void(lua_State*)>;

    CParticleScript(std::string scriptFile, std::string entryFunction, Bindings extraBindings = {});

protected:
    void RegisterBindings(lua_State* state) override;

private:
    Bindings mExtra;
};

} // namespace tilvan
