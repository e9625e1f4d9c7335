// The opening of a level: the level's title and its location's title drop in, stay a while and are
// sent away (sooner after a click); play starts once both have gone.
#pragma once

#include <memory>
#include <string>

#include "board/CLevelEffect.h"
#include "board/CLevelView.h"
#include "board/CMouseListener.h"

namespace tilvan
{
class CTitleDrop;
}

namespace tilvan::level_effects
{

class CStartLevel : public CLevelEffect, public CMouseListener
{
public:
    static constexpr const char* kFont = "FONT_BIG";
    static constexpr const char* kNoLevelTitle = "Cannot find level title!";
    static constexpr const char* kNoLocationTitle = "Cannot find location title!";

    explicit CStartLevel(CLevelView& level);

    void Update(float ms) override;
    void Draw(Olvarn::Graphics&) override {}
    // A click once the titles have settled sends them away at double speed.
    bool MouseDown(int x, int y, int clicks, CCursor& cursor) override;

    // The titles of the level numbered `levelNumber` (1-based) and of its location.
    static std::string LevelTitle(int levelNumber);
    static std::string LocationTitle(int levelNumber);

    float Elapsed() const { return elapsed; }
    bool IsSentAway() const { return sentAway; }
    float EndTime() const { return endTime; }
    const std::shared_ptr<CTitleDrop>& LevelTitleDrop() const { return levelTitle; }
    const std::shared_ptr<CTitleDrop>& LocationTitleDrop() const { return locationTitle; }

private:
    std::shared_ptr<CTitleDrop> DropTitle(const std::string& text, bool above);
    void SendAway(int duration);

    std::shared_ptr<CTitleDrop> levelTitle;
    std::shared_ptr<CTitleDrop> locationTitle;
    CLevelView::Link level;
    int levelNumber;
    float elapsed = 0;
    bool sentAway = false;
    float endTime = 0;
};

} // namespace tilvan::level_effects
