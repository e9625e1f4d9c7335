// Gives a piece another effect once a delay has run out (the flashes that run along the board at
// the end of a level).
#pragma once

#include "board/CElementEffect.h"

namespace tilvan::element_effects
{

class CDelayedEffect : public CElementEffect
{
public:
    CDelayedEffect(float delay, EffectPtr effect);

    void Update(float ms, CElement& element) override;

private:
    float delay;
    EffectPtr effect;
};

} // namespace tilvan::element_effects
