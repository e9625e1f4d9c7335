// The game's log.
#include "shell/GameLog.h"

#include <cstdio>
#include <ctime>

namespace tilvan
{

void LogText(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

std::string TimeOfDay()
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    if (const std::tm* t = std::localtime(&now))
        local = *t;
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
    return text;
}

} // namespace tilvan
