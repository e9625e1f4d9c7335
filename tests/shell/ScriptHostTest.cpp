// Script hosts: running files, calling hooks by name with each kind of argument, and carrying on
// after every kind of script error; the values, enum and functions the events script sees.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "ShellTestSupport.h"
#include "core/Vector2.h"
#include "data/CStringTable.h"
#include "shell/CEventsScript.h"
#include "shell/CHintRegistry.h"
#include "shell/ScriptApi.h"
#include "support/TempDir.h"

using shelltest::CapturingScript;

namespace
{

// A host with the events script's whole API and a script written by the test.
class ApiScript : public CapturingScript<>
{
public:
    ApiScript(const testsupport::TempDir& dir, const std::string& source, const std::string& entry = "main")
        : CapturingScript<>(dir.File("test.lua"), entry)
    {
        dir.WriteFile("test.lua", source);
    }

protected:
    void RegisterBindings(lua_State* state) override
    {
        CapturingScript<>::RegisterBindings(state);
        tilvan::RegisterGameApi(state);
    }
};

// The value of a global after the script ran, as a Lua expression's text.
std::string Eval(tilvan::CScript& script, const std::string& expression)
{
    lua_State* L = script.State();
    std::string chunk = "return tostring(" + expression + ")";
    if (luaL_dostring(L, chunk.c_str()) != LUA_OK) {
        std::string error = lua_tostring(L, -1);
        lua_pop(L, 1);
        return "error: " + error;
    }
    std::string value = lua_tostring(L, -1);
    lua_pop(L, 1);
    return value;
}

// Runs statements; "" or the error text.
std::string Exec(tilvan::CScript& script, const std::string& statements)
{
    lua_State* L = script.State();
    if (luaL_dostring(L, statements.c_str()) == LUA_OK)
        return "";
    std::string error = lua_tostring(L, -1);
    lua_pop(L, 1);
    return error;
}

struct Tracked : tilvan::lua_private::control_id {
    using control_id::control_id;
};

} // namespace

TEST(ScriptHost, HooksReceiveEachKindOfArgumentInOrder)
{
    testsupport::TempDir dir;
    ApiScript script(dir, R"(
        calls = {}
        function main() calls[#calls + 1] = "main" end
        function hook(...)
            local parts = {}
            for i = 1, select("#", ...) do
                local v = select(i, ...)
                parts[#parts + 1] = type(v) .. ":" .. tostring(v)
            end
            calls[#calls + 1] = table.concat(parts, ",")
        end
        function position(v) calls[#calls + 1] = "vector2:" .. v.x .. "/" .. v.y end
    )");
    script.Run();
    script.CallFunction("hook");
    script.CallFunction("hook", 7, -3, true, false);
    script.CallFunction("hook", 2.5f, std::string("text"));
    script.CallFunction("position", Olvarn::OlvarnVector2(1.5f, -2));
    EXPECT_TRUE(script.mErrors.empty()) << script.mErrors[0];
    EXPECT_EQ(Eval(script, "table.concat(calls, ' | ')"),
              "main |  | number:7,number:-3,boolean:true,boolean:false | number:2.5,string:text | vector2:1.5/-2");
}

TEST(ScriptHost, EveryScriptErrorIsReportedOnceAndTheHostCarriesOn)
{
    testsupport::TempDir dir;
    struct Case {
        const char* name;
        std::string source;
        std::string entry;
        std::vector<std::string> calls;
        std::vector<std::string> expected; // a fragment of each error, in order
    };
    const std::vector<Case> cases = {
        {"syntax error in the file", "function main( end", "main", {"main"}, {"test.lua:1:", "not a function"}},
        {"error while the file runs", "error('at load')", "main", {}, {"at load"}},
        {"missing entry function", "x = 1", "main", {}, {"'main'"}},
        {"empty entry only runs the file", "x = 1", "", {}, {}},
        {"hook raising an error",
         "function main() end function f() error('boom') end",
         "main",
         {"f", "f"},
         {"boom", "boom"}},
        {"hook that is not a function", "function main() end g = 5", "main", {"g", "nothing"}, {"'g'", "'nothing'"}},
        {"runtime fault in a hook",
         "function main() end function h() local t = nil; return t.x end",
         "main",
         {"h"},
         {"attempt to index"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ApiScript script(dir, c.source, c.entry);
        script.Run();
        for (const std::string& call : c.calls)
            script.CallFunction(call.c_str());
        ASSERT_EQ(script.mErrors.size(), c.expected.size());
        for (size_t i = 0; i < c.expected.size(); ++i)
            EXPECT_NE(script.mErrors[i].find(c.expected[i]), std::string::npos) << script.mErrors[i];
        // The state is left clean and usable after every failure.
        EXPECT_EQ(lua_gettop(script.State()), 0);
        EXPECT_EQ(Eval(script, "1 + 1"), "2");
    }
}

TEST(ScriptHost, AStrictGlobalsScriptMissingAHookCostsOneLogLine)
{
    // The common strict idiom: reading an unknown global raises. Looking a hook up must not run
    // that outside a protected call (it would end the program).
    testsupport::TempDir dir;
    ApiScript script(dir, R"(
        function main() end
        function present(n) rawset(_G, 'seen', (rawget(_G, 'seen') or 0) + n) end
        setmetatable(_G, {__index = function(_, name) error("undeclared global " .. tostring(name), 2) end,
                          __newindex = function(_, name) error("assignment to undeclared " .. tostring(name), 2) end})
    )");
    script.Run();
    for (int i = 0; i < 3; ++i) {
        script.CallFunction("absent_hook", i);
        script.CallFunction("present", 2);
    }
    script.CallFunction("other_absent_hook");
    ASSERT_EQ(script.mErrors.size(), 2u);
    EXPECT_NE(script.mErrors[0].find("'absent_hook'"), std::string::npos) << script.mErrors[0];
    EXPECT_NE(script.mErrors[1].find("'other_absent_hook'"), std::string::npos) << script.mErrors[1];
    EXPECT_EQ(Eval(script, "rawget(_G, 'seen')"), "6");
    EXPECT_EQ(lua_gettop(script.State()), 0);
}

TEST(ScriptHost, ErrorLinesAreTheTimeTwoSpacesAndTheMessage)
{
    EXPECT_EQ(tilvan::FormatScriptError("12:34:56", "events.lua:3: oops"), "12:34:56:  events.lua:3: oops\n");

    testsupport::TempDir dir;
    dir.WriteFile("bad.lua", "error('broken on purpose')");
    tilvan::CBasicScript script(dir.File("bad.lua"), "");
    testing::internal::CaptureStdout();
    script.Run();
    script.CallFunction("missing_hook", 1);
    std::string out = testing::internal::GetCapturedStdout();
    std::regex line(R"(\d\d:\d\d:\d\d:  [^\n]*broken on purpose\n\d\d:\d\d:\d\d:  [^\n]*missing_hook[^\n]*\n)");
    EXPECT_TRUE(std::regex_match(out, line)) << out;
}

TEST(ScriptHost, RunningAgainKeepsTheBindingsAndReplacesTheScriptsGlobals)
{
    testsupport::TempDir dir;
    ApiScript script(dir, "function main() end function answer() return 1 end old = true");
    script.Run();
    dir.WriteFile("test.lua", "function main() end function answer() return 2 end");
    script.Run();
    EXPECT_TRUE(script.mErrors.empty());
    EXPECT_EQ(Eval(script, "answer()"), "2");
    // Globals the new file does not define stay from the old run, as a re-run only redefines.
    EXPECT_EQ(Eval(script, "old"), "true");
    EXPECT_EQ(Eval(script, "vector2(3, 4).y"), "4");
    EXPECT_EQ(Eval(script, "controls.bird"), "20");
}

TEST(ScriptApi, ValueTypesAndTheControlIds)
{
    testsupport::TempDir dir;
    ApiScript script(dir, "function main() end");
    script.Run();
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"rect(1.9, -2.7, 3.5, 4).x", "1"},
        {"rect(1.9, -2.7, 3.5, 4).y", "-2"},
        {"rect().width", "0"},
        {"color(10, 20, 30, 40).blue", "30"},
        {"color().alpha", "255"},
        {"vector2(0.5, 2).x", "0.5"},
        {"(function() local r = rect(0, 0, 1, 1); r.height = 9; return r.height end)()", "9"},
        {"controls.pearl_count_info", "0"},
        {"controls.button_close", "13"},
        {"controls.fire", "14"},
        {"controls.medal_crown", "19"},
        {"controls.bird", "20"},
        {"get_sound('SOUND_NOT_THERE')", "-1"},
    };
    for (const auto& [expression, value] : cases)
        EXPECT_EQ(Eval(script, expression), value) << expression;
    // Playing a sound that does not exist plays nothing and raises nothing.
    EXPECT_EQ(Exec(script, "play_sound('SOUND_NOT_THERE') play_sound(-1)"), "");
}

TEST(ScriptApi, LocalStringExpandsReferencesFromTheGameStringTable)
{
    tilvan::GetStringTable().Set(990001, "Pearls");
    tilvan::GetStringTable().Set(990002, "$990001!");
    testsupport::TempDir dir;
    ApiScript script(dir, "function main() end");
    script.Run();
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"local_string('$990001 left')", "Pearlsleft"},
        {"local_string('$990002')", "$990001!"}, // one pass only
        {"local_string('no references')", "no references"},
        {"local_string('$$5')", "$5"},
        {"local_string('')", ""},
    };
    for (const auto& [expression, value] : cases)
        EXPECT_EQ(Eval(script, expression), value) << expression;
}

TEST(ScriptApi, ControlPositionsAndHoldDelaysGoToTheOldestRecordOfAnId)
{
    testsupport::TempDir dir;
    ApiScript script(dir, "function main() end");
    script.Run();
    Tracked older(40), newer(40);
    older.SetPosition(10, 20);
    newer.SetPosition(30, 40);
    EXPECT_EQ(Eval(script, "get_control_pos(40).x .. ',' .. get_control_pos(40).y"), "10,20");
    EXPECT_EQ(Exec(script, "set_control_pause(40, 250)"), "");
    EXPECT_EQ(older.holdDelay, 250);
    EXPECT_EQ(newer.holdDelay, 1000);
    // A pause for an id nobody has is ignored without a message.
    EXPECT_EQ(Exec(script, "set_control_pause(9999, 5)"), "");
}

TEST(ControlRecords, AutomaticIdsCopiesAndRemoval)
{
    tilvan::CHintRegistry& registry = tilvan::CHintRegistry::Instance();
    registry.Reset();
    size_t before = registry.Controls().size();
    {
        Tracked a(-1), b(-1);
        EXPECT_EQ(a.id, 100);
        EXPECT_EQ(b.id, 101);
        Tracked copy(a);
        EXPECT_EQ(copy.id, 100);
        EXPECT_EQ(registry.Controls().size(), before + 3);
        registry.Reset();
        Tracked c(-1);
        EXPECT_EQ(c.id, 100);
    }
    EXPECT_EQ(registry.Controls().size(), before);
}

TEST(ControlRecords, TheHoldHookRunsEveryUpdateOnceTheDelayHasPassed)
{
    testsupport::TempDir dir;
    ApiScript script(dir, R"(
        holds = 0; clicks = ""
        function main() end
        function on_mouse_hold(id, x, y, flag) holds = holds + 1; last_flag = flag end
        function on_widget_click(id, x, y, flag) clicks = clicks .. id .. ":" .. x .. "," .. y .. tostring(flag) end
    )");
    script.Run();
    tilvan::CHintRegistry::Instance().SetScriptHost(&script);
    Tracked control(7);
    control.holdDelay = 100;
    control.SetFlag(true);

    control.Update(500); // not hovered: nothing
    control.MouseEnter();
    control.Update(60);
    EXPECT_EQ(Eval(script, "holds"), "0");
    control.Update(40); // 100 ms rested
    control.Update(10);
    EXPECT_EQ(Eval(script, "holds"), "2");
    EXPECT_EQ(Eval(script, "last_flag"), "true");

    control.MouseMove(1, 1); // moving starts the rest again
    control.Update(50);
    EXPECT_EQ(Eval(script, "holds"), "2");
    control.Click(3, 4, false);
    EXPECT_EQ(control.holdTime, 0);
    EXPECT_EQ(Eval(script, "clicks"), "7:3,4false");

    control.MouseLeave();
    control.Update(1000);
    EXPECT_EQ(Eval(script, "holds"), "2");
    tilvan::CHintRegistry::Instance().SetScriptHost(nullptr);
    EXPECT_TRUE(script.mErrors.empty());
}

TEST(EventsScript, TheShippedScriptRunsAndDefinesEveryHookTheGameCalls)
{
    std::string previous = std::filesystem::current_path().string();
    std::filesystem::current_path(testsupport::SourceDir() + "/data");
    testing::internal::CaptureStdout();
    {
        tilvan::CEventsScript& events = tilvan::CEventsScript::Instance();
        events.CallFunction("hint_main");
        events.CallFunction("on_widget_click", 1, 2, 3, true);
        events.CallFunction("on_mouse_hold", 1, 2, 3, false);
        events.CallFunction("on_pearl_count_changed", 0, 5, true);
        events.CallFunction("on_pearl_creation", 101);
        events.CallFunction("on_bonus_used", 2);
        // Hooks whose arguments are objects of later subsystems: present, called by those subsystems.
        for (const char* hook :
             {"on_mouse_click", "on_end_level", "on_mouse_enter", "on_create_element", "on_drop_element",
              "on_pickup_element", "on_insert_element", "on_drop_in_water", "on_bird_created"}) {
            lua_getglobal(events.State(), hook);
            EXPECT_TRUE(lua_isfunction(events.State(), -1)) << hook;
            lua_pop(events.State(), 1);
        }
    }
    std::string out = testing::internal::GetCapturedStdout();
    std::filesystem::current_path(previous);
    EXPECT_EQ(out, "");
}

TEST(ScriptApi, SoundsArePlayedOnceByTheirResourceIdOrNumber)
{
    shelltest::TestApp app;
    shelltest::TestResources resources;
    Olvarn::ResourceManager* own = app.mResourceManager;
    app.mResourceManager = &resources;
    resources.AddSound("SOUND_SPLASH", 12);
    testsupport::TempDir dir;
    ApiScript script(dir, "function main() end");
    script.Run();
    EXPECT_EQ(Eval(script, "get_sound('SOUND_SPLASH')"), "12");
    EXPECT_EQ(Exec(script, "play_sound('SOUND_SPLASH') play_sound(4) play_sound('SOUND_NOT_THERE')"), "");
    EXPECT_EQ(app.mSounds, (std::vector<int>{12, 4}));
    app.mResourceManager = own;
}

TEST(ScriptApi, AskingForTheControlOfAnUnknownIdShowsAMessageAndGivesTheOrigin)
{
    shelltest::TestApp app;
    testsupport::TempDir dir;
    ApiScript script(dir, "function main() end");
    script.Run();
    EXPECT_EQ(Eval(script, "get_control_pos(4321).x"), "0");
    ASSERT_EQ(app.mMessages.size(), 1u);
    EXPECT_EQ(app.mMessages[0], "Error: Control id=4321 not found");
}

namespace
{
void DefineLaterLibraryClass(lua_State* state)
{
    lua_pushinteger(state, 42);
    lua_setglobal(state, "later_library_marker");
}
} // namespace

TEST(EventsScript, BindingsAddedByLaterLibrariesAreThereWhenTheScriptRuns)
{
    std::string previous = std::filesystem::current_path().string();
    std::filesystem::current_path(testsupport::SourceDir() + "/data");
    tilvan::CEventsScript::AddBindings(&DefineLaterLibraryClass);
    {
        tilvan::CEventsScript events;
        lua_getglobal(events.State(), "later_library_marker");
        EXPECT_EQ(lua_tointeger(events.State(), -1), 42);
        lua_pop(events.State(), 1);
    }
    std::filesystem::current_path(previous);
}
