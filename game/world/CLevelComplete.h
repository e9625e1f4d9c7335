// The close of a won level or of a bonus level: the location's ice melts, the pipeline fades, the
// board's pieces flash and fade, and a closing text drops in. A click after a while ends it.
#pragma once

#include <memory>

#include "board/CLevelEffect.h"
#include "board/CLevelView.h"
#include "board/CMouseListener.h"
#include "data/CLocalizedText.h"

namespace tilvan
{
class CTitleDrop;
}

namespace tilvan::level_effects
{

class CLevelComplete : public CLevelEffect, public CMouseListener
{
public:
    static constexpr const char* kFont = "FONT_BIG";

    explicit CLevelComplete(CLevelView& level);

    void Update(float ms) override;
    void Draw(Olvarn::Graphics&) override {}
    bool MouseDown(int x, int y, int clicks, CCursor& cursor) override;

    // The closing text for a level: the last level's, a bonus level's that ran out of time, or the
    // ordinary one.
    static const CLocalizedText& ChooseText(CLevelView& level);

    const CLocalizedText& Text() const { return text; }
    float Elapsed() const { return elapsed; }
    bool MeltStarted() const { return meltStarted; }
    bool FadeStarted() const { return fadeStarted; }
    bool FlashStarted() const { return flashStarted; }
    bool GridFadeStarted() const { return gridFadeStarted; }
    const std::shared_ptr<CTitleDrop>& DropText() const { return dropText; }

private:
    void RunDueSteps(CLevelView& view);

    float elapsed = 0;
    bool meltStarted = false;
    bool fadeStarted = false;
    bool flashStarted = false;
    bool gridFadeStarted = false;
    std::shared_ptr<CTitleDrop> dropText;
    // The pipeline, the scenery and the grid are the level's; they are reached through it only while
    // it lives.
    CLevelView::Link level;
    CLocalizedText text;
};

} // namespace tilvan::level_effects
