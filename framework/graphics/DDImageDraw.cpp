// Drawing of display images: the choice between the renderer, the surface and memory for each
// operation, and the software fills, lines and blits on the locked surface.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "graphics/DDImage.h"
#include "graphics/DDInterface.h"
#include "graphics/DDRenderer.h"
#include "graphics/Matrix3.h"
#include "graphics/PixelKernels.h"
#include "graphics/RasterizePolygon.h"

namespace Olvarn
{

namespace
{

constexpr int kNormal = Graphics::DRAWMODE_NORMAL;
constexpr int kAdditive = Graphics::DRAWMODE_ADDITIVE;

// The three channels of the locked surface with the matching colour components.
struct ChannelSet {
    uint32_t mask[3];
    int shift[3];
    int bits[3];
    const int* sat[3];
};

ChannelSet Channels(const SurfaceLock& lock, const DDInterface& d)
{
    return {{lock.mFormat.mRedMask, lock.mFormat.mGreenMask, lock.mFormat.mBlueMask},
            {d.mRedShift, d.mGreenShift, d.mBlueShift},
            {d.mRedBits, d.mGreenBits, d.mBlueBits},
            {d.SaturationTable(0).data(), d.SaturationTable(1).data(), d.SaturationTable(2).data()}};
}

template <typename Pixel> Pixel* PixelAt(const SurfaceLock& lock, int x, int y)
{
    return reinterpret_cast<Pixel*>(lock.mBits + ptrdiff_t(y) * lock.mPitch) + x;
}

int ColorChannel(const Color& c, int i)
{
    return i == 0 ? c.mRed : (i == 1 ? c.mGreen : c.mBlue);
}

bool InIntRange(double v)
{
    return std::isfinite(v) && std::fabs(v) < 1e9;
}

// --- Fills and lines ---

// Per-pixel colour of a fill or line in normal mode; the destination is read only for partial alpha.
struct BlendColor {
    uint32_t src = 0;
    uint32_t destRound = 0;
    int a = 255;
    uint32_t mask[3];

    template <typename Pixel> Pixel Apply(Pixel d) const
    {
        if (a == 255)
            return Pixel(src);
        uint32_t out = src;
        for (int i = 0; i < 3; ++i)
            out += (((d & mask[i]) * uint32_t(256 - a) + (destRound ? mask[i] / destRound : 0)) >> 8) & mask[i];
        return Pixel(out);
    }
};

// The fill rule: 16-bit rounds up by one, 32-bit keeps the plain product.
BlendColor FillColor(const ChannelSet& ch, const Color& c, bool sixteen)
{
    BlendColor b;
    b.a = c.mAlpha;
    for (int i = 0; i < 3; ++i) {
        uint32_t m = ch.mask[i], v = uint32_t(ColorChannel(c, i));
        b.mask[i] = m;
        if (b.a == 255)
            b.src += (sixteen ? ((v + 1) * m) >> 8 : (v * m) >> 8) & m;
        else
            b.src += (((((uint32_t(b.a) * v + (sixteen ? 128 : 127)) >> 8) + 1) * m) >> 8) & m;
    }
    // 16-bit adds the mask before the shift (divisor 1), 32-bit adds nothing.
    b.destRound = sixteen ? 1 : 0;
    return b;
}

BlendColor LineColor(const ChannelSet& ch, const Color& c)
{
    BlendColor b;
    b.a = c.mAlpha;
    for (int i = 0; i < 3; ++i) {
        uint32_t m = ch.mask[i], v = uint32_t(ColorChannel(c, i));
        b.mask[i] = m;
        if (b.a == 255)
            b.src += ((v * m + m / 2) >> 8) & m;
        else
            b.src += ((((uint32_t(b.a) * v + 128) >> 8) * m + m / 2) >> 8) & m;
    }
    b.destRound = 2;
    return b;
}

// Additive fills and lines: the colour in channel units, added through the saturation tables.
struct AddColor {
    uint32_t v[3];
    ChannelSet ch;

    template <typename Pixel> Pixel Apply(Pixel d) const
    {
        uint32_t out = 0;
        for (int i = 0; i < 3; ++i)
            out |= uint32_t(ch.sat[i][v[i] + ((d & ch.mask[i]) >> ch.shift[i])]) << ch.shift[i];
        return Pixel(out);
    }
};

AddColor AdditiveColor(const ChannelSet& ch, const Color& c)
{
    AddColor add{{}, ch};
    for (int i = 0; i < 3; ++i)
        add.v[i] = uint32_t(c.mAlpha * ColorChannel(c, i) / 255) >> (8 - ch.bits[i]);
    return add;
}

template <typename Pixel, typename Op> void FillLoop(const SurfaceLock& lock, const Rect& r, const Op& op)
{
    for (int y = r.mY; y < r.mY + r.mHeight; ++y) {
        Pixel* p = PixelAt<Pixel>(lock, r.mX, y);
        for (int x = 0; x < r.mWidth; ++x)
            p[x] = op.Apply(p[x]);
    }
}

// Normal-mode fills go through the pixel kernels a row at a time.
template <typename Pixel> void FillLoop(const SurfaceLock& lock, const Rect& r, const BlendColor& op)
{
    const kernels::Format16 masks{{op.mask[0], op.mask[1], op.mask[2]}};
    const kernels::Table& kernel = kernels::Active();
    if (op.a == 255 && r.mWidth > 0 && r.mHeight > 0) {
        // An opaque fill (the clear of every frame) writes its first row and copies it to the rest: a
        // row copy moves whole registers, where the fill of 16-bit pixels went one pixel at a time.
        Pixel* first = PixelAt<Pixel>(lock, r.mX, r.mY);
        std::fill_n(first, r.mWidth, Pixel(op.src));
        for (int y = r.mY + 1; y < r.mY + r.mHeight; ++y)
            std::memcpy(PixelAt<Pixel>(lock, r.mX, y), first, size_t(r.mWidth) * sizeof(Pixel));
        return;
    }
    for (int y = r.mY; y < r.mY + r.mHeight; ++y) {
        Pixel* p = PixelAt<Pixel>(lock, r.mX, y);
        if (op.a == 255)
            std::fill_n(p, r.mWidth, Pixel(op.src));
        else if constexpr (sizeof(Pixel) == 4)
            kernel.fill32(reinterpret_cast<uint32_t*>(p), r.mWidth, op.src, uint32_t(256 - op.a), masks, op.destRound);
        else
            kernel.fill16(reinterpret_cast<uint16_t*>(p), r.mWidth, op.src, uint32_t(256 - op.a), masks, op.destRound);
    }
}

// The stepped line walk shared by both modes; plot receives integer pixel positions.
template <typename Plot> void WalkLine(double x1, double y1, double x2, double y2, bool fractionTerm, Plot plot)
{
    const double minX = std::min(x1, x2), maxX = std::max(x1, x2);
    const double minY = std::min(y1, y2), maxY = std::max(y1, y2);
    const bool xMajor = std::fabs(x2 - x1) > std::fabs(y2 - y1);
    // Walk from the end with the smaller major coordinate.
    double sMajor = xMajor ? x1 : y1, sMinor = xMajor ? y1 : x1;
    double eMajor = xMajor ? x2 : y2, eMinor = xMajor ? y2 : x2;
    if (eMajor < sMajor) {
        std::swap(sMajor, eMajor);
        std::swap(sMinor, eMinor);
    }
    const int minorStep = eMinor - sMinor >= 0 ? 1 : -1;
    const double dMinor = std::fabs(eMinor - sMinor), dMajor = std::fabs(eMajor - sMajor);
    const int ePlus = int(2 * dMinor);
    const int eStep = int(2 * (dMinor - dMajor));
    const int base = int(2 * dMinor - dMajor);
    const double fraction = sMinor - std::trunc(sMinor);
    int error = fractionTerm ? int(fraction * ePlus + base) : base;
    int major = int(sMajor), minor = int(sMinor);
    auto emit = [&] { xMajor ? plot(major, minor) : plot(minor, major); };
    emit();
    for (++major; major <= eMajor; ++major) {
        if (error > 0) {
            minor += minorStep;
            error += eStep;
            int px = xMajor ? major : minor, py = xMajor ? minor : major;
            if (px < minX || px > maxX || py < minY || py > maxY)
                return;
        } else {
            error += ePlus;
        }
        emit();
    }
}

} // namespace

// --- Routing -------------------------------------------------------------------------------------

bool DDImage::FillPolygon(const int* points, int count, const Rect& clip, const Color& color, DrawMode mode,
                          int offsetX, int offsetY)
{
    if (!OnDrawSurface3D() || !Renderer())
        return false;
    Renderer()->FillPolygon(points, count, &clip, color, mode, offsetX, offsetY);
    return true;
}

void DDImage::FillRect(const Rect& rect, const Color& color, DrawMode mode)
{
    if (OnDrawSurface3D()) {
        if (Renderer())
            Renderer()->FillRect(rect, color, mode);
        return;
    }
    CommitBits();
    if (mHasAlpha || mHasTrans || Is3DEnabled()) {
        MemoryImage::FillRect(rect, color, mode);
        return;
    }
    bool drawn = mode == kNormal ? SurfaceFillRect(rect, color)
                                 : (mode == kAdditive ? SurfaceFillRectAdditive(rect, color) : false);
    if (drawn)
        DiscardMemoryBits();
}

void DDImage::DrawLine(double x1, double y1, double x2, double y2, const Color& color, DrawMode mode)
{
    if (OnDrawSurface3D()) {
        if (Renderer())
            Renderer()->DrawLine(x1, y1, x2, y2, color, mode);
        return;
    }
    if (mHasAlpha || mHasTrans || Is3DEnabled()) {
        MemoryImage::DrawLine(x1, y1, x2, y2, color, mode);
        return;
    }
    if (!InIntRange(x1) || !InIntRange(y1) || !InIntRange(x2) || !InIntRange(y2))
        return;
    if (y1 == y2) {
        int x = int(std::min(x1, x2));
        FillRect(Rect(x, int(y1), int(std::max(x1, x2)) - x + 1, 1), color, mode);
        return;
    }
    if (x1 == x2) {
        int y = int(std::min(y1, y2));
        FillRect(Rect(int(x1), y, 1, int(std::max(y1, y2)) - y + 1), color, mode);
        return;
    }
    CommitBits();
    bool drawn = mode == kNormal ? SurfaceDrawLine(x1, y1, x2, y2, color)
                                 : (mode == kAdditive ? SurfaceDrawLineAdditive(x1, y1, x2, y2, color) : false);
    if (drawn)
        DiscardMemoryBits();
}

void DDImage::BlitImage(Image* src, int x, int y, const Rect& srcRect, const Color& color, DrawMode mode)
{
    CommitBits();
    if (OnDrawSurface3D()) {
        DDRenderer* renderer = Renderer();
        auto* ddSrc = dynamic_cast<DDImage*>(src);
        if (ddSrc && ddSrc->mSurface && renderer && renderer->TakesSurfaceBlits() &&
            renderer->IsTransformStackEmpty() && mode == kNormal && color == Color::White && !ddSrc->mHasAlpha)
            HardwareBlit(ddSrc, Rect(x, y, srcRect.mWidth, srcRect.mHeight), srcRect);
        else if (renderer)
            renderer->BlitPlain(src, float(x), float(y), srcRect, color, mode, false);
        return;
    }
    if (mHasAlpha || mHasTrans || (Is3DEnabled() && !mDDInterface->IsCursorAreaImage(this))) {
        MemoryImage::BlitImage(src, x, y, srcRect, color, mode);
        return;
    }
    bool drawn = mode == kNormal ? SurfaceBlit(src, x, y, srcRect, color)
                                 : (mode == kAdditive ? SurfaceBlitAdditive(src, x, y, srcRect, color) : false);
    if (drawn)
        DiscardMemoryBits();
}

void DDImage::BlitImageAtFloat(Image* src, float x, float y, const Rect& srcRect, const Rect& clip, const Color& color,
                               DrawMode mode)
{
    if (!OnDrawSurface3D()) {
        BlitImageRotated(src, x, y, srcRect, clip, color, mode, 0.0, 0.0f, 0.0f);
        return;
    }
    DDRenderer* renderer = Renderer();
    if (!renderer)
        return;
    // The destination in doubles, cut by the clip: whole, partly clipped, or gone.
    double left = std::max<double>(x, clip.mX), top = std::max<double>(y, clip.mY);
    double right = std::min<double>(double(x) + srcRect.mWidth, double(clip.mX) + clip.mWidth);
    double bottom = std::min<double>(double(y) + srcRect.mHeight, double(clip.mY) + clip.mHeight);
    double width = right - left, height = bottom - top;
    if (width <= 0 || height <= 0)
        return;
    if (width == srcRect.mWidth && height == srcRect.mHeight)
        renderer->BlitPlain(src, x, y, srcRect, color, mode, true);
    else
        renderer->Blit(src, x, y, srcRect, clip, color, mode);
}

void DDImage::BlitImageMatrix(Image* src, float x, float y, const Matrix3& matrix, const Rect& clip, const Color& color,
                              DrawMode mode, const Rect& srcRect, bool bilinear)
{
    if (OnDrawSurface3D()) {
        if (Renderer())
            Renderer()->DrawImage(src, &clip, color, mode, srcRect, matrix, bilinear, x, y, true);
        return;
    }
    auto* texture = dynamic_cast<MemoryImage*>(src);
    if (!texture)
        return;
    // An image that cannot have a surface is drawn in memory rather than not at all.
    if (!GetSurface()) {
        MemoryImage::BlitImageMatrix(src, x, y, matrix, clip, color, mode, srcRect, bilinear);
        return;
    }
    if (SoftwareMatrixOnSurface(texture, x, y, matrix, clip, color, mode, srcRect, bilinear))
        DiscardMemoryBits();
}

void DDImage::BlitTexturedTriangles(Image* src, const TriVertex* vertices, int numTriangles, const Rect& clip,
                                    const Color& color, DrawMode mode, float offsetX, float offsetY, bool bilinear)
{
    if (OnDrawSurface3D()) {
        if (Renderer())
            Renderer()->DrawTexturedTriangles(vertices, numTriangles, color, mode, src, offsetX, offsetY, bilinear);
        return;
    }
    auto* texture = dynamic_cast<MemoryImage*>(src);
    if (!texture || !vertices)
        return;
    if (!GetSurface()) {
        MemoryImage::BlitTexturedTriangles(src, vertices, numTriangles, clip, color, mode, offsetX, offsetY, bilinear);
        return;
    }
    if (SoftwareTrianglesOnSurface(texture, vertices, numTriangles, clip, color, mode, offsetX, offsetY, bilinear))
        DiscardMemoryBits();
}

void DDImage::BlitImageMirrored(Image* src, int x, int y, const Rect& srcRect, const Color& color, DrawMode mode)
{
    CommitBits();
    if (OnDrawSurface3D()) {
        if (Renderer())
            Renderer()->BlitMirrored(src, float(x), float(y), srcRect, color, mode, false);
        return;
    }
    auto* memory = dynamic_cast<MemoryImage*>(src);
    if (!memory)
        return;
    if (!GetSurface()) {
        // Mirror the source part into a scratch image and blit that in memory.
        MemoryImage mirrored;
        mirrored.Create(srcRect.mWidth, srcRect.mHeight);
        uint32_t* to = mirrored.GetBits();
        const uint32_t* from = memory->GetBits();
        if (!to || !from)
            return;
        for (int row = 0; row < srcRect.mHeight; ++row)
            for (int col = 0; col < srcRect.mWidth; ++col)
                to[size_t(row) * srcRect.mWidth + col] =
                    from[size_t(srcRect.mY + row) * memory->mWidth + srcRect.mX + srcRect.mWidth - 1 - col];
        mirrored.BitsChanged();
        MemoryImage::BlitImage(&mirrored, x, y, Rect(0, 0, srcRect.mWidth, srcRect.mHeight), color, mode);
        return;
    }
    bool drawn = mode == kNormal ? SurfaceBlitMirrored(src, x, y, srcRect, color)
                                 : (mode == kAdditive ? SurfaceBlitMirroredAdditive(src, x, y, srcRect, color) : false);
    if (drawn)
        DiscardMemoryBits();
}

// --- Hardware blit and the rasteriser on the surface --------------------------------------------

bool DDImage::HardwareBlit(DDImage* src, const Rect& dest, const Rect& srcRect)
{
    Surface* mine = GetSurface();
    Surface* theirs = src->mSurface.get();
    if (!mine || !theirs)
        return false;
    const bool relock = mLockCount > 0;
    if (relock)
        mine->Unlock();
    SurfaceRect d{dest.mX, dest.mY, dest.mX + dest.mWidth, dest.mY + dest.mHeight};
    SurfaceRect s{srcRect.mX, srcRect.mY, srcRect.mX + srcRect.mWidth, srcRect.mY + srcRect.mHeight};
    mine->Blit(&d, *theirs, &s, src->mHasTrans ? BlitFlags::KeySource : 0);
    if (relock)
        mine->Lock(mLockedDesc);
    return true;
}

uint32_t DDImage::SurfaceFormatCode() const
{
    const SurfaceFormat& f = mLockedDesc.mFormat;
    if (f.mBitsPerPixel == 32)
        return 0x888;
    if (f.mBitsPerPixel == 16 && f == SurfaceFormat::Rgb565())
        return 0x565;
    if (f.mBitsPerPixel == 16 && f == SurfaceFormat::Rgb555())
        return 0x555;
    return 0;
}

bool DDImage::SoftwareMatrixOnSurface(MemoryImage* texture, float x, float y, const Matrix3& matrix, const Rect& clip,
                                      const Color& color, DrawMode mode, const Rect& s, bool bilinear)
{
    if (!LockSurface())
        return false;
    const uint32_t format = SurfaceFormatCode();
    if (format != 0 && texture->mWidth > 0 && texture->mHeight > 0) {
        float hw = s.mWidth / 2.0f, hh = s.mHeight / 2.0f;
        float u0 = float(s.mX) / texture->mWidth, u1 = float(s.mX + s.mWidth) / texture->mWidth;
        float v0 = float(s.mY) / texture->mHeight, v1 = float(s.mY + s.mHeight) / texture->mHeight;
        TriVertex vertices[4] = {{-hw, -hh, u0, v0, 0xFFFFFFFF},
                                 {hw, -hh, u1, v0, 0xFFFFFFFF},
                                 {-hw, hh, u0, v1, 0xFFFFFFFF},
                                 {hw, hh, u1, v1, 0xFFFFFFFF}};
        bool finite = true;
        for (TriVertex& v : vertices) {
            float rx, ry, rz;
            matrix.TransformVector(v.x, v.y, 1.0f, rx, ry, rz);
            v.x = x + rx - 0.5f;
            v.y = y + ry - 0.5f;
            finite = finite && std::isfinite(v.x) && std::isfinite(v.y);
        }
        Rect area = clip.Intersection(Rect(0, 0, mLockedDesc.mWidth, mLockedDesc.mHeight));
        if (finite)
            RasterizePolygon(vertices, 4, texture, color, mode, area, mLockedDesc.mBits, uint32_t(mLockedDesc.mPitch),
                             format, bilinear);
    }
    UnlockSurface();
    return true;
}

bool DDImage::SoftwareTrianglesOnSurface(MemoryImage* texture, const TriVertex* vertices, int numTriangles,
                                         const Rect& clip, const Color& color, DrawMode mode, float offsetX,
                                         float offsetY, bool bilinear)
{
    if (!LockSurface())
        return false;
    const uint32_t format = SurfaceFormatCode();
    const Rect area = clip.Intersection(Rect(0, 0, mLockedDesc.mWidth, mLockedDesc.mHeight));
    if (format != 0)
        RasterizeTriangleList(texture, vertices, numTriangles, area, color, mode, offsetX, offsetY, bilinear,
                              mLockedDesc.mBits, uint32_t(mLockedDesc.mPitch), format);
    UnlockSurface();
    return true;
}

// --- Fills and lines on the surface ---------------------------------------------------------------

// Fills the rectangle on the locked surface with the pixel rule that makeFill builds for the
// surface's depth (it is told whether the pixels are 16-bit).
template <typename MakeFill> bool DDImage::SurfaceFill(const Rect& rect, MakeFill makeFill)
{
    if (mNoSoftwareDraw)
        return true;
    if (!LockSurface())
        return false;
    const Rect r = rect.Intersection(Rect(0, 0, mLockedDesc.mWidth, mLockedDesc.mHeight));
    const ChannelSet ch = Channels(mLockedDesc, *mDDInterface);
    if (mLockedDesc.mFormat.mBitsPerPixel == 16)
        FillLoop<uint16_t>(mLockedDesc, r, makeFill(ch, true));
    else if (mLockedDesc.mFormat.mBitsPerPixel == 32)
        FillLoop<uint32_t>(mLockedDesc, r, makeFill(ch, false));
    UnlockSurface();
    return true;
}

bool DDImage::SurfaceFillRect(const Rect& rect, const Color& color)
{
    return SurfaceFill(rect, [&](const ChannelSet& ch, bool is16) { return FillColor(ch, color, is16); });
}

bool DDImage::SurfaceFillRectAdditive(const Rect& rect, const Color& color)
{
    return SurfaceFill(rect, [&](const ChannelSet& ch, bool) { return AdditiveColor(ch, color); });
}

namespace
{

template <typename Pixel, typename Op>
void DrawLineOn(const SurfaceLock& lock, double x1, double y1, double x2, double y2, bool fractionTerm, const Op& op)
{
    WalkLine(x1, y1, x2, y2, fractionTerm, [&](int x, int y) {
        if (x < 0 || y < 0 || x >= lock.mWidth || y >= lock.mHeight)
            return;
        Pixel* p = PixelAt<Pixel>(lock, x, y);
        *p = op.Apply(*p);
    });
}

} // namespace

// Draws the line on the locked surface with the pixel rule that makeOp builds. The 16-bit loops
// always start their error with the fraction term; fraction32 says whether the 32-bit loop does.
template <typename MakeOp>
bool DDImage::SurfaceLine(double x1, double y1, double x2, double y2, bool fraction32, MakeOp makeOp)
{
    if (mNoSoftwareDraw)
        return true;
    if (!LockSurface())
        return false;
    const ChannelSet ch = Channels(mLockedDesc, *mDDInterface);
    if (mLockedDesc.mFormat.mBitsPerPixel == 16)
        DrawLineOn<uint16_t>(mLockedDesc, x1, y1, x2, y2, true, makeOp(ch));
    else if (mLockedDesc.mFormat.mBitsPerPixel == 32)
        DrawLineOn<uint32_t>(mLockedDesc, x1, y1, x2, y2, fraction32, makeOp(ch));
    UnlockSurface();
    return true;
}

bool DDImage::SurfaceDrawLine(double x1, double y1, double x2, double y2, const Color& color)
{
    return SurfaceLine(x1, y1, x2, y2, true, [&](const ChannelSet& ch) { return LineColor(ch, color); });
}

bool DDImage::SurfaceDrawLineAdditive(double x1, double y1, double x2, double y2, const Color& color)
{
    // The additive line on a 32-bit surface starts its error without the fraction term.
    return SurfaceLine(x1, y1, x2, y2, false, [&](const ChannelSet& ch) { return AdditiveColor(ch, color); });
}

} // namespace Olvarn
