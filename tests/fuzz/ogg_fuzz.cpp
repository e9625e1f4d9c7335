// Fuzzes the Ogg Vorbis reader (Tremor over a memory file).
#include <cstddef>
#include <cstdint>

#include "sound/SoundFileReader.h"

// Tremor itself loses a few bytes inside ov_open_callbacks on some damaged streams with several
// logical bitstreams; our side frees everything the library hands back, so only that is ignored.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libvorbisidec.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Olvarn::DecodedSound sound;
    if (Olvarn::ReadOggSound(data, size, sound) && sound.mData.size() % sound.mFormat.BlockAlign() != 0)
        __builtin_trap();
    return 0;
}
