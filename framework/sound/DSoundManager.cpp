// The sound-effect manager: ids, channels, volumes, and the file side of loading a sound.
#include "sound/DSoundManager.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/AtomicFile.h"
#include "platform/AudioDevice.h"
#include "platform/AudioFiles.h"
#include "platform/Clock.h"
#include "platform/Directories.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/SoundBuffer.h"
#include "sound/DSoundInstance.h"
#include "sound/FmodLibrary.h"
#include "sound/SoundFileReader.h"

namespace Olvarn
{

namespace
{

constexpr uint32_t kSweepIntervalMs = 1000;

bool IsValidId(int id)
{
    return id >= 0 && id < DSoundManager::kMaxSounds;
}

// Names that may have a cache file: relative, and never climbing out of the cache folder.
bool IsCacheable(const std::string& name)
{
    if (name.size() <= 2 || name[0] == '\\' || name[0] == '/' || name[1] == ':')
        return false;
    std::string native = Paths::ToNative(name);
    return ("/" + native + "/").find("/../") == std::string::npos;
}

// A sound effect, decoded or not, is seconds long; anything larger is no sound of ours.
constexpr size_t kMaxSoundFileBytes = 64u << 20;

std::string CachePath(const std::string& name)
{
    return Paths::ProductCacheFolder() + "/" + Paths::ToNative("cached\\" + name + ".wav");
}

uint64_t DependencyWriteTime(const std::string& name)
{
    return AudioFileWriteTime(Paths::Resolve(name));
}

bool ReadWavFile(const std::string& nativePath, DecodedSound& sound)
{
    std::string bytes;
    if (!ReadWholeFile(nativePath, bytes, kMaxSoundFileBytes))
        return false;
    return ReadWavSound(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), DependencyWriteTime, sound);
}

} // namespace

DSoundManager::DSoundManager(Window* window, bool useFMOD) : mUseFMOD(useFMOD)
{
    if (window)
        mDevice = AudioDevice::Acquire();
    Setup();
}

DSoundManager::DSoundManager(std::shared_ptr<AudioDevice> device, bool useFMOD)
    : mDevice(std::move(device)), mUseFMOD(useFMOD)
{
    Setup();
}

void DSoundManager::Setup()
{
    if (!mDevice)
        return;
    // The mixer's output format is fixed, so there is no primary format to set.
    if (mUseFMOD) {
        mFmod = FmodLibrary::TakeUse();
        if (mFmod)
            mFmod->SetInitialized(true);
    }
}

DSoundManager::~DSoundManager()
{
    ReleaseAllInstances();
    ReleaseAllSounds();
    if (mFmod) {
        mFmod->SetInitialized(false);
        FmodLibrary::GiveBackUse();
    }
}

bool DSoundManager::IsReady()
{
    return mDevice != nullptr;
}

int DSoundManager::LoadSoundAnyId(const std::string& fileName)
{
    for (int id = kMaxSounds - 1; id >= 0; --id) {
        if (!mSounds[id])
            return LoadSoundAtId(id, fileName) ? id : -1;
    }
    return -1;
}

bool DSoundManager::LoadSoundAtId(int id, const std::string& fileName)
{
    if (!IsValidId(id))
        return false;
    ReleaseSound(id);
    if (!mDevice)
        return true;
    return LoadFromFiles(id, fileName);
}

bool DSoundManager::LoadFromFiles(int id, const std::string& fileName)
{
    DecodedSound sound;
    const bool cacheable = IsCacheable(fileName);
    const std::string cachePath = cacheable ? CachePath(fileName) : std::string();
    if (cacheable) {
        if (ReadWavFile(cachePath, sound))
            return StoreSound(id, sound);
        Paths::MakeFolders(cachePath.substr(0, cachePath.find_last_of('/')));
    }
    if (ReadWavFile(Paths::Resolve(fileName + ".wav"), sound))
        return StoreSound(id, sound);

    std::string sourceName;
    if (!DecodeSource(fileName, sound, sourceName) || !StoreSound(id, sound))
        return false;
    if (cacheable) {
        std::string bytes = MakeCacheWav(sound, sourceName, DependencyWriteTime(sourceName));
        if (!WriteFileAtomically(cachePath, bytes))
            LogWrite(LogLevel::Warning, "sound: cannot write the cache file %s", cachePath.c_str());
    }
    return true;
}

bool DSoundManager::DecodeSource(const std::string& fileName, DecodedSound& sound, std::string& sourceName)
{
    std::string bytes;
    if (mFmod) {
        sourceName = fileName + ".mp3";
        if (ReadWholeFile(Paths::Resolve(sourceName), bytes, kMaxSoundFileBytes) &&
            ReadMp3Sound(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), sound))
            return true;
    }
    sourceName = fileName + ".ogg";
    if (ReadWholeFile(Paths::Resolve(sourceName), bytes, kMaxSoundFileBytes) &&
        ReadOggSound(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), sound))
        return true;
    sourceName = fileName + ".au";
    return ReadWholeFile(Paths::Resolve(sourceName), bytes, kMaxSoundFileBytes) &&
           ReadAuSound(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), sound);
}

bool DSoundManager::StoreSound(int id, const DecodedSound& sound)
{
    auto buffer = SoundBuffer::Create(mDevice->GetMixer(), sound.mFormat, sound.mData.size());
    if (!buffer)
        return false;
    std::copy(sound.mData.begin(), sound.mData.begin() + static_cast<long>(buffer->Size()), buffer->Lock());
    mDataSizes[id] = static_cast<int>(buffer->Size());
    mSounds[id] = std::move(buffer);
    return true;
}

void DSoundManager::ReleaseSound(int id)
{
    if (!IsValidId(id))
        return;
    mSounds[id].reset();
    mDataSizes[id] = 0;
}

void DSoundManager::SetMasterVolume(double volume)
{
    mMasterVolume = ClampVolume(volume);
    for (DSoundInstance* instance : mChannels)
        if (instance && instance->GetBuffer())
            instance->ApplyVolume();
}

bool DSoundManager::SetSoundVolume(int id, double volume)
{
    if (!IsValidId(id))
        return false;
    mBaseVolumes[id] = ClampVolume(volume);
    return true;
}

bool DSoundManager::SetSoundPan(int id, int pan)
{
    if (!IsValidId(id))
        return false;
    mBasePans[id] = ClampPan(pan);
    return true;
}

void DSoundManager::SweepDoneInstances()
{
    for (DSoundInstance*& instance : mChannels) {
        if (instance && instance->IsDone()) {
            delete instance;
            instance = nullptr;
        }
    }
}

int DSoundManager::FindFreeChannel()
{
    uint32_t now = SystemClock::Instance().TickCount();
    if (now - mLastSweep > kSweepIntervalMs) {
        SweepDoneInstances();
        mLastSweep = now;
    }
    for (int i = 0; i < kMaxChannels; ++i) {
        if (!mChannels[i])
            return i;
        if (mChannels[i]->IsDone()) {
            delete mChannels[i];
            mChannels[i] = nullptr;
            return i;
        }
    }
    return -1;
}

SoundInstance* DSoundManager::NewInstance(int id)
{
    if (!IsValidId(id))
        return nullptr;
    int channel = FindFreeChannel();
    if (channel < 0)
        return nullptr;
    DSoundInstance* instance;
    if (mDevice) {
        if (!mSounds[id])
            return nullptr;
        std::unique_ptr<SoundBuffer> copy = mSounds[id]->Duplicate();
        if (!copy) {
            LogWrite(LogLevel::Warning, "sound: cannot duplicate the buffer of sound %d", id);
            return nullptr;
        }
        instance = new DSoundInstance(this, mSounds[id].get(), std::move(copy));
    } else {
        instance = new DSoundInstance(this, nullptr, nullptr);
    }
    mChannels[channel] = instance;
    instance->SetDefaultPan(mBasePans[id]);
    instance->SetDefaultVolume(mBaseVolumes[id]);
    return instance;
}

void DSoundManager::ReleaseAllSounds()
{
    for (int id = 0; id < kMaxSounds; ++id)
        ReleaseSound(id);
}

void DSoundManager::ReleaseAllInstances()
{
    for (DSoundInstance*& instance : mChannels) {
        delete instance;
        instance = nullptr;
    }
}

void DSoundManager::StopAll()
{
    for (DSoundInstance* instance : mChannels) {
        if (!instance)
            continue;
        // Stopping clears auto-release; keep it so stopped one-shot sounds are still collected.
        bool autoRelease = instance->mAutoRelease;
        instance->Stop();
        instance->mAutoRelease = autoRelease;
    }
}

double DSoundManager::GetMixerVolume()
{
    return AudioDevice::GetOutputVolume();
}

void DSoundManager::SetMixerVolume(double volume)
{
    AudioDevice::SetOutputVolume(volume);
}

void DSoundManager::SetWindow(Window* window, bool windowed)
{
    // SDL audio is not tied to a window: sound keeps playing whichever window has the focus.
}

SoundBuffer* DSoundManager::GetSoundBuffer(int id) const
{
    return IsValidId(id) ? mSounds[id].get() : nullptr;
}

int DSoundManager::GetDataSize(int id) const
{
    return IsValidId(id) ? mDataSizes[id] : 0;
}

int DSoundManager::VolumeToDecibels(double volume)
{
    double v = ClampVolume(volume);
    int decibels = static_cast<int>((std::log10(9.0 * v + 1.0) - 1.0) * 2333.0);
    return decibels < -2000 ? -10000 : decibels;
}

} // namespace Olvarn
