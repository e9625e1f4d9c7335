// Fuzz target: loading a save through the save-class registry: class ids, row references, made
// children, cycles. A load either succeeds or fails; it never throws or crashes.
#include <cstdint>
#include <string>

#include "../data/SaveFixtures.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    savefixtures::RegisterSaveFixtures();
    std::string bytes(reinterpret_cast<const char*>(data), size);
    savefixtures::Root root;
    std::string error;
    tilvan::save::ESaveLoad result = tilvan::save::LoadSaveBytes(bytes, root, &error);
    if (result == tilvan::save::ESaveLoad::Damaged && error.empty())
        __builtin_trap();
    // The reader is left cleared and usable for the next load.
    if (tilvan::save::SaveReader().IsLoaded())
        __builtin_trap();
    return 0;
}
