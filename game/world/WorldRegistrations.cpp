// The world's saved classes, property components and script classes, each at its start-up step.
#include "world/WorldRegistrations.h"

#include "data/CPropertyLoader.h"
#include "data/StartupRegistrations.h"
#include "world/AnimalComponents.h"
#include "world/AnimalConfig.h"
#include "world/CAquarium.h"
#include "world/CBirdController.h"
#include "world/CEnvironment.h"
#include "world/CLocation.h"
#include "world/CSun.h"
#include "world/CWater.h"
#include "world/EffectConstants.h"
#include "world/LevelEffectMakers.h"

namespace tilvan
{

namespace
{

template <typename T> void RegisterSaved()
{
    auto& registry = save::CSaveObjectRegistry::Instance();
    // The schema functions run on every registration; declaring twice would repeat the attributes.
    if (!registry.IsRegistered(T::kClassId))
        registry.Register(nullptr, T::kClassId, &T::DeclareReaderSchema, &T::DeclareWriterSchema);
}

void RegisterProperties()
{
    // The creatures' prototypes and the bird kinds come from "properties\animals.xml".
    SetPropertyComponent(
        EPropertyComponent::Animals,
        {&DeclareAnimalConfig, [](CXmlDataReader& r, Olvarn::OlvarnAppBase*) { LoadAnimalConfig(r); }});
    SetPropertyComponent(EPropertyComponent::Birds,
                         {&CBirdController::DeclareConfig,
                          [](CXmlDataReader& r, Olvarn::OlvarnAppBase*) { CBirdController::LoadConfig(r); }});
    SetPropertyComponent(EPropertyComponent::Sun,
                         {&CSun::DeclareConfig, [](CXmlDataReader& r, Olvarn::OlvarnAppBase*) { CSun::LoadConfig(r); },
                          &CheckBonusLevelTimes});
}

} // namespace

void RegisterWorldSaveClasses()
{
    RegisterAnimalComponentClasses();
    RegisterSaved<CAnimal>();
    RegisterSaved<CAquarium>();
    RegisterSaved<CEnvironment>();
    RegisterSaved<CLocation>();
    RegisterSaved<CWater>();
}

void RegisterWorld(CStartupRegistrations& steps)
{
    steps.Add(EStartupStep::WorldSaveClasses, [] { RegisterAnimalComponentClasses(); });
    steps.Add(EStartupStep::AnimalSaveClasses, [] {
        RegisterSaved<CAnimal>();
        RegisterSaved<CAquarium>();
    });
    steps.Add(EStartupStep::EnvironmentCursorFire, [] { RegisterSaved<CEnvironment>(); });
    steps.Add(EStartupStep::LevelAndLocationSaveClasses, [] { RegisterSaved<CLocation>(); });
    steps.Add(EStartupStep::WaterSaveClass, [] { RegisterSaved<CWater>(); });
    steps.Add(EStartupStep::FolderComponents, [] {
        RegisterProperties();
        RegisterEffectConstants();
        InstallEffectMakers();
    });
}

} // namespace tilvan
