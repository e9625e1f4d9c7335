// The blink: one light 500 pixels out, going once around over the blink's life.
#include "world/CBlinkEffect.h"

#include <algorithm>

#include "board/CElement.h"
#include "core/Random.h"
#include "graphics/Graphics.h"
#include "world/ElementLights.h"
#include "world/SafeMath.h"

namespace tilvan::element_effects
{

CBlinkEffect::CBlinkEffect(CElement& element, int ms)
    : total(float(ms)), remaining(float(ms)), angle(element.GetAngle()), turns(Olvarn::Rand() % 2 == 0 ? 1 : -1)
{
}

void CBlinkEffect::Update(float ms, CElement&)
{
    SpendLife(remaining, ms);
}

int CBlinkEffect::Strength() const
{
    float a = float(int(remaining)) > total - 150 ? (total - remaining) * 255 / 150 : 255;
    if (remaining < 150)
        a = remaining * 255 / 150;
    return std::clamp(int(a), 0, 255);
}

float CBlinkEffect::LightAngle() const
{
    return SafeDiv(remaining, total) * turns * 6.283f + angle;
}

void CBlinkEffect::DrawAbove(Olvarn::Graphics& g, CElement& element)
{
    if (IsFinished())
        return;
    Olvarn::GraphicsStateSaver saver(g);
    DrawLightAt(g, element, 500, LightAngle(), Olvarn::Color(255, 255, 255, int(Strength() / 255.0f * 128)));
}

} // namespace tilvan::element_effects
