// The play folder's one registration entry.
#pragma once

namespace tilvan
{

class CStartupRegistrations;

void RegisterPlay(CStartupRegistrations& steps);

} // namespace tilvan
