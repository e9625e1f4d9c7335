// The SDL2 display: screen formats from the desktop or the chosen mode, presenting by texture upload.
#include "platform/DisplaySdl.h"
#include "platform/SdlMemory.h"
#include "platform/VideoSystem.h"
#include "platform/WidenPixels.h"

#include <SDL.h>

#include <chrono>
#include <functional>
#include <thread>

namespace Olvarn
{

namespace
{

uint32_t TextureFormatFor(const SurfaceFormat& f)
{
    if (f == SurfaceFormat::Rgb565())
        return SDL_PIXELFORMAT_RGB565;
    if (f == SurfaceFormat::Rgb555())
        return SDL_PIXELFORMAT_RGB555;
    if (f == SurfaceFormat::Xrgb8888())
        return SDL_PIXELFORMAT_RGB888;
    return SDL_MasksToPixelFormatEnum(f.mBitsPerPixel, f.mRedMask, f.mGreenMask, f.mBlueMask, 0);
}

// The largest rectangle of the picture's shape centred in the target, as the renderer's logical size
// places it.
SDL_Rect Letterbox(int targetW, int targetH, int w, int h)
{
    SDL_Rect r{0, 0, targetW, targetH};
    if (int64_t(targetW) * h > int64_t(targetH) * w) {
        r.w = int(int64_t(targetH) * w / h);
        r.x = (targetW - r.w) / 2;
    } else {
        r.h = int(int64_t(targetW) * h / w);
        r.y = (targetH - r.h) / 2;
    }
    return r;
}

} // namespace

DisplaySdl::DisplaySdl()
{
    VideoSystem::SetStartHints();
    UseFramePagesForSdl();
    mVideoReady = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

DisplaySdl::~DisplaySdl()
{
    DestroyRenderer();
    if (mVideoReady)
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

SDL_Window* DisplaySdl::CurrentWindow() const
{
    return mWindowId ? SDL_GetWindowFromID(mWindowId) : nullptr;
}

void DisplaySdl::DetachWindow()
{
    DestroyRenderer();
    mWindowId = 0;
}

void DisplaySdl::DestroyRenderer()
{
    // A renderer whose window is already gone cannot be freed safely any more; it is dropped.
    SDL_Window* window = CurrentWindow();
    if (mRenderer && window && SDL_GetRenderer(window) == mRenderer) {
        if (mTexture)
            SDL_DestroyTexture(mTexture);
        SDL_DestroyRenderer(mRenderer);
    }
    mTexture = nullptr;
    mRenderer = nullptr;
    mTextureFormat = 0;
    mPresented = false;
    mUseWindowSurface = false;
    mLastTarget = nullptr;
}

DisplayResult DisplaySdl::SetCooperativeLevel(DisplayWindow* window, bool fullScreen)
{
    if (!mVideoReady)
        return DisplayError::NotInitialized;
    if (!window || !window->GetSdlWindow())
        return DisplayError::NoHwnd;
    if (SDL_GetWindowID(window->GetSdlWindow()) != mWindowId || !CurrentWindow()) {
        DestroyRenderer();
        mWindowId = SDL_GetWindowID(window->GetSdlWindow());
    }
    Uint32 flag = fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0;
    if (SDL_SetWindowFullscreen(window->GetSdlWindow(), flag) != 0)
        return fullScreen ? DisplayError::NoExclusiveMode : DisplayError::Generic;
    mFullScreen = fullScreen;
    if (!fullScreen)
        mModeBits = 0;
    return DisplayError::Ok;
}

DisplayResult DisplaySdl::SetDisplayMode(int width, int height, int bitsPerPixel)
{
    if (!mFullScreen)
        return DisplayError::NoExclusiveMode;
    if (bitsPerPixel != 16 && bitsPerPixel != 32)
        return DisplayError::InvalidMode;
    if (width <= 0 || height <= 0)
        return DisplayError::InvalidMode;
    mModeWidth = width;
    mModeHeight = height;
    mModeBits = bitsPerPixel;
    return DisplayError::Ok;
}

DisplayResult DisplaySdl::RestoreDisplayMode()
{
    mModeBits = 0;
    if (CurrentWindow() && mFullScreen)
        SDL_SetWindowFullscreen(CurrentWindow(), 0);
    mFullScreen = false;
    return DisplayError::Ok;
}

DisplayResult DisplaySdl::GetMonitorFrequency(int& hz)
{
    hz = 0;
    SDL_DisplayMode mode;
    int index = CurrentWindow() ? SDL_GetWindowDisplayIndex(CurrentWindow()) : 0;
    if (SDL_GetCurrentDisplayMode(index < 0 ? 0 : index, &mode) != 0)
        return DisplayError::Unsupported;
    hz = mode.refresh_rate;
    return hz > 0 ? DisplayError::Ok : DisplayError::Unsupported;
}

DisplayResult DisplaySdl::WaitForVerticalBlank()
{
    int hz = 0;
    if (DisplayFailed(GetMonitorFrequency(hz)) || hz <= 0)
        hz = 60;
    using namespace std::chrono;
    const auto period = nanoseconds(1000000000LL / hz);
    const auto now = steady_clock::now().time_since_epoch();
    std::this_thread::sleep_until(steady_clock::time_point((now / period + 1) * period));
    return DisplayError::Ok;
}

int DisplaySdl::GetScreenHeight()
{
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0)
        return 0;
    return mode.h;
}

DisplayResult DisplaySdl::GetScreenFormat(SurfaceFormat& out)
{
    if (mFullScreen && mModeBits == 16) {
        out = mForce555 ? SurfaceFormat::Rgb555() : SurfaceFormat::Rgb565();
        return DisplayError::Ok;
    }
    if (mFullScreen && mModeBits == 32) {
        out = SurfaceFormat::Xrgb8888();
        return DisplayError::Ok;
    }
    SDL_DisplayMode mode;
    if (!mVideoReady || SDL_GetDesktopDisplayMode(0, &mode) != 0 || mode.format == SDL_PIXELFORMAT_UNKNOWN) {
        out = SurfaceFormat::Xrgb8888();
        return DisplayError::Ok;
    }
    int bpp = 0;
    Uint32 r = 0, g = 0, b = 0, a = 0;
    SDL_PixelFormatEnumToMasks(mode.format, &bpp, &r, &g, &b, &a);
    out = SurfaceFormat{int(SDL_BYTESPERPIXEL(mode.format)) * 8, r, g, b};
    return DisplayError::Ok;
}

bool DisplaySdl::EnsureRenderer()
{
    SDL_Window* window = CurrentWindow();
    if (mRenderer && window && SDL_GetRenderer(window) == mRenderer)
        return true;
    // The window went away with its renderer: start again on the current one.
    mRenderer = nullptr;
    mTexture = nullptr;
    mTextureFormat = 0;
    if (!window)
        return false;
    if (mUseWindowSurface)
        return true;
    // An OpenGL window gets its accelerated renderer. Any other would be recreated by SDL for one, or
    // get SDL's software renderer, which copies each frame twice more (into its texture, then onto
    // the window's surface): the window's own surface takes the frame in one pass.
    if (SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL) {
        mRenderer =
            SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | (mFullScreen ? SDL_RENDERER_PRESENTVSYNC : 0));
        mRendererVSync = mFullScreen;
        if (mRenderer)
            return true;
    }
    mUseWindowSurface = SDL_GetWindowSurface(window) != nullptr;
    return mUseWindowSurface;
}

bool DisplaySdl::PresentWaitsForVerticalBlank()
{
    // The software renderer accepts the vsync flag but presents at once.
    SDL_RendererInfo info{};
    return mRenderer && SDL_GetRendererInfo(mRenderer, &info) == 0 && (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0 &&
           SDL_strcmp(info.name, "software") != 0;
}

bool DisplaySdl::EnsureTexture(const Surface& primary)
{
    uint32_t format = TextureFormatFor(primary.GetFormat());
    if (mTexture && mTextureWidth == primary.GetWidth() && mTextureHeight == primary.GetHeight() &&
        mTextureFormat == format)
        return true;
    if (mTexture)
        SDL_DestroyTexture(mTexture);
    mTexture =
        SDL_CreateTexture(mRenderer, format, SDL_TEXTUREACCESS_STREAMING, primary.GetWidth(), primary.GetHeight());
    mTextureWidth = primary.GetWidth();
    mTextureHeight = primary.GetHeight();
    mTextureFormat = mTexture ? format : 0;
    return mTexture != nullptr;
}

DisplayResult DisplaySdl::PresentToWindowSurface(Surface& primary, const SDL_Rect* area)
{
    SDL_Window* window = CurrentWindow();
    SDL_Surface* target = window ? SDL_GetWindowSurface(window) : nullptr;
    if (!target)
        return DisplayError::Generic;
    SurfaceLock lock;
    DisplayResult result = primary.Lock(lock);
    if (DisplayFailed(result))
        return result;
    const uint32_t format = TextureFormatFor(lock.mFormat);
    int failed;
    const bool sixteenTo32 =
        (lock.mFormat == SurfaceFormat::Rgb565() || lock.mFormat == SurfaceFormat::Rgb555()) &&
        (target->format->format == SDL_PIXELFORMAT_RGB888 || target->format->format == SDL_PIXELFORMAT_ARGB8888);
    const bool sameSize = target->w == lock.mWidth && target->h == lock.mHeight;
    SDL_Rect whole{0, 0, lock.mWidth, lock.mHeight};
    SDL_Rect part = whole;
    // A part alone is shown only over the picture this surface already holds.
    const bool partly = area && sameSize && mPresented && target == mLastTarget &&
                        SDL_IntersectRect(area, &whole, &part) == SDL_TRUE && !SDL_RectEquals(&part, &whole);
    if (!partly)
        part = whole;
    const int srcBytes = lock.mFormat.mBitsPerPixel / 8;
    const uint8_t* from = static_cast<const uint8_t*>(lock.mBits) + part.y * lock.mPitch + part.x * srcBytes;
    if (sameSize && sixteenTo32) {
        // SDL's general converter takes several times a copy's time for this; ours is close to it.
        if (SDL_MUSTLOCK(target))
            SDL_LockSurface(target);
        uint8_t* to = static_cast<uint8_t*>(target->pixels) + part.y * target->pitch + part.x * 4;
        widen::Picture(to, target->pitch, from, lock.mPitch, part.w, part.h, lock.mFormat == SurfaceFormat::Rgb565());
        if (SDL_MUSTLOCK(target))
            SDL_UnlockSurface(target);
        failed = 0;
    } else if (sameSize) {
        uint8_t* to = static_cast<uint8_t*>(target->pixels) + part.y * target->pitch +
                      part.x * int(target->format->BytesPerPixel);
        failed =
            SDL_ConvertPixels(part.w, part.h, format, from, lock.mPitch, target->format->format, to, target->pitch);
    } else {
        // In full screen the picture keeps its shape, scaled to the desktop between black borders.
        SDL_Surface* from = SDL_CreateRGBSurfaceWithFormatFrom(lock.mBits, lock.mWidth, lock.mHeight,
                                                               lock.mFormat.mBitsPerPixel, lock.mPitch, format);
        SDL_Rect box = Letterbox(target->w, target->h, lock.mWidth, lock.mHeight);
        failed = from ? 0 : -1;
        if (from && (box.w != target->w || box.h != target->h))
            failed = SDL_FillRect(target, nullptr, SDL_MapRGB(target->format, 0, 0, 0));
        if (from && failed == 0) {
            SDL_SetSurfaceBlendMode(from, SDL_BLENDMODE_NONE);
            failed = SDL_BlitScaled(from, nullptr, target, &box);
        }
        if (from)
            SDL_FreeSurface(from);
    }
    primary.Unlock();
    // Refresh-paced updates in full screen rely on the present waiting for the vertical blank, which
    // the window surface never does. The first frame paces nothing yet: it is shown at once.
    if (failed == 0 && mFullScreen && mPresented)
        WaitForVerticalBlank();
    if (failed != 0 || (partly ? SDL_UpdateWindowSurfaceRects(window, &part, 1) : SDL_UpdateWindowSurface(window)) != 0)
        return DisplayError::Generic;
    mLastTarget = target;
    mTextureWidth = lock.mWidth;
    mTextureHeight = lock.mHeight;
    mPresented = true;
    return DisplayError::Ok;
}

DisplayResult DisplaySdl::PresentArea(Surface& primary, int x, int y, int width, int height)
{
    if (!EnsureRenderer())
        return DisplayError::Generic;
    if (!mUseWindowSurface)
        return Present(primary);
    const SDL_Rect area{x, y, width, height};
    return PresentToWindowSurface(primary, &area);
}

DisplayResult DisplaySdl::Present(Surface& primary)
{
    if (!EnsureRenderer())
        return DisplayError::Generic;
    if (mUseWindowSurface)
        return PresentToWindowSurface(primary);
    if (!EnsureTexture(primary))
        return DisplayError::Generic;
    SurfaceLock lock;
    DisplayResult result = primary.Lock(lock);
    if (DisplayFailed(result))
        return result;
    int updated = SDL_UpdateTexture(mTexture, nullptr, lock.mBits, lock.mPitch);
    primary.Unlock();
    if (updated != 0)
        return DisplayError::Generic;
    // The picture keeps its own size; in full screen the renderer scales it to the desktop.
    SDL_RenderSetLogicalSize(mRenderer, primary.GetWidth(), primary.GetHeight());
    // The copy covers the whole target when the shapes agree: then clearing would be a wasted pass.
    int outW = 0, outH = 0;
    SDL_GetRendererOutputSize(mRenderer, &outW, &outH);
    if (int64_t(outW) * primary.GetHeight() != int64_t(outH) * primary.GetWidth()) {
        SDL_SetRenderDrawColor(mRenderer, 0, 0, 0, 255);
        SDL_RenderClear(mRenderer);
    }
    if (SDL_RenderCopy(mRenderer, mTexture, nullptr, nullptr) != 0)
        return DisplayError::Generic;
    // In full screen the main loop paces its updates by the presents, so a present must wait for
    // the vertical blank: through the renderer, or by the clock where the renderer does not wait.
    if (mRendererVSync != mFullScreen) {
        SDL_RenderSetVSync(mRenderer, mFullScreen ? 1 : 0);
        mRendererVSync = mFullScreen;
    }
    if (mFullScreen && mPresented && !PresentWaitsForVerticalBlank())
        WaitForVerticalBlank();
    SDL_RenderPresent(mRenderer);
    mPresented = true;
    return DisplayError::Ok;
}

bool DisplaySdl::ReadPresentedFrame(std::vector<uint32_t>& argb, int& width, int& height)
{
    if (mPresented && mUseWindowSurface) {
        SDL_Window* window = CurrentWindow();
        SDL_Surface* target = window ? SDL_GetWindowSurface(window) : nullptr;
        if (!target)
            return false;
        width = mTextureWidth;
        height = mTextureHeight;
        argb.assign(size_t(width) * size_t(height), 0);
        if (target->w == width && target->h == height)
            return SDL_ConvertPixels(width, height, target->format->format, target->pixels, target->pitch,
                                     SDL_PIXELFORMAT_ARGB8888, argb.data(), width * 4) == 0;
        SDL_Surface* to =
            SDL_CreateRGBSurfaceWithFormatFrom(argb.data(), width, height, 32, width * 4, SDL_PIXELFORMAT_ARGB8888);
        SDL_Rect box = Letterbox(target->w, target->h, width, height);
        bool read = to && SDL_BlitScaled(target, &box, to, nullptr) == 0;
        if (to)
            SDL_FreeSurface(to);
        return read;
    }
    if (!mPresented || !mRenderer)
        return false;
    width = mTextureWidth;
    height = mTextureHeight;
    argb.assign(size_t(width) * size_t(height), 0);
    SDL_Rect all{0, 0, width, height};
    return SDL_RenderReadPixels(mRenderer, &all, SDL_PIXELFORMAT_ARGB8888, argb.data(), width * 4) == 0;
}

DisplayDeviceIdentity DisplaySdl::GetDeviceIdentity() const
{
    DisplayDeviceIdentity id;
    const char* driver = SDL_GetCurrentVideoDriver();
    id.mDescription = std::string("SDL ") + (driver ? driver : "video");
    SDL_RendererInfo info;
    if (mRenderer && SDL_GetRendererInfo(mRenderer, &info) == 0 && info.name)
        id.mDescription += std::string(" / ") + info.name;
    else if (mUseWindowSurface)
        id.mDescription += " / window surface";
    SDL_version version;
    SDL_GetVersion(&version);
    id.mDriverVersion = uint64_t(version.major) << 48 | uint64_t(version.minor) << 32 | uint64_t(version.patch);
    // A stable identity per driver and renderer: the description's hash spread over the 16 bytes.
    size_t hash = std::hash<std::string>()(id.mDescription);
    for (size_t i = 0; i < id.mGuid.size(); ++i)
        id.mGuid[i] = uint8_t(hash >> ((i % sizeof(size_t)) * 8)) ^ uint8_t(i * 37);
    return id;
}

} // namespace Olvarn
