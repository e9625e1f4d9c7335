// Surface creation, video-memory accounting and loss shared by every display.
#include "platform/Display.h"

#include <algorithm>

namespace Olvarn
{

namespace
{
// Surfaces larger than this in either direction are refused, as a card of the time would.
constexpr int kMaxSurfaceSide = 8192;
} // namespace

DisplayResult Display::CreateSurface(const SurfaceDesc& desc, std::shared_ptr<Surface>& out)
{
    out.reset();
    if (desc.mWidth <= 0 || desc.mHeight <= 0 || desc.mWidth > kMaxSurfaceSide || desc.mHeight > kMaxSurfaceSide)
        return DisplayError::InvalidParams;
    if (desc.mBackBufferCount != 0 && desc.mBackBufferCount != 1)
        return DisplayError::InvalidParams;
    DisplayResult hook = BeforeCreateSurface(desc);
    if (DisplayFailed(hook))
        return hook;
    SurfaceFormat format;
    DisplayResult result = GetScreenFormat(format);
    if (DisplayFailed(result))
        return result;

    const bool video = (desc.mCaps & SurfaceCaps::VideoMemory) != 0;
    if (video) {
        uint64_t bytes = uint64_t(desc.mWidth) * uint64_t(desc.mHeight) * uint64_t(format.BytesPerPixel()) *
                         uint64_t(1 + desc.mBackBufferCount);
        if (VideoMemoryInUse() + bytes > mVideoMemoryTotal)
            return DisplayError::OutOfVideoMemory;
    }

    // Forget surfaces that are gone, so the list stays as long as the live set.
    mSurfaces.erase(std::remove_if(mSurfaces.begin(), mSurfaces.end(), [](auto& w) { return w.expired(); }),
                    mSurfaces.end());
    auto surface = std::make_shared<Surface>(desc.mWidth, desc.mHeight, format, desc.mCaps);
    if (desc.mBackBufferCount == 1) {
        uint32_t backCaps = SurfaceCaps::BackBuffer | (desc.mCaps & SurfaceCaps::VideoMemory);
        auto back = std::make_shared<Surface>(desc.mWidth, desc.mHeight, format, backCaps);
        mSurfaces.push_back(back);
        surface->AttachBackBuffer(std::move(back));
    }
    mSurfaces.push_back(surface);
    AfterCreateSurface(*surface);
    out = std::move(surface);
    return DisplayError::Ok;
}

DisplayResult Display::Flip(Surface& primary)
{
    DisplayResult result = primary.Flip();
    if (DisplayFailed(result))
        return result;
    return Present(primary);
}

uint64_t Display::VideoMemoryInUse() const
{
    uint64_t used = 0;
    for (const auto& weak : mSurfaces) {
        auto surface = weak.lock();
        if (surface && surface->IsVideoMemory())
            used += surface->GetByteSize();
    }
    return used;
}

void Display::GetVideoMemory(uint64_t& total, uint64_t& free) const
{
    total = mVideoMemoryTotal;
    uint64_t used = VideoMemoryInUse();
    free = used < total ? total - used : 0;
}

void Display::LoseSurfaces()
{
    for (const auto& weak : mSurfaces)
        if (auto surface = weak.lock())
            surface->MarkLost();
}

} // namespace Olvarn
