// Monotonic time in milliseconds and sleeping, behind an interface so the pacer can run on a clock
// that a test advances itself.
#pragma once

#include <cstdint>

namespace Olvarn
{

class Clock
{
public:
    virtual ~Clock() = default;
    // Milliseconds since an arbitrary fixed start (the multimedia time of the main loop).
    virtual int NowMs() = 0;
    // Milliseconds since boot, wrapping like the system tick count; used for seeds.
    virtual uint32_t TickCount() = 0;
    virtual void SleepMs(int ms) = 0;
};

// The real clock: std::chrono's monotonic clock and a thread sleep.
class SystemClock : public Clock
{
public:
    int NowMs() override;
    uint32_t TickCount() override;
    void SleepMs(int ms) override;

    // The process-wide instance.
    static SystemClock& Instance();
};

} // namespace Olvarn
