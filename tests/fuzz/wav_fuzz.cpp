// Fuzzes the WAV reader (sound files and the decoded-sound cache, with its "dep " chunk).
#include <cstddef>
#include <cstdint>
#include <string>

#include "sound/SoundFileReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Olvarn::DecodedSound sound;
    auto stamp = [](const std::string& name) { return static_cast<uint64_t>(name.size()) * 0x10001; };
    if (Olvarn::ReadWavSound(data, size, stamp, sound) && sound.mData.size() % sound.mFormat.BlockAlign() != 0)
        __builtin_trap();
    return 0;
}
