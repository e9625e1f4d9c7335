// A sound instance: volume, pan and pitch applied to its own duplicate of the sound's buffer.
#include "sound/DSoundInstance.h"

#include <algorithm>
#include <cmath>

#include "platform/SoundBuffer.h"
#include "sound/DSoundManager.h"

namespace Olvarn
{

double ClampVolume(double volume)
{
    if (!(volume >= 0.0))
        return 0.0;
    return std::min(volume, 1.0);
}

int ClampPan(long long pan)
{
    return static_cast<int>(std::clamp<long long>(pan, -10000, 10000));
}

DSoundInstance::DSoundInstance(DSoundManager* manager, SoundBuffer* sourceBuffer,
                               std::unique_ptr<SoundBuffer> ownBuffer)
    : mManager(manager), mSourceBuffer(sourceBuffer), mOwnBuffer(std::move(ownBuffer))
{
    if (mOwnBuffer)
        mBaseFrequency = mOwnBuffer->GetFrequency();
}

DSoundInstance::~DSoundInstance() = default;

void DSoundInstance::Release()
{
    Stop();
    mReleased = true;
}

void DSoundInstance::SetDefaultVolume(double volume)
{
    mBaseVolume = ClampVolume(volume);
    ApplyVolume();
}

void DSoundInstance::SetVolume(double volume)
{
    mVolume = ClampVolume(volume);
    ApplyVolume();
}

double DSoundInstance::GetVolume()
{
    return mVolume;
}

void DSoundInstance::ApplyVolume()
{
    if (!mOwnBuffer)
        return;
    double v = mManager->GetMasterVolume() * mVolume * mBaseVolume;
    mOwnBuffer->SetVolume(DSoundManager::VolumeToDecibels(v));
}

void DSoundInstance::SetDefaultPan(int pan)
{
    mBasePan = ClampPan(pan);
    if (mOwnBuffer)
        mOwnBuffer->SetPan(ClampPan(static_cast<long long>(mBasePan) + mPan));
}

void DSoundInstance::SetPan(int pan)
{
    mPan = ClampPan(pan);
    if (mOwnBuffer)
        mOwnBuffer->SetPan(ClampPan(static_cast<long long>(mPan) + mBasePan));
}

void DSoundInstance::ShiftPitch(double semitones)
{
    if (!mOwnBuffer || !std::isfinite(semitones))
        return;
    double frequency = std::pow(1.0594630943592953, semitones) * mBaseFrequency;
    frequency = std::clamp(frequency, 100.0, 100000.0);
    mOwnBuffer->SetFrequency(static_cast<uint32_t>(frequency));
}

bool DSoundInstance::Play(bool looping, bool autoRelease)
{
    Stop();
    mPlayed = true;
    mAutoRelease = autoRelease;
    if (!mOwnBuffer)
        return false;
    return mOwnBuffer->Play(looping);
}

void DSoundInstance::Stop()
{
    if (!mOwnBuffer)
        return;
    mOwnBuffer->Stop();
    mOwnBuffer->SetCurrentPosition(0);
    mAutoRelease = false;
}

bool DSoundInstance::IsPlaying()
{
    return mPlayed && mOwnBuffer && mOwnBuffer->IsPlaying();
}

bool DSoundInstance::IsDone()
{
    if (!mReleased && mAutoRelease && mPlayed && !IsPlaying())
        Release();
    return mReleased;
}

} // namespace Olvarn
