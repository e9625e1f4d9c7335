// The one place that lists every game folder: each offers a single registration entry.
#include "GameRegistrations.h"

#include "board/BoardRegistrations.h"
#include "data/StartupRegistrations.h"
#include "play/PlayRegistrations.h"
#include "records/RecordsRegistrations.h"
#include "screens/ScreensRegistrations.h"
#include "shell/ShellRegistrations.h"
#include "world/WorldRegistrations.h"

namespace tilvan
{

void RegisterGameFolders()
{
    RunStartupRegistrations(
        {&RegisterShell, &RegisterBoard, &RegisterWorld, &RegisterRecords, &RegisterPlay, &RegisterScreens});
}

} // namespace tilvan
