// The sound-effect interface: sounds loaded whole into ids 0-255 and played through instances.
#pragma once

#include <string>

namespace Olvarn
{

class SoundInstance;
class Window;

class SoundManager
{
public:
    virtual ~SoundManager() = default;

    // A sound device exists.
    virtual bool IsReady() = 0;
    // Loads into the highest free id; -1 when none is free or the load fails.
    virtual int LoadSoundAnyId(const std::string& fileName) = 0;
    // The name comes without extension.
    virtual bool LoadSoundAtId(int id, const std::string& fileName) = 0;
    virtual void ReleaseSound(int id) = 0;
    // Linear, 0..1.
    virtual void SetMasterVolume(double volume) = 0;
    // Base volume (0..1) and pan (hundredths of a decibel) given to later instances of the id.
    virtual bool SetSoundVolume(int id, double volume) = 0;
    virtual bool SetSoundPan(int id, int pan) = 0;
    // A new instance owned by the manager (the caller calls Release when done); null when none.
    virtual SoundInstance* NewInstance(int id) = 0;
    virtual void ReleaseAllSounds() = 0;
    virtual void ReleaseAllInstances() = 0;
    // The system output volume, 0..1.
    virtual double GetMixerVolume() = 0;
    virtual void SetMixerVolume(double volume) = 0;
    // Room for a periodic service; the mixer needs none.
    virtual void Update() = 0;
    virtual void SetWindow(Window* window, bool windowed) = 0;
    virtual void StopAll() = 0;
};

} // namespace Olvarn
