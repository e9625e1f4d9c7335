// The animated text's step and drawing.
#include "world/CText.h"

#include "graphics/Graphics.h"

namespace tilvan
{

CText::CText(std::string text_, float x_, float y_, const Olvarn::Color& color_, Olvarn::Font* font_)
    : text(std::move(text_)), x(x_), y(y_), color(color_), font(font_)
{
}

void CText::Update(float ms)
{
    // Hold each action while it runs: a delayed clear may finish it, and nothing here frees it early.
    for (auto it = actions.begin(); it != actions.end(); ++it) {
        TextActionPtr action = *it;
        action->Apply(ms, *this);
    }
    actions.remove_if([](const TextActionPtr& a) { return a->finished; });
}

void CText::Draw(Olvarn::Graphics& g)
{
    if (!font)
        return;
    Olvarn::GraphicsStateSaver saver(g);
    g.SetColor(color);
    g.SetFont(font);
    g.DrawString(text, int(x), int(y));
}

} // namespace tilvan
