// The start-up registrations in their fixed order.
#include "data/StartupRegistrations.h"

#include "data/CConstantsRegistry.h"
#include "data/CLevelInfo.h"
#include "data/CSaveObject.h"

namespace tilvan
{

namespace
{
bool gDone = false;
} // namespace

void CStartupRegistrations::Add(EStartupStep step, std::function<void()> registration)
{
    mSteps[step].push_back(std::move(registration));
}

void RunStartupRegistrations(const std::vector<void (*)(CStartupRegistrations&)>& contributors)
{
    if (gDone)
        return;
    gDone = true;
    CStartupRegistrations steps;
    // The data layer's own objects, at the steps where they come to exist.
    steps.Add(EStartupStep::WorldSaveClasses, [] { save::CSaveObjectRegistry::Instance(); });
    steps.Add(EStartupStep::LevelLists, [] { CLevelDefinitions::Instance(); });
    steps.Add(EStartupStep::BonusEffect, [] { CConstantsRegistry::Instance(); });
    for (auto contributor : contributors)
        if (contributor)
            contributor(steps);
    for (auto& [step, registrations] : steps.mSteps)
        for (auto& registration : registrations)
            registration();
}

bool StartupRegistrationsDone()
{
    return gDone;
}

} // namespace tilvan
