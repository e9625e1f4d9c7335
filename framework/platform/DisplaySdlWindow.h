// A plain SDL window the display can present into, for headless runs, tests and benchmarks.
#pragma once

#include "platform/DisplayWindow.h"

namespace Olvarn
{

class DisplaySdlWindow : public DisplayWindow
{
public:
    DisplaySdlWindow(int width, int height, const char* title = "");
    ~DisplaySdlWindow() override;
    DisplaySdlWindow(const DisplaySdlWindow&) = delete;
    DisplaySdlWindow& operator=(const DisplaySdlWindow&) = delete;

    // False when SDL could not make the window.
    bool IsOpen() const { return mWindow != nullptr; }
    SDL_Window* GetSdlWindow() const override { return mWindow; }

private:
    bool mVideoReady = false;
    SDL_Window* mWindow = nullptr;
};

} // namespace Olvarn
