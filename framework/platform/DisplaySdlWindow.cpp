// A hidden-by-default SDL window for presenting without the application's main window.
#include "platform/DisplaySdlWindow.h"
#include "platform/SdlMemory.h"

#include <SDL.h>

#include "platform/VideoSystem.h"

namespace Olvarn
{

DisplaySdlWindow::DisplaySdlWindow(int width, int height, const char* title)
{
    VideoSystem::SetStartHints();
    UseFramePagesForSdl();
    mVideoReady = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    if (!mVideoReady)
        return;
    const Uint32 rendererFlags = VideoSystem::RendererWindowFlags();
    mWindow = SDL_CreateWindow(title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height,
                               SDL_WINDOW_HIDDEN | rendererFlags);
    if (!mWindow && rendererFlags)
        mWindow =
            SDL_CreateWindow(title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height, SDL_WINDOW_HIDDEN);
}

DisplaySdlWindow::~DisplaySdlWindow()
{
    if (mWindow)
        SDL_DestroyWindow(mWindow);
    if (mVideoReady)
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

} // namespace Olvarn
