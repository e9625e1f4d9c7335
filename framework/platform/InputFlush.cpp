// Input flushing through SDL's event queue.
#include "platform/InputFlush.h"

#include <SDL.h>

#include "platform/VideoSystem.h"

namespace Olvarn
{

void FlushPendingInput()
{
    if (!VideoSystem::IsRunning())
        return;
    // Take what the desktop has sent so far into SDL's queue, then drop every key, text and mouse event.
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_KEYDOWN, SDL_MOUSEWHEEL);
}

} // namespace Olvarn
