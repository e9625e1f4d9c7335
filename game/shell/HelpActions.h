// The timed changes the help script animates its pictures with (position, angle, alpha, scale), and
// the delayed calls of script functions that chain one animation to the next.
#pragma once

#include <string>

#include <luabind/object.hpp>

#include "core/Vector2.h"

namespace tilvan
{

class CEventImage;

namespace actions
{

// Runs for `duration` ms from the update after it was made; progress goes from 0 to 1.
class CAction
{
public:
    CAction(CEventImage& target, float duration) : target(&target), duration(duration) {}
    virtual ~CAction() = default;
    CAction(const CAction&) = delete;
    CAction& operator=(const CAction&) = delete;

    // The base timing: the first update already counts its own milliseconds.
    virtual void Update(float ms);

    CEventImage* target;
    bool finished = false;
    float duration;
    float elapsed = 0;
    float progress = 0;
};

// Calls a global function of the help script (window, picture, argument) once its delay is over.
class CTimedLuaCallAction : public CAction
{
public:
    // Without an argument the call passes nil, or 0 when `zeroWithoutArgument` is set (the chained
    // actions' calls pass 0, the delayed calls of the script nil).
    CTimedLuaCallAction(CEventImage& target, std::string functionName, float delay, luabind::object argument,
                        bool zeroWithoutArgument);
    void Update(float ms) override;

    std::string functionName;
    luabind::object argument;
    bool fired = false;
    bool zeroWithoutArgument;
};

// An action that, once finished, appends a call of `functionName` after `delay` ms to its picture.
class CChainedAction : public CAction
{
public:
    CChainedAction(CEventImage& target, float duration, std::string functionName, int delay, luabind::object argument);
    void Update(float ms) override;

    bool fired = false;
    int delay;
    luabind::object argument;
    std::string functionName;

protected:
    // The share of the way to the end value: exactly 1 once the action is over.
    float Share() const { return (progress >= 1.0f || finished) ? 1.0f : progress; }
    // The base timing and the chain; false when the action had finished before this update.
    bool Advance(float ms);
};

class CMoveAction : public CChainedAction
{
public:
    CMoveAction(CEventImage& target, const Olvarn::OlvarnVector2& end, float duration, std::string functionName,
                int delay, luabind::object argument);
    void Update(float ms) override;

    float startX, startY;
    float endX, endY;
};

class CRotateAction : public CChainedAction
{
public:
    // The end angle in radians.
    CRotateAction(CEventImage& target, float endAngle, float duration, std::string functionName, int delay,
                  luabind::object argument);
    void Update(float ms) override;

    float startAngle;
    float endAngle;
};

class CAlphaAction : public CChainedAction
{
public:
    CAlphaAction(CEventImage& target, int endAlpha, float duration, std::string functionName, int delay,
                 luabind::object argument);
    void Update(float ms) override;

    int startAlpha;
    int endAlpha;
};

class CScaleAction : public CChainedAction
{
public:
    CScaleAction(CEventImage& target, float endScale, float duration, std::string functionName, int delay,
                 luabind::object argument);
    void Update(float ms) override;

    float startScale;
    float endScale;
};

// Degrees to radians as the help pages have always turned their pictures (pi taken as 3.1415).
inline float DegreesToRadians(float degrees)
{
    return degrees * 3.1415f / 180.0f;
}

} // namespace actions

} // namespace tilvan
