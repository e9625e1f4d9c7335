// The levels of the generated sound: music tracks free of DC, at one loudness, safe in mono and
// looping without a click; effects at the loudness of their class; oscillators that do not alias.
#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "Assets.h"
#include "Levels.h"
#include "support/TempDir.h"

namespace
{

struct Audio {
    int channels = 0, rate = 0;
    std::vector<float> samples; // interleaved
};

Audio ReadOgg(const std::string& path)
{
    Audio audio;
    OggVorbis_File file;
    if (ov_fopen(path.c_str(), &file) != 0) {
        ADD_FAILURE() << "cannot decode " << path;
        return audio;
    }
    audio.channels = ov_info(&file, -1)->channels;
    audio.rate = int(ov_info(&file, -1)->rate);
    float** pcm = nullptr;
    int section = 0;
    long frames;
    while ((frames = ov_read_float(&file, &pcm, 4096, &section)) > 0)
        for (long i = 0; i < frames; ++i)
            for (int c = 0; c < audio.channels; ++c)
                audio.samples.push_back(pcm[c][i]);
    ov_clear(&file);
    return audio;
}

float Peak(const std::vector<float>& samples)
{
    float peak = 0;
    for (float s : samples)
        peak = std::max(peak, std::fabs(s));
    return peak;
}

// -1 dBFS.
constexpr float kLoudest = 0.891f;

std::string DataSet()
{
    return testsupport::BinaryDir() + "/bin/";
}

TEST(MusicLevels, NoDcOneLoudnessMonoSafeAndSeamlessLoops)
{
    const char* const kTracks[] = {"mainmenu", "music1day", "music1night", "music2day", "music2night", "bonus"};
    for (const char* name : kTracks) {
        SCOPED_TRACE(name);
        const Audio track = ReadOgg(DataSet() + "music/" + name + ".ogg");
        ASSERT_EQ(track.channels, 2);
        const size_t frames = track.samples.size() / 2;
        ASSERT_GT(frames, size_t(60 * track.rate));
        for (int c = 0; c < 2; ++c) {
            double sum = 0;
            for (size_t i = 0; i < frames; ++i)
                sum += track.samples[2 * i + size_t(c)];
            EXPECT_LT(std::fabs(sum / double(frames)), 0.002) << "channel " << c;
        }
        EXPECT_NEAR(datagen::IntegratedLoudness(track.samples, 2, track.rate), datagen::kMusicLoudness, 1.0);
        EXPECT_GE(datagen::StereoCorrelation(track.samples), 0.0) << "cancels when summed to mono";
        EXPECT_LT(Peak(track.samples), kLoudest);
        // The step from the last frame back to the first is of the size the music steps by near
        // the seam, not a click standing out of it.
        const size_t near = 4096;
        for (size_t c = 0; c < 2; ++c) {
            double steps = 0;
            for (size_t i = 1; i < near; ++i) {
                steps += std::fabs(track.samples[2 * i + c] - track.samples[2 * (i - 1) + c]);
                steps += std::fabs(track.samples[2 * (frames - i) + c] - track.samples[2 * (frames - i - 1) + c]);
            }
            const double typical = steps / double(2 * (near - 1));
            EXPECT_LE(std::fabs(track.samples[c] - track.samples[2 * (frames - 1) + c]), 4 * typical + 1e-4)
                << "channel " << c;
        }
    }
}

TEST(EffectLevels, EveryEffectAtTheLoudnessOfItsClass)
{
    datagen::Options options;
    options.src = testsupport::SourceDir() + "/data";
    const std::vector<datagen::ManifestEntry> effects = datagen::MakeSounds(options, false);
    ASSERT_EQ(effects.size(), 36u);
    for (const datagen::ManifestEntry& e : effects) {
        SCOPED_TRACE(e.id);
        const double target = datagen::EffectLoudness(e.soundClass);
        ASSERT_FALSE(std::isnan(target)) << "class " << e.soundClass;
        const Audio sound = ReadOgg(DataSet() + e.file);
        ASSERT_EQ(sound.channels, 1);
        EXPECT_NEAR(datagen::ActiveLoudness(sound.samples, sound.rate), target, 2.0);
        EXPECT_LT(Peak(sound.samples), kLoudest);
    }
}

TEST(EffectLevels, ClassesAreOrderedAndUnknownOnesRefused)
{
    EXPECT_LT(datagen::EffectLoudness("interface"), datagen::EffectLoudness("game"));
    EXPECT_LT(datagen::EffectLoudness("game"), datagen::EffectLoudness("fanfare"));
    EXPECT_TRUE(std::isnan(datagen::EffectLoudness("Game")));
}

TEST(Levels, ActiveLoudnessIgnoresSilenceAroundTheSound)
{
    const int rate = 44100;
    std::vector<float> tone(size_t(rate / 10));
    for (size_t i = 0; i < tone.size(); ++i)
        tone[i] = float(0.1 * std::sin(2 * M_PI * 1000 * double(i) / rate));
    std::vector<float> padded(size_t(rate), 0.0f);
    std::copy(tone.begin(), tone.end(), padded.begin() + rate / 3);
    const double alone = datagen::ActiveLoudness(tone, rate);
    // A full-scale 1 kHz sine reads -3.01 LUFS.
    EXPECT_NEAR(alone, 20 * std::log10(0.1) - 3.01, 0.2);
    EXPECT_NEAR(datagen::ActiveLoudness(padded, rate), alone, 0.2);
    EXPECT_TRUE(std::isinf(datagen::ActiveLoudness(std::vector<float>(100, 0.0f), rate)));
}

// The magnitude of one frequency in the samples, Hann-windowed (Goertzel).
double Magnitude(const std::vector<float>& samples, double frequency, int rate)
{
    const double w = 2 * M_PI * frequency / rate, k = 2 * std::cos(w);
    double s1 = 0, s2 = 0;
    const size_t n = samples.size();
    for (size_t i = 0; i < n; ++i) {
        const double window = 0.5 - 0.5 * std::cos(2 * M_PI * double(i) / double(n - 1));
        const double s = samples[i] * window + k * s1 - s2;
        s2 = s1;
        s1 = s;
    }
    return std::sqrt(s1 * s1 + s2 * s2 - k * s1 * s2);
}

TEST(EffectLevels, SquareAndSawDoNotFoldTheirHarmonicsBack)
{
    // A 2960 Hz square's 13th harmonic (38480 Hz) would fold to 5620 Hz and the saw's 8th
    // (23680 Hz) to 20420 Hz: a naive oscillator leaves them about 22 and 18 dB under the
    // fundamental.
    struct Case {
        const char* wave;
        double alias;
    } const kCases[] = {{"square", 44100 - 13 * 2960.0}, {"saw", 44100 - 8 * 2960.0}};
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.wave);
        testsupport::TempDir dir;
        std::filesystem::create_directories(dir.File("src/sounds"));
        dir.WriteFile("src/sounds/sounds.txt", std::string("sound G SOUND_T t class=game\n  tone wave=") + c.wave +
                                                   " f=2960 dur=0.5 a=0.01 d=0.01 s=1 r=0.01 amp=0.5\n");
        datagen::Options options;
        options.src = dir.File("src");
        options.out = dir.File("out");
        options.jobs = 1;
        datagen::MakeSounds(options, true);
        Audio sound = ReadOgg(dir.File("out/sounds/t.ogg"));
        ASSERT_GT(sound.samples.size(), size_t(sound.rate / 4));
        const std::vector<float> middle(sound.samples.begin() + sound.rate / 20, sound.samples.end() - sound.rate / 20);
        const double fundamental = Magnitude(middle, 2960, sound.rate);
        EXPECT_LT(20 * std::log10(Magnitude(middle, c.alias, sound.rate) / fundamental), -40.0);
    }
}

} // namespace
