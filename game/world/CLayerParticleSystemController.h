// A scripted owner of many particle systems: it runs its own script file, lets the script add and
// remove systems by integer id, and draws each system at a layer of the draw-layer list. Also the
// script class "layer_particle_system_controller_class".
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "shell/CLayerObject.h"
#include "shell/CScript.h"
#include "world/CParticleSystem.h"

struct lua_State;

namespace tilvan
{

// Draws one particle system where the draw-layer list puts it.
class CParticleSystemLayer : public CLayerObject
{
public:
    CParticleSystemLayer(CParticleSystem& system, int layer) : CLayerObject(true, layer), mSystem(system) {}
    CParticleSystemLayer(const CParticleSystemLayer&) = delete;
    void Draw(Olvarn::Graphics& g) override { mSystem.Draw(g); }

private:
    CParticleSystem& mSystem;
};

class CLayerParticleSystemController
{
public:
    // Further script classes for the controller's state (the level's, for the feedback script).
    using Bindings = std::function<void(lua_State*)>;

    // The script does not run yet.
    CLayerParticleSystemController(std::string scriptPath, std::string initFunction, std::string updateFunction,
                                   Bindings extraBindings = {});
    ~CLayerParticleSystemController();
    CLayerParticleSystemController(const CLayerParticleSystemController&) = delete;
    CLayerParticleSystemController& operator=(const CLayerParticleSystemController&) = delete;

    // Runs the script file, then its init function with the controller.
    void Init();
    // The script's update function with (controller, ms), then every system by ascending id.
    void Update(float ms);

    // Script members.
    // A new system at the layer: its init function runs on the stored system. Returns its id.
    int AddSystem(const std::string& initFunction, const std::string& updateFunction, int layer);
    // Removes the entry of that id; how many went (0 or 1).
    int RemoveSystem(int id);
    // Removes the entry whose system is this very object.
    void RemoveSystemObject(CParticleSystem* system);
    // Null when no entry has that id.
    CParticleSystem* GetSystem(int id);
    void Clear();

    // The id the next AddSystem takes: the first gap above an existing id, else one past the largest.
    int NextId() const;
    size_t SystemCount() const { return mSystems.size(); }
    CScript& Script() { return *mScript; }

    static void RegisterLuaClass(lua_State* L);

private:
    struct Entry {
        Entry(std::string initFunction, std::string updateFunction, CScript* host, int layer)
            : system(std::move(initFunction), std::move(updateFunction), host, false), layer(system, layer)
        {
        }
        CParticleSystem system;
        CParticleSystemLayer layer;
    };

    class CControllerScript : public CBasicScript
    {
    public:
        CControllerScript(std::string path, Bindings extra)
            : CBasicScript(std::move(path), ""), mExtra(std::move(extra))
        {
        }

    protected:
        void RegisterBindings(lua_State* state) override;

    private:
        Bindings mExtra;
    };

    // Script calls may remove entries, even the one being stepped or initialised: a removed entry
    // leaves the map at once but is destroyed only when no call of the controller is under way.
    class CCallScope
    {
    public:
        explicit CCallScope(CLayerParticleSystemController& owner) : mOwner(owner) { ++mOwner.mDepth; }
        ~CCallScope();

    private:
        CLayerParticleSystemController& mOwner;
    };

    void Retire(std::map<int, std::unique_ptr<Entry>>::iterator it);

    std::map<int, std::unique_ptr<Entry>> mSystems;
    std::vector<std::unique_ptr<Entry>> mRetired;
    std::unique_ptr<CControllerScript> mScript;
    std::string mInitFunction;
    std::string mUpdateFunction;
    int mDepth = 0;
};

} // namespace tilvan
