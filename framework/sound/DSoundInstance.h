// One playing copy of a sound effect: a duplicate of the sound's buffer with its own volume, pan
// and pitch, owned by the manager's channel it sits in.
#pragma once

#include <cstdint>
#include <memory>

#include "sound/SoundInstance.h"

namespace Olvarn
{

class DSoundManager;
class SoundBuffer;

class DSoundInstance : public SoundInstance
{
public:
    // `ownBuffer` is a duplicate of `sourceBuffer`; both are null without a device.
    DSoundInstance(DSoundManager* manager, SoundBuffer* sourceBuffer, std::unique_ptr<SoundBuffer> ownBuffer);
    ~DSoundInstance() override;

    void Release() override;
    void SetDefaultVolume(double volume) override;
    void SetDefaultPan(int pan) override;
    void ShiftPitch(double semitones) override;
    void SetVolume(double volume) override;
    void SetPan(int pan) override;
    bool Play(bool looping, bool autoRelease) override;
    void Stop() override;
    bool IsPlaying() override;
    bool IsDone() override;
    double GetVolume() override;

    SoundBuffer* GetBuffer() const { return mOwnBuffer.get(); }
    void ApplyVolume();

private:
    // StopAll stops instances but keeps their auto-release flag.
    friend class DSoundManager;

    DSoundManager* mManager;
    SoundBuffer* mSourceBuffer;
    std::unique_ptr<SoundBuffer> mOwnBuffer;
    bool mAutoRelease = false;
    bool mPlayed = false;
    bool mReleased = false;
    int mBasePan = 0;
    double mBaseVolume = 1.0;
    int mPan = 0;
    double mVolume = 1.0;
    uint32_t mBaseFrequency = 44100;
};

// A linear volume limited to 0..1 (NaN gives 0), so no volume can reach the device above full.
double ClampVolume(double volume);
// A pan limited to -10000..10000.
int ClampPan(long long pan);

} // namespace Olvarn
