// The play folder's saved classes (play state, level, cursor, fire) and their registration.
#pragma once

namespace tilvan
{

class CStartupRegistrations;

// Adds the play folder's saved classes to their start-up steps.
void AddPlaySaveRegistrations(CStartupRegistrations& registrations);
// The same at once, for programs and tests that do not run the start-up registrations.
void RegisterPlaySaveClasses();

} // namespace tilvan
