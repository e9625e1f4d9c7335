// A picture left behind on the level that fades out where it was (a caught bird).
#pragma once

#include "board/CLevelEffect.h"
#include "shell/CImage.h"

namespace tilvan::level_effects
{

class CFadeImageEffect : public CLevelEffect
{
public:
    CFadeImageEffect(const CImage& image, FPoint position, int ms);

    void Update(float ms) override;
    void Draw(Olvarn::Graphics& g) override;

    const CImage& Image() const { return image; }
    float Remaining() const { return remaining; }

private:
    CImage image;
    float remaining;
    float total;
};

} // namespace tilvan::level_effects
