// Fuzz target: tracker modules through libxmp, from bytes: a second of playing, a jump to another
// pattern order, a rewind and a little more, both looping and played once.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/MusicDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::unique_ptr<Olvarn::MusicDecoder> music = Olvarn::OpenModuleMusic(data, size);
    if (!music)
        return 0;
    std::vector<int16_t> frames(2 * 4410);
    music->SetLooping(size % 2 == 0);
    for (int i = 0; i < 10; ++i)
        if (music->Read(frames.data(), 4410) < 0)
            __builtin_trap();
    music->SeekOrder(static_cast<int>(data[0]));
    music->Read(frames.data(), 4410);
    music->Rewind();
    music->Read(frames.data(), 4410);
    return 0;
}
