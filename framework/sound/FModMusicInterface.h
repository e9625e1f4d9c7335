// Music over the built-in FMOD stand-in: tracker modules as songs, and whole decoded samples
// (optionally an intro joined to a loop) kept in a WAV cache beside the decoded-sound cache.
#pragma once

#include <map>
#include <string>

#include "sound/MusicInfo.h"
#include "sound/MusicInterface.h"

namespace Olvarn
{

class FmodLibrary;
class Window;

class FModMusicInterface : public MusicInterface
{
public:
    // Without an audio device the interface stays silent (loads fail).
    explicit FModMusicInterface(Window* window);
    ~FModMusicInterface() override;
    FModMusicInterface(const FModMusicInterface&) = delete;
    FModMusicInterface& operator=(const FModMusicInterface&) = delete;

    bool LoadMusic(int id, const std::string& fileName) override;
    void Play(int id, int offset, bool noLoop) override;
    void Stop(int id) override;
    void Pause(int id) override;
    void Resume(int id) override;
    void StopAll() override;
    void FadeIn(int id, int offset, double speed, bool noLoop) override;
    void FadeOut(int id, bool stopWhenSilent, double speed) override;
    void FadeOutAll(bool stopWhenSilent, double speed) override;
    void SetSongVolume(int id, double volume) override;
    bool IsPlaying(int id) override;
    void SetVolume(double volume) override;
    void Update() override;

    // Plays `second` after `first` and then repeats `second` when `loop` is set. Names come without
    // extension. Both sounds must have the same rate and format.
    virtual bool JoinSounds(int id, const std::string& firstName, const std::string& secondName, bool loop);
    // A whole decoded sound (name without extension) as a song.
    virtual bool LoadSample(int id, const std::string& name, bool loop);

    const MusicInfo* FindSong(int id) const;
    FmodLibrary* GetLibrary() const { return mLibrary; }
    // Where the decoded sample of a name is cached; empty for names that are never cached.
    static std::string SampleCachePath(const std::string& name);

private:
    MusicInfo* Find(int id);
    uint32_t LoadSampleOfName(const std::string& name);
    void Register(int id, const MusicInfo& info);
    void ApplyVolume(const MusicInfo& info);
    void StartModule(const MusicInfo& info, bool noLoop);
    void StartSample(const MusicInfo& info);
    void StopChannel(const MusicInfo& info);

    FmodLibrary* mLibrary = nullptr;
    std::map<int, MusicInfo> mMusicMap;
    double mGlobalVolume = 1.0;
    int mModuleVolumeScale = 100;
    int mSampleVolumeScale = 100;
};

} // namespace Olvarn
