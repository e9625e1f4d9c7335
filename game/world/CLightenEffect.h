// A coloured glow over a piece: a ring of lights that brightens to the full colour and dims again.
#pragma once

#include "board/CElementEffect.h"

namespace tilvan::element_effects
{

class CLightenEffect : public CElementEffect
{
public:
    CLightenEffect(CElement& element, int red, int green, int blue, int alpha, int ms);

    void Update(float ms, CElement& element) override;
    void DrawAbove(Olvarn::Graphics& g, CElement& element) override;

    // The lights' alpha now: rising over the first half of the life, falling over the second.
    int CurrentAlpha() const;
    float Remaining() const { return remaining; }

private:
    float total;
    float remaining;
    int red, green, blue, alpha;
};

} // namespace tilvan::element_effects
