// The text drop effect: letters laid out, dropped in, hovering and dropped out.
#include "world/CTextDropEffect.h"

#include <exception>
#include <memory>

#include "graphics/Font.h"
#include "graphics/Graphics.h"

namespace tilvan
{

CTextDropEffect::CTextDropEffect(Olvarn::Font* font_) : CLayerObject(true, kLayer), font(font_) {}

void CTextDropEffect::Update(float ms)
{
    for (CText& text : texts)
        text.Update(ms);
}

void CTextDropEffect::Draw(Olvarn::Graphics& g)
{
    for (CText& text : texts)
        text.Draw(g);
}

void CTextDropEffect::AddText(const std::string& text, const Olvarn::OlvarnVector2& position, float targetY,
                              const Olvarn::Color& color, float startSpeed, int duration, int step)
{
    try {
        texts.reserve(texts.size() + text.size());
        const int width = font ? font->TextWidth(text) : 0;
        float x = position.x - float(width / 2);
        const float target = float(int(targetY));
        char previous = 0;
        for (size_t i = 0; i < text.size(); ++i) {
            const char c = text[i];
            CText letter(std::string(1, c), x, position.y, color, font);
            auto drop = std::make_shared<CTextAccelerateAction>(target, startSpeed, float(duration));
            letter.AddAction(std::make_shared<CTextDelayedAction>(float(int(i) * step), drop));
            auto hover = std::make_shared<CTextHoverAction>(target, kHoverPeriod, kHoverAmplitude);
            letter.AddAction(std::make_shared<CTextDelayedAction>(float(duration + int(i) * step), hover));
            texts.push_back(std::move(letter));
            if (font)
                x += float(font->CharWidthKerned(c, previous));
            previous = c;
        }
    } catch (const std::exception&) {
        // Out of memory part-way: the letters added so far stay.
    }
}

int CTextDropEffect::DropOut(float startSpeed, int duration, int step)
{
    const float below = float((font ? font->Height() : 0) + kScreenBottom);
    for (size_t i = 0; i < texts.size(); ++i) {
        auto fall = std::make_shared<CTextAccelerateAction>(below, startSpeed, float(duration));
        texts[i].AddAction(std::make_shared<CTextDelayedClearAction>(float(int(i) * step), fall));
    }
    return duration + step * (int(texts.size()) - 1);
}

} // namespace tilvan
