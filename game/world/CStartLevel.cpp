// The start sequence's timetable: titles in, titles out (by time or by a click), then play.
#include "world/CStartLevel.h"

#include <algorithm>

#include "data/CLevelInfo.h"
#include "graphics/Font.h"
#include "shell/GameServices.h"
#include "world/CTitleDrop.h"
#include "world/EffectConstants.h"

namespace tilvan::level_effects
{

CStartLevel::CStartLevel(CLevelView& view) : level(view.GetLink()), levelNumber(view.GetLevelNumber()) {}

std::string CStartLevel::LevelTitle(int number)
{
    const CLevelInfo* info = GetLevelInfo(number - 1);
    return info && !info->name.Get().empty() ? info->name.Get() : kNoLevelTitle;
}

std::string CStartLevel::LocationTitle(int number)
{
    const CLevelInfo* info = GetLevelInfo(number - 1);
    return info && info->location && !info->location->name.Get().empty() ? info->location->name.Get()
                                                                         : kNoLocationTitle;
}

std::shared_ptr<CTitleDrop> CStartLevel::DropTitle(const std::string& text, bool above)
{
    const CLevelStartConstants& c = LevelStartConstants();
    Olvarn::Font* font = services::FindFont(kFont);
    const float h = font ? float(font->Height()) : 0;
    auto drop = MakeTitleDrop(font);
    const float targetY = above ? c.drop_coords.y - h / 2 : c.drop_coords.y + h / 2;
    drop->AddText(text, Olvarn::OlvarnVector2(c.drop_coords.x, -h), targetY, Olvarn::Color(255, 255, 255, 255),
                  c.start_vel, int(c.drop_time), int(c.drop_pause));
    return drop;
}

void CStartLevel::SendAway(int duration)
{
    const CLevelStartConstants& c = LevelStartConstants();
    sentAway = true;
    int longest = 0;
    for (auto* title : {&locationTitle, &levelTitle})
        if (*title)
            longest = std::max(longest, (*title)->DropOut(c.start_vel, duration, int(c.drop_pause)));
    endTime = elapsed + float(longest);
}

void CStartLevel::Update(float ms)
{
    CLevelView* view = *level;
    // A level loaded from a save has already started; a level that is gone has nothing to start.
    if (!view || view->HasStarted())
        finished = true;
    if (finished)
        return;
    const CLevelStartConstants& c = LevelStartConstants();
    elapsed += ms;
    if (!levelTitle && elapsed >= c.start_drop_level)
        levelTitle = DropTitle(LevelTitle(levelNumber), false);
    if (!locationTitle && elapsed >= c.start_drop_location)
        locationTitle = DropTitle(LocationTitle(levelNumber), true);
    if (!sentAway && elapsed >= c.start_drop_down)
        SendAway(int(c.drop_time));
    if (endTime != 0 && elapsed >= endTime) {
        finished = true;
        view->StartPlay();
    }
    for (auto* title : {&levelTitle, &locationTitle})
        if (*title)
            (*title)->Update(ms);
}

bool CStartLevel::MouseDown(int, int, int, CCursor&)
{
    if (finished)
        return false;
    const CLevelStartConstants& c = LevelStartConstants();
    const float threshold =
        std::max(c.start_drop_level, c.start_drop_location) + float(LevelCompleteConstants().drop_time);
    if (elapsed < threshold || sentAway)
        return false;
    SendAway(int(c.drop_time / 2));
    return true;
}

} // namespace tilvan::level_effects
