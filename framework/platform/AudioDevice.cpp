// Opens SDL audio with our mixer in its callback; one device per process, shared by its users.
#include "platform/AudioDevice.h"
#include "platform/Log.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <mutex>

namespace Olvarn
{

namespace
{

std::atomic<AudioDevice::Backend> gBackend{AudioDevice::Backend::Sdl};
std::mutex gSharedMutex;
std::weak_ptr<AudioDevice> gShared;

void MixCallback(void* userdata, Uint8* stream, int len)
{
    auto* mixer = static_cast<Mixer*>(userdata);
    mixer->Render(reinterpret_cast<int16_t*>(stream), len / 4);
}

} // namespace

void AudioDevice::SetBackend(Backend backend)
{
    gBackend.store(backend);
}

AudioDevice::Backend AudioDevice::GetBackend()
{
    return gBackend.load();
}

std::shared_ptr<AudioDevice> AudioDevice::Acquire()
{
    std::lock_guard<std::mutex> lock(gSharedMutex);
    if (auto device = gShared.lock())
        return device;
    Backend backend = gBackend.load();
    if (backend == Backend::Unavailable) {
        LogWrite(LogLevel::Warning, "audio: no sound device");
        return nullptr;
    }
    std::shared_ptr<AudioDevice> device(new AudioDevice());
    if (backend == Backend::Sdl && !device->OpenSdl())
        return nullptr;
    gShared = device;
    return device;
}

bool AudioDevice::OpenSdl()
{
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        LogWrite(LogLevel::Warning, "audio: cannot start SDL audio: %s", SDL_GetError());
        return false;
    }
    SDL_AudioSpec want{};
    want.freq = kAudioOutputRate;
    want.format = AUDIO_S16SYS;
    want.channels = kAudioOutputChannels;
    want.samples = 1024;
    want.callback = MixCallback;
    want.userdata = &mMixer;
    SDL_AudioSpec have{};
    // No allowed changes: SDL converts our fixed format to whatever the hardware wants.
    SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (id == 0) {
        LogWrite(LogLevel::Warning, "audio: cannot open a sound device: %s", SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    mDeviceId = id;
    SDL_PauseAudioDevice(id, 0);
    return true;
}

AudioDevice::~AudioDevice()
{
    if (mDeviceId != 0) {
        SDL_CloseAudioDevice(mDeviceId);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
}

void AudioDevice::SetOutputVolume(double volume)
{
    if (!(volume >= 0.0))
        volume = 0.0;
    volume = std::min(volume, 1.0);
    Mixer::SetOutputLevel(static_cast<uint16_t>(volume * 65535.0));
}

double AudioDevice::GetOutputVolume()
{
    return Mixer::GetOutputLevel() / 65535.0;
}

} // namespace Olvarn
