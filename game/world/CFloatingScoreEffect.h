// A score that rises from where it was earned, swinging sideways and fading out.
#pragma once

#include <string>

#include "board/CLevelEffect.h"

namespace Olvarn
{
class Font;
}

namespace tilvan::level_effects
{

class CFloatingScoreEffect : public CLevelEffect
{
public:
    CFloatingScoreEffect(int score, FPoint position);

    void Update(float ms) override;
    void Draw(Olvarn::Graphics& g) override;

    // "+250", "-40", "0".
    static std::string ScoreText(int score);
    const std::string& Text() const { return text; }
    FPoint Position() const { return FPoint(x, y); }
    // The text's alpha and sideways offset at the current time.
    int Alpha() const;
    float Offset() const;

private:
    float elapsed = 0;
    std::string text;
    float x;
    float y;
    float swing;
    Olvarn::Font* font;
};

} // namespace tilvan::level_effects
