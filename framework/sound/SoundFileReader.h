// Readers of sound files into whole PCM sounds: WAV (also the decoded-sound cache), AU, Ogg Vorbis
// and MP3 (through the platform's streaming decoders), and the writer of cache files. Pure: bytes in, samples out.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/AudioFormat.h"

namespace Olvarn
{

struct DecodedSound {
    PcmFormat mFormat;
    std::vector<uint8_t> mData;
};

// The last-write time (FILETIME) of a file named in a cache's "dep " chunk; 0 when it is missing.
using DependencyTime = std::function<uint64_t(const std::string& name)>;

// Lowest and highest sample rates a sound file may declare.
constexpr int kSoundRateMin = 100;
constexpr int kSoundRateMax = 200000;

// A RIFF WAVE file of PCM samples. With a "dep " chunk, fails when the named file's time differs
// from the stored one (a stale cache).
bool ReadWavSound(const uint8_t* bytes, size_t size, const DependencyTime& dependencyTime, DecodedSound& out);
// A Sun/NeXT ".snd" file, 8-bit mu-law (to 16-bit samples) or 8-bit linear (to unsigned 8-bit).
bool ReadAuSound(const uint8_t* bytes, size_t size, DecodedSound& out);
// An Ogg Vorbis file of 1 or 2 channels, decoded whole to 16-bit samples.
bool ReadOggSound(const uint8_t* bytes, size_t size, DecodedSound& out);
// An MP3 file of 1 or 2 channels, decoded whole to 16-bit samples.
bool ReadMp3Sound(const uint8_t* bytes, size_t size, DecodedSound& out);

// The 16-bit sample of a mu-law byte.
int16_t MuLawToLinear(uint8_t code);

// The cache file of a decoded sound: RIFF WAVE with a "dep " chunk naming its source file and that
// file's last-write time; without a dependency name, no "dep " chunk.
std::string MakeCacheWav(const DecodedSound& sound, const std::string& dependencyName, uint64_t dependencyTime);

} // namespace Olvarn
