// Music decoders; the file formats other than modules are resampled here to the mixer's rate.
#include "platform/MusicDecoder.h"

#include <SDL.h>
#include <mpg123.h>
#include <tremor/ivorbisfile.h>
#include <xmp.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/AudioFormat.h"

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

// --- Ogg Vorbis through Tremor -------------------------------------------------------------------

size_t FileRead(void* ptr, size_t size, size_t count, void* file)
{
    return std::fread(ptr, size, count, static_cast<FILE*>(file));
}
int FileSeek(void* file, ogg_int64_t offset, int whence)
{
    return std::fseek(static_cast<FILE*>(file), static_cast<long>(offset), whence);
}
int FileClose(void* file)
{
    return std::fclose(static_cast<FILE*>(file));
}
long FileTell(void* file)
{
    return std::ftell(static_cast<FILE*>(file));
}

class OggMusic : public ResamplingDecoder
{
public:
    ~OggMusic() override
    {
        if (mOpen)
            ov_clear(&mFile);
    }
    bool Open(const std::string& path)
    {
        FILE* f = std::fopen(path.c_str(), "rb");
        if (!f)
            return false;
        ov_callbacks callbacks{FileRead, FileSeek, FileClose, FileTell};
        if (ov_open_callbacks(f, &mFile, nullptr, 0, callbacks) != 0) {
            std::fclose(f);
            return false;
        }
        mOpen = true;
        vorbis_info* info = ov_info(&mFile, -1);
        return info && SetNativeFormat(info->channels, info->rate);
    }

protected:
    int ReadNative(int16_t* out, int frames) override
    {
        int want = frames * NativeChannels() * 2;
        int done = 0;
        while (done < want) {
            int section = 0;
            long n = ov_read(&mFile, reinterpret_cast<char*>(out) + done, want - done, &section);
            if (n <= 0)
                break;
            vorbis_info* info = ov_info(&mFile, section);
            // A chained stream that changes its layout ends the music rather than garbling it.
            if (!info || info->channels != NativeChannels())
                break;
            done += static_cast<int>(n);
        }
        return done / (NativeChannels() * 2);
    }
    bool RewindNative() override { return ov_pcm_seek(&mFile, 0) == 0; }

private:
    OggVorbis_File mFile{};
    bool mOpen = false;
};

// --- MP3 through mpg123 --------------------------------------------------------------------------

class Mp3Music : public ResamplingDecoder
{
public:
    ~Mp3Music() override
    {
        if (mHandle) {
            mpg123_close(mHandle);
            mpg123_delete(mHandle);
        }
    }
    bool Open(const std::string& path)
    {
        static std::once_flag once;
        std::call_once(once, [] { mpg123_init(); });
        mHandle = mpg123_new(nullptr, nullptr);
        if (!mHandle)
            return false;
        mpg123_param(mHandle, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
        mpg123_format_none(mHandle);
        const long* rates = nullptr;
        size_t count = 0;
        mpg123_rates(&rates, &count);
        for (size_t i = 0; i < count; ++i)
            mpg123_format(mHandle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
        if (mpg123_open(mHandle, path.c_str()) != MPG123_OK)
            return false;
        long rate = 0;
        int channels = 0;
        int encoding = 0;
        if (mpg123_getformat(mHandle, &rate, &channels, &encoding) != MPG123_OK)
            return false;
        // The format is fixed from here on, so the decoder cannot switch it mid-stream.
        mpg123_format_none(mHandle);
        mpg123_format(mHandle, rate, channels, encoding);
        return SetNativeFormat(channels, rate);
    }

protected:
    int ReadNative(int16_t* out, int frames) override
    {
        size_t want = static_cast<size_t>(frames) * NativeChannels() * 2;
        size_t done = 0;
        while (done < want) {
            size_t got = 0;
            int err = mpg123_read(mHandle, reinterpret_cast<unsigned char*>(out) + done, want - done, &got);
            done += got;
            if (err != MPG123_OK && err != MPG123_NEW_FORMAT)
                break;
            if (got == 0 && err != MPG123_NEW_FORMAT)
                break;
        }
        return static_cast<int>(done / (NativeChannels() * 2));
    }
    bool RewindNative() override { return mpg123_seek(mHandle, 0, SEEK_SET) >= 0; }

private:
    mpg123_handle* mHandle = nullptr;
};

// --- WAV through SDL ------------------------------------------------------------------------------

class WavMusic : public ResamplingDecoder
{
public:
    bool Open(const std::string& path)
    {
        SDL_AudioSpec spec{};
        Uint8* buf = nullptr;
        Uint32 len = 0;
        if (!SDL_LoadWAV(path.c_str(), &spec, &buf, &len))
            return false;
        bool ok = true;
        if (spec.format == AUDIO_S16LSB) {
            mSamples.resize(len / 2);
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
    bool Open(const std::string& path)
    {
        mContext = xmp_create_context();
        if (!mContext || xmp_load_module(mContext, const_cast<char*>(path.c_str())) != 0)
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

template <typename T> std::unique_ptr<MusicDecoder> OpenAs(const std::string& path)
{
    auto decoder = std::make_unique<T>();
    if (!decoder->Open(path))
        return nullptr;
    return decoder;
}

} // namespace

std::unique_ptr<MusicDecoder> OpenOggMusic(const std::string& path)
{
    return OpenAs<OggMusic>(path);
}
std::unique_ptr<MusicDecoder> OpenMp3Music(const std::string& path)
{
    return OpenAs<Mp3Music>(path);
}
std::unique_ptr<MusicDecoder> OpenWavMusic(const std::string& path)
{
    return OpenAs<WavMusic>(path);
}
std::unique_ptr<MusicDecoder> OpenModuleMusic(const std::string& path)
{
    return OpenAs<ModuleMusic>(path);
}

} // namespace Olvarn
