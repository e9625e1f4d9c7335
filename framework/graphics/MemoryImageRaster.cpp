// Matrix and textured-triangle drawing of MemoryImage: both hand their triangles to the software rasteriser.
#include <cmath>

#include "graphics/Matrix3.h"
#include "graphics/MemoryImage.h"
#include "graphics/RasterizePolygon.h"

namespace Olvarn
{

namespace
{

constexpr uint32_t kFormatArgb = 0x8888;
constexpr uint32_t kFormatRgb = 0x888;

bool Finite(const TriVertex& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.u) && std::isfinite(v.v);
}

} // namespace

// An image whose flags were forced to "no transparency" keeps no destination alpha.
int MemoryImage::TriangleFormat() const
{
    return (mForced && !mHasAlpha && !mHasTrans) ? kFormatRgb : kFormatArgb;
}

void MemoryImage::BlitImageMatrix(Image* src, float x, float y, const Matrix3& matrix, const Rect& clip,
                                  const Color& color, DrawMode mode, const Rect& s, bool bilinear)
{
    auto* texture = dynamic_cast<MemoryImage*>(src);
    if (!texture || texture->mWidth <= 0 || texture->mHeight <= 0)
        return;
    float hw = s.mWidth / 2.0f, hh = s.mHeight / 2.0f;
    float u0 = float(s.mX) / texture->mWidth, u1 = (float(s.mX) + float(s.mWidth)) / texture->mWidth;
    float v0 = float(s.mY) / texture->mHeight, v1 = (float(s.mY) + float(s.mHeight)) / texture->mHeight;
    TriVertex vertices[4] = {{-hw, -hh, u0, v0, 0xFFFFFFFF},
                             {hw, -hh, u1, v0, 0xFFFFFFFF},
                             {-hw, hh, u0, v1, 0xFFFFFFFF},
                             {hw, hh, u1, v1, 0xFFFFFFFF}};
    for (TriVertex& v : vertices) {
        float rx, ry, rz;
        matrix.TransformVector(v.x, v.y, 1.0f, rx, ry, rz);
        v.x = x + rx - 0.5f;
        v.y = y + ry - 0.5f;
        if (!Finite(v))
            return;
    }
    uint32_t* bits = GetBits();
    Rect area = clip.Intersection(Rect(0, 0, mWidth, mHeight));
    RasterizePolygon(vertices, 4, texture, color, mode, area, bits, 4u * mWidth, TriangleFormat(), bilinear);
    BitsChanged();
}

void MemoryImage::BlitTexturedTriangles(Image* src, const TriVertex* vertices, int numTriangles, const Rect& clip,
                                        const Color& color, DrawMode mode, float offsetX, float offsetY, bool bilinear)
{
    auto* texture = dynamic_cast<MemoryImage*>(src);
    if (!texture || !vertices)
        return;
    uint32_t* bits = GetBits();
    Rect area = clip.Intersection(Rect(0, 0, mWidth, mHeight));
    RasterizeTriangleList(texture, vertices, numTriangles, area, color, mode, offsetX, offsetY, bilinear, bits,
                          4u * mWidth, TriangleFormat());
    BitsChanged();
}

void MemoryImage::RasterizeTriangleList(MemoryImage* texture, const TriVertex* vertices, int numTriangles,
                                        const Rect& area, const Color& color, DrawMode mode, float offsetX,
                                        float offsetY, bool bilinear, void* bits, uint32_t pitchBytes, uint32_t format)
{
    uint32_t packed = color.ToInt();
    for (int t = 0; t < numTriangles; ++t) {
        TriVertex tri[3];
        bool finite = true;
        for (int i = 0; i < 3; ++i) {
            tri[i] = vertices[3 * t + i];
            tri[i].x += offsetX;
            tri[i].y += offsetY;
            if (tri[i].color == 0)
                tri[i].color = packed;
            finite = finite && Finite(tri[i]);
        }
        if (finite)
            RasterizePolygon(tri, 3, texture, color, mode, area, bits, pitchBytes, format, bilinear);
    }
}

} // namespace Olvarn
