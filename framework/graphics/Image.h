// Base of every picture drawn into or from: size, a grid of animation cells with optional timing,
// and the virtual drawing operations the drawing context calls on its destination.
#pragma once

#include <memory>

#include "core/Color.h"
#include "core/Rect.h"
#include "graphics/Graphics.h"
#include "graphics/ImageAnimation.h"

namespace Olvarn
{

class Matrix3;
struct TriVertex;

class Image
{
public:
    using DrawMode = Graphics::DrawMode;

    Image() = default;
    Image(const Image& other);
    Image& operator=(const Image&) = delete;
    virtual ~Image();

    virtual bool FillPolygon(const int* points, int count, const Rect& clip, const Color& color, DrawMode mode,
                             int offsetX, int offsetY);
    virtual void FillRect(const Rect& rect, const Color& color, DrawMode mode);
    virtual void OutlineRect(const Rect& rect, const Color& color, DrawMode mode);
    virtual void ClearRect(const Rect& rect);
    virtual void DrawLine(double x1, double y1, double x2, double y2, const Color& color, DrawMode mode);
    // Each span is three ints: y, x, width.
    virtual void FillSpans(const int* spans, int count, const Color& color, DrawMode mode);
    virtual void BlitImage(Image* src, int x, int y, const Rect& srcRect, const Color& color, DrawMode mode);
    virtual void BlitImageAtFloat(Image* src, float x, float y, const Rect& srcRect, const Rect& clip,
                                  const Color& color, DrawMode mode);
    virtual void BlitImageRotated(Image* src, float x, float y, const Rect& srcRect, const Rect& clip,
                                  const Color& color, DrawMode mode, double angle, float centerX, float centerY);
    virtual void BlitImageScaled(Image* src, const Rect& destRect, const Rect& srcRect, const Rect& clip,
                                 const Color& color, DrawMode mode, bool fastScaling);
    virtual void BlitImageMatrix(Image* src, float x, float y, const Matrix3& matrix, const Rect& clip,
                                 const Color& color, DrawMode mode, const Rect& srcRect, bool bilinear);
    virtual void BlitTexturedTriangles(Image* src, const TriVertex* vertices, int numTriangles, const Rect& clip,
                                       const Color& color, DrawMode mode, float offsetX, float offsetY, bool bilinear);
    virtual void BlitImageMirrored(Image* src, int x, int y, const Rect& srcRect, const Color& color, DrawMode mode);
    virtual void BlitImageScaledMirrored(Image* src, const Rect& destRect, const Rect& srcRect, const Rect& clip,
                                         const Color& color, DrawMode mode, bool fastScaling);

    // True for a display image that Direct3D draws on while 3D is on: sub-pixel transformed draws then
    // go through the matrix path (the display image answers it).
    virtual bool Is3DDrawSurface() const { return false; }

    int GetWidth() const { return mWidth; }
    int GetHeight() const { return mHeight; }
    int GetCellWidth() const { return mNumCols != 0 ? mWidth / mNumCols : 0; }
    int GetCellHeight() const { return mNumRows != 0 ? mHeight / mNumRows : 0; }
    Rect GetCellRect(int cell) const;
    int GetAnimationCell(int time) const { return mAnimation ? mAnimation->GetCell(time) : 0; }
    void CopyCellLayout(const Image* other);
    Graphics* CreateGraphics();

    int mWidth = 0;
    int mHeight = 0;
    int mNumRows = 1;
    int mNumCols = 1;
    ImageAnimation* mAnimation = nullptr;
};

} // namespace Olvarn
