#include <gtest/gtest.h>

#include "BoardFixture.h"
#include "board/BoardScript.h"
#include "board/CGrid.h"
#include "board/CPipeline.h"
#include "shell/CScript.h"
#include "support/TempDir.h"

using namespace tilvan;

TEST(BoardScript, HooksReachTheScriptWithThePiece)
{
    boardtest::LoadTestTypes();
    Olvarn::ThreadRandom().Seed(21);
    testsupport::TempDir dir;
    dir.WriteFile("events.lua", R"(
log = ""
function main() end
function on_insert_element(id, e, inserted)
  log = log .. string.format("insert %d %d %s %d;", id, e.id, tostring(inserted), math.floor(e.pos.x))
end
function on_pearl_count_changed(a, count, flag)
  log = log .. string.format("pearls %d %d %s;", a, count, tostring(flag))
end
function on_pearl_creation(id) log = log .. "pearl;" end
)");
    CBasicScript host(dir.File("events.lua"), "main");
    host.Run();
    RegisterBoardScriptClasses(host.State());
    int pearls = 4, score = 0;
    CScriptBoardEvents events(host, {[&] { return ++pearls; }, [&](int s) { score += s; }, nullptr});
    SetBoardEvents(&events);

    std::array<bool, CGrid::kCells> enabled;
    enabled.fill(true);
    CGrid grid;
    grid.Configure(FPoint(0, 0), enabled);
    grid.AddPearl();
    grid.GetPearls()[0]->min_percent = 0;
    grid.UpdateCompletion(); // shown at once on a free cell
    const CGridPearl& gp = *grid.GetPearls()[0];
    int c = gp.x - (gp.x + gp.y) % 2, r = gp.y; // an up cell over or beside it
    ASSERT_GE(c, 0);
    CElement e(1); // the diamond covers (c, r) and (c + 1, r)
    FPoint centre = e.GetCenter();
    e.SetPosition(c * 20 + centre.x, r * 35 - 35 + centre.y);
    ASSERT_TRUE(grid.InsertElement(e));
    int placedId = grid.GetElements()[0]->element.GetControlId();
    EXPECT_EQ(placedId, e.GetControlId()); // the copy shares the control

    lua_getglobal(host.State(), "log");
    std::string log = lua_tostring(host.State(), -1);
    lua_pop(host.State(), 1);
    EXPECT_EQ(log, "pearls 0 5 true;insert " + std::to_string(placedId) + " 1 true " +
                       std::to_string(static_cast<int>(e.GetPosition().x)) + ";");
    EXPECT_EQ(score, 10);

    // The pipeline answers its fullness to scripts.
    boardtest::FlatWater water;
    CPipeline pipe(&water);
    pipe.AddElement(CElement(2), 10, 0, false); // 5 of 43 slots
    luabind::globals(host.State())["pipe"] = &pipe;
    ASSERT_EQ(luaL_dostring(host.State(), "return pipe:get_full_percents()"), 0);
    EXPECT_FLOAT_EQ(static_cast<float>(lua_tonumber(host.State(), -1)), 5.0f / 43);
    lua_pop(host.State(), 1);
    SetBoardEvents(nullptr);
}
