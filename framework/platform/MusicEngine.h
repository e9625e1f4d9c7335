// The music layer: streams, tracker modules and in-memory samples played as channels of our mixer,
// with per-channel and per-group volumes. Streams are decoded ahead on a feeder thread into a ring
// that the audio callback only copies from.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/AudioDevice.h"
#include "platform/Mixer.h"

namespace Olvarn
{

class MusicEngine : public AudioSource
{
public:
    using Handle = uint32_t; // 0 is never a channel
    enum class State { Stopped, Playing, Paused };
    enum class Group { Stream, Module, Sample };

    // Plays into the device's mixer. With an open output a feeder thread decodes ahead; otherwise
    // the owner calls Pump before rendering.
    explicit MusicEngine(std::shared_ptr<AudioDevice> device);
    ~MusicEngine() override;
    MusicEngine(const MusicEngine&) = delete;
    MusicEngine& operator=(const MusicEngine&) = delete;

    // Ogg Vorbis, WAV or MP3, told apart by their contents; 0 when none opens. Native paths.
    Handle OpenStream(const std::string& path);
    // A tracker module (MOD, S3M, XM, IT and the other formats libxmp reads); 0 when it fails.
    Handle OpenModule(const std::string& path);
    // A sample of silent PCM to be filled through LockSample; 0 for an unplayable format or size.
    Handle CreateSample(const PcmFormat& format, size_t bytes);
    // The sample's bytes for writing (null for other channels) and their count.
    uint8_t* LockSample(Handle handle, size_t& bytes);
    bool GetSampleFormat(Handle handle, PcmFormat& format, uint32_t& frames);
    // Frames repeated while the sample loops: [start, end).
    void SetSampleLoopPoints(Handle handle, uint32_t startFrame, uint32_t endFrame);
    void Free(Handle handle);

    // From the first frame when `restart`, else from where the channel stopped.
    void Play(Handle handle, bool restart);
    void SetLooping(Handle handle, bool looping);
    // Modules: continue at a pattern order.
    bool SetOrder(Handle handle, int order);
    void Stop(Handle handle);
    void Pause(Handle handle);
    void Resume(Handle handle);
    State GetState(Handle handle);

    // Percent, 0..100 (more is taken as 100).
    void SetVolume(Handle handle, int percent);
    // Modules: 50 is neutral, 100 doubles the level.
    void SetAmplify(Handle handle, int percent);
    void SetGroupVolume(Group group, int percent);

    // Decodes ahead for every playing stream. Called by the feeder, or by the owner without one. True
    // while a stream is playing, so more will be wanted soon.
    bool Pump();
    void MixInto(int32_t* accum, int frames) override;

    Mixer& GetMixer() { return mDevice->GetMixer(); }

private:
    struct Channel;

    Channel* Find(Handle handle);
    Handle Add(std::unique_ptr<Channel> channel);
    void FillLocked(Channel& channel);
    void ApplySampleVolume(Channel& channel);
    void FeederLoop();
    // Wakes the feeder now: a channel started or resumed while it slept.
    void KickFeeder();

    std::shared_ptr<AudioDevice> mDevice;
    // Guards the channel map and the decoders; taken before the mixer's mutex.
    std::mutex mDecodeMutex;
    std::map<Handle, std::unique_ptr<Channel>> mChannels;
    Handle mNextHandle = 1;
    int mGroupVolume[3] = {100, 100, 100};

    std::thread mFeeder;
    std::mutex mFeederMutex;
    std::condition_variable mFeederWake;
    std::atomic<bool> mStopFeeder{false};
    bool mFeederKicked = false; // under mFeederMutex
};

} // namespace Olvarn
