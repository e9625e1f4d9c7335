// Music played by integer song id. This base class is the silent interface used when sound is
// off: LoadMusic and IsPlaying answer false and everything else does nothing.
#pragma once

#include <string>

namespace Olvarn
{

class MusicInterface
{
public:
    virtual ~MusicInterface() = default;

    virtual bool LoadMusic(int id, const std::string& fileName) { return false; }
    // `offset` is the module order to start at, -1 to continue; `noLoop` plays the song once.
    virtual void Play(int id, int offset, bool noLoop) {}
    virtual void Stop(int id) {}
    virtual void Pause(int id) {}
    virtual void Resume(int id) {}
    virtual void StopAll() {}
    virtual void Unload(int id) {}
    virtual void UnloadAll() {}
    virtual void PauseAll() {}
    virtual void ResumeAll() {}
    virtual void SetFadeSpeed(int id, double step) {}
    virtual void FadeIn(int id, int offset, double speed, bool noLoop) {}
    virtual void FadeOut(int id, bool stopWhenSilent, double speed) {}
    virtual void FadeOutAll(bool stopWhenSilent, double speed) {}
    virtual void SetSongVolume(int id, double volume) {}
    virtual void SetSongMaxVolume(int id, double volume) {}
    virtual bool IsPlaying(int id) { return false; }
    // The global music volume, 0..1.
    virtual void SetVolume(double volume) {}
    virtual void SetAmplification(int id, double amplification) {}
    // Advances fades; called once per application update.
    virtual void Update() {}
};

} // namespace Olvarn
