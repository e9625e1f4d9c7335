// Piece effects on a clock the tests drive: the glows' strength over their lives, the delayed effect,
// and the bonus sparkle's stars, flashes and end.
#include <gtest/gtest.h>

#include <cmath>

#include "board/BoardFixture.h"
#include "board/CElement.h"
#include "core/Random.h"
#include "world/CBlinkEffect.h"
#include "world/CBonusEffect.h"
#include "world/CDelayedEffect.h"
#include "world/CLightenEffect.h"
#include "world/COnInsertEffect.h"
#include "world/EffectConstants.h"

using namespace tilvan;
using namespace tilvan::element_effects;

namespace
{

class ElementEffects : public testing::Test
{
protected:
    void SetUp() override
    {
        boardtest::LoadTestTypes();
        BonusEffectConstants() = {};
        Olvarn::SeedRand(5);
    }
    void TearDown() override { ClearElementTypes(); }

    // Type 2 is a bar of four cells.
    CElement bar{2, 1};
};

struct StrengthCase {
    float at;
    int strength;
    bool finished;
};

} // namespace

TEST_F(ElementEffects, InsertGlowRisesForHalfItsLifeAndFalls)
{
    COnInsertEffect effect(bar);
    const StrengthCase cases[] = {{0, 0, false},     {100, 127, false}, {200, 255, false},
                                  {300, 127, false}, {399, 1, false},   {400, 0, true}};
    float now = 0;
    for (const StrengthCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "at " << c.at);
        effect.Update(c.at - now, bar);
        now = c.at;
        EXPECT_EQ(effect.Strength(), c.strength);
        EXPECT_EQ(effect.IsFinished(), c.finished);
    }
    EXPECT_EQ(effect.Remaining(), 0);
}

TEST_F(ElementEffects, BlinkGoesOnceAroundThePiece)
{
    CBlinkEffect effect(bar, 500);
    const StrengthCase cases[] = {
        {0, 0, false}, {75, 127, false}, {150, 255, false}, {400, 170, false}, {500, 0, true}};
    float now = 0;
    const float start = effect.LightAngle();
    for (const StrengthCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "at " << c.at);
        effect.Update(c.at - now, bar);
        now = c.at;
        EXPECT_EQ(effect.Strength(), c.strength);
        EXPECT_EQ(effect.IsFinished(), c.finished);
    }
    EXPECT_NEAR(std::fabs(start - effect.LightAngle()), 6.283f, 1e-3f) << "one whole turn";

    CBlinkEffect none(bar, 0);
    EXPECT_TRUE(std::isfinite(none.LightAngle()));
}

TEST_F(ElementEffects, LightenRisesToItsAlphaAndFalls)
{
    CLightenEffect effect(bar, 255, 0, 0, 200, 400);
    const StrengthCase cases[] = {{100, 100, false}, {200, 200, false}, {300, 100, false}, {400, 0, true}};
    float now = 0;
    for (const StrengthCase& c : cases) {
        effect.Update(c.at - now, bar);
        now = c.at;
        EXPECT_EQ(effect.CurrentAlpha(), c.strength) << c.at;
        EXPECT_EQ(effect.IsFinished(), c.finished) << c.at;
    }
    CLightenEffect instant(bar, 255, 0, 0, 200, 0);
    EXPECT_EQ(instant.CurrentAlpha(), 0);
    instant.Update(10, bar);
    EXPECT_TRUE(instant.IsFinished());
}

TEST_F(ElementEffects, DelayedEffectHandsItsEffectToThePieceOnce)
{
    auto glow = std::make_shared<COnInsertEffect>(bar);
    CDelayedEffect delayed(300, glow);
    CElement piece(1);
    delayed.Update(299, piece);
    EXPECT_TRUE(piece.GetEffects().empty());
    delayed.Update(1, piece);
    ASSERT_EQ(piece.GetEffects().size(), 1u);
    EXPECT_EQ(piece.GetEffects()[0], glow);
    EXPECT_TRUE(delayed.IsFinished());
    delayed.Update(500, piece);
    EXPECT_EQ(piece.GetEffects().size(), 1u);
}

TEST_F(ElementEffects, SparklesPerCell)
{
    struct Case {
        int type;
        float sizeK;
        size_t sparkles;
    } cases[] = {{2, 2, 8}, {2, 0, 0}, {0, 2, 2}, {3, 1.5f, 9}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << " size_k " << c.sizeK);
        BonusEffectConstants().size_k = c.sizeK;
        CElement piece(c.type, 0);
        CBonusEffect effect(piece);
        EXPECT_EQ(effect.Sparkles().size(), c.sparkles);
        for (const CBonusSparkle& s : effect.Sparkles()) {
            EXPECT_GE(s.delay, 0);
            EXPECT_LT(s.delay, 250);
        }
    }
}

TEST_F(ElementEffects, ASparkleIsAlwaysInsideItsCellsTriangle)
{
    for (int parity : {0, 1})
        for (int u = 0; u < 40; ++u)
            for (int v = 0; v < 40; ++v) {
                const FPoint p = CBonusEffect::PointInCell(parity, 0, u, v);
                // The even cell points up (apex at the top), the odd one down.
                const float fromApex = parity == 0 ? p.y : 35 - p.y;
                ASSERT_GE(p.y, -0.5f) << u << " " << v;
                ASSERT_LE(p.y, 35.5f) << u << " " << v;
                ASSERT_LE(std::fabs(p.x - 20), 20 * fromApex / 35 + 0.7f) << parity << ": " << u << " " << v;
            }
}

TEST_F(ElementEffects, SparklesShowWhileTheBonusLastsAndFinishAfter)
{
    BonusEffectConstants().size_k = 1;
    CBonusEffect effect(bar);
    bool shown = false;
    for (int i = 0; i < 30; ++i) {
        effect.Update(10, bar);
        for (const CBonusSparkle& s : effect.Sparkles())
            shown = shown || s.active;
    }
    EXPECT_TRUE(shown);
    bar.SetBonusKind(0);
    // Without a star picture a twinkle lasts one step; then each star's pause runs out.
    for (int i = 0; i < 40 && !effect.IsFinished(); ++i)
        effect.Update(10, bar);
    EXPECT_TRUE(effect.IsFinished());
}

TEST_F(ElementEffects, FlashesComeAfterPausesAndNeverOverlap)
{
    CBonusEffectConstants& c = BonusEffectConstants();
    c.size_k = 0;
    c.flash_time = 0;
    c.min_flash_pause = 100;
    c.max_flash_pause = 100;
    CBonusEffect effect(bar);
    effect.Update(10, bar);
    // A flash of no time is made, ends in that update and is let go at the next.
    EXPECT_TRUE(effect.IsFlashing());
    EXPECT_EQ(effect.FlashTimer(), 100);
    effect.Update(10, bar);
    EXPECT_FALSE(effect.IsFlashing());
    effect.Update(80, bar);
    EXPECT_FALSE(effect.IsFlashing());
    effect.Update(10, bar);
    EXPECT_TRUE(effect.IsFlashing()) << "the next after its pause";

    // A long flash holds the next one back until it has ended.
    c.flash_time = 500;
    c.min_flash_pause = c.max_flash_pause = 50;
    CBonusEffect longFlash(bar);
    longFlash.Update(10, bar);
    longFlash.Update(100, bar);
    EXPECT_LT(longFlash.FlashTimer(), 0);
    EXPECT_TRUE(longFlash.IsFlashing());
}

TEST_F(ElementEffects, AFlashRunningWhenTheBonusGoesStillLetsTheEffectEnd)
{
    CBonusEffectConstants& c = BonusEffectConstants();
    c.size_k = 0;
    c.flash_time = 300;
    c.min_flash_pause = c.max_flash_pause = 5000;
    CBonusEffect effect(bar);
    effect.Update(10, bar);
    ASSERT_TRUE(effect.IsFlashing());
    bar.SetBonusKind(0);
    for (int i = 0; i < 40 && !effect.IsFinished(); ++i)
        effect.Update(10, bar);
    EXPECT_TRUE(effect.IsFinished());
}
