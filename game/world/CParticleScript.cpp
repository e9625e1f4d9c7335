// The particle script host's bindings.
#include "world/CParticleScript.h"

#include "shell/CImage.h"
#include "world/CParticleSystem.h"

namespace tilvan
{

CParticleScript::CParticleScript(std::string scriptFile, std::string entryFunction, Bindings extraBindings)
    : CBasicScript(std::move(scriptFile), std::move(entryFunction)), mExtra(std::move(extraBindings))
{
}

void CParticleScript::RegisterBindings(lua_State* state)
{
    CBasicScript::RegisterBindings(state);
    CImage::RegisterLuaClass(state);
    RegisterParticleClasses(state);
    if (mExtra)
        mExtra(state);
}

} // namespace tilvan
