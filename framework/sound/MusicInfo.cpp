// The per-update fade step shared by both music back ends.
#include "sound/MusicInfo.h"

#include <algorithm>
#include <cmath>

namespace Olvarn
{

bool StepFade(MusicInfo& info)
{
    info.mVolume += info.mFadeStep;
    if (info.mVolume > info.mMaxVolume) {
        info.mVolume = info.mMaxVolume;
        info.mFadeStep = 0.0;
    } else if (info.mVolume < 0.0) {
        info.mVolume = 0.0;
        info.mFadeStep = 0.0;
        return info.mStopWhenSilent;
    }
    return false;
}

int VolumePercent(double volume)
{
    if (!std::isfinite(volume))
        return 0;
    return static_cast<int>(std::clamp(volume * 100.0, -1e6, 1e6));
}

double ClampMusicVolume(double volume)
{
    if (!(volume >= 0.0))
        return 0.0;
    return std::min(volume, 1.0);
}

} // namespace Olvarn
