// The base of the timed visual effects a piece carries (bonus sparkles, the insert flash, the blink,
// the delayed flash), and the makers of the kinds a piece builds itself.
#pragma once

#include <functional>
#include <memory>

namespace Olvarn
{
class Graphics;
}

namespace tilvan
{
class CElement;

namespace element_effects
{

class CElementEffect
{
public:
    virtual ~CElementEffect() = default;
    virtual void Update(float ms, CElement& element) {}
    virtual void DrawBelow(Olvarn::Graphics& g, CElement& element) {}
    virtual void DrawAbove(Olvarn::Graphics& g, CElement& element) {}

    bool IsFinished() const { return mFinished; }

protected:
    // Set by the effect when it is done; never cleared.
    void Finish() { mFinished = true; }
    // Spends ms of a timed effect's life, which stops at 0 and finishes the effect there.
    void SpendLife(float& remaining, float ms)
    {
        if (mFinished)
            return;
        remaining -= ms;
        if (remaining <= 0) {
            remaining = 0;
            Finish();
        }
    }

private:
    bool mFinished = false;
};

using EffectPtr = std::shared_ptr<CElementEffect>;

// The effect family lives with the scenery; it installs its makers here. A kind whose maker is not
// installed is not added.
struct CEffectMakers {
    std::function<EffectPtr(CElement&)> bonus;
    std::function<EffectPtr(CElement&)> onInsert;
    std::function<EffectPtr(CElement&, float ms)> blink;
    std::function<EffectPtr(CElement&, float delay)> delayedOnInsert;
};
void SetEffectMakers(CEffectMakers makers);
const CEffectMakers& EffectMakers();

} // namespace element_effects
} // namespace tilvan
