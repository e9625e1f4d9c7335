// Mixing of voices: linear interpolation at any rate, 32-bit sums, saturation to 16 bits.
#include "platform/Mixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Olvarn
{

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "16-bit PCM is read in host order");

std::atomic<uint16_t> Mixer::sOutputLevel{65535};

double AudioGainOfHundredthsDb(int hundredthsDb)
{
    if (hundredthsDb <= kAudioVolumeSilent)
        return 0.0;
    if (hundredthsDb >= 0)
        return 1.0;
    return std::pow(10.0, hundredthsDb / 2000.0);
}

namespace
{

constexpr int kGainOne = 1 << 16;

int32_t GainToFixed(double gain)
{
    return static_cast<int32_t>(std::lround(std::clamp(gain, 0.0, 1.0) * kGainOne));
}

// Left and right gains of a voice; the pan attenuates the side opposite to it.
void VoiceGains(const MixerVoice& voice, int32_t& left, int32_t& right)
{
    double gain = AudioGainOfHundredthsDb(voice.mVolume);
    double l = gain;
    double r = gain;
    if (voice.mPan > 0)
        l *= AudioGainOfHundredthsDb(-voice.mPan);
    else if (voice.mPan < 0)
        r *= AudioGainOfHundredthsDb(voice.mPan);
    left = GainToFixed(l);
    right = GainToFixed(r);
}

template <int Bits> inline int32_t SampleAt(const uint8_t* data, uint32_t index)
{
    if constexpr (Bits == 8) {
        return (static_cast<int32_t>(data[index]) - 128) * 256;
    } else {
        int16_t s;
        std::memcpy(&s, data + 2 * static_cast<size_t>(index), 2);
        return s;
    }
}

inline int32_t Lerp(int32_t a, int32_t b, int32_t frac15)
{
    return a + (((b - a) * frac15) >> 15);
}

// Frames whose successor lies inside the data: no bounds checks in this loop.
template <int Ch, int Bits>
void MixRun(const uint8_t* data, uint64_t& pos, uint64_t step, int32_t gl, int32_t gr, int32_t* acc, int n)
{
    for (int i = 0; i < n; ++i) {
        uint32_t idx = static_cast<uint32_t>(pos >> 32);
        int32_t frac = static_cast<int32_t>((pos >> 17) & 0x7FFF);
        if constexpr (Ch == 1) {
            int32_t s = Lerp(SampleAt<Bits>(data, idx), SampleAt<Bits>(data, idx + 1), frac);
            acc[0] += (s * gl) >> 16;
            acc[1] += (s * gr) >> 16;
        } else {
            uint32_t at = idx * 2;
            int32_t l = Lerp(SampleAt<Bits>(data, at), SampleAt<Bits>(data, at + 2), frac);
            int32_t r = Lerp(SampleAt<Bits>(data, at + 1), SampleAt<Bits>(data, at + 3), frac);
            acc[0] += (l * gl) >> 16;
            acc[1] += (r * gr) >> 16;
        }
        acc += 2;
        pos += step;
    }
}

// The last frame of the data, interpolated towards `next` (the loop start, or itself).
template <int Ch, int Bits>
void MixEdge(const uint8_t* data, uint64_t pos, uint32_t next, int32_t gl, int32_t gr, int32_t* acc)
{
    uint32_t idx = static_cast<uint32_t>(pos >> 32);
    int32_t frac = static_cast<int32_t>((pos >> 17) & 0x7FFF);
    if constexpr (Ch == 1) {
        int32_t s = Lerp(SampleAt<Bits>(data, idx), SampleAt<Bits>(data, next), frac);
        acc[0] += (s * gl) >> 16;
        acc[1] += (s * gr) >> 16;
    } else {
        int32_t l = Lerp(SampleAt<Bits>(data, idx * 2), SampleAt<Bits>(data, next * 2), frac);
        int32_t r = Lerp(SampleAt<Bits>(data, idx * 2 + 1), SampleAt<Bits>(data, next * 2 + 1), frac);
        acc[0] += (l * gl) >> 16;
        acc[1] += (r * gr) >> 16;
    }
}

using RunFn = void (*)(const uint8_t*, uint64_t&, uint64_t, int32_t, int32_t, int32_t*, int);
using EdgeFn = void (*)(const uint8_t*, uint64_t, uint32_t, int32_t, int32_t, int32_t*);

struct Kernels {
    RunFn mRun;
    EdgeFn mEdge;
};

Kernels KernelsFor(const PcmFormat& format)
{
    bool stereo = format.mChannels == 2;
    if (format.mBitsPerSample == 8)
        return stereo ? Kernels{MixRun<2, 8>, MixEdge<2, 8>} : Kernels{MixRun<1, 8>, MixEdge<1, 8>};
    return stereo ? Kernels{MixRun<2, 16>, MixEdge<2, 16>} : Kernels{MixRun<1, 16>, MixEdge<1, 16>};
}

uint64_t StepOf(const MixerVoice& voice)
{
    uint64_t rate = voice.mFrequency ? voice.mFrequency : voice.mData->mFormat.mSamplesPerSec;
    return (rate << 32) / kAudioOutputRate;
}

// Moves a position that ran past the end back into the loop, or stops the voice. False when stopped.
bool WrapOrStop(MixerVoice& voice, uint32_t loopStart, uint32_t end)
{
    uint64_t endPos = static_cast<uint64_t>(end) << 32;
    if (voice.mPosition < endPos)
        return true;
    if (!voice.mLooping) {
        voice.mPlaying = false;
        voice.mPosition = 0;
        return false;
    }
    uint64_t length = static_cast<uint64_t>(end - loopStart) << 32;
    voice.mPosition = (static_cast<uint64_t>(loopStart) << 32) + (voice.mPosition - endPos) % length;
    return true;
}

// Adds one voice's next `frames` frames to `accum` and advances it; a voice that does not loop
// stops at the end of its data.
void MixVoiceInto(MixerVoice& voice, int32_t* accum, int frames)
{
    if (!voice.mPlaying || !voice.mData)
        return;
    const PcmData& pcm = *voice.mData;
    uint32_t total = pcm.Frames();
    uint32_t end = total;
    uint32_t loopStart = 0;
    if (voice.mLooping && voice.mLoopEnd > 0 && voice.mLoopEnd <= total)
        end = voice.mLoopEnd;
    if (voice.mLooping && voice.mLoopStart < end)
        loopStart = voice.mLoopStart;
    if (end == 0 || !pcm.mFormat.IsPlayable()) {
        voice.mPlaying = false;
        return;
    }
    int32_t gl;
    int32_t gr;
    VoiceGains(voice, gl, gr);
    const uint64_t step = std::max<uint64_t>(StepOf(voice), 1);
    const Kernels kernels = KernelsFor(pcm.mFormat);
    const uint8_t* data = pcm.mBytes.data();
    const uint64_t safeEnd = static_cast<uint64_t>(end - 1) << 32;

    int done = 0;
    while (done < frames && WrapOrStop(voice, loopStart, end)) {
        if (voice.mPosition < safeEnd) {
            uint64_t fit = (safeEnd - voice.mPosition + step - 1) / step;
            int n = static_cast<int>(std::min<uint64_t>(fit, static_cast<uint64_t>(frames - done)));
            kernels.mRun(data, voice.mPosition, step, gl, gr, accum + 2 * done, n);
            done += n;
        } else {
            uint32_t next = voice.mLooping ? loopStart : end - 1;
            kernels.mEdge(data, voice.mPosition, next, gl, gr, accum + 2 * done);
            voice.mPosition += step;
            ++done;
        }
    }
}

} // namespace

void Mixer::AddVoice(MixerVoice* voice)
{
    std::lock_guard<std::mutex> lock(mMutex);
    mVoices.push_back(voice);
}

void Mixer::RemoveVoice(MixerVoice* voice)
{
    std::lock_guard<std::mutex> lock(mMutex);
    mVoices.erase(std::remove(mVoices.begin(), mVoices.end(), voice), mVoices.end());
}

void Mixer::AddSource(AudioSource* source)
{
    std::lock_guard<std::mutex> lock(mMutex);
    mSources.push_back(source);
}

void Mixer::RemoveSource(AudioSource* source)
{
    std::lock_guard<std::mutex> lock(mMutex);
    mSources.erase(std::remove(mSources.begin(), mSources.end(), source), mSources.end());
}

int Mixer::VoiceCount()
{
    std::lock_guard<std::mutex> lock(mMutex);
    return static_cast<int>(mVoices.size());
}

void Mixer::Render(int16_t* out, int frames)
{
    if (frames <= 0)
        return;
    std::lock_guard<std::mutex> lock(mMutex);
    mAccum.assign(static_cast<size_t>(frames) * 2, 0);
    for (MixerVoice* voice : mVoices)
        MixVoiceInto(*voice, mAccum.data(), frames);
    for (AudioSource* source : mSources)
        source->MixInto(mAccum.data(), frames);

    // 65535 passes the sum unchanged; lower levels scale it down before saturation.
    const int64_t level = sOutputLevel.load(std::memory_order_relaxed);
    for (size_t i = 0; i < mAccum.size(); ++i) {
        int64_t s = mAccum[i];
        if (level != 65535)
            s = s * level / 65535;
        out[i] = static_cast<int16_t>(std::clamp<int64_t>(s, INT16_MIN, INT16_MAX));
    }
}

std::vector<int16_t> Mixer::Render(int frames)
{
    std::vector<int16_t> out(static_cast<size_t>(std::max(frames, 0)) * 2);
    Render(out.data(), frames);
    return out;
}

void Mixer::SetOutputLevel(uint16_t level)
{
    sOutputLevel.store(level);
}

uint16_t Mixer::GetOutputLevel()
{
    return sOutputLevel.load();
}

} // namespace Olvarn
