// The tuning values of the records window and of the two statistics windows, read from their
// constants groups whenever the constants load. A key the group lacks leaves its value as it was.
#pragma once

#include <string>

#include "core/Color.h"

namespace tilvan
{

struct CPointF {
    float x = 0;
    float y = 0;
};

// Group "records_window": where the rows of a table are drawn.
struct CRecordsWindowLayout {
    CPointF name_start_pos;
    CPointF score_start_pos;
    CPointF star_start_pos;
    CPointF fish_start_pos;
    CPointF sun_start_pos;
    CPointF crown_start_pos;
    CPointF star_count_pos;
    CPointF fish_count_pos;
    CPointF sun_count_pos;
    int line_space = 0;
    std::string font;
    int bookmark_offset = 0;
    CPointF scroll_pos;
    CPointF scroll_size;
};

// Group "statistics_window", shared by the level and the bonus statistics windows.
struct CStatisticsLayout {
    CPointF level_score_pos;
    CPointF score_pos;
    CPointF new_record_pos;
    CPointF time_pos;
    CPointF time_left_pos;
    CPointF animals_pos;
    CPointF pearls_pos;
    CPointF medals_pos;
    CPointF crown_pos;
    float medals_delta = 0;
    Olvarn::Color medals_dark_color{0, 0, 0, 255};
    std::string font;
    std::string new_record_font;
    int pearl_speed = 0;
    int pearl_score = 0;
    int pearl_score_delta = 0;
    // String references already expanded.
    std::string new_record;
    int new_record_period = 0;
    int new_record_height = 0;
    int pause_time = 0;
    float time_to_score_k = 0;
    int time_speed = 0;
};

CRecordsWindowLayout& RecordsWindowLayout();
CStatisticsLayout& StatisticsLayout();

// The constants handlers of both groups.
void RegisterRecordsConstants();

} // namespace tilvan
