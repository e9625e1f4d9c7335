// Particle actions: small shared objects a particle system (or one of its groups) applies to every
// particle each step: a colour fade, a colour set after a delay, a colour decay towards the end of
// each particle's life, and a turning of the velocity.
#pragma once

#include <memory>

#include "core/Color.h"
#include "core/Vector2.h"

namespace tilvan
{

class CParticle;

class CParticleAction
{
public:
    virtual ~CParticleAction() = default;
    virtual void Apply(CParticle& particle) = 0;
    virtual void Update(float ms) = 0;

    // A system drops an action in the step in which it reports finished.
    bool finished = false;
};

using ParticleActionPtr = std::shared_ptr<CParticleAction>;

// Fades every particle's colour from one colour to another over a time, then finishes.
class CColorParticleAction : public CParticleAction
{
public:
    CColorParticleAction(const Olvarn::Color& from, const Olvarn::Color& to, int time);
    void Apply(CParticle& particle) override;
    void Update(float ms) override;

    int time;
    float elapsed = 0;
    float progress = 0;
    Olvarn::Color from;
    // To minus from, per channel.
    Olvarn::Color difference;
    Olvarn::Color current;
};

// Sets one colour on every particle present in the step its time runs out, once, then finishes.
class CDealyedColorParticleAction : public CParticleAction
{
public:
    CDealyedColorParticleAction(const Olvarn::Color& color, int time);
    void Apply(CParticle& particle) override;
    void Update(float ms) override;

    int time;
    float elapsed = 0;
    float progress = 0;
    Olvarn::Color color;
};

// Runs each particle's colour from one colour to another over the last `time` ms of its life (its
// whole life when time is 0). Never finishes.
class CColorDecayParticleAction : public CParticleAction
{
public:
    CColorDecayParticleAction(const Olvarn::Color& from, const Olvarn::Color& to, int time);
    void Apply(CParticle& particle) override;
    void Update(float) override {}

    Olvarn::Color from;
    Olvarn::Color difference;
    int time;
};

// Turns each particle's velocity by its angular velocity (radians) once a step, whatever the step's
// length. The point is kept with the action but takes no part in the turn. Never finishes.
class CRotateNearPointParticleAction : public CParticleAction
{
public:
    explicit CRotateNearPointParticleAction(const Olvarn::OlvarnVector2& point);
    void Apply(CParticle& particle) override;
    void Update(float) override {}

    Olvarn::OlvarnVector2 point;
    float reserved = 0;
};

} // namespace tilvan
