// Rotated and stretched blits of display images: the path choice, the hardware stretch, and the
// software stretch and bilinear rotation on the locked surface in 16.16 steps.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "graphics/DDImage.h"
#include "graphics/DDInterface.h"
#include "graphics/DDRenderer.h"
#include "graphics/PixelKernels.h"

namespace Olvarn
{

namespace
{

constexpr int kNormal = Graphics::DRAWMODE_NORMAL;
constexpr int kAdditive = Graphics::DRAWMODE_ADDITIVE;

Rect Offset(const Rect& r, int dx, int dy)
{
    return Rect(r.mX + dx, r.mY + dy, r.mWidth, r.mHeight);
}

int ColorChannel(const Color& c, int i)
{
    return i == 0 ? c.mRed : (i == 1 ? c.mGreen : c.mBlue);
}

// A mirrored copy of the whole picture, so mirrored draws can use the plain memory paths.
void MirrorInto(MemoryImage& from, MemoryImage& to)
{
    to.Create(from.mWidth, from.mHeight);
    uint32_t* out = to.GetBits();
    const uint32_t* in = from.GetBits();
    if (!out || !in)
        return;
    for (int y = 0; y < from.mHeight; ++y)
        for (int x = 0; x < from.mWidth; ++x)
            out[size_t(y) * from.mWidth + x] = in[size_t(y) * from.mWidth + from.mWidth - 1 - x];
    to.BitsChanged();
}

struct StretchPixel {
    uint32_t mask[3];
    int shift[3];
    const int* sat[3];
    bool white;
    int alpha;
    uint32_t cm[3];
    bool additive;

    template <typename Pixel> void Apply(Pixel& d, uint32_t s) const
    {
        const uint32_t a = s >> 24;
        uint32_t out = 0;
        if (additive) {
            if (s == 0)
                return;
            for (int c = 0; c < 3; ++c) {
                uint32_t sum = white ? ((s & mask[c]) + (d & mask[c])) >> shift[c]
                                     : ((((s & mask[c]) >> shift[c]) * cm[c]) >> 8) + ((d & mask[c]) >> shift[c]);
                out |= uint32_t(sat[c][sum]) << shift[c];
            }
        } else if (white) {
            if (a == 0)
                return;
            out = s;
            for (int c = 0; c < 3; ++c)
                out += (((d & mask[c]) * (256 - a)) >> 8) & mask[c];
        } else {
            const uint32_t a2 = a * uint32_t(alpha) / 255;
            if (a2 == 0)
                return;
            for (int c = 0; c < 3; ++c)
                out += ((((s & mask[c]) * cm[c]) + ((d & mask[c]) * (256 - a2))) >> 8) & mask[c];
        }
        d = Pixel(out);
    }
};

template <typename Pixel>
void StretchRows(const SurfaceLock& lock, const MemoryImage& src, const uint32_t* native, const Rect& dest,
                 const FRect& part, const StretchPixel& px, bool mirrored)
{
    const int32_t stepX = int32_t(part.mWidth * 65536 / dest.mWidth);
    const int32_t stepY = int32_t(part.mHeight * 65536 / dest.mHeight);
    const int32_t u0 = int32_t(part.mX * 65536);
    int32_t v = int32_t(part.mY * 65536);
    const unsigned char* indices = src.mColorIndices.get();
    for (int row = 0; row < dest.mHeight; ++row, v += stepY) {
        const int srcRow = std::min(std::max(v >> 16, 0), src.mHeight - 1);
        const int y = dest.mY + row;
        if (y < 0 || y >= lock.mHeight)
            continue;
        Pixel* line = reinterpret_cast<Pixel*>(lock.mBits + ptrdiff_t(y) * lock.mPitch);
        int32_t u = u0;
        for (int col = 0; col < dest.mWidth; ++col, u += stepX) {
            const int x = mirrored ? dest.mX + dest.mWidth - 1 - col : dest.mX + col;
            if (x < 0 || x >= lock.mWidth)
                continue;
            const int srcCol = std::min(std::max(u >> 16, 0), src.mWidth - 1);
            const size_t i = size_t(srcRow) * size_t(src.mWidth) + size_t(srcCol);
            px.Apply(line[x], indices ? native[indices[i]] : native[i]);
        }
    }
}

} // namespace

bool DDImage::MapMirroredStretch(const Rect& srcRect, const Rect& clip, const Rect& destRect, FRect& srcPart,
                                 Rect& clippedDest)
{
    const double scaleX = double(srcRect.mWidth) / destRect.mWidth;
    const double scaleY = double(srcRect.mHeight) / destRect.mHeight;
    clippedDest = destRect.Intersection(clip);
    srcPart.mX = srcRect.mX + ((destRect.mX + destRect.mWidth) - (clippedDest.mX + clippedDest.mWidth)) * scaleX;
    srcPart.mY = srcRect.mY + (clippedDest.mY - destRect.mY) * scaleY;
    srcPart.mWidth = srcRect.mWidth + (clippedDest.mWidth - destRect.mWidth) * scaleX;
    srcPart.mHeight = srcRect.mHeight + (clippedDest.mHeight - destRect.mHeight) * scaleY;
    return srcPart.mWidth > 0 && srcPart.mHeight > 0;
}

// --- Path choice ---------------------------------------------------------------------------------

void DDImage::BlitImageRotated(Image* src, float x, float y, const Rect& srcRect, const Rect& clip, const Color& color,
                               DrawMode mode, double angle, float centerX, float centerY)
{
    if (mNoSoftwareDraw)
        return;
    CommitBits();
    if (OnDrawSurface3D()) {
        if (Renderer())
            Renderer()->BlitRotated(src, x, y, clip, color, mode, angle, centerX, centerY, srcRect);
        return;
    }
    if (mHasAlpha || mHasTrans || Is3DEnabled()) {
        MemoryImage::BlitImageRotated(src, x, y, srcRect, clip, color, mode, angle, centerX, centerY);
        return;
    }
    FRect box;
    if (!GetRotationBox(srcRect, x, y, angle, centerX, centerY, clip, box))
        return;
    auto* memory = dynamic_cast<MemoryImage*>(src);
    if (!memory || (mode != kNormal && mode != kAdditive))
        return;
    memory->CommitBits();
    if (!LockSurface())
        return;
    SoftwareRotate(memory, box, x, y, srcRect, color, mode, angle, centerX, centerY);
    UnlockSurface();
    DiscardMemoryBits();
}

void DDImage::BlitImageScaled(Image* src, const Rect& destRect, const Rect& srcRect, const Rect& clip,
                              const Color& color, DrawMode mode, bool fastScaling)
{
    CommitBits();
    if (OnDrawSurface3D()) {
        if (Renderer())
            Renderer()->BlitStretched(src, destRect, srcRect, clip, color, mode, fastScaling, false);
        return;
    }
    Rect dest;
    FRect part;
    if (!GetStretchMapping(srcRect, destRect, clip, dest, part))
        return;
    if (!fastScaling) {
        if (mHasAlpha || mHasTrans || Is3DEnabled()) {
            MemoryImage::BlitImageScaled(src, destRect, srcRect, clip, color, mode, false);
            return;
        }
        // Stretch smoothly into a scratch image the size of the visible part, then blit it once with
        // the colour: the same part of the source as the clipped mapping, placed at the origin.
        MemoryImage scratch(mApp);
        scratch.Create(dest.mWidth, dest.mHeight);
        scratch.BlitImageScaled(src, Offset(destRect, -dest.mX, -dest.mY), srcRect,
                                Rect(0, 0, dest.mWidth, dest.mHeight), Color::White, Graphics::DRAWMODE_NORMAL, false);
        BlitImage(&scratch, dest.mX, dest.mY, Rect(0, 0, dest.mWidth, dest.mHeight), color, mode);
        return;
    }
    auto* ddSrc = dynamic_cast<DDImage*>(src);
    if (ddSrc && color == Color::White && mode == kNormal && !ddSrc->mHasAlpha && ddSrc->GetSurface()) {
        const int sx = int(part.mX), sy = int(part.mY);
        Rect s(sx, sy, int(part.mX + part.mWidth) - sx, int(part.mY + part.mHeight) - sy);
        if (HardwareBlit(ddSrc, dest, s)) {
            DiscardMemoryBits();
            return;
        }
    }
    auto* memory = dynamic_cast<MemoryImage*>(src);
    if (!memory)
        return;
    // An image that cannot have a surface is stretched in memory rather than not at all.
    if (!GetSurface()) {
        MemoryImage::BlitImageScaled(src, destRect, srcRect, clip, color, mode, true);
        return;
    }
    memory->CommitBits();
    if (!LockSurface())
        return;
    SoftwareStretch(memory, dest, part, color, mode, false);
    UnlockSurface();
    DiscardMemoryBits();
}

void DDImage::BlitImageScaledMirrored(Image* src, const Rect& destRect, const Rect& srcRect, const Rect& clip,
                                      const Color& color, DrawMode mode, bool fastScaling)
{
    CommitBits();
    if (OnDrawSurface3D()) {
        if (Renderer())
            Renderer()->BlitStretched(src, destRect, srcRect, clip, color, mode, fastScaling, true);
        return;
    }
    Rect dest;
    FRect part;
    if (!MapMirroredStretch(srcRect, clip, destRect, part, dest))
        return;
    auto* memory = dynamic_cast<MemoryImage*>(src);
    if (!memory)
        return;
    if (!GetSurface()) {
        // Stretch the mirrored picture's matching part in memory.
        MemoryImage mirrored;
        MirrorInto(*memory, mirrored);
        Rect flipped(memory->mWidth - srcRect.mX - srcRect.mWidth, srcRect.mY, srcRect.mWidth, srcRect.mHeight);
        MemoryImage::BlitImageScaled(&mirrored, destRect, flipped, clip, color, mode, true);
        return;
    }
    memory->CommitBits();
    if (!LockSurface())
        return;
    SoftwareStretch(memory, dest, part, color, mode, true);
    UnlockSurface();
    DiscardMemoryBits();
}

// --- Software stretch ----------------------------------------------------------------------------

void DDImage::SoftwareStretch(MemoryImage* src, const Rect& dest, const FRect& part, const Color& color, DrawMode mode,
                              bool mirrored)
{
    if ((mode != kNormal && mode != kAdditive) || dest.mWidth <= 0 || dest.mHeight <= 0 || src->mWidth <= 0 ||
        src->mHeight <= 0)
        return;
    const uint32_t* native = src->BuildNativeAlpha(*mDDInterface);
    if (!native)
        return;
    const SurfaceLock& lock = mLockedDesc;
    StretchPixel px{{lock.mFormat.mRedMask, lock.mFormat.mGreenMask, lock.mFormat.mBlueMask},
                    {mDDInterface->mRedShift, mDDInterface->mGreenShift, mDDInterface->mBlueShift},
                    {mDDInterface->SaturationTable(0).data(), mDDInterface->SaturationTable(1).data(),
                     mDDInterface->SaturationTable(2).data()},
                    color == Color::White,
                    color.mAlpha,
                    {},
                    mode == kAdditive};
    for (int c = 0; c < 3; ++c)
        px.cm[c] = uint32_t(ColorChannel(color, c) * color.mAlpha / 255);
    if (lock.mFormat.mBitsPerPixel == 16)
        StretchRows<uint16_t>(lock, *src, native, dest, part, px, mirrored);
    else if (lock.mFormat.mBitsPerPixel == 32)
        StretchRows<uint32_t>(lock, *src, native, dest, part, px, mirrored);
}

// --- Software rotation ---------------------------------------------------------------------------

namespace
{

// The part of a row whose four filter taps all lie inside the source; false when none does.
bool RowSpan(int32_t u, int32_t du, int size, int& first, int& last, bool vAxis)
{
    const int64_t full = int64_t(size) * 65536;
    if (du > 0) {
        if ((u >> 16) >= size - 1)
            return false;
        first = std::max<int64_t>(first, (65536 - int64_t(u)) / du);
        last = std::min<int64_t>(last, (full - u - 0x17FFF) / du);
    } else if (du < 0) {
        if ((u >> 16) < 0)
            return false;
        first = std::max<int64_t>(first, (full - u - 0x27FFF) / du);
        last = std::min<int64_t>(last, vAxis ? -(int64_t(u) / du) : (0x7FFF - int64_t(u)) / du);
    } else if (u < 0 || int64_t(u) >= full - 65536) {
        return false;
    }
    return true;
}

struct RotateTaps {
    uint32_t p[4];
    uint32_t cov[4];
    uint32_t keep;
};

// What every pixel of an additive or palette rotation reads of the surface and the device, taken once.
struct RotateConsts {
    uint32_t mask[3];
    int shift[3];
    int bits[3];
    const int* sat[3];
    const Color* color;
    bool white;
    bool additive;
    uint32_t cm[3];
};

template <typename Pixel> void RotatePixel(Pixel& d, const RotateTaps& t, const RotateConsts& k)
{
    uint32_t sum[3] = {0, 0, 0}; // red at bits 16-23, green 8-15, blue 0-7, times coverage
    for (int i = 0; i < 4; ++i) {
        sum[0] += (t.p[i] & 0xFF0000) * t.cov[i];
        sum[1] += (t.p[i] & 0xFF00) * t.cov[i];
        sum[2] += (t.p[i] & 0xFF) * t.cov[i];
    }
    constexpr int kTop[3] = {32, 24, 16};
    uint32_t out = 0;
    for (int c = 0; c < 3; ++c) {
        if (k.additive) {
            uint32_t value = c == 0 ? ((sum[0] >> (32 - k.bits[0])) * k.cm[0]) >> 8
                                    : (sum[c] * k.cm[c]) >> (kTop[c] - k.bits[c] + 8);
            out |= uint32_t(k.sat[c][value + ((d & k.mask[c]) >> k.shift[c])]) << k.shift[c];
            continue;
        }
        uint32_t s = sum[c];
        if (!k.white)
            s = (s >> 8) * uint32_t(ColorChannel(*k.color, c) + 1);
        uint32_t srcPart = (s >> (kTop[c] - k.bits[c])) << k.shift[c];
        uint32_t destPart = (((d & k.mask[c]) * t.keep) >> 8) & k.mask[c];
        out |= (srcPart + destPart) & k.mask[c];
    }
    d = Pixel(out);
}

// The row of pixels from first to last (surface columns x0 + first on) through the generic formula.
template <typename Pixel, typename Tap>
void RotateRowScalar(Pixel* row, int first, int last, int32_t u, int32_t v, int32_t du, int32_t dv, const Tap& tap,
                     const RotateConsts& k)
{
    for (int i = first; i <= last; ++i, u += du, v += dv) {
        const int col = u >> 16, rowIdx = v >> 16;
        RotateTaps t{{tap(col, rowIdx), tap(col + 1, rowIdx), tap(col, rowIdx + 1), tap(col + 1, rowIdx + 1)}, {}, 256};
        // Four clear taps leave the pixel as it is (adding nothing saturates nothing).
        if ((t.p[0] | t.p[1] | t.p[2] | t.p[3]) < 0x01000000u)
            continue;
        const uint32_t fx = (uint32_t(u) & 0xFFFE) + 1, fy = (uint32_t(v) & 0xFFFE) + 1;
        const uint32_t weight[4] = {((65536 - fx) * (65536 - fy)) >> 16, (fx * (65536 - fy)) >> 16,
                                    ((65536 - fx) * fy) >> 16, (fx * fy) >> 16};
        for (int n = 0; n < 4; ++n) {
            t.cov[n] = (weight[n] * (t.p[n] >> 24)) >> 16;
            if (!k.white && !k.additive)
                t.cov[n] = (t.cov[n] * uint32_t(k.color->mAlpha)) >> 8;
            t.keep -= t.cov[n];
        }
        RotatePixel(row[i], t, k);
    }
}

} // namespace

void DDImage::SoftwareRotate(MemoryImage* src, const FRect& box, float x, float y, const Rect& srcRect,
                             const Color& color, DrawMode mode, double angle, float centerX, float centerY)
{
    const uint32_t* palette = src->IsPalettized() ? src->mPalette.get() : nullptr;
    const unsigned char* indices = palette ? src->mColorIndices.get() : nullptr;
    const uint32_t* bits = palette ? nullptr : src->GetBits();
    if (!palette && !bits)
        return;
    const int W = srcRect.mWidth, H = srcRect.mHeight;
    if (W < 2 || H < 2 || srcRect.mX < 0 || srcRect.mY < 0 || srcRect.mX + W > src->mWidth ||
        srcRect.mY + H > src->mHeight)
        return;
    const SurfaceLock& lock = mLockedDesc;
    const bool sixteen = lock.mFormat.mBitsPerPixel == 16;
    if (!sixteen && lock.mFormat.mBitsPerPixel != 32)
        return;
    const DDInterface& dd = *mDDInterface;
    const RotateConsts k{{lock.mFormat.mRedMask, lock.mFormat.mGreenMask, lock.mFormat.mBlueMask},
                         {dd.mRedShift, dd.mGreenShift, dd.mBlueShift},
                         {dd.mRedBits, dd.mGreenBits, dd.mBlueBits},
                         {dd.SaturationTable(0).data(), dd.SaturationTable(1).data(), dd.SaturationTable(2).data()},
                         &color,
                         color == Color::White,
                         mode == kAdditive,
                         {uint32_t(color.mRed * color.mAlpha / 255), uint32_t(color.mGreen * color.mAlpha / 255),
                          uint32_t(color.mBlue * color.mAlpha / 255)}};
    // The plain blend of an ARGB picture runs through the pixel kernels.
    bool kernel = !k.additive && bits;
    for (int c = 0; c < 3; ++c)
        kernel = kernel && k.bits[c] > 0 && k.bits[c] <= 8;
    const kernels::RotateBlend blend{{k.shift[0], k.shift[1], k.shift[2]},
                                     {k.bits[0], k.bits[1], k.bits[2]},
                                     k.white,
                                     uint32_t(color.mAlpha),
                                     {uint32_t(color.mRed), uint32_t(color.mGreen), uint32_t(color.mBlue)}};
    const kernels::Table& table = kernels::Active();
    const uint32_t* origin = bits ? bits + size_t(srcRect.mY) * size_t(src->mWidth) + size_t(srcRect.mX) : nullptr;
    auto tap = [&](int col, int row) {
        size_t i = size_t(srcRect.mY + row) * size_t(src->mWidth) + size_t(srcRect.mX + col);
        return palette ? palette[indices[i]] : bits[i];
    };

    const double cosA = std::cos(angle), sinA = std::sin(angle);
    const int32_t du = int32_t(cosA * 65536), dv = int32_t(sinA * 65536);
    const int x0 = int(box.mX), y0 = int(box.mY), e = int(box.mWidth - 1.0);
    for (int r = 0; r < box.mHeight; ++r) {
        const int yRow = y0 + r;
        // Stay inside the surface whatever the box says.
        if (yRow < 0 || yRow >= lock.mHeight)
            continue;
        const double dx0 = x0 - double(centerX) - double(x), dy = yRow - double(centerY) - double(y);
        int32_t u = int32_t((cosA * dx0 - sinA * dy + centerX) * 65536);
        int32_t v = int32_t((sinA * dx0 + cosA * dy + centerY) * 65536);
        int first = 0, last = e;
        if (!RowSpan(u, du, W, first, last, false) || !RowSpan(v, dv, H, first, last, true))
            continue;
        first = std::max(first, -x0);
        last = std::min(last, lock.mWidth - 1 - x0);
        if (first > last)
            continue;
        u += first * du;
        v += first * dv;
        uint8_t* row = lock.mBits + ptrdiff_t(yRow) * lock.mPitch;
        if (kernel) {
            const kernels::RotateRow span{origin, src->mWidth, u, v, du, dv};
            if (sixteen)
                table.rotate16(reinterpret_cast<uint16_t*>(row) + x0 + first, last - first + 1, span, blend);
            else
                table.rotate32(reinterpret_cast<uint32_t*>(row) + x0 + first, last - first + 1, span, blend);
        } else if (sixteen) {
            RotateRowScalar(reinterpret_cast<uint16_t*>(row) + x0, first, last, u, v, du, dv, tap, k);
        } else {
            RotateRowScalar(reinterpret_cast<uint32_t*>(row) + x0, first, last, u, v, du, dv, tap, k);
        }
    }
}

} // namespace Olvarn
