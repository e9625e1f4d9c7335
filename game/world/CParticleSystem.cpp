// The particle system's step, its drawing and its script class.
#include "world/CParticleSystem.h"

#include <algorithm>
#include <memory>

#include <lua.hpp>
#include <luabind/luabind.hpp>

#include "shell/CScript.h"

namespace tilvan
{

namespace
{

void DropFinished(std::vector<ParticleActionPtr>& list)
{
    list.erase(std::remove_if(list.begin(), list.end(), [](const ParticleActionPtr& a) { return a->finished; }),
               list.end());
}

void AddColorAction(CParticleSystem* system, const Olvarn::Color& from, const Olvarn::Color& to, int ms)
{
    system->AddAction(std::make_shared<CColorParticleAction>(from, to, ms));
}

void AddGroupColorAction(CParticleSystem* system, const Olvarn::Color& from, const Olvarn::Color& to, int ms, int group)
{
    system->AddGroupAction(group, std::make_shared<CColorParticleAction>(from, to, ms));
}

void AddDelayedColorAction(CParticleSystem* system, const Olvarn::Color& color, int ms)
{
    system->AddAction(std::make_shared<CDealyedColorParticleAction>(color, ms));
}

void AddGroupDelayedColorAction(CParticleSystem* system, const Olvarn::Color& color, int ms, int group)
{
    system->AddGroupAction(group, std::make_shared<CDealyedColorParticleAction>(color, ms));
}

void AddColorDecayAction(CParticleSystem* system, const Olvarn::Color& from, const Olvarn::Color& to, int ms)
{
    system->AddAction(std::make_shared<CColorDecayParticleAction>(from, to, ms));
}

void AddGroupColorDecayAction(CParticleSystem* system, const Olvarn::Color& from, const Olvarn::Color& to, int ms,
                              int group)
{
    system->AddGroupAction(group, std::make_shared<CColorDecayParticleAction>(from, to, ms));
}

void AddRotateNearPointAction(CParticleSystem* system, const Olvarn::OlvarnVector2& point)
{
    system->AddAction(std::make_shared<CRotateNearPointParticleAction>(point));
}

} // namespace

CParticleSystem::CParticleSystem(std::string initFunction_, std::string updateFunction_, CScript* host_, bool callInit)
    : initFunction(std::move(initFunction_)), updateFunction(std::move(updateFunction_)), host(host_)
{
    actions.reserve(6);
    if (callInit)
        CallScript();
}

void CParticleSystem::CallScript()
{
    if (host && !initFunction.empty())
        host->CallFunction(initFunction.c_str(), this);
}

void CParticleSystem::Emit(int group, const CParticle& particle)
{
    groups[group].particles.push_back(particle);
}

void CParticleSystem::AddAction(ParticleActionPtr action)
{
    if (action)
        actions.push_back(std::move(action));
}

bool CParticleSystem::AddGroupAction(int group, ParticleActionPtr action)
{
    auto it = groups.find(group);
    if (it == groups.end() || !action)
        return false;
    it->second.actions.push_back(std::move(action));
    return true;
}

void CParticleSystem::Clear()
{
    actions.clear();
    groups.clear();
}

void CParticleSystem::ClearParticles()
{
    groups.clear();
}

int CParticleSystem::EnumParticles(int group) const
{
    if (group == -1) {
        size_t count = 0;
        for (const auto& entry : groups)
            count += entry.second.particles.size();
        return int(count);
    }
    auto it = groups.find(group);
    return it == groups.end() ? 0 : int(it->second.particles.size());
}

void CParticleSystem::AdvanceParticles(float ms)
{
    for (auto& entry : groups) {
        std::list<CParticle>& particles = entry.second.particles;
        for (CParticle& p : particles)
            p.Update(ms);
        particles.remove_if([](const CParticle& p) { return p.dead; });
    }
}

void CParticleSystem::RunSystemActions(float ms)
{
    for (const ParticleActionPtr& action : actions)
        action->Update(ms);
    for (const ParticleActionPtr& action : actions)
        for (auto& entry : groups)
            for (CParticle& p : entry.second.particles)
                action->Apply(p);
    DropFinished(actions);
}

void CParticleSystem::RunGroupActions(float ms)
{
    for (auto& entry : groups) {
        CParticleGroup& group = entry.second;
        for (const ParticleActionPtr& action : group.actions) {
            action->Update(ms);
            for (CParticle& p : group.particles)
                action->Apply(p);
        }
        DropFinished(group.actions);
    }
}

void CParticleSystem::Update(float ms)
{
    AdvanceParticles(ms);
    RunSystemActions(ms);
    RunGroupActions(ms);
    // Last, so a script that empties or refills the system leaves no walk behind it.
    if (host && !updateFunction.empty())
        host->CallFunction(updateFunction.c_str(), this, ms);
}

void CParticleSystem::Draw(Olvarn::Graphics& g)
{
    for (auto& entry : groups)
        for (CParticle& p : entry.second.particles)
            p.Draw(g);
}

void CParticleSystem::RegisterLuaClass(lua_State* L)
{
    using namespace luabind;
    module(L)[class_<CParticleSystem>("particle_system_class")
                  .def("emit", &CParticleSystem::Emit)
                  .def("clear", &CParticleSystem::Clear)
                  .def("clear_particles", &CParticleSystem::ClearParticles)
                  .def("clear_actions", &CParticleSystem::ClearActions)
                  .def("enum_particles", &CParticleSystem::EnumParticles)
                  .def("enum_particles", &CParticleSystem::EnumAllParticles),
              def("add_color_action", &AddColorAction), def("add_color_action", &AddGroupColorAction),
              def("add_delayed_color_action", &AddDelayedColorAction),
              def("add_delayed_color_action", &AddGroupDelayedColorAction),
              def("add_color_decay_action", &AddColorDecayAction),
              def("add_color_decay_action", &AddGroupColorDecayAction),
              def("add_rotate_near_point_action", &AddRotateNearPointAction)];
}

void RegisterParticleClasses(lua_State* L)
{
    CParticle::RegisterLuaClass(L);
    CParticleSystem::RegisterLuaClass(L);
}

} // namespace tilvan
