// The software mixer: sums PCM voices and streaming sources into 16-bit stereo at 44100 Hz.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/AudioFormat.h"

namespace Olvarn
{

// The samples of one sound. Duplicated buffers share one.
struct PcmData {
    PcmFormat mFormat;
    std::vector<uint8_t> mBytes;

    uint32_t Frames() const
    {
        int align = mFormat.BlockAlign();
        return align > 0 ? static_cast<uint32_t>(mBytes.size() / align) : 0;
    }
};

// The playing state of one buffer. The mixer reads and advances it on the audio thread, so every
// change is made under the mixer's mutex.
struct MixerVoice {
    std::shared_ptr<PcmData> mData;
    int mVolume = kAudioVolumeMax; // hundredths of a decibel, -10000..0
    int mPan = 0;                  // hundredths of a decibel, -10000 (left) .. 10000 (right)
    uint32_t mFrequency = 0;       // playback rate in Hz
    bool mPlaying = false;
    bool mLooping = false;
    uint64_t mPosition = 0; // in frames, 32.32 fixed point
    // Looping repeats [mLoopStart, mLoopEnd); a zero end means the end of the data.
    uint32_t mLoopStart = 0;
    uint32_t mLoopEnd = 0;
};

// A producer of ready-made 44100 Hz stereo frames, such as a music stream.
class AudioSource
{
public:
    virtual ~AudioSource() = default;
    // Adds `frames` interleaved stereo frames to `accum`; called with the mixer's mutex held.
    virtual void MixInto(int32_t* accum, int frames) = 0;
};

class Mixer
{
public:
    Mixer() = default;
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    // Registration; the caller keeps the object alive until it is removed.
    void AddVoice(MixerVoice* voice);
    void RemoveVoice(MixerVoice* voice);
    void AddSource(AudioSource* source);
    void RemoveSource(AudioSource* source);

    // Mixes `frames` stereo frames into `out` (2 x frames samples) and advances every voice.
    void Render(int16_t* out, int frames);
    std::vector<int16_t> Render(int frames);

    // Guards every MixerVoice registered here and the source list.
    std::mutex& Mutex() { return mMutex; }
    int VoiceCount();

    // The process-wide output level (the system's wave-out volume), 0..65535.
    static void SetOutputLevel(uint16_t level);
    static uint16_t GetOutputLevel();

private:
    std::mutex mMutex;
    std::vector<MixerVoice*> mVoices;
    std::vector<AudioSource*> mSources;
    std::vector<int32_t> mAccum;
    static std::atomic<uint16_t> sOutputLevel;
};

} // namespace Olvarn
