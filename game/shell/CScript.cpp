// Script hosts.
#include "shell/CScript.h"

#include "platform/Paths.h"
#include "shell/GameLog.h"
#include "shell/ScriptApi.h"

namespace tilvan
{

namespace
{

void OpenLibrary(lua_State* L, const char* name, lua_CFunction open)
{
    luaL_requiref(L, name, open, 1);
    lua_pop(L, 1);
}

} // namespace

std::string FormatScriptError(const std::string& time, const std::string& message)
{
    return time + ":  " + message + "\n";
}

CScript::CScript(std::string scriptFile_, std::string entryFunction_)
    : L(luaL_newstate()), entryFunction(std::move(entryFunction_)), scriptFile(std::move(scriptFile_))
{
    if (!L)
        throw "Unable to create a script state";
    luabind::open(L);
    // Base with coroutines, string, table, math and io: what the game's scripts are written against.
    OpenLibrary(L, "_G", luaopen_base);
    OpenLibrary(L, LUA_COLIBNAME, luaopen_coroutine);
    OpenLibrary(L, LUA_STRLIBNAME, luaopen_string);
    OpenLibrary(L, LUA_TABLIBNAME, luaopen_table);
    OpenLibrary(L, LUA_MATHLIBNAME, luaopen_math);
    OpenLibrary(L, LUA_IOLIBNAME, luaopen_io);
}

CScript::~CScript()
{
    lua_close(L);
}

void CScript::Run()
{
    if (!bindingsRegistered) {
        RegisterBindings(L);
        bindingsRegistered = true;
    }
    int top = lua_gettop(L);
    std::string path = Olvarn::Paths::Resolve(scriptFile);
    if (luaL_loadfile(L, path.c_str()) != LUA_OK || lua_pcall(L, 0, 0, 0) != LUA_OK) {
        OnError(L, nullptr);
        lua_settop(L, top);
        return;
    }
    if (!entryFunction.empty())
        CallFunction(entryFunction.c_str());
}

luabind::object CScript::FindFunction(const char* name)
{
    lua_pushglobaltable(L);
    lua_pushstring(L, name);
    lua_rawget(L, -2);
    luabind::object found;
    if (lua_isfunction(L, -1))
        found = luabind::object(luabind::from_stack(L, -1));
    lua_pop(L, 2);
    return found;
}

void CScript::ReportMissingFunction(const char* name)
{
    if (!mReportedMissing.insert(name).second)
        return;
    lua_pushfstring(L, "attempt to call global '%s' (not a function)", name);
    OnError(L, nullptr);
}

void CScript::OnError(lua_State* state, const std::exception* detail)
{
    const char* text = lua_tostring(state, -1);
    std::string message = text ? text : (detail ? detail->what() : "unknown script error");
    LogText(FormatScriptError(TimeOfDay(), message));
    lua_pop(state, 1);
}

void CBasicScript::RegisterBindings(lua_State* state)
{
    RegisterValueTypes(state);
}

} // namespace tilvan
