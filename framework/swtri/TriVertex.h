// One corner of a textured or vertex-coloured triangle as the image operations hand it over.
#pragma once

#include <cstdint>

namespace Olvarn
{

struct TriVertex {
    float x = 0; // destination pixels
    float y = 0;
    float u = 0;        // 0..1 across the texture's width
    float v = 0;        // 0..1 across the texture's height
    uint32_t color = 0; // 0xAARRGGBB, read only when there is no texture
};

} // namespace Olvarn
