// A pipeline piece's fall, landing and drift toward its slot.
#include "board/CPipelineElement.h"

#include <cmath>

#include "board/CPipeline.h"

namespace tilvan
{

CPipelineElement::CPipelineElement(CPipeline* owner, const CElement& e, float x, float y, float vel, float acc,
                                   int spacePos, float targetX)
    : element(e), vel(vel), acc(acc), owner(owner), space_pos(spacePos), target_x(targetX)
{
    element.SetPosition(x, y);
}

void CPipelineElement::Update(float ms)
{
    float dt = ms / 1000;
    int index = element.GetPositionIndex();
    if (index != 0 && !element.IsRotating()) {
        if (index < element.GetPositions() / 2)
            element.RotateBackward();
        else
            element.RotateForward();
    }
    FPoint p = element.GetPosition();
    if (!in_water) {
        p.y += dt * vel;
        vel += dt * acc;
        element.SetPosition(p);
        float h = static_cast<float>(owner->SurfaceY(static_cast<int>(p.x)) + element.GetSinkDepth());
        if (p.y >= h) {
            in_water = true;
            element.SetPosition(p.x, h);
            element.SetTremble(true);
            if (space_pos == -1) {
                target_x = p.x;
                owner->is_full = true;
            }
            if (!owner->IsFading())
                element.NotifyDropped();
        }
    } else {
        float d = target_x - p.x, step = 100 * dt;
        float x = std::fabs(d) < step ? target_x : p.x + (d > 0 ? step : -step);
        element.SetPosition(x, static_cast<float>(owner->SurfaceY(static_cast<int>(x)) + element.GetSinkDepth()));
    }
    element.Update(ms, ms);
}

void CPipelineElement::ReplaceElement(const CElement& e)
{
    FPoint remembered = element.GetPosition();
    element.CollectBonus();
    element = e;
    element.SetPosition(remembered);
}

} // namespace tilvan
