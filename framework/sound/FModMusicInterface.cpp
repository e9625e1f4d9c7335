// The FMOD music back end over our music engine.
#include "sound/FModMusicInterface.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/AtomicFile.h"
#include "platform/AudioFiles.h"
#include "platform/Directories.h"
#include "platform/Log.h"
#include "platform/MusicEngine.h"
#include "platform/Paths.h"
#include "sound/FmodLibrary.h"
#include "sound/SoundFileReader.h"

namespace Olvarn
{

namespace
{

bool IsCacheableName(const std::string& name)
{
    if (name.empty() || name[0] == '\\' || name[0] == '/' || (name.size() > 1 && name[1] == ':'))
        return false;
    return ("/" + Paths::ToNative(name) + "/").find("/../") == std::string::npos;
}

bool ReadBytes(const std::string& path, std::string& bytes)
{
    // A decoded song of ten minutes is some 100 MB; twice that leaves room without trusting any size.
    constexpr size_t kMaxMusicFileBytes = 256u << 20;
    return ReadWholeFile(path, bytes, kMaxMusicFileBytes);
}

} // namespace

FModMusicInterface::FModMusicInterface(Window* window) : mLibrary(FmodLibrary::TakeUse()) {}

FModMusicInterface::~FModMusicInterface()
{
    if (mLibrary) {
        MusicEngine& engine = mLibrary->Engine();
        for (auto& entry : mMusicMap) {
            engine.Stop(entry.second.mFirstHandle ? entry.second.mFirstHandle : entry.second.mSecondHandle);
            engine.Free(entry.second.mFirstHandle ? entry.second.mFirstHandle : entry.second.mSecondHandle);
        }
        FmodLibrary::GiveBackUse();
    }
}

MusicInfo* FModMusicInterface::Find(int id)
{
    if (!mLibrary)
        return nullptr;
    auto it = mMusicMap.find(id);
    return it == mMusicMap.end() ? nullptr : &it->second;
}

const MusicInfo* FModMusicInterface::FindSong(int id) const
{
    auto it = mMusicMap.find(id);
    return it == mMusicMap.end() ? nullptr : &it->second;
}

std::string FModMusicInterface::SampleCachePath(const std::string& name)
{
    if (!IsCacheableName(name))
        return std::string();
    size_t cut = name.find_last_of("\\/");
    std::string dir = cut == std::string::npos ? std::string() : name.substr(0, cut + 1);
    std::string file = cut == std::string::npos ? name : name.substr(cut + 1);
    return Paths::ProductCacheFolder() + "/" + Paths::ToNative(dir + "cached_" + file + ".wav");
}

uint32_t FModMusicInterface::LoadSampleOfName(const std::string& name)
{
    DecodedSound sound;
    std::string bytes;
    const std::string cachePath = SampleCachePath(name);
    bool cached = !cachePath.empty() && ReadBytes(cachePath, bytes) &&
                  ReadWavSound(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), nullptr, sound);
    if (!cached) {
        if (!ReadBytes(Paths::Resolve(name + ".ogg"), bytes) ||
            !ReadOggSound(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), sound))
            return 0;
        if (!cachePath.empty()) {
            Paths::MakeFolders(cachePath.substr(0, cachePath.find_last_of('/')));
            if (!WriteFileAtomically(cachePath, MakeCacheWav(sound, std::string(), 0)))
                LogWrite(LogLevel::Warning, "sound: cannot write the cache file %s", cachePath.c_str());
        }
    }
    MusicEngine& engine = mLibrary->Engine();
    uint32_t sample = engine.CreateSample(sound.mFormat, sound.mData.size());
    size_t size = 0;
    if (uint8_t* data = engine.LockSample(sample, size))
        std::memcpy(data, sound.mData.data(), std::min(size, sound.mData.size()));
    return sample;
}

void FModMusicInterface::Register(int id, const MusicInfo& info)
{
    auto it = mMusicMap.find(id);
    if (it != mMusicMap.end()) {
        // A sample registered again replaces the old one, which would otherwise never be freed.
        StopChannel(it->second);
        mLibrary->Engine().Free(it->second.mFirstHandle ? it->second.mFirstHandle : it->second.mSecondHandle);
        mMusicMap.erase(it);
    }
    mMusicMap.emplace(id, info);
}

bool FModMusicInterface::LoadMusic(int id, const std::string& fileName)
{
    if (!mLibrary)
        return false;
    uint32_t module = mLibrary->Engine().OpenModule(Paths::Resolve(fileName));
    if (module == 0)
        return false;
    MusicInfo info;
    info.mSecondHandle = module;
    if (!mMusicMap.emplace(id, info).second)
        mLibrary->Engine().Free(module);
    return true;
}

bool FModMusicInterface::LoadSample(int id, const std::string& name, bool loop)
{
    if (!mLibrary)
        return false;
    uint32_t sample = LoadSampleOfName(name);
    if (sample == 0)
        return false;
    MusicInfo info;
    info.mFirstHandle = sample;
    info.mLoop = loop;
    Register(id, info);
    return true;
}

bool FModMusicInterface::JoinSounds(int id, const std::string& firstName, const std::string& secondName, bool loop)
{
    if (!mLibrary)
        return false;
    MusicEngine& engine = mLibrary->Engine();
    uint32_t first = LoadSampleOfName(firstName);
    uint32_t second = LoadSampleOfName(secondName);
    PcmFormat firstFormat, secondFormat;
    uint32_t firstFrames = 0, secondFrames = 0;
    bool ok = first && second && engine.GetSampleFormat(first, firstFormat, firstFrames) &&
              engine.GetSampleFormat(second, secondFormat, secondFrames) &&
              firstFormat.mSamplesPerSec == secondFormat.mSamplesPerSec &&
              firstFormat.mChannels == secondFormat.mChannels &&
              firstFormat.mBitsPerSample == secondFormat.mBitsPerSample;
    uint32_t joined = 0;
    if (ok) {
        size_t firstBytes = 0, secondBytes = 0, joinedBytes = 0;
        const uint8_t* a = engine.LockSample(first, firstBytes);
        const uint8_t* b = engine.LockSample(second, secondBytes);
        joined = engine.CreateSample(firstFormat, firstBytes + secondBytes);
        if (uint8_t* out = engine.LockSample(joined, joinedBytes)) {
            std::memcpy(out, a, firstBytes);
            std::memcpy(out + firstBytes, b, secondBytes);
            // The second sound is the part that repeats.
            engine.SetSampleLoopPoints(joined, firstFrames, firstFrames + secondFrames);
        }
    }
    engine.Free(first);
    engine.Free(second);
    if (joined == 0)
        return false;
    MusicInfo info;
    info.mFirstHandle = joined;
    info.mLoop = loop;
    Register(id, info);
    return true;
}

void FModMusicInterface::ApplyVolume(const MusicInfo& info)
{
    int scale = info.mSecondHandle ? mModuleVolumeScale : mSampleVolumeScale;
    // Song volumes are not limited; a huge or NaN one must not overflow the conversion to int.
    double product = scale * mGlobalVolume * info.mVolume;
    int level = std::isfinite(product) ? static_cast<int>(std::clamp(product, -1e6, 1e6)) : 0;
    mLibrary->Engine().SetVolume(info.mSecondHandle ? info.mSecondHandle : info.mFirstHandle, level);
}

void FModMusicInterface::StartModule(const MusicInfo& info, bool noLoop)
{
    mLibrary->Engine().SetLooping(info.mSecondHandle, !noLoop);
    mLibrary->Engine().Play(info.mSecondHandle, true);
}

void FModMusicInterface::StartSample(const MusicInfo& info)
{
    mLibrary->Engine().SetLooping(info.mFirstHandle, info.mLoop);
    mLibrary->Engine().Play(info.mFirstHandle, true);
}

void FModMusicInterface::StopChannel(const MusicInfo& info)
{
    mLibrary->Engine().Stop(info.mSecondHandle ? info.mSecondHandle : info.mFirstHandle);
}

void FModMusicInterface::Play(int id, int offset, bool noLoop)
{
    MusicInfo* info = Find(id);
    if (!info)
        return;
    info->mVolume = info->mMaxVolume;
    info->mFadeStep = 0.0;
    if (info->mSecondHandle) {
        ApplyVolume(*info);
        StartModule(*info, noLoop);
        mLibrary->Engine().SetOrder(info->mSecondHandle, offset);
    } else {
        StartSample(*info);
        ApplyVolume(*info);
    }
}

void FModMusicInterface::Stop(int id)
{
    MusicInfo* info = Find(id);
    if (!info)
        return;
    info->mVolume = 0.0;
    StopChannel(*info);
}

void FModMusicInterface::StopAll()
{
    for (auto& entry : mMusicMap)
        Stop(entry.first);
}

void FModMusicInterface::Pause(int id)
{
    if (MusicInfo* info = Find(id))
        mLibrary->Engine().Pause(info->mSecondHandle ? info->mSecondHandle : info->mFirstHandle);
}

void FModMusicInterface::Resume(int id)
{
    if (MusicInfo* info = Find(id))
        mLibrary->Engine().Resume(info->mSecondHandle ? info->mSecondHandle : info->mFirstHandle);
}

void FModMusicInterface::FadeIn(int id, int offset, double speed, bool noLoop)
{
    MusicInfo* info = Find(id);
    if (!info)
        return;
    info->mFadeStep = speed;
    MusicEngine& engine = mLibrary->Engine();
    if (info->mSecondHandle) {
        ApplyVolume(*info);
        engine.SetLooping(info->mSecondHandle, !noLoop);
        if (engine.GetState(info->mSecondHandle) != MusicEngine::State::Playing)
            engine.Play(info->mSecondHandle, true);
        if (offset != -1)
            engine.SetOrder(info->mSecondHandle, offset);
    } else {
        if (engine.GetState(info->mFirstHandle) != MusicEngine::State::Playing)
            StartSample(*info);
        ApplyVolume(*info);
    }
}

void FModMusicInterface::FadeOut(int id, bool stopWhenSilent, double speed)
{
    MusicInfo* info = Find(id);
    if (!info)
        return;
    info->mStopWhenSilent = stopWhenSilent;
    info->mFadeStep = -speed;
}

void FModMusicInterface::FadeOutAll(bool stopWhenSilent, double speed)
{
    for (auto& entry : mMusicMap)
        FadeOut(entry.first, stopWhenSilent, speed);
}

void FModMusicInterface::SetSongVolume(int id, double volume)
{
    MusicInfo* info = Find(id);
    if (!info)
        return;
    info->mVolume = volume;
    ApplyVolume(*info);
}

bool FModMusicInterface::IsPlaying(int id)
{
    MusicInfo* info = Find(id);
    if (!info)
        return false;
    // Sample songs answer for their own channel too, not only modules.
    uint32_t channel = info->mSecondHandle ? info->mSecondHandle : info->mFirstHandle;
    return mLibrary->Engine().GetState(channel) == MusicEngine::State::Playing;
}

void FModMusicInterface::SetVolume(double volume)
{
    mGlobalVolume = ClampMusicVolume(volume);
    if (!mLibrary)
        return;
    for (auto& entry : mMusicMap)
        ApplyVolume(entry.second);
}

void FModMusicInterface::Update()
{
    for (auto& entry : mMusicMap) {
        MusicInfo& info = entry.second;
        if (info.mFadeStep == 0.0)
            continue;
        if (StepFade(info))
            StopChannel(info);
        ApplyVolume(info);
    }
}

} // namespace Olvarn
