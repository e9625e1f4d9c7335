// The record of one registered song, shared by both music back ends.
#pragma once

#include <cstdint>

namespace Olvarn
{

struct MusicInfo {
    // BASS: the module (first) or the stream (second); FMOD: the sample (first) or the module
    // (second). The other one is 0.
    uint32_t mFirstHandle = 0;
    uint32_t mSecondHandle = 0;
    double mVolume = 0.0;
    // Added to the volume at each update while not 0.
    double mFadeStep = 0.0;
    double mMaxVolume = 1.0;
    bool mStopWhenSilent = false;
    // FMOD samples only.
    bool mLoop = false;
};

// One update of a song's fade: true when it just fell silent with its stop flag set, so the caller
// stops the song's channel. The caller applies the volume afterwards.
bool StepFade(MusicInfo& info);

// Volume and global volume as the engine's percent: trunc(volume x 100).
int VolumePercent(double volume);

// Limits the global music volume to 0..1 (NaN gives 0).
double ClampMusicVolume(double volume);

} // namespace Olvarn
