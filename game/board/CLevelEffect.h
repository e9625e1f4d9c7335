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

// What a level offers the start and end effects: the start effect calls `start` when its titles
// have gone.
struct CLevelEffectContext {
    std::function<void()> start;
    int levelNumber = 0;
    bool bonus = false;
};

struct CLevelEffectMakers {
    std::function<EffectPtr(const CLevelEffectContext&)> startLevel;
    std::function<EffectPtr(const CLevelEffectContext&)> levelComplete;
    std::function<EffectPtr(int score, FPoint pos)> floatingScore;
    std::function<EffectPtr(FPoint pos)> pearl;
    std::function<EffectPtr(int pearls)> scorePearl;
    std::function<EffectPtr(const CElement& e, int ms)> spread;
    std::function<EffectPtr(int ms)> bonusClock;
    // A picture fading out where it was, as a caught bird leaves the sky.
    std::function<EffectPtr(const CImage& image, FPoint pos, int ms)> fadeImage;
};

CLevelEffectMakers& LevelEffectMakers();

} // namespace level_effects
} // namespace tilvan
