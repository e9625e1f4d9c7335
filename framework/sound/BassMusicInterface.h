// Music over the built-in BASS stand-in: Ogg, WAV and MP3 files as streams, anything else as a
// tracker module, with fades driven by the application's updates.
#pragma once

#include <map>
#include <string>

#include "sound/MusicInfo.h"
#include "sound/MusicInterface.h"

namespace Olvarn
{

class BassLibrary;
class Window;

class BassMusicInterface : public MusicInterface
{
public:
    // Without an audio device the interface stays silent (LoadMusic fails).
    explicit BassMusicInterface(Window* window);
    ~BassMusicInterface() override;
    BassMusicInterface(const BassMusicInterface&) = delete;
    BassMusicInterface& operator=(const BassMusicInterface&) = delete;

    bool LoadMusic(int id, const std::string& fileName) override;
    void Play(int id, int offset, bool noLoop) override;
    void Stop(int id) override;
    void Pause(int id) override;
    void Resume(int id) override;
    void StopAll() override;
    void Unload(int id) override;
    void UnloadAll() override;
    void PauseAll() override;
    void ResumeAll() override;
    void SetFadeSpeed(int id, double step) override;
    void FadeIn(int id, int offset, double speed, bool noLoop) override;
    void FadeOut(int id, bool stopWhenSilent, double speed) override;
    void FadeOutAll(bool stopWhenSilent, double speed) override;
    void SetSongVolume(int id, double volume) override;
    void SetSongMaxVolume(int id, double volume) override;
    bool IsPlaying(int id) override;
    void SetVolume(double volume) override;
    void SetAmplification(int id, double amplification) override;
    void Update() override;

    // The song record of an id, null when not registered.
    const MusicInfo* FindSong(int id) const;
    BassLibrary* GetLibrary() const { return mLibrary; }

private:
    MusicInfo* Find(int id);
    static uint32_t Channel(const MusicInfo& info);
    void ApplyVolume(const MusicInfo& info);
    void StartChannel(MusicInfo& info, int offset, bool noLoop);
    void FreeSong(MusicInfo& info);

    BassLibrary* mLibrary = nullptr;
    std::map<int, MusicInfo> mMusicMap;
    // Used by form 1 of the library only.
    int mGlobalVolumeScale = 40;
};

} // namespace Olvarn
