// The splinters: thrown up within 30 degrees of straight up, pulled down again, fading from the
// piece's colour to nothing over their life.
#include "world/CSpreadEffect.h"

#include <algorithm>
#include <cmath>

#include "core/Random.h"
#include "data/CConstantsRegistry.h"
#include "world/CParticleAction.h"
#include "world/EffectConstants.h"

namespace tilvan::level_effects
{

namespace
{

using Olvarn::Rand;

int FilledCells(const CElement& element)
{
    if (!element.GetType())
        return 0;
    const CellMask& mask = element.GetShapes()[0];
    return int(std::count(mask.begin(), mask.end(), true));
}

Olvarn::OlvarnVector2 Turned(Olvarn::OlvarnVector2 v, float angle)
{
    const float c = std::cos(angle), s = std::sin(angle);
    return Olvarn::OlvarnVector2(c * v.x - s * v.y, c * v.y + s * v.x);
}

} // namespace

int CSpreadEffect::SplinterCount(int cells, float factor, int maxCount)
{
    int count = std::max(6, int(factor * 3 * cells));
    if (maxCount != -1 && maxCount < count)
        count = maxCount;
    return count;
}

Olvarn::Color CSpreadEffect::ColorOf(int typeId)
{
    Olvarn::Color color(0, 0, 0, 255);
    const auto& groups = CConstantsRegistry::Instance().Groups();
    auto group = groups.find("spread_effect");
    if (group != groups.end()) {
        auto value = group->second.find(std::to_string(typeId));
        if (value != group->second.end())
            ParseColorInto(value->second, color);
    }
    return color;
}

CSpreadEffect::CSpreadEffect(const CElement& element, int lifeMs, float factor, int maxCount)
    : particles("", "", nullptr, true)
{
    const Olvarn::Color c = ColorOf(element.GetId());
    particles.AddAction(std::make_shared<CColorDecayParticleAction>(c, Olvarn::Color(c.mRed, c.mGreen, c.mBlue, 0), 0));
    const int count = SplinterCount(FilledCells(element), factor, maxCount);
    CImage image(kImage);
    const FPoint at = element.GetPosition();
    for (int i = 0; i < count; ++i) {
        image.RandomizeTime();
        CParticle splinter(image, Olvarn::OlvarnVector2(at.x, at.y), (Rand() % 1000) / 1000.0f * 6.283f, lifeMs);
        const Olvarn::OlvarnVector2 up(0, -750 - (Rand() % 1000) / 1000.0f * 240);
        splinter.vel = Turned(up, (Rand() % 1000) / 1000.0f * 1.0471667f - 0.52358335f);
        splinter.color = c;
        splinter.acc = Olvarn::OlvarnVector2(0, 1800);
        particles.Emit(0, splinter);
    }
}

void CSpreadEffect::Update(float ms)
{
    if (finished)
        return;
    particles.Update(ms);
    if (particles.EnumAllParticles() == 0)
        finished = true;
}

void CSpreadEffect::Draw(Olvarn::Graphics& g)
{
    particles.Draw(g);
}

} // namespace tilvan::level_effects
