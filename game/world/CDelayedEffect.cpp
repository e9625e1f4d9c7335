// The delayed effect: counts its delay down and hands its effect to the piece.
#include "world/CDelayedEffect.h"

#include "board/CElement.h"

namespace tilvan::element_effects
{

CDelayedEffect::CDelayedEffect(float delay, EffectPtr effect) : delay(delay), effect(std::move(effect)) {}

void CDelayedEffect::Update(float ms, CElement& element)
{
    if (IsFinished())
        return;
    delay -= ms;
    if (delay <= 0) {
        element.AddEffect(effect);
        effect.reset();
        Finish();
    }
}

} // namespace tilvan::element_effects
