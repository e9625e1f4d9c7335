// The end sequence's timetable: each one-shot step fires once its time has come, several in one
// update when they are due together.
#include "world/CLevelComplete.h"

#include "board/CGrid.h"
#include "board/CPipeline.h"
#include "data/CLevelInfo.h"
#include "graphics/Font.h"
#include "shell/GameServices.h"
#include "world/CTitleDrop.h"
#include "world/EffectConstants.h"

namespace tilvan::level_effects
{

CLevelComplete::CLevelComplete(CLevelView& view) : level(view.GetLink()), text(ChooseText(view)) {}

const CLocalizedText& CLevelComplete::ChooseText(CLevelView& view)
{
    const CLevelCompleteConstants& c = LevelCompleteConstants();
    if (view.GetLevelNumber() == GetLevelCount())
        return c.drop_win_text;
    const CGrid* grid = view.GetGrid();
    if (view.IsBonusLevel() && view.GetRemainingTime() <= 0 && !(grid && grid->IsFull()))
        return c.drop_time_up_text;
    return c.drop_text;
}

void CLevelComplete::RunDueSteps(CLevelView& view)
{
    const CLevelCompleteConstants& c = LevelCompleteConstants();
    if (!meltStarted && elapsed >= float(c.start_melt)) {
        meltStarted = true;
        view.MeltScenery(c.melt_time);
    }
    if (!fadeStarted && elapsed >= float(c.start_fade)) {
        fadeStarted = true;
        if (CPipeline* pipeline = view.GetPipeline())
            pipeline->FadeOut(c.fade_time);
    }
    if (!flashStarted && elapsed >= float(c.start_flash)) {
        flashStarted = true;
        if (CGrid* grid = view.GetGrid())
            grid->FlashElementsInSequence(c.min_flash_delay, c.max_flash_delay);
    }
    if (!gridFadeStarted && elapsed >= float(c.grid_fade_start)) {
        gridFadeStarted = true;
        if (CGrid* grid = view.GetGrid())
            grid->FadeOutElements(c.grid_fade_time);
    }
}

void CLevelComplete::Update(float ms)
{
    const CLevelCompleteConstants& c = LevelCompleteConstants();
    elapsed += ms;
    if (elapsed >= float(c.complete_time))
        finished = true;
    CLevelView* view = *level;
    if (!view) {
        finished = true;
        return;
    }
    RunDueSteps(*view);
    if (!dropText && elapsed >= float(c.start_drop)) {
        Olvarn::Font* font = services::FindFont(kFont);
        const float h = font ? float(font->Height()) : 0;
        dropText = MakeTitleDrop(font);
        dropText->AddText(text.Get(), Olvarn::OlvarnVector2(c.drop_coords.x, -h), c.drop_coords.y,
                          Olvarn::Color(255, 255, 255, 255), c.start_vel, c.drop_time, c.drop_pause);
    }
    if (dropText)
        dropText->Update(ms);
}

bool CLevelComplete::MouseDown(int, int, int, CCursor&)
{
    if (elapsed < float(LevelCompleteConstants().break_time))
        return false;
    finished = true;
    return true;
}

} // namespace tilvan::level_effects
