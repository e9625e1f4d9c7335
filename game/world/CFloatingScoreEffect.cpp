// The floating score: it rises at a steady speed, swings on a sine and fades over its life.
#include "world/CFloatingScoreEffect.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/Random.h"
#include "graphics/Graphics.h"
#include "shell/GameServices.h"
#include "world/EffectConstants.h"
#include "world/SafeMath.h"

namespace tilvan::level_effects
{

std::string CFloatingScoreEffect::ScoreText(int score)
{
    std::string sign = score > 0 ? "+" : (score < 0 ? "-" : "");
    return sign + std::to_string(std::llabs(static_cast<long long>(score)));
}

CFloatingScoreEffect::CFloatingScoreEffect(int score, FPoint position)
    : text(ScoreText(score)), x(position.x), y(position.y)
{
    const CFloatingScoreConstants& c = FloatingScoreConstants();
    swing = Olvarn::Rand() % 2 == 0 ? float(c.amplitude) : -float(c.amplitude);
    font = services::FindFont(c.font);
}

void CFloatingScoreEffect::Update(float ms)
{
    const CFloatingScoreConstants& c = FloatingScoreConstants();
    y += c.vertical_vel * ms / 1000.0f;
    elapsed += ms;
    if (elapsed >= float(c.time)) {
        finished = true;
        elapsed = float(c.time);
    }
}

int CFloatingScoreEffect::Alpha() const
{
    const CFloatingScoreConstants& c = FloatingScoreConstants();
    // A life of 0 has already run out.
    float k = std::clamp(SafeDiv(elapsed, float(c.time), 1.0f), 0.0f, 1.0f);
    return int(std::floor((1 - k) * c.color.mAlpha));
}

float CFloatingScoreEffect::Offset() const
{
    const int period = FloatingScoreConstants().period;
    // Without a period there is no swing.
    if (period <= 0)
        return 0;
    return std::sin(6.283f * (int(elapsed) % period) / float(period)) * swing;
}

void CFloatingScoreEffect::Draw(Olvarn::Graphics& g)
{
    if (!font)
        return;
    Olvarn::Color color = FloatingScoreConstants().color;
    color.mAlpha = Alpha();
    Olvarn::GraphicsStateSaver saver(g);
    g.SetColor(color);
    g.SetFont(font);
    g.DrawString(text, int(x + Offset()), int(y));
}

} // namespace tilvan::level_effects
