// Ogg Vorbis through libvorbisenc, with a fixed stream serial so equal samples give equal bytes.
#pragma once

#include <string>
#include <vector>

namespace datagen
{

// Interleaved samples in -1..1; quality as libvorbisenc takes it (-0.1 .. 1).
std::string EncodeOggVorbis(const std::vector<float>& samples, int channels, int rate, float quality, int serial);

} // namespace datagen
