// A particle system: particles in numbered groups, advanced, recoloured and steered by particle
// actions, the dead ones dropped, drawn group by group. Driven from compiled code or by a script whose
// two functions it calls by name: one when it starts, one every step. Also the script class
// "particle_system_class" and the global "add_..._action" functions.
#pragma once

#include <list>
#include <map>
#include <string>
#include <vector>

#include "world/CParticle.h"
#include "world/CParticleAction.h"

struct lua_State;

namespace Olvarn
{
class Graphics;
}

namespace tilvan
{

class CScript;

struct CParticleGroup {
    // In emission order.
    std::list<CParticle> particles;
    // Apply to this group only.
    std::vector<ParticleActionPtr> actions;
};

class CParticleSystem
{
public:
    // With callInit and a host, the init function runs at once with this system as its argument.
    CParticleSystem(std::string initFunction, std::string updateFunction, CScript* host, bool callInit);
    // Copies groups and particles by value; the action objects, names and host are shared.
    CParticleSystem(const CParticleSystem&) = default;
    CParticleSystem& operator=(const CParticleSystem&) = default;

    // Calls the init function with this system; nothing without a host.
    void CallScript();
    void Update(float ms);
    void Draw(Olvarn::Graphics& g);
    // A copy of the particle joins the group, which is made when missing.
    void Emit(int group, const CParticle& particle);
    void AddAction(ParticleActionPtr action);
    // Adds to one group; false (and nothing added) when the group does not exist.
    bool AddGroupAction(int group, ParticleActionPtr action);

    // Script members.
    void Clear();
    void ClearParticles();
    void ClearActions() { actions.clear(); }
    // Particles of the group, 0 when it does not exist; -1 counts every group.
    int EnumParticles(int group) const;
    int EnumAllParticles() const { return EnumParticles(-1); }

    const std::map<int, CParticleGroup>& Groups() const { return groups; }
    const std::vector<ParticleActionPtr>& Actions() const { return actions; }
    void SetHost(CScript* value) { host = value; }
    CScript* Host() const { return host; }

    // "particle_system_class" and the "add_..._action" functions.
    static void RegisterLuaClass(lua_State* L);

private:
    void AdvanceParticles(float ms);
    void RunSystemActions(float ms);
    void RunGroupActions(float ms);

    std::map<int, CParticleGroup> groups;
    std::vector<ParticleActionPtr> actions;
    std::string initFunction;
    std::string updateFunction;
    CScript* host = nullptr;
};

// What every state that makes particles needs: "particle_class", "particle_system_class" and the
// action functions. "image_class" is registered by its own routine (CImage::RegisterLuaClass) beside it.
void RegisterParticleClasses(lua_State* L);

} // namespace tilvan
