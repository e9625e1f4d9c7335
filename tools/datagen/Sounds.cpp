// Sound effects from a small synthesiser: band-limited tones, filtered noise, bubbling drops and
// notes of the General MIDI soundfont, mixed, given an echo and brought to the loudness of their
// class (interface, game or fanfare), with a limiter keeping the peaks under -1 dBFS.
#include <fluidsynth.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "Assets.h"
#include "Levels.h"
#include "Ogg.h"
#include "Synth.h"

namespace datagen
{

namespace
{

constexpr int kSoundsVersion = 4;
constexpr int kRate = kAudioRate;
// Peaks stay at about -1.5 dBFS, so Vorbis's overshoot stays under -1 dBFS.
constexpr double kCeiling = 0.84;

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
    double Uniform() { return (Next() + 1) / 2; }

private:
    uint32_t mState;
};

struct Sound {
    RecipeLine head;
    std::vector<RecipeLine> voices;
};

std::string Where(const RecipeLine& line)
{
    return line.file + ":" + std::to_string(line.line);
}

std::vector<double> Numbers(const RecipeLine& line, const std::string& key, double fallback)
{
    std::vector<double> values;
    const std::string text = line.Get(key);
    if (text.empty())
        return {fallback};
    size_t at = 0;
    while (at <= text.size()) {
        const size_t comma = std::min(text.find(',', at), text.size());
        char* end = nullptr;
        const std::string item = text.substr(at, comma - at);
        values.push_back(std::strtod(item.c_str(), &end));
        if (item.empty() || *end)
            Fail(Where(line) + ": " + key + " is not a list of numbers");
        at = comma + 1;
    }
    return values;
}

// A value along evenly spaced points over u in 0..1, moving in equal ratios (pitch and cutoff
// sweeps sound even that way).
double Along(const std::vector<double>& points, double u)
{
    if (points.size() == 1)
        return points[0];
    const double x = std::clamp(u, 0.0, 1.0) * double(points.size() - 1);
    const size_t i = std::min(size_t(x), points.size() - 2);
    return points[i] * std::pow(points[i + 1] / points[i], x - double(i));
}

double Envelope(const RecipeLine& v, double t, double length)
{
    const double a = v.Number("a", 0.005), d = v.Number("d", 0.05), s = v.Number("s", 0.7), r = v.Number("r", 0.05);
    double level;
    if (t < a)
        level = t / a;
    else if (t < a + d)
        level = 1.0 - (1.0 - s) * (t - a) / d;
    else
        level = s;
    if (t > length - r)
        level *= std::max(0.0, (length - t) / r);
    return level;
}

// The correction PolyBLEP adds near a step of the naive wave, so the step has no partials past
// the Nyquist frequency to fold back.
double Blep(double t, double dt)
{
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1;
    }
    if (t > 1 - dt) {
        t = (t - 1) / dt;
        return t * t + t + t + 1;
    }
    return 0;
}

// A band-limited oscillator; the triangle is the square integrated, with a little leak.
class Oscillator
{
public:
    explicit Oscillator(const std::string& shape, const std::string& where) : mShape(shape)
    {
        if (shape != "sine" && shape != "square" && shape != "saw" && shape != "tri")
            Fail(where + ": unknown wave " + shape);
    }
    double Next(double frequency)
    {
        const double dt = std::min(0.45, frequency / kRate);
        double out;
        if (mShape == "sine") {
            out = std::sin(2 * M_PI * mPhase);
        } else if (mShape == "saw") {
            out = 2 * mPhase - 1 - Blep(mPhase, dt);
        } else {
            double square = (mPhase < 0.5 ? 1 : -1) + Blep(mPhase, dt) - Blep(std::fmod(mPhase + 0.5, 1.0), dt);
            if (mShape == "square")
                out = square * 0.8;
            else
                out = mTriangle = 0.999 * mTriangle + 4 * dt * square;
        }
        mPhase += dt;
        mPhase -= std::floor(mPhase);
        return out;
    }

private:
    std::string mShape;
    double mPhase = 0, mTriangle = -1;
};

// A state-variable filter (trapezoidal form): low, band and high pass at once, stable while the
// cutoff moves.
class Filter
{
public:
    struct Outputs {
        double low, band, high;
    };
    Outputs Next(double x, double cutoff, double q)
    {
        const double g = std::tan(M_PI * std::min(cutoff, 0.45 * kRate) / kRate), k = 1 / q;
        const double high = (x - (k + g) * mS1 - mS2) / (1 + k * g + g * g);
        const double band = g * high + mS1;
        const double low = g * band + mS2;
        mS1 = 2 * band - mS1;
        mS2 = 2 * low - mS2;
        return {low, band, high};
    }

private:
    double mS1 = 0, mS2 = 0;
};

// The voice's filters in a row: low pass (lp, swept through its points), band pass (bp) and high
// pass (hp), each only when named.
class FilterChain
{
public:
    explicit FilterChain(const RecipeLine& v)
        : mLow(Numbers(v, "lp", 0)), mBand(Numbers(v, "bp", 0)), mHigh(Numbers(v, "hp", 0)), mQ(v.Number("q", 0.8))
    {
    }
    double Next(double x, double u)
    {
        if (mLow[0] > 0)
            x = mLowFilter.Next(x, Along(mLow, u), 0.707).low;
        if (mBand[0] > 0)
            x = mBandFilter.Next(x, Along(mBand, u), mQ).band;
        if (mHigh[0] > 0)
            x = mHighFilter.Next(x, Along(mHigh, u), 0.707).high;
        return x;
    }

private:
    std::vector<double> mLow, mBand, mHigh;
    double mQ;
    Filter mLowFilter, mBandFilter, mHighFilter;
};

std::vector<double>& Reach(std::vector<double>& mix, size_t end)
{
    if (mix.size() < end)
        mix.resize(end, 0.0);
    return mix;
}

// A tone whose pitch follows the points of f=, with vibrato, a little added octave and twelfth
// (harm=) and the filters; or noise through the filters.
void RenderToneOrNoise(const RecipeLine& v, std::vector<double>& mix, uint32_t seed)
{
    const bool noisy = v.Word(0) == "noise";
    const double start = v.Number("start", 0), length = v.Number("dur", 0.2), amp = v.Number("amp", 0.5);
    const std::vector<double> pitch = Numbers(v, "f", 440);
    const double vibRate = v.Number("vib", 0), vibDepth = v.Number("vibdepth", 0), harmonics = v.Number("harm", 0);
    Oscillator tone(noisy ? "sine" : v.Get("wave", "sine"), Where(v));
    Oscillator octave("sine", Where(v)), twelfth("sine", Where(v));
    FilterChain filters(v);
    Noise noise(seed);
    const size_t first = size_t(start * kRate), count = size_t(length * kRate);
    Reach(mix, first + count);
    for (size_t i = 0; i < count; ++i) {
        const double t = double(i) / kRate, u = t / length;
        double x;
        if (noisy) {
            x = noise.Next();
        } else {
            double f = Along(pitch, u);
            if (vibRate > 0)
                f *= 1 + vibDepth * std::sin(2 * M_PI * vibRate * t);
            x = tone.Next(f);
            if (harmonics > 0)
                x = (x + harmonics * octave.Next(2 * f) + harmonics * 0.5 * twelfth.Next(3 * f)) /
                    (1 + 1.5 * harmonics);
        }
        mix[first + i] += amp * Envelope(v, t, length) * filters.Next(x, u);
    }
}

// Bubbles: count= short sine chirps at random moments over dur, each rising from a pitch between
// f and f2 by rise= (as a bubble's ring rises while it closes), dying away in decay= seconds.
void RenderDrops(const RecipeLine& v, std::vector<double>& mix, uint32_t seed)
{
    Noise dice(seed);
    const double start = v.Number("start", 0), length = v.Number("dur", 0.5), amp = v.Number("amp", 0.3);
    const double low = v.Number("f", 600), high = v.Number("f2", 2000), rise = v.Number("rise", 1.6);
    const double decay = v.Number("decay", 0.03);
    const int count = v.Int("count", 8);
    for (int n = 0; n < count; ++n) {
        // Earlier drops come thicker and louder: the spray falls back first.
        const double at = start + length * std::pow(dice.Uniform(), 1.6);
        const double f0 = low * std::pow(high / low, dice.Uniform()), level = amp * (0.4 + 0.6 * dice.Uniform());
        const size_t first = size_t(at * kRate), count = size_t(decay * 6 * kRate);
        Reach(mix, first + count);
        double phase = 0;
        for (size_t i = 0; i < count; ++i) {
            const double t = double(i) / kRate;
            phase += f0 * (1 + (rise - 1) * t / (decay * 6)) / kRate;
            const double attack = std::min(1.0, t / 0.001);
            mix[first + i] += level * attack * std::exp(-t / decay) * std::sin(2 * M_PI * phase);
        }
    }
}

// Soundfont notes, all of a sound's note lines on one synthesiser: prog= (or drum=1 for the
// percussion channel), keys= struck strum= seconds apart, vel=, start=, dur=; ring= seconds of
// ringing kept past the last release.
void RenderNotes(const Sound& sound, std::vector<double>& mix)
{
    struct Event {
        double time;
        int order, channel, key, velocity;
    };
    std::vector<Event> events;
    std::vector<std::pair<int, int>> programs; // channel, programme
    double end = 0, ring = 0;
    int nextChannel = 0;
    for (const RecipeLine& v : sound.voices) {
        if (v.Word(0) != "note")
            continue;
        const bool drum = v.Int("drum", 0) != 0;
        const int channel = drum ? 9 : nextChannel++;
        if (nextChannel > 9)
            Fail(Where(v) + ": more than nine note lines");
        if (!drum)
            programs.push_back({channel, v.Int("prog", 0)});
        const double start = v.Number("start", 0), length = v.Number("dur", 0.3), strum = v.Number("strum", 0);
        const std::vector<double> keys = Numbers(v, "keys", 60);
        for (size_t k = 0; k < keys.size(); ++k) {
            const double on = start + strum * double(k);
            const int velocity = std::clamp(v.Int("vel", 100), 1, 127);
            events.push_back({on, 1, channel, int(keys[k]), velocity});
            events.push_back({start + length, 0, channel, int(keys[k]), 0});
            end = std::max(end, start + length);
        }
        ring = std::max(ring, v.Number("ring", 0.6));
    }
    if (events.empty())
        return;
    std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
        return a.time != b.time ? a.time < b.time : a.order < b.order;
    });
    GmSynth synth(Where(sound.head), false, 0.5);
    for (const auto& [channel, program] : programs)
        fluid_synth_program_change(synth.Get(), channel, program);
    std::vector<float> left, right;
    for (const Event& e : events) {
        const size_t at = size_t(std::llround(e.time * kRate));
        if (at > left.size())
            synth.Write(at - left.size(), left, right);
        if (e.velocity)
            fluid_synth_noteon(synth.Get(), e.channel, e.key, e.velocity);
        else
            fluid_synth_noteoff(synth.Get(), e.channel, e.key);
    }
    synth.Write(size_t((end + ring) * kRate) - left.size(), left, right);
    Reach(mix, left.size());
    for (size_t i = 0; i < left.size(); ++i)
        mix[i] += 2.0 * (left[i] + right[i]);
}

// Holds every sample under the ceiling: the gain drops 2 ms ahead of a peak and recovers over
// about 60 ms.
void Limit(std::vector<double>& mix)
{
    std::vector<double> gain(mix.size(), 1.0);
    for (size_t i = 0; i < mix.size(); ++i)
        if (std::fabs(mix[i]) > kCeiling)
            gain[i] = kCeiling / std::fabs(mix[i]);
    const size_t ahead = size_t(0.002 * kRate);
    std::vector<double> held(gain);
    for (size_t i = 0; i < gain.size(); ++i)
        for (size_t j = i + 1; j <= i + ahead && j < gain.size(); ++j)
            held[i] = std::min(held[i], gain[j]);
    const double recover = 1 - std::exp(-1.0 / (0.06 * kRate));
    double g = 1;
    for (size_t i = 0; i < mix.size(); ++i) {
        g = std::min(held[i], g + (1 - g) * recover);
        mix[i] *= g;
    }
}

// Loudness to the class's target, peaks limited, the trailing quiet cut and both ends at rest.
std::vector<float> Finish(const Sound& sound, std::vector<double> mix)
{
    const std::string where = Where(sound.head);
    const double target = EffectLoudness(sound.head.Get("class"));
    if (std::isnan(target))
        Fail(where + ": class= must be interface, game or fanfare");
    double peak = 0;
    for (double s : mix)
        peak = std::max(peak, std::fabs(s));
    if (peak <= 0)
        Fail(where + ": the sound is silent");
    size_t end = mix.size();
    while (end > 1 && std::fabs(mix[end - 1]) < peak * 1e-3)
        --end;
    mix.resize(std::max<size_t>(end, kRate / 50), 0.0);
    // A short fade at both ends keeps the first and last sample at rest: no click.
    const size_t fade = std::min<size_t>(kRate / 200, mix.size() / 4);
    for (size_t i = 0; i < fade; ++i) {
        mix[i] *= double(i) / double(fade);
        mix[mix.size() - 1 - i] *= double(i) / double(fade);
    }
    // Limiting lowers the loudness a little; a second measure puts it back.
    for (int round = 0; round < 3; ++round) {
        const std::vector<float> probe(mix.begin(), mix.end());
        const double loudness = ActiveLoudness(probe, kRate);
        if (!std::isfinite(loudness))
            Fail(where + ": the sound is too short to measure");
        const double gain = std::pow(10.0, (target - loudness) / 20);
        for (double& s : mix)
            s *= gain;
        Limit(mix);
    }
    return std::vector<float>(mix.begin(), mix.end());
}

std::vector<float> RenderSound(const Sound& sound)
{
    std::vector<double> mix;
    uint32_t seed = uint32_t(Hash64(sound.head.Word(2)));
    RenderNotes(sound, mix);
    for (const RecipeLine& v : sound.voices) {
        const std::string& kind = v.Word(0);
        if (kind == "tone" || kind == "noise")
            RenderToneOrNoise(v, mix, seed++);
        else if (kind == "drops")
            RenderDrops(v, mix, seed++);
    }
    const double echo = sound.head.Number("echo", 0), feedback = sound.head.Number("feedback", 0.35);
    if (echo > 0) {
        const size_t delay = size_t(echo * kRate);
        mix.resize(mix.size() + delay * 4, 0.0);
        // The repeats darken a little each time, as an echo off a wall does.
        double low = 0;
        for (size_t i = delay; i < mix.size(); ++i) {
            low += 0.5 * (mix[i - delay] - low);
            mix[i] += feedback * low;
        }
    }
    return Finish(sound, std::move(mix));
}

std::vector<Sound> ReadSounds(const Options& options)
{
    std::vector<Sound> sounds;
    for (const RecipeLine& line : ReadRecipe(options.src + "/sounds/sounds.txt")) {
        const std::string& kind = line.Word(0);
        if (kind == "sound") {
            sounds.push_back({line, {}});
        } else if (kind == "tone" || kind == "noise" || kind == "drops" || kind == "note") {
            if (sounds.empty())
                Fail(Where(line) + ": a voice before any sound");
            sounds.back().voices.push_back(line);
        } else {
            Fail(Where(line) + ": unknown kind " + kind);
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
        const std::string tools = std::to_string(kSoundsVersion) + "\n" + SynthIdentity() + "\n";
        ParallelFor(int(sounds.size()), options.jobs, [&](int i) {
            const Sound& s = sounds[size_t(i)];
            std::string text = tools + s.head.text;
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
        e.soundClass = s.head.Get("class");
        entries.push_back(e);
    }
    return entries;
}

} // namespace datagen
