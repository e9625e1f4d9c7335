// One playable copy of a sound in the mixer: volume and pan in hundredths of a decibel, frequency,
// looping, status, position, and duplicates that share the samples.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/AudioFormat.h"
#include "platform/Mixer.h"

namespace Olvarn
{

class SoundBuffer
{
public:
    // A silent buffer of `bytes` bytes (rounded down to whole frames) in the format; null when the
    // format cannot be played or the size is 0.
    static std::unique_ptr<SoundBuffer> Create(Mixer& mixer, const PcmFormat& format, size_t bytes);
    ~SoundBuffer();
    SoundBuffer(const SoundBuffer&) = delete;
    SoundBuffer& operator=(const SoundBuffer&) = delete;

    // A new buffer over the same samples, stopped at position 0, with this one's volume, pan and
    // frequency.
    std::unique_ptr<SoundBuffer> Duplicate() const;

    // Write access to the samples. Only for a buffer whose samples no duplicate plays yet.
    uint8_t* Lock();
    size_t Size() const;
    const PcmFormat& Format() const;

    bool Play(bool looping);
    void Stop();
    bool IsPlaying() const;
    bool IsLooping() const;

    // Byte offset of the play position inside the samples.
    uint32_t GetCurrentPosition() const;
    void SetCurrentPosition(uint32_t byteOffset);

    // -10000 (silent) .. 0 (full); values outside are clamped.
    void SetVolume(int hundredthsDb);
    int GetVolume() const;
    // -10000 (left only) .. 10000 (right only); values outside are clamped.
    void SetPan(int hundredthsDb);
    int GetPan() const;
    // Hz, clamped to 100 .. 200000; 0 restores the sound's own rate.
    void SetFrequency(uint32_t hz);
    uint32_t GetFrequency() const;
    // Frames repeated when looping: [start, end); an end of 0 means the end of the samples.
    void SetLoopPoints(uint32_t startFrame, uint32_t endFrame);

private:
    SoundBuffer(Mixer& mixer, std::shared_ptr<PcmData> data);

    Mixer& mMixer;
    std::unique_ptr<MixerVoice> mVoice = std::make_unique<MixerVoice>();
};

} // namespace Olvarn
