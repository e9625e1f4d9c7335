// The records folder's one registration entry: the saved classes of profiles and records, and the
// constants of their windows.
#pragma once

namespace tilvan
{

class CStartupRegistrations;

void RegisterRecords(CStartupRegistrations& steps);

} // namespace tilvan
