// The main window's SDL window, handed to the display.
#include "platform/DisplayAppWindow.h"

#include "platform/Window.h"

namespace Olvarn
{

SDL_Window* DisplayAppWindow::GetSdlWindow() const
{
    return mWindow ? static_cast<SDL_Window*>(mWindow->Native()) : nullptr;
}

} // namespace Olvarn
