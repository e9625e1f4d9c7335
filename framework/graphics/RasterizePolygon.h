// The software rasteriser's one entry for the image operations: draws a strip of textured or
// vertex-coloured triangles into 32-bit or 16-bit pixels.
#pragma once

#include <cstdint>

#include "core/Color.h"
#include "core/Rect.h"
#include "swtri/TriVertex.h"

namespace Olvarn
{

class MemoryImage;

// Vertices form a strip of count - 2 triangles. With a texture (its CommitBits runs first) u and v select
// texels, nearest or bilinear; a colour other than opaque white modulates. drawMode is not used. Format
// codes: 0x888, 0x565, 0x555 and 0x8888; any other draws nothing. Only pixels inside clip are written.
void RasterizePolygon(const TriVertex* vertices, int count, MemoryImage* texture, const Color& colour, int drawMode,
                      const Rect& clip, void* destBits, uint32_t pitchBytes, uint32_t formatCode, bool bilinear);

} // namespace Olvarn
