// The sound buffer stand-in: every change goes through the mixer's mutex, as the mixer plays it.
#include "platform/SoundBuffer.h"

#include <algorithm>

namespace Olvarn
{

std::unique_ptr<SoundBuffer> SoundBuffer::Create(Mixer& mixer, const PcmFormat& format, size_t bytes)
{
    if (!format.IsPlayable())
        return nullptr;
    size_t align = static_cast<size_t>(format.BlockAlign());
    bytes -= bytes % align;
    if (bytes == 0 || bytes > UINT32_MAX)
        return nullptr;
    auto data = std::make_shared<PcmData>();
    data->mFormat = format;
    // Silence: 8-bit samples are unsigned around 128.
    data->mBytes.assign(bytes, format.mBitsPerSample == 8 ? 0x80 : 0);
    return std::unique_ptr<SoundBuffer>(new SoundBuffer(mixer, std::move(data)));
}

SoundBuffer::SoundBuffer(Mixer& mixer, std::shared_ptr<PcmData> data) : mMixer(mixer)
{
    mVoice->mFrequency = static_cast<uint32_t>(data->mFormat.mSamplesPerSec);
    mVoice->mData = std::move(data);
    mMixer.AddVoice(mVoice.get());
}

SoundBuffer::~SoundBuffer()
{
    mMixer.RemoveVoice(mVoice.get());
}

std::unique_ptr<SoundBuffer> SoundBuffer::Duplicate() const
{
    std::unique_ptr<SoundBuffer> copy;
    int volume, pan;
    uint32_t frequency;
    {
        std::lock_guard<std::mutex> lock(mMixer.Mutex());
        volume = mVoice->mVolume;
        pan = mVoice->mPan;
        frequency = mVoice->mFrequency;
    }
    copy.reset(new SoundBuffer(mMixer, mVoice->mData));
    std::lock_guard<std::mutex> lock(mMixer.Mutex());
    copy->mVoice->mVolume = volume;
    copy->mVoice->mPan = pan;
    copy->mVoice->mFrequency = frequency;
    copy->mVoice->mLoopStart = mVoice->mLoopStart;
    copy->mVoice->mLoopEnd = mVoice->mLoopEnd;
    return copy;
}

uint8_t* SoundBuffer::Lock()
{
    return mVoice->mData->mBytes.data();
}

size_t SoundBuffer::Size() const
{
    return mVoice->mData->mBytes.size();
}

const PcmFormat& SoundBuffer::Format() const
{
    return mVoice->mData->mFormat;
}

bool SoundBuffer::Play(bool looping)
{
    std::lock_guard<std::mutex> lock(mMixer.Mutex());
    mVoice->mLooping = looping;
    mVoice->mPlaying = true;
    return true;
}

void SoundBuffer::Stop()
{
    std::lock_guard<std::mutex> lock(mMixer.Mutex());
    mVoice->mPlaying = false;
}

bool SoundBuffer::IsPlaying() const
{
    std::lock_guard<std::mutex> lock(mMixer.Mutex());
    return mVoice->mPlaying;
}

bool SoundBuffer::IsLooping() const
{
    std::lock_guard<std::mutex> lock(mMixer.Mutex());
    return mVoice->mLooping;
}

uint32_t SoundBuffer::GetCurrentPosition() const
{
    std::lock_guard<std::mutex> lock(mMixer.Mutex());
    uint64_t frame = mVoice->mPosition >> 32;
    return static_cast<uint32_t>(frame * mVoice->mData->mFormat.BlockAlign());
}

void SoundBuffer::SetCurrentPosition(uint32_t byteOffset)
{
    std::lock_guard<std::mutex> lock(mMixer.Mutex());
    uint32_t frames = mVoice->mData->Frames();
    uint32_t frame = std::min<uint32_t>(byteOffset / mVoice->mData->mFormat.BlockAlign(), frames);
    mVoice->mPosition = static_cast<uint64_t>(frame) << 32;
}

void SoundBuffer::SetVolume(int hundredthsDb)
{
    std::lock_guard<std::mutex> lock(mMixer.Mutex());
    mVoice->mVolume = std::clamp(hundredthsDb, kAudioVolumeSilent, kAudioVolumeMax);
}

int SoundBuffer::GetVolume() const
{
    std::lock_guard<std::mutex> lock(mMixer.Mutex());
    return mVoice->mVolume;
}

void SoundBuffer::SetPan(int hundredthsDb)
{
    std::lock_guard<std::mutex> lock(mMixer.Mutex());
    mVoice->mPan = std::clamp(hundredthsDb, kAudioPanLeft, kAudioPanRight);
}

int SoundBuffer::GetPan() const
{
    std::lock_guard<std::mutex> lock(mMixer.Mutex());
    return mVoice->mPan;
}

void SoundBuffer::SetFrequency(uint32_t hz)
{
    std::lock_guard<std::mutex> lock(mMixer.Mutex());
    if (hz == 0)
        hz = static_cast<uint32_t>(mVoice->mData->mFormat.mSamplesPerSec);
    mVoice->mFrequency = std::clamp(hz, kAudioFrequencyMin, kAudioFrequencyMax);
}

uint32_t SoundBuffer::GetFrequency() const
{
    std::lock_guard<std::mutex> lock(mMixer.Mutex());
    return mVoice->mFrequency;
}

void SoundBuffer::SetLoopPoints(uint32_t startFrame, uint32_t endFrame)
{
    std::lock_guard<std::mutex> lock(mMixer.Mutex());
    mVoice->mLoopStart = startFrame;
    mVoice->mLoopEnd = endFrame;
}

} // namespace Olvarn
