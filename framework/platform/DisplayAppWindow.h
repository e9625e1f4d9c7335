// Lets the display present into the application's main window.
#pragma once

#include "platform/DisplayWindow.h"

namespace Olvarn
{

class Window;

class DisplayAppWindow : public DisplayWindow
{
public:
    explicit DisplayAppWindow(Window* window) : mWindow(window) {}
    SDL_Window* GetSdlWindow() const override;

private:
    Window* mWindow = nullptr;
};

} // namespace Olvarn
