// A white light that goes once around a piece of the board, either way round.
#pragma once

#include "board/CElementEffect.h"

namespace tilvan::element_effects
{

class CBlinkEffect : public CElementEffect
{
public:
    CBlinkEffect(CElement& element, int ms);

    void Update(float ms, CElement& element) override;
    void DrawAbove(Olvarn::Graphics& g, CElement& element) override;

    // 0..255: rising over the first 150 ms, falling over the last 150.
    int Strength() const;
    // Where the light is, in radians about the piece.
    float LightAngle() const;
    int Turns() const { return turns; }

private:
    float total;
    float remaining;
    float angle;
    int turns;
};

} // namespace tilvan::element_effects
