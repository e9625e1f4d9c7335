// A point or offset in floats; the game's positions and the scripts' "vector2".
#pragma once

namespace Olvarn
{

class OlvarnVector2
{
public:
    constexpr OlvarnVector2() = default;
    constexpr OlvarnVector2(float x, float y) : x(x), y(y) {}

    float x = 0;
    float y = 0;
};

} // namespace Olvarn
