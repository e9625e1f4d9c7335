// The events host.
#include "shell/CEventsScript.h"

#include <loki/Singleton.h>

#include "shell/ScriptApi.h"

namespace tilvan
{

CEventsScript& CEventsScript::Instance()
{
    return Loki::SingletonHolder<CEventsScript>::Instance();
}

CEventsScript::CEventsScript() : CBasicScript("scripts\\events.lua", "main")
{
    Run();
}

void CEventsScript::RegisterBindings(lua_State* state)
{
    CBasicScript::RegisterBindings(state);
    RegisterGameApi(state);
}

} // namespace tilvan
