// Script hosts: one Lua state each, the game's bindings registered once, one script file run, and
// global script functions called by name. A script error is logged and the game carries on.
#pragma once

#include <exception>
#include <set>
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
        luabind::object hook = FindFunction(name);
        if (!hook.is_valid()) {
            ReportMissingFunction(name);
            lua_settop(L, top);
            return;
        }
        try {
            luabind::call_function<void>(hook, args...);
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
    // The global function of that name, looked up raw: a script's metatable on its globals (the
    // strict-globals idiom raises on unknown names) must not run outside a protected call, where an
    // error ends the program. Invalid when there is no such function.
    luabind::object FindFunction(const char* name);
    // A script need not define every hook: the first call of a missing one is logged, later ones not.
    void ReportMissingFunction(const char* name);
    virtual void RegisterBindings(lua_State* state) {}
    // Prints the text on top of the stack as "time:  message" and pops it.
    virtual void OnError(lua_State* state, const std::exception* detail);

    bool bindingsRegistered = false;
    lua_State* L = nullptr;
    std::string entryFunction;
    std::string scriptFile;
    std::set<std::string> mReportedMissing;
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
