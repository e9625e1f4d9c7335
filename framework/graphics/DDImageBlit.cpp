// Image blits on the locked surface of a display image: the volatile direct path, the plain copy,
// the run-length general path, the additive path, and their mirrored twins.
#include <algorithm>
#include <cstring>
#include <vector>

#include "graphics/DDImage.h"
#include "graphics/DDInterface.h"
#include "graphics/PixelKernels.h"

namespace Olvarn
{

namespace
{

// Everything the blit loops read: source tables, the destination lock, channels and the colour.
struct BlitJob {
    const SurfaceLock* lock = nullptr;
    const uint32_t* native = nullptr;       // premultiplied source in the screen layout
    const unsigned char* indices = nullptr; // palette indices, or null
    const unsigned char* runs = nullptr;    // run lengths for the path
    const uint16_t* native16 = nullptr;     // additive onto 16-bit screens: native's low halves, or null
    int srcWidth = 0;
    Rect src;
    int x = 0;
    int y = 0;
    bool mirrored = false;
    uint32_t mask[3] = {};
    int shift[3] = {};
    const int* sat[3] = {};
    bool white = true;
    int alpha = 255;
    uint32_t cm[3] = {}; // colour channel x colour alpha / 255

    uint32_t S(size_t i) const { return indices ? native[indices[i]] : native[i]; }
};

template <typename Pixel> Pixel* DestRow(const BlitJob& job, int row)
{
    Pixel* base = reinterpret_cast<Pixel*>(job.lock->mBits + ptrdiff_t(job.y + row) * job.lock->mPitch);
    return base + (job.mirrored ? job.x + job.src.mWidth - 1 : job.x);
}

// Walks every row in runs; body(d, sourceIndex, runLength) draws one run starting at d.
template <typename Pixel, typename Body> void WalkRuns(const BlitJob& job, Body body)
{
    const int step = job.mirrored ? -1 : 1;
    for (int row = 0; row < job.src.mHeight; ++row) {
        const size_t rowStart = size_t(job.src.mY + row) * size_t(job.srcWidth) + size_t(job.src.mX);
        Pixel* d = DestRow<Pixel>(job, row);
        int col = 0;
        while (col < job.src.mWidth) {
            int run = std::min<int>(std::max<int>(job.runs[rowStart + col], 1), job.src.mWidth - col);
            body(d + ptrdiff_t(col) * step, step, rowStart + col, run);
            col += run;
        }
    }
}

// The source pixels of one row in the destination's order, so palette and mirrored blits run the same
// vector kernels as plain ones: a plain row is the premultiplied table itself; palette look-ups and
// mirrored rows are gathered into a row of their own first.
class RowSource
{
public:
    const uint32_t* Row(const BlitJob& job, size_t rowStart)
    {
        const int width = job.src.mWidth;
        if (!job.indices && !job.mirrored)
            return job.native + rowStart;
        mRow.resize(size_t(width) * (job.indices && job.mirrored ? 2 : 1));
        const uint32_t* row = job.native + rowStart;
        if (job.indices) {
            // Looked up into the second half when the row is reversed afterwards.
            uint32_t* to = mRow.data() + (job.mirrored ? width : 0);
            const unsigned char* indices = job.indices + rowStart;
            for (int k = 0; k < width; ++k)
                to[k] = job.native[indices[k]];
            row = to;
        }
        if (job.mirrored)
            kernels::ReverseCopy(mRow.data(), row, width);
        return mRow.data();
    }

private:
    std::vector<uint32_t> mRow;
};

// The leftmost destination pixel of a row, whichever way the row is drawn.
template <typename Pixel> Pixel* DestLeft(const BlitJob& job, int row)
{
    return reinterpret_cast<Pixel*>(job.lock->mBits + ptrdiff_t(job.y + row) * job.lock->mPitch) + job.x;
}

// Where source columns [col, col + count) of a row land in the destination's order.
inline int InOrder(const BlitJob& job, int col, int count)
{
    return job.mirrored ? job.src.mWidth - col - count : col;
}

// Walks every row in runs with the row's source in the destination's order: body(d, s, count, first)
// draws count pixels of s onto d, first being the run's first source pixel.
template <typename Pixel, typename Body> void WalkRunsInOrder(const BlitJob& job, Body body)
{
    RowSource source;
    const int width = job.src.mWidth;
    for (int row = 0; row < job.src.mHeight; ++row) {
        const size_t rowStart = size_t(job.src.mY + row) * size_t(job.srcWidth) + size_t(job.src.mX);
        const uint32_t* s = source.Row(job, rowStart);
        Pixel* d = DestLeft<Pixel>(job, row);
        int col = 0;
        while (col < width) {
            const int run = std::min<int>(std::max<int>(job.runs[rowStart + size_t(col)], 1), width - col);
            const int at = InOrder(job, col, run);
            body(d + at, s + at, run, job.S(rowStart + size_t(col)));
            col += run;
        }
    }
}

// Destination part of a blend: each channel kept by keep / 256.
template <typename Pixel> inline uint32_t KeepDest(Pixel d, uint32_t keep, const uint32_t* mask)
{
    return ((((d & mask[0]) * keep) >> 8) & mask[0]) + ((((d & mask[1]) * keep) >> 8) & mask[1]) +
           ((((d & mask[2]) * keep) >> 8) & mask[2]);
}

// The vector kernels take the screen's usual layouts: 8-bit channels in X8888 order, or any 16-bit
// layout whose shifts agree with its masks.
bool IsX8888(const BlitJob& job)
{
    return job.mask[0] == 0xFF0000 && job.mask[1] == 0xFF00 && job.mask[2] == 0xFF;
}

bool ShiftsMatchMasks(const BlitJob& job)
{
    for (int c = 0; c < 3; ++c)
        if (job.mask[c] == 0 || job.shift[c] != __builtin_ctz(job.mask[c]))
            return false;
    return true;
}

kernels::Format16 Format16Of(const BlitJob& job)
{
    return {{job.mask[0], job.mask[1], job.mask[2]}};
}

// Opaque runs of a sprite are mostly short: fixed-size moves cost less than a call per run.
inline void CopyPixels(uint32_t* dest, const uint32_t* src, int count)
{
    if (count >= 64) {
        std::memcpy(dest, src, size_t(count) * 4);
        return;
    }
    for (; count >= 4; count -= 4, src += 4, dest += 4)
        std::memcpy(dest, src, 16);
    for (int i = 0; i < count; ++i)
        dest[i] = src[i];
}

// Opaque runs at least this long are copied and clear ones skipped; shorter ones are blended with the
// partial runs around them, which costs less than a call per run.
constexpr int kLongRun = 32;
// Rows up to this wide are blended whole: the blend of a few registers costs less than walking runs.
constexpr int kNarrowSprite = 64;

// The white run-length path by the formula, for layouts the kernels do not take (no palette).
template <typename Pixel> void GeneralBlitWhiteFormula(const BlitJob& job)
{
    const uint32_t mask[3] = {job.mask[0], job.mask[1], job.mask[2]};
    const int step = job.mirrored ? -1 : 1;
    for (int row = 0; row < job.src.mHeight; ++row) {
        const size_t rowStart = size_t(job.src.mY + row) * size_t(job.srcWidth) + size_t(job.src.mX);
        const uint32_t* s = job.native + rowStart;
        const unsigned char* runs = job.runs + rowStart;
        Pixel* d = DestRow<Pixel>(job, row);
        int col = 0;
        while (col < job.src.mWidth) {
            const int run = std::min<int>(std::max<int>(runs[col], 1), job.src.mWidth - col);
            const uint32_t first = s[col] >> 24;
            if (first == 255) {
                Pixel* out = d + ptrdiff_t(col) * step;
                for (int k = 0; k < run; ++k, out += step)
                    *out = Pixel(s[col + k]);
            } else if (first != 0) {
                Pixel* out = d + ptrdiff_t(col) * step;
                for (int k = 0; k < run; ++k, out += step) {
                    const uint32_t v = s[col + k];
                    *out = Pixel(v + KeepDest(*out, 256 - (v >> 24), mask));
                }
            }
            col += run;
        }
    }
}

// The white run-length path through the kernels, plain, palette or mirrored: long opaque runs are
// copied, long clear ones skipped, and everything between blended in one call.
template <typename Pixel> void GeneralBlitWhite(const BlitJob& job)
{
    const kernels::Table& kernel = kernels::Active();
    const kernels::Format16 format = Format16Of(job);
    auto Blend = [&](Pixel* to, const uint32_t* from, int count) {
        if constexpr (sizeof(Pixel) == 4)
            kernel.blendPremul32(reinterpret_cast<uint32_t*>(to), from, count);
        else
            kernel.blendPremul16(reinterpret_cast<uint16_t*>(to), from, count, format);
    };
    RowSource source;
    const int width = job.src.mWidth;
    for (int row = 0; row < job.src.mHeight; ++row) {
        const size_t rowStart = size_t(job.src.mY + row) * size_t(job.srcWidth) + size_t(job.src.mX);
        const uint32_t* s = source.Row(job, rowStart);
        const unsigned char* runs = job.runs + rowStart;
        Pixel* d = DestLeft<Pixel>(job, row);
        if (width <= kNarrowSprite) {
            // A narrow sprite's row is one blend: every run in it is short.
            Blend(d, s, width);
            continue;
        }
        int col = 0;
        while (col < width) {
            const int run = std::min<int>(std::max<int>(runs[col], 1), width - col);
            if (run < kLongRun) {
                // Partial runs and the short clear and opaque runs between them go to the blend in one
                // call: a clear pixel leaves the destination, an opaque one keeps 1/256 of it, which is
                // nothing in any channel, so it comes out exactly as copied.
                int end = col + run;
                while (end < width) {
                    const int next = std::min<int>(std::max<int>(runs[end], 1), width - end);
                    if (next >= kLongRun)
                        break;
                    end += next;
                }
                const int at = InOrder(job, col, end - col);
                Blend(d + at, s + at, end - col);
                col = end;
                continue;
            }
            const int at = InOrder(job, col, run);
            const uint32_t first = s[at] >> 24; // a run's pixels share their class
            if (first == 255 && sizeof(Pixel) == 4)
                CopyPixels(reinterpret_cast<uint32_t*>(d + at), s + at, run);
            else if (first == 255)
                kernel.narrow16(reinterpret_cast<uint16_t*>(d + at), s + at, run);
            else if (first != 0)
                Blend(d + at, s + at, run);
            col += run;
        }
    }
}

template <typename Pixel> void GeneralBlit(const BlitJob& job)
{
    const bool vector = ShiftsMatchMasks(job) && (sizeof(Pixel) == 2 || IsX8888(job));
    if (job.white && vector) {
        GeneralBlitWhite<Pixel>(job);
        return;
    }
    if (job.white && !job.indices) {
        GeneralBlitWhiteFormula<Pixel>(job);
        return;
    }
    const kernels::Table& kernel = kernels::Active();
    const kernels::Format16 format = Format16Of(job);
    if (vector && !job.white) {
        WalkRunsInOrder<Pixel>(job, [&](Pixel* d, const uint32_t* s, int run, uint32_t first) {
            if ((first >> 24) == 0)
                return;
            const bool tintOnly = (first >> 24) == 255 && job.alpha == 255;
            if constexpr (sizeof(Pixel) == 4)
                kernel.tint32(reinterpret_cast<uint32_t*>(d), s, run, job.alpha, job.cm, tintOnly);
            else
                kernel.tint16(reinterpret_cast<uint16_t*>(d), s, run, job.alpha, job.cm, tintOnly, format);
        });
        return;
    }
    WalkRuns<Pixel>(job, [&](Pixel* d, int step, size_t si, int run) {
        const uint32_t first = job.S(si) >> 24;
        if (first == 0)
            return;
        for (int k = 0; k < run; ++k, d += step) {
            const uint32_t s = job.S(si + k), a = s >> 24;
            uint32_t out;
            if (job.white) {
                out = first == 255 ? s : s + KeepDest(*d, 256 - a, job.mask);
            } else if (first == 255 && job.alpha == 255) {
                out = 0;
                for (int c = 0; c < 3; ++c)
                    out += (((s & job.mask[c]) * job.cm[c]) >> 8) & job.mask[c];
            } else {
                const uint32_t keep = 256 - a * uint32_t(job.alpha) / 255;
                out = 0;
                for (int c = 0; c < 3; ++c)
                    out += ((((*d & job.mask[c]) * keep) + ((s & job.mask[c]) * job.cm[c])) >> 8) & job.mask[c];
            }
            *d = Pixel(out);
        }
    });
}

// Onto 16-bit screens a clear source pixel adds nothing and the destination has no alpha to lose, so
// each row is added whole in one kernel call: walking the runs and the masked ends of short runs cost
// more than adding the zeros.
void AdditiveRows16(const BlitJob& job, const kernels::Table& kernel, const kernels::Format16& format)
{
    const bool is565 = format.mask[0] == 0xF800 && format.mask[1] == 0x07E0 && format.mask[2] == 0x001F;
    if (job.native16 && job.white && is565 && !job.indices && !job.mirrored) {
        kernel.add565Rows16(DestLeft<uint16_t>(job, 0), job.lock->mPitch,
                            job.native16 + size_t(job.src.mY) * size_t(job.srcWidth) + size_t(job.src.mX), job.srcWidth,
                            job.src.mWidth, job.src.mHeight);
        return;
    }
    if (!job.indices && !job.mirrored) {
        // The plain source is its own rows: the whole rectangle in one call.
        kernel.add16Rows(DestLeft<uint16_t>(job, 0), job.lock->mPitch,
                         job.native + size_t(job.src.mY) * size_t(job.srcWidth) + size_t(job.src.mX), job.srcWidth,
                         job.src.mWidth, job.src.mHeight, job.white, job.cm, format);
        return;
    }
    RowSource source;
    for (int row = 0; row < job.src.mHeight; ++row) {
        const size_t rowStart = size_t(job.src.mY + row) * size_t(job.srcWidth) + size_t(job.src.mX);
        kernel.add16(DestLeft<uint16_t>(job, row), source.Row(job, rowStart), job.src.mWidth, job.white, job.cm,
                     format);
    }
}

template <typename Pixel> void AdditiveBlit(const BlitJob& job)
{
    const kernels::Table& kernel = kernels::Active();
    const kernels::Format16 format = Format16Of(job);
    if constexpr (sizeof(Pixel) == 2) {
        if (ShiftsMatchMasks(job)) {
            AdditiveRows16(job, kernel, format);
            return;
        }
    }
    if (ShiftsMatchMasks(job) && (sizeof(Pixel) == 2 || IsX8888(job))) {
        WalkRunsInOrder<Pixel>(job, [&](Pixel* d, const uint32_t* s, int run, uint32_t first) {
            if ((first & 0xFFFFFF) == 0)
                return;
            if constexpr (sizeof(Pixel) == 4)
                kernel.add32(reinterpret_cast<uint32_t*>(d), s, run, job.white, job.cm);
            else
                kernel.add16(reinterpret_cast<uint16_t*>(d), s, run, job.white, job.cm, format);
        });
        return;
    }
    WalkRuns<Pixel>(job, [&](Pixel* d, int step, size_t si, int run) {
        if ((job.S(si) & 0xFFFFFF) == 0)
            return;
        for (int k = 0; k < run; ++k, d += step) {
            const uint32_t s = job.S(si + k);
            uint32_t out = 0;
            for (int c = 0; c < 3; ++c) {
                uint32_t sv = (s & job.mask[c]) >> job.shift[c];
                if (!job.white)
                    sv = (sv * job.cm[c]) >> 8;
                out |= uint32_t(job.sat[c][sv + ((*d & job.mask[c]) >> job.shift[c])]) << job.shift[c];
            }
            *d = Pixel(out);
        }
    });
}

template <typename Pixel> void PlainCopy(const BlitJob& job, bool skipTransparent)
{
    for (int row = 0; row < job.src.mHeight; ++row) {
        const size_t rowStart = size_t(job.src.mY + row) * size_t(job.srcWidth) + size_t(job.src.mX);
        Pixel* d = DestRow<Pixel>(job, row);
        const int width = job.src.mWidth;
        if (!job.indices && !skipTransparent) {
            const uint32_t* s = job.native + rowStart;
            if (sizeof(Pixel) == 4)
                std::memcpy(d, s, size_t(width) * 4);
            else
                kernels::Active().narrow16(reinterpret_cast<uint16_t*>(d), s, width);
            continue;
        }
        for (int col = 0; col < width; ++col) {
            const uint32_t s = job.S(rowStart + col);
            if (!skipTransparent || (s >> 24) != 0)
                d[col] = Pixel(s);
        }
    }
}

// Volatile sources change every frame: blend straight from their ARGB pixels, no tables.
template <typename Pixel>
void VolatileBlit(const BlitJob& job, const uint32_t* bits, const uint32_t* palette, bool sixteen)
{
    for (int row = 0; row < job.src.mHeight; ++row) {
        const size_t rowStart = size_t(job.src.mY + row) * size_t(job.srcWidth) + size_t(job.src.mX);
        Pixel* d = DestRow<Pixel>(job, row);
        for (int col = 0; col < job.src.mWidth; ++col) {
            const size_t i = rowStart + col;
            const uint32_t p = palette ? palette[job.indices[i]] : bits[i];
            const uint32_t a = p >> 24;
            const uint32_t chan[3] = {(p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF};
            uint32_t out = 0;
            for (int c = 0; c < 3; ++c) {
                const uint32_t m = job.mask[c];
                const uint32_t keep = (d[col] & m) * (256 - a);
                out += (sixteen ? (keep + chan[c] * a * m / 256 + m / 2) >> 8
                                : (keep + ((chan[c] * a) >> 8) * m + m / 2) >> 8) &
                       m;
            }
            d[col] = Pixel(out);
        }
    }
}

// Keeps a blit inside both pictures; a mirrored blit cuts the source on the opposite side.
bool ClipBlit(BlitJob& job, int srcWidth, int srcHeight, int destWidth, int destHeight)
{
    Rect& s = job.src;
    Rect inSource = s.Intersection(Rect(0, 0, srcWidth, srcHeight));
    job.x += inSource.mX - s.mX;
    job.y += inSource.mY - s.mY;
    if (job.mirrored)
        job.x += (s.mX + s.mWidth) - (inSource.mX + inSource.mWidth) - (inSource.mX - s.mX);
    s = inSource;
    int cutLeft = std::max(0, -job.x), cutTop = std::max(0, -job.y);
    int cutRight = std::max(0, job.x + s.mWidth - destWidth), cutBottom = std::max(0, job.y + s.mHeight - destHeight);
    if (cutLeft + cutRight >= s.mWidth || cutTop + cutBottom >= s.mHeight)
        return false;
    job.x += cutLeft;
    job.y += cutTop;
    s.mY += cutTop;
    s.mHeight -= cutTop + cutBottom;
    s.mX += job.mirrored ? cutRight : cutLeft;
    s.mWidth -= cutLeft + cutRight;
    return true;
}

} // namespace

namespace
{

bool PrepareJob(BlitJob& job, DDImage& dest, MemoryImage* src, int x, int y, const Rect& srcRect, const Color& color,
                bool mirrored)
{
    const SurfaceLock& lock = dest.mLockedDesc;
    const DDInterface& d = *dest.mDDInterface;
    job.lock = &lock;
    job.srcWidth = src->mWidth;
    job.src = srcRect;
    job.x = x;
    job.y = y;
    job.mirrored = mirrored;
    job.mask[0] = lock.mFormat.mRedMask;
    job.mask[1] = lock.mFormat.mGreenMask;
    job.mask[2] = lock.mFormat.mBlueMask;
    job.shift[0] = d.mRedShift;
    job.shift[1] = d.mGreenShift;
    job.shift[2] = d.mBlueShift;
    for (int c = 0; c < 3; ++c)
        job.sat[c] = d.SaturationTable(c).data();
    job.white = color == Color::White;
    job.alpha = color.mAlpha;
    job.cm[0] = uint32_t(color.mRed * color.mAlpha / 255);
    job.cm[1] = uint32_t(color.mGreen * color.mAlpha / 255);
    job.cm[2] = uint32_t(color.mBlue * color.mAlpha / 255);
    return ClipBlit(job, src->mWidth, src->mHeight, lock.mWidth, lock.mHeight);
}

template <typename Run16, typename Run32> void ByDepth(const SurfaceLock& lock, Run16 run16, Run32 run32)
{
    if (lock.mFormat.mBitsPerPixel == 16)
        run16();
    else if (lock.mFormat.mBitsPerPixel == 32)
        run32();
}

} // namespace

bool DDImage::SurfaceBlit(Image* src, int x, int y, const Rect& srcRect, const Color& color)
{
    auto* memory = dynamic_cast<MemoryImage*>(src);
    if (!memory)
        return false;
    memory->CommitBits();
    auto* ddSrc = dynamic_cast<DDImage*>(src);
    const bool white = color == Color::White;
    const bool srcHasSurface = ddSrc && ddSrc->mSurface;

    if (memory->mVolatile && !srcHasSurface && !mNoSoftwareDraw && white) {
        if (!LockSurface())
            return false;
        BlitJob job;
        const uint32_t* palette = memory->IsPalettized() ? memory->mPalette.get() : nullptr;
        const uint32_t* bits = palette ? nullptr : memory->GetBits();
        job.indices = palette ? memory->mColorIndices.get() : nullptr;
        if ((bits || palette) && PrepareJob(job, *this, memory, x, y, srcRect, color, false))
            ByDepth(
                mLockedDesc, [&] { VolatileBlit<uint16_t>(job, bits, palette, true); },
                [&] { VolatileBlit<uint32_t>(job, bits, palette, false); });
        UnlockSurface();
        return true;
    }

    if (!memory->mHasAlpha && white) {
        if (srcHasSurface && !(!mVideoMemory && ddSrc->mVideoMemory))
            return HardwareBlit(ddSrc, Rect(x, y, srcRect.mWidth, srcRect.mHeight), srcRect);
        if (mNoSoftwareDraw)
            return true;
        const uint32_t* native = memory->BuildNativeAlpha(*mDDInterface);
        if (!LockSurface())
            return false;
        BlitJob job;
        job.native = native;
        job.indices = memory->IsPalettized() ? memory->mColorIndices.get() : nullptr;
        const bool skip = memory->mHasTrans;
        if (native && PrepareJob(job, *this, memory, x, y, srcRect, color, false))
            ByDepth(
                mLockedDesc, [&] { PlainCopy<uint16_t>(job, skip); }, [&] { PlainCopy<uint32_t>(job, skip); });
        UnlockSurface();
        return true;
    }

    if (mNoSoftwareDraw)
        return true;
    const uint32_t* native = memory->BuildNativeAlpha(*mDDInterface);
    const unsigned char* runs = memory->BuildRLAlpha();
    if (!LockSurface())
        return false;
    BlitJob job;
    job.native = native;
    job.runs = runs;
    job.indices = memory->IsPalettized() ? memory->mColorIndices.get() : nullptr;
    if (native && runs && PrepareJob(job, *this, memory, x, y, srcRect, color, false))
        ByDepth(
            mLockedDesc, [&] { GeneralBlit<uint16_t>(job); }, [&] { GeneralBlit<uint32_t>(job); });
    UnlockSurface();
    return true;
}

namespace
{

bool RunTableBlit(DDImage& dest, Image* src, int x, int y, const Rect& srcRect, const Color& color, bool additive,
                  bool mirrored)
{
    auto* memory = dynamic_cast<MemoryImage*>(src);
    if (!memory)
        return false;
    if (dest.mNoSoftwareDraw)
        return true;
    memory->CommitBits();
    const uint32_t* native = memory->BuildNativeAlpha(*dest.mDDInterface);
    const unsigned char* runs = additive ? memory->BuildRLAdditive(*dest.mDDInterface) : memory->BuildRLAlpha();
    if (!dest.LockSurface())
        return false;
    BlitJob job;
    job.native = native;
    job.runs = runs;
    job.indices = memory->IsPalettized() ? memory->mColorIndices.get() : nullptr;
    if (additive && !mirrored && !job.indices && dest.mLockedDesc.mFormat.mBitsPerPixel == 16)
        job.native16 = memory->BuildNative16(*dest.mDDInterface);
    if (native && runs && PrepareJob(job, dest, memory, x, y, srcRect, color, mirrored)) {
        if (additive)
            ByDepth(
                dest.mLockedDesc, [&] { AdditiveBlit<uint16_t>(job); }, [&] { AdditiveBlit<uint32_t>(job); });
        else
            ByDepth(
                dest.mLockedDesc, [&] { GeneralBlit<uint16_t>(job); }, [&] { GeneralBlit<uint32_t>(job); });
    }
    dest.UnlockSurface();
    return true;
}

} // namespace

bool DDImage::SurfaceBlitAdditive(Image* src, int x, int y, const Rect& srcRect, const Color& color)
{
    return RunTableBlit(*this, src, x, y, srcRect, color, true, false);
}

bool DDImage::SurfaceBlitMirrored(Image* src, int x, int y, const Rect& srcRect, const Color& color)
{
    return RunTableBlit(*this, src, x, y, srcRect, color, false, true);
}

bool DDImage::SurfaceBlitMirroredAdditive(Image* src, int x, int y, const Rect& srcRect, const Color& color)
{
    return RunTableBlit(*this, src, x, y, srcRect, color, true, true);
}

} // namespace Olvarn
