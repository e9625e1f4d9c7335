// The passing lights of the piece glows.
#include "world/ElementLights.h"

#include <cmath>

namespace tilvan::element_effects
{

void DrawLightAt(Olvarn::Graphics& g, CElement& element, float radius, float angle, Olvarn::Color color)
{
    CBoardLight light;
    const FPoint at = element.GetPosition();
    light.pos = FPoint(at.x + std::cos(angle) * radius, at.y + std::sin(angle) * radius);
    light.r = color.mRed;
    light.g = color.mGreen;
    light.b = color.mBlue;
    light.a = color.mAlpha;
    element.DrawLight(g, light);
}

void DrawLightRing(Olvarn::Graphics& g, CElement& element, int count, float radius, float startAngle,
                   Olvarn::Color color)
{
    for (int i = 0; i < count; ++i)
        DrawLightAt(g, element, radius, i * 6.283f / count + startAngle, color);
}

} // namespace tilvan::element_effects
