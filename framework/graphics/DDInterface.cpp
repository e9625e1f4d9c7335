// The display device: start and restart of the screen surfaces, presenting, and the software cursor.
#include "graphics/DDInterface.h"

#include <algorithm>
#include <climits>

#include "graphics/D3DInterface.h"
#include "graphics/D3DTester.h"
#include "graphics/DDImage.h"
#include "graphics/DDRenderer.h"
#include "graphics/DirectXErrors.h"
#include "graphics/GraphicsHost.h"
#include "platform/Clock.h"
#include "platform/DisplayAppWindow.h"
#include "platform/DisplaySdl.h"

namespace Olvarn
{

namespace
{

constexpr int kScanLineTimeoutMs = 200;
constexpr int kMaxScanLineTimeouts = 3;

SurfaceRect ToSurfaceRect(const Rect& r)
{
    return {r.mX, r.mY, r.mX + r.mWidth, r.mY + r.mHeight};
}

Rect Offset(const Rect& r, int dx, int dy)
{
    return Rect(r.mX + dx, r.mY + dy, r.mWidth, r.mHeight);
}

bool IsEmpty(const Rect& r)
{
    return r.mWidth <= 0 || r.mHeight <= 0;
}

DisplayResult BlitRect(Surface& dst, const Rect& d, Surface& src, const Rect& s)
{
    SurfaceRect dr = ToSurfaceRect(d), sr = ToSurfaceRect(s);
    return dst.Blit(&dr, src, &sr);
}

} // namespace

DDInterface::DDInterface(GraphicsHost* app, const DisplayOptions& options, std::unique_ptr<Display> display)
    : mApp(app), mOptions(options), mDisplay(std::move(display))
{
    if (!mDisplay)
        mDisplay = std::make_unique<DisplaySdl>();
    mD3DInterface = new D3DInterface();
    // The application's image set is guarded by this device's lock: the cursor and loading threads
    // touch images and surfaces under it.
    if (mApp)
        mApp->SetImageSetLock(&mCritSect);
}

DDInterface::~DDInterface()
{
    {
        CriticalSectionLock lock(mCritSect);
        Cleanup();
        delete mD3DInterface;
        mD3DInterface = nullptr;
        delete mD3DTester;
        mD3DTester = nullptr;
        mDisplay->DetachWindow();
        mDDImageSet.clear();
    }
    if (mApp)
        mApp->SetImageSetLock(nullptr);
}

std::string DDInterface::GetResultName(int result)
{
    static const char* const kNames[] = {"RESULT_OK",
                                         "RESULT_FAIL",
                                         "RESULT_DD_CREATE_FAIL",
                                         "RESULT_SURFACE_FAIL",
                                         "RESULT_EXCLUSIVE_FAIL",
                                         "RESULT_DISPCHANGE_FAIL",
                                         "RESULT_INVALID_COLORDEPTH"};
    if (result >= 0 && result <= RESULT_INVALID_COLORDEPTH)
        return kNames[result];
    return "RESULT_UNKNOWN";
}

bool DDInterface::CheckResult(DisplayResult result, const char* step)
{
    if (!DisplayFailed(result))
        return false;
    mErrorString = std::string(step) + ": " + GetDirectXErrorName(result);
    return true;
}

// --- Settings the application owns --------------------------------------------------------------

bool DDInterface::WantsVSync() const
{
    return mOptions.mWaitForVSync && !mOptions.mSoftVSyncWait;
}

bool DDInterface::UsePageFlipping() const
{
    return mOptions.mUsePageFlipping;
}

bool DDInterface::InSystemPopup() const
{
    return mApp && mApp->InSystemPopup();
}

void DDInterface::SetVSyncBroken()
{
    mVSyncBroken = true;
    if (mApp)
        mApp->OnVSyncBroken();
}

uint32_t DDInterface::TickCount() const
{
    return mApp ? mApp->GetClock().TickCount() : SystemClock::Instance().TickCount();
}

// --- Init ------------------------------------------------------------------------------------------

DDInterface::InitResult DDInterface::Init(Window* window, bool windowed)
{
    CriticalSectionLock lock(mCritSect);
    mInitialized = false;
    Cleanup();

    if (Test3DHardware(window) && mD3DTester->mFreshResult && mApp)
        mApp->On3DTestRanAfresh();

    mWindow = window;
    mWidth = mOptions.mWidth;
    mHeight = mOptions.mHeight;
    mAppBitsPerPixel = mOptions.mColorDepth;
    mIsWindowed = windowed;
    mHasOldCursorArea = false;
    const DisplayResult opened = mDisplay ? mDisplay->GetOpenResult() : DisplayError::NotInitialized;
    if (CheckResult(opened, "DirectDrawCreate"))
        return RESULT_DD_CREATE_FAIL;

    InitResult result = windowed ? CreateWindowedSurfaces(window) : CreateFullScreenSurfaces(window);
    if (result != RESULT_OK)
        return result;
    TakeRefreshRate();
    if ((result = CreateCursorAreas()) != RESULT_OK)
        return result;
    if ((result = TakeScreenFormat()) != RESULT_OK)
        return result;
    RecreateScreenImage(mVideoOnlyDraw);

    if (mIs3D) {
        if (!mD3DInterface || !mD3DInterface->Init(this)) {
            mErrorString = "3D init error: ";
            mErrorString += mD3DInterface ? mD3DInterface->GetErrorText() : "no hardware renderer";
            return RESULT_3D_INIT_FAIL;
        }
    }
    mInitialized = true;
    return RESULT_OK;
}

DDInterface::InitResult DDInterface::CreateWindowedSurfaces(Window* window)
{
    DisplayAppWindow target(window);
    mDisplay->SetCooperativeLevel(window ? &target : nullptr, false);

    const uint32_t device3D = mIs3D ? SurfaceCaps::Device3D : 0;
    DisplayResult r = CreateSurface({mWidth, mHeight, SurfaceCaps::Primary | device3D, 0}, mPrimarySurface);
    if (r == DisplayError::InvalidPixelFormat) {
        CheckResult(r, "CreateSurface Windowed Primary");
        return RESULT_INVALID_COLORDEPTH;
    }
    if (CheckResult(r, "CreateSurface Windowed Primary"))
        return RESULT_SURFACE_FAIL;
    uint32_t drawCaps = mIs3D ? SurfaceCaps::OffscreenPlain | SurfaceCaps::Device3D | SurfaceCaps::VideoMemory
                              : SurfaceCaps::OffscreenPlain | SurfaceCaps::SystemMemory;
    r = CreateSurface({mWidth, mHeight, drawCaps, 0}, mDrawSurface);
    if (CheckResult(r, "CreateSurface Windowed DrawSurface"))
        return RESULT_SURFACE_FAIL;
    return RESULT_OK;
}

DDInterface::InitResult DDInterface::CreateFullScreenSurfaces(Window* window)
{
    DisplayAppWindow target(window);
    if (CheckResult(mDisplay->SetCooperativeLevel(window ? &target : nullptr, true), "SetCooperativeLevel FullScreen"))
        return RESULT_EXCLUSIVE_FAIL;
    if (CheckResult(mDisplay->SetDisplayMode(mWidth, mHeight, mAppBitsPerPixel), "SetDisplayMode FullScreen"))
        return RESULT_DISPCHANGE_FAIL;

    const uint32_t device3D = mIs3D ? SurfaceCaps::Device3D : 0;
    uint32_t caps = SurfaceCaps::Primary | SurfaceCaps::Flip | SurfaceCaps::Complex | device3D;
    if (CheckResult(CreateSurface({mWidth, mHeight, caps, 1}, mPrimarySurface), "CreateSurface FullScreen Primary"))
        return RESULT_SURFACE_FAIL;
    mSecondarySurface = mPrimarySurface->GetAttachedBackBuffer();
    if (!mSecondarySurface) {
        CheckResult(DisplayError::SurfaceNotAttached, "GetAttachedSurface");
        return RESULT_SURFACE_FAIL;
    }
    uint32_t drawCaps = mIs3D ? SurfaceCaps::OffscreenPlain | SurfaceCaps::Device3D | SurfaceCaps::VideoMemory
                              : SurfaceCaps::OffscreenPlain | SurfaceCaps::SystemMemory;
    if (CheckResult(CreateSurface({mWidth, mHeight, drawCaps, 0}, mDrawSurface),
                    "CreateSurface FullScreen DrawSurface"))
        return RESULT_SURFACE_FAIL;
    return RESULT_OK;
}

void DDInterface::TakeRefreshRate()
{
    int hz = 0;
    DisplayResult r = mDisplay->GetMonitorFrequency(hz);
    if (DisplayFailed(r) || hz < 60) {
        hz = 60;
        SetVSyncBroken();
    } else if (hz > 100) {
        hz = 100;
        SetVSyncBroken();
    }
    mRefreshRate = hz;
    mMillisecondsPerFrame = 1000 / hz;
}

DDImage* DDInterface::WrapSurface(const std::shared_ptr<Surface>& surface)
{
    DDImage* image = new DDImage(this);
    image->SetSurface(surface);
    image->SetAlphaFlags(false, false);
    return image;
}

DDInterface::InitResult DDInterface::CreateCursorAreas()
{
    const uint32_t caps = SurfaceCaps::OffscreenPlain | SurfaceCaps::SystemMemory;
    if (CheckResult(CreateSurface({mCursorWidth, mCursorHeight, caps, 0}, mOldCursorArea),
                    "CreateSurface OldCursorArea"))
        return RESULT_SURFACE_FAIL;
    if (CheckResult(CreateSurface({mCursorWidth, mCursorHeight, caps, 0}, mNewCursorArea),
                    "CreateSurface NewCursorArea"))
        return RESULT_SURFACE_FAIL;
    mOldCursorAreaImage = WrapSurface(mOldCursorArea);
    mNewCursorAreaImage = WrapSurface(mNewCursorArea);
    return RESULT_OK;
}

DDInterface::InitResult DDInterface::TakeScreenFormat()
{
    const SurfaceFormat& f = mPrimarySurface->GetFormat();
    if (f.mBitsPerPixel != 16 && f.mBitsPerPixel != 32)
        return RESULT_INVALID_COLORDEPTH;
    SetFormat(f);
    const int bits[3] = {mRedBits, mGreenBits, mBlueBits};
    for (int c = 0; c < 3; ++c) {
        const int max = (1 << bits[c]) - 1;
        mSaturation[c].assign(size_t(2 * max + 1), 0);
        for (int i = 0; i <= 2 * max; ++i)
            mSaturation[c][size_t(i)] = i < max ? i : max;
    }
    return RESULT_OK;
}

void DDInterface::RecreateScreenImage(bool videoMemory)
{
    CriticalSectionLock lock(mCritSect);
    mVideoOnlyDraw = videoMemory;
    if (!mSecondarySurface) {
        DisplayResult r = CreateSurface({mWidth, mHeight, SurfaceCaps::VideoMemory, 0}, mSecondarySurface);
        if (DisplayFailed(r))
            mVideoOnlyDraw = false;
    }
    delete mScreenImage;
    mScreenImage = new DDImage(this);
    mScreenImage->SetSurface(mVideoOnlyDraw ? mSecondarySurface : mDrawSurface);
    mScreenImage->mNoSoftwareDraw = mVideoOnlyDraw;
    mScreenImage->mVideoMemory = mVideoOnlyDraw;
    mScreenImage->SetAlphaFlags(false, false);
}

DisplayResult DDInterface::CreateSurface(const SurfaceDesc& desc, std::shared_ptr<Surface>& out)
{
    CriticalSectionLock lock(mCritSect);
    DisplayResult r = mDisplay->CreateSurface(desc, out);
    if (DisplayFailed(r))
        return r;
    // Only 16- and 32-bit screens are drawn on; anything else refuses every surface.
    SurfaceFormat screen;
    if (DisplayFailed(mDisplay->GetScreenFormat(screen)) ||
        (screen.mBitsPerPixel != 16 && screen.mBitsPerPixel != 32)) {
        out.reset();
        return DisplayError::InvalidPixelFormat;
    }
    return r;
}

bool DDInterface::Test3DHardware(Window* window)
{
    if (mD3DTester)
        return false;
    if (!mOptions.mTest3D && !mOptions.mAuto3D)
        return false;
    mD3DTester = new D3DTester(mApp);
    mD3DTester->mMinVidMemory = mOptions.mMinVidMemory;
    mD3DTester->mRecVidMemory = mOptions.mRecVidMemory;
    D3DCardFacts facts;
    // The renderer reports video memory where the driver tells it; otherwise the display's figure.
    uint64_t total = 0, available = 0;
    mDisplay->GetVideoMemory(total, available);
    facts.mVideoMemory = total;
    SurfaceFormat desktop;
    if (DisplayFailed(mDisplay->GetScreenFormat(desktop)))
        desktop = SurfaceFormat::Xrgb8888();
    facts.mDesktopBytes =
        uint64_t(desktop.mBitsPerPixel / 8) * uint64_t(mOptions.mWidth) * uint64_t(std::max(mOptions.mHeight, 0));
    mD3DTester->Run(facts);
    if (mOptions.mAuto3D)
        mIs3D = mD3DTester->IsRecommended();
    if (!mD3DTester->mFailureReason.empty())
        mIs3D = false;
    if (mD3DTester->mFreshResult && !mD3DTester->IsRecommended())
        mIs3D = false;
    return true;
}

D3DInterface* DDInterface::GetD3DInterface() const
{
    return dynamic_cast<D3DInterface*>(mD3DInterface);
}

void DDInterface::Cleanup()
{
    CriticalSectionLock lock(mCritSect);
    mInitialized = false;
    if (mD3DInterface)
        mD3DInterface->Cleanup();
    delete mOldCursorAreaImage;
    delete mNewCursorAreaImage;
    mOldCursorAreaImage = nullptr;
    mNewCursorAreaImage = nullptr;
    mOldCursorArea.reset();
    mNewCursorArea.reset();
    delete mScreenImage;
    mScreenImage = nullptr;
    mDrawSurface.reset();
    mSecondarySurface.reset();
    mPrimarySurface.reset();
    mHasOldCursorArea = false;
    // Giving up exclusive use returns the desktop to its own mode. The old window may already be
    // gone; the display looks it up itself.
    if (mDisplay && !mIsWindowed)
        mDisplay->RestoreDisplayMode();
}

void DDInterface::ReleaseWindow()
{
    CriticalSectionLock lock(mCritSect);
    Cleanup();
    mDisplay->DetachWindow();
    mWindow = nullptr;
}

// --- Image set ---------------------------------------------------------------------------------

void DDInterface::AddImage(DDImage* image)
{
    CriticalSectionLock lock(mCritSect);
    mDDImageSet.insert(image);
}

void DDInterface::RemoveImage(DDImage* image)
{
    CriticalSectionLock lock(mCritSect);
    mDDImageSet.erase(image);
}

void DDInterface::ReleaseImageTextures(MemoryImage* image)
{
    if (mD3DInterface)
        mD3DInterface->ReleaseImageTextures(image);
}

// --- Redraw ----------------------------------------------------------------------------------------

bool DDInterface::Redraw(const Rect* rect)
{
    CriticalSectionLock lock(mCritSect);
    if (!mInitialized)
        return false;
    mInRedraw = true;
    if (mIs3D && mD3DInterface) {
        if (!mD3DInterface->GetErrorText().empty()) {
            mInRedraw = false;
            mIs3D = false;
            return false;
        }
        if (mD3DInterface->IsSceneOpen()) {
            mD3DInterface->EndScene();
            mD3DInterface->ClearErrorText();
        }
    }
    const Rect whole(0, 0, mWidth, mHeight);
    // A software cursor is composed into the frame, so its frames are shown whole.
    const Rect src = rect && !mCursorImage ? rect->Intersection(whole) : whole;
    return mIsWindowed ? RedrawWindowed(src) : RedrawFullScreen(src);
}

bool DDInterface::RedrawWindowed(const Rect& src)
{
    // The window's client area is the whole primary surface, so screen and window coordinates agree.
    const bool vsync = WantsVSync();
    DisplayResult r;
    mCursorX = mNextCursorX;
    mCursorY = mNextCursorY;
    mCursorMoved = false;
    if (mVideoOnlyDraw) {
        if (vsync)
            mDisplay->WaitForVerticalBlank();
        DrawCursor(*mSecondarySurface);
        r = BlitRect(*mPrimarySurface, src, *mSecondarySurface, src);
    } else {
        DrawCursor(*mDrawSurface);
        bool copied = false;
        if (vsync && mScanLineFailCount < kMaxScanLineTimeouts)
            copied = TwoHalfCopy(src);
        if (copied) {
            r = mLastHalfResult;
        } else {
            if (vsync)
                mDisplay->WaitForVerticalBlank();
            r = BlitRect(*mPrimarySurface, src, *mDrawSurface, src);
        }
        if (mHasOldCursorArea) {
            EraseCursor(*mDrawSurface);
            mHasOldCursorArea = true;
        }
    }
    mInRedraw = false;
    if (!DisplayFailed(r))
        r = mDisplay->PresentArea(*mPrimarySurface, src.mX, src.mY, src.mWidth, src.mHeight);
    return !CheckResult(r, "Redraw Windowed");
}

bool DDInterface::RedrawFullScreen(const Rect& src)
{
    if (InSystemPopup() || !UsePageFlipping()) {
        DisplayResult r = BlitRect(*mPrimarySurface, src, *mDrawSurface, src);
        mInRedraw = false;
        if (!DisplayFailed(r))
            r = mDisplay->PresentArea(*mPrimarySurface, src.mX, src.mY, src.mWidth, src.mHeight);
        return !CheckResult(r, "Redraw FullScreen Blt");
    }
    if (!mVideoOnlyDraw)
        BlitRect(*mSecondarySurface, src, *mDrawSurface, src);
    mCursorX = mNextCursorX;
    mCursorY = mNextCursorY;
    mCursorMoved = false;
    DrawCursor(*mSecondarySurface);
    DisplayResult r = mDisplay->Flip(*mPrimarySurface);
    mInRedraw = false;
    return !CheckResult(r, "Redraw FullScreen Flip");
}

bool DDInterface::TwoHalfCopy(const Rect& src)
{
    const int half = mHeight / 2;
    const int top = src.mY, left = src.mX, right = src.mX + src.mWidth;
    const int split = top + half;
    const int bottom = top + mHeight;
    const int screenHeight = mDisplay->GetScreenHeight();
    int line = INT_MAX;
    bool seenAbove = false;
    bool ready = false;
    const uint32_t start = TickCount();
    while (!ready && TickCount() - start < uint32_t(kScanLineTimeoutMs)) {
        DisplayResult r = mDisplay->GetScanLine(line);
        if (!DisplayFailed(r) && split - line > 0 && line < screenHeight)
            seenAbove = true;
        else if (DisplayFailed(r) && r != DisplayError::VerticalBlankInProgress)
            break;
        else if (seenAbove)
            ready = true;
    }
    if (!ready) {
        ++mScanLineFailCount;
        return false;
    }
    mScanLineFailCount = 0;
    BlitRect(*mPrimarySurface, Rect(left, top, right - left, split - top), *mDrawSurface,
             Rect(left, top, right - left, half - top));
    WaitForScanLineBelow(line, bottom);
    mLastHalfResult = BlitRect(*mPrimarySurface, Rect(left, split, right - left, bottom - split), *mDrawSurface,
                               Rect(left, half, right - left, bottom - half));
    return true;
}

bool DDInterface::WaitForScanLineBelow(int lastLine, int bottom)
{
    // Bounded like the first wait: a scan line that can no longer be read must not hang the frame.
    const uint32_t start = TickCount();
    while (TickCount() - start < uint32_t(kScanLineTimeoutMs)) {
        int line = 0;
        if (DisplayFailed(mDisplay->GetScanLine(line)))
            continue;
        if (line < lastLine || line >= bottom)
            return true;
    }
    return false;
}

// --- Software cursor -------------------------------------------------------------------------------

bool DDInterface::SetCursorImage(DDImage* image)
{
    CriticalSectionLock lock(mCritSect);
    bool changed = image != mCursorImage;
    mCursorImage = image;
    return changed;
}

void DDInterface::SetCursorPos(int x, int y)
{
    mNextCursorX = x;
    mNextCursorY = y;
    mCursorMoved = true;
}

bool DDInterface::UpdateCursor()
{
    CriticalSectionLock lock(mCritSect);
    if (!mInitialized || mInRedraw || !mCursorMoved.exchange(false))
        return false;
    if (!mCursorImage || !mPrimarySurface)
        return false;
    const int x = mNextCursorX, y = mNextCursorY;
    if (mHasOldCursorArea) {
        MoveCursor(*mPrimarySurface, x, y);
    } else {
        mCursorX = x;
        mCursorY = y;
        DrawCursor(*mPrimarySurface);
    }
    return !DisplayFailed(mDisplay->Present(*mPrimarySurface));
}

Rect DDInterface::CursorArea(int x, int y) const
{
    return Rect(x - mCursorWidth / 2, y - mCursorHeight / 2, mCursorWidth, mCursorHeight);
}

bool DDInterface::SaveUnder(Surface& target, const Rect& clipped, Surface& area, int areaX, int areaY)
{
    if (!DisplayFailed(BlitRect(area, Offset(clipped, -areaX, -areaY), target, clipped)))
        return true;
    // The screen may be smaller than the display size (a window being resized): retry once inside it.
    Rect again = clipped.Intersection(Rect(0, 0, mPrimarySurface->GetWidth(), mPrimarySurface->GetHeight()));
    if (IsEmpty(again))
        return false;
    return !DisplayFailed(BlitRect(area, Offset(again, -areaX, -areaY), target, again));
}

void DDInterface::DrawCursorImage(DDImage* dest, int x, int y)
{
    Rect placed =
        Rect(x, y, mCursorImage->mWidth, mCursorImage->mHeight).Intersection(Rect(0, 0, dest->mWidth, dest->mHeight));
    if (IsEmpty(placed))
        return;
    Rect src(placed.mX - x, placed.mY - y, placed.mWidth, placed.mHeight);
    dest->BlitImage(mCursorImage, placed.mX, placed.mY, src, Color::White, Graphics::DRAWMODE_NORMAL);
}

void DDInterface::DrawCursor(Surface& target)
{
    if (!mCursorImage || !mPrimarySurface) {
        mHasOldCursorArea = false;
        return;
    }
    const Rect area = CursorArea(mCursorX, mCursorY);
    const Rect clipped = area.Intersection(Rect(0, 0, mWidth, mHeight));
    mHasOldCursorArea = !IsEmpty(clipped) && SaveUnder(target, clipped, *mOldCursorArea, area.mX, area.mY);
    const int offsetX = (mCursorWidth - mCursorImage->mWidth) / 2;
    const int offsetY = (mCursorHeight - mCursorImage->mHeight) / 2;
    if (&target != mDrawSurface.get() || mIs3D) {
        mNewCursorArea->Blit(nullptr, *mOldCursorArea, nullptr);
        DrawCursorImage(mNewCursorAreaImage, offsetX, offsetY);
        if (!IsEmpty(clipped))
            BlitRect(target, clipped, *mNewCursorArea, Offset(clipped, -area.mX, -area.mY));
    } else {
        DrawCursorImage(mScreenImage, area.mX + offsetX, area.mY + offsetY);
    }
}

void DDInterface::EraseCursor(Surface& target)
{
    if (!mHasOldCursorArea || !mPrimarySurface)
        return;
    const Rect area = CursorArea(mCursorX, mCursorY);
    const Rect clipped = area.Intersection(Rect(0, 0, mWidth, mHeight));
    if (!IsEmpty(clipped))
        BlitRect(target, clipped, *mOldCursorArea, Offset(clipped, -area.mX, -area.mY));
    mHasOldCursorArea = false;
}

void DDInterface::MoveCursor(Surface& target, int newX, int newY)
{
    if (!mCursorImage || !mPrimarySurface) {
        mHasOldCursorArea = false;
        return;
    }
    const Rect screen(0, 0, mWidth, mHeight);
    const Rect oldArea = CursorArea(mCursorX, mCursorY);
    const Rect newArea = CursorArea(newX, newY);
    const Rect oldClip = oldArea.Intersection(screen);
    const Rect newClip = newArea.Intersection(screen);
    const int offsetX = (mCursorWidth - mCursorImage->mWidth) / 2;
    const int offsetY = (mCursorHeight - mCursorImage->mHeight) / 2;
    const int dx = newArea.mX - oldArea.mX, dy = newArea.mY - oldArea.mY;

    // The target under the new place, with the true background restored where the old cursor lies.
    if (!IsEmpty(newClip))
        SaveUnder(target, newClip, *mNewCursorArea, newArea.mX, newArea.mY);
    Rect overlap = Rect(-dx, -dy, mCursorWidth, mCursorHeight).Intersection(Rect(0, 0, mCursorWidth, mCursorHeight));
    if (!IsEmpty(overlap))
        BlitRect(*mNewCursorArea, overlap, *mOldCursorArea, Offset(overlap, dx, dy));
    // The old place gets its background back, already carrying the new cursor where the two overlap.
    DrawCursorImage(mOldCursorAreaImage, dx + offsetX, dy + offsetY);
    if (!IsEmpty(oldClip))
        BlitRect(target, oldClip, *mOldCursorArea, Offset(oldClip, -oldArea.mX, -oldArea.mY));
    mOldCursorArea->Blit(nullptr, *mNewCursorArea, nullptr);
    DrawCursorImage(mNewCursorAreaImage, offsetX, offsetY);
    if (!IsEmpty(newClip))
        BlitRect(target, newClip, *mNewCursorArea, Offset(newClip, -newArea.mX, -newArea.mY));
    mCursorX = newX;
    mCursorY = newY;
    mHasOldCursorArea = !IsEmpty(newClip);
}

} // namespace Olvarn
