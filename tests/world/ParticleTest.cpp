// Particles, particle actions, particle systems and the layer controller on clocks the tests drive.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <list>
#include <memory>

#include "core/Random.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "shell/CLayerObject.h"
#include "shell/ShellTestSupport.h"
#include "world/CLayerParticleSystemController.h"
#include "world/CParticle.h"
#include "world/CParticleAction.h"
#include "world/CParticleScript.h"
#include "world/CParticleSystem.h"

using namespace tilvan;
using Olvarn::Color;
using Olvarn::OlvarnVector2;

namespace
{

// A still picture of 16 x 16.
struct Dot {
    Dot()
    {
        image.mWidth = 16;
        image.mHeight = 16;
    }
    Olvarn::Image image;
    CImage Picture() { return CImage(&image, 0, 0); }
};

CParticle MakeParticle(Dot& dot, int lifetime, OlvarnVector2 pos = {})
{
    return CParticle(dot.Picture(), pos, 0, lifetime);
}

// Runs in a folder of its own, where each test writes the scripts it runs.
class ScriptFolder : public shelltest::InFolder
{
protected:
    // Script errors of the particle hosts, kept instead of logged.
    using Host = shelltest::CapturingScript<CParticleScript>;
    std::unique_ptr<Host> RunScript(const std::string& text)
    {
        Write("test.lua", text);
        auto host = std::make_unique<Host>("test.lua", "");
        host->Run();
        return host;
    }
};

} // namespace

TEST(Particle, LifeScaleAndTrembleOverSteps)
{
    Dot dot;
    struct Case {
        const char* what;
        int lifetime;
        std::vector<float> steps;
        float from, to;
        int period;
        float amplitude;
        bool dead;
        float age, scale, tremble;
    } cases[] = {
        {"lives on without a lifetime", 0, {5000, 5000}, 1, 1, 0, 0, false, 10000, 1, 0},
        {"dies at its lifetime, age held there", 1000, {600, 600}, 1, 1, 0, 0, true, 1000, 1, 0},
        {"one step short of it", 1000, {600, 399}, 1, 1, 0, 0, false, 999, 1, 0},
        {"scales over its life", 1000, {100, 150}, 1, 0, 0, 0, false, 250, 0.75f, 0},
        {"ends at its last scale", 1000, {2000}, 2, 4, 0, 0, true, 1000, 4, 0},
        // Without a lifetime there is no life to spread the scaling over: it takes the last scale.
        {"scaling without a lifetime", 0, {10}, 1, 3, 0, 0, false, 10, 3, 0},
        {"a quarter into a tremble", 2000, {125}, 1, 1, 500, 4, false, 125, 1, 4},
        {"a whole tremble", 2000, {500}, 1, 1, 500, 4, false, 500, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CParticle p = MakeParticle(dot, c.lifetime);
        p.SetScaling(c.from, c.to);
        if (c.period)
            p.SetTremble(c.period, c.amplitude);
        for (float ms : c.steps)
            p.Update(ms);
        EXPECT_EQ(p.dead, c.dead);
        EXPECT_FLOAT_EQ(p.age, c.age);
        EXPECT_NEAR(p.scale, c.scale, 1e-5);
        EXPECT_NEAR(p.image.GetScale(), c.scale, 1e-5);
        EXPECT_NEAR(p.tremble_offset, c.tremble, 1e-3);
    }
}

TEST(Particle, MotionOfStepsAndOfAnExactAdvance)
{
    Dot dot;
    CParticle stepped = MakeParticle(dot, 0, {10, 20});
    stepped.vel = {100, 0};
    stepped.acc = {0, 200};
    stepped.angular_acc = 2;
    // Velocities first, then positions with the new velocities.
    stepped.Update(500);
    EXPECT_FLOAT_EQ(stepped.vel.y, 100);
    EXPECT_FLOAT_EQ(stepped.x, 60);
    EXPECT_FLOAT_EQ(stepped.y, 70);
    EXPECT_FLOAT_EQ(stepped.angle, 0.5f);

    CParticle exact = MakeParticle(dot, 0, {10, 20});
    exact.vel = {100, 0};
    exact.acc = {0, 200};
    exact.angular_acc = 2;
    exact.MoveInTime(500);
    EXPECT_FLOAT_EQ(exact.x, 60);
    EXPECT_FLOAT_EQ(exact.y, 45); // 200 x 0.25 / 2
    EXPECT_FLOAT_EQ(exact.vel.y, 100);
    EXPECT_FLOAT_EQ(exact.angle, 0.25f);
    // A particle without a lifetime lives until its system is cleared, advanced at once or not.
    EXPECT_FALSE(exact.dead);

    CParticle mortal = MakeParticle(dot, 300);
    mortal.MoveInTime(300);
    EXPECT_TRUE(mortal.dead);
    EXPECT_FLOAT_EQ(mortal.age, 300);
}

TEST(Particle, FromAResourceNameMirrorsOnOddDraws)
{
    int mirrored = 0;
    Olvarn::SeedRand(5);
    for (int i = 0; i < 200; ++i) {
        CParticle p("NO_SUCH_PICTURE", {}, 0, 100);
        EXPECT_EQ(p.image.GetImage(), nullptr);
        mirrored += (p.image.GetFlags() & CImage::MIRRORED) ? 1 : 0;
    }
    EXPECT_GT(mirrored, 60);
    EXPECT_LT(mirrored, 140);
}

TEST(Particle, DrawsTintedOnlyWhenNotWhiteAndNothingWhenClear)
{
    Dot dot;
    struct Case {
        const char* what;
        Color color;
        int blits;
    } cases[] = {
        {"opaque white: no tint", Color(255, 255, 255, 255), 1},
        {"tinted", Color(255, 0, 0, 128), 1},
        {"clear", Color(255, 255, 255, 0), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        shelltest::RecordingImage screen;
        Olvarn::Graphics g(&screen);
        CParticle p = MakeParticle(dot, 0, {10.7f, 20.9f});
        p.color = c.color;
        p.tremble_offset = 2;
        p.Draw(g);
        ASSERT_EQ(int(screen.mBlits.size()), c.blits);
        if (c.blits) {
            EXPECT_EQ(screen.mBlits[0].color, c.color);
            EXPECT_EQ(screen.mBlits[0].dest.mX, 12);
            EXPECT_EQ(screen.mBlits[0].dest.mY, 20);
        }
        EXPECT_FALSE(g.GetModulateImages());
    }
}

TEST(ParticleActions, ColoursOverTime)
{
    Dot dot;
    const Color red(255, 0, 0, 255), clear(255, 0, 0, 0), blue(0, 0, 255, 255);
    struct Case {
        const char* what;
        ParticleActionPtr action;
        std::vector<float> steps;
        int lifetime;
        float age;
        Color expected;
        bool finished;
    } cases[] = {
        {"a fade a quarter in",
         std::make_shared<CColorParticleAction>(red, clear, 1000),
         {250},
         0,
         0,
         Color(255, 0, 0, 191),
         false},
        {"a fade at its end", std::make_shared<CColorParticleAction>(red, clear, 1000), {600, 600}, 0, 0, clear, true},
        // A fade of no time is over at once and leaves its last colour.
        {"a fade of no time", std::make_shared<CColorParticleAction>(red, blue, 0), {10}, 0, 0, blue, true},
        {"a delayed colour before its time",
         std::make_shared<CDealyedColorParticleAction>(blue, 500),
         {499},
         0,
         0,
         Color::White,
         false},
        {"a delayed colour at its time",
         std::make_shared<CDealyedColorParticleAction>(blue, 500),
         {499, 1},
         0,
         0,
         blue,
         true},
        {"a delayed colour of no time", std::make_shared<CDealyedColorParticleAction>(blue, 0), {10}, 0, 0, blue, true},
        {"a decay before its last part",
         std::make_shared<CColorDecayParticleAction>(red, clear, 500),
         {0},
         2000,
         1500,
         Color::White,
         false},
        {"a decay half through its part",
         std::make_shared<CColorDecayParticleAction>(red, clear, 500),
         {0},
         2000,
         1750,
         Color(255, 0, 0, 127),
         false},
        {"a decay over the whole life",
         std::make_shared<CColorDecayParticleAction>(red, clear, 0),
         {0},
         2000,
         500,
         Color(255, 0, 0, 191),
         false},
        // Nothing to divide by: a particle that lives for ever decaying over its life shows the end colour.
        {"a decay of a particle without a lifetime",
         std::make_shared<CColorDecayParticleAction>(red, clear, 0),
         {0},
         0,
         500,
         clear,
         false},
        {"a decay never goes below 0",
         std::make_shared<CColorDecayParticleAction>(Color(10, 0, 0, 255), blue, 0),
         {0},
         1000,
         1000,
         Color(0, 0, 255, 255),
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CParticle p = MakeParticle(dot, c.lifetime);
        p.age = c.age;
        for (float ms : c.steps)
            c.action->Update(ms);
        c.action->Apply(p);
        EXPECT_EQ(p.color, c.expected) << p.color.mRed << " " << p.color.mGreen << " " << p.color.mBlue << " "
                                       << p.color.mAlpha;
        EXPECT_EQ(c.action->finished, c.finished);
    }
}

TEST(ParticleActions, RotationTurnsTheVelocityByTheAngularVelocityEachStep)
{
    Dot dot;
    CParticle p = MakeParticle(dot, 0);
    p.vel = {10, 0};
    p.angular_vel = float(M_PI / 2);
    CRotateNearPointParticleAction turn({500, 500});
    turn.Update(1000);
    turn.Apply(p);
    EXPECT_NEAR(p.vel.x, 0, 1e-4);
    EXPECT_NEAR(p.vel.y, 10, 1e-4);
    turn.Apply(p);
    EXPECT_NEAR(p.vel.x, -10, 1e-4);
    EXPECT_FALSE(turn.finished);
}

TEST(ParticleSystem, GroupsCountsAndActions)
{
    Dot dot;
    CParticleSystem system("", "", nullptr, true);
    system.Emit(7, MakeParticle(dot, 0));
    EXPECT_EQ(system.EnumParticles(7), 1);
    EXPECT_EQ(system.EnumParticles(3), 0);
    EXPECT_EQ(system.EnumParticles(-1), 1);

    system.Emit(2, MakeParticle(dot, 0));
    const Color green(0, 255, 0, 255);
    EXPECT_TRUE(system.AddGroupAction(2, std::make_shared<CColorParticleAction>(green, green, 100)));
    EXPECT_FALSE(system.AddGroupAction(5, std::make_shared<CColorParticleAction>(green, green, 100)));
    system.Update(10);
    EXPECT_EQ(system.Groups().at(2).particles.front().color, green);
    EXPECT_EQ(system.Groups().at(7).particles.front().color, Color::White);

    // The system-wide delayed colour reaches the particles alive in its step, not the later ones.
    const Color blue(0, 0, 255, 255);
    system.AddAction(std::make_shared<CDealyedColorParticleAction>(blue, 500));
    system.Emit(7, MakeParticle(dot, 200));
    system.Update(190);
    system.Update(310); // the 200 ms particle dies before the actions run
    EXPECT_EQ(system.EnumParticles(7), 1);
    EXPECT_EQ(system.Groups().at(7).particles.front().color, blue);
    EXPECT_TRUE(system.Actions().empty());
    system.Emit(7, MakeParticle(dot, 0));
    system.Update(10);
    EXPECT_EQ(system.Groups().at(7).particles.back().color, Color::White);

    system.ClearParticles();
    EXPECT_EQ(system.EnumAllParticles(), 0);
}

TEST_F(ScriptFolder, ScriptedSystemEmitsOnItsClock)
{
    // Each step emits one particle of 35 ms per 10 ms of the step; the count settles at what
    // lives at once.
    auto host = RunScript(R"(
        function init(system)
            for i = 1, 4 do system:emit(3, particle_class(image_class("NONE"), vector2(i, 0), 0, 1000)) end
        end
        function update(system, ms)
            for i = 1, ms / 10 do system:emit(1, particle_class("NONE", vector2(0, 0), 0, 35)) end
        end)");
    Olvarn::SeedRand(11);
    CParticleSystem system("init", "update", host.get(), true);
    EXPECT_EQ(system.EnumParticles(3), 4);
    struct Step {
        float ms;
        int group1;
    } steps[] = {{10, 1}, {10, 2}, {10, 3}, {10, 4}, {10, 4}, {20, 4}, {40, 4}, {10, 5}};
    int n = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(n++);
        system.Update(s.ms);
        EXPECT_EQ(system.EnumParticles(1), s.group1);
    }
    EXPECT_EQ(system.EnumParticles(-1), system.EnumParticles(1) + 4);
    EXPECT_TRUE(host->mErrors.empty()) << host->mErrors.front();
}

TEST_F(ScriptFolder, ScriptSetsMotionColourAndActions)
{
    auto host = RunScript(R"(
        function init(system)
            local p = particle_class(image_class("NONE"), vector2(100, 200), 0, 2000)
            p.vel = vector2(10, 0)
            p.acc = vector2(0, 20)
            p.color = color(1, 2, 3, 4)
            p.angular_vel = 0.5
            p:set_scaling(2, 1)
            p:set_tremble(400, 3)
            p:move_in_time(1000)
            lifetime = p:get_lifetime()
            system:emit(0, p)
            add_color_action(system, color(0, 0, 0, 255), color(200, 0, 0, 255), 100, 0)
            add_color_action(system, color(0, 0, 0, 255), color(200, 0, 0, 255), 100, 9)
            add_delayed_color_action(system, color(1, 1, 1, 1), 50)
            add_color_decay_action(system, color(0, 0, 0, 0), color(9, 9, 9, 9), 0)
            add_rotate_near_point_action(system, vector2(1, 1))
            counted = system:enum_particles() + system:enum_particles(0) + system:enum_particles(9)
        end)");
    CParticleSystem system("init", "", host.get(), true);
    ASSERT_TRUE(host->mErrors.empty()) << host->mErrors.front();
    const CParticle& p = system.Groups().at(0).particles.front();
    EXPECT_FLOAT_EQ(p.x, 110);
    EXPECT_FLOAT_EQ(p.y, 210);
    EXPECT_FLOAT_EQ(p.vel.y, 20);
    EXPECT_FLOAT_EQ(p.scale, 1.5f);
    EXPECT_EQ(p.color, Color(1, 2, 3, 4));
    EXPECT_EQ(p.tremble_period, 400);
    EXPECT_EQ(system.Actions().size(), 3u);
    lua_State* L = host->State();
    lua_getglobal(L, "counted");
    EXPECT_EQ(lua_tointeger(L, -1), 2);
    lua_getglobal(L, "lifetime");
    EXPECT_EQ(lua_tointeger(L, -1), 2000);
    lua_pop(L, 2);
}

TEST(LayerController, AddSystemTakesTheFirstGap)
{
    struct Case {
        int made;
        std::vector<int> removed;
        int next;
    } cases[] = {{0, {}, 0}, {4, {2}, 2}, {3, {}, 3}, {6, {0, 1, 2, 3, 4}, 6}, {3, {0}, 3}, {5, {1, 3}, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.next);
        CLayerParticleSystemController controller("none.lua", "init", "update");
        for (int i = 0; i < c.made; ++i)
            EXPECT_EQ(controller.AddSystem("", "", 0), i);
        for (int id : c.removed)
            EXPECT_EQ(controller.RemoveSystem(id), 1);
        EXPECT_EQ(controller.AddSystem("", "", 0), c.next);
    }
    CLayerParticleSystemController controller("none.lua", "init", "update");
    EXPECT_EQ(controller.RemoveSystem(4), 0);
    EXPECT_EQ(controller.GetSystem(4), nullptr);
}

TEST(LayerController, SystemsDrawAtTheirLayerUntilRemoved)
{
    CLayerObject below(true, 9), above(true, 11);
    CLayerParticleSystemController controller("none.lua", "init", "update");
    auto& objects = CLayerRegistry::Instance().Objects();
    const std::list<CLayerObject*> earlier = objects;
    const int id = controller.AddSystem("", "", 10);
    auto at = [&](const CLayerObject* o) {
        return std::distance(objects.begin(), std::find(objects.begin(), objects.end(), o));
    };
    const CLayerObject* layer = nullptr;
    for (CLayerObject* o : objects)
        if (std::find(earlier.begin(), earlier.end(), o) == earlier.end())
            layer = o;
    ASSERT_NE(layer, nullptr);
    EXPECT_EQ(layer->GetLayer(), 10);
    EXPECT_LT(at(&below), at(layer));
    EXPECT_LT(at(layer), at(&above));
    const size_t before = objects.size();
    controller.RemoveSystemObject(controller.GetSystem(id));
    EXPECT_EQ(objects.size(), before - 1);
    EXPECT_EQ(controller.SystemCount(), 0u);
}

TEST_F(ScriptFolder, ControllerScriptAddsStepsAndRemovesSystemsMidWalk)
{
    shelltest::TestApp app;
    shelltest::TestResources resources;
    resources.AddSound("SOUND_POP", 42);
    Write("controller.lua", R"(
        log = {}
        function controller_init(controller)
            ctrl = controller
            first = controller:add_system("sparks", "step_and_leave", 5)
            second = controller:add_system("sparks", "step", 6)
            third = controller:add_system("sparks", "step", 7)
            -- What the init function was handed is the system the controller keeps.
            seen[1]:emit(0, particle_class("NONE", vector2(0, 0), 0, 0))
            play_sound("SOUND_POP")
            play_sound("SOUND_NONE")
        end
        seen = {}
        function sparks(system)
            table.insert(seen, system)
            for i = 1, 3 do system:emit(0, particle_class("NONE", vector2(0, 0), 0, 0)) end
        end
        function controller_update(controller, ms)
            table.insert(log, "controller " .. ms)
        end
        -- The first system removes itself and the third while the controller walks them.
        function step_and_leave(system, ms)
            table.insert(log, "first")
            ctrl:add_system(system)
            ctrl:add_system(third)
            system:emit(0, particle_class("NONE", vector2(0, 0), 0, 0))
        end
        function step(system, ms)
            table.insert(log, "other " .. system:enum_particles())
        end)");
    CLayerParticleSystemController controller("controller.lua", "controller_init", "controller_update");
    controller.Init();
    ASSERT_EQ(controller.SystemCount(), 3u);
    // The init function worked on the stored system.
    EXPECT_EQ(controller.GetSystem(0)->EnumAllParticles(), 4);
    EXPECT_EQ(controller.GetSystem(1)->EnumAllParticles(), 3);
    EXPECT_EQ(app.mSounds, std::vector<int>{42});
    controller.Update(16);
    EXPECT_EQ(controller.SystemCount(), 1u);
    ASSERT_NE(controller.GetSystem(1), nullptr);
    lua_State* L = controller.Script().State();
    ASSERT_EQ(luaL_dostring(L, "joined = table.concat(log, ', ')"), LUA_OK);
    lua_getglobal(L, "joined");
    const std::string lines = lua_tostring(L, -1);
    lua_pop(L, 1);
    EXPECT_EQ(lines, "controller 16, first, other 3");

    // Clearing from the controller's own update function during a step.
    Write("controller.lua", "function controller_init(c) c:add_system('', '', 1) end\n"
                            "function controller_update(c, ms) c:clear() end");
    CLayerParticleSystemController clearing("controller.lua", "controller_init", "controller_update");
    clearing.Init();
    EXPECT_EQ(clearing.SystemCount(), 1u);
    clearing.Update(10);
    EXPECT_EQ(clearing.SystemCount(), 0u);
}
