// Music decoders; the file formats other than modules are resampled here to the mixer's rate.
#include "platform/MusicDecoder.h"

#include <SDL.h>
#include <xmp.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/AudioFormat.h"
#include "platform/Directories.h"
#include "platform/PcmStream.h"

namespace Olvarn
{

namespace
{

// Turns native frames (1 or 2 channels, any rate) into 44100 Hz stereo by linear interpolation.
class ResamplingDecoder : public MusicDecoder
{
public:
    int Read(int16_t* out, int frames) override
    {
        int produced = 0;
        while (produced < frames) {
            // A refill drops the frames already passed and moves the position with them, so the
            // index is taken after it.
            if ((mPos >> 32) + 1 >= mAvail && !mEnded)
                Refill();
            uint64_t idx = mPos >> 32;
            if (idx >= mAvail)
                break;
            uint64_t next = idx + 1 < mAvail ? idx + 1 : idx;
            int32_t frac = static_cast<int32_t>((mPos >> 17) & 0x7FFF);
            for (int c = 0; c < 2; ++c) {
                int ch = mChannels == 2 ? c : 0;
                int32_t a = mBuf[idx * mChannels + ch];
                int32_t b = mBuf[next * mChannels + ch];
                out[2 * produced + c] = static_cast<int16_t>(a + (((b - a) * frac) >> 15));
            }
            mPos += mStep;
            ++produced;
        }
        return produced;
    }

    bool Rewind() override
    {
        if (!RewindNative())
            return false;
        mBuf.clear();
        mAvail = 0;
        mPos = 0;
        mEnded = false;
        return true;
    }

protected:
    // Sets the native format; false for formats the mixer does not take.
    bool SetNativeFormat(int channels, long rate)
    {
        if ((channels != 1 && channels != 2) || rate < 1000 || rate > 384000)
            return false;
        mChannels = channels;
        mStep = (static_cast<uint64_t>(rate) << 32) / kAudioOutputRate;
        return true;
    }
    // Appends up to `frames` native frames; returns the count, 0 at the end or on an error.
    virtual int ReadNative(int16_t* out, int frames) = 0;
    virtual bool RewindNative() = 0;
    int NativeChannels() const { return mChannels; }

private:
    void Refill()
    {
        constexpr int kChunk = 4096;
        // Drop frames already passed, keeping the one being interpolated from.
        uint64_t keep = std::min<uint64_t>(mPos >> 32, mAvail);
        mBuf.erase(mBuf.begin(), mBuf.begin() + static_cast<long>(keep * mChannels));
        mAvail -= keep;
        mPos -= keep << 32;
        size_t old = mBuf.size();
        mBuf.resize(old + static_cast<size_t>(kChunk) * mChannels);
        int got = ReadNative(mBuf.data() + old, kChunk);
        got = std::clamp(got, 0, kChunk);
        mBuf.resize(old + static_cast<size_t>(got) * mChannels);
        mAvail += static_cast<uint64_t>(got);
        if (got == 0)
            mEnded = true;
    }

    std::vector<int16_t> mBuf;
    uint64_t mAvail = 0;
    uint64_t mPos = 0;
    uint64_t mStep = 1ULL << 32;
    int mChannels = 2;
    bool mEnded = false;
};

// --- Ogg Vorbis and MP3, from the platform's streaming decoders ----------------------------------

class StreamMusic : public ResamplingDecoder
{
public:
    bool Open(std::unique_ptr<PcmStream> stream)
    {
        mStream = std::move(stream);
        return mStream && SetNativeFormat(mStream->Channels(), mStream->Rate());
    }

protected:
    int ReadNative(int16_t* out, int frames) override { return mStream->Read(out, frames); }
    bool RewindNative() override { return mStream->Rewind(); }

private:
    std::unique_ptr<PcmStream> mStream;
};

// --- WAV through SDL ------------------------------------------------------------------------------

uint32_t Le32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void PutLe32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

// SDL sizes its buffers by the lengths a file declares: a file that claims gigabytes it does not
// hold would make it allocate them. The copy's RIFF and chunk lengths are cut to the bytes that
// really follow, which also keeps a merely truncated file playable.
std::vector<uint8_t> WithChunksCutToTheFile(const uint8_t* bytes, size_t size)
{
    std::vector<uint8_t> wav(bytes, bytes + size);
    if (size < 12 || std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "WAVE", 4) != 0)
        return wav;
    PutLe32(&wav[4], uint32_t(std::min<uint64_t>(Le32(&wav[4]), size - 8)));
    size_t at = 12;
    while (at + 8 <= size) {
        const uint64_t room = size - (at + 8);
        const uint64_t length = std::min<uint64_t>(Le32(&wav[at + 4]), room);
        PutLe32(&wav[at + 4], uint32_t(length));
        at += 8 + size_t(length) + size_t(length & 1);
    }
    return wav;
}

class WavMusic : public ResamplingDecoder
{
public:
    // Takes the stream and closes it.
    bool Open(SDL_RWops* source)
    {
        SDL_AudioSpec spec{};
        Uint8* buf = nullptr;
        Uint32 len = 0;
        if (!source || !SDL_LoadWAV_RW(source, 1, &spec, &buf, &len))
            return false;
        bool ok = true;
        if (spec.format == AUDIO_S16LSB) {
            // An empty data chunk leaves no buffer at all, and memcpy must not see its null.
            mSamples.resize(len / 2);
            if (!mSamples.empty())
                std::memcpy(mSamples.data(), buf, mSamples.size() * 2);
        } else if (spec.format == AUDIO_U8) {
            mSamples.resize(len);
            for (Uint32 i = 0; i < len; ++i)
                mSamples[i] = static_cast<int16_t>((buf[i] - 128) * 256);
        } else {
            ok = false;
        }
        SDL_FreeWAV(buf);
        return ok && SetNativeFormat(spec.channels, spec.freq);
    }

protected:
    int ReadNative(int16_t* out, int frames) override
    {
        size_t left = (mSamples.size() - mAt) / NativeChannels();
        size_t n = std::min<size_t>(left, static_cast<size_t>(frames));
        if (n == 0)
            return 0;
        std::memcpy(out, mSamples.data() + mAt, n * NativeChannels() * 2);
        mAt += n * NativeChannels();
        return static_cast<int>(n);
    }
    bool RewindNative() override
    {
        mAt = 0;
        return true;
    }

private:
    std::vector<int16_t> mSamples;
    size_t mAt = 0;
};

// --- Tracker modules through libxmp --------------------------------------------------------------

class ModuleMusic : public MusicDecoder
{
public:
    ~ModuleMusic() override
    {
        if (mLoaded) {
            xmp_end_player(mContext);
            xmp_release_module(mContext);
        }
        if (mContext)
            xmp_free_context(mContext);
    }
    // From a file when bytes is null.
    bool Open(const std::string& path, const uint8_t* bytes, size_t size)
    {
        mContext = xmp_create_context();
        if (!mContext)
            return false;
        int loaded = bytes ? xmp_load_module_from_memory(mContext, bytes, static_cast<long>(size))
                           : xmp_load_module(mContext, path.c_str());
        if (loaded != 0)
            return false;
        mLoaded = true;
        return xmp_start_player(mContext, kAudioOutputRate, 0) == 0;
    }
    int Read(int16_t* out, int frames) override
    {
        if (mEnded)
            return 0;
        // libxmp counts loops itself: 0 plays on for ever, 1 ends at the first loop.
        int rc = xmp_play_buffer(mContext, out, frames * 4, mLooping ? 0 : 1);
        if (rc != 0) {
            mEnded = true;
            return 0;
        }
        return frames;
    }
    bool Rewind() override
    {
        xmp_end_player(mContext);
        mEnded = xmp_start_player(mContext, kAudioOutputRate, 0) != 0;
        return !mEnded;
    }
    bool LoopsItself() const override { return true; }
    void SetLooping(bool looping) override { mLooping = looping; }
    bool SeekOrder(int order) override
    {
        if (order < 0)
            return false;
        return xmp_set_position(mContext, order) >= 0;
    }

private:
    xmp_context mContext = nullptr;
    bool mLoaded = false;
    bool mLooping = true;
    bool mEnded = false;
};

template <typename T, typename... Args> std::unique_ptr<MusicDecoder> OpenAs(Args&&... args)
{
    auto decoder = std::make_unique<T>();
    if (!decoder->Open(std::forward<Args>(args)...))
        return nullptr;
    return decoder;
}

} // namespace

std::unique_ptr<MusicDecoder> OpenOggMusic(const std::string& path)
{
    return OpenAs<StreamMusic>(OpenOggStream(path));
}
std::unique_ptr<MusicDecoder> OpenMp3Music(const std::string& path)
{
    return OpenAs<StreamMusic>(OpenMp3Stream(path));
}
std::unique_ptr<MusicDecoder> OpenWavMusic(const std::string& path)
{
    // The samples are copied out at open, so the file's bytes need not outlive the decoder.
    std::string bytes;
    constexpr size_t kMaxWavMusicBytes = 256u << 20;
    if (!ReadWholeFile(path, bytes, kMaxWavMusicBytes))
        return nullptr;
    return OpenWavMusic(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}
std::unique_ptr<MusicDecoder> OpenModuleMusic(const std::string& path)
{
    return OpenAs<ModuleMusic>(path, nullptr, 0);
}

std::unique_ptr<MusicDecoder> OpenOggMusic(const uint8_t* bytes, size_t size)
{
    return OpenAs<StreamMusic>(OpenOggStream(bytes, size));
}
std::unique_ptr<MusicDecoder> OpenMp3Music(const uint8_t* bytes, size_t size)
{
    return OpenAs<StreamMusic>(OpenMp3Stream(bytes, size));
}
std::unique_ptr<MusicDecoder> OpenWavMusic(const uint8_t* bytes, size_t size)
{
    // SDL loads the whole file at once, so the copy need only live through the open.
    std::vector<uint8_t> wav = WithChunksCutToTheFile(bytes, std::min<size_t>(size, INT32_MAX));
    return OpenAs<WavMusic>(SDL_RWFromConstMem(wav.data(), static_cast<int>(wav.size())));
}
std::unique_ptr<MusicDecoder> OpenModuleMusic(const uint8_t* bytes, size_t size)
{
    return OpenAs<ModuleMusic>(std::string(), bytes, size);
}

} // namespace Olvarn
