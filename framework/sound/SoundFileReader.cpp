// Sound file readers. Every size read from a file is checked against the bytes that are there.
#include "sound/SoundFileReader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>

#include "platform/PcmStream.h"

namespace Olvarn
{

namespace
{

// No sound effect comes near this; a header claiming more is broken or hostile.
constexpr uint64_t kMaxSoundBytes = 256ULL << 20;

uint16_t Le16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
uint32_t Le32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}
uint32_t Be32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 |
           static_cast<uint32_t>(p[3]);
}
bool IsTag(const uint8_t* p, const char* tag)
{
    return std::memcmp(p, tag, 4) == 0;
}

bool IsSaneFormat(const PcmFormat& format)
{
    return (format.mChannels == 1 || format.mChannels == 2) &&
           (format.mBitsPerSample == 8 || format.mBitsPerSample == 16) && format.mSamplesPerSec >= kSoundRateMin &&
           format.mSamplesPerSec <= kSoundRateMax;
}

// --- WAV ------------------------------------------------------------------------------------------

bool ReadFmtChunk(const uint8_t* body, uint32_t size, PcmFormat& format)
{
    if (size < 16 || Le16(body) != 1)
        return false;
    format.mChannels = Le16(body + 2);
    uint32_t rate = Le32(body + 4);
    format.mSamplesPerSec = rate > static_cast<uint32_t>(kSoundRateMax) ? 0 : static_cast<int>(rate);
    format.mBitsPerSample = Le16(body + 14);
    return IsSaneFormat(format);
}

bool IsDependencyFresh(const uint8_t* body, uint32_t size, const DependencyTime& dependencyTime)
{
    if (size < 2)
        return false;
    size_t length = std::min<size_t>(Le16(body), 255);
    if (2 + length + 8 > size)
        return false;
    std::string name(reinterpret_cast<const char*>(body + 2), length);
    uint32_t low = Le32(body + 2 + length);
    uint32_t high = Le32(body + 2 + length + 4);
    uint64_t now = dependencyTime ? dependencyTime(name) : 0;
    return static_cast<uint32_t>(now) == low && static_cast<uint32_t>(now >> 32) == high;
}

bool TakeSamples(const uint8_t* body, uint64_t size, const PcmFormat& format, DecodedSound& out)
{
    uint64_t align = static_cast<uint64_t>(format.BlockAlign());
    size -= size % align;
    if (size == 0 || size > kMaxSoundBytes)
        return false;
    out.mFormat = format;
    out.mData.assign(body, body + size);
    return true;
}

// --- Ogg and MP3 through the platform's streaming decoders --------------------------------------

// Reads the stream to its end, or to `limit` bytes when it states how many it holds.
bool DecodeWhole(PcmStream& stream, uint64_t limit, DecodedSound& out)
{
    PcmFormat format{stream.Channels(), 16, static_cast<int>(std::clamp<long>(stream.Rate(), 0, kSoundRateMax + 1))};
    if (!IsSaneFormat(format))
        return false;
    // Grown as samples arrive, so a lying total costs no allocation.
    out.mData.clear();
    out.mData.reserve(static_cast<size_t>(std::min<uint64_t>(limit, 1 << 20)));
    int16_t chunk[4096];
    const int chunkFrames = static_cast<int>(sizeof chunk / format.BlockAlign());
    while (out.mData.size() < limit) {
        uint64_t left = (limit - out.mData.size()) / format.BlockAlign();
        int got = stream.Read(chunk, static_cast<int>(std::min<uint64_t>(chunkFrames, std::max<uint64_t>(left, 1))));
        if (got <= 0)
            break;
        const uint8_t* bytes = reinterpret_cast<const uint8_t*>(chunk);
        out.mData.insert(out.mData.end(), bytes, bytes + static_cast<size_t>(got) * format.BlockAlign());
    }
    out.mFormat = format;
    return !stream.Failed() && !out.mData.empty();
}

} // namespace

bool ReadWavSound(const uint8_t* bytes, size_t size, const DependencyTime& dependencyTime, DecodedSound& out)
{
    if (size < 12 || !IsTag(bytes, "RIFF") || !IsTag(bytes + 8, "WAVE"))
        return false;
    PcmFormat format{1, 16, 22050};
    size_t at = 12;
    while (size - at >= 8) {
        const uint8_t* header = bytes + at;
        uint32_t chunkSize = Le32(header + 4);
        at += 8;
        if (chunkSize > size - at)
            return false;
        const uint8_t* body = bytes + at;
        if (IsTag(header, "fmt ")) {
            if (!ReadFmtChunk(body, chunkSize, format))
                return false;
        } else if (IsTag(header, "dep ")) {
            if (!IsDependencyFresh(body, chunkSize, dependencyTime))
                return false;
        } else if (IsTag(header, "data")) {
            return TakeSamples(body, chunkSize, format, out);
        }
        at += chunkSize;
    }
    return false;
}

int16_t MuLawToLinear(uint8_t code)
{
    int l = code | 0x80;
    int m;
    if (l > 239)
        m = (255 - l) * 2;
    else if (l > 223)
        m = (247 - l) * 4;
    else if (l > 207)
        m = (235 - l) * 8;
    else if (l > 191)
        m = (221 - l) * 16;
    else if (l > 175)
        m = (206 - l) * 32;
    else if (l > 159)
        m = 12192 - 64 * l;
    else if (l > 143)
        m = 22368 - 128 * l;
    else // the top segment runs down to 128, the loudest code
        m = 40672 - 256 * l;
    int sample = 4 * m;
    return static_cast<int16_t>((code & 0x80) ? sample : -sample);
}

bool ReadAuSound(const uint8_t* bytes, size_t size, DecodedSound& out)
{
    if (size < 24 || !IsTag(bytes, ".snd"))
        return false;
    uint64_t offset = Be32(bytes + 4);
    uint64_t dataSize = Be32(bytes + 8);
    uint32_t encoding = Be32(bytes + 12);
    uint32_t rate = Be32(bytes + 16);
    uint32_t channels = Be32(bytes + 20);
    if (offset < 24 || offset > size || (encoding != 1 && encoding != 2) || channels < 1 || channels > 2 ||
        rate < static_cast<uint32_t>(kSoundRateMin) || rate > static_cast<uint32_t>(kSoundRateMax))
        return false;
    // An unknown size (all ones) or one past the end means: the rest of the file.
    uint64_t available = size - offset;
    if (dataSize == 0xFFFFFFFFu || dataSize > available)
        dataSize = available;
    dataSize -= dataSize % channels;
    PcmFormat format{static_cast<int>(channels), encoding == 1 ? 16 : 8, static_cast<int>(rate)};
    uint64_t outSize = dataSize * static_cast<uint64_t>(format.mBitsPerSample) / 8;
    if (outSize == 0 || outSize > kMaxSoundBytes)
        return false;
    const uint8_t* data = bytes + offset;
    out.mFormat = format;
    out.mData.resize(static_cast<size_t>(outSize));
    if (encoding == 1) {
        for (size_t i = 0; i < dataSize; ++i) {
            int16_t s = MuLawToLinear(data[i]);
            std::memcpy(&out.mData[2 * i], &s, 2);
        }
    } else {
        // AU stores 8-bit samples signed; 8-bit PCM is unsigned around 128.
        for (size_t i = 0; i < dataSize; ++i)
            out.mData[i] = static_cast<uint8_t>(data[i] ^ 0x80);
    }
    return true;
}

bool ReadOggSound(const uint8_t* bytes, size_t size, DecodedSound& out)
{
    std::unique_ptr<PcmStream> stream = OpenOggStream(bytes, size);
    if (!stream || stream->Channels() < 1)
        return false;
    // Unseekable streams give no total; a huge total is a damaged header.
    int64_t total = stream->TotalFrames();
    uint64_t frameBytes = static_cast<uint64_t>(stream->Channels()) * 2;
    if (total <= 0 || static_cast<uint64_t>(total) > kMaxSoundBytes / frameBytes)
        return false;
    uint64_t want = static_cast<uint64_t>(total) * frameBytes;
    return DecodeWhole(*stream, want, out) && out.mData.size() == want;
}

bool ReadMp3Sound(const uint8_t* bytes, size_t size, DecodedSound& out)
{
    std::unique_ptr<PcmStream> stream = OpenMp3Stream(bytes, size);
    // One byte past the limit tells a sound that is too long from one that just fits.
    return stream && DecodeWhole(*stream, kMaxSoundBytes + 1, out) && out.mData.size() <= kMaxSoundBytes;
}

std::string MakeCacheWav(const DecodedSound& sound, const std::string& dependencyName, uint64_t dependencyTime)
{
    std::string out;
    auto put16 = [&out](uint32_t v) {
        out.push_back(static_cast<char>(v & 0xFF));
        out.push_back(static_cast<char>((v >> 8) & 0xFF));
    };
    auto put32 = [&put16](uint32_t v) {
        put16(v & 0xFFFF);
        put16(v >> 16);
    };
    const PcmFormat& f = sound.mFormat;
    const uint32_t dataSize = static_cast<uint32_t>(sound.mData.size());
    const uint32_t align = static_cast<uint32_t>(f.BlockAlign());
    out += "RIFF";
    put32(dataSize + 36);
    out += "WAVEfmt ";
    put32(16);
    put16(1);
    put16(static_cast<uint32_t>(f.mChannels));
    put32(static_cast<uint32_t>(f.mSamplesPerSec));
    put32(static_cast<uint32_t>(f.mSamplesPerSec) * align);
    put16(align);
    put16(static_cast<uint32_t>(f.mBitsPerSample));
    if (!dependencyName.empty()) {
        std::string name = dependencyName.substr(0, 0xFFFF);
        out += "dep ";
        put32(static_cast<uint32_t>(name.size()) + 10);
        put16(static_cast<uint32_t>(name.size()));
        out += name;
        put32(static_cast<uint32_t>(dependencyTime));
        put32(static_cast<uint32_t>(dependencyTime >> 32));
    }
    out += "data";
    put32(dataSize);
    out.append(reinterpret_cast<const char*>(sound.mData.data()), sound.mData.size());
    return out;
}

} // namespace Olvarn
