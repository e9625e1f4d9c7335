// A text of the help pages: a line at a point, or a word-wrapped block in a box, with its colour,
// font and layer.
#pragma once

#include <string>

#include "core/Color.h"
#include "core/Vector2.h"

namespace Olvarn
{
class Graphics;
class Font;
} // namespace Olvarn

namespace tilvan
{

class CText
{
public:
    // "$N" references in the text are expanded. The font is found by its id when drawn, so a
    // text never keeps a font its resource group has since released.
    CText(const std::string& text, const Olvarn::OlvarnVector2& position, const Olvarn::Color& color,
          std::string fontId, int layer);

    // Word-wrapped in the box from now on (truncated to whole pixels).
    void SetBox(const Olvarn::OlvarnVector2& position, const Olvarn::OlvarnVector2& size);
    bool HasBox() const { return boxWidth != 0 && boxHeight != 0; }
    // Nothing without its font.
    void Draw(Olvarn::Graphics& g);
    Olvarn::Font* FindFont() const;

    Olvarn::OlvarnVector2 GetPos() const { return Olvarn::OlvarnVector2(x, y); }
    // A text in a box takes its box along.
    void SetPos(const Olvarn::OlvarnVector2& position);
    const std::string& GetText() const { return text; }
    void SetText(const std::string& value);
    const Olvarn::Color& GetColor() const { return color; }
    void SetColor(const Olvarn::Color& value) { color = value; }
    int GetLayer() const { return layer; }

    std::string text;
    float x;
    float y;
    Olvarn::Color color;
    std::string fontId;
    int boxX = 0;
    int boxY = 0;
    int boxWidth = 0;
    int boxHeight = 0;
    int layer;
};

} // namespace tilvan
