// The display device of the main window: the screen-side surfaces, the screen image the frame is
// drawn on, presenting (a blit in a window, a flip in full screen), the software cursor, and the set
// of live display images, all behind one lock.
#pragma once

#include <atomic>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/CriticalSection.h"
#include "core/Rect.h"
#include "graphics/DisplayOptions.h"
#include "graphics/NativeDisplay.h"
#include "platform/Display.h"

namespace Olvarn
{

class GraphicsHost;
class DDImage;
class DDRenderer;
class D3DInterface;
class D3DTester;
class MemoryImage;
class Window;
class Clock;

class DDInterface : public NativeDisplay
{
public:
    enum InitResult {
        RESULT_OK = 0,
        RESULT_FAIL = 1,
        RESULT_DD_CREATE_FAIL = 2,
        RESULT_SURFACE_FAIL = 3,
        RESULT_EXCLUSIVE_FAIL = 4,
        RESULT_DISPCHANGE_FAIL = 5,
        RESULT_INVALID_COLORDEPTH = 6,
        RESULT_3D_INIT_FAIL = 7
    };

    // A null display means the real one on SDL; tests hand in a fake. Without a host (tools and
    // tests) nothing is registered, the clock is the system's and no system popup is ever open.
    explicit DDInterface(GraphicsHost* app, const DisplayOptions& options = DisplayOptions(),
                         std::unique_ptr<Display> display = nullptr);
    ~DDInterface() override;
    DDInterface(const DDInterface&) = delete;
    DDInterface& operator=(const DDInterface&) = delete;

    InitResult Init(Window* window, bool windowed);
    // Presents the frame; false when not initialised, after a renderer failure, or when the final
    // blit or flip failed (the reason is in mErrorString).
    bool Redraw(const Rect* rect);
    DDImage* GetScreenImage() { return mScreenImage; }
    bool SetCursorImage(DDImage* image);
    // Cursor thread: publishes the position only; the main thread composes it in UpdateCursor.
    void SetCursorPos(int x, int y);
    // Main thread: moves the visible cursor on the screen to the last published position, or draws
    // it there, and shows the result. Nothing while a redraw runs or nothing moved.
    bool UpdateCursor();
    void RecreateScreenImage(bool videoMemory);
    DisplayResult CreateSurface(const SurfaceDesc& desc, std::shared_ptr<Surface>& out);
    void AddImage(DDImage* image);
    void RemoveImage(DDImage* image);
    void ReleaseImageTextures(MemoryImage* image);
    static std::string GetResultName(int result);
    bool CheckResult(DisplayResult result, const char* step);
    bool Test3DHardware(Window* window);
    void Cleanup();
    // Releases everything tied to the main window; call before destroying that window.
    void ReleaseWindow();

    // The acceptance test, once the 3D gate has run; null before.
    const D3DTester* Get3DTester() const { return mD3DTester; }
    // The hardware renderer (its textures and device), null when the device was made without one.
    D3DInterface* GetD3DInterface() const;
    bool Is3DEnabled() const { return mIs3D; }
    void Set3DEnabled(bool on) { mIs3D = on; }
    bool IsInitialized() const { return mInitialized; }
    // The display object, for the application's restore of the desktop mode and the message-box flip.
    Display* GetDisplay() { return mDisplay.get(); }
    // True when the surface is the one Direct3D draws on while 3D is on.
    bool IsDrawSurface3D(const Surface* surface) const { return mIs3D && surface && surface == mDrawSurface.get(); }
    // Whether the image is one of the two that wrap the cursor's saved and composite areas.
    bool IsCursorAreaImage(const DDImage* image) const
    {
        return image && (image == mOldCursorAreaImage || image == mNewCursorAreaImage);
    }
    // The red, green and blue saturation tables: entry i = min(i, channel maximum).
    const std::vector<int>& SaturationTable(int channel) const { return mSaturation[channel]; }
    int GetScanLineTimeouts() const { return mScanLineFailCount; }

    GraphicsHost* mApp = nullptr;
    // Read at each Init; the application hands in its current choices before it starts the device.
    DisplayOptions mOptions;
    DDRenderer* mD3DInterface = nullptr;
    D3DTester* mD3DTester = nullptr;
    bool mIs3D = false;
    CriticalSection mCritSect;
    std::atomic<bool> mInRedraw{false};
    std::unique_ptr<Display> mDisplay;
    std::shared_ptr<Surface> mPrimarySurface;
    std::shared_ptr<Surface> mSecondarySurface;
    std::shared_ptr<Surface> mDrawSurface;
    int mWidth = 640;
    int mHeight = 480;
    int mAppBitsPerPixel = 16;
    int mRefreshRate = 60;
    int mMillisecondsPerFrame = 16;
    int mScanLineFailCount = 0;
    std::vector<int> mSaturation[3];
    bool mInitialized = false;
    Window* mWindow = nullptr;
    bool mIsWindowed = true;
    DDImage* mScreenImage = nullptr;
    std::set<DDImage*> mDDImageSet;
    bool mVideoOnlyDraw = false;
    int mCursorWidth = 64;
    int mCursorHeight = 64;
    std::atomic<int> mNextCursorX{0};
    std::atomic<int> mNextCursorY{0};
    std::atomic<bool> mCursorMoved{false};
    int mCursorX = 0;
    int mCursorY = 0;
    DDImage* mCursorImage = nullptr;
    bool mHasOldCursorArea = false;
    std::shared_ptr<Surface> mOldCursorArea;
    std::shared_ptr<Surface> mNewCursorArea;
    DDImage* mOldCursorAreaImage = nullptr;
    DDImage* mNewCursorAreaImage = nullptr;
    std::string mErrorString;
    // Set once the refresh rate showed the vertical blank cannot pace; the host hears of it too.
    bool mVSyncBroken = false;
    // Result of the lower half of the last two-half copy.
    DisplayResult mLastHalfResult = DisplayError::Ok;

private:
    // Steps of Init.
    InitResult CreateWindowedSurfaces(Window* window);
    InitResult CreateFullScreenSurfaces(Window* window);
    void TakeRefreshRate();
    InitResult CreateCursorAreas();
    InitResult TakeScreenFormat();
    // Steps of Redraw.
    bool RedrawWindowed(const Rect& src);
    bool RedrawFullScreen(const Rect& src);
    bool TwoHalfCopy(const Rect& src);
    bool WaitForScanLineBelow(int lastLine, int bottom);
    // Software cursor.
    Rect CursorArea(int x, int y) const;
    bool SaveUnder(Surface& target, const Rect& clipped, Surface& area, int areaX, int areaY);
    void DrawCursorImage(DDImage* dest, int x, int y);
    void DrawCursor(Surface& target);
    void EraseCursor(Surface& target);
    void MoveCursor(Surface& target, int newX, int newY);
    // Application settings, or this device's own fields without an application.
    bool WantsVSync() const;
    bool UsePageFlipping() const;
    bool InSystemPopup() const;
    void SetVSyncBroken();
    uint32_t TickCount() const;
    DDImage* WrapSurface(const std::shared_ptr<Surface>& surface);
};

} // namespace Olvarn
