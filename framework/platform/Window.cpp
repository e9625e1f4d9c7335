// Windows on SDL video.
#include "platform/Window.h"

#include <SDL.h>

#include "platform/TextEncoding.h"
#include "platform/VideoSystem.h"

namespace Olvarn
{

namespace
{
SDL_Window* Sdl(void* window)
{
    return static_cast<SDL_Window*>(window);
}
} // namespace

std::unique_ptr<Window> Window::Create(const WindowSpec& spec, std::string& error)
{
    if (!VideoSystem::Acquire(error))
        return nullptr;
    Uint32 flags = spec.mShown ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN;
    if (spec.mFullScreen)
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    int x = spec.mX < 0 ? SDL_WINDOWPOS_CENTERED : spec.mX;
    int y = spec.mY < 0 ? SDL_WINDOWPOS_CENTERED : spec.mY;
    int width = spec.mWidth, height = spec.mHeight;
    // A full-screen window is made as large as the desktop and at its corner: where no window
    // manager carries out the full-screen request (a bare X server), a window of the program's own
    // size would stay centred over a smaller desktop, partly off screen, while the renderer scales
    // to the desktop's size. The renderer's logical size keeps the picture at the program's size.
    SDL_Rect desktop;
    if (spec.mFullScreen && SDL_GetDisplayBounds(0, &desktop) == 0 && desktop.w > 0 && desktop.h > 0) {
        x = desktop.x;
        y = desktop.y;
        width = desktop.w;
        height = desktop.h;
    }
    const std::string title = Cp1252ToUtf8(spec.mTitle);
    const Uint32 rendererFlags = spec.mOpenGL ? VideoSystem::RendererWindowFlags() : 0;
    SDL_Window* sdlWindow = SDL_CreateWindow(title.c_str(), x, y, width, height, flags | rendererFlags);
    // Without OpenGL the display presents through the window's own surface, which needs no flag.
    if (!sdlWindow && rendererFlags)
        sdlWindow = SDL_CreateWindow(title.c_str(), x, y, width, height, flags);
    if (!sdlWindow) {
        error = SDL_GetError();
        VideoSystem::Release();
        return nullptr;
    }
    VideoSystem::WatchConnection(sdlWindow);
    std::unique_ptr<Window> window(new Window());
    window->mWindow = sdlWindow;
    window->mId = SDL_GetWindowID(sdlWindow);
    window->mWidth = spec.mWidth;
    window->mHeight = spec.mHeight;
    window->mFullScreen = spec.mFullScreen;
    window->mAskedForOpenGL = spec.mOpenGL;
    return window;
}

Window::~Window()
{
    if (mWindow) {
        // Destroying a shown window hides it first, which waits for a server that is gone; the
        // process is ending then, and its connection goes with it.
        if (!VideoSystem::ConnectionLost())
            SDL_DestroyWindow(Sdl(mWindow));
        VideoSystem::Release();
    }
}

bool Window::UsableDesktopArea(int& x, int& y, int& width, int& height)
{
    if (!VideoSystem::IsRunning())
        return false;
    SDL_Rect r;
    if (SDL_GetDisplayUsableBounds(0, &r) != 0)
        return false;
    x = r.x;
    y = r.y;
    width = r.w;
    height = r.h;
    return true;
}

bool Window::HasOpenGL() const
{
    return (SDL_GetWindowFlags(Sdl(mWindow)) & SDL_WINDOW_OPENGL) != 0;
}

void Window::Show()
{
    if (VideoSystem::ConnectionLost())
        return;
    SDL_ShowWindow(Sdl(mWindow));
}

void Window::Minimize()
{
    if (VideoSystem::ConnectionLost())
        return;
    SDL_MinimizeWindow(Sdl(mWindow));
}

void Window::Hide()
{
    if (VideoSystem::ConnectionLost())
        return;
    SDL_HideWindow(Sdl(mWindow));
}

void Window::Raise()
{
    if (VideoSystem::ConnectionLost())
        return;
    SDL_RaiseWindow(Sdl(mWindow));
}

void Window::Restore()
{
    if (VideoSystem::ConnectionLost())
        return;
    SDL_RestoreWindow(Sdl(mWindow));
}

void Window::SetTitle(const std::string& title)
{
    SDL_SetWindowTitle(Sdl(mWindow), Cp1252ToUtf8(title).c_str());
}

void Window::ShowWithoutActivating()
{
    if (VideoSystem::ConnectionLost())
        return;
    SDL_SetHint(SDL_HINT_WINDOW_NO_ACTIVATION_WHEN_SHOWN, "1");
    SDL_ShowWindow(Sdl(mWindow));
    SDL_SetHint(SDL_HINT_WINDOW_NO_ACTIVATION_WHEN_SHOWN, "0");
}

bool Window::IsMinimized() const
{
    return (SDL_GetWindowFlags(Sdl(mWindow)) & SDL_WINDOW_MINIMIZED) != 0;
}

bool Window::IsShown() const
{
    return (SDL_GetWindowFlags(Sdl(mWindow)) & SDL_WINDOW_SHOWN) != 0;
}

void Window::GetPosition(int& x, int& y) const
{
    SDL_GetWindowPosition(Sdl(mWindow), &x, &y);
}

void Window::SetPosition(int x, int y)
{
    if (VideoSystem::ConnectionLost())
        return;
    SDL_SetWindowPosition(Sdl(mWindow), x, y);
}

void Window::GetBorders(int& top, int& left, int& bottom, int& right) const
{
    top = left = bottom = right = 0;
    if (SDL_GetWindowBordersSize(Sdl(mWindow), &top, &left, &bottom, &right) != 0)
        top = left = bottom = right = 0;
}

void Window::CaptureMouse(bool on)
{
    // Not every video driver can capture; the drag then simply ends at the window's edge.
    SDL_CaptureMouse(on ? SDL_TRUE : SDL_FALSE);
}

} // namespace Olvarn
