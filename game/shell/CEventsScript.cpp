// The events host.
#include "shell/CEventsScript.h"

#include <loki/Singleton.h>

#include <vector>

#include "shell/ScriptApi.h"

namespace tilvan
{

namespace
{
std::vector<void (*)(lua_State*)>& ExtraBindings()
{
    static std::vector<void (*)(lua_State*)> bindings;
    return bindings;
}
} // namespace

void CEventsScript::AddBindings(void (*registerClasses)(lua_State*))
{
    ExtraBindings().push_back(registerClasses);
}

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
    for (auto registerClasses : ExtraBindings())
        registerClasses(state);
}

} // namespace tilvan
