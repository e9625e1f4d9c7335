// The one place that lists every game folder: their saved classes, property components, constants
// handlers and script classes, registered in one fixed order at start.
#pragma once

namespace tilvan
{

void RegisterGameFolders();

} // namespace tilvan
