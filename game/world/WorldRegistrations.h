// The world's one registration entry.
#pragma once

namespace tilvan
{

class CStartupRegistrations;

void RegisterWorld(CStartupRegistrations& steps);
// The saved classes at once, for programs and tests that do not run the start-up registrations.
void RegisterWorldSaveClasses();

} // namespace tilvan
