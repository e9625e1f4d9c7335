// The board's one registration entry.
#include "board/BoardRegistrations.h"

#include "board/BoardConfig.h"
#include "board/BoardSave.h"
#include "board/BoardScript.h"
#include "data/StartupRegistrations.h"
#include "shell/CEventsScript.h"

namespace tilvan
{

void RegisterBoard(CStartupRegistrations& steps)
{
    AddBoardRegistrations(steps);
    steps.Add(EStartupStep::FolderComponents, [] {
        RegisterBoardProperties();
        CEventsScript::AddBindings(&RegisterBoardScriptClasses);
    });
}

} // namespace tilvan
