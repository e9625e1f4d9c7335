// Preloaded into the real game by bench_gamestart: notes the moment of the first frame put on the
// main window (by the window's own surface or by a renderer), as CLOCK_MONOTONIC nanoseconds, in the
// file TAMBERLO_PRESENT_PROBE names. The hidden window of the 3D device is not the main window.
#include <SDL.h>

#include <dlfcn.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace
{

std::atomic<bool> gNoted{false};

void NoteFirstPresent(SDL_Window* window)
{
    const char* title = window ? SDL_GetWindowTitle(window) : nullptr;
    if (!title || std::strcmp(title, "Device3D") == 0 || gNoted.exchange(true))
        return;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    if (const char* path = std::getenv("TAMBERLO_PRESENT_PROBE")) {
        if (std::FILE* f = std::fopen(path, "w")) {
            std::fprintf(f, "%lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
            std::fclose(f);
        }
    }
}

template <typename F> F Next(const char* name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" {

int SDL_UpdateWindowSurface(SDL_Window* window)
{
    static auto real = Next<int (*)(SDL_Window*)>("SDL_UpdateWindowSurface");
    const int result = real(window);
    NoteFirstPresent(window);
    return result;
}

int SDL_UpdateWindowSurfaceRects(SDL_Window* window, const SDL_Rect* rects, int count)
{
    static auto real = Next<int (*)(SDL_Window*, const SDL_Rect*, int)>("SDL_UpdateWindowSurfaceRects");
    const int result = real(window, rects, count);
    NoteFirstPresent(window);
    return result;
}

void SDL_RenderPresent(SDL_Renderer* renderer)
{
    static auto real = Next<void (*)(SDL_Renderer*)>("SDL_RenderPresent");
    real(renderer);
    NoteFirstPresent(SDL_RenderGetWindow(renderer));
}

} // extern "C"
