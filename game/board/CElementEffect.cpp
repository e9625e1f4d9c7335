// Element effects: the base of timed effects on a piece and the makers the layers above install.
#include "board/CElementEffect.h"

namespace tilvan::element_effects
{

namespace
{
CEffectMakers& Makers()
{
    static CEffectMakers makers;
    return makers;
}
} // namespace

void SetEffectMakers(CEffectMakers makers)
{
    Makers() = std::move(makers);
}
const CEffectMakers& EffectMakers()
{
    return Makers();
}

} // namespace tilvan::element_effects
