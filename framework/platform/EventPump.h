// Turns what the desktop and the process report (SDL window events, termination signals) into the
// framework's message records.
#pragma once

#include <vector>

#include "platform/AppMessage.h"

namespace Olvarn
{

class Window;

class EventPump
{
public:
    // Takes every waiting event and appends a record for each one that concerns the main window
    // (or the process as a whole) to out.
    void Poll(const Window* mainWindow, std::vector<AppMessage>& out);
};

} // namespace Olvarn
