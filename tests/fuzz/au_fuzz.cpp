// Fuzzes the AU reader.
#include <cstddef>
#include <cstdint>

#include "sound/SoundFileReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Olvarn::DecodedSound sound;
    if (Olvarn::ReadAuSound(data, size, sound) && sound.mData.size() > size * 2)
        __builtin_trap(); // never more than two output bytes per input byte
    return 0;
}
