// The shell's part of the start-up registrations.
#pragma once

namespace tilvan
{

class CStartupRegistrations;

// Registers the shell's saved classes (the animated image, class 9999).
void RegisterShell(CStartupRegistrations& steps);

} // namespace tilvan
