// The drawing context: state stack, clipping and translation, and the image and rectangle draws.
#include "graphics/Graphics.h"

#include <algorithm>
#include <cmath>

#include "graphics/Font.h"
#include "graphics/Image.h"
#include "graphics/Matrix3.h"
#include "graphics/Transform2D.h"

namespace Olvarn
{

namespace
{

// Truncates toward zero like a plain cast, but saturates far outside any picture and maps NaN far
// away, so that bad coordinates draw nothing instead of overflowing.
int TruncSaturated(double v)
{
    // Far outside any picture, yet a picture's size can be added or subtracted without overflow.
    constexpr int kLimit = 1 << 30;
    if (std::isnan(v) || v < -kLimit)
        return -kLimit;
    if (v > kLimit)
        return kLimit;
    return static_cast<int>(v);
}

bool WithinImage(const Rect& r, const Image* image)
{
    return r.mX >= 0 && r.mY >= 0 && static_cast<long long>(r.mX) + r.mWidth <= image->GetWidth() &&
           static_cast<long long>(r.mY) + r.mHeight <= image->GetHeight();
}

int Clamped(long long v)
{
    return static_cast<int>(std::clamp<long long>(v, -(1LL << 30), 1LL << 30));
}

} // namespace

Image* Graphics::GetEmptyImage()
{
    static Image empty;
    return &empty;
}

Graphics::Graphics(Image* destImage)
{
    mDestImage = destImage ? destImage : GetEmptyImage();
    mClipRect = Rect(0, 0, mDestImage->GetWidth(), mDestImage->GetHeight());
}

Graphics::Graphics(const Graphics& other) : GraphicsState(other) {}

Graphics::~Graphics() = default;

Graphics* Graphics::Clone() const
{
    return new Graphics(*this);
}

void Graphics::PushState()
{
    mStateStack.push_back(*this);
}

void Graphics::PopState()
{
    if (mStateStack.empty())
        return;
    static_cast<GraphicsState&>(*this) = mStateStack.back();
    mStateStack.pop_back();
}

void Graphics::Translate(int x, int y)
{
    mTransX += x;
    mTransY += y;
}

int Graphics::TruncX(double x) const
{
    return TruncSaturated(x + mTransX);
}
int Graphics::TruncY(double y) const
{
    return TruncSaturated(y + mTransY);
}

void Graphics::IntersectClip(int x, int y, int width, int height)
{
    mClipRect = mClipRect.Intersection(Rect(TruncX(x), TruncY(y), width, height));
}

void Graphics::FillRect(int x, int y, int width, int height)
{
    if (mColor.GetAlpha() == 0)
        return;
    Rect r = Rect(TruncX(x), TruncY(y), width, height).Intersection(mClipRect);
    mDestImage->FillRect(r, mColor, mDrawMode);
}

void Graphics::DrawRect(int x, int y, int width, int height)
{
    if (mColor.GetAlpha() == 0)
        return;
    int w1 = Clamped(static_cast<long long>(width) + 1), h1 = Clamped(static_cast<long long>(height) + 1);
    Rect outline(TruncX(x), TruncY(y), w1, h1);
    if (outline.Intersection(mClipRect) == outline) {
        mDestImage->OutlineRect(Rect(outline.mX, outline.mY, width, height), mColor, mDrawMode);
        return;
    }
    int inner = Clamped(static_cast<long long>(height) - 1);
    FillRect(x, y, w1, 1);
    FillRect(x, Clamped(static_cast<long long>(y) + height), w1, 1);
    FillRect(x, y + 1, 1, inner);
    FillRect(Clamped(static_cast<long long>(x) + width), y + 1, 1, inner);
}

void Graphics::DrawImage(Image* image, int x, int y)
{
    if (!image)
        return;
    int tx = TruncX(x), ty = TruncY(y);
    Rect r = Rect(tx, ty, image->GetWidth(), image->GetHeight()).Intersection(mClipRect);
    if (r.mWidth <= 0 || r.mHeight <= 0)
        return;
    mDestImage->BlitImage(image, r.mX, r.mY, Rect(r.mX - tx, r.mY - ty, r.mWidth, r.mHeight), ImageColor(), mDrawMode);
}

void Graphics::DrawImageRegion(Image* image, int x, int y, const Rect& region)
{
    if (!image)
        return;
    // A region that leaves the source would make the destination read outside its pixels.
    if (!WithinImage(region, image))
        return;
    int tx = TruncX(x), ty = TruncY(y);
    Rect r = Rect(tx, ty, region.mWidth, region.mHeight).Intersection(mClipRect);
    if (r.mWidth <= 0 || r.mHeight <= 0)
        return;
    Rect src(region.mX + r.mX - tx, region.mY + r.mY - ty, r.mWidth, r.mHeight);
    mDestImage->BlitImage(image, r.mX, r.mY, src, ImageColor(), mDrawMode);
}

void Graphics::DrawImageAtFloat(Image* image, float x, float y, const Rect& region)
{
    if (image)
        mDestImage->BlitImageAtFloat(image, x + mTransX, y + mTransY, region, mClipRect, ImageColor(), mDrawMode);
}

void Graphics::DrawImageScaled(Image* image, int x, int y, int width, int height)
{
    if (!image)
        return;
    Rect dest(TruncX(x), TruncY(y), width, height);
    Rect src(0, 0, image->GetWidth(), image->GetHeight());
    mDestImage->BlitImageScaled(image, dest, src, mClipRect, ImageColor(), mDrawMode, mFastStretch);
}

void Graphics::DrawImageRegionScaled(Image* image, const Rect& dest, const Rect& region)
{
    if (!image)
        return;
    Rect d(TruncX(dest.mX), TruncY(dest.mY), dest.mWidth, dest.mHeight);
    mDestImage->BlitImageScaled(image, d, region, mClipRect, ImageColor(), mDrawMode, mFastStretch);
}

void Graphics::DrawImageMirrored(Image* image, const Rect& dest, const Rect& region, bool mirror)
{
    if (!mirror) {
        DrawImageRegionScaled(image, dest, region);
        return;
    }
    if (!image)
        return;
    Rect d(TruncX(dest.mX), TruncY(dest.mY), dest.mWidth, dest.mHeight);
    mDestImage->BlitImageScaledMirrored(image, d, region, mClipRect, ImageColor(), mDrawMode, mFastStretch);
}

void Graphics::DrawImageRotatedAround(Image* image, float x, float y, double angle, float centerX, float centerY,
                                      const Rect* region)
{
    if (!image)
        return;
    Rect src = region ? *region : Rect(0, 0, image->GetWidth(), image->GetHeight());
    mDestImage->BlitImageRotated(image, x + mTransX, y + mTransY, src, mClipRect, ImageColor(), mDrawMode, angle,
                                 centerX, centerY);
}

void Graphics::DrawImageRotated(Image* image, float x, float y, double angle, const Rect* region)
{
    if (!image)
        return;
    int w = region ? region->mWidth : image->GetWidth();
    int h = region ? region->mHeight : image->GetHeight();
    DrawImageRotatedAround(image, x, y, angle, static_cast<float>(w / 2), static_cast<float>(h / 2), region);
}

void Graphics::DrawImageRotatedInt(Image* image, int x, int y, double angle, const Rect* region)
{
    DrawImageRotated(image, static_cast<float>(x), static_cast<float>(y), angle, region);
}

void Graphics::DrawImageRotatedAroundInt(Image* image, int x, int y, double angle, int centerX, int centerY,
                                         const Rect* region)
{
    DrawImageRotatedAround(image, static_cast<float>(x), static_cast<float>(y), angle, static_cast<float>(centerX),
                           static_cast<float>(centerY), region);
}

void Graphics::DrawImageMatrix(Image* image, const Matrix3& matrix, const Rect& region, float x, float y)
{
    if (image)
        mDestImage->BlitImageMatrix(image, x + mTransX, y + mTransY, matrix, mClipRect, ImageColor(), mDrawMode, region,
                                    mLinearBlend);
}

void Graphics::DrawTexturedTriangles(Image* texture, const TriVertex* vertices, int numTriangles)
{
    if (texture)
        mDestImage->BlitTexturedTriangles(texture, vertices, numTriangles, mClipRect, ImageColor(), mDrawMode, mTransX,
                                          mTransY, mLinearBlend);
}

void Graphics::DrawImageTransformed(Image* image, Transform2D& t, const Rect& region, float x, float y, bool subPixel)
{
    if (t.mFullMatrix || (subPixel && mDestImage->Is3DDrawSurface())) {
        DrawImageMatrix(image, t.GetMatrix(), region, x, y);
        return;
    }
    float hw = region.mWidth * 0.5f, hh = region.mHeight * 0.5f;
    if (t.mRotated) {
        float cx = hw - t.mPreX, cy = hh - t.mPreY;
        float px = x + t.mPostX - cx + 0.5f, py = y + t.mPostY - cy + 0.5f;
        if (subPixel)
            DrawImageRotatedAround(image, px, py, t.mAngle, cx, cy, &region);
        else
            DrawImageRotatedAroundInt(image, TruncSaturated(px), TruncSaturated(py), t.mAngle, TruncSaturated(cx),
                                      TruncSaturated(cy), &region);
    } else if (t.mScaled) {
        float sw = hw * t.mScaleX, sh = hh * t.mScaleY;
        Rect dest(TruncSaturated(x + t.mPostX - sw), TruncSaturated(y + t.mPostY - sh), TruncSaturated(2 * sw),
                  TruncSaturated(2 * sh));
        DrawImageRegionScaled(image, dest, region);
    } else {
        float px = t.mPostX + t.mPreX + x - hw + 0.5f, py = t.mPostY + t.mPreY + y - hh + 0.5f;
        if (subPixel)
            DrawImageAtFloat(image, px, py, region);
        else
            DrawImageRegion(image, TruncSaturated(px), TruncSaturated(py), region);
    }
}

void Graphics::DrawImageCell(Image* image, int x, int y, int column, int row)
{
    if (!image || column < 0 || row < 0 || row >= image->mNumRows || column >= image->mNumCols)
        return;
    int cw = image->GetCellWidth(), ch = image->GetCellHeight();
    DrawImageRegion(image, x, y, Rect(cw * column, ch * row, cw, ch));
}

void Graphics::DrawImageCellByIndex(Image* image, int x, int y, int cell)
{
    if (!image || image->mNumCols <= 0)
        return;
    DrawImageCell(image, x, y, cell % image->mNumCols, cell / image->mNumCols);
}

void Graphics::DrawNineGrid(const Rect& dest, Image* image)
{
    if (image)
        DrawNineGridRegion(Rect(0, 0, image->GetWidth(), image->GetHeight()), dest, image);
}

void Graphics::DrawNineGridRegion(const Rect& s, const Rect& d, Image* image)
{
    // An empty region has no middle strip to tile; one beyond the image has nothing to draw.
    if (!image || s.mWidth <= 0 || s.mHeight <= 0 || !WithinImage(s, image))
        return;
    int cw = s.mWidth / 3, ch = s.mHeight / 3;
    int mw = s.mWidth - 2 * cw, mh = s.mHeight - 2 * ch;
    int right = Clamped(static_cast<long long>(d.mX) + d.mWidth - cw);
    int bottom = Clamped(static_cast<long long>(d.mY) + d.mHeight - ch);
    DrawImageRegion(image, d.mX, d.mY, Rect(s.mX, s.mY, cw, ch));
    DrawImageRegion(image, right, d.mY, Rect(s.mX + cw + mw, s.mY, cw, ch));
    DrawImageRegion(image, d.mX, bottom, Rect(s.mX, s.mY + ch + mh, cw, ch));
    DrawImageRegion(image, right, bottom, Rect(s.mX + cw + mw, s.mY + ch + mh, cw, ch));
    DrawNineGridEdges(s, d, image, cw, ch, mw, mh);
}

namespace
{

// The tiles of a strip that can reach the clip: a huge box costs no more than the clip it is cut to.
void TileRange(long long base, int tile, int clipStart, int clipLength, int count, int& from, int& to)
{
    long long first = (clipStart - base) / tile - 1;
    long long last = (static_cast<long long>(clipStart) + clipLength - base) / tile + 1;
    from = static_cast<int>(std::max(0LL, first));
    to = static_cast<int>(std::min<long long>(count, std::max(0LL, last)));
}

} // namespace

void Graphics::DrawNineGridEdges(const Rect& s, const Rect& d, Image* image, int cw, int ch, int mw, int mh)
{
    // A box may lie anywhere in int range: every position is worked out in 64 bits and clamped.
    const long long x = d.mX, y = d.mY, width = d.mWidth, height = d.mHeight;
    int across = Clamped((width - 2LL * cw + mw - 1) / mw);
    int down = Clamped((height - 2LL * ch + mh - 1) / mh);
    int right = Clamped(x + width - cw);
    int bottom = Clamped(y + height - ch);
    int innerWidth = Clamped(width - 2LL * cw), innerHeight = Clamped(height - 2LL * ch);
    auto column = [&](int i) { return Clamped(x + cw + static_cast<long long>(i) * mw); };
    auto row = [&](int j) { return Clamped(y + ch + static_cast<long long>(j) * mh); };
    Rect topEdge(s.mX + cw, s.mY, mw, ch), bottomEdge(s.mX + cw, s.mY + ch + mh, mw, ch);
    Rect leftEdge(s.mX, s.mY + ch, cw, mh), rightEdge(s.mX + cw + mw, s.mY + ch, cw, mh);
    Rect middle(s.mX + cw, s.mY + ch, mw, mh);

    Graphics edges(*this);
    edges.IntersectClip(Clamped(x + cw), d.mY, innerWidth, d.mHeight);
    int i0, i1;
    TileRange(x + cw + TruncSaturated(mTransX), mw, edges.mClipRect.mX, edges.mClipRect.mWidth, across, i0, i1);
    for (int i = i0; i < i1; ++i) {
        edges.DrawImageRegion(image, column(i), d.mY, topEdge);
        edges.DrawImageRegion(image, column(i), bottom, bottomEdge);
    }
    Graphics sides(*this);
    sides.IntersectClip(d.mX, Clamped(y + ch), d.mWidth, innerHeight);
    int j0, j1;
    TileRange(y + ch + TruncSaturated(mTransY), mh, sides.mClipRect.mY, sides.mClipRect.mHeight, down, j0, j1);
    for (int j = j0; j < j1; ++j) {
        sides.DrawImageRegion(image, d.mX, row(j), leftEdge);
        sides.DrawImageRegion(image, right, row(j), rightEdge);
    }
    Graphics centre(*this);
    centre.IntersectClip(Clamped(x + cw), Clamped(y + ch), innerWidth, innerHeight);
    for (int i = i0; i < i1; ++i)
        for (int j = j0; j < j1; ++j)
            centre.DrawImageRegion(image, column(i), row(j), middle);
}

} // namespace Olvarn
