// The BASS music back end over our music engine.
#include "sound/BassMusicInterface.h"

#include <algorithm>
#include <cctype>

#include "platform/MusicEngine.h"
#include "platform/Paths.h"
#include "sound/BassLibrary.h"

namespace Olvarn
{

namespace
{
std::string LowerExtension(const std::string& fileName)
{
    size_t dot = fileName.find_last_of('.');
    std::string ext = dot == std::string::npos ? std::string() : fileName.substr(dot + 1);
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}
} // namespace

BassMusicInterface::BassMusicInterface(Window* window) : mLibrary(BassLibrary::TakeUse()) {}

BassMusicInterface::~BassMusicInterface()
{
    // The library may outlive us for other users, so our channels go now.
    if (mLibrary) {
        for (auto& entry : mMusicMap)
            FreeSong(entry.second);
        BassLibrary::GiveBackUse();
    }
}

MusicInfo* BassMusicInterface::Find(int id)
{
    if (!mLibrary)
        return nullptr;
    auto it = mMusicMap.find(id);
    return it == mMusicMap.end() ? nullptr : &it->second;
}

const MusicInfo* BassMusicInterface::FindSong(int id) const
{
    auto it = mMusicMap.find(id);
    return it == mMusicMap.end() ? nullptr : &it->second;
}

uint32_t BassMusicInterface::Channel(const MusicInfo& info)
{
    return info.mFirstHandle != 0 ? info.mFirstHandle : info.mSecondHandle;
}

void BassMusicInterface::ApplyVolume(const MusicInfo& info)
{
    mLibrary->Engine().SetVolume(Channel(info), VolumePercent(info.mVolume));
}

bool BassMusicInterface::LoadMusic(int id, const std::string& fileName)
{
    if (!mLibrary)
        return false;
    MusicEngine& engine = mLibrary->Engine();
    std::string path = Paths::Resolve(fileName);
    std::string ext = LowerExtension(fileName);
    MusicInfo info;
    if (ext == "wav" || ext == "ogg" || ext == "mp3") {
        info.mSecondHandle = engine.OpenStream(path);
    } else {
        info.mFirstHandle = engine.OpenModule(path);
        engine.SetLooping(info.mFirstHandle, true);
    }
    if (Channel(info) == 0)
        return false;
    if (!mMusicMap.emplace(id, info).second)
        engine.Free(Channel(info)); // the id keeps its first song; this one would only leak
    return true;
}

void BassMusicInterface::StartChannel(MusicInfo& info, int offset, bool noLoop)
{
    MusicEngine& engine = mLibrary->Engine();
    uint32_t channel = Channel(info);
    engine.SetLooping(channel, !noLoop);
    if (info.mFirstHandle != 0) {
        // A module starts at the order given, or continues where it was for -1.
        engine.Play(channel, offset >= 0);
        if (offset > 0)
            engine.SetOrder(channel, offset);
    } else {
        // Streams have no orders: any offset but -1 starts them from the beginning.
        engine.Play(channel, offset != -1);
    }
}

void BassMusicInterface::Play(int id, int offset, bool noLoop)
{
    MusicInfo* info = Find(id);
    if (!info)
        return;
    info->mVolume = info->mMaxVolume;
    info->mFadeStep = 0.0;
    info->mStopWhenSilent = noLoop;
    ApplyVolume(*info);
    mLibrary->Engine().Stop(Channel(*info));
    StartChannel(*info, offset, noLoop);
}

void BassMusicInterface::Stop(int id)
{
    MusicInfo* info = Find(id);
    if (!info)
        return;
    info->mVolume = 0.0;
    mLibrary->Engine().Stop(Channel(*info));
}

void BassMusicInterface::StopAll()
{
    for (auto& entry : mMusicMap)
        Stop(entry.first);
}

void BassMusicInterface::Pause(int id)
{
    if (MusicInfo* info = Find(id))
        mLibrary->Engine().Pause(Channel(*info));
}

void BassMusicInterface::Resume(int id)
{
    if (MusicInfo* info = Find(id))
        mLibrary->Engine().Resume(Channel(*info));
}

void BassMusicInterface::PauseAll()
{
    for (auto& entry : mMusicMap)
        Pause(entry.first);
}

void BassMusicInterface::ResumeAll()
{
    for (auto& entry : mMusicMap)
        Resume(entry.first);
}

void BassMusicInterface::FreeSong(MusicInfo& info)
{
    mLibrary->Engine().Stop(Channel(info));
    mLibrary->Engine().Free(Channel(info));
}

void BassMusicInterface::Unload(int id)
{
    MusicInfo* info = Find(id);
    if (!info)
        return;
    Stop(id);
    FreeSong(*info);
    mMusicMap.erase(id);
}

void BassMusicInterface::UnloadAll()
{
    if (!mLibrary)
        return;
    StopAll();
    for (auto& entry : mMusicMap)
        FreeSong(entry.second);
    mMusicMap.clear();
}

void BassMusicInterface::SetFadeSpeed(int id, double step)
{
    if (MusicInfo* info = Find(id))
        info->mFadeStep = step;
}

void BassMusicInterface::FadeIn(int id, int offset, double speed, bool noLoop)
{
    MusicInfo* info = Find(id);
    if (!info)
        return;
    info->mFadeStep = speed;
    info->mStopWhenSilent = noLoop;
    mLibrary->Engine().Stop(Channel(*info));
    ApplyVolume(*info);
    StartChannel(*info, offset, noLoop);
}

void BassMusicInterface::FadeOut(int id, bool stopWhenSilent, double speed)
{
    MusicInfo* info = Find(id);
    if (!info)
        return;
    if (info->mVolume != 0.0)
        info->mFadeStep = -speed;
    info->mStopWhenSilent = stopWhenSilent;
}

void BassMusicInterface::FadeOutAll(bool stopWhenSilent, double speed)
{
    for (auto& entry : mMusicMap) {
        entry.second.mFadeStep = -speed;
        entry.second.mStopWhenSilent = stopWhenSilent;
    }
}

void BassMusicInterface::SetSongVolume(int id, double volume)
{
    MusicInfo* info = Find(id);
    if (!info)
        return;
    info->mVolume = volume;
    ApplyVolume(*info);
}

void BassMusicInterface::SetSongMaxVolume(int id, double volume)
{
    MusicInfo* info = Find(id);
    if (!info)
        return;
    info->mMaxVolume = volume;
    info->mVolume = std::min(info->mVolume, volume);
    ApplyVolume(*info);
}

bool BassMusicInterface::IsPlaying(int id)
{
    MusicInfo* info = Find(id);
    return info && mLibrary->Engine().GetState(Channel(*info)) == MusicEngine::State::Playing;
}

void BassMusicInterface::SetVolume(double volume)
{
    if (!mLibrary)
        return;
    double global = ClampMusicVolume(volume);
    MusicEngine& engine = mLibrary->Engine();
    if (mLibrary->Form() == 2) {
        engine.SetGroupVolume(MusicEngine::Group::Module, VolumePercent(global));
        engine.SetGroupVolume(MusicEngine::Group::Stream, VolumePercent(global));
    } else {
        int level = static_cast<int>(mGlobalVolumeScale * global);
        engine.SetGroupVolume(MusicEngine::Group::Module, level);
        engine.SetGroupVolume(MusicEngine::Group::Sample, level);
        engine.SetGroupVolume(MusicEngine::Group::Stream, level);
    }
}

void BassMusicInterface::SetAmplification(int id, double amplification)
{
    if (MusicInfo* info = Find(id))
        mLibrary->Engine().SetAmplify(Channel(*info), VolumePercent(amplification));
}

void BassMusicInterface::Update()
{
    for (auto& entry : mMusicMap) {
        MusicInfo& info = entry.second;
        if (info.mFadeStep == 0.0)
            continue;
        if (StepFade(info))
            mLibrary->Engine().Stop(Channel(info));
        ApplyVolume(info);
    }
}

} // namespace Olvarn
