// The screens folder's one registration entry.
#pragma once

namespace tilvan
{

class CStartupRegistrations;

void RegisterScreens(CStartupRegistrations& steps);

} // namespace tilvan
