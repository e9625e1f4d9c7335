// The white glow of a piece just put into the board: 400 ms, brightest in the middle.
#pragma once

#include "board/CElementEffect.h"

namespace tilvan::element_effects
{

class COnInsertEffect : public CElementEffect
{
public:
    static constexpr float kLife = 400;

    explicit COnInsertEffect(CElement& element);

    void Update(float ms, CElement& element) override;
    void DrawAbove(Olvarn::Graphics& g, CElement& element) override;

    // The glow's strength 0..255 now (the lights take 60/255 of it).
    int Strength() const;
    float Remaining() const { return remaining; }

private:
    float remaining = kLife;
    float angle;
};

} // namespace tilvan::element_effects
