// The events script's hooks as play calls them; a test without the script switches them off.
#pragma once

#include "shell/CEventsScript.h"

namespace tilvan
{

// False in tests that run play without the events script.
bool PlayHooksEnabled();
void SetPlayHooksEnabled(bool on);

// The board's hooks to the events script and its score to the player's record (once, when play starts).
void InstallPlayEvents();

template <typename... Args> void CallPlayHook(const char* name, const Args&... args)
{
    if (PlayHooksEnabled())
        CEventsScript::Instance().CallFunction(name, args...);
}

} // namespace tilvan
