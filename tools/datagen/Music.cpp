// Music: tunes written in ABC notation become MIDI files through abcmidi's abc2midi, which
// libfluidsynth plays on the General MIDI soundfont. The tail that rings past the end is folded
// back onto the start so the track loops without a seam; then the DC is taken out, the stereo
// image kept safe for mono, and every track brought to one loudness before Vorbis encoding.
#include <fluidsynth.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "Assets.h"
#include "Levels.h"
#include "Ogg.h"
#include "Synth.h"

namespace datagen
{

namespace
{

constexpr int kMusicVersion = 5;
constexpr double kTailSeconds = 6.0;
// Left and right may differ, but never so much that summing them to mono cancels the music.
constexpr double kLeastCorrelation = 0.3;
constexpr double kHighPassHz = 24.0;

struct Tune {
    std::string name; // the track's file name, from the ABC file's
    std::string path;
    std::string text;
};

// Runs a shell command and returns what it printed; `status` gets its exit status.
std::string RunCommand(const std::string& command, int& status)
{
    std::string output;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        Fail("cannot run " + command);
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    status = pclose(pipe);
    return output;
}

std::string Quoted(const std::string& path)
{
    if (path.find('\'') != std::string::npos)
        Fail("a path with a quote: " + path);
    return "'" + path + "'";
}

std::string AbcVersion()
{
    int status = 0;
    std::string version = RunCommand("abc2midi -ver", status);
    if (status != 0)
        Fail("abc2midi is missing (tools/install-deps.sh installs abcmidi): " + version);
    return version;
}

// The MIDI file abc2midi makes of a tune; its warnings and errors fail the step.
std::string CompileAbc(const Tune& tune)
{
    namespace fs = std::filesystem;
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    const std::string scratch =
        (fs::temp_directory_path() /
         ("tamberlo-abc-" +
          HexOf(Hash64(tune.path + std::to_string(now) +
                       std::to_string(std::hash<std::thread::id>()(std::this_thread::get_id())))) +
          ".mid"))
            .string();
    int status = 0;
    std::string log = RunCommand("abc2midi " + Quoted(tune.path) + " -quiet -o " + Quoted(scratch), status);
    std::string midi = FileExists(scratch) ? ReadFile(scratch) : "";
    std::error_code ignored;
    fs::remove(scratch, ignored);
    if (status != 0 || midi.empty() || log.find("Error") != std::string::npos ||
        log.find("Warning") != std::string::npos)
        Fail(tune.path + ": abc2midi: " + log);
    return midi;
}

uint32_t BigEndian(const std::string& bytes, size_t at, int count)
{
    if (at + size_t(count) > bytes.size())
        Fail("a MIDI file ends early");
    uint32_t value = 0;
    for (int i = 0; i < count; ++i)
        value = value << 8 | uint8_t(bytes[at + size_t(i)]);
    return value;
}

// The tune's length in seconds: up to the bar line after its last note (abc2midi ends its tracks a
// few ticks late), timed by the tempo changes on the way.
double MidiSeconds(const std::string& midi, const std::string& where)
{
    if (midi.compare(0, 4, "MThd") != 0)
        Fail(where + ": abc2midi wrote no MIDI file");
    const int tracks = int(BigEndian(midi, 10, 2)), ppq = int(BigEndian(midi, 12, 2));
    std::vector<std::pair<uint32_t, uint32_t>> tempos; // tick, microseconds a quarter
    uint32_t last = 0, barTicks = uint32_t(4 * ppq);
    size_t at = 8 + BigEndian(midi, 4, 4);
    for (int t = 0; t < tracks; ++t) {
        const size_t end = at + 8 + BigEndian(midi, at + 4, 4);
        at += 8;
        uint32_t tick = 0;
        uint8_t status = 0;
        auto number = [&] {
            uint32_t value = 0;
            uint8_t byte;
            do {
                byte = uint8_t(BigEndian(midi, at++, 1));
                value = value << 7 | (byte & 0x7F);
            } while (byte & 0x80);
            return value;
        };
        while (at < end) {
            tick += number();
            if (uint8_t(midi[at]) & 0x80)
                status = uint8_t(midi[at++]);
            if (status == 0xFF) {
                const uint8_t type = uint8_t(BigEndian(midi, at++, 1));
                const uint32_t length = number();
                if (type == 0x51)
                    tempos.push_back({tick, BigEndian(midi, at, 3)});
                if (type == 0x58)
                    barTicks = uint32_t(BigEndian(midi, at, 1) * 4 * ppq >> BigEndian(midi, at + 1, 1));
                at += length;
            } else if (status == 0xF0 || status == 0xF7) {
                at += number();
            } else {
                at += (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2;
                last = std::max(last, tick);
            }
        }
        at = end;
    }
    last = (last + barTicks - 1) / barTicks * barTicks;
    std::stable_sort(tempos.begin(), tempos.end());
    double seconds = 0;
    uint32_t from = 0, perQuarter = 500000;
    for (const auto& [tick, value] : tempos) {
        if (tick >= last)
            break;
        seconds += double(tick - from) * perQuarter / ppq / 1e6;
        from = tick;
        perQuarter = value;
    }
    return seconds + double(last - from) * perQuarter / ppq / 1e6;
}

// Plays the MIDI file; the tail past the loop's end is added back onto its start.
std::vector<float> Render(const Tune& tune, const std::string& midi, size_t loop)
{
    GmSynth synth(tune.path, true, 0.4);
    fluid_player_t* player = new_fluid_player(synth.Get());
    fluid_player_add_mem(player, midi.data(), midi.size());
    fluid_player_play(player);
    std::vector<float> left, right;
    synth.Write(loop + size_t(kTailSeconds * kAudioRate), left, right);
    delete_fluid_player(player);
    std::vector<float> out(loop * 2);
    for (size_t i = 0; i < left.size(); ++i) {
        out[2 * (i % loop)] += left[i];
        out[2 * (i % loop) + 1] += right[i];
    }
    return out;
}

// A second-order Butterworth high-pass run round the loop twice, so the filter's state at the start
// is the one it has at the end and the loop stays seamless.
void RemoveDc(std::vector<float>& samples)
{
    const double w = 2 * M_PI * kHighPassHz / kAudioRate, alpha = std::sin(w) / std::sqrt(2.0), c = std::cos(w);
    const double a0 = 1 + alpha, b0 = (1 + c) / 2 / a0, b1 = -(1 + c) / a0, a1 = -2 * c / a0, a2 = (1 - alpha) / a0;
    const size_t frames = samples.size() / 2;
    for (size_t ch = 0; ch < 2; ++ch) {
        double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
        for (int pass = 0; pass < 2; ++pass) {
            for (size_t i = 0; i < frames; ++i) {
                const double x = samples[2 * i + ch];
                const double y = b0 * x + b1 * x1 + b0 * x2 - a1 * y1 - a2 * y2;
                x2 = x1, x1 = x, y2 = y1, y1 = y;
                if (pass == 1)
                    samples[2 * i + ch] = float(y);
            }
        }
    }
}

// Narrows the side signal just enough that left and right correlate by kLeastCorrelation.
void KeepMonoSafe(std::vector<float>& samples)
{
    double mid = 0, side = 0;
    for (size_t i = 0; i + 1 < samples.size(); i += 2) {
        const double m = (samples[i] + samples[i + 1]) / 2, s = (samples[i] - samples[i + 1]) / 2;
        mid += m * m;
        side += s * s;
    }
    // With mid and side unrelated, the correlation is (M - w^2 S) / (M + w^2 S).
    const double c = kLeastCorrelation;
    if (side <= 0 || (mid - side) / (mid + side) >= c)
        return;
    const double width = std::sqrt(mid * (1 - c) / (side * (1 + c)));
    for (size_t i = 0; i + 1 < samples.size(); i += 2) {
        const double m = (samples[i] + samples[i + 1]) / 2, s = (samples[i] - samples[i + 1]) / 2 * width;
        samples[i] = float(m + s);
        samples[i + 1] = float(m - s);
    }
}

void NormaliseLoudness(std::vector<float>& samples, const std::string& where)
{
    const double loudness = IntegratedLoudness(samples, 2, kAudioRate);
    if (!std::isfinite(loudness))
        Fail(where + ": the track is silent");
    const float gain = float(std::pow(10.0, (kMusicLoudness - loudness) / 20));
    float peak = 0;
    for (float& s : samples) {
        s *= gain;
        peak = std::max(peak, std::fabs(s));
    }
    if (peak > 0.8f)
        Fail(where + ": at the target loudness the track peaks at " + std::to_string(20 * std::log10(peak)) +
             " dBFS; quieten its loudest part");
}

std::vector<Tune> ReadTunes(const Options& options)
{
    std::vector<Tune> tunes;
    for (const std::string& file : ListFiles(options.src + "/music", ".abc")) {
        Tune tune;
        tune.name = file.substr(0, file.size() - 4);
        tune.path = options.src + "/music/" + file;
        tune.text = ReadFile(tune.path);
        tunes.push_back(std::move(tune));
    }
    return tunes;
}

} // namespace

std::vector<std::string> MakeMusic(const Options& options, bool make)
{
    std::vector<Tune> tunes = ReadTunes(options);
    std::vector<std::string> files;
    for (const Tune& t : tunes)
        files.push_back("music/" + t.name + ".ogg");
    if (!make || tunes.empty())
        return files;
    Cache cache(options.cache);
    const std::string tools = std::to_string(kMusicVersion) + "\n" + AbcVersion() + SynthIdentity() + "\n";
    ParallelFor(int(tunes.size()), options.jobs, [&](int i) {
        const Tune& tune = tunes[size_t(i)];
        const std::string key = HexOf(Hash64(tools + tune.text));
        const std::string out = options.out + "/" + files[size_t(i)];
        if (cache.Fresh("music/" + tune.name, key, {out}))
            return;
        const std::string midi = CompileAbc(tune);
        if (!options.cache.empty())
            WriteFile(options.cache + "/music/" + tune.name + ".mid", midi);
        const double seconds = MidiSeconds(midi, tune.path);
        if (seconds < 60 || seconds > 120)
            Fail(tune.path + ": the tune lasts " + std::to_string(seconds) + " s, not 60 to 120 s");
        std::vector<float> samples = Render(tune, midi, size_t(std::llround(seconds * kAudioRate)));
        RemoveDc(samples);
        KeepMonoSafe(samples);
        NormaliseLoudness(samples, tune.path);
        WriteFile(out, EncodeOggVorbis(samples, 2, kAudioRate, 0.25f, int(Hash64(tune.name) & 0x7FFFFFFF)));
        Made("music/" + tune.name);
        cache.Store("music/" + tune.name, key);
    });
    return files;
}

} // namespace datagen
