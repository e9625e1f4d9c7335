// The help window's own script host: "scripts/help.lua" with the help classes and actions bound.
// It prints its errors as "-- message" lines, unlike the game's other hosts.
#pragma once

#include <string>

#include "shell/CScript.h"

namespace tilvan
{

class CHelpScript : public CBasicScript
{
public:
    explicit CHelpScript(std::string scriptFile = "scripts/help.lua");

    // The line an error of the help script produces.
    static std::string FormatError(const std::string& message) { return "-- " + message + "\n"; }

protected:
    void RegisterBindings(lua_State* state) override;
    void OnError(lua_State* state, const std::exception* detail) override;
};

} // namespace tilvan
