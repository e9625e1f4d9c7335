// One entry of a high-score table: who, how much, the medals and crown of the profile then, and when.
#pragma once

#include <cstdint>
#include <string>

#include "data/CSaveObject.h"

namespace tilvan
{

class CRecord : public save::CSaveObject
{
public:
    // One "record" row through the save writer; its row number.
    int Save() override;
    void Load(int row) override;

    // The entry a table is filled with where no result stands.
    static CRecord Placeholder(const std::string& playerName);

    std::string name;
    int score = 0;
    bool crown = false;
    int star_medal = 0;
    int fish_medal = 0;
    int sun_medal = 0;
    bool sended = false;
    // 100-nanosecond units since 1601-01-01 UTC.
    uint64_t date = 0;
    bool generated = false;
};

} // namespace tilvan
