// A record's row in the records file.
#include "records/CRecord.h"

#include "data/DataCodecs.h"

namespace tilvan
{

int CRecord::Save()
{
    // The halves are stored as signed decimal: a half of 2^31 or more is written negative.
    int32_t low = static_cast<int32_t>(static_cast<uint32_t>(date & 0xFFFFFFFFu));
    int32_t high = static_cast<int32_t>(static_cast<uint32_t>(date >> 32));
    return save::SaveWriter().WriteRow("record", Base64EncodeString(name), score, sun_medal, star_medal, fish_medal,
                                       crown, sended, low, high, generated);
}

void CRecord::Load(int row)
{
    std::string encodedName, scoreText, sun, star, fish, crownText, sent, low, high, placeholder;
    save::SaveReader().GetRow("record", row, encodedName, scoreText, sun, star, fish, crownText, sent, low, high,
                              placeholder);
    name = Base64DecodeToString(encodedName.c_str());
    score = ParseInt(scoreText);
    sun_medal = ParseInt(sun);
    star_medal = ParseInt(star);
    fish_medal = ParseInt(fish);
    crown = ParseInt(crownText) != 0;
    sended = ParseInt(sent) != 0;
    uint32_t lowBits = static_cast<uint32_t>(ParseInt(low));
    uint32_t highBits = static_cast<uint32_t>(ParseInt(high));
    date = (static_cast<uint64_t>(highBits) << 32) | lowBits;
    generated = ParseInt(placeholder) != 0;
}

CRecord CRecord::Placeholder(const std::string& playerName)
{
    CRecord record;
    record.name = playerName;
    record.sended = true;
    record.generated = true;
    return record;
}

} // namespace tilvan
