// Timed actions of an animated text: an accelerated move to a target line, a gentle hover, and delayed
// starters that launch another action after a wait (one of them first ends every other action).
#pragma once

#include <memory>

namespace tilvan
{

class CText;

class CTextAction
{
public:
    virtual ~CTextAction() = default;
    virtual void Apply(float ms, CText& text) {}

    // A text removes its finished actions at the end of each of its updates.
    bool finished = false;
};

using TextActionPtr = std::shared_ptr<CTextAction>;

// Moves the text's y from where it is when first applied to the target, starting at a speed and
// accelerating evenly so that it arrives exactly when the time is up; then holds it there.
class CTextAccelerateAction : public CTextAction
{
public:
    CTextAccelerateAction(float targetY, float startSpeed, float totalTime);
    void Apply(float ms, CText& text) override;

    int reserved = 0;
    float target_y;
    float remaining;
    // Pixels per second squared, computed on the first apply.
    float acceleration = 0;
    // Pixels per second.
    float start_speed;
    float total_time;
    float start_y = 0;
    bool started = false;
};

// Bobs the text about a base line; plays the drop sound on its first apply.
class CTextHoverAction : public CTextAction
{
public:
    CTextHoverAction(float baseY, float period, int amplitude);
    void Apply(float ms, CText& text) override;

    bool sound_played = false;
    float base_y;
    float period;
    float elapsed = 0;
    int amplitude;
    int reserved = 0;
};

// Counts down, then finishes and appends the inner action to the text.
class CTextDelayedAction : public CTextAction
{
public:
    CTextDelayedAction(float delay, TextActionPtr inner);
    void Apply(float ms, CText& text) override;

    int reserved = 0;
    float delay;
    float remaining;
    TextActionPtr inner;

protected:
    // True in the apply in which the wait runs out.
    bool CountDown(float ms);
};

// As the delayed action, but when the wait runs out every action of the text (itself included) is
// finished before the inner action is appended, so the inner one alone remains.
class CTextDelayedClearAction : public CTextDelayedAction
{
public:
    using CTextDelayedAction::CTextDelayedAction;
    void Apply(float ms, CText& text) override;
};

} // namespace tilvan
