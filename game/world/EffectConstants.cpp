// The effects' constants groups: reading, checking and the process-wide records.
#include "world/EffectConstants.h"

#include <algorithm>
#include <cstdio>

#include "data/CStringTable.h"
#include "data/DataCodecs.h"

namespace tilvan
{

namespace
{

int Channel(int value)
{
    return std::clamp(value, 0, 255);
}

// Values that a division or a remainder needs above a bound.
void RequireAbove(const char* group, const char* name, float value, float bound)
{
    if (!(value > bound))
        throw CConstantsRegistry::Instance().BadValue(group, name, "must be above " + std::to_string(int(bound)));
}

void RequireNotBelow(const char* group, const char* name, float value, const char* other, float bound)
{
    if (value < bound)
        throw CConstantsRegistry::Instance().BadValue(group, name, std::string("must not be below ") + other);
}

} // namespace

bool ParseColorInto(const std::string& text, Olvarn::Color& color)
{
    int r = 0, g = 0, b = 0, a = 0;
    if (std::sscanf(text.c_str(), "%i %i %i %i", &r, &g, &b, &a) != 4)
        return false;
    color = Olvarn::Color(Channel(r), Channel(g), Channel(b), Channel(a));
    return true;
}

bool ParsePointInto(const std::string& text, Olvarn::OlvarnVector2& point)
{
    float x = 0, y = 0;
    if (std::sscanf(text.c_str(), "%f %f", &x, &y) != 2)
        return false;
    point = Olvarn::OlvarnVector2(x, y);
    return true;
}

CFloatingScoreConstants& FloatingScoreConstants()
{
    static CFloatingScoreConstants values;
    return values;
}

CLevelStartConstants& LevelStartConstants()
{
    static CLevelStartConstants values;
    return values;
}

CLevelCompleteConstants& LevelCompleteConstants()
{
    static CLevelCompleteConstants values;
    return values;
}

CPearlEffectConstants& PearlEffectConstants()
{
    static CPearlEffectConstants values;
    return values;
}

CBonusEffectConstants& BonusEffectConstants()
{
    static CBonusEffectConstants values;
    return values;
}

void ReadFloatingScoreConstants(CConstantsRegistry::Group& group)
{
    CFloatingScoreConstants v = FloatingScoreConstants();
    v.amplitude = ParseInt(group["amplitude"]);
    v.period = ParseInt(group["period"]);
    v.vertical_vel = ParseInt(group["vertical_vel"]);
    ParseColorInto(group["color"], v.color);
    v.time = ParseInt(group["time"]);
    v.font = group["font"];
    v.font_height = ParseInt(group["font_height"]);
    // The swing takes a remainder by the period and the fade divides by the life time.
    RequireAbove("floating_score", "period", float(v.period), 0);
    RequireAbove("floating_score", "time", float(v.time), 0);
    FloatingScoreConstants() = v;
}

void ReadLevelStartConstants(CConstantsRegistry::Group& group)
{
    CLevelStartConstants v = LevelStartConstants();
    v.start_drop_level = ParseFloat(group["start_drop_level"]);
    v.start_drop_location = ParseFloat(group["start_drop_location"]);
    v.drop_time = ParseFloat(group["drop_time"]);
    v.start_vel = ParseFloat(group["start_vel"]);
    v.drop_pause = ParseFloat(group["drop_pause"]);
    v.start_drop_down = ParseFloat(group["start_drop_down"]);
    ParsePointInto(group["drop_coords"], v.drop_coords);
    // The letters' fall divides by its time; a click halves it.
    RequireAbove("level_start_effect", "drop_time", v.drop_time, 1);
    LevelStartConstants() = v;
}

void ReadLevelCompleteConstants(CConstantsRegistry::Group& group)
{
    CLevelCompleteConstants v = LevelCompleteConstants();
    v.start_melt = ParseInt(group["start_melt"]);
    v.melt_time = ParseInt(group["melt_time"]);
    v.start_fade = ParseInt(group["start_fade"]);
    v.fade_time = ParseInt(group["fade_time"]);
    v.start_flash = ParseInt(group["start_flash"]);
    v.min_flash_delay = ParseInt(group["min_flash_delay"]);
    v.max_flash_delay = ParseInt(group["max_flash_delay"]);
    v.complete_time = ParseInt(group["complete_time"]);
    v.break_time = ParseInt(group["break_time"]);
    v.start_drop = ParseInt(group["start_drop"]);
    v.drop_time = ParseInt(group["drop_time"]);
    v.start_vel = ParseFloat(group["start_vel"]);
    v.drop_pause = ParseInt(group["drop_pause"]);
    AssignLocalized(v.drop_text, group["drop_text"]);
    AssignLocalized(v.drop_win_text, group["drop_win_text"]);
    AssignLocalized(v.drop_time_up_text, group["drop_time_up_text"]);
    ParsePointInto(group["drop_coords"], v.drop_coords);
    v.grid_fade_start = ParseInt(group["grid_fade_start"]);
    v.grid_fade_time = ParseInt(group["grid_fade_time"]);
    RequireAbove("level_complete_effect", "drop_time", float(v.drop_time), 0);
    LevelCompleteConstants() = v;
}

void ReadPearlEffectConstants(CConstantsRegistry::Group& group)
{
    CPearlEffectConstants v = PearlEffectConstants();
    ParsePointInto(group["target_pos"], v.target_pos);
    v.time = ParseInt(group["time"]);
    v.image = group["image"];
    v.scale = ParseFloat(group["scale"]);
    PearlEffectConstants() = v;
}

void ReadBonusEffectConstants(CConstantsRegistry::Group& group)
{
    CBonusEffectConstants v = BonusEffectConstants();
    v.min_delay = ParseInt(group["min_delay"]);
    v.max_delay = ParseInt(group["max_delay"]);
    v.size_k = ParseFloat(group["size_k"]);
    v.min_scale = ParseFloat(group["min_scale"]);
    v.max_scale = ParseFloat(group["max_scale"]);
    v.min_flash_pause = ParseFloat(group["min_flash_pause"]);
    v.max_flash_pause = ParseFloat(group["max_flash_pause"]);
    v.flash_time = ParseFloat(group["flash_time"]);
    ParseColorInto(group["min_color"], v.min_color);
    ParseColorInto(group["max_color"], v.max_color);
    // A new sparkle's first pause is a remainder by max_delay; the pauses are drawn between the bounds.
    RequireAbove("bonus_effect", "max_delay", float(v.max_delay), 0);
    RequireNotBelow("bonus_effect", "max_delay", float(v.max_delay), "min_delay", float(v.min_delay));
    RequireNotBelow("bonus_effect", "max_flash_pause", v.max_flash_pause, "min_flash_pause", v.min_flash_pause);
    BonusEffectConstants() = v;
}

void RegisterEffectConstants()
{
    auto& registry = CConstantsRegistry::Instance();
    registry.RegisterHandler("floating_score", &ReadFloatingScoreConstants);
    registry.RegisterHandler("level_start_effect", &ReadLevelStartConstants);
    registry.RegisterHandler("level_complete_effect", &ReadLevelCompleteConstants);
    registry.RegisterHandler("pearl_effect", &ReadPearlEffectConstants);
    registry.RegisterHandler("bonus_effect", &ReadBonusEffectConstants);
}

} // namespace tilvan
