// The monotonic system clock.
#include "platform/Clock.h"

#include <chrono>
#include <thread>

namespace Olvarn
{

namespace
{
const std::chrono::steady_clock::time_point kProcessStart = std::chrono::steady_clock::now();

int ElapsedSince(std::chrono::steady_clock::time_point from)
{
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - from);
    return static_cast<int>(ms.count());
}
} // namespace

int SystemClock::NowMs()
{
    return ElapsedSince(kProcessStart);
}

uint32_t SystemClock::TickCount()
{
    auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

void SystemClock::SleepMs(int ms)
{
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

SystemClock& SystemClock::Instance()
{
    static SystemClock clock;
    return clock;
}

} // namespace Olvarn
