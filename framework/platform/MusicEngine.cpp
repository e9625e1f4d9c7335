// Music channels over the mixer. Lock order: the decode mutex, then the mixer's mutex; sample
// channels are sound buffers, which take the mixer's mutex themselves.
#include "platform/MusicEngine.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include "platform/MusicDecoder.h"
#include "platform/SoundBuffer.h"

namespace Olvarn
{

namespace
{
// About 0.37 s of music decoded ahead; the feeder wakes far more often than that.
constexpr int kRingFrames = 16384;
constexpr int kDecodeChunk = 2048;
constexpr auto kFeederPeriod = std::chrono::milliseconds(15);
// With nothing to decode the feeder sleeps until a channel starts; this is only a safety net.
constexpr auto kIdleFeederPeriod = std::chrono::seconds(2);
} // namespace

struct MusicEngine::Channel {
    Group mGroup = Group::Stream;
    std::unique_ptr<MusicDecoder> mDecoder;
    std::unique_ptr<SoundBuffer> mSample;
    bool mLooping = false;
    int mVolume = 100;
    int mAmplify = 50;

    // Under the mixer's mutex: the frames decoded ahead and the play state.
    std::vector<int16_t> mRing = std::vector<int16_t>(static_cast<size_t>(kRingFrames) * 2);
    int mRingHead = 0;
    int mRingCount = 0;
    bool mDecoderEnded = false;
    State mState = State::Stopped;

    void ClearRing()
    {
        mRingHead = 0;
        mRingCount = 0;
        mDecoderEnded = false;
    }
    void Push(const int16_t* frames, int count)
    {
        for (int i = 0; i < count; ++i) {
            int at = (mRingHead + mRingCount) % kRingFrames;
            mRing[2 * at] = frames[2 * i];
            mRing[2 * at + 1] = frames[2 * i + 1];
            ++mRingCount;
        }
    }
};

MusicEngine::MusicEngine(std::shared_ptr<AudioDevice> device) : mDevice(std::move(device))
{
    mDevice->GetMixer().AddSource(this);
    if (mDevice->IsOutputOpen())
        mFeeder = std::thread([this] { FeederLoop(); });
}

MusicEngine::~MusicEngine()
{
    if (mFeeder.joinable()) {
        {
            std::lock_guard<std::mutex> lock(mFeederMutex);
            mStopFeeder = true;
        }
        mFeederWake.notify_all();
        mFeeder.join();
    }
    mDevice->GetMixer().RemoveSource(this);
    std::map<Handle, std::unique_ptr<Channel>> channels;
    {
        std::lock_guard<std::mutex> lock(mDecodeMutex);
        channels.swap(mChannels);
    }
}

void MusicEngine::FeederLoop()
{
    std::unique_lock<std::mutex> lock(mFeederMutex);
    while (!mStopFeeder) {
        mFeederKicked = false;
        lock.unlock();
        const bool busy = Pump();
        lock.lock();
        // A silent game wakes nobody: the feeder waits for Play or Resume unless a stream is decoding.
        mFeederWake.wait_for(lock, busy ? kFeederPeriod : kIdleFeederPeriod,
                             [this] { return mStopFeeder.load() || mFeederKicked; });
    }
}

MusicEngine::Channel* MusicEngine::Find(Handle handle)
{
    auto it = mChannels.find(handle);
    return it == mChannels.end() ? nullptr : it->second.get();
}

MusicEngine::Handle MusicEngine::Add(std::unique_ptr<Channel> channel)
{
    std::lock_guard<std::mutex> decode(mDecodeMutex);
    std::lock_guard<std::mutex> mix(mDevice->GetMixer().Mutex());
    Handle handle = mNextHandle++;
    if (mNextHandle == 0)
        mNextHandle = 1;
    mChannels[handle] = std::move(channel);
    return handle;
}

MusicEngine::Handle MusicEngine::OpenStream(const std::string& path)
{
    std::unique_ptr<MusicDecoder> decoder = OpenOggMusic(path);
    if (!decoder)
        decoder = OpenWavMusic(path);
    if (!decoder)
        decoder = OpenMp3Music(path);
    if (!decoder)
        return 0;
    auto channel = std::make_unique<Channel>();
    channel->mDecoder = std::move(decoder);
    return Add(std::move(channel));
}

MusicEngine::Handle MusicEngine::OpenModule(const std::string& path)
{
    std::unique_ptr<MusicDecoder> decoder = OpenModuleMusic(path);
    if (!decoder)
        return 0;
    auto channel = std::make_unique<Channel>();
    channel->mGroup = Group::Module;
    channel->mDecoder = std::move(decoder);
    channel->mLooping = true;
    return Add(std::move(channel));
}

MusicEngine::Handle MusicEngine::CreateSample(const PcmFormat& format, size_t bytes)
{
    auto buffer = SoundBuffer::Create(mDevice->GetMixer(), format, bytes);
    if (!buffer)
        return 0;
    auto channel = std::make_unique<Channel>();
    channel->mGroup = Group::Sample;
    channel->mSample = std::move(buffer);
    channel->mRing.clear();
    return Add(std::move(channel));
}

uint8_t* MusicEngine::LockSample(Handle handle, size_t& bytes)
{
    std::lock_guard<std::mutex> decode(mDecodeMutex);
    Channel* channel = Find(handle);
    if (!channel || !channel->mSample) {
        bytes = 0;
        return nullptr;
    }
    bytes = channel->mSample->Size();
    return channel->mSample->Lock();
}

bool MusicEngine::GetSampleFormat(Handle handle, PcmFormat& format, uint32_t& frames)
{
    std::lock_guard<std::mutex> decode(mDecodeMutex);
    Channel* channel = Find(handle);
    if (!channel || !channel->mSample)
        return false;
    format = channel->mSample->Format();
    frames = static_cast<uint32_t>(channel->mSample->Size() / format.BlockAlign());
    return true;
}

void MusicEngine::SetSampleLoopPoints(Handle handle, uint32_t startFrame, uint32_t endFrame)
{
    std::lock_guard<std::mutex> decode(mDecodeMutex);
    if (Channel* channel = Find(handle); channel && channel->mSample)
        channel->mSample->SetLoopPoints(startFrame, endFrame);
}

void MusicEngine::Free(Handle handle)
{
    std::unique_ptr<Channel> doomed;
    {
        std::lock_guard<std::mutex> decode(mDecodeMutex);
        std::lock_guard<std::mutex> mix(mDevice->GetMixer().Mutex());
        auto it = mChannels.find(handle);
        if (it == mChannels.end())
            return;
        doomed = std::move(it->second);
        mChannels.erase(it);
    }
    // A sound buffer unregisters from the mixer as it goes, so it dies outside the locks.
}

void MusicEngine::FillLocked(Channel& channel)
{
    if (!channel.mDecoder)
        return;
    Mixer& mixer = mDevice->GetMixer();
    int16_t chunk[kDecodeChunk * 2];
    for (;;) {
        {
            std::lock_guard<std::mutex> mix(mixer.Mutex());
            if (channel.mDecoderEnded || kRingFrames - channel.mRingCount < kDecodeChunk)
                return;
        }
        int got = channel.mDecoder->Read(chunk, kDecodeChunk);
        bool ended = false;
        if (got < kDecodeChunk) {
            // A stream that loops starts over; a module follows its own loop inside the decoder.
            if (channel.mLooping && !channel.mDecoder->LoopsItself() && channel.mDecoder->Rewind())
                got += channel.mDecoder->Read(chunk + 2 * got, kDecodeChunk - got);
            else
                ended = true;
            if (got == 0)
                ended = true;
        }
        std::lock_guard<std::mutex> mix(mixer.Mutex());
        channel.Push(chunk, got);
        channel.mDecoderEnded = ended;
    }
}

bool MusicEngine::Pump()
{
    std::lock_guard<std::mutex> decode(mDecodeMutex);
    bool busy = false;
    for (auto& entry : mChannels) {
        Channel& channel = *entry.second;
        State state;
        {
            std::lock_guard<std::mutex> mix(mDevice->GetMixer().Mutex());
            state = channel.mState;
        }
        if (state != State::Stopped)
            FillLocked(channel);
        if (state == State::Playing && channel.mDecoder) {
            std::lock_guard<std::mutex> mix(mDevice->GetMixer().Mutex());
            busy = busy || !channel.mDecoderEnded || channel.mRingCount > 0;
        }
    }
    return busy;
}

void MusicEngine::KickFeeder()
{
    {
        std::lock_guard<std::mutex> lock(mFeederMutex);
        mFeederKicked = true;
    }
    mFeederWake.notify_all();
}

void MusicEngine::MixInto(int32_t* accum, int frames)
{
    for (auto& entry : mChannels) {
        Channel& channel = *entry.second;
        // Samples are mixer voices; their state belongs to the decode side.
        if (!channel.mDecoder || channel.mState != State::Playing)
            continue;
        int64_t gain = static_cast<int64_t>(channel.mVolume) * mGroupVolume[static_cast<int>(channel.mGroup)];
        if (channel.mGroup == Group::Module)
            gain = gain * channel.mAmplify / 50;
        // gain is in 1/10000; scale to 16.16 fixed point.
        gain = gain * 65536 / 10000;
        int n = std::min(frames, channel.mRingCount);
        for (int i = 0; i < n; ++i) {
            int at = (channel.mRingHead + i) % kRingFrames;
            accum[2 * i] += static_cast<int32_t>((channel.mRing[2 * at] * gain) >> 16);
            accum[2 * i + 1] += static_cast<int32_t>((channel.mRing[2 * at + 1] * gain) >> 16);
        }
        channel.mRingHead = (channel.mRingHead + n) % kRingFrames;
        channel.mRingCount -= n;
        if (channel.mRingCount == 0 && channel.mDecoderEnded)
            channel.mState = State::Stopped;
    }
}

void MusicEngine::Play(Handle handle, bool restart)
{
    std::lock_guard<std::mutex> decode(mDecodeMutex);
    Channel* channel = Find(handle);
    if (!channel)
        return;
    if (channel->mSample) {
        if (restart)
            channel->mSample->SetCurrentPosition(0);
        channel->mSample->Play(channel->mLooping);
        ApplySampleVolume(*channel);
        channel->mState = State::Playing;
        return;
    }
    if (restart) {
        channel->mDecoder->Rewind();
        std::lock_guard<std::mutex> mix(mDevice->GetMixer().Mutex());
        channel->ClearRing();
    }
    channel->mDecoder->SetLooping(channel->mLooping);
    FillLocked(*channel);
    {
        std::lock_guard<std::mutex> mix(mDevice->GetMixer().Mutex());
        channel->mState = State::Playing;
    }
    KickFeeder();
}

void MusicEngine::SetLooping(Handle handle, bool looping)
{
    std::lock_guard<std::mutex> decode(mDecodeMutex);
    Channel* channel = Find(handle);
    if (!channel)
        return;
    channel->mLooping = looping;
    if (channel->mDecoder)
        channel->mDecoder->SetLooping(looping);
    if (channel->mSample && channel->mSample->IsPlaying())
        channel->mSample->Play(looping);
}

bool MusicEngine::SetOrder(Handle handle, int order)
{
    std::lock_guard<std::mutex> decode(mDecodeMutex);
    Channel* channel = Find(handle);
    if (!channel || !channel->mDecoder || !channel->mDecoder->SeekOrder(order))
        return false;
    // Frames decoded before the jump would delay it by the ring's length.
    std::lock_guard<std::mutex> mix(mDevice->GetMixer().Mutex());
    channel->ClearRing();
    return true;
}

void MusicEngine::Stop(Handle handle)
{
    std::lock_guard<std::mutex> decode(mDecodeMutex);
    Channel* channel = Find(handle);
    if (!channel)
        return;
    if (channel->mSample) {
        channel->mSample->Stop();
        channel->mState = State::Stopped;
        return;
    }
    std::lock_guard<std::mutex> mix(mDevice->GetMixer().Mutex());
    channel->mState = State::Stopped;
}

void MusicEngine::Pause(Handle handle)
{
    std::lock_guard<std::mutex> decode(mDecodeMutex);
    Channel* channel = Find(handle);
    if (!channel)
        return;
    if (channel->mSample) {
        if (channel->mState == State::Playing && channel->mSample->IsPlaying()) {
            channel->mSample->Stop();
            channel->mState = State::Paused;
        }
        return;
    }
    std::lock_guard<std::mutex> mix(mDevice->GetMixer().Mutex());
    if (channel->mState == State::Playing)
        channel->mState = State::Paused;
}

void MusicEngine::Resume(Handle handle)
{
    std::lock_guard<std::mutex> decode(mDecodeMutex);
    Channel* channel = Find(handle);
    if (!channel)
        return;
    if (channel->mSample) {
        if (channel->mState == State::Paused) {
            channel->mSample->Play(channel->mLooping);
            channel->mState = State::Playing;
        }
        return;
    }
    {
        std::lock_guard<std::mutex> mix(mDevice->GetMixer().Mutex());
        if (channel->mState == State::Paused)
            channel->mState = State::Playing;
    }
    KickFeeder();
}

MusicEngine::State MusicEngine::GetState(Handle handle)
{
    std::lock_guard<std::mutex> decode(mDecodeMutex);
    Channel* channel = Find(handle);
    if (!channel)
        return State::Stopped;
    if (channel->mSample) {
        // A sample that ran to its end stopped by itself.
        if (channel->mState == State::Playing && !channel->mSample->IsPlaying())
            channel->mState = State::Stopped;
        return channel->mState;
    }
    std::lock_guard<std::mutex> mix(mDevice->GetMixer().Mutex());
    return channel->mState;
}

void MusicEngine::ApplySampleVolume(Channel& channel)
{
    double gain = channel.mVolume / 100.0 * mGroupVolume[static_cast<int>(Group::Sample)] / 100.0;
    int hundredthsDb = gain <= 0.0 ? kAudioVolumeSilent : static_cast<int>(std::lround(2000.0 * std::log10(gain)));
    channel.mSample->SetVolume(hundredthsDb);
}

void MusicEngine::SetVolume(Handle handle, int percent)
{
    std::lock_guard<std::mutex> decode(mDecodeMutex);
    Channel* channel = Find(handle);
    if (!channel)
        return;
    percent = std::clamp(percent, 0, 100);
    if (channel->mSample) {
        channel->mVolume = percent;
        ApplySampleVolume(*channel);
        return;
    }
    std::lock_guard<std::mutex> mix(mDevice->GetMixer().Mutex());
    channel->mVolume = percent;
}

void MusicEngine::SetAmplify(Handle handle, int percent)
{
    std::lock_guard<std::mutex> decode(mDecodeMutex);
    Channel* channel = Find(handle);
    if (!channel)
        return;
    std::lock_guard<std::mutex> mix(mDevice->GetMixer().Mutex());
    channel->mAmplify = std::clamp(percent, 0, 100);
}

void MusicEngine::SetGroupVolume(Group group, int percent)
{
    std::lock_guard<std::mutex> decode(mDecodeMutex);
    {
        std::lock_guard<std::mutex> mix(mDevice->GetMixer().Mutex());
        mGroupVolume[static_cast<int>(group)] = std::clamp(percent, 0, 100);
    }
    if (group == Group::Sample)
        for (auto& entry : mChannels)
            if (entry.second->mSample)
                ApplySampleVolume(*entry.second);
}

} // namespace Olvarn
