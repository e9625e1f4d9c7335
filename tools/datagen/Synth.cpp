// libfluidsynth set up the same way for every render, so the same notes give the same samples.
#include "Synth.h"

#include <fluidsynth.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <mutex>

#include "Util.h"

namespace datagen
{

namespace
{

const char* const kSoundFont = "/usr/share/sounds/sf2/FluidR3_GM.sf2";
// The library fills process-wide tables when its first synthesiser is made; made and destroyed
// one at a time, every render sees the same finished tables.
std::mutex gFluidLock;

} // namespace

std::string SynthIdentity()
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path path = fs::canonical(kSoundFont, error);
    const auto size = fs::file_size(path, error);
    const auto time = fs::last_write_time(path, error).time_since_epoch();
    return std::string(kSoundFont) + " -> " + path.string() + " " + std::to_string(size) + " " +
           std::to_string(std::chrono::duration_cast<std::chrono::seconds>(time).count()) + " fluidsynth " +
           fluid_version_str();
}

GmSynth::GmSynth(const std::string& where, bool effects, double gain)
{
    fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
    fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
    fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
    std::lock_guard<std::mutex> hold(gFluidLock);
    mSettings = new_fluid_settings();
    fluid_settings_setnum(mSettings, "synth.sample-rate", kAudioRate);
    fluid_settings_setint(mSettings, "synth.cpu-cores", 1);
    fluid_settings_setint(mSettings, "synth.reverb.active", effects ? 1 : 0);
    fluid_settings_setint(mSettings, "synth.chorus.active", effects ? 1 : 0);
    fluid_settings_setnum(mSettings, "synth.gain", gain);
    // Only the samples a render plays are read: the whole soundfont is 140 MB.
    fluid_settings_setint(mSettings, "synth.dynamic-sample-loading", 1);
    mSynth = new_fluid_synth(mSettings);
    if (!mSynth || fluid_synth_sfload(mSynth, kSoundFont, 1) == FLUID_FAILED) {
        if (mSynth)
            delete_fluid_synth(mSynth);
        delete_fluid_settings(mSettings);
        Fail(where + ": cannot load the soundfont " + kSoundFont);
    }
}

GmSynth::~GmSynth()
{
    std::lock_guard<std::mutex> hold(gFluidLock);
    delete_fluid_synth(mSynth);
    delete_fluid_settings(mSettings);
}

void GmSynth::Write(size_t frames, std::vector<float>& left, std::vector<float>& right)
{
    const size_t at = left.size();
    left.resize(at + frames);
    right.resize(at + frames);
    // Small blocks, as the player's clock advances once a block.
    for (size_t done = 0; done < frames; done += 64) {
        const int n = int(std::min<size_t>(64, frames - done));
        fluid_synth_write_float(mSynth, n, left.data(), int(at + done), 1, right.data(), int(at + done), 1);
    }
}

} // namespace datagen
