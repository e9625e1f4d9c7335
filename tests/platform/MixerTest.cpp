// The mixer and its sound buffers: gains in hundredths of a decibel, pan, rate conversion, looping,
// positions, duplicates, saturation and the output level.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "platform/Mixer.h"
#include "platform/SoundBuffer.h"

using namespace Olvarn;

namespace
{

// A buffer holding `frames` frames of one constant value per channel.
std::unique_ptr<SoundBuffer> Constant(Mixer& mixer, PcmFormat format, int frames, int left, int right = 0)
{
    auto buffer = SoundBuffer::Create(mixer, format, static_cast<size_t>(frames) * format.BlockAlign());
    uint8_t* data = buffer->Lock();
    for (int i = 0; i < frames; ++i) {
        for (int c = 0; c < format.mChannels; ++c) {
            int value = c == 0 ? left : right;
            if (format.mBitsPerSample == 8) {
                *data++ = static_cast<uint8_t>(value);
            } else {
                int16_t s = static_cast<int16_t>(value);
                std::memcpy(data, &s, 2);
                data += 2;
            }
        }
    }
    return buffer;
}

// A 16-bit mono ramp 0, 1, 2, ... so positions can be read back from the output.
std::unique_ptr<SoundBuffer> Ramp(Mixer& mixer, int frames, int rate)
{
    auto buffer = SoundBuffer::Create(mixer, PcmFormat{1, 16, rate}, static_cast<size_t>(frames) * 2);
    auto* samples = reinterpret_cast<int16_t*>(buffer->Lock());
    for (int i = 0; i < frames; ++i)
        samples[i] = static_cast<int16_t>(i * 100);
    return buffer;
}

int CountNonZeroFrames(const std::vector<int16_t>& out)
{
    int n = 0;
    for (size_t i = 0; i < out.size(); i += 2)
        n += (out[i] != 0 || out[i + 1] != 0);
    return n;
}

} // namespace

TEST(Mixer, SilentWithoutPlayingVoices)
{
    Mixer mixer;
    auto buffer = Constant(mixer, PcmFormat{1, 16, 44100}, 100, 1000);
    std::vector<int16_t> out = mixer.Render(64);
    ASSERT_EQ(out.size(), 128u);
    EXPECT_EQ(CountNonZeroFrames(out), 0);
}

TEST(Mixer, VolumeAndPanFollowDecibels)
{
    struct Case {
        int volume, pan;
        double left, right; // expected gains
    } cases[] = {
        {0, 0, 1.0, 1.0},
        {-600, 0, std::pow(10.0, -0.3), std::pow(10.0, -0.3)},
        {-2000, 0, 0.1, 0.1},
        {-10000, 0, 0.0, 0.0}, // exact silence
        {-20000, 0, 0.0, 0.0}, // clamped to silence
        {0, 10000, 0.0, 1.0},  // right only
        {0, -10000, 1.0, 0.0}, // left only
        {0, 600, std::pow(10.0, -0.3), 1.0},
        {-600, -2000, std::pow(10.0, -0.3), std::pow(10.0, -1.3)},
        {0, 50000, 0.0, 1.0}, // clamped pan
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "volume " << c.volume << " pan " << c.pan);
        Mixer mixer;
        auto buffer = Constant(mixer, PcmFormat{1, 16, 44100}, 1000, 20000);
        buffer->SetVolume(c.volume);
        buffer->SetPan(c.pan);
        buffer->Play(false);
        std::vector<int16_t> out = mixer.Render(10);
        EXPECT_NEAR(out[8], 20000 * c.left, 2);
        EXPECT_NEAR(out[9], 20000 * c.right, 2);
    }
}

TEST(Mixer, ReadsEveryPcmLayout)
{
    struct Case {
        PcmFormat format;
        int left, right;
        int outLeft, outRight;
    } cases[] = {
        {{1, 16, 44100}, -12345, 0, -12345, -12345},       {{2, 16, 44100}, 1000, -2000, 1000, -2000},
        {{1, 8, 44100}, 0xFF, 0, 127 * 256, 127 * 256},    {{1, 8, 44100}, 0x80, 0, 0, 0},
        {{2, 8, 44100}, 0x00, 0xC0, -128 * 256, 64 * 256},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.format.mChannels << " ch " << c.format.mBitsPerSample << " bits");
        Mixer mixer;
        auto buffer = Constant(mixer, c.format, 100, c.left, c.right);
        buffer->Play(false);
        std::vector<int16_t> out = mixer.Render(4);
        EXPECT_EQ(out[2], c.outLeft);
        EXPECT_EQ(out[3], c.outRight);
    }
}

TEST(Mixer, FrequencySetsThePlaybackLength)
{
    struct Case {
        int rate;
        uint32_t frequency; // 0: the sound's own
        int expectedFrames;
    } cases[] = {
        {44100, 0, 1000}, {22050, 0, 2000}, {44100, 88200, 500}, {44100, 22050, 2000}, {11025, 44100, 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rate << " Hz at " << c.frequency);
        Mixer mixer;
        auto buffer = Constant(mixer, PcmFormat{1, 16, c.rate}, 1000, 5000);
        if (c.frequency)
            buffer->SetFrequency(c.frequency);
        buffer->Play(false);
        std::vector<int16_t> out = mixer.Render(5000);
        EXPECT_NEAR(CountNonZeroFrames(out), c.expectedFrames, 1);
        EXPECT_FALSE(buffer->IsPlaying());
    }
}

TEST(Mixer, HalfRateInterpolatesBetweenSamples)
{
    Mixer mixer;
    auto buffer = Ramp(mixer, 100, 22050);
    buffer->Play(false);
    std::vector<int16_t> out = mixer.Render(8);
    // 0, 50, 100, 150 ...: every other output frame lies halfway between two samples.
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(out[2 * i], i * 50) << i;
}

TEST(Mixer, LoopingWrapsAndStopKeepsThePosition)
{
    Mixer mixer;
    auto buffer = Ramp(mixer, 10, 44100);
    buffer->Play(true);
    std::vector<int16_t> out = mixer.Render(25);
    EXPECT_EQ(out[2 * 9], 900);
    EXPECT_EQ(out[2 * 10], 0);
    EXPECT_EQ(out[2 * 24], 400);
    EXPECT_TRUE(buffer->IsPlaying());
    EXPECT_TRUE(buffer->IsLooping());
    EXPECT_EQ(buffer->GetCurrentPosition(), 5u * 2);

    buffer->Stop();
    EXPECT_FALSE(buffer->IsPlaying());
    EXPECT_EQ(buffer->GetCurrentPosition(), 10u);
    buffer->SetCurrentPosition(6); // bytes: frame 3
    buffer->Play(false);
    out = mixer.Render(10);
    EXPECT_EQ(out[0], 300);
    EXPECT_EQ(CountNonZeroFrames(out), 7);
    EXPECT_FALSE(buffer->IsPlaying());
}

TEST(Mixer, LoopPointsRepeatOnlyTheirRange)
{
    Mixer mixer;
    auto buffer = Ramp(mixer, 10, 44100);
    buffer->SetLoopPoints(6, 9);
    buffer->Play(true);
    std::vector<int16_t> out = mixer.Render(14);
    std::vector<int> expected = {0, 100, 200, 300, 400, 500, 600, 700, 800, 600, 700, 800, 600, 700};
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(out[2 * i], expected[i]) << i;
}

TEST(Mixer, DuplicatesShareSamplesButNotState)
{
    Mixer mixer;
    auto source = Constant(mixer, PcmFormat{1, 16, 22050}, 100, 3000);
    source->SetVolume(-600);
    source->SetPan(300);
    auto copy = source->Duplicate();
    EXPECT_EQ(copy->GetVolume(), -600);
    EXPECT_EQ(copy->GetPan(), 300);
    EXPECT_EQ(copy->GetFrequency(), 22050u);
    EXPECT_FALSE(copy->IsPlaying());
    EXPECT_EQ(copy->Lock(), source->Lock());

    copy->SetVolume(0);
    copy->SetPan(0);
    copy->Play(false);
    EXPECT_FALSE(source->IsPlaying());
    std::vector<int16_t> out = mixer.Render(4);
    EXPECT_EQ(out[2], 3000);
    // The copy lives on when the source goes.
    source.reset();
    EXPECT_EQ(mixer.Render(4)[2], 3000);
}

TEST(Mixer, SumsSaturateAtSixteenBits)
{
    Mixer mixer;
    auto a = Constant(mixer, PcmFormat{1, 16, 44100}, 100, 30000);
    auto b = Constant(mixer, PcmFormat{1, 16, 44100}, 100, 30000);
    auto c = Constant(mixer, PcmFormat{1, 16, 44100}, 100, -30000);
    auto d = Constant(mixer, PcmFormat{1, 16, 44100}, 100, -30000);
    a->Play(false);
    b->Play(false);
    EXPECT_EQ(mixer.Render(2)[0], 32767);
    a->Stop();
    b->Stop();
    c->Play(false);
    d->Play(false);
    EXPECT_EQ(mixer.Render(2)[0], -32768);
}

TEST(Mixer, OutputLevelScalesTheWholeMix)
{
    Mixer mixer;
    auto buffer = Constant(mixer, PcmFormat{1, 16, 44100}, 100, 20000);
    buffer->Play(true);
    Mixer::SetOutputLevel(32767);
    EXPECT_NEAR(mixer.Render(2)[0], 10000, 1);
    Mixer::SetOutputLevel(65535);
    EXPECT_EQ(mixer.Render(2)[0], 20000);
}

TEST(SoundBuffer, RejectsUnplayableFormatsAndClampsSettings)
{
    Mixer mixer;
    EXPECT_EQ(SoundBuffer::Create(mixer, PcmFormat{3, 16, 44100}, 60), nullptr);
    EXPECT_EQ(SoundBuffer::Create(mixer, PcmFormat{1, 24, 44100}, 60), nullptr);
    EXPECT_EQ(SoundBuffer::Create(mixer, PcmFormat{1, 16, 0}, 60), nullptr);
    EXPECT_EQ(SoundBuffer::Create(mixer, PcmFormat{2, 16, 44100}, 3), nullptr); // less than a frame
    auto buffer = SoundBuffer::Create(mixer, PcmFormat{2, 16, 44100}, 10);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(buffer->Size(), 8u);

    buffer->SetVolume(500);
    EXPECT_EQ(buffer->GetVolume(), 0);
    buffer->SetVolume(-12000);
    EXPECT_EQ(buffer->GetVolume(), -10000);
    buffer->SetFrequency(10);
    EXPECT_EQ(buffer->GetFrequency(), 100u);
    buffer->SetFrequency(1000000);
    EXPECT_EQ(buffer->GetFrequency(), 200000u);
    buffer->SetFrequency(0);
    EXPECT_EQ(buffer->GetFrequency(), 44100u);
    EXPECT_EQ(mixer.VoiceCount(), 1);
    buffer.reset();
    EXPECT_EQ(mixer.VoiceCount(), 0);
}
