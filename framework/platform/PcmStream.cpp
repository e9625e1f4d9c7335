// Ogg Vorbis through Tremor and MP3 through mpg123, both reading through one byte source that is
// either a file or bytes in memory.
#include "platform/PcmStream.h"

#include <mpg123.h>
#include <tremor/ivorbisfile.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace Olvarn
{

namespace
{

// A seekable run of bytes: an open file, or memory the caller keeps alive.
class ByteSource
{
public:
    explicit ByteSource(std::FILE* file) : mFile(file) {}
    ByteSource(const uint8_t* bytes, size_t size) : mBytes(bytes), mSize(size) {}
    ~ByteSource()
    {
        if (mFile)
            std::fclose(mFile);
    }
    ByteSource(const ByteSource&) = delete;
    ByteSource& operator=(const ByteSource&) = delete;

    size_t Read(void* out, size_t count)
    {
        if (mFile)
            return std::fread(out, 1, count, mFile);
        size_t n = std::min(count, mSize - mAt);
        if (n > 0)
            std::memcpy(out, mBytes + mAt, n);
        mAt += n;
        return n;
    }
    // The new position, or -1 when it would leave the source.
    int64_t Seek(int64_t offset, int whence)
    {
        if (mFile)
            return std::fseek(mFile, static_cast<long>(offset), whence) == 0 ? std::ftell(mFile) : -1;
        int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? static_cast<int64_t>(mAt) : int64_t(mSize);
        if ((whence != SEEK_SET && whence != SEEK_CUR && whence != SEEK_END) || offset < -base ||
            offset > static_cast<int64_t>(mSize) - base)
            return -1;
        mAt = static_cast<size_t>(base + offset);
        return static_cast<int64_t>(mAt);
    }
    int64_t Tell() const { return mFile ? std::ftell(mFile) : static_cast<int64_t>(mAt); }

private:
    std::FILE* mFile = nullptr;
    const uint8_t* mBytes = nullptr;
    size_t mSize = 0;
    size_t mAt = 0;
};

std::unique_ptr<ByteSource> FileSource(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    return file ? std::make_unique<ByteSource>(file) : nullptr;
}

// --- Ogg Vorbis ------------------------------------------------------------------------------------

size_t OggRead(void* out, size_t size, size_t count, void* source)
{
    if (size == 0)
        return 0;
    return static_cast<ByteSource*>(source)->Read(out, size * count) / size;
}
int OggSeek(void* source, ogg_int64_t offset, int whence)
{
    return static_cast<ByteSource*>(source)->Seek(offset, whence) < 0 ? -1 : 0;
}
int OggClose(void*)
{
    return 0; // the stream owns the source
}
long OggTell(void* source)
{
    return static_cast<long>(static_cast<ByteSource*>(source)->Tell());
}

class OggStream : public PcmStream
{
public:
    explicit OggStream(std::unique_ptr<ByteSource> source) : mSource(std::move(source)) {}
    ~OggStream() override
    {
        if (mOpen)
            ov_clear(&mFile);
    }
    bool Open()
    {
        ov_callbacks callbacks{OggRead, OggSeek, OggClose, OggTell};
        if (ov_open_callbacks(mSource.get(), &mFile, nullptr, 0, callbacks) != 0)
            return false;
        mOpen = true;
        vorbis_info* info = ov_info(&mFile, -1);
        if (!info || (info->channels != 1 && info->channels != 2))
            return false;
        mChannels = info->channels;
        mRate = info->rate;
        return true;
    }
    int Read(int16_t* out, int frames) override
    {
        const int frameBytes = mChannels * 2;
        const long want = static_cast<long>(frames) * frameBytes;
        long done = 0;
        while (done < want) {
            int section = 0;
            long n = ov_read(&mFile, reinterpret_cast<char*>(out) + done, static_cast<int>(want - done), &section);
            if (n == 0)
                break;
            vorbis_info* info = n > 0 ? ov_info(&mFile, section) : nullptr;
            // A damaged page, or a chained stream that changes its layout, ends the stream rather
            // than garbling it.
            if (!info || info->channels != mChannels) {
                mFailed = true;
                break;
            }
            done += n;
        }
        return static_cast<int>(done / frameBytes);
    }
    bool Rewind() override
    {
        mFailed = false;
        return ov_pcm_seek(&mFile, 0) == 0;
    }
    int64_t TotalFrames() override
    {
        ogg_int64_t total = ov_pcm_total(&mFile, -1);
        return total < 0 ? -1 : total;
    }

private:
    std::unique_ptr<ByteSource> mSource;
    OggVorbis_File mFile{};
    bool mOpen = false;
};

std::unique_ptr<PcmStream> OpenOgg(std::unique_ptr<ByteSource> source)
{
    if (!source)
        return nullptr;
    auto stream = std::make_unique<OggStream>(std::move(source));
    if (!stream->Open())
        return nullptr;
    return stream;
}

// --- MP3 -------------------------------------------------------------------------------------------

mpg123_ssize_t Mp3Read(void* source, void* out, size_t count)
{
    return static_cast<mpg123_ssize_t>(static_cast<ByteSource*>(source)->Read(out, count));
}
off_t Mp3Seek(void* source, off_t offset, int whence)
{
    return static_cast<off_t>(static_cast<ByteSource*>(source)->Seek(offset, whence));
}

class Mp3Stream : public PcmStream
{
public:
    explicit Mp3Stream(std::unique_ptr<ByteSource> source) : mSource(std::move(source)) {}
    ~Mp3Stream() override
    {
        if (mHandle) {
            mpg123_close(mHandle);
            mpg123_delete(mHandle);
        }
    }
    bool Open()
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
        if (mpg123_replace_reader_handle(mHandle, Mp3Read, Mp3Seek, nullptr) != MPG123_OK ||
            mpg123_open_handle(mHandle, mSource.get()) != MPG123_OK)
            return false;
        long rate = 0;
        int channels = 0;
        int encoding = 0;
        if (mpg123_getformat(mHandle, &rate, &channels, &encoding) != MPG123_OK || (channels != 1 && channels != 2))
            return false;
        // The format is fixed from here on, so the decoder cannot switch it mid-stream.
        mpg123_format_none(mHandle);
        mpg123_format(mHandle, rate, channels, encoding);
        mChannels = channels;
        mRate = rate;
        return true;
    }
    int Read(int16_t* out, int frames) override
    {
        const size_t frameBytes = static_cast<size_t>(mChannels) * 2;
        const size_t want = static_cast<size_t>(frames) * frameBytes;
        size_t done = 0;
        while (done < want) {
            size_t got = 0;
            int err = mpg123_read(mHandle, reinterpret_cast<unsigned char*>(out) + done, want - done, &got);
            done += got;
            if (err == MPG123_DONE)
                break;
            if (err == MPG123_NEW_FORMAT)
                continue;
            // Anything else ends the stream; so does a read that brings nothing without saying done.
            if (err != MPG123_OK || got == 0) {
                mFailed = true;
                break;
            }
        }
        return static_cast<int>(done / frameBytes);
    }
    bool Rewind() override
    {
        mFailed = false;
        return mpg123_seek(mHandle, 0, SEEK_SET) >= 0;
    }

private:
    std::unique_ptr<ByteSource> mSource;
    mpg123_handle* mHandle = nullptr;
};

std::unique_ptr<PcmStream> OpenMp3(std::unique_ptr<ByteSource> source)
{
    if (!source)
        return nullptr;
    auto stream = std::make_unique<Mp3Stream>(std::move(source));
    if (!stream->Open())
        return nullptr;
    return stream;
}

} // namespace

std::unique_ptr<PcmStream> OpenOggStream(const std::string& path)
{
    return OpenOgg(FileSource(path));
}
std::unique_ptr<PcmStream> OpenOggStream(const uint8_t* bytes, size_t size)
{
    return OpenOgg(std::make_unique<ByteSource>(bytes, size));
}
std::unique_ptr<PcmStream> OpenMp3Stream(const std::string& path)
{
    return OpenMp3(FileSource(path));
}
std::unique_ptr<PcmStream> OpenMp3Stream(const uint8_t* bytes, size_t size)
{
    return OpenMp3(std::make_unique<ByteSource>(bytes, size));
}

} // namespace Olvarn
