// The level's scenery, its feedback script and its saved row.
#include "world/CEnvironment.h"

#include <cmath>
#include <vector>

#include <luabind/luabind.hpp>

#include "board/BoardScript.h"
#include "board/CElement.h"
#include "board/CLevelView.h"
#include "data/CConstantsRegistry.h"
#include "data/CLevelInfo.h"
#include "shell/GameServices.h"
#include "world/CBirdController.h"
#include "world/CGlobals.h"
#include "world/CWalkPath.h"

namespace tilvan
{

namespace
{

std::vector<void (*)(lua_State*)>& FeedbackBindings()
{
    static std::vector<void (*)(lua_State*)> bindings;
    return bindings;
}

constexpr const char* kAttributes[] = {"level", "location", "aquarium", "sun_pos"};

void SetColorForEachOfGroup(CParticleSystem* system, const Olvarn::Color& color, int group)
{
    if (system)
        system->SetColorForEach(color, group);
}

void SetColorForEach(CParticleSystem* system, const Olvarn::Color& color)
{
    SetColorForEachOfGroup(system, color, -1);
}

} // namespace

void CEnvironment::AddFeedbackBindings(void (*registerClasses)(lua_State*))
{
    FeedbackBindings().push_back(registerClasses);
}

void CEnvironment::RegisterFeedbackBindings(lua_State* state)
{
    RegisterBoardScriptClasses(state);
    CBirdController::RegisterLuaClass(state);
    CGlobals::RegisterLuaClasses(state);
    luabind::module(state)[luabind::def("set_color_for_each", &SetColorForEachOfGroup),
                           luabind::def("set_color_for_each", &SetColorForEach)];
    for (auto registerClasses : FeedbackBindings())
        registerClasses(state);
}

CEnvironment::CEnvironment(CLevelView* level, CPipeline* pipeline, CBirdController* birds)
    : aquarium([this] { return levelNumber; }),
      feedback(std::make_unique<CLayerParticleSystemController>("scripts/feedback.lua", "controller_init",
                                                                "controller_update", &RegisterFeedbackBindings))
{
    int fade = 0;
    CConstantsRegistry::Instance().GetInt("music", "fade_time", fade);
    // A missing group gives 0 and so an infinite time, as the scripts expect of it.
    CGlobals::Set(level, pipeline, birds, services::Music(), 10.0 / double(fade));
    CLightList::Instance().Add(&sun);
    drawn3D = CElement::Uses3D();
    sunLayer.visible = drawn3D;
}

CEnvironment::~CEnvironment()
{
    feedback.reset();
}

FPoint CEnvironment::SunPositionFor(int number, int count)
{
    const float a = count > 0 ? float(number) / float(count) * 3.1415f : 0.0f;
    return FPoint(410.0f - std::cos(a) * 285.0f, 125.0f - std::sin(a) * 40.0f);
}

void CEnvironment::SetLevel(const CLevelInfo* definition)
{
    if (!definition)
        return;
    aquarium.Clear();
    SetAnimalLocation(definition);
    location.SetLevel(definition);
    levelNumber = definition->number;
    sunPosition = SunPositionFor(levelNumber, GetLevelCount());
    sun.SetPosition(sunPosition.x, sunPosition.y);
}

void CEnvironment::Start()
{
    if (started)
        return;
    started = true;
    feedback->Init();
}

void CEnvironment::Update(float ms)
{
    if (CElement::Uses3D() != drawn3D) {
        drawn3D = CElement::Uses3D();
        sunLayer.visible = drawn3D;
    }
    location.Update(ms);
    aquarium.Update(ms);
    if (drawn3D)
        sun.Update(ms);
    if (started)
        feedback->Update(ms);
}

int CEnvironment::Save()
{
    return save::SaveWriter().WriteRow(kElement, levelNumber, save::Child(location), save::Child(aquarium),
                                       sunPosition);
}

void CEnvironment::Load(int row)
{
    save::SaveReader().GetRow(kElement, row, levelNumber, save::Child(location), save::Child(aquarium), sunPosition);
    sun.SetPosition(sunPosition.x, sunPosition.y);
}

void CEnvironment::DeclareReaderSchema(CXmlDataReader& reader)
{
    reader.DeclareElement(kElement);
    for (const char* a : kAttributes)
        reader.DeclareAttribute(kElement, a, "");
}

void CEnvironment::DeclareWriterSchema(CXmlDataWriter& writer)
{
    writer.DeclareElement(kElement);
    for (const char* a : kAttributes)
        writer.DeclareAttribute(kElement, a);
}

} // namespace tilvan
