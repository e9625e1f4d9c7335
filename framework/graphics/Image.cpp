#include "graphics/Image.h"

namespace Olvarn
{

Image::Image(const Image& other)
    : mWidth(other.mWidth), mHeight(other.mHeight), mNumRows(other.mNumRows), mNumCols(other.mNumCols),
      mAnimation(other.mAnimation ? new ImageAnimation(*other.mAnimation) : nullptr)
{
}

Image::~Image()
{
    delete mAnimation;
}

bool Image::FillPolygon(const int*, int, const Rect&, const Color&, DrawMode, int, int)
{
    return false;
}
void Image::FillRect(const Rect&, const Color&, DrawMode) {}
void Image::ClearRect(const Rect&) {}
void Image::DrawLine(double, double, double, double, const Color&, DrawMode) {}
void Image::BlitImage(Image*, int, int, const Rect&, const Color&, DrawMode) {}
void Image::BlitImageAtFloat(Image*, float, float, const Rect&, const Rect&, const Color&, DrawMode) {}
void Image::BlitImageRotated(Image*, float, float, const Rect&, const Rect&, const Color&, DrawMode, double, float,
                             float)
{
}
void Image::BlitImageScaled(Image*, const Rect&, const Rect&, const Rect&, const Color&, DrawMode, bool) {}
void Image::BlitImageMatrix(Image*, float, float, const Matrix3&, const Rect&, const Color&, DrawMode, const Rect&,
                            bool)
{
}
void Image::BlitTexturedTriangles(Image*, const TriVertex*, int, const Rect&, const Color&, DrawMode, float, float,
                                  bool)
{
}
void Image::BlitImageMirrored(Image*, int, int, const Rect&, const Color&, DrawMode) {}
void Image::BlitImageScaledMirrored(Image*, const Rect&, const Rect&, const Rect&, const Color&, DrawMode, bool) {}

// The outline covers width + 1 by height + 1 pixels.
void Image::OutlineRect(const Rect& r, const Color& color, DrawMode mode)
{
    FillRect(Rect(r.mX, r.mY, r.mWidth + 1, 1), color, mode);
    FillRect(Rect(r.mX, r.mY + r.mHeight, r.mWidth + 1, 1), color, mode);
    FillRect(Rect(r.mX, r.mY + 1, 1, r.mHeight - 1), color, mode);
    FillRect(Rect(r.mX + r.mWidth, r.mY + 1, 1, r.mHeight - 1), color, mode);
}

void Image::FillSpans(const int* spans, int count, const Color& color, DrawMode mode)
{
    for (int i = 0; i < count; ++i) {
        const int* span = spans + 3 * i;
        FillRect(Rect(span[1], span[0], span[2], 1), color, mode);
    }
}

Rect Image::GetCellRect(int cell) const
{
    int cols = mNumCols > 0 ? mNumCols : 1;
    int cw = GetCellWidth();
    int ch = GetCellHeight();
    return Rect(cw * (cell % cols), ch * (cell / cols), cw, ch);
}

void Image::CopyCellLayout(const Image* other)
{
    if (other == this)
        return;
    mNumRows = other->mNumRows;
    mNumCols = other->mNumCols;
    delete mAnimation;
    mAnimation = other->mAnimation ? new ImageAnimation(*other->mAnimation) : nullptr;
}

Graphics* Image::CreateGraphics()
{
    return new Graphics(this);
}

} // namespace Olvarn
