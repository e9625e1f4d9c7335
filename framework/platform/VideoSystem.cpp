// SDL video start-up, shared by the windows.
#include "platform/VideoSystem.h"
#include "platform/SdlMemory.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <dlfcn.h>
#include <signal.h>

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "platform/Cursor.h"
#include "platform/Log.h"
#include "platform/Process.h"

namespace Olvarn
{

namespace
{
int gUsers = 0;
std::atomic<bool> gConnectionLost{false};

// Xlib's own handler of a broken connection ends the process itself; this one only says so, and
// Xlib goes on to the exit handler below.
int OnDisplayConnectionBroken(Display*)
{
    LogWrite(LogLevel::Error, "The connection to the display was lost; the program saves and ends.");
    return 0;
}

// Called once Xlib has marked the connection dead; its calls on it fail quietly from here on.
void OnDisplayConnectionLost(Display*, void*)
{
    gConnectionLost = true;
    Process::RequestTermination();
}
} // namespace

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
    if (gUsers > 0 && --gUsers == 0 && !gConnectionLost)
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

void VideoSystem::WatchConnection(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11)
        return;
    Display* display = info.info.x11.display;
    if (!display)
        return;
    // Xlib writes to the server's socket with plain writes: once the server is gone, the first
    // write would kill the process with SIGPIPE before any handler below could run.
    struct sigaction pipe = {};
    if (sigaction(SIGPIPE, nullptr, &pipe) == 0 && pipe.sa_handler == SIG_DFL)
        signal(SIGPIPE, SIG_IGN);
    // SDL loads Xlib privately, so the function is looked up in the copy already loaded.
    void* xlib = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
    if (!xlib)
        return;
    using SetExitHandler = void (*)(Display*, void (*)(Display*, void*), void*);
    using SetHandler = int (*(*)(int (*)(Display*)))(Display*);
    auto setExit = reinterpret_cast<SetExitHandler>(dlsym(xlib, "XSetIOErrorExitHandler"));
    auto setHandler = reinterpret_cast<SetHandler>(dlsym(xlib, "XSetIOErrorHandler"));
    // Both or neither: the exit handler alone never runs, Xlib's handler exits first. Set again for
    // every window: video may have been restarted on a new connection since.
    if (setExit && setHandler) {
        setHandler(OnDisplayConnectionBroken);
        setExit(display, OnDisplayConnectionLost, nullptr);
    }
    dlclose(xlib);
}

bool VideoSystem::ConnectionLost()
{
    return gConnectionLost;
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
