// How the play state, the level, the cursor and the fire are written to and read from a saved game:
// one row each, children first.
#include "play/PlaySave.h"

#include <cstdio>
#include <stdexcept>
#include <string>

#include "board/CPlayerInfo.h"
#include "data/CLevelInfo.h"
#include "data/CSaveSchema.h"
#include "data/StartupRegistrations.h"
#include "play/CCursor.h"
#include "play/CFire.h"
#include "play/CLevel.h"
#include "play/CPlay.h"
#include "world/CEnvironment.h"

namespace tilvan
{

using save::SaveReader;
using save::SaveWriter;

namespace
{

using save::CSaveSchema;

const CSaveSchema kPlay{"play", {"level", "cursor", "pause", "max_pause", "pause_k"}};
const CSaveSchema kLevel{
    "level",
    {"grid", "pipeline", "creator", "water", "fire", "environment", "state", "time_left", "level_num", "started"}};
const CSaveSchema kCursor{"cursor", {"state", "element", "pos", "image", "get_by_octopus"}};
const CSaveSchema kFire{"fire",
                        {"is_faded", "pos", "firepos", "rect", "delay", "image", "fireplace", "wood", "light_wood",
                         "is_light_wood", "is_bonus", "delay_time_left", "add_y"}};

save::CSaveObject* CreatePlay()
{
    return new CPlay(nullptr);
}

std::string RectText(const Olvarn::Rect& r)
{
    char text[64];
    std::snprintf(text, sizeof text, "%i %i %i %i", r.mX, r.mY, r.mWidth, r.mHeight);
    return text;
}

Olvarn::Rect ParseRect(const std::string& text)
{
    int x = 0, y = 0, w = 0, h = 0;
    std::sscanf(text.c_str(), "%i %i %i %i", &x, &y, &w, &h);
    return Olvarn::Rect(x, y, w, h);
}

} // namespace

int CPlay::Save()
{
    return SaveWriter().WriteRow(kPlay.element, save::Child(*level), save::Child(*cursor), pause, max_pause, pause_k);
}

void CPlay::Load(int row)
{
    SaveReader().GetRow(kPlay.element, row, save::Child(*level), save::Child(*cursor), pause, max_pause, pause_k);
    level->SetOwner(this);
    if (panel) {
        panel->Init();
        // The panel shows the bonus clock's tools only on a bonus level, as a begun level tells it.
        panel->SetBonusLevel(level->is_bonus());
    }
    cursor->Update(0, 0);
}

int CLevel::Save()
{
    return SaveWriter().WriteRow(kLevel.element, save::Child(grid), save::Child(pipeline), save::Child(creator),
                                 save::Child(water), save::Child(fire), save::Child(*environment), state, time_left,
                                 CPlayerInfo::Instance().level, started);
}

void CLevel::Load(int row)
{
    std::string gridRow, pipelineRow, creatorRow, waterRow, fireRow, environmentRow;
    int savedState = normal, levelNum = -1;
    float savedTimeLeft = 0;
    bool savedStarted = false;
    SaveReader().GetRow(kLevel.element, row, gridRow, pipelineRow, creatorRow, waterRow, fireRow, environmentRow,
                        savedState, savedTimeLeft, levelNum, savedStarted);
    // Nothing of a level the game does not have can be played on; the save is refused before any
    // part of the level is touched.
    const CLevelInfo* saved = GetLevelInfo(levelNum);
    if (!saved)
        throw std::runtime_error("the saved game is on level " + std::to_string(levelNum + 1) +
                                 ", which this game does not have");
    if (savedState < win || savedState > normal)
        throw std::runtime_error("the saved level is in the unknown state " + std::to_string(savedState));
    save::LoadChildObject(gridRow, grid);
    save::LoadChildObject(pipelineRow, pipeline);
    save::LoadChildObject(creatorRow, creator);
    save::LoadChildObject(waterRow, water);
    save::LoadChildObject(fireRow, fire);
    save::LoadChildObject(environmentRow, *environment);
    definition = saved;
    state = savedState;
    time_left = savedTimeLeft;
    started = savedStarted;
    // The effects of the end sequence are not saved: a level saved while it ended ends again.
    winning = state == win || (state == ending && grid.IsFull());
    if (definition->location)
        SetLayer(definition->location->level_z);
    // The creator's tables and rates come from the definition and the player's record as loaded;
    // without them it would never make a piece.
    CPlayerInfo& player = CPlayerInfo::Instance();
    CCreatorPlayer view = player.CreatorView();
    creator.Restore(*definition, view);
    player.TakeCreatorFlags(view);
    effects.clear();
    if (definition->bonus)
        if (auto& make = level_effects::LevelEffectMakers().bonusClock)
            AddEffect(make(definition->time * 1000));
    // A level saved during its start sequence goes on at once: the titles are not shown again.
    if (!started)
        Start();
}

int CCursor::Save()
{
    return SaveWriter().WriteRow(kCursor.element, state, save::Child(element), pos, save::Child(image), get_by_octopus);
}

void CCursor::Load(int row)
{
    int saved = free;
    std::string imageRow;
    bool byOctopus = false;
    SaveReader().GetRow(kCursor.element, row, saved, save::Child(element), pos, imageRow, byOctopus);
    if (saved != free && saved != element_state && saved != hammerfish && saved != pufferfish && saved != octopus &&
        saved != octopus_element)
        throw std::runtime_error("the saved cursor is in the unknown state " + std::to_string(saved));
    // The change sets the pointer and the tool's picture; the picture's clock and the octopus flag
    // are then the saved ones, which the change would have restarted or cleared.
    SetState(saved);
    save::LoadChildObject(imageRow, image);
    get_by_octopus = byOctopus;
}

int CFire::Save()
{
    return SaveWriter().WriteRow(kFire.element, is_faded, pos, firepos, RectText(rect), delay, save::Child(image),
                                 save::Child(fireplace), save::Child(wood), save::Child(light_wood), is_light_wood,
                                 is_bonus, delay_time_left, add_y);
}

void CFire::Load(int row)
{
    std::string rectText;
    SaveReader().GetRow(kFire.element, row, is_faded, pos, firepos, rectText, delay, save::Child(image),
                        save::Child(fireplace), save::Child(wood), save::Child(light_wood), is_light_wood, is_bonus,
                        delay_time_left, add_y);
    rect = ParseRect(rectText);
    image.SetImage(FireConfig().image);
    fireHovered = false;
    pressed = false;
}

void RegisterPlaySaveClasses()
{
    save::RegisterSchema<kCursor>(CCursor::kClassId);
    save::RegisterSchema<kFire>(CFire::kClassId);
    save::RegisterSchema<kLevel>(CLevel::kClassId);
    save::RegisterSchema<kPlay>(CPlay::kClassId, &CreatePlay);
}

void AddPlaySaveRegistrations(CStartupRegistrations& r)
{
    r.Add(EStartupStep::EnvironmentCursorFire, [] {
        save::RegisterSchema<kCursor>(CCursor::kClassId);
        save::RegisterSchema<kFire>(CFire::kClassId);
    });
    r.Add(EStartupStep::LevelAndLocationSaveClasses, [] { save::RegisterSchema<kLevel>(CLevel::kClassId); });
    r.Add(EStartupStep::PlaySaveClasses, [] { save::RegisterSchema<kPlay>(CPlay::kClassId, &CreatePlay); });
}

} // namespace tilvan
