// Sound effects from a small synthesiser: tones and noise with envelopes, pitch sweeps, vibrato,
// filters and an echo, mixed and brought to one peak level.
#include <algorithm>
#include <cmath>
#include <map>

#include "Assets.h"
#include "Ogg.h"

namespace datagen
{

namespace
{

constexpr int kSoundsVersion = 2;
constexpr int kRate = 44100;
// Every effect peaks here (about -3 dBFS), safely below -1 dBFS after Vorbis.
constexpr double kPeak = 0.7;

// A deterministic noise source of our own, so the same recipe gives the same samples anywhere.
class Noise
{
public:
    explicit Noise(uint32_t seed) : mState(seed ? seed : 1) {}
    double Next()
    {
        mState ^= mState << 13;
        mState ^= mState >> 17;
        mState ^= mState << 5;
        return double(mState) / 2147483648.0 - 1.0;
    }

private:
    uint32_t mState;
};

struct Sound {
    RecipeLine head;
    std::vector<RecipeLine> voices;
};

double Envelope(const RecipeLine& v, double t, double length)
{
    double a = v.Number("a", 0.005), d = v.Number("d", 0.05), s = v.Number("s", 0.7), r = v.Number("r", 0.05);
    double level;
    if (t < a)
        level = t / a;
    else if (t < a + d)
        level = 1.0 - (1.0 - s) * (t - a) / d;
    else
        level = s;
    double releaseStart = length - r;
    if (t > releaseStart)
        level *= std::max(0.0, (length - t) / r);
    return level;
}

double Wave(const std::string& shape, double phase, Noise& noise)
{
    double p = phase - std::floor(phase);
    if (shape == "sine")
        return std::sin(2 * M_PI * p);
    if (shape == "square")
        return p < 0.5 ? 0.8 : -0.8;
    if (shape == "saw")
        return 2 * p - 1;
    if (shape == "tri")
        return p < 0.5 ? 4 * p - 1 : 3 - 4 * p;
    if (shape == "noise")
        return noise.Next();
    Fail("unknown wave " + shape);
}

// One voice into the mix: a tone (with sweep and vibrato) or noise, through a one-pole low pass
// whose cutoff may sweep, and an optional high pass.
void RenderVoice(const RecipeLine& v, std::vector<double>& mix, uint32_t seed)
{
    const std::string kind = v.Word(0);
    const double start = v.Number("start", 0), length = v.Number("dur", 0.2);
    const double f0 = v.Number("f", 440), f1 = v.Number("f2", f0);
    const double amp = v.Number("amp", 0.5);
    const double vibRate = v.Number("vib", 0), vibDepth = v.Number("vibdepth", 0);
    const double lp0 = v.Number("lp", 0), lp1 = v.Number("lp2", lp0), hp = v.Number("hp", 0);
    const std::string wave = kind == "noise" ? "noise" : v.Get("wave", "sine");
    const double harmonics = v.Number("harm", 0);
    Noise noise(seed);
    double phase = 0, low = 0, highIn = 0, highOut = 0;
    const size_t first = size_t(start * kRate), count = size_t(length * kRate);
    if (mix.size() < first + count)
        mix.resize(first + count, 0.0);
    for (size_t i = 0; i < count; ++i) {
        double t = double(i) / kRate, u = t / length;
        // Exponential sweep: equal musical steps over the length.
        double f = f0 * std::pow(f1 / f0, u);
        if (vibRate > 0)
            f *= 1 + vibDepth * std::sin(2 * M_PI * vibRate * t);
        phase += f / kRate;
        double x = Wave(wave, phase, noise);
        if (harmonics > 0)
            x = (x + harmonics * std::sin(4 * M_PI * phase) + harmonics * 0.5 * std::sin(6 * M_PI * phase)) /
                (1 + 1.5 * harmonics);
        if (lp0 > 0) {
            double cut = lp0 * std::pow(lp1 / lp0, u);
            double k = 1 - std::exp(-2 * M_PI * cut / kRate);
            low += k * (x - low);
            x = low;
        }
        if (hp > 0) {
            double k = 1 / (1 + 2 * M_PI * hp / kRate);
            highOut = k * (highOut + x - highIn);
            highIn = x;
            x = highOut;
        }
        mix[first + i] += amp * Envelope(v, t, length) * x;
    }
}

std::vector<float> RenderSound(const Sound& sound)
{
    std::vector<double> mix;
    uint32_t seed = uint32_t(Hash64(sound.head.Word(2)));
    for (const RecipeLine& v : sound.voices)
        RenderVoice(v, mix, seed++);
    double echo = sound.head.Number("echo", 0), feedback = sound.head.Number("feedback", 0.35);
    if (echo > 0) {
        size_t delay = size_t(echo * kRate);
        mix.resize(mix.size() + delay * 4, 0.0);
        for (size_t i = delay; i < mix.size(); ++i)
            mix[i] += feedback * mix[i - delay];
    }
    double peak = 0;
    for (double s : mix)
        peak = std::max(peak, std::fabs(s));
    if (peak <= 0)
        Fail(sound.head.file + ":" + std::to_string(sound.head.line) + ": the sound is silent");
    double gain = kPeak * sound.head.Number("level", 1.0) / peak;
    std::vector<float> out(mix.size());
    // A short fade at both ends keeps the first and last sample at rest: no click.
    const size_t fade = std::min<size_t>(kRate / 200, mix.size() / 4);
    for (size_t i = 0; i < mix.size(); ++i) {
        double g = gain;
        if (i < fade)
            g *= double(i) / fade;
        if (mix.size() - 1 - i < fade)
            g *= double(mix.size() - 1 - i) / fade;
        out[i] = float(mix[i] * g);
    }
    return out;
}

std::vector<Sound> ReadSounds(const Options& options)
{
    std::vector<Sound> sounds;
    for (const RecipeLine& line : ReadRecipe(options.src + "/sounds/sounds.txt")) {
        const std::string& kind = line.Word(0);
        if (kind == "sound") {
            sounds.push_back({line, {}});
        } else if (kind == "tone" || kind == "noise") {
            if (sounds.empty())
                Fail(line.file + ":" + std::to_string(line.line) + ": a voice before any sound");
            sounds.back().voices.push_back(line);
        } else {
            Fail(line.file + ":" + std::to_string(line.line) + ": unknown kind " + kind);
        }
    }
    return sounds;
}

} // namespace

std::vector<ManifestEntry> MakeSounds(const Options& options, bool make)
{
    std::vector<Sound> sounds = ReadSounds(options);
    if (make) {
        Cache cache(options.cache);
        ParallelFor(int(sounds.size()), options.jobs, [&](int i) {
            const Sound& s = sounds[size_t(i)];
            std::string text = std::to_string(kSoundsVersion) + s.head.text;
            for (const RecipeLine& v : s.voices)
                text += "\n" + v.text;
            std::string key = HexOf(Hash64(text));
            std::string file = s.head.Word(3);
            std::string out = options.out + "/sounds/" + file + ".ogg";
            if (cache.Fresh("sounds/" + file, key, {out}))
                return;
            WriteFile(out, EncodeOggVorbis(RenderSound(s), 1, kRate, 0.4f, int(Hash64(file) & 0x7FFFFFFF)));
            Made("sounds/" + file);
            cache.Store("sounds/" + file, key);
        });
    }
    std::vector<ManifestEntry> entries;
    for (const Sound& s : sounds) {
        ManifestEntry e;
        e.group = s.head.Word(1);
        e.kind = "Sound";
        e.id = s.head.Word(2);
        e.attributes = "path=\"sounds\\" + s.head.Word(3) + "\"";
        if (s.head.Has("volume"))
            e.attributes += " volume=\"" + s.head.Get("volume") + "\"";
        e.file = "sounds/" + s.head.Word(3) + ".ogg";
        entries.push_back(e);
    }
    return entries;
}

} // namespace datagen
