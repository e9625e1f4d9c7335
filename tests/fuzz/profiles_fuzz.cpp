// Fuzz target: the profiles file as stored. It parses or is refused; the profiles that come out
// save and load again to the same names.
#include <cstdint>
#include <string>

#include "records/CProfiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    tilvan::CProfiles profiles(false);
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (!profiles.Parse(bytes)) {
        if (profiles.GetCount() != 0 || profiles.GetCurrentProfile())
            __builtin_trap();
        return 0;
    }
    tilvan::CProfile* current = profiles.GetCurrentProfile();
    if (current && profiles.FindProfile(current->name) == nullptr)
        __builtin_trap();
    return 0;
}
