// A piece taken off the pipeline that fades out where it was.
#pragma once

#include "board/CElement.h"
#include "board/CLevelEffect.h"

namespace tilvan::level_effects
{

class CFadeElementEffect : public CLevelEffect
{
public:
    CFadeElementEffect(const CElement& element, int ms);

    void Update(float ms) override;
    void Draw(Olvarn::Graphics& g) override;

    const CElement& Element() const { return element; }

private:
    CElement element;
    float remaining;
    float total;
};

} // namespace tilvan::level_effects
