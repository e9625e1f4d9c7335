// Loudness and stereo measures of generated audio, shared by the sound and music steps and their tests.
#pragma once

#include <string>
#include <vector>

namespace datagen
{

// The integrated loudness (LUFS) every music track is brought to.
constexpr double kMusicLoudness = -20.0;
// The active loudness (LUFS) the effects of a class ("interface", "game", "fanfare") are brought
// to: the interface murmurs, play speaks a little over the music, fanfares stand out. NaN for an
// unknown class.
double EffectLoudness(const std::string& soundClass);

// Integrated loudness (EBU R 128, LUFS) of interleaved samples; -inf when the input is silent or
// shorter than one 400 ms block.
double IntegratedLoudness(const std::vector<float>& samples, int channels, int rate);

// The loudness of a short effect while it sounds: the span from the first to the last moment within
// 40 dB of its loudest 10 ms is repeated to fill two seconds and measured as above, so a click and
// a long chime are compared by how loud they are, not by how long they last.
double ActiveLoudness(const std::vector<float>& mono, int rate);

// Pearson correlation of left and right (1 for identical channels, 0 for unrelated ones).
double StereoCorrelation(const std::vector<float>& interleaved);

// The mean of every sample of every channel.
double DcOffset(const std::vector<float>& samples);

} // namespace datagen
