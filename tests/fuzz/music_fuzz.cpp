// Fuzz target: the music streams (Ogg Vorbis, MP3, WAV) from bytes, resampled to the mixer's rate:
// read in uneven pieces for up to a few seconds, rewound, read again. The first byte picks the kind.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/MusicDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using Opener = std::unique_ptr<Olvarn::MusicDecoder> (*)(const uint8_t*, size_t);
    static const Opener kOpeners[] = {Olvarn::OpenOggMusic, Olvarn::OpenMp3Music, Olvarn::OpenWavMusic};
    if (size < 1)
        return 0;
    std::unique_ptr<Olvarn::MusicDecoder> music = kOpeners[data[0] % 3](data + 1, size - 1);
    if (!music)
        return 0;
    std::vector<int16_t> frames(2 * 5000);
    for (int pass = 0; pass < 2; ++pass) {
        int total = 0;
        for (int ask = 1000; total < 4 * 44100; ask = ask * 7 % 4999 + 1) {
            int got = music->Read(frames.data(), ask);
            if (got < 0 || got > ask)
                __builtin_trap();
            if (got == 0)
                break;
            total += got;
        }
        if (!music->Rewind())
            break;
    }
    return 0;
}
