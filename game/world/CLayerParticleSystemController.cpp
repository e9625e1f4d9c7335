// The layer controller's entries, its step and its script class.
#include "world/CLayerParticleSystemController.h"

#include <iterator>

#include <lua.hpp>
#include <luabind/luabind.hpp>

#include "shell/GameServices.h"

namespace tilvan
{

namespace
{

void PlaySoundNamed(const std::string& name)
{
    services::PlaySound(services::FindSound(name));
}

} // namespace

void CLayerParticleSystemController::CControllerScript::RegisterBindings(lua_State* state)
{
    CBasicScript::RegisterBindings(state);
    CLayerParticleSystemController::RegisterLuaClass(state);
    RegisterParticleClasses(state);
    CImage::RegisterLuaClass(state);
    luabind::module(state)[luabind::def("play_sound", &PlaySoundNamed)];
    if (mExtra)
        mExtra(state);
}

CLayerParticleSystemController::CCallScope::~CCallScope()
{
    if (--mOwner.mDepth == 0)
        mOwner.mRetired.clear();
}

CLayerParticleSystemController::CLayerParticleSystemController(std::string scriptPath, std::string initFunction,
                                                               std::string updateFunction, Bindings extraBindings)
    : mScript(std::make_unique<CControllerScript>(std::move(scriptPath), std::move(extraBindings))),
      mInitFunction(std::move(initFunction)), mUpdateFunction(std::move(updateFunction))
{
}

CLayerParticleSystemController::~CLayerParticleSystemController()
{
    mSystems.clear();
    mRetired.clear();
    mScript.reset();
}

void CLayerParticleSystemController::Init()
{
    CCallScope scope(*this);
    mScript->Run();
    mScript->CallFunction(mInitFunction.c_str(), this);
}

void CLayerParticleSystemController::Update(float ms)
{
    CCallScope scope(*this);
    mScript->CallFunction(mUpdateFunction.c_str(), this, ms);
    // The scripts may add and remove entries while the systems step: walk the ids as they were.
    std::vector<int> ids;
    ids.reserve(mSystems.size());
    for (const auto& entry : mSystems)
        ids.push_back(entry.first);
    for (int id : ids) {
        auto it = mSystems.find(id);
        if (it != mSystems.end())
            it->second->system.Update(ms);
    }
}

int CLayerParticleSystemController::NextId() const
{
    if (mSystems.empty())
        return 0;
    for (auto it = mSystems.begin(); it != mSystems.end(); ++it) {
        auto next = std::next(it);
        if (next == mSystems.end())
            break;
        const int k = it->first;
        if (next->first > k + 1) {
            if (k + 1 == 0)
                break;
            return k + 1;
        }
    }
    return mSystems.rbegin()->first + 1;
}

int CLayerParticleSystemController::AddSystem(const std::string& initFunction, const std::string& updateFunction,
                                              int layer)
{
    CCallScope scope(*this);
    const int id = NextId();
    // Stored first, so the init function works on the system the controller keeps.
    auto entry = std::make_unique<Entry>(initFunction, updateFunction, mScript.get(), layer);
    CParticleSystem& system = entry->system;
    mSystems.emplace(id, std::move(entry));
    system.CallScript();
    return id;
}

void CLayerParticleSystemController::Retire(std::map<int, std::unique_ptr<Entry>>::iterator it)
{
    it->second->layer.visible = false;
    mRetired.push_back(std::move(it->second));
    mSystems.erase(it);
}

int CLayerParticleSystemController::RemoveSystem(int id)
{
    CCallScope scope(*this);
    auto it = mSystems.find(id);
    if (it == mSystems.end())
        return 0;
    Retire(it);
    return 1;
}

void CLayerParticleSystemController::RemoveSystemObject(CParticleSystem* system)
{
    CCallScope scope(*this);
    for (auto it = mSystems.begin(); it != mSystems.end(); ++it)
        if (&it->second->system == system) {
            Retire(it);
            return;
        }
}

CParticleSystem* CLayerParticleSystemController::GetSystem(int id)
{
    auto it = mSystems.find(id);
    return it == mSystems.end() ? nullptr : &it->second->system;
}

void CLayerParticleSystemController::Clear()
{
    CCallScope scope(*this);
    while (!mSystems.empty())
        Retire(mSystems.begin());
}

void CLayerParticleSystemController::RegisterLuaClass(lua_State* L)
{
    using namespace luabind;
    using C = CLayerParticleSystemController;
    module(L)[class_<C>("layer_particle_system_controller_class")
                  .def("add_system", &C::AddSystem)
                  .def("add_system", &C::RemoveSystem)
                  .def("add_system", &C::RemoveSystemObject)
                  .def("get_system", &C::GetSystem)
                  .def("clear", &C::Clear)];
}

} // namespace tilvan
