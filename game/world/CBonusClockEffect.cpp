// The bonus clock: its values come from the "bonus_clock" constants each time one is made; the
// shadow moves on whole seconds only.
#include "world/CBonusClockEffect.h"

#include <cmath>

#include "data/CConstantsRegistry.h"
#include "graphics/Graphics.h"
#include "shell/GameServices.h"
#include "world/EffectConstants.h"
#include "world/SafeMath.h"

namespace tilvan::level_effects
{

namespace
{

Olvarn::OlvarnVector2 ClockPosition()
{
    Olvarn::OlvarnVector2 pos;
    ParsePointInto(CConstantsRegistry::Instance().Get("bonus_clock", "pos"), pos);
    return pos;
}

} // namespace

CBonusClockEffect::CBonusClockEffect(CLevelView& view, int totalMs)
    : level(view.GetLink()), clock("IMAGE_EFFECTS_CLOCK"), glow("IMAGE_EFFECTS_CLOCK_GLOW"),
      shadow(services::FindImage("IMAGE_EFFECTS_CLOCK_SHADOW"), ClockPosition()), totalTime(float(totalMs))
{
    auto& constants = CConstantsRegistry::Instance();
    redZone = constants.GetFloat("bonus_clock", "red_zone");
    constants.GetInt("bonus_clock", "shadow_alpha", shadowAlpha);
    const Olvarn::OlvarnVector2 pos = ClockPosition();
    for (CImage* image : {&clock, &glow}) {
        image->AddFlags(CImage::CENTER_POS);
        image->SetPosition(int(pos.x), int(pos.y));
    }
    shadowEnd = ShadowAngle();
    shadow.SetAngles(0, shadowEnd);
}

float CBonusClockEffect::TimeShare() const
{
    const CLevelView* view = *level;
    return view ? SafeDiv(view->GetRemainingTime(), totalTime) : 0.0f;
}

int CBonusClockEffect::ShadowAngle() const
{
    return int((1 - TimeShare()) * 360);
}

int CBonusClockEffect::GlowPulse() const
{
    const CLevelView* view = *level;
    const int remaining = view ? int(view->GetRemainingTime()) : 0;
    return int(std::sin((remaining % 1000) / 1000.0f * 6.283f) * 54 + 200);
}

void CBonusClockEffect::Update(float ms)
{
    const CLevelView* view = *level;
    if (!view) {
        finished = true;
        return;
    }
    const int state = view->GetLevelState();
    if (state == CLevelView::kWin || state == CLevelView::kLose || state == CLevelView::kEnding)
        finished = true;
    secondTimer += ms;
    if (int(secondTimer) >= 1000) {
        secondTimer = float(int(secondTimer) % 1000);
        shadowEnd = ShadowAngle();
        shadow.SetAngles(0, shadowEnd);
        if (InRedZone())
            services::PlaySound(services::FindSound("SOUND_DANGER"));
    }
    clock.Update(ms);
    glow.Update(ms);
}

void CBonusClockEffect::Draw(Olvarn::Graphics& g)
{
    {
        Olvarn::GraphicsStateSaver saver(g);
        if (InRedZone()) {
            const int p = GlowPulse();
            g.SetColor(Olvarn::Color(255, p, p, 255));
            g.SetModulateImages(true);
        }
        glow.Draw(g);
    }
    clock.Draw(g);
    Olvarn::GraphicsStateSaver saver(g);
    g.SetColor(Olvarn::Color(255, 255, 255, shadowAlpha));
    g.SetModulateImages(true);
    shadow.Draw(g);
}

} // namespace tilvan::level_effects
