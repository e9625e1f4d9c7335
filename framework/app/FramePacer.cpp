// The main loop's time account.
#include "app/FramePacer.h"

#include <algorithm>
#include <cmath>

namespace Olvarn
{

void FramePacer::AccountTime(int now)
{
    if (mHaveLastTimeCheck)
        mTimeAcc = std::min(mTimeAcc + (now - mLastTimeCheck), double(kMaxTimeDebtMs));
    mLastTimeCheck = now;
    mHaveLastTimeCheck = true;
}

void FramePacer::ForgetTime(int now)
{
    mTimeAcc = 0;
    mLastTimeCheck = now;
    mHaveLastTimeCheck = true;
}

void FramePacer::ForgetTime()
{
    mTimeAcc = 0;
    mHaveLastTimeCheck = false;
}

double FramePacer::StepLength(bool refreshPaced, int refreshRate, int frameTime, double multiplier)
{
    return refreshPaced ? 1000.0 / refreshRate / multiplier : frameTime / multiplier;
}

double FramePacer::StepsPerRefresh(bool refreshPaced, int refreshRate, int frameTime)
{
    return refreshPaced ? 1000.0 / (refreshRate * frameTime) : 1.0;
}

bool FramePacer::CountUpdateAndCheckLimit(double multiplier, bool loaded)
{
    ++mUpdatesSinceDraw;
    // The count includes the update about to run, so "more than the limit" lets exactly the limit
    // of updates run in a row before a draw.
    const int limit = static_cast<int>(std::ceil(multiplier * 10));
    return mUpdatesSinceDraw > limit && loaded;
}

bool FramePacer::UpdateDue(double step, bool vsyncPacing) const
{
    return vsyncPacing ? (!mHasPendingDraw || mTimeAcc >= int(0.75 * step)) : mTimeAcc >= step;
}

void FramePacer::PayStep(double step, bool vsyncPacing)
{
    mTimeAcc -= step;
    if (vsyncPacing)
        mTimeAcc = std::max(mTimeAcc - 0.2, 0.0);
}

int FramePacer::MsUntilNextUpdate(double step) const
{
    // Rounded up: with a step of a fractional length (refresh pacing) a truncated wait would be 0
    // for the last part of a millisecond, and the loop would spin through it.
    return std::max(static_cast<int>(std::ceil(step - mTimeAcc)), 0);
}

} // namespace Olvarn
