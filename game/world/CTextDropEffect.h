// A title shown letter by letter: each character drops in from where it was placed to a target line,
// one after another, then bobs gently; on request every letter falls away below the screen, again one
// after another. Drawn from the draw-layer list above the other scene objects; stepped by its owner.
#pragma once

#include <string>
#include <vector>

#include "core/Color.h"
#include "core/Vector2.h"
#include "shell/CLayerObject.h"
#include "world/CText.h"

namespace Olvarn
{
class Font;
class Graphics;
} // namespace Olvarn

namespace tilvan
{

class CTextDropEffect : public CLayerObject
{
public:
    static constexpr int kLayer = 10000;
    // Where a dropped-out letter comes to rest: below a screen this high.
    static constexpr int kScreenBottom = 768;
    static constexpr float kHoverPeriod = 2000;
    static constexpr int kHoverAmplitude = 3;

    // The font is not owned.
    explicit CTextDropEffect(Olvarn::Font* font);

    void Update(float ms);
    void Draw(Olvarn::Graphics& g) override;

    // The text centred on the position, one letter per character: letter i starts dropping after
    // i x step ms, lands on the target line after `duration` ms more and then hovers.
    void AddText(const std::string& text, const Olvarn::OlvarnVector2& position, float targetY,
                 const Olvarn::Color& color, float startSpeed, int duration, int step);
    // Sends every letter below the screen, letter i after i x step ms; returns when the last is gone.
    int DropOut(float startSpeed, int duration, int step);

    const std::vector<CText>& Texts() const { return texts; }

private:
    Olvarn::Font* font;
    std::vector<CText> texts;
};

} // namespace tilvan
