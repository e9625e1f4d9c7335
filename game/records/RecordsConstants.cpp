// Reading the "records_window" and "statistics_window" constants groups.
#include "records/RecordsConstants.h"

#include "data/CConstantsRegistry.h"
#include "data/CStringTable.h"
#include "data/DataCodecs.h"
#include "shell/CGuiDescriptions.h"

namespace tilvan
{

namespace
{

using Group = CConstantsRegistry::Group;

// Each reader takes the key only when the group has it, so a missing key keeps the old value.
const std::string* Find(const Group& group, const char* key)
{
    auto it = group.find(key);
    return it == group.end() ? nullptr : &it->second;
}

void Read(const Group& group, const char* key, CPointF& out)
{
    if (const std::string* text = Find(group, key))
        ParseFloatPair(text->c_str(), out.x, out.y);
}

void Read(const Group& group, const char* key, int& out)
{
    if (const std::string* text = Find(group, key))
        out = ParseInt(*text);
}

void Read(const Group& group, const char* key, float& out)
{
    if (const std::string* text = Find(group, key))
        out = ParseFloat(*text);
}

void Read(const Group& group, const char* key, std::string& out)
{
    if (const std::string* text = Find(group, key))
        out = *text;
}

void RecordsWindowHandler(Group& group)
{
    CRecordsWindowLayout& l = RecordsWindowLayout();
    Read(group, "name_start_pos", l.name_start_pos);
    Read(group, "score_start_pos", l.score_start_pos);
    Read(group, "star_start_pos", l.star_start_pos);
    Read(group, "fish_start_pos", l.fish_start_pos);
    Read(group, "sun_start_pos", l.sun_start_pos);
    Read(group, "crown_start_pos", l.crown_start_pos);
    Read(group, "star_count_pos", l.star_count_pos);
    Read(group, "fish_count_pos", l.fish_count_pos);
    Read(group, "sun_count_pos", l.sun_count_pos);
    Read(group, "line_space", l.line_space);
    Read(group, "font", l.font);
    Read(group, "bookmark_offset", l.bookmark_offset);
    Read(group, "scroll_pos", l.scroll_pos);
    Read(group, "scroll_size", l.scroll_size);
}

void StatisticsHandler(Group& group)
{
    CStatisticsLayout& l = StatisticsLayout();
    Read(group, "level_score_pos", l.level_score_pos);
    Read(group, "score_pos", l.score_pos);
    Read(group, "new_record_pos", l.new_record_pos);
    Read(group, "time_pos", l.time_pos);
    Read(group, "time_left_pos", l.time_left_pos);
    Read(group, "animals_pos", l.animals_pos);
    Read(group, "pearls_pos", l.pearls_pos);
    Read(group, "medals_pos", l.medals_pos);
    Read(group, "crown_pos", l.crown_pos);
    Read(group, "medals_delta", l.medals_delta);
    if (const std::string* text = Find(group, "medals_dark_color"))
        ParseColorChannels(*text, l.medals_dark_color);
    Read(group, "font", l.font);
    Read(group, "new_record_font", l.new_record_font);
    Read(group, "pearl_speed", l.pearl_speed);
    Read(group, "pearl_score", l.pearl_score);
    Read(group, "pearl_score_delta", l.pearl_score_delta);
    if (const std::string* text = Find(group, "new_record"))
        AssignLocalized(l.new_record, *text);
    Read(group, "new_record_period", l.new_record_period);
    Read(group, "new_record_height", l.new_record_height);
    Read(group, "pause_time", l.pause_time);
    Read(group, "time_to_score_k", l.time_to_score_k);
    Read(group, "time_speed", l.time_speed);
}

} // namespace

CRecordsWindowLayout& RecordsWindowLayout()
{
    static CRecordsWindowLayout layout;
    return layout;
}

CStatisticsLayout& StatisticsLayout()
{
    static CStatisticsLayout layout;
    return layout;
}

void RegisterRecordsConstants()
{
    CConstantsRegistry::Instance().RegisterHandler("records_window", &RecordsWindowHandler);
    CConstantsRegistry::Instance().RegisterHandler("statistics_window", &StatisticsHandler);
}

} // namespace tilvan
