// The PCM formats the mixer plays and the unit conversions shared by the audio layer.
#pragma once

#include <cstdint>

namespace Olvarn
{

// The output of the mixer: 44100 Hz, 16-bit signed, interleaved stereo.
constexpr int kAudioOutputRate = 44100;
constexpr int kAudioOutputChannels = 2;

// Attenuation in hundredths of a decibel, as the sound buffers take it.
constexpr int kAudioVolumeMax = 0;
constexpr int kAudioVolumeSilent = -10000;
constexpr int kAudioPanLeft = -10000;
constexpr int kAudioPanRight = 10000;
// Playback rates a buffer accepts.
constexpr uint32_t kAudioFrequencyMin = 100;
constexpr uint32_t kAudioFrequencyMax = 200000;

struct PcmFormat {
    int mChannels = 1;       // 1 or 2, interleaved
    int mBitsPerSample = 16; // 8 (unsigned) or 16 (signed little-endian)
    int mSamplesPerSec = 22050;

    int BlockAlign() const { return mChannels * mBitsPerSample / 8; }
    // The formats the mixer can play.
    bool IsPlayable() const
    {
        return (mChannels == 1 || mChannels == 2) && (mBitsPerSample == 8 || mBitsPerSample == 16) &&
               mSamplesPerSec >= 1 && mSamplesPerSec <= 1000000;
    }
};

// Linear gain of an attenuation in hundredths of a decibel; -10000 and below are exact silence.
double AudioGainOfHundredthsDb(int hundredthsDb);

} // namespace Olvarn
