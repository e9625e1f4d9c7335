// Integer count-ups of the statistics windows.
#include "records/StatisticsCountUp.h"

#include <algorithm>

namespace tilvan
{

namespace
{
constexpr int kTickEveryMs = 4000;
}

CPearlCountUp::CPearlCountUp(int pearls, int pearlsPerSecond)
    : mPearls(std::max(pearls, 0)), mSpeed(std::max(pearlsPerSecond, 1))
{
}

int CPearlCountUp::Update()
{
    if (IsDone())
        return 0;
    // Left-over hundredths stay below 100, so a capped speed cannot overflow the sum.
    mHundredths += std::min(mSpeed, 1 << 30);
    int converted = std::min(mHundredths / 100, mPearls);
    mHundredths -= converted * 100;
    mPearls -= converted;
    return converted;
}

CTimeCountDown::CTimeCountDown(int timeLeftMs, int msPerSecond, double pointsPerMs)
    : mTimeLeft(std::max(timeLeftMs, 0)), mStep(std::max(msPerSecond / 100, 1)), mPointsPerMs(pointsPerMs)
{
}

CTimeCountDown::Step CTimeCountDown::Update()
{
    Step step;
    if (IsDone())
        return step;
    int ms = std::min(mStep, mTimeLeft);
    mTimeLeft -= ms;
    step.points = static_cast<int>(ms * mPointsPerMs);
    mTickMs += ms;
    if (mTickMs >= kTickEveryMs) {
        step.tick = true;
        mTickMs %= kTickEveryMs;
    }
    return step;
}

} // namespace tilvan
