// The General MIDI soundfont played through libfluidsynth, shared by the music and the effects: one
// synthesiser a render, made and destroyed under one lock, and the identity of what renders.
#pragma once

#include <string>
#include <vector>

typedef struct _fluid_synth_t fluid_synth_t;
typedef struct _fluid_hashtable_t fluid_settings_t;

namespace datagen
{

constexpr int kAudioRate = 44100;

// The soundfont's path, size and time and the synthesiser's version: outputs made from it are
// stale when any of these change.
std::string SynthIdentity();

class GmSynth
{
public:
    // `effects`: the soundfont's reverb and chorus.
    GmSynth(const std::string& where, bool effects, double gain);
    ~GmSynth();
    GmSynth(const GmSynth&) = delete;
    GmSynth& operator=(const GmSynth&) = delete;

    fluid_synth_t* Get() { return mSynth; }
    // Appends `frames` stereo frames to left and right.
    void Write(size_t frames, std::vector<float>& left, std::vector<float>& right);

private:
    fluid_settings_t* mSettings = nullptr;
    fluid_synth_t* mSynth = nullptr;
};

} // namespace datagen
