// Texts of the help pages.
#include "shell/CText.h"

#include "core/Rect.h"
#include "data/CStringTable.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "shell/GameServices.h"

namespace tilvan
{

CText::CText(const std::string& text_, const Olvarn::OlvarnVector2& position, const Olvarn::Color& color_,
             std::string fontId_, int layer_)
    : text(Localize(text_)), x(position.x), y(position.y), color(color_), fontId(std::move(fontId_)), layer(layer_)
{
}

void CText::SetBox(const Olvarn::OlvarnVector2& position, const Olvarn::OlvarnVector2& size)
{
    boxX = int(position.x);
    boxY = int(position.y);
    boxWidth = int(size.x);
    boxHeight = int(size.y);
}

Olvarn::Font* CText::FindFont() const
{
    return services::FindFont(fontId);
}

void CText::Draw(Olvarn::Graphics& g)
{
    Olvarn::Font* font = FindFont();
    if (!font)
        return;
    Olvarn::GraphicsStateSaver saver(g);
    g.SetFont(font);
    g.SetColor(color);
    if (HasBox())
        g.DrawTextWrapped(Olvarn::Rect(boxX, boxY, boxWidth, boxHeight), text, font->LineSpacing(),
                          Olvarn::Graphics::JUSTIFY_LEFT);
    else
        g.DrawString(text, int(x), int(y));
}

void CText::SetPos(const Olvarn::OlvarnVector2& position)
{
    x = position.x;
    y = position.y;
    if (HasBox()) {
        boxX = int(x);
        boxY = int(y);
    }
}

void CText::SetText(const std::string& value)
{
    text = Localize(value);
}

} // namespace tilvan
