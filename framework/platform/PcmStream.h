// Streaming decoders of Ogg Vorbis (Tremor) and MP3 (mpg123) into 16-bit frames at the file's own
// rate and channel count, over a file or bytes in memory. Music reads them a piece at a time; the
// sound-effect reader decodes them whole. The only place these codecs are called.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace Olvarn
{

class PcmStream
{
public:
    virtual ~PcmStream() = default;

    int Channels() const { return mChannels; }
    long Rate() const { return mRate; }
    // Up to `frames` interleaved frames; fewer, 0 at the end, when the stream ends. A stream that
    // stops on damaged data, or one whose channel count changes, ends with Failed() set.
    virtual int Read(int16_t* out, int frames) = 0;
    // Back to the first frame; false when the source cannot seek.
    virtual bool Rewind() = 0;
    // The frames the stream says it holds; -1 when it does not tell.
    virtual int64_t TotalFrames() { return -1; }
    bool Failed() const { return mFailed; }

protected:
    int mChannels = 0;
    long mRate = 0;
    bool mFailed = false;
};

// Null when the source cannot be opened or is not of that kind. Paths are native; bytes must
// outlive the stream.
std::unique_ptr<PcmStream> OpenOggStream(const std::string& path);
std::unique_ptr<PcmStream> OpenOggStream(const uint8_t* bytes, size_t size);
std::unique_ptr<PcmStream> OpenMp3Stream(const std::string& path);
std::unique_ptr<PcmStream> OpenMp3Stream(const uint8_t* bytes, size_t size);

} // namespace Olvarn
