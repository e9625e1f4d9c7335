// Loudness through libebur128, the active span of an effect, and simple stereo statistics.
#include "Levels.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <memory>

namespace datagen
{

double EffectLoudness(const std::string& soundClass)
{
    static const std::map<std::string, double> kTargets = {{"interface", -23.0}, {"game", -20.0}, {"fanfare", -18.0}};
    auto it = kTargets.find(soundClass);
    return it == kTargets.end() ? std::numeric_limits<double>::quiet_NaN() : it->second;
}

double IntegratedLoudness(const std::vector<float>& samples, int channels, int rate)
{
    std::unique_ptr<ebur128_state, void (*)(ebur128_state*)> state(
        ebur128_init(unsigned(channels), unsigned(rate), EBUR128_MODE_I),
        [](ebur128_state* s) { ebur128_destroy(&s); });
    double loudness = -std::numeric_limits<double>::infinity();
    if (!state || samples.size() < size_t(channels))
        return loudness;
    ebur128_add_frames_float(state.get(), samples.data(), samples.size() / size_t(channels));
    if (ebur128_loudness_global(state.get(), &loudness) != EBUR128_SUCCESS)
        return -std::numeric_limits<double>::infinity();
    return loudness;
}

double ActiveLoudness(const std::vector<float>& mono, int rate)
{
    const size_t window = size_t(rate / 100);
    std::vector<double> power;
    for (size_t at = 0; at < mono.size(); at += window) {
        double sum = 0;
        const size_t end = std::min(mono.size(), at + window);
        for (size_t i = at; i < end; ++i)
            sum += double(mono[i]) * mono[i];
        power.push_back(sum / double(end - at));
    }
    const double loudest = power.empty() ? 0 : *std::max_element(power.begin(), power.end());
    if (loudest <= 0)
        return -std::numeric_limits<double>::infinity();
    size_t first = 0, last = power.size() - 1;
    while (power[first] < loudest * 1e-4)
        ++first;
    while (power[last] < loudest * 1e-4)
        --last;
    // Inside the edge windows, the span starts and ends at the first and last loud enough sample.
    const double floor = std::sqrt(loudest) * 1e-2;
    size_t begin = first * window, end = std::min(mono.size(), (last + 1) * window);
    while (std::fabs(mono[begin]) < floor)
        ++begin;
    while (std::fabs(mono[end - 1]) < floor)
        --end;
    const std::vector<float> active(mono.begin() + long(begin), mono.begin() + long(end));
    std::vector<float> repeated;
    while (repeated.size() < size_t(2 * rate))
        repeated.insert(repeated.end(), active.begin(), active.end());
    return IntegratedLoudness(repeated, 1, rate);
}

double StereoCorrelation(const std::vector<float>& interleaved)
{
    double ll = 0, rr = 0, lr = 0, ml = 0, mr = 0;
    const size_t frames = interleaved.size() / 2;
    for (size_t i = 0; i < frames; ++i) {
        ml += interleaved[2 * i];
        mr += interleaved[2 * i + 1];
    }
    ml /= double(frames);
    mr /= double(frames);
    for (size_t i = 0; i < frames; ++i) {
        const double l = interleaved[2 * i] - ml, r = interleaved[2 * i + 1] - mr;
        ll += l * l;
        rr += r * r;
        lr += l * r;
    }
    return ll > 0 && rr > 0 ? lr / std::sqrt(ll * rr) : 1.0;
}

double DcOffset(const std::vector<float>& samples)
{
    double sum = 0;
    for (float s : samples)
        sum += s;
    return samples.empty() ? 0 : sum / double(samples.size());
}

} // namespace datagen
