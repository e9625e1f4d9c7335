// Memory surfaces and the blit loops that stand in for the display hardware.
#include "platform/Surface.h"

#include <sys/mman.h>

#include <cstring>
#include <new>
#include <utility>

namespace Olvarn
{

namespace
{

// Rows start on 32-byte boundaries, so the pitch differs from the row width for most sizes.
constexpr int kPitchAlignment = 32;

int AlignedPitch(int width, int bytesPerPixel)
{
    int row = width * bytesPerPixel;
    return (row + kPitchAlignment - 1) / kPitchAlignment * kPitchAlignment;
}

template <typename Pixel> Pixel* Row(uint8_t* base, int pitch, int y)
{
    return reinterpret_cast<Pixel*>(base + static_cast<ptrdiff_t>(y) * pitch);
}

// Same size: whole rows move with memcpy; with a key, pixels equal to it are left out.
template <typename Pixel>
void CopyRect(uint8_t* dst, int dstPitch, const SurfaceRect& d, const uint8_t* src, int srcPitch, const SurfaceRect& s,
              bool keyed, uint32_t key, uint32_t colorMask)
{
    const int width = d.Width();
    const size_t rowBytes = static_cast<size_t>(width) * sizeof(Pixel);
    for (int y = 0; y < d.Height(); ++y) {
        Pixel* out = Row<Pixel>(dst, dstPitch, d.mTop + y) + d.mLeft;
        const Pixel* in = Row<Pixel>(const_cast<uint8_t*>(src), srcPitch, s.mTop + y) + s.mLeft;
        // Plain stores: a frame copied this way stays cached for the draws on top of it, and streaming
        // stores measured slower at frame sizes.
        if (!keyed) {
            std::memmove(out, in, rowBytes);
            continue;
        }
        const Pixel masked = static_cast<Pixel>(key & colorMask);
        const Pixel mask = static_cast<Pixel>(colorMask);
        for (int x = 0; x < width; ++x) {
            Pixel p = in[x];
            if ((p & mask) != masked)
                out[x] = p;
        }
    }
}

// Different size: nearest source pixel in 16.16 steps, the same stepping as the software stretch.
template <typename Pixel>
void StretchRect(uint8_t* dst, int dstPitch, const SurfaceRect& d, const uint8_t* src, int srcPitch,
                 const SurfaceRect& s, bool keyed, uint32_t key, uint32_t colorMask)
{
    const int32_t stepX = static_cast<int32_t>((static_cast<int64_t>(s.Width()) << 16) / d.Width());
    const int32_t stepY = static_cast<int32_t>((static_cast<int64_t>(s.Height()) << 16) / d.Height());
    const Pixel masked = static_cast<Pixel>(key & colorMask);
    const Pixel mask = static_cast<Pixel>(colorMask);
    int32_t v = s.mTop << 16;
    for (int y = 0; y < d.Height(); ++y, v += stepY) {
        Pixel* out = Row<Pixel>(dst, dstPitch, d.mTop + y) + d.mLeft;
        const Pixel* in = Row<Pixel>(const_cast<uint8_t*>(src), srcPitch, v >> 16);
        int32_t u = s.mLeft << 16;
        if (keyed) {
            for (int x = 0; x < d.Width(); ++x, u += stepX) {
                Pixel p = in[u >> 16];
                if ((p & mask) != masked)
                    out[x] = p;
            }
        } else {
            for (int x = 0; x < d.Width(); ++x, u += stepX)
                out[x] = in[u >> 16];
        }
    }
}

constexpr size_t kHugePage = size_t(2) << 20;

} // namespace

void* AllocatePixelBytes(size_t bytes)
{
    if (bytes < kHugePage / 2) {
        void* pixels = ::operator new(bytes);
        std::memset(pixels, 0, bytes);
        return pixels;
    }
    // Mapped with a huge page's worth to spare, then cut to a huge-page-aligned range.
    const size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    void* mapped = mmap(nullptr, rounded + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        throw std::bad_alloc();
    uintptr_t start = reinterpret_cast<uintptr_t>(mapped);
    uintptr_t aligned = (start + kHugePage - 1) / kHugePage * kHugePage;
    if (aligned > start)
        munmap(mapped, aligned - start);
    if (aligned + rounded < start + rounded + kHugePage)
        munmap(reinterpret_cast<void*>(aligned + rounded), start + rounded + kHugePage - (aligned + rounded));
    // Only advice: where huge pages are off, the pages are the usual ones.
    madvise(reinterpret_cast<void*>(aligned), rounded, MADV_HUGEPAGE);
    return reinterpret_cast<void*>(aligned);
}

void FreePixelBytes(void* pixels, size_t bytes)
{
    if (bytes < kHugePage / 2)
        ::operator delete(pixels);
    else
        munmap(pixels, (bytes + kHugePage - 1) / kHugePage * kHugePage);
}

Surface::Surface(int width, int height, const SurfaceFormat& format, uint32_t caps)
    : mWidth(width), mHeight(height), mPitch(AlignedPitch(width, format.BytesPerPixel())), mFormat(format), mCaps(caps),
      mPixels(static_cast<size_t>(mPitch) * static_cast<size_t>(height))
{
}

DisplayResult Surface::Lock(SurfaceLock& out)
{
    if (mLost)
        return DisplayError::SurfaceLost;
    if (mLocked)
        return DisplayError::SurfaceBusy;
    if (mFailLocks > 0) {
        --mFailLocks;
        return mFailLockResult;
    }
    mLocked = true;
    out.mBits = mPixels.data();
    out.mPitch = mPitch;
    out.mWidth = mWidth;
    out.mHeight = mHeight;
    out.mFormat = mFormat;
    if (mAfterLock)
        mAfterLock(out);
    return DisplayError::Ok;
}

DisplayResult Surface::Unlock()
{
    if (!mLocked)
        return DisplayError::NotLocked;
    mLocked = false;
    if (mAfterUnlock)
        mAfterUnlock();
    return DisplayError::Ok;
}

void Surface::SetSourceColorKey(uint32_t key)
{
    mHasColorKey = true;
    mColorKey = key;
}

bool Surface::Inside(const SurfaceRect& r) const
{
    return r.mLeft >= 0 && r.mTop >= 0 && r.mRight <= mWidth && r.mBottom <= mHeight && r.mLeft < r.mRight &&
           r.mTop < r.mBottom;
}

DisplayResult Surface::CheckBlit(const SurfaceRect& dst, const Surface& src, const SurfaceRect& srcRect) const
{
    if (mLost || src.mLost)
        return DisplayError::SurfaceLost;
    if (mLocked || src.mLocked)
        return DisplayError::SurfaceBusy;
    if (mFormat != src.mFormat)
        return DisplayError::UnsupportedFormat;
    if (!Inside(dst) || !src.Inside(srcRect))
        return DisplayError::InvalidRect;
    return DisplayError::Ok;
}

DisplayResult Surface::Blit(const SurfaceRect* dst, Surface& src, const SurfaceRect* srcRect, uint32_t flags)
{
    const SurfaceRect d = dst ? *dst : SurfaceRect{0, 0, mWidth, mHeight};
    const SurfaceRect s = srcRect ? *srcRect : SurfaceRect{0, 0, src.mWidth, src.mHeight};
    DisplayResult check = CheckBlit(d, src, s);
    if (DisplayFailed(check))
        return check;

    // A blit within one surface reads from a snapshot, so overlapping rectangles stay intact.
    std::vector<uint8_t> snapshot;
    const uint8_t* from = src.mPixels.data();
    if (&src == this) {
        snapshot.assign(mPixels.begin(), mPixels.end());
        from = snapshot.data();
    }
    const bool keyed = (flags & BlitFlags::KeySource) != 0 && src.mHasColorKey;
    const bool stretch = d.Width() != s.Width() || d.Height() != s.Height();
    const uint32_t mask = mFormat.ColorMask();
    if (mFormat.mBitsPerPixel == 16) {
        if (stretch)
            StretchRect<uint16_t>(mPixels.data(), mPitch, d, from, src.mPitch, s, keyed, src.mColorKey, mask);
        else
            CopyRect<uint16_t>(mPixels.data(), mPitch, d, from, src.mPitch, s, keyed, src.mColorKey, mask);
    } else if (mFormat.mBitsPerPixel == 32) {
        if (stretch)
            StretchRect<uint32_t>(mPixels.data(), mPitch, d, from, src.mPitch, s, keyed, src.mColorKey, mask);
        else
            CopyRect<uint32_t>(mPixels.data(), mPitch, d, from, src.mPitch, s, keyed, src.mColorKey, mask);
    } else {
        return DisplayError::UnsupportedFormat;
    }
    return DisplayError::Ok;
}

DisplayResult Surface::Flip()
{
    if (!mBackBuffer)
        return DisplayError::NotFlippable;
    if (mLost || mBackBuffer->mLost)
        return DisplayError::SurfaceLost;
    if (mLocked || mBackBuffer->mLocked)
        return DisplayError::SurfaceBusy;
    std::swap(mPixels, mBackBuffer->mPixels);
    return DisplayError::Ok;
}

DisplayResult Surface::Restore()
{
    mLost = false;
    return DisplayError::Ok;
}

void Surface::FailNextLocks(int count, DisplayResult result)
{
    mFailLocks = count;
    mFailLockResult = result;
}

} // namespace Olvarn
