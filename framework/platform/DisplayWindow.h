// What the display layer needs of the window it presents into. The application's window and the
// display layer's own headless window both offer it.
#pragma once

struct SDL_Window;

namespace Olvarn
{

class DisplayWindow
{
public:
    virtual ~DisplayWindow() = default;
    // The SDL window frames are presented into; null for a window the fake display stands in for.
    virtual SDL_Window* GetSdlWindow() const = 0;
};

} // namespace Olvarn
