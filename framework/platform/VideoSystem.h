// Starts and stops SDL's video subsystem for the windows that use it (platform-internal).
#pragma once

#include <string>

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
    // Lets the desktop's screen saver and monitor power-off run over the program's windows, or holds
    // them off (SDL holds them off by default).
    static void SetScreenSaverAllowed(bool allowed);
};

} // namespace Olvarn
