// Music: the fade rules, song registration by extension, playing through the mixer, the silent
// interface, and the FMOD back end's samples and joins.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/AudioDevice.h"
#include "platform/MusicDecoder.h"
#include "platform/MusicEngine.h"
#include "platform/Paths.h"
#include "sound/BassLibrary.h"
#include "sound/BassMusicInterface.h"
#include "sound/FModMusicInterface.h"
#include "sound/FmodLibrary.h"
#include "sound/MusicInfo.h"
#include "sound/SoundFileReader.h"
#include "sound/SoundFixtures.h"
#include "support/TempDir.h"

using namespace Olvarn;
using namespace soundtest;

namespace
{

class MusicTest : public testing::Test
{
protected:
    void SetUp() override
    {
        mOldDir = std::filesystem::current_path();
        std::filesystem::current_path(mData.Path());
        mDevice = ManualDevice();
        // A 2 s stream, loud enough to see through any volume used here.
        mData.WriteFile("music/tune.wav", MakeWav(2, 44100, 16, Samples16(Sine(88200, 2, 44100, 330, 20000))));
        mData.WriteFile("music/song.mod", MakeModule());
        testsupport::SaveFuzzSeed("module", "song.mod", MakeModule());
    }
    void TearDown() override
    {
        std::filesystem::current_path(mOldDir);
        AudioDevice::SetBackend(AudioDevice::Backend::Sdl);
    }
    // Decodes ahead as the feeder would, then mixes.
    std::vector<int16_t> Render(MusicEngine& engine, int frames)
    {
        engine.Pump();
        return mDevice->Render(frames);
    }

    testsupport::TempDir mData;
    std::filesystem::path mOldDir;
    std::shared_ptr<AudioDevice> mDevice;
};

} // namespace

TEST(MusicFade, StepsClampAndReportSilence)
{
    // Fade in at 0.25 from 0 to a maximum of 1: full after 4 updates, the 5th ends the fade.
    MusicInfo in;
    in.mFadeStep = 0.25;
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(StepFade(in));
    EXPECT_DOUBLE_EQ(in.mVolume, 1.0);
    EXPECT_DOUBLE_EQ(in.mFadeStep, 0.25);
    StepFade(in);
    EXPECT_DOUBLE_EQ(in.mVolume, 1.0);
    EXPECT_DOUBLE_EQ(in.mFadeStep, 0.0);

    // Fade out with stop: exactly 0 after 4 updates keeps going; the 5th stops.
    MusicInfo out;
    out.mVolume = 1.0;
    out.mFadeStep = -0.25;
    out.mStopWhenSilent = true;
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(StepFade(out));
    EXPECT_DOUBLE_EQ(out.mVolume, 0.0);
    EXPECT_TRUE(StepFade(out));
    EXPECT_DOUBLE_EQ(out.mFadeStep, 0.0);
}

TEST(MusicInterfaceBase, EverythingIsSilent)
{
    MusicInterface music;
    EXPECT_FALSE(music.LoadMusic(0, "music\\tune.ogg"));
    music.Play(0, 0, false);
    music.FadeIn(0, 0, 0.1, false);
    music.Update();
    EXPECT_FALSE(music.IsPlaying(0));
}

TEST_F(MusicTest, ExtensionsChooseStreamOrModule)
{
    std::filesystem::copy_file("music/tune.wav", "music/TUNE2.WAV");
    std::filesystem::copy_file("music/song.mod", "music/songnoext");
    BassMusicInterface music(nullptr);
    ASSERT_NE(music.GetLibrary(), nullptr);
    struct Case {
        int id;
        const char* file;
        bool stream;
    } cases[] = {{0, "music\\tune.wav", true},
                 {1, "music\\TUNE2.WAV", true},
                 {2, "music\\song.mod", false},
                 {3, "music\\songnoext", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        ASSERT_TRUE(music.LoadMusic(c.id, c.file));
        const MusicInfo* info = music.FindSong(c.id);
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info->mSecondHandle != 0, c.stream);
        EXPECT_EQ(info->mFirstHandle != 0, !c.stream);
        EXPECT_DOUBLE_EQ(info->mVolume, 0.0);
        EXPECT_DOUBLE_EQ(info->mMaxVolume, 1.0);
    }
    EXPECT_FALSE(music.LoadMusic(4, "music\\missing.ogg"));
    EXPECT_FALSE(music.LoadMusic(4, "music\\tune.mod")); // a WAV file is no module
    // An id keeps its first registration.
    uint32_t before = music.FindSong(0)->mSecondHandle;
    EXPECT_TRUE(music.LoadMusic(0, "music\\tune.wav"));
    EXPECT_EQ(music.FindSong(0)->mSecondHandle, before);
}

TEST_F(MusicTest, StreamsPlayPauseResumeAndStop)
{
    BassMusicInterface music(nullptr);
    MusicEngine& engine = music.GetLibrary()->Engine();
    ASSERT_TRUE(music.LoadMusic(0, "music\\tune.wav"));
    EXPECT_EQ(Peak(Render(engine, 1024)), 0);

    music.Play(0, 0, false);
    EXPECT_TRUE(music.IsPlaying(0));
    EXPECT_GT(Peak(Render(engine, 1024)), 15000);

    music.Pause(0);
    EXPECT_FALSE(music.IsPlaying(0));
    EXPECT_EQ(Peak(Render(engine, 1024)), 0);
    music.Resume(0);
    EXPECT_GT(Peak(Render(engine, 1024)), 15000);

    music.SetSongVolume(0, 0.5);
    int half = Peak(Render(engine, 1024));
    EXPECT_NEAR(half, 10000, 600);

    music.SetVolume(100.0); // the game's value: taken as full
    EXPECT_NEAR(Peak(Render(engine, 1024)), 10000, 600);
    music.SetVolume(0.5);
    EXPECT_NEAR(Peak(Render(engine, 1024)), 5000, 400);
    music.SetVolume(1.0);

    music.Stop(0);
    EXPECT_FALSE(music.IsPlaying(0));
    EXPECT_DOUBLE_EQ(music.FindSong(0)->mVolume, 0.0);
    EXPECT_EQ(Peak(Render(engine, 1024)), 0);
}

TEST_F(MusicTest, StreamsLoopOrEnd)
{
    BassMusicInterface music(nullptr);
    MusicEngine& engine = music.GetLibrary()->Engine();
    ASSERT_TRUE(music.LoadMusic(0, "music\\tune.wav"));
    ASSERT_TRUE(music.LoadMusic(1, "music\\tune.wav"));
    music.Play(0, 0, false); // loops
    music.Play(1, 0, true);  // once
    for (int i = 0; i < 30; ++i)
        Render(engine, 4410); // 3 s
    EXPECT_TRUE(music.IsPlaying(0));
    EXPECT_FALSE(music.IsPlaying(1));
}

TEST_F(MusicTest, OggAndMp3StreamAtTheirOwnRate)
{
    // Half a second at 22050 Hz lasts 22050 output frames at 44100 Hz.
    std::string wav = MakeWav(1, 22050, 16, Samples16(Sine(11025, 1, 22050, 440, 20000)));
    std::string ogg = EncodeOgg(wav);
    std::string mp3 = EncodeMp3(wav);
    ASSERT_FALSE(ogg.empty());
    ASSERT_FALSE(mp3.empty()) << "lame is needed to make the MP3 fixture";
    mData.WriteFile("music/short.ogg", ogg);
    mData.WriteFile("music/short.mp3", mp3);
    testsupport::SaveFuzzSeed("music", "short.mp3", std::string(1, '\1') + mp3);
    BassMusicInterface music(nullptr);
    MusicEngine& engine = music.GetLibrary()->Engine();
    for (const char* file : {"music\\short.ogg", "music\\short.mp3"}) {
        SCOPED_TRACE(file);
        ASSERT_TRUE(music.LoadMusic(7, file));
        music.Play(7, 0, true);
        EXPECT_GT(Peak(Render(engine, 8000)), 12000);
        Render(engine, 8000);
        EXPECT_TRUE(music.IsPlaying(7));
        Render(engine, 8000); // 24000 frames in: an MP3 adds some padding
        Render(engine, 8000);
        EXPECT_FALSE(music.IsPlaying(7));
        music.Unload(7);
    }
}

namespace
{

// Every frame a decoder gives until it ends, read in uneven pieces.
std::vector<int16_t> ReadAll(MusicDecoder& decoder)
{
    std::vector<int16_t> all;
    int16_t piece[2 * 1000];
    for (int ask = 333;; ask = ask % 601 + 311) {
        int got = decoder.Read(piece, ask);
        all.insert(all.end(), piece, piece + 2 * got);
        if (got < ask)
            return all;
    }
}

// Distinct samples in both channels, so a skipped or repeated frame shows.
std::vector<int16_t> Ramp(int frames, int channels)
{
    std::vector<int16_t> samples(static_cast<size_t>(frames) * channels);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(static_cast<int>(i % 30000) - 15000);
    return samples;
}

} // namespace

TEST_F(MusicTest, StreamDecodersGiveEveryFrameOfThePlainReaderAcrossRefills)
{
    // At the mixer's rate the stream is the file, frame for frame, over several refills.
    constexpr int kFrames = 4096 * 3 + 123;
    std::string wav = MakeWav(2, 44100, 16, Samples16(Ramp(kFrames, 2)));
    std::string ogg = EncodeOgg(MakeWav(2, 44100, 16, Samples16(Sine(kFrames, 2, 44100, 440, 20000))));
    ASSERT_FALSE(ogg.empty());
    mData.WriteFile("plain.wav", wav);
    mData.WriteFile("plain.ogg", ogg);
    // The music fuzz target's first byte picks the kind: 0 Ogg, 1 MP3, 2 WAV.
    testsupport::SaveFuzzSeed("music", "ramp.ogg", std::string(1, '\0') + ogg);
    testsupport::SaveFuzzSeed("music", "ramp.wav", std::string(1, '\2') + wav);
    struct Case {
        const char* file;
        bool (*plain)(const std::string&, DecodedSound&);
        std::unique_ptr<MusicDecoder> (*open)(const std::string&);
        std::unique_ptr<MusicDecoder> (*openBytes)(const uint8_t*, size_t);
    };
    const Case cases[] = {
        {"plain.wav",
         [](const std::string& bytes, DecodedSound& out) {
             return ReadWavSound(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), nullptr, out);
         },
         OpenWavMusic, OpenWavMusic},
        {"plain.ogg",
         [](const std::string& bytes, DecodedSound& out) {
             return ReadOggSound(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), out);
         },
         OpenOggMusic, OpenOggMusic},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        DecodedSound plain;
        ASSERT_TRUE(c.plain(c.file == std::string("plain.wav") ? wav : ogg, plain));
        std::vector<int16_t> expected(plain.mData.size() / 2);
        std::memcpy(expected.data(), plain.mData.data(), plain.mData.size());
        auto decoder = c.open(c.file);
        ASSERT_NE(decoder, nullptr);
        std::vector<int16_t> streamed = ReadAll(*decoder);
        ASSERT_EQ(streamed.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i)
            ASSERT_EQ(streamed[i], expected[i]) << "frame " << i / 2;
        // The same file's bytes in memory stream the same frames.
        const std::string& bytes = c.file == std::string("plain.wav") ? wav : ogg;
        auto fromBytes = c.openBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        ASSERT_NE(fromBytes, nullptr);
        EXPECT_EQ(ReadAll(*fromBytes), streamed);
    }
}

TEST_F(MusicTest, ResampledStreamsKeepEverySourceFrame)
{
    // Half the mixer's rate, mono: every second output frame is a source frame, in both channels.
    constexpr int kFrames = 4096 * 2 + 77;
    std::vector<int16_t> source = Ramp(kFrames, 1);
    mData.WriteFile("half.wav", MakeWav(1, 22050, 16, Samples16(source)));
    auto decoder = OpenWavMusic("half.wav");
    ASSERT_NE(decoder, nullptr);
    std::vector<int16_t> streamed = ReadAll(*decoder);
    ASSERT_EQ(streamed.size(), 2u * 2 * kFrames);
    for (int i = 0; i < kFrames; ++i) {
        ASSERT_EQ(streamed[4 * i], source[i]) << "frame " << i;
        ASSERT_EQ(streamed[4 * i + 1], source[i]) << "frame " << i;
    }
}

TEST_F(MusicTest, AWavClaimingMoreThanItHoldsPlaysWhatItHolds)
{
    // The data chunk claims 2.4 GB; only 1000 frames follow. Lengths cut to the file, not trusted.
    std::string wav = MakeWav(2, 44100, 16, Samples16(Sine(1000, 2, 44100, 440)));
    const size_t data = wav.find("data");
    ASSERT_NE(data, std::string::npos);
    const uint32_t claimed = 0x9000C1ECu;
    for (int i = 0; i < 4; ++i)
        wav[data + 4 + i] = char(claimed >> (8 * i));
    mData.WriteFile("liar.wav", wav);
    // The fuzz run starts from it, under a memory limit that an allocation of the claim would break.
    testsupport::SaveFuzzSeed("music", "liar.wav", std::string(1, '\2') + wav);
    auto fromBytes = OpenWavMusic(reinterpret_cast<const uint8_t*>(wav.data()), wav.size());
    auto fromFile = OpenWavMusic(std::string("liar.wav"));
    for (MusicDecoder* decoder : {fromBytes.get(), fromFile.get()}) {
        ASSERT_NE(decoder, nullptr);
        EXPECT_EQ(ReadAll(*decoder).size(), 2u * 1000);
    }
}

TEST_F(MusicTest, AWavWithAnEmptyDataChunkIsASongWithoutFrames)
{
    for (int bits : {16, 8}) {
        SCOPED_TRACE(bits);
        const std::string wav = MakeWav(1, 22050, bits, "");
        // The fuzz input that found the fault: the kind byte picks the WAV opener.
        if (bits == 16)
            testsupport::SaveFuzzSeed("music", "empty-data.wav", std::string(1, '\2') + wav);
        auto decoder = OpenWavMusic(reinterpret_cast<const uint8_t*>(wav.data()), wav.size());
        ASSERT_NE(decoder, nullptr);
        EXPECT_TRUE(ReadAll(*decoder).empty());
        EXPECT_TRUE(decoder->Rewind());
        EXPECT_TRUE(ReadAll(*decoder).empty());
    }
}

TEST_F(MusicTest, ASongPlayedOnceLastsItsWholeLength)
{
    // 10000 frames at 22050 Hz are 20000 frames at the mixer's rate, none lost at the end.
    mData.WriteFile("music/steady.wav", MakeWav(1, 22050, 16, Samples16(std::vector<int16_t>(10000, 8000))));
    BassMusicInterface music(nullptr);
    MusicEngine& engine = music.GetLibrary()->Engine();
    ASSERT_TRUE(music.LoadMusic(3, "music\\steady.wav"));
    music.Play(3, 0, true);
    int sounding = 0;
    for (int i = 0; i < 12; ++i) {
        std::vector<int16_t> out = Render(engine, 2000);
        for (size_t s = 0; s < out.size(); s += 2)
            sounding += out[s] != 0;
    }
    EXPECT_EQ(sounding, 20000);
    EXPECT_FALSE(music.IsPlaying(3));
}

TEST_F(MusicTest, FadesDriveTheVolumeEachUpdate)
{
    BassMusicInterface music(nullptr);
    ASSERT_TRUE(music.LoadMusic(0, "music\\tune.wav"));
    music.FadeIn(0, 0, 0.25, false);
    EXPECT_TRUE(music.IsPlaying(0));
    for (int i = 0; i < 5; ++i)
        music.Update();
    EXPECT_DOUBLE_EQ(music.FindSong(0)->mVolume, 1.0);
    EXPECT_DOUBLE_EQ(music.FindSong(0)->mFadeStep, 0.0);

    music.FadeOut(0, true, 0.25);
    for (int i = 0; i < 4; ++i)
        music.Update();
    EXPECT_DOUBLE_EQ(music.FindSong(0)->mVolume, 0.0);
    EXPECT_TRUE(music.IsPlaying(0));
    music.Update();
    EXPECT_FALSE(music.IsPlaying(0));

    // Faded out without stop: plays on silently.
    music.Play(0, 0, false);
    music.FadeOut(0, false, 0.5);
    for (int i = 0; i < 4; ++i)
        music.Update();
    EXPECT_TRUE(music.IsPlaying(0));

    // At volume 0 a fade-out changes only the stop flag.
    music.SetFadeSpeed(0, 0.0);
    music.SetSongVolume(0, 0.0);
    music.SetFadeSpeed(0, 0.125);
    music.FadeOut(0, true, 0.25);
    EXPECT_DOUBLE_EQ(music.FindSong(0)->mFadeStep, 0.125);
    EXPECT_TRUE(music.FindSong(0)->mStopWhenSilent);

    music.SetSongVolume(0, 0.8);
    music.SetSongMaxVolume(0, 0.5);
    EXPECT_DOUBLE_EQ(music.FindSong(0)->mVolume, 0.5);
}

TEST_F(MusicTest, ModulesPlayThroughTheTracker)
{
    BassMusicInterface music(nullptr);
    MusicEngine& engine = music.GetLibrary()->Engine();
    ASSERT_TRUE(music.LoadMusic(2, "music\\song.mod"));
    music.Play(2, 0, false);
    EXPECT_TRUE(music.IsPlaying(2));
    int loud = Peak(Render(engine, 4096));
    EXPECT_GT(loud, 500);
    music.SetAmplification(2, 0.0);
    EXPECT_EQ(Peak(Render(engine, 20000)), 0);
    music.Unload(2);
    EXPECT_EQ(music.FindSong(2), nullptr);
    EXPECT_FALSE(music.IsPlaying(2));
}

TEST_F(MusicTest, LibraryUsesAreCounted)
{
    EXPECT_EQ(BASS_INSTANCE, nullptr);
    {
        BassMusicInterface a(nullptr);
        BassMusicInterface b(nullptr);
        EXPECT_EQ(BassLibrary::UseCount(), 2);
        EXPECT_EQ(a.GetLibrary(), b.GetLibrary());
    }
    EXPECT_EQ(BassLibrary::UseCount(), 0);
    EXPECT_EQ(BASS_INSTANCE, nullptr);

    // The other stand-in keeps its own count and holder.
    FmodLibrary* first = FmodLibrary::TakeUse();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(FmodLibrary::TakeUse(), first);
    EXPECT_EQ(FMOD_INSTANCE, first);
    EXPECT_EQ(FmodLibrary::UseCount(), 2);
    EXPECT_EQ(BassLibrary::UseCount(), 0);
    FmodLibrary::GiveBackUse();
    EXPECT_EQ(FMOD_INSTANCE, first);
    FmodLibrary::GiveBackUse();
    EXPECT_EQ(FmodLibrary::UseCount(), 0);
    EXPECT_EQ(FMOD_INSTANCE, nullptr);
}

TEST(MusicWithoutDevice, InterfacesStaySilent)
{
    AudioDevice::SetBackend(AudioDevice::Backend::Unavailable);
    BassMusicInterface bass(nullptr);
    FModMusicInterface fmod(nullptr);
    AudioDevice::SetBackend(AudioDevice::Backend::Sdl);
    EXPECT_EQ(bass.GetLibrary(), nullptr);
    EXPECT_EQ(fmod.GetLibrary(), nullptr);
    EXPECT_FALSE(bass.LoadMusic(0, "music\\tune.ogg"));
    EXPECT_FALSE(fmod.LoadSample(0, "music\\tune", true));
    bass.Play(0, 0, false);
    bass.SetVolume(0.5);
    fmod.SetVolume(0.5);
    bass.Update();
    fmod.Update();
    EXPECT_FALSE(bass.IsPlaying(0));
    EXPECT_EQ(BassLibrary::UseCount(), 0);
}

TEST_F(MusicTest, FmodSamplesAreDecodedOnceIntoTheirCache)
{
    std::string ogg = EncodeOgg(MakeWav(1, 22050, 16, Samples16(Sine(22050, 1, 22050, 440, 20000))));
    ASSERT_FALSE(ogg.empty());
    mData.WriteFile("music/intro.ogg", ogg);
    FModMusicInterface music(nullptr);
    MusicEngine& engine = music.GetLibrary()->Engine();
    ASSERT_TRUE(music.LoadSample(0, "music\\intro", false));
    std::string cache = FModMusicInterface::SampleCachePath("music\\intro");
    EXPECT_EQ(cache, Paths::ProductCacheFolder() + "/music/cached_intro.wav");
    EXPECT_TRUE(std::filesystem::exists(cache));

    // The cache is used from now on, even without the source.
    std::filesystem::remove("music/intro.ogg");
    ASSERT_TRUE(music.LoadSample(1, "music\\intro", true));
    EXPECT_FALSE(music.LoadSample(2, "music\\absent", true));

    music.Play(0, 0, false);
    EXPECT_TRUE(music.IsPlaying(0));
    EXPECT_GT(Peak(Render(engine, 2048)), 10000);
    Render(engine, 50000); // past its second
    EXPECT_FALSE(music.IsPlaying(0));
    music.Play(1, 0, false);
    Render(engine, 50000);
    EXPECT_TRUE(music.IsPlaying(1)); // loops
    music.FadeOut(1, true, 0.5);
    music.Update();
    music.Update();
    music.Update();
    EXPECT_FALSE(music.IsPlaying(1));
}

TEST_F(MusicTest, FmodJoinedSoundsLoopTheirSecondPart)
{
    // Intro of 1000 frames at 1000, loop of 500 frames at 2000, both 44100 Hz mono 16-bit.
    auto constant = [](int frames, int16_t value) { return Samples16(std::vector<int16_t>(frames, value)); };
    FModMusicInterface music(nullptr);
    MusicEngine& engine = music.GetLibrary()->Engine();
    std::filesystem::create_directories(Paths::ProductCacheFolder() + "/music");
    // Caches stand in for decoded Ogg files.
    std::ofstream(FModMusicInterface::SampleCachePath("music\\a"), std::ios::binary)
        << MakeWav(1, 44100, 16, constant(1000, 1000));
    std::ofstream(FModMusicInterface::SampleCachePath("music\\b"), std::ios::binary)
        << MakeWav(1, 44100, 16, constant(500, 2000));
    std::ofstream(FModMusicInterface::SampleCachePath("music\\c"), std::ios::binary)
        << MakeWav(1, 22050, 16, constant(500, 2000));
    EXPECT_FALSE(music.JoinSounds(0, "music\\a", "music\\c", true)); // rates differ
    ASSERT_TRUE(music.JoinSounds(0, "music\\a", "music\\b", true));
    music.Play(0, 0, false);
    std::vector<int16_t> out = Render(engine, 3000);
    EXPECT_EQ(out[2 * 10], 1000);
    EXPECT_EQ(out[2 * 1200], 2000);
    EXPECT_EQ(out[2 * 2900], 2000);
    EXPECT_TRUE(music.IsPlaying(0));
}

TEST(MusicOnDevice, TheFeederKeepsAStreamGoingWhileTheCallbackPlaysIt)
{
    testsupport::TempDir data;
    // 0.3 s, played once, then 0.3 s looping: the loop outlives the single pass.
    data.WriteFile("tune.wav", MakeWav(1, 22050, 16, Samples16(Sine(6615, 1, 22050, 440))));
    AudioDevice::SetBackend(AudioDevice::Backend::Sdl);
    BassMusicInterface music(nullptr);
    ASSERT_NE(music.GetLibrary(), nullptr);
    ASSERT_TRUE(music.LoadMusic(0, data.File("tune.wav")));
    ASSERT_TRUE(music.LoadMusic(1, data.File("tune.wav")));
    music.Play(0, 0, true);
    music.Play(1, 0, false);
    for (int i = 0; i < 300 && music.IsPlaying(0); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(music.IsPlaying(0));
    EXPECT_TRUE(music.IsPlaying(1));
    music.StopAll();
}

TEST_F(MusicTest, ModulesPlayedOnceEndWhileLoopingOnesGoOn)
{
    // The module's one pattern lasts 64 rows of 6 ticks at 125 BPM: 7.68 s, then it loops.
    auto check = [this](MusicInterface& music, MusicEngine& engine) {
        ASSERT_TRUE(music.LoadMusic(0, "music\\song.mod"));
        ASSERT_TRUE(music.LoadMusic(1, "music\\song.mod"));
        music.Play(0, 0, true);
        music.Play(1, 0, false);
        for (int frames = 0; frames < 9 * 44100; frames += 8192)
            Render(engine, 8192);
        EXPECT_FALSE(music.IsPlaying(0));
        EXPECT_TRUE(music.IsPlaying(1));
        music.StopAll();
    };
    {
        SCOPED_TRACE("BASS");
        BassMusicInterface bass(nullptr);
        check(bass, bass.GetLibrary()->Engine());
    }
    {
        SCOPED_TRACE("FMOD");
        FModMusicInterface fmod(nullptr);
        check(fmod, fmod.GetLibrary()->Engine());
    }
}

TEST_F(MusicTest, GlobalVolumeInEitherBassForm)
{
    // Form 2 takes the global volume as percent; form 1 scales it to 40 of its 100.
    struct Case {
        int form;
        double global;
        int peak;
    } cases[] = {{2, 0.5, 10000}, {2, 100.0, 20000}, {1, 1.0, 8000}, {1, 0.5, 4000}, {1, -3.0, 0}, {1, NAN, 0}};
    BassMusicInterface music(nullptr);
    MusicEngine& engine = music.GetLibrary()->Engine();
    ASSERT_TRUE(music.LoadMusic(0, "music\\tune.wav"));
    music.Play(0, 0, false);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "form " << c.form << " global " << c.global);
        music.GetLibrary()->SetForm(c.form);
        music.SetVolume(c.global);
        EXPECT_NEAR(Peak(Render(engine, 1024)), c.peak, 600);
    }
    music.GetLibrary()->SetForm(2);
}

TEST_F(MusicTest, FmodSongVolumesOutsideTheRangeAreLimited)
{
    FModMusicInterface music(nullptr);
    MusicEngine& engine = music.GetLibrary()->Engine();
    std::filesystem::create_directories(Paths::ProductCacheFolder() + "/music");
    std::ofstream(FModMusicInterface::SampleCachePath("music\\flat"), std::ios::binary)
        << MakeWav(1, 44100, 16, Samples16(std::vector<int16_t>(20000, 1000)));
    ASSERT_TRUE(music.LoadSample(0, "music\\flat", true));
    music.Play(0, 0, false);
    struct Case {
        double volume;
        int peak;
    } cases[] = {{0.5, 500}, {1e300, 1000}, {-2.0, 0}, {NAN, 0}, {1.0, 1000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.volume);
        music.SetSongVolume(0, c.volume);
        EXPECT_NEAR(Peak(Render(engine, 256)), c.peak, 2);
    }
}

TEST_F(MusicTest, FmodSamplesPauseAndResumeWhereTheyWere)
{
    FModMusicInterface music(nullptr);
    MusicEngine& engine = music.GetLibrary()->Engine();
    std::vector<int16_t> ramp(20000);
    for (size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = static_cast<int16_t>(i);
    std::filesystem::create_directories(Paths::ProductCacheFolder() + "/music");
    std::ofstream(FModMusicInterface::SampleCachePath("music\\ramp"), std::ios::binary)
        << MakeWav(1, 44100, 16, Samples16(ramp));
    ASSERT_TRUE(music.LoadSample(0, "music\\ramp", false));
    music.Play(0, 0, false);
    EXPECT_EQ(Render(engine, 1000)[2 * 999], 999);

    music.Pause(0);
    EXPECT_FALSE(music.IsPlaying(0));
    EXPECT_EQ(Peak(Render(engine, 500)), 0);
    music.Resume(0);
    EXPECT_TRUE(music.IsPlaying(0));
    EXPECT_EQ(Render(engine, 10)[0], 1000);

    music.Stop(0);
    EXPECT_FALSE(music.IsPlaying(0));
    music.Resume(0); // only a paused song resumes
    EXPECT_FALSE(music.IsPlaying(0));
}
