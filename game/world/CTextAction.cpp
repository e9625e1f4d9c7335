// What each text action does to its text.
#include "world/CTextAction.h"

#include <cmath>

#include "shell/GameServices.h"
#include "world/CText.h"
#include "world/SafeMath.h"

namespace tilvan
{

namespace
{

constexpr float kTwoPi = 6.283f;

} // namespace

CTextAccelerateAction::CTextAccelerateAction(float targetY, float startSpeed, float totalTime)
    : target_y(targetY), remaining(totalTime), start_speed(startSpeed), total_time(totalTime)
{
}

void CTextAccelerateAction::Apply(float ms, CText& text)
{
    if (!started) {
        start_y = text.y;
        started = true;
        const float T = total_time / 1000.0f;
        // No time to move in: the text is put on the target at once below.
        acceleration = SafeDiv(2.0f * ((target_y - start_y) - T * start_speed), T * T);
    }
    remaining -= ms;
    if (remaining <= 0) {
        text.y = target_y;
        return;
    }
    const float t = (total_time - remaining) / 1000.0f;
    text.y = start_y + start_speed * t + acceleration * t * t / 2;
}

CTextHoverAction::CTextHoverAction(float baseY, float period_, int amplitude_)
    : base_y(baseY), period(period_), amplitude(amplitude_)
{
}

void CTextHoverAction::Apply(float ms, CText& text)
{
    if (!sound_played) {
        sound_played = true;
        services::PlaySound("SOUND_BUTTON_DROP");
    }
    elapsed += ms;
    // A hover without a period stays on its base line.
    const float phase = SafeDiv(float(SafeMod(int(elapsed), int(period))), period);
    text.y = base_y + float(amplitude) * std::sin(phase * kTwoPi);
}

CTextDelayedAction::CTextDelayedAction(float delay_, TextActionPtr inner_)
    : delay(delay_), remaining(delay_), inner(std::move(inner_))
{
}

bool CTextDelayedAction::CountDown(float ms)
{
    if (finished)
        return false;
    remaining -= ms;
    if (remaining > 0)
        return false;
    finished = true;
    return true;
}

void CTextDelayedAction::Apply(float ms, CText& text)
{
    if (CountDown(ms) && inner)
        text.AddAction(inner);
}

void CTextDelayedClearAction::Apply(float ms, CText& text)
{
    if (!CountDown(ms))
        return;
    for (const TextActionPtr& action : text.actions)
        action->finished = true;
    if (inner)
        text.AddAction(inner);
}

} // namespace tilvan
