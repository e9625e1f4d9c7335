// The tuning of the level and piece effects, one process-wide record per constants group, filled by
// the group's handler when the constants file is read. A group whose values cannot be used is
// rejected with the file and row of the bad value and keeps what it had.
#pragma once

#include <string>

#include "core/Color.h"
#include "core/Vector2.h"
#include "data/CConstantsRegistry.h"
#include "data/CLocalizedText.h"

namespace tilvan
{

// "floating_score"
struct CFloatingScoreConstants {
    int amplitude = 0;
    int period = 0;
    int vertical_vel = 0;
    Olvarn::Color color{0, 0, 0, 255};
    int time = 0;
    std::string font;
    int font_height = 0;
};

// "level_start_effect": times in ms from the start of the effect.
struct CLevelStartConstants {
    float start_drop_level = 50;
    float start_drop_location = 300;
    float drop_time = 500;
    float start_vel = 70;
    float drop_pause = 70;
    float start_drop_down = 4000;
    Olvarn::OlvarnVector2 drop_coords;
};

// "level_complete_effect": times in ms from the start of the effect.
struct CLevelCompleteConstants {
    int start_melt = 0;
    int melt_time = 0;
    int start_fade = 0;
    int fade_time = 0;
    int start_flash = 500;
    int min_flash_delay = 0;
    int max_flash_delay = 3000;
    int complete_time = 0;
    int break_time = 0;
    int start_drop = 500;
    int drop_time = 1500;
    float start_vel = 0;
    int drop_pause = 0;
    CLocalizedText drop_text;
    CLocalizedText drop_win_text;
    CLocalizedText drop_time_up_text;
    Olvarn::OlvarnVector2 drop_coords;
    int grid_fade_start = 0;
    int grid_fade_time = 0;
};

// "pearl_effect"
struct CPearlEffectConstants {
    Olvarn::OlvarnVector2 target_pos;
    int time = 0;
    std::string image;
    float scale = 0;
};

// "bonus_effect": the sparkles and flashes of a piece that carries a bonus.
struct CBonusEffectConstants {
    int min_delay = 50;
    int max_delay = 250;
    float size_k = 2;
    float min_scale = 0.5f;
    float max_scale = 0.6f;
    float min_flash_pause = 0;
    float max_flash_pause = 0;
    float flash_time = 0;
    Olvarn::Color min_color{0, 0, 0, 255};
    Olvarn::Color max_color{0, 0, 0, 255};
};

CFloatingScoreConstants& FloatingScoreConstants();
CLevelStartConstants& LevelStartConstants();
CLevelCompleteConstants& LevelCompleteConstants();
CPearlEffectConstants& PearlEffectConstants();
CBonusEffectConstants& BonusEffectConstants();

// The handlers: each reads its group into its record or throws naming the bad value.
void ReadFloatingScoreConstants(CConstantsRegistry::Group& group);
void ReadLevelStartConstants(CConstantsRegistry::Group& group);
void ReadLevelCompleteConstants(CConstantsRegistry::Group& group);
void ReadPearlEffectConstants(CConstantsRegistry::Group& group);
void ReadBonusEffectConstants(CConstantsRegistry::Group& group);
void RegisterEffectConstants();

// "%i %i %i %i"; false (colour untouched) unless four numbers are there.
bool ParseColorInto(const std::string& text, Olvarn::Color& color);
// "%f %f"; false (point untouched) unless two numbers are there.
bool ParsePointInto(const std::string& text, Olvarn::OlvarnVector2& point);

} // namespace tilvan
