// Fuzz target: the MP3 reader (mpg123 over bytes in memory), decoding whole.
#include <cstddef>
#include <cstdint>

#include "sound/SoundFileReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Olvarn::DecodedSound sound;
    if (Olvarn::ReadMp3Sound(data, size, sound) && sound.mData.size() % sound.mFormat.BlockAlign() != 0)
        __builtin_trap();
    return 0;
}
