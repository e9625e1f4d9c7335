// The sound output of the process: our mixer played by SDL audio at 44100 Hz, 16-bit stereo.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Mixer.h"

namespace Olvarn
{

class AudioDevice
{
public:
    // How devices are opened. Sdl is the program's; Manual gives a device whose mixer runs only
    // when Render is called (tests, benchmarks); Unavailable makes every open fail, as on a machine
    // without sound.
    enum class Backend { Sdl, Manual, Unavailable };
    static void SetBackend(Backend backend);
    static Backend GetBackend();

    // The process's device, opened on first use and shared while anyone holds it; null (and
    // logged) when no device can be opened.
    static std::shared_ptr<AudioDevice> Acquire();

    ~AudioDevice();
    AudioDevice(const AudioDevice&) = delete;
    AudioDevice& operator=(const AudioDevice&) = delete;

    Mixer& GetMixer() { return mMixer; }
    // True when SDL plays the mixer; false for a manual device.
    bool IsOutputOpen() const { return mDeviceId != 0; }
    // Mixes frames without a device; with an open output, SDL may be taking frames at the same time.
    std::vector<int16_t> Render(int frames) { return mMixer.Render(frames); }

    // The system wave-out volume stand-in: 0..1, kept as volume x 65535 truncated.
    static void SetOutputVolume(double volume);
    static double GetOutputVolume();

private:
    AudioDevice() = default;
    bool OpenSdl();

    Mixer mMixer;
    uint32_t mDeviceId = 0;
};

} // namespace Olvarn
