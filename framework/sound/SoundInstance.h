// One playing copy of a sound effect, with its own volume, pan and pitch.
#pragma once

namespace Olvarn
{

class SoundInstance
{
public:
    virtual ~SoundInstance() = default;

    // The caller is done with the instance; the manager deletes it later.
    virtual void Release() = 0;
    virtual void SetDefaultVolume(double volume) = 0;
    virtual void SetDefaultPan(int pan) = 0;
    // In semitones, relative to the sound's own rate.
    virtual void ShiftPitch(double semitones) = 0;
    virtual void SetVolume(double volume) = 0;
    virtual void SetPan(int pan) = 0;
    virtual bool Play(bool looping, bool autoRelease) = 0;
    virtual void Stop() = 0;
    virtual bool IsPlaying() = 0;
    virtual bool IsDone() = 0;
    virtual double GetVolume() = 0;
};

} // namespace Olvarn
