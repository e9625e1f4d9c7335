// The bonus sparkle: stars placed at random in the piece's cells, and flashes at random pauses.
#include "world/CBonusEffect.h"

#include <cmath>

#include "board/CElement.h"
#include "core/Random.h"
#include "graphics/Graphics.h"
#include "world/CLightenEffect.h"
#include "world/EffectConstants.h"
#include "world/SafeMath.h"

namespace tilvan::element_effects
{

namespace
{

using Olvarn::Rand;

int CountCells(const CElement& element)
{
    if (!element.GetType())
        return 0;
    int n = 0;
    for (bool cell : element.GetShapes()[0])
        n += cell ? 1 : 0;
    return n;
}

Olvarn::Color RandomColor(const Olvarn::Color& lo, const Olvarn::Color& hi)
{
    const int r = DrawBetween(Rand(), lo.mRed, hi.mRed);
    const int g = DrawBetween(Rand(), lo.mGreen, hi.mGreen);
    const int b = DrawBetween(Rand(), lo.mBlue, hi.mBlue);
    const int a = DrawBetween(Rand(), lo.mAlpha, hi.mAlpha);
    return Olvarn::Color(r, g, b, a);
}

FPoint Turned(FPoint v, float angle)
{
    const float c = std::cos(angle), s = std::sin(angle);
    return FPoint(c * v.x - s * v.y, c * v.y + s * v.x);
}

} // namespace

CBonusSparkle::CBonusSparkle(float delay, float minDelay, float maxDelay)
    : delay(delay), minDelay(minDelay), maxDelay(maxDelay), image(CBonusEffect::kStarsImage)
{
    image.AddFlags(CImage::STOP_ANIMATION | CImage::CENTER_POS);
    image.RandomizeTime();
}

void CBonusSparkle::Update(float ms)
{
    image.Update(ms);
    if (active) {
        // A star without a twinkle to play (no picture, or a still one) would never end its
        // appearance; it shows for one step.
        const bool justShown = fresh;
        fresh = false;
        if (justShown || (image.IsAnimatingOnce() && image.FrameCount() > 0))
            return;
        active = false;
        delay = float(DrawBetween(Rand(), int(minDelay), int(maxDelay)));
        return;
    }
    delay = std::max(0.0f, delay - ms);
}

FPoint CBonusEffect::PointInCell(int column, int row, int u, int v)
{
    const float c60 = std::cos(1.0471667f), s60 = std::sin(1.0471667f), t120 = std::tan(2.0943334f);
    float px = u + v * c60, py = v * s60;
    // Points beyond the triangle's right edge fold back into it.
    if (t120 * px + (35 - t120 * 20) - py <= 0) {
        px -= 20;
        py = 35 - py;
    }
    if ((column + row) % 2 == 0)
        py = 35 - py;
    return FPoint(px, py);
}

CBonusEffect::CBonusEffect(CElement& element) : cellCount(CountCells(element))
{
    const CBonusEffectConstants& c = BonusEffectConstants();
    const int n = int(cellCount * c.size_k);
    for (int i = 0; i < n; ++i)
        sparkles.emplace_back(float(SafeMod(Rand(), c.max_delay)), float(c.min_delay), float(c.max_delay));
}

void CBonusEffect::StartFlash(CElement& element)
{
    const CBonusEffectConstants& c = BonusEffectConstants();
    flashTimer = c.min_flash_pause + SafeMod(Rand(), int(c.max_flash_pause - c.min_flash_pause + 1));
    const Olvarn::Color color = RandomColor(c.min_color, c.max_color);
    flash = std::make_shared<CLightenEffect>(element, color.mRed, color.mGreen, color.mBlue,
                                             int(color.mAlpha / 255.0f * 45), int(c.flash_time));
}

void CBonusEffect::ShowSparkle(CBonusSparkle& s, CElement& element)
{
    if (cellCount <= 0)
        return;
    const CBonusEffectConstants& c = BonusEffectConstants();
    const CellMask& mask = element.GetShapes()[0];
    int k = Rand() % cellCount, index = 0;
    for (; index < 25; ++index)
        if (mask[index] && k-- == 0)
            break;
    const int column = index / 5, row = index % 5;
    const int u = Rand() % 40, v = Rand() % 40;
    const FPoint p = PointInCell(column, row, u, v);
    const FPoint centre = element.GetCenters()[0];
    const float angle = element.GetAngle();
    const FPoint offset = Turned(FPoint(column * 20 + p.x - centre.x, row * 35 + p.y - centre.y), -angle);
    s.x = offset.x;
    s.y = offset.y;
    s.angle = angle;
    s.color = RandomColor(c.min_color, c.max_color);
    s.image.SetScale(c.min_scale + (Rand() % 100) / 100.0f * (c.max_scale - c.min_scale));
    s.image.PlayAnimationOnce();
    s.active = true;
    s.fresh = true;
}

void CBonusEffect::Update(float ms, CElement& element)
{
    if (IsFinished())
        return;
    if (element.GetBonusKind() != 0) {
        flashTimer -= ms;
        if (flashTimer <= 0 && !flash)
            StartFlash(element);
        if (flash && flash->IsFinished())
            flash.reset();
        for (auto& s : sparkles)
            if (!s.active && s.delay <= 0)
                ShowSparkle(s, element);
    } else {
        bool resting = !flash;
        for (const auto& s : sparkles)
            resting = resting && !s.active && s.delay <= 0;
        if (resting)
            Finish();
    }
    for (auto& s : sparkles)
        s.Update(ms);
    if (flash) {
        flash->Update(ms, element);
        // A flash that has run out goes at once, so that a piece without its bonus can finish.
        if (element.GetBonusKind() == 0 && flash->IsFinished())
            flash.reset();
    }
}

void CBonusEffect::DrawAbove(Olvarn::Graphics& g, CElement& element)
{
    if (flash)
        flash->DrawAbove(g, element);
    const FPoint at = element.GetPosition();
    const float now = element.GetAngle();
    for (auto& s : sparkles) {
        if (!s.active)
            continue;
        Olvarn::GraphicsStateSaver saver(g);
        g.SetModulateImages(true);
        g.SetColor(s.color);
        const FPoint p = Turned(FPoint(s.x, s.y), s.angle - now);
        s.image.DrawAt(g, int(at.x + p.x), int(at.y + p.y));
    }
}

} // namespace tilvan::element_effects
