// Opening the process's audio device: SDL's dummy driver, the manual device, and no device.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>

#include "platform/AudioDevice.h"
#include "platform/SoundBuffer.h"

using namespace Olvarn;

namespace
{
struct BackendGuard {
    ~BackendGuard() { AudioDevice::SetBackend(AudioDevice::Backend::Sdl); }
};
} // namespace

TEST(AudioDevice, SdlDummyDriverOpensAndPlaysTheMixer)
{
    BackendGuard guard;
    AudioDevice::SetBackend(AudioDevice::Backend::Sdl);
    std::shared_ptr<AudioDevice> device = AudioDevice::Acquire();
    ASSERT_NE(device, nullptr) << "SDL_AUDIODRIVER=dummy should open";
    EXPECT_TRUE(device->IsOutputOpen());
    EXPECT_EQ(AudioDevice::Acquire(), device);

    // The callback drains a playing sound that is not looping.
    auto buffer = SoundBuffer::Create(device->GetMixer(), PcmFormat{1, 16, 44100}, 2 * 2205);
    buffer->Play(false);
    for (int i = 0; i < 200 && buffer->IsPlaying(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(buffer->IsPlaying());
}

TEST(AudioDevice, ManualDeviceIsSharedWhileHeld)
{
    BackendGuard guard;
    AudioDevice::SetBackend(AudioDevice::Backend::Manual);
    std::shared_ptr<AudioDevice> first = AudioDevice::Acquire();
    ASSERT_NE(first, nullptr);
    EXPECT_FALSE(first->IsOutputOpen());
    EXPECT_EQ(AudioDevice::Acquire(), first);
    std::vector<int16_t> out = first->Render(16);
    EXPECT_EQ(out, std::vector<int16_t>(32, 0));
}

TEST(AudioDevice, UnavailableBackendGivesNoDevice)
{
    BackendGuard guard;
    AudioDevice::SetBackend(AudioDevice::Backend::Unavailable);
    EXPECT_EQ(AudioDevice::Acquire(), nullptr);
}

TEST(AudioDevice, OutputVolumeIsKeptAsSixteenBitsAndClamped)
{
    struct Case {
        double set, get;
    } cases[] = {{1.0, 1.0}, {0.0, 0.0}, {0.5, 32767 / 65535.0}, {2.0, 1.0}, {-1.0, 0.0}, {NAN, 0.0}};
    for (const Case& c : cases) {
        AudioDevice::SetOutputVolume(c.set);
        EXPECT_DOUBLE_EQ(AudioDevice::GetOutputVolume(), c.get) << c.set;
    }
    AudioDevice::SetOutputVolume(1.0);
}
