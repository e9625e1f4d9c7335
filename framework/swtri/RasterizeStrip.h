// The polygon entry without the image types: splits a strip into triangles, rejects unusable ones,
// clips each to the clip rectangle, converts to 16.16 and draws the result as a fan.
#pragma once

#include <cstdint>

#include "core/Color.h"
#include "core/Rect.h"
#include "swtri/RasterTypes.h"
#include "swtri/TriVertex.h"

namespace Olvarn
{

// Largest |x| or |y| a vertex may have; beyond it, or when not finite, its triangle is not drawn.
inline constexpr float kMaxVertexCoordinate = 16384.0f;

// The texture as the strip sees it: its texels and whether its alpha must be blended.
struct StripTexture {
    RasterTexture mTexels;
    bool mHasAlphaOrTrans = false;
};

// Features the entry draws with: textured with a texture, vertex-coloured without one.
unsigned StripFeatures(const StripTexture* texture, const Color& colour, bool bilinear);

// Triangle k - 1 of the strip is (v[k-2], v[k-1], v[k]) for even k and (v[k-2], v[k], v[k-1]) for odd k,
// so consecutive triangles keep their winding. The clip covers clip.mX to clip.mX + clip.mWidth and
// clip.mY to clip.mY + clip.mHeight, exclusive; nothing outside it is written.
void RasterizeStrip(const TriVertex* vertices, int count, const StripTexture* texture, const Color& colour,
                    const Rect& clip, void* destBits, uint32_t pitchBytes, uint32_t formatCode, bool bilinear);

} // namespace Olvarn
