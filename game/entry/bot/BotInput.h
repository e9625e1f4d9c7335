// Input the test drivers put into the program's own message queue, as the event pump would.
#pragma once

#include <cstdint>

#include "app/OlvarnAppBase.h"
#include "platform/EventPump.h"

namespace tilvan::bot
{

inline void PostMouse(Olvarn::OlvarnAppBase& app, Olvarn::AppMessageKind kind, int x, int y, int64_t buttons = 0)
{
    Olvarn::AppMessage m;
    m.mKind = kind;
    m.mParam1 = buttons;
    m.mParam2 = Olvarn::PackMousePosition(x, y);
    app.QueueMessage(m);
}

} // namespace tilvan::bot
