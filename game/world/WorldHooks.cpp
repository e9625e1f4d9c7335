// The creatures' and birds' hooks through the events script host.
#include "world/WorldHooks.h"

#include "shell/CEventsScript.h"

namespace tilvan
{

namespace
{
CWorldHooks gScriptHooks;
CWorldHooks* gHooks = nullptr;
} // namespace

void CWorldHooks::OnDropInWater(const std::string& animalId)
{
    CEventsScript::Instance().CallFunction("on_drop_in_water", animalId);
}

void CWorldHooks::OnBirdCreated(int controlId, float x, float y)
{
    CEventsScript::Instance().CallFunction("on_bird_created", controlId, x, y);
}

void SetWorldHooks(CWorldHooks* hooks)
{
    gHooks = hooks;
}

CWorldHooks& WorldHooks()
{
    return gHooks ? *gHooks : gScriptHooks;
}

} // namespace tilvan
