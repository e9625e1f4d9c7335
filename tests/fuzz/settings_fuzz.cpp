// Fuzz target: the settings file format. Whatever parses must write out and parse back the same.
#include <cstdint>
#include <string>

#include "platform/SettingsStore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using Olvarn::SettingsStore;
    SettingsStore::ValueMap values = SettingsStore::Parse(std::string(reinterpret_cast<const char*>(data), size));
    SettingsStore::ValueMap again = SettingsStore::Parse(SettingsStore::Serialize(values));
    if (again.size() != values.size())
        __builtin_trap();
    for (auto a = values.begin(), b = again.begin(); a != values.end(); ++a, ++b)
        if (a->first != b->first || a->second.mType != b->second.mType || a->second.mData != b->second.mData)
            __builtin_trap();
    return 0;
}
