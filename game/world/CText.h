// One animated text (a single letter in practice): a string drawn at a position in a colour and
// font, moved by its list of text actions.
#pragma once

#include <list>
#include <string>

#include "core/Color.h"
#include "world/CTextAction.h"

namespace Olvarn
{
class Font;
class Graphics;
} // namespace Olvarn

namespace tilvan
{

class CText
{
public:
    // Copies share the action objects.
    CText(std::string text, float x, float y, const Olvarn::Color& color, Olvarn::Font* font);

    // Applies every action in list order, then drops the finished ones. An action appended during
    // the walk (by a delayed action) is applied in the same walk with the same ms.
    void Update(float ms);
    // Nothing without a font.
    void Draw(Olvarn::Graphics& g);
    void AddAction(TextActionPtr action) { actions.push_back(std::move(action)); }

    std::string text;
    float x;
    float y;
    Olvarn::Color color;
    // Not owned.
    Olvarn::Font* font;
    // A list, so actions appended during a walk leave the walk's place valid.
    std::list<TextActionPtr> actions;
};

} // namespace tilvan
