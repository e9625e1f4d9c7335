// Sound effects over the platform mixer: 256 sound ids, 32 channels of playing instances, base
// volumes and pans, a master volume, and the loading of sound files through the decoded-sound cache.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "sound/SoundManager.h"

namespace Olvarn
{

class AudioDevice;
class DSoundInstance;
class FmodLibrary;
class SoundBuffer;
struct DecodedSound;

class DSoundManager : public SoundManager
{
public:
    static constexpr int kMaxSounds = 256;
    static constexpr int kMaxChannels = 32;

    // With a window the process's audio device is opened; without one, or when no device opens,
    // the manager works silently (loads succeed without loading, instances have no buffer).
    DSoundManager(Window* window, bool useFMOD);
    // No window: the silent manager (a plain nullptr would otherwise match both constructors).
    DSoundManager(std::nullptr_t, bool useFMOD) : DSoundManager(static_cast<Window*>(nullptr), useFMOD) {}
    // On a given device (null: silent), for tests and tools.
    DSoundManager(std::shared_ptr<AudioDevice> device, bool useFMOD);
    ~DSoundManager() override;
    DSoundManager(const DSoundManager&) = delete;
    DSoundManager& operator=(const DSoundManager&) = delete;

    bool IsReady() override;
    int LoadSoundAnyId(const std::string& fileName) override;
    bool LoadSoundAtId(int id, const std::string& fileName) override;
    void ReleaseSound(int id) override;
    void SetMasterVolume(double volume) override;
    bool SetSoundVolume(int id, double volume) override;
    bool SetSoundPan(int id, int pan) override;
    SoundInstance* NewInstance(int id) override;
    void ReleaseAllSounds() override;
    void ReleaseAllInstances() override;
    double GetMixerVolume() override;
    void SetMixerVolume(double volume) override;
    void Update() override {}
    void SetWindow(Window* window, bool windowed) override;
    void StopAll() override;

    // The buffer of an id (null when free) and its byte size, for the loader and tests.
    SoundBuffer* GetSoundBuffer(int id) const;
    int GetDataSize(int id) const;
    double GetMasterVolume() const { return mMasterVolume; }
    // The attenuation in hundredths of a decibel for a linear volume: 0 at 1, -10000 when silent.
    static int VolumeToDecibels(double volume);

private:
    friend class DSoundInstance;

    void Setup();
    void SweepDoneInstances();
    int FindFreeChannel();
    bool LoadFromFiles(int id, const std::string& fileName);
    bool DecodeSource(const std::string& fileName, DecodedSound& sound, std::string& sourceName);
    bool StoreSound(int id, const DecodedSound& sound);

    std::array<std::unique_ptr<SoundBuffer>, kMaxSounds> mSounds;
    std::array<int, kMaxSounds> mDataSizes{};
    std::array<double, kMaxSounds> mBaseVolumes = FilledVolumes();
    std::array<int, kMaxSounds> mBasePans{};
    std::array<DSoundInstance*, kMaxChannels> mChannels{};
    double mMasterVolume = 1.0;
    uint32_t mLastSweep = 0;
    std::shared_ptr<AudioDevice> mDevice;
    bool mUseFMOD = false;
    FmodLibrary* mFmod = nullptr;

    static constexpr std::array<double, kMaxSounds> FilledVolumes()
    {
        std::array<double, kMaxSounds> volumes{};
        for (double& v : volumes)
            v = 1.0;
        return volumes;
    }
};

} // namespace Olvarn
