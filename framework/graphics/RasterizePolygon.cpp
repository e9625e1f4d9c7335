// Reads the texture's pixels and alpha flags from a memory image and hands the strip on.
#include "graphics/RasterizePolygon.h"

#include "graphics/MemoryImage.h"
#include "swtri/RasterizeStrip.h"

namespace Olvarn
{

namespace
{

StripTexture TextureOf(MemoryImage& image)
{
    StripTexture t;
    // The flags are brought up to date first, as blending depends on them.
    image.CommitBits();
    t.mHasAlphaOrTrans = image.mHasAlpha || image.mHasTrans;
    const uint32_t* bits = image.GetBits();
    if (bits && image.mWidth > 0 && image.mHeight > 0) {
        t.mTexels.bits = bits;
        t.mTexels.width = static_cast<uint32_t>(image.mWidth);
        t.mTexels.height = static_cast<uint32_t>(image.mHeight);
        t.mTexels.texelCount = t.mTexels.width * t.mTexels.height;
    }
    return t;
}

} // namespace

void RasterizePolygon(const TriVertex* vertices, int count, MemoryImage* texture, const Color& colour, int drawMode,
                      const Rect& clip, void* destBits, uint32_t pitchBytes, uint32_t formatCode, bool bilinear)
{
    if (!texture) {
        RasterizeStrip(vertices, count, nullptr, colour, clip, destBits, pitchBytes, formatCode, bilinear);
        return;
    }
    StripTexture t = TextureOf(*texture);
    RasterizeStrip(vertices, count, &t, colour, clip, destBits, pitchBytes, formatCode, bilinear);
}

} // namespace Olvarn
