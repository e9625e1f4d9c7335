// A piece bursting into splinters of its own colour that fly up and fall back (the hammerfish's blow,
// the crab's catch).
#pragma once

#include "board/CElement.h"
#include "board/CLevelEffect.h"
#include "world/CParticleSystem.h"

namespace tilvan::level_effects
{

class CSpreadEffect : public CLevelEffect
{
public:
    static constexpr const char* kImage = "IMAGE_EFFECTS_SPREAD";

    // maxCount -1: no limit.
    CSpreadEffect(const CElement& element, int lifeMs, float factor, int maxCount);

    void Update(float ms) override;
    void Draw(Olvarn::Graphics& g) override;

    // Splinters for a piece of `cells` cells: factor x 3 per cell, at least 6, at most maxCount.
    static int SplinterCount(int cells, float factor, int maxCount);
    // The "spread_effect" colour of a piece type; opaque black for a type without one.
    static Olvarn::Color ColorOf(int typeId);

    const CParticleSystem& Particles() const { return particles; }

private:
    CParticleSystem particles;
};

} // namespace tilvan::level_effects
