// The screens folder's saved classes (the game screen's "game" row and the level map) and their
// registration.
#pragma once

namespace tilvan
{

class CStartupRegistrations;

// Adds the screens' saved classes to their start-up steps.
void AddScreensSaveRegistrations(CStartupRegistrations& registrations);
// The same at once, for programs and tests that do not run the start-up registrations.
void RegisterScreensSaveClasses();

} // namespace tilvan
