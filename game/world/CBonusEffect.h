// The sparkle of a piece that carries a bonus: stars that twinkle at random points of its cells and a
// coloured glow now and then. Once the bonus is gone the stars finish their twinkle and it ends.
#pragma once

#include <memory>
#include <vector>

#include "board/BoardServices.h"
#include "board/CElementEffect.h"
#include "core/Color.h"
#include "shell/CImage.h"

namespace tilvan::element_effects
{

class CLightenEffect;

struct CBonusSparkle {
    CBonusSparkle(float delay, float minDelay, float maxDelay);

    // Counts the pause down, or ends the appearance once the star's twinkle has played.
    void Update(float ms);

    float delay;
    float angle = 0;
    float x = 0;
    float y = 0;
    float minDelay;
    float maxDelay;
    CImage image;
    bool active = false;
    Olvarn::Color color;
    // Shown in this step: a star without a twinkle to play still shows until the next.
    bool fresh = false;
};

class CBonusEffect : public CElementEffect
{
public:
    static constexpr const char* kStarsImage = "IMAGE_EFFECTS_STARS";

    explicit CBonusEffect(CElement& element);

    void Update(float ms, CElement& element) override;
    void DrawAbove(Olvarn::Graphics& g, CElement& element) override;

    const std::vector<CBonusSparkle>& Sparkles() const { return sparkles; }
    bool IsFlashing() const { return flash != nullptr; }
    float FlashTimer() const { return flashTimer; }

    // A point of the triangle of a cell (base 40, height 35), from two draws 0..39; flipped for a
    // cell whose column and row add up to an even number.
    static FPoint PointInCell(int column, int row, int u, int v);

private:
    void StartFlash(CElement& element);
    void ShowSparkle(CBonusSparkle& sparkle, CElement& element);

    std::vector<CBonusSparkle> sparkles;
    int cellCount = 0;
    float flashTimer = 0;
    std::shared_ptr<CLightenEffect> flash;
};

} // namespace tilvan::element_effects
