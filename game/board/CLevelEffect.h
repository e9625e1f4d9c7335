// The running effects of a level (titles, floating scores, fades) as the level steps and draws them,
// and the makers through which the folder that draws them supplies each kind. A kind without a maker
// is not shown; the level's own course does not depend on any of them.
#pragma once

#include <functional>
#include <memory>

#include "core/Vector2.h"

namespace Olvarn
{
class Graphics;
}

namespace tilvan
{

class CElement;
class CImage;
class CLevelView;

namespace level_effects
{

class CLevelEffect
{
public:
    virtual ~CLevelEffect() = default;
    virtual void Update(float ms) = 0;
    virtual void Draw(Olvarn::Graphics& g) = 0;
    bool IsFinished() const { return finished; }

protected:
    bool finished = false;
};

using EffectPtr = std::shared_ptr<CLevelEffect>;
using FPoint = Olvarn::OlvarnVector2;

// The makers are given the level itself; effects that keep it hold its link (CLevelView::GetLink).
struct CLevelEffectMakers {
    std::function<EffectPtr(CLevelView& level)> startLevel;
    std::function<EffectPtr(CLevelView& level)> levelComplete;
    std::function<EffectPtr(int score, FPoint pos)> floatingScore;
    std::function<EffectPtr(FPoint pos)> pearl;
    std::function<EffectPtr(int pearls)> scorePearl;
    // maxCount -1: as many splinters as the piece's size gives.
    std::function<EffectPtr(const CElement& e, int lifeMs, float factor, int maxCount)> spread;
    std::function<EffectPtr(CLevelView& level, int totalMs)> bonusClock;
    // A removed piece fading where it was.
    std::function<EffectPtr(const CElement& e, int ms)> fadeElement;
    // A picture fading out where it was, as a caught bird leaves the sky.
    std::function<EffectPtr(const CImage& image, FPoint pos, int ms)> fadeImage;
};

CLevelEffectMakers& LevelEffectMakers();

} // namespace level_effects
} // namespace tilvan
