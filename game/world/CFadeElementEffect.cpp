// The fading piece: a copy of the piece running its own fade-out.
#include "world/CFadeElementEffect.h"

namespace tilvan::level_effects
{

CFadeElementEffect::CFadeElementEffect(const CElement& source, int ms)
    : element(source), remaining(float(ms)), total(float(ms))
{
    // The fade also drops the copy's sparkles and glows.
    element.FadeOut(ms);
}

void CFadeElementEffect::Update(float ms)
{
    if (finished)
        return;
    remaining -= ms;
    if (remaining <= 0)
        finished = true;
    else
        element.Update(ms, ms);
}

void CFadeElementEffect::Draw(Olvarn::Graphics& g)
{
    if (!finished)
        element.Draw(g);
}

} // namespace tilvan::level_effects
