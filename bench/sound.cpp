// Mixes 32 voices of mixed formats and pitches plus one Ogg stream for 10 s of output through our
// mixer, and the same voices, converted ahead to the output format, through SDL_MixAudioFormat.
// Prints each real-time factor and their ratio.
#include <benchmark/benchmark.h>

#include "RunTimes.h"

#include <SDL.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/AudioDevice.h"
#include "platform/Mixer.h"
#include "platform/MusicEngine.h"
#include "platform/SoundBuffer.h"

using namespace Olvarn;

namespace
{

constexpr int kVoices = 32;
constexpr int kSeconds = 10;
constexpr int kChunk = 1024;
constexpr int kOutputFrames = kSeconds * kAudioOutputRate;

PcmFormat VoiceFormat(int i)
{
    static const int rates[] = {11025, 22050, 44100, 48000};
    return PcmFormat{1 + i % 2, (i / 2) % 2 ? 8 : 16, rates[(i / 4) % 4]};
}

// Half a second of a sine in the voice's format.
std::vector<uint8_t> VoiceSamples(const PcmFormat& format, double hz)
{
    int frames = format.mSamplesPerSec / 2;
    std::vector<uint8_t> bytes;
    for (int f = 0; f < frames; ++f) {
        double v = std::sin(2 * M_PI * hz * f / format.mSamplesPerSec);
        for (int c = 0; c < format.mChannels; ++c) {
            if (format.mBitsPerSample == 8) {
                bytes.push_back(static_cast<uint8_t>(128 + 60 * v));
            } else {
                int16_t s = static_cast<int16_t>(6000 * v);
                bytes.push_back(static_cast<uint8_t>(s & 0xFF));
                bytes.push_back(static_cast<uint8_t>((s >> 8) & 0xFF));
            }
        }
    }
    return bytes;
}

std::string WriteWav(const std::string& path, int seconds)
{
    std::vector<int16_t> samples;
    for (int i = 0; i < 44100 * seconds; ++i) {
        int16_t s = static_cast<int16_t>(8000 * std::sin(i * 0.05));
        samples.push_back(s);
        samples.push_back(s);
    }
    std::ofstream out(path, std::ios::binary);
    auto put32 = [&out](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto put16 = [&out](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    uint32_t bytes = static_cast<uint32_t>(samples.size() * 2);
    out << "RIFF";
    put32(36 + bytes);
    out << "WAVEfmt ";
    put32(16);
    put16(1);
    put16(2);
    put32(44100);
    put32(44100 * 4);
    put16(4);
    put16(16);
    out << "data";
    put32(bytes);
    out.write(reinterpret_cast<const char*>(samples.data()), bytes);
    return path;
}

// An Ogg file made with the Vorbis tools; empty when they are missing.
std::string MakeOgg()
{
    std::string dir = benchsupport::TempPath("sound");
    std::filesystem::create_directories(dir);
    std::string wav = WriteWav(dir + "/stream.wav", 3);
    std::string ogg = dir + "/stream.ogg";
    std::string command = "oggenc -Q -q 3 -o '" + ogg + "' '" + wav + "'";
    return std::system(command.c_str()) == 0 ? ogg : std::string();
}

void BM_OurMixer(benchmark::State& state)
{
    AudioDevice::SetBackend(AudioDevice::Backend::Manual);
    std::shared_ptr<AudioDevice> device = AudioDevice::Acquire();
    Mixer& mixer = device->GetMixer();
    std::vector<std::unique_ptr<SoundBuffer>> voices;
    for (int i = 0; i < kVoices; ++i) {
        PcmFormat format = VoiceFormat(i);
        std::vector<uint8_t> bytes = VoiceSamples(format, 220 + 20 * i);
        auto buffer = SoundBuffer::Create(mixer, format, bytes.size());
        std::memcpy(buffer->Lock(), bytes.data(), buffer->Size());
        // Pitches from an octave down to an octave up.
        buffer->SetFrequency(static_cast<uint32_t>(format.mSamplesPerSec * std::pow(2.0, (i % 25 - 12) / 12.0)));
        buffer->SetVolume(-(i * 37) % 1500);
        buffer->SetPan((i * 613) % 8000 - 4000);
        buffer->Play(true);
        voices.push_back(std::move(buffer));
    }
    MusicEngine engine(device);
    std::string ogg = MakeOgg();
    MusicEngine::Handle stream = ogg.empty() ? 0 : engine.OpenStream(ogg);
    if (stream) {
        engine.SetLooping(stream, true);
        engine.Play(stream, true);
    } else {
        state.SetLabel("no oggenc: voices only");
    }
    std::vector<int16_t> out(kChunk * 2);
    for (auto _ : state) {
        for (int done = 0; done < kOutputFrames; done += kChunk) {
            engine.Pump();
            mixer.Render(out.data(), kChunk);
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["realtime_x"] =
        benchmark::Counter(static_cast<double>(kSeconds) * state.iterations(), benchmark::Counter::kIsRate);
    AudioDevice::SetBackend(AudioDevice::Backend::Sdl);
}

// The same voices converted ahead to 44100 Hz stereo 16-bit (SDL mixes only matching formats), at
// their native rate: no pitch, no interpolation, no pan, and no stream decoding.
void BM_SdlMixAudioFormat(benchmark::State& state)
{
    std::vector<std::vector<uint8_t>> converted;
    for (int i = 0; i < kVoices; ++i) {
        PcmFormat format = VoiceFormat(i);
        std::vector<uint8_t> bytes = VoiceSamples(format, 220 + 20 * i);
        SDL_AudioCVT cvt;
        SDL_BuildAudioCVT(&cvt, format.mBitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16SYS,
                          static_cast<Uint8>(format.mChannels), format.mSamplesPerSec, AUDIO_S16SYS, 2,
                          kAudioOutputRate);
        cvt.len = static_cast<int>(bytes.size());
        std::vector<uint8_t> buf(bytes.size() * static_cast<size_t>(std::max(cvt.len_mult, 1)));
        std::memcpy(buf.data(), bytes.data(), bytes.size());
        cvt.buf = buf.data();
        SDL_ConvertAudio(&cvt);
        buf.resize(static_cast<size_t>(cvt.len_cvt) & ~size_t{3});
        converted.push_back(std::move(buf));
    }
    std::vector<size_t> positions(kVoices, 0);
    std::vector<uint8_t> out(kChunk * 4);
    for (auto _ : state) {
        for (int done = 0; done < kOutputFrames; done += kChunk) {
            std::memset(out.data(), 0, out.size());
            for (int v = 0; v < kVoices; ++v) {
                const std::vector<uint8_t>& src = converted[v];
                size_t filled = 0;
                while (filled < out.size()) {
                    size_t n = std::min(out.size() - filled, src.size() - positions[v]);
                    int volume = SDL_MIX_MAXVOLUME * (v % 4 + 1) / 4;
                    SDL_MixAudioFormat(out.data() + filled, src.data() + positions[v], AUDIO_S16SYS,
                                       static_cast<Uint32>(n), volume);
                    filled += n;
                    positions[v] = (positions[v] + n) % src.size();
                }
            }
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["realtime_x"] =
        benchmark::Counter(static_cast<double>(kSeconds) * state.iterations(), benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK(BM_OurMixer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SdlMixAudioFormat)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    benchsupport::Initialize(&argc, &argv);
    benchsupport::RunTimes reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::error_code ignored;
    std::filesystem::remove_all(benchsupport::TempPath("sound"), ignored);
    auto factor = [&](const char* name) {
        const auto* t = reporter.Find(name);
        if (!t || !t->counters.count("realtime_x"))
            return 0.0;
        return t->counters.at("realtime_x");
    };
    double ours = factor("BM_OurMixer");
    double sdl = factor("BM_SdlMixAudioFormat");
    if (ours > 0) {
        std::printf("our mixer: %.0fx real time (goal: 200x on one core)\n", ours);
        if (sdl > 0)
            std::printf("SDL_MixAudioFormat: %.0fx real time; ours / SDL = %.2f (SDL's side leaves out pitch, "
                        "interpolation, pan and the Ogg stream's decoding: its voices are converted ahead)\n",
                        sdl, ours / sdl);
    }
    return 0;
}
