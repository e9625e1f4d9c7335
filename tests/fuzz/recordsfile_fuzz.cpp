// Fuzz target: the records file as stored. Whatever it holds, a parsed local table is ten entries
// best first and the latest result names one of them or none.
#include <algorithm>
#include <cstdint>
#include <string>

#include "records/CRecords.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    tilvan::CRecords records("Player", false);
    std::string bytes(reinterpret_cast<const char*>(data), size);
    records.Parse(bytes);
    if (records.local.size() != 10 || records.daily.size() != 100 || records.global.size() != 100)
        __builtin_trap();
    if (!std::is_sorted(records.local.begin(), records.local.end(),
                        [](const tilvan::CRecord& a, const tilvan::CRecord& b) { return a.score > b.score; }))
        __builtin_trap();
    if (records.last_record != -1 && (records.last_record < 1 || records.last_record > 10))
        __builtin_trap();
    return 0;
}
