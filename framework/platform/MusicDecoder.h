// Decoders of music files into 44100 Hz 16-bit stereo: Ogg Vorbis and MP3 (the streaming decoders),
// WAV (SDL) and tracker modules (libxmp). They read files, so they run on the music feeder, never in the
// audio callback.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace Olvarn
{

class MusicDecoder
{
public:
    virtual ~MusicDecoder() = default;
    // Fills up to `frames` interleaved stereo frames; fewer (0 at the end) when the music ends.
    virtual int Read(int16_t* out, int frames) = 0;
    // Back to the first frame; false when the file cannot seek.
    virtual bool Rewind() = 0;
    // Modules follow their own loop (they may loop to a point other than the start).
    virtual bool LoopsItself() const { return false; }
    virtual void SetLooping(bool looping) {}
    // Modules: continue at a pattern order. False for other music.
    virtual bool SeekOrder(int order) { return false; }
};

// Each returns null when the file cannot be opened or is not of that kind. Paths are native.
std::unique_ptr<MusicDecoder> OpenOggMusic(const std::string& path);
std::unique_ptr<MusicDecoder> OpenMp3Music(const std::string& path);
std::unique_ptr<MusicDecoder> OpenWavMusic(const std::string& path);
std::unique_ptr<MusicDecoder> OpenModuleMusic(const std::string& path);
// The same over a file's bytes in memory, which must outlive the decoder.
std::unique_ptr<MusicDecoder> OpenOggMusic(const uint8_t* bytes, size_t size);
std::unique_ptr<MusicDecoder> OpenMp3Music(const uint8_t* bytes, size_t size);
std::unique_ptr<MusicDecoder> OpenWavMusic(const uint8_t* bytes, size_t size);
std::unique_ptr<MusicDecoder> OpenModuleMusic(const uint8_t* bytes, size_t size);

} // namespace Olvarn
