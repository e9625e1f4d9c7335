// The help pictures' actions.
#include "shell/HelpActions.h"

#include <algorithm>
#include <memory>

#include "shell/CEventImage.h"
#include "shell/CHelpWindow.h"

namespace tilvan::actions
{

void CAction::Update(float ms)
{
    if (finished)
        return;
    elapsed += ms;
    progress = duration == 0 ? 1.0f : std::clamp(elapsed / duration, 0.0f, 1.0f);
    if (elapsed >= duration)
        finished = true;
}

CTimedLuaCallAction::CTimedLuaCallAction(CEventImage& target_, std::string functionName_, float delay,
                                         luabind::object argument_, bool zeroWithoutArgument_)
    : CAction(target_, delay), functionName(std::move(functionName_)), argument(std::move(argument_)),
      zeroWithoutArgument(zeroWithoutArgument_)
{
}

void CTimedLuaCallAction::Update(float ms)
{
    CAction::Update(ms);
    if (!finished || fired || functionName.empty())
        return;
    fired = true;
    if (CHelpWindow* window = CHelpWindow::Current())
        window->CallActionFunction(functionName, *target, argument, zeroWithoutArgument);
}

CChainedAction::CChainedAction(CEventImage& target_, float duration_, std::string functionName_, int delay_,
                               luabind::object argument_)
    : CAction(target_, duration_), delay(delay_), argument(std::move(argument_)), functionName(std::move(functionName_))
{
}

bool CChainedAction::Advance(float ms)
{
    if (finished)
        return false;
    CAction::Update(ms);
    if (finished && !fired && !functionName.empty()) {
        fired = true;
        target->AddAction(std::make_shared<CTimedLuaCallAction>(*target, functionName, float(delay), argument, true));
    }
    return true;
}

void CChainedAction::Update(float ms)
{
    Advance(ms);
}

CMoveAction::CMoveAction(CEventImage& target_, const Olvarn::OlvarnVector2& end, float duration_,
                         std::string functionName_, int delay_, luabind::object argument_)
    : CChainedAction(target_, duration_, std::move(functionName_), delay_, std::move(argument_)), startX(target_.x),
      startY(target_.y), endX(end.x), endY(end.y)
{
}

void CMoveAction::Update(float ms)
{
    if (!Advance(ms))
        return;
    if (Share() >= 1.0f) {
        target->x = endX;
        target->y = endY;
        return;
    }
    target->x = startX + progress * (endX - startX);
    target->y = startY + progress * (endY - startY);
}

CRotateAction::CRotateAction(CEventImage& target_, float endAngle_, float duration_, std::string functionName_,
                             int delay_, luabind::object argument_)
    : CChainedAction(target_, duration_, std::move(functionName_), delay_, std::move(argument_)),
      startAngle(target_.angle), endAngle(endAngle_)
{
}

void CRotateAction::Update(float ms)
{
    if (!Advance(ms))
        return;
    target->angle = Share() >= 1.0f ? endAngle : startAngle + progress * (endAngle - startAngle);
}

CAlphaAction::CAlphaAction(CEventImage& target_, int endAlpha_, float duration_, std::string functionName_, int delay_,
                           luabind::object argument_)
    : CChainedAction(target_, duration_, std::move(functionName_), delay_, std::move(argument_)),
      startAlpha(target_.GetAlphaValue()), endAlpha(endAlpha_)
{
}

void CAlphaAction::Update(float ms)
{
    if (!Advance(ms))
        return;
    if (Share() >= 1.0f)
        target->SetAlphaValue(endAlpha);
    else
        target->SetAlphaValue(int(progress * float(endAlpha - startAlpha) + float(startAlpha)));
}

CScaleAction::CScaleAction(CEventImage& target_, float endScale_, float duration_, std::string functionName_,
                           int delay_, luabind::object argument_)
    : CChainedAction(target_, duration_, std::move(functionName_), delay_, std::move(argument_)),
      startScale(target_.GetScale()), endScale(endScale_)
{
}

void CScaleAction::Update(float ms)
{
    if (!Advance(ms))
        return;
    target->SetScale(Share() >= 1.0f ? endScale : startScale + progress * (endScale - startScale));
}

} // namespace tilvan::actions
