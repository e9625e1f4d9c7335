// Small sound files made by the tests themselves: WAV and AU bytes, an Ogg file encoded with the
// Vorbis tools, a one-pattern tracker module, and a manual audio device the tests render by hand.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/AudioDevice.h"

namespace soundtest
{

// Little- and big-endian writers.
void Put16(std::string& out, uint32_t v);
void Put32(std::string& out, uint32_t v);
void PutBe32(std::string& out, uint32_t v);

// A RIFF WAVE file with a 16-byte "fmt " chunk and a "data" chunk.
std::string MakeWav(int channels, int rate, int bits, const std::string& samples, int formatTag = 1);
// 16-bit samples as bytes.
std::string Samples16(const std::vector<int16_t>& samples);
// A sine of `frames` frames at `hz`, 16-bit, 1 or 2 channels.
std::vector<int16_t> Sine(int frames, int channels, int rate, double hz, int amplitude = 12000);

// A ".snd" file: header fields as given, then the data.
std::string MakeAu(uint32_t offset, uint32_t size, uint32_t encoding, uint32_t rate, uint32_t channels,
                   const std::string& data);

// Encodes the WAV bytes to Ogg Vorbis with oggenc; the Ogg bytes, empty when encoding failed.
std::string EncodeOgg(const std::string& wavBytes);

// Encodes the WAV bytes to MP3 with lame; empty when encoding failed.
std::string EncodeMp3(const std::string& wavBytes);

// A 4-channel ProTracker module playing one looped square-wave note for one pattern.
std::string MakeModule();

// The process's audio device in manual mode: the mixer runs only when the test renders.
std::shared_ptr<Olvarn::AudioDevice> ManualDevice();

// Largest absolute sample of interleaved stereo frames.
int Peak(const std::vector<int16_t>& frames);

} // namespace soundtest
