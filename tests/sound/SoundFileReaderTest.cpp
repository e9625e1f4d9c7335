// The sound file readers: WAV and its cache chunk, AU with mu-law and 8-bit linear data, Ogg, MP3.
#include <gtest/gtest.h>

#include <cstring>

#include "sound/SoundFileReader.h"
#include "sound/SoundFixtures.h"
#include "support/TempDir.h"

using namespace Olvarn;
using namespace soundtest;

namespace
{

bool ReadWav(const std::string& bytes, DecodedSound& out, const DependencyTime& time = nullptr)
{
    return ReadWavSound(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), time, out);
}

bool ReadAu(const std::string& bytes, DecodedSound& out)
{
    return ReadAuSound(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), out);
}

bool ReadOgg(const std::string& bytes, DecodedSound& out)
{
    return ReadOggSound(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), out);
}

std::string Chunk(const std::string& id, const std::string& body)
{
    std::string out = id;
    Put32(out, static_cast<uint32_t>(body.size()));
    return out + body;
}

std::string Riff(const std::string& chunks)
{
    std::string out = "RIFF";
    Put32(out, static_cast<uint32_t>(4 + chunks.size()));
    return out + "WAVE" + chunks;
}

std::string Fmt(int tag, int channels, int rate, int bits, size_t size = 16)
{
    std::string body;
    Put16(body, static_cast<uint32_t>(tag));
    Put16(body, static_cast<uint32_t>(channels));
    Put32(body, static_cast<uint32_t>(rate));
    Put32(body, static_cast<uint32_t>(rate * channels * bits / 8));
    Put16(body, static_cast<uint32_t>(channels * bits / 8));
    Put16(body, static_cast<uint32_t>(bits));
    body.resize(size, '\0');
    return Chunk("fmt ", body);
}

} // namespace

TEST(WavReader, ReadsFormatsAndRejectsBrokenFiles)
{
    const std::string pcm = "\x01\x02\x03\x04\x05\x06\x07\x08";
    std::string hugeData = "data";
    Put32(hugeData, 0xFFFFFFF0u); // claims 4 GB
    hugeData += pcm;
    struct Case {
        const char* name;
        std::string file;
        bool ok;
        int channels, rate, bits;
    } cases[] = {
        {"stereo 16-bit", Riff(Fmt(1, 2, 44100, 16) + Chunk("data", pcm)), true, 2, 44100, 16},
        {"mono 8-bit", Riff(Fmt(1, 1, 11025, 8) + Chunk("data", pcm)), true, 1, 11025, 8},
        {"no fmt: 22050 Hz 16-bit mono", Riff(Chunk("data", pcm)), true, 1, 22050, 16},
        {"unknown chunks are passed over", Riff(Chunk("LIST", "abc") + Fmt(1, 1, 8000, 16) + Chunk("data", pcm)), true,
         1, 8000, 16},
        {"longer fmt chunk", Riff(Fmt(1, 1, 8000, 16, 18) + Chunk("data", pcm)), true, 1, 8000, 16},
        {"float format tag 3", Riff(Fmt(3, 1, 44100, 16) + Chunk("data", pcm)), false, 0, 0, 0},
        {"fmt shorter than 16", Riff(Fmt(1, 1, 44100, 16, 14) + Chunk("data", pcm)), false, 0, 0, 0},
        {"3 channels", Riff(Fmt(1, 3, 44100, 16) + Chunk("data", pcm)), false, 0, 0, 0},
        {"24 bits", Riff(Fmt(1, 1, 44100, 24) + Chunk("data", pcm)), false, 0, 0, 0},
        {"rate 0", Riff(Fmt(1, 1, 0, 16) + Chunk("data", pcm)), false, 0, 0, 0},
        {"rate 4 GHz", Riff(Fmt(1, 1, -1, 16) + Chunk("data", pcm)), false, 0, 0, 0},
        {"data size past the end", Riff(Fmt(1, 1, 8000, 16) + hugeData), false, 0, 0, 0},
        {"empty data", Riff(Fmt(1, 1, 8000, 16) + Chunk("data", "")), false, 0, 0, 0},
        {"no data chunk", Riff(Fmt(1, 1, 8000, 16)), false, 0, 0, 0},
        {"not RIFF", "RIFX" + Riff(Chunk("data", pcm)).substr(4), false, 0, 0, 0},
        {"truncated header", std::string("RIFF\0\0\0\0WAV", 11), false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DecodedSound sound;
        ASSERT_EQ(ReadWav(c.file, sound), c.ok);
        if (!c.ok)
            continue;
        EXPECT_EQ(sound.mFormat.mChannels, c.channels);
        EXPECT_EQ(sound.mFormat.mSamplesPerSec, c.rate);
        EXPECT_EQ(sound.mFormat.mBitsPerSample, c.bits);
        EXPECT_EQ(std::string(sound.mData.begin(), sound.mData.end()), pcm);
    }
}

TEST(WavReader, DependencyChunkMustMatchTheSourceTime)
{
    DecodedSound sound;
    sound.mFormat = PcmFormat{1, 16, 22050};
    sound.mData = {1, 2, 3, 4};
    const uint64_t stamp = 0x0123456789ABCDEFULL;
    std::string cache = MakeCacheWav(sound, "sounds\\click.ogg", stamp);

    std::string askedFor;
    auto same = [&](const std::string& name) {
        askedFor = name;
        return stamp;
    };
    DecodedSound out;
    EXPECT_TRUE(ReadWav(cache, out, same));
    EXPECT_EQ(askedFor, "sounds\\click.ogg");
    EXPECT_EQ(out.mData, sound.mData);

    for (uint64_t other : std::vector<uint64_t>{0, stamp + 1, stamp ^ (uint64_t{1} << 40)}) {
        SCOPED_TRACE(other);
        EXPECT_FALSE(ReadWav(cache, out, [other](const std::string&) { return other; }));
    }
    // A cache without a dependency is always taken.
    EXPECT_TRUE(ReadWav(MakeCacheWav(sound, "", 0), out, [](const std::string&) { return uint64_t{7}; }));
}

TEST(WavReader, CacheFileHasTheDocumentedLayout)
{
    DecodedSound sound;
    sound.mFormat = PcmFormat{2, 16, 44100};
    sound.mData.assign(8, 0x11);
    std::string bytes = MakeCacheWav(sound, "ab.ogg", 0x1122334455667788ULL);
    ASSERT_EQ(bytes.size(), 62u + 6 + 8);
    auto le32 = [&](size_t at) {
        uint32_t v;
        std::memcpy(&v, bytes.data() + at, 4);
        return v;
    };
    EXPECT_EQ(bytes.substr(0, 4), "RIFF");
    EXPECT_EQ(le32(4), 8u + 36);
    EXPECT_EQ(bytes.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(le32(16), 16u);
    EXPECT_EQ(le32(24), 44100u);
    EXPECT_EQ(le32(28), 44100u * 4);
    EXPECT_EQ(bytes.substr(36, 4), "dep ");
    EXPECT_EQ(le32(40), 6u + 10);
    EXPECT_EQ(bytes.substr(44, 2), std::string("\x06\x00", 2));
    EXPECT_EQ(bytes.substr(46, 6), "ab.ogg");
    EXPECT_EQ(le32(52), 0x55667788u);
    EXPECT_EQ(le32(56), 0x11223344u);
    EXPECT_EQ(bytes.substr(60, 4), "data");
    EXPECT_EQ(le32(64), 8u);
    testsupport::SaveFuzzSeed("wav", "cache.wav", bytes);
}

TEST(AuReader, MuLawDecodesEverySegmentUpToTheLoudestCode)
{
    struct Case {
        uint8_t code;
        int16_t sample;
    } cases[] = {
        {0xFF, 0},        {0x7F, 0},        {0xF0, 4 * 30}, {0xEF, 4 * 32},
        {0xA0, 4 * 1952}, {0x81, 4 * 7648}, {0x80, 31616}, // the loudest positive code continues the top segment
        {0x00, -31616},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.code));
        EXPECT_EQ(MuLawToLinear(c.code), c.sample);
    }
    // Louder codes never decode quieter within one sign.
    for (int code = 0x81; code <= 0xFF; ++code)
        EXPECT_LE(MuLawToLinear(static_cast<uint8_t>(code)), MuLawToLinear(static_cast<uint8_t>(code - 1)));
}

TEST(AuReader, ReadsHeadersAndBoundsTheData)
{
    const std::string data("\x80\xFF\x00\x7F", 4);
    struct Case {
        const char* name;
        std::string file;
        bool ok;
        int bits;
        size_t bytes;
    } cases[] = {
        {"mu-law", MakeAu(24, 4, 1, 8000, 1, data), true, 16, 8},
        {"8-bit linear", MakeAu(24, 4, 2, 8000, 1, data), true, 8, 4},
        {"unknown size reads to the end", MakeAu(24, 0xFFFFFFFFu, 1, 8000, 1, data), true, 16, 8},
        {"size past the end reads to the end", MakeAu(24, 0x80000001u, 1, 8000, 1, data), true, 16, 8},
        {"smaller size is kept", MakeAu(24, 2, 1, 8000, 1, data), true, 16, 4},
        {"header with annotation", MakeAu(32, 4, 2, 8000, 2, data), true, 8, 4},
        {"offset past the end", MakeAu(5000, 4, 1, 8000, 1, data), false, 0, 0},
        {"offset inside the header", MakeAu(8, 4, 1, 8000, 1, data), false, 0, 0},
        {"16-bit linear encoding", MakeAu(24, 4, 3, 8000, 1, data), false, 0, 0},
        {"no data", MakeAu(24, 0, 1, 8000, 1, data), false, 0, 0},
        {"5 channels", MakeAu(24, 4, 1, 8000, 5, data), false, 0, 0},
        {"rate 0", MakeAu(24, 4, 1, 0, 1, data), false, 0, 0},
        {"short header", std::string(".snd\0\0\0\x18", 8), false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DecodedSound sound;
        ASSERT_EQ(ReadAu(c.file, sound), c.ok);
        if (!c.ok)
            continue;
        EXPECT_EQ(sound.mFormat.mBitsPerSample, c.bits);
        EXPECT_EQ(sound.mData.size(), c.bytes);
    }
    testsupport::SaveFuzzSeed("au", "mulaw.au", MakeAu(24, 4, 1, 8000, 1, data));
    testsupport::SaveFuzzSeed("au", "linear.au", MakeAu(24, 0xFFFFFFFFu, 2, 8000, 2, data));
}

TEST(AuReader, SignedLinearSamplesBecomeUnsigned)
{
    DecodedSound sound;
    ASSERT_TRUE(ReadAu(MakeAu(24, 4, 2, 8000, 1, std::string("\x00\x7F\x80\xFF", 4)), sound));
    // Signed 0, +127, -128, -1 around the unsigned midpoint 128.
    EXPECT_EQ(sound.mData, (std::vector<uint8_t>{0x80, 0xFF, 0x00, 0x7F}));
}

TEST(OggReader, DecodesAnEncodedFileWhole)
{
    const int frames = 11025;
    for (int channels : {1, 2}) {
        SCOPED_TRACE(channels);
        std::string ogg = EncodeOgg(MakeWav(channels, 22050, 16, Samples16(Sine(frames, channels, 22050, 440))));
        ASSERT_FALSE(ogg.empty()) << "oggenc (vorbis-tools) is needed to make the Ogg fixture";
        testsupport::SaveFuzzSeed("ogg", "sine" + std::to_string(channels) + ".ogg", ogg);
        DecodedSound sound;
        ASSERT_TRUE(ReadOgg(ogg, sound));
        EXPECT_EQ(sound.mFormat.mChannels, channels);
        EXPECT_EQ(sound.mFormat.mSamplesPerSec, 22050);
        EXPECT_EQ(sound.mFormat.mBitsPerSample, 16);
        EXPECT_EQ(sound.mData.size(), static_cast<size_t>(frames) * channels * 2);
        // The sine survives encoding: loud, not silence.
        int16_t peak = 0;
        for (size_t i = 0; i + 1 < sound.mData.size(); i += 2) {
            int16_t s;
            std::memcpy(&s, &sound.mData[i], 2);
            peak = std::max<int16_t>(peak, s);
        }
        EXPECT_GT(peak, 8000);

        // Files without audio pages, or not Ogg at all, fail.
        EXPECT_FALSE(ReadOgg(ogg.substr(0, 100), sound));
        EXPECT_FALSE(ReadOgg("OggS but not really", sound));
    }
}

TEST(OggReader, RejectsStreamsItCannotPlayWhole)
{
    std::string threeChannels;
    for (int16_t s : Sine(2000, 3, 22050, 440))
        Put16(threeChannels, static_cast<uint16_t>(s));
    struct Case {
        const char* name;
        std::string wav;
    } cases[] = {
        {"no samples: the total is not positive", MakeWav(1, 22050, 16, "")},
        {"3 channels", MakeWav(3, 22050, 16, threeChannels)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string ogg = EncodeOgg(c.wav);
        ASSERT_FALSE(ogg.empty()) << "oggenc (vorbis-tools) is needed to make the Ogg fixture";
        DecodedSound sound;
        EXPECT_FALSE(ReadOgg(ogg, sound));
    }
}

TEST(Mp3Reader, DecodesBytesWholeAndRejectsWhatIsNotMp3)
{
    for (int channels : {1, 2}) {
        SCOPED_TRACE(channels);
        std::string mp3 = EncodeMp3(MakeWav(channels, 22050, 16, Samples16(Sine(11025, channels, 22050, 440, 20000))));
        ASSERT_FALSE(mp3.empty()) << "lame is needed to make the MP3 fixture";
        testsupport::SaveFuzzSeed("mp3", "sine" + std::to_string(channels) + ".mp3", mp3);
        DecodedSound sound;
        ASSERT_TRUE(ReadMp3Sound(reinterpret_cast<const uint8_t*>(mp3.data()), mp3.size(), sound));
        EXPECT_EQ(sound.mFormat.mChannels, channels);
        ASSERT_GT(sound.mFormat.mSamplesPerSec, 0); // the encoder may resample
        // Half a second, give or take the encoder's padding.
        double seconds = static_cast<double>(sound.mData.size()) / (channels * 2) / sound.mFormat.mSamplesPerSec;
        EXPECT_NEAR(seconds, 0.5, 0.1);
        EXPECT_EQ(sound.mData.size() % (channels * 2), 0u);
    }
    const std::string notMp3[] = {"", "ID3", std::string(4096, '\0'), MakeWav(1, 22050, 16, std::string(200, 'x'))};
    for (const std::string& bytes : notMp3) {
        DecodedSound sound;
        EXPECT_FALSE(ReadMp3Sound(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), sound))
            << bytes.size() << " bytes";
    }
}
