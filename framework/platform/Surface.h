// A rectangle of pixels in the screen's format, kept in memory and drawn by our own loops:
// lock with pitch and masks, colour-keyed and stretched blits, flip, and loss as a failure.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "platform/DisplayResult.h"
#include "platform/SurfaceFormat.h"

namespace Olvarn
{

// Pixel arrays come zeroed from the allocator (frame-sized ones straight from the system, on huge
// pages where it offers them): a new surface then costs no pass of its own, and the first touch of a
// frame two page faults instead of several hundred, which is most of a first frame's time.
void* AllocatePixelBytes(size_t bytes);
void FreePixelBytes(void* pixels, size_t bytes);

template <typename T> struct PixelAllocator {
    using value_type = T;
    PixelAllocator() = default;
    template <typename U> PixelAllocator(const PixelAllocator<U>&) {}
    T* allocate(size_t n) { return static_cast<T*>(AllocatePixelBytes(n * sizeof(T))); }
    void deallocate(T* p, size_t n) { FreePixelBytes(p, n * sizeof(T)); }
    // Elements made without a value are left as allocated (zero); others as usual.
    template <typename U> void construct(U* p) { ::new (static_cast<void*>(p)) U; }
    template <typename U, typename... Args> void construct(U* p, Args&&... args)
    {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
    friend bool operator==(const PixelAllocator&, const PixelAllocator&) { return true; }
    friend bool operator!=(const PixelAllocator&, const PixelAllocator&) { return false; }
};

// What a lock hands out; valid until the matching Unlock.
struct SurfaceLock {
    uint8_t* mBits = nullptr;
    int mPitch = 0;
    int mWidth = 0;
    int mHeight = 0;
    SurfaceFormat mFormat;
};

class Surface
{
public:
    Surface(int width, int height, const SurfaceFormat& format, uint32_t caps);
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    int GetWidth() const { return mWidth; }
    int GetHeight() const { return mHeight; }
    int GetPitch() const { return mPitch; }
    const SurfaceFormat& GetFormat() const { return mFormat; }
    uint32_t GetCaps() const { return mCaps; }
    bool IsVideoMemory() const { return (mCaps & SurfaceCaps::VideoMemory) != 0; }
    size_t GetByteSize() const { return mPixels.size(); }

    // The whole surface; fails while the surface is lost or already locked.
    DisplayResult Lock(SurfaceLock& out);
    DisplayResult Unlock();
    bool IsLocked() const { return mLocked; }

    void SetSourceColorKey(uint32_t key);
    void ClearSourceColorKey() { mHasColorKey = false; }
    bool HasSourceColorKey() const { return mHasColorKey; }
    uint32_t GetSourceColorKey() const { return mColorKey; }

    // Copies src's srcRect (whole surface when null) into dst (whole surface when null) of this
    // surface, stretching with 16.16 nearest stepping when the sizes differ.
    DisplayResult Blit(const SurfaceRect* dst, Surface& src, const SurfaceRect* srcRect, uint32_t flags = 0);

    // The back buffer of a primary surface made with one, or null.
    const std::shared_ptr<Surface>& GetAttachedBackBuffer() const { return mBackBuffer; }
    void AttachBackBuffer(std::shared_ptr<Surface> backBuffer) { mBackBuffer = std::move(backBuffer); }
    // Swaps the pictures of this primary and its back buffer.
    DisplayResult Flip();

    // A lost surface refuses locks and blits until restored; its pixels are kept.
    bool IsLost() const { return mLost; }
    void MarkLost() { mLost = true; }
    DisplayResult Restore();

    // Called with every successful lock before it is handed out, and after every unlock: a surface
    // mirrored elsewhere (the hardware renderer's target) is brought up to date and marked as written.
    void SetLockHooks(std::function<void(SurfaceLock&)> afterLock, std::function<void()> afterUnlock)
    {
        mAfterLock = std::move(afterLock);
        mAfterUnlock = std::move(afterUnlock);
    }

    // Test hooks: the next count locks fail with the given result.
    void FailNextLocks(int count, DisplayResult result = DisplayError::SurfaceBusy);

private:
    DisplayResult CheckBlit(const SurfaceRect& dst, const Surface& src, const SurfaceRect& srcRect) const;
    bool Inside(const SurfaceRect& r) const;

    int mWidth = 0;
    int mHeight = 0;
    int mPitch = 0;
    SurfaceFormat mFormat;
    uint32_t mCaps = 0;
    std::vector<uint8_t, PixelAllocator<uint8_t>> mPixels;
    bool mLocked = false;
    bool mLost = false;
    bool mHasColorKey = false;
    uint32_t mColorKey = 0;
    int mFailLocks = 0;
    DisplayResult mFailLockResult = DisplayError::SurfaceBusy;
    std::shared_ptr<Surface> mBackBuffer;
    std::function<void(SurfaceLock&)> mAfterLock;
    std::function<void()> mAfterUnlock;
};

} // namespace Olvarn
