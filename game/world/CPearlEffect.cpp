// The pearl's flight: a straight line to the counter over the group's time, fading in its last
// quarter second; the effect lasts as long as its particles.
#include "world/CPearlEffect.h"

#include <algorithm>
#include <cmath>

#include "graphics/Graphics.h"
#include "shell/GameServices.h"
#include "world/EffectConstants.h"
#include "world/SafeMath.h"

namespace tilvan::level_effects
{

namespace
{

// Runs the script and hands its "init" the particle system.
void StartScript(CParticleScript& script, CParticleSystem& particles)
{
    script.Run();
    script.CallFunction("init", &particles);
}

template <typename T> std::shared_ptr<CWidgetAdapter<T>> ShowAdapter(T* effect)
{
    auto adapter = std::make_shared<CWidgetAdapter<T>>(effect);
    adapter->Show(services::WidgetManager());
    return adapter;
}

} // namespace

CPearlEffect::CPearlEffect(FPoint at)
    : particles("", "", nullptr, true), script(kScript, ""), position(at), start(at),
      remaining(float(PearlEffectConstants().time)), image(PearlEffectConstants().image)
{
    image.AddFlags(CImage::CENTER_POS | CImage::STOP_ANIMATION);
    image.SetScale(PearlEffectConstants().scale);
    StartScript(script, particles);
    adapter = ShowAdapter(this);
}

CPearlEffect::~CPearlEffect()
{
    adapter->Hide();
}

void CPearlEffect::Update(float ms)
{
    const CPearlEffectConstants& c = PearlEffectConstants();
    remaining -= ms;
    if (remaining > 0) {
        const float k = SafeDiv(remaining, float(c.time));
        position =
            FPoint(c.target_pos.x + (start.x - c.target_pos.x) * k, c.target_pos.y + (start.y - c.target_pos.y) * k);
        script.CallFunction("update", &particles, ms, Olvarn::OlvarnVector2(position));
        if (remaining < kFadeTime)
            image.SetAlpha(std::clamp(int(std::floor(remaining * 255 / kFadeTime)), 0, 255));
    } else {
        position = FPoint(c.target_pos.x, c.target_pos.y);
        image.SetAlpha(0);
    }
    particles.Update(ms);
    image.Update(ms);
    if (particles.EnumAllParticles() == 0)
        finished = true;
    adapter->Invalidate();
}

void CPearlEffect::DrawOnTop(Olvarn::Graphics& g)
{
    if (image.GetAlpha() > 0)
        image.DrawAt(g, int(position.x), int(position.y));
    particles.Draw(g);
}

CScorePearlEffect::CScorePearlEffect() : particles("", "", nullptr, true), script(kScript, "")
{
    StartScript(script, particles);
    adapter = ShowAdapter(this);
}

CScorePearlEffect::~CScorePearlEffect()
{
    adapter->Hide();
}

void CScorePearlEffect::Update(float ms)
{
    script.CallFunction("update", &particles, ms);
    particles.Update(ms);
    if (particles.EnumAllParticles() == 0)
        finished = true;
    adapter->Invalidate();
}

void CScorePearlEffect::DrawOnTop(Olvarn::Graphics& g)
{
    particles.Draw(g);
}

} // namespace tilvan::level_effects
