// The particle actions' steps and what each does to a particle.
#include "world/CParticleAction.h"

#include <algorithm>
#include <cmath>

#include "world/CParticle.h"
#include "world/SafeMath.h"

namespace tilvan
{

namespace
{

Olvarn::Color Difference(const Olvarn::Color& from, const Olvarn::Color& to)
{
    return Olvarn::Color(to.mRed - from.mRed, to.mGreen - from.mGreen, to.mBlue - from.mBlue, to.mAlpha - from.mAlpha);
}

// from + share x difference per channel, truncated.
Olvarn::Color Between(const Olvarn::Color& from, const Olvarn::Color& difference, float share)
{
    auto channel = [share](int base, int diff) { return int(share * float(diff) + float(base)); };
    return Olvarn::Color(channel(from.mRed, difference.mRed), channel(from.mGreen, difference.mGreen),
                         channel(from.mBlue, difference.mBlue), channel(from.mAlpha, difference.mAlpha));
}

// Shared by the timed colour actions: elapsed runs up to the time, and a time of 0 is over at once
// (progress 1) instead of dividing by it.
float Advance(float& elapsed, int time, float ms, bool& finished)
{
    elapsed += ms;
    if (elapsed >= float(time)) {
        elapsed = float(time);
        finished = true;
    }
    return SafeDiv(elapsed, float(time), 1.0f);
}

} // namespace

CColorParticleAction::CColorParticleAction(const Olvarn::Color& from_, const Olvarn::Color& to, int time_)
    : time(time_), from(from_), difference(Difference(from_, to)), current(from_)
{
}

void CColorParticleAction::Update(float ms)
{
    progress = Advance(elapsed, time, ms, finished);
    current = Between(from, difference, progress);
}

void CColorParticleAction::Apply(CParticle& particle)
{
    particle.color = current;
}

CDealyedColorParticleAction::CDealyedColorParticleAction(const Olvarn::Color& color_, int time_)
    : time(time_), color(color_)
{
}

void CDealyedColorParticleAction::Update(float ms)
{
    progress = Advance(elapsed, time, ms, finished);
}

void CDealyedColorParticleAction::Apply(CParticle& particle)
{
    if (finished)
        particle.color = color;
}

CColorDecayParticleAction::CColorDecayParticleAction(const Olvarn::Color& from_, const Olvarn::Color& to, int time_)
    : from(from_), difference(Difference(from_, to)), time(time_)
{
}

void CColorDecayParticleAction::Apply(CParticle& particle)
{
    const int remaining = particle.lifetime - int(particle.age);
    if (time != 0 && remaining >= time)
        return;
    const int span = time != 0 ? time : particle.lifetime;
    // A particle without a lifetime decaying over its whole life has no span: it shows the end colour.
    const float d = std::clamp(1.0f - SafeDiv(float(remaining), float(span), 0.0f), 0.0f, 1.0f);
    Olvarn::Color c = Between(from, difference, d);
    c.mRed = std::max(c.mRed, 0);
    c.mGreen = std::max(c.mGreen, 0);
    c.mBlue = std::max(c.mBlue, 0);
    c.mAlpha = std::max(c.mAlpha, 0);
    particle.color = c;
}

CRotateNearPointParticleAction::CRotateNearPointParticleAction(const Olvarn::OlvarnVector2& point_) : point(point_) {}

void CRotateNearPointParticleAction::Apply(CParticle& particle)
{
    const float a = particle.angular_vel;
    const float c = std::cos(a), s = std::sin(a);
    const float vx = particle.vel.x, vy = particle.vel.y;
    particle.vel.x = c * vx - s * vy;
    particle.vel.y = c * vy + s * vx;
}

} // namespace tilvan
