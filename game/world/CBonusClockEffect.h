// The clock of a bonus level: a dial whose shadow grows as the time runs out, with a glow that pulses
// red and a danger sound each second in the last part of the time.
#pragma once

#include "board/CLevelEffect.h"
#include "board/CLevelView.h"
#include "shell/CImage.h"
#include "shell/CImageSector.h"

namespace tilvan::level_effects
{

class CBonusClockEffect : public CLevelEffect
{
public:
    CBonusClockEffect(CLevelView& level, int totalMs);

    void Update(float ms) override;
    void Draw(Olvarn::Graphics& g) override;

    // The share of the time left, 0 once the level or its time is gone.
    float TimeShare() const;
    // The shadow's end angle in degrees for the time left now.
    int ShadowAngle() const;
    bool InRedZone() const { return TimeShare() <= redZone; }
    // The glow's green and blue in the red zone: a pulse once a second between 146 and 254.
    int GlowPulse() const;
    int ShadowEnd() const { return shadowEnd; }

private:
    CLevelView::Link level;
    CImage clock;
    CImage glow;
    CImageSector shadow;
    float totalTime;
    float redZone = 0;
    float secondTimer = 0;
    int shadowAlpha = 0;
    int shadowEnd = 0;
};

} // namespace tilvan::level_effects
