// The fading picture: its alpha follows the time left, and it stands still.
#include "world/CFadeImageEffect.h"

#include <algorithm>

#include "world/SafeMath.h"

namespace tilvan::level_effects
{

CFadeImageEffect::CFadeImageEffect(const CImage& source, FPoint position, int ms)
    : image(source), remaining(float(ms)), total(float(ms))
{
    image.AddFlags(CImage::STOP_ANIMATION);
    image.SetPosition(int(position.x), int(position.y));
}

void CFadeImageEffect::Update(float ms)
{
    if (finished)
        return;
    remaining -= ms;
    if (remaining <= 0) {
        finished = true;
        return;
    }
    image.SetAlpha(std::clamp(int(SafeDiv(remaining * 254, total)), 0, 255));
    image.Update(ms);
}

void CFadeImageEffect::Draw(Olvarn::Graphics& g)
{
    if (!finished)
        image.Draw(g);
}

} // namespace tilvan::level_effects
