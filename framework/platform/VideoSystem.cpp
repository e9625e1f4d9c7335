// SDL video start-up, shared by the windows.
#include "platform/VideoSystem.h"
#include "platform/SdlMemory.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>

#include "platform/Cursor.h"

namespace Olvarn
{

namespace
{
int gUsers = 0;
}

bool VideoSystem::Acquire(std::string& error)
{
    if (gUsers == 0) {
        // Termination signals are the process's own business (they go through ShutDownApp).
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        SetStartHints();
        UseFramePagesForSdl();
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            error = SDL_GetError();
            return false;
        }
    }
    ++gUsers;
    return true;
}

void VideoSystem::Release()
{
    // SDL frees its cursors when video stops; ours must not outlive them.
    if (gUsers == 1)
        Cursor::Release();
    if (gUsers > 0 && --gUsers == 0)
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool VideoSystem::IsRunning()
{
    return gUsers > 0;
}

void VideoSystem::SetScreenSaverAllowed(bool allowed)
{
    if (gUsers == 0 || (SDL_IsScreenSaverEnabled() == SDL_TRUE) == allowed)
        return;
    if (allowed)
        SDL_EnableScreenSaver();
    else
        SDL_DisableScreenSaver();
}

void VideoSystem::SetStartHints()
{
    // SDL decides this once, at the first window surface of the video run.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
}

uint32_t VideoSystem::RendererWindowFlags()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && std::strcmp(driver, "dummy") != 0 ? SDL_WINDOW_OPENGL : 0;
}

bool VideoSystem::IsHeadless()
{
    const char* driver = nullptr;
    if (gUsers > 0)
        driver = SDL_GetCurrentVideoDriver();
    else
        driver = std::getenv("SDL_VIDEODRIVER");
    if (driver && (std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0))
        return true;
    if (gUsers > 0)
        return false;
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return !(x11 && *x11) && !(wayland && *wayland);
}

} // namespace Olvarn
