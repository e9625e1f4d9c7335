// The board's one registration entry: its saved classes, property components, constants handlers
// and script classes.
#pragma once

namespace tilvan
{

class CStartupRegistrations;

void RegisterBoard(CStartupRegistrations& steps);

} // namespace tilvan
