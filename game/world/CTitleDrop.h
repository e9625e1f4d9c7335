// The falling letters that the level's start and end sequences show their titles with, as the
// sequences use them. The animated text installs the real thing through SetTitleDropMaker; without
// it a title is timed as its letters would be but nothing is shown.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "core/Color.h"
#include "core/Vector2.h"

namespace Olvarn
{
class Font;
}

namespace tilvan
{

class CTitleDrop
{
public:
    virtual ~CTitleDrop() = default;
    // The letters of `text`, centred on position.x, drop one every `step` ms from position.y to
    // targetY, each over `duration` ms.
    virtual void AddText(const std::string& text, Olvarn::OlvarnVector2 position, float targetY, Olvarn::Color color,
                         float startSpeed, int duration, int step) = 0;
    // Sends every letter away below the screen, one every `step` ms; returns the ms until the last
    // has gone.
    virtual int DropOut(float startSpeed, int duration, int step) = 0;
    virtual void Update(float ms) = 0;
};

using TitleDropMaker = std::function<std::shared_ptr<CTitleDrop>(Olvarn::Font* font)>;
void SetTitleDropMaker(TitleDropMaker maker);
// A new title drop in that font: the installed kind, or the unshown one.
std::shared_ptr<CTitleDrop> MakeTitleDrop(Olvarn::Font* font);

} // namespace tilvan
