// The coloured glow: eight lights 400 pixels out, their alpha a rise and fall over the life.
#include "world/CLightenEffect.h"

#include <algorithm>

#include "world/ElementLights.h"
#include "world/SafeMath.h"

namespace tilvan::element_effects
{

CLightenEffect::CLightenEffect(CElement&, int red, int green, int blue, int alpha, int ms)
    : total(float(ms)), remaining(float(ms)), red(red), green(green), blue(blue), alpha(alpha)
{
}

void CLightenEffect::Update(float ms, CElement&)
{
    remaining -= ms;
    if (remaining <= 0)
        Finish();
}

int CLightenEffect::CurrentAlpha() const
{
    const float half = total / 2;
    const float k = remaining > half ? SafeDiv(total - remaining, half) : SafeDiv(remaining, half);
    return std::clamp(int(alpha * k), 0, 255);
}

void CLightenEffect::DrawAbove(Olvarn::Graphics& g, CElement& element)
{
    if (IsFinished())
        return;
    DrawLightRing(g, element, 8, 400, 0, Olvarn::Color(red, green, blue, CurrentAlpha()));
}

} // namespace tilvan::element_effects
