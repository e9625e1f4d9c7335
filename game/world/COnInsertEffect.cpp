// The insert glow: eight white lights 500 pixels out, rising over 200 ms and falling over the last 200.
#include "world/COnInsertEffect.h"

#include <algorithm>

#include "board/CElement.h"
#include "graphics/Graphics.h"
#include "world/ElementLights.h"

namespace tilvan::element_effects
{

COnInsertEffect::COnInsertEffect(CElement& element) : angle(element.GetAngle()) {}

void COnInsertEffect::Update(float ms, CElement&)
{
    SpendLife(remaining, ms);
}

int COnInsertEffect::Strength() const
{
    float a = 255;
    if (kLife - 200 < remaining)
        a = (kLife - remaining) * 255 / 200;
    if (remaining < 200)
        a = remaining * 255 / 200;
    return std::clamp(int(a), 0, 255);
}

void COnInsertEffect::DrawAbove(Olvarn::Graphics& g, CElement& element)
{
    if (IsFinished())
        return;
    Olvarn::GraphicsStateSaver saver(g);
    DrawLightRing(g, element, 8, 500, angle, Olvarn::Color(255, 255, 255, int(Strength() / 255.0f * 60)));
}

} // namespace tilvan::element_effects
