// Fuzz target: the score server's reply as the game reads it. The tables keep their sizes and no
// name grows past its bound.
#include <cstdint>
#include <string>
#include <vector>

#include "records/RecordsExchange.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace tilvan;
    std::vector<CRecord> daily(100, CRecord::Placeholder("P")), global(100, CRecord::Placeholder("P"));
    std::string reply(reinterpret_cast<const char*>(data), size);
    records::ParseRecordsReply(reply, daily, global);
    if (daily.size() != 100 || global.size() != 100)
        __builtin_trap();
    for (const std::vector<CRecord>* table : {&daily, &global})
        for (const CRecord& r : *table)
            if (r.name.size() > records::kMaxNameBytes)
                __builtin_trap();
    return 0;
}
