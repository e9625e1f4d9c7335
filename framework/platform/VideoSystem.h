// Starts and stops SDL's video subsystem for the windows that use it (platform-internal).
#pragma once

#include <cstdint>
#include <string>

struct SDL_Window;

namespace Olvarn
{

class VideoSystem
{
public:
    // One more user; starts video on the first. False with SDL's reason when video cannot start.
    static bool Acquire(std::string& error);
    static void Release();
    static bool IsRunning();
    // True when there is no screen a person can see (dummy or offscreen driver, or no video).
    static bool IsHeadless();
    // The SDL window flags the renderer the display will use needs from the start (SDL would
    // otherwise destroy and recreate the window when the renderer is made): OpenGL where the video
    // driver has it, nothing on the dummy driver. Video must be running.
    static uint32_t RendererWindowFlags();
    // Hints every start of SDL video needs before it runs: a window's own surface is plain memory
    // put to the screen by the video driver, never an OpenGL texture behind it (under a software
    // rasteriser that texture costs a core and a dozen threads for an unchanging picture).
    static void SetStartHints();
    // Xlib's answer to a lost X server is exit() from inside whichever call noticed it: static
    // objects are torn down under the running main loop and the game in progress is never saved.
    // For the window's X connection, a lost server becomes a termination request instead, as a
    // signal is, so the program saves and ends through its usual path. Nothing on other drivers.
    static void WatchConnection(SDL_Window* window);
    // True once the watched connection was lost. SDL waits for the server's answer when it shows or
    // hides a window, and a dead server never answers, so window changes are skipped from then on.
    static bool ConnectionLost();
    // Lets the desktop's screen saver and monitor power-off run over the program's windows, or holds
    // them off (SDL holds them off by default).
    static void SetScreenSaverAllowed(bool allowed);
};

} // namespace Olvarn
