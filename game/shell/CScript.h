// Script hosts: one Lua state each, the game's bindings registered once, one script file run, and
// global script functions called by name. A script error is logged and the game carries on.
#pragma once

#include <exception>
#include <string>

#include <lua.hpp>
#include <luabind/luabind.hpp>

namespace tilvan
{

class CScript
{
public:
    CScript(std::string scriptFile, std::string entryFunction);
    virtual ~CScript();
    CScript(const CScript&) = delete;
    CScript& operator=(const CScript&) = delete;

    // Registers the bindings on the first call only, then runs the file and its entry function.
    void Run();

    // Calls the global function `name` with the arguments in a protected call; results are dropped.
    // Ints and floats go as numbers, bools as booleans, strings as strings and pointers to registered
    // classes as objects (nil when null).
    template <typename... Args> void CallFunction(const char* name, const Args&... args)
    {
        int top = lua_gettop(L);
        if (!IsFunction(name)) {
            lua_pushfstring(L, "attempt to call global '%s' (not a function)", name);
            OnError(L, nullptr);
            lua_settop(L, top);
            return;
        }
        try {
            luabind::call_function<void>(L, name, args...);
        } catch (const luabind::error&) {
            // The message is on the stack.
            OnError(L, nullptr);
        } catch (const std::exception& e) {
            lua_pushstring(L, e.what());
            OnError(L, &e);
        }
        lua_settop(L, top);
    }

    lua_State* State() const { return L; }
    const std::string& ScriptFile() const { return scriptFile; }
    const std::string& EntryFunction() const { return entryFunction; }

protected:
    bool IsFunction(const char* name);
    virtual void RegisterBindings(lua_State* state) {}
    // Prints the text on top of the stack as "time:  message" and pops it.
    virtual void OnError(lua_State* state, const std::exception* detail);

    bool bindingsRegistered = false;
    lua_State* L = nullptr;
    std::string entryFunction;
    std::string scriptFile;
};

// A host with the basic value types "rect", "color" and "vector2".
class CBasicScript : public CScript
{
public:
    using CScript::CScript;

protected:
    void RegisterBindings(lua_State* state) override;
};

// The line an error produces: the time of day, a colon, two spaces, the message and a newline.
std::string FormatScriptError(const std::string& time, const std::string& message);

} // namespace tilvan
