// The one place that lists every game folder: each offers a single registration entry.
#include "GameRegistrations.h"

#include "board/BoardRegistrations.h"
#include "data/StartupRegistrations.h"
#include "records/RecordsRegistrations.h"
#include "shell/ShellRegistrations.h"
#include "world/WorldRegistrations.h"

namespace tilvan
{

void RegisterGameFolders()
{
    RunStartupRegistrations({&RegisterShell, &RegisterBoard, &RegisterWorld, &RegisterRecords});
}

} // namespace tilvan
