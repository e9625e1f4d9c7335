// What the developer tools keep for the application: the overlay images with their fonts and the
// frame counting of the frame-rate overlay, and the figures of the image dump.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/Profiler.h"

namespace Olvarn
{

class DDImage;
class DDInterface;
class MemoryImage;
class ResourceHost;
class SysFont;

// The sizes the image dump and the video report count for one image, in bytes.
struct ImageMemoryUse {
    int64_t mBits = 0;
    int64_t mPalette = 0;
    int64_t mSurface = 0;
    int64_t mTexture = 0;
    // The texture's pixel format (1 A8R8G8B8, 2 A4R4G4B4, 4 R5G6B5, 8 Palette8), 0 without one.
    int mTextureFormat = 0;
    int64_t mNativeAlpha = 0;
    int64_t mRLAlpha = 0;
    int64_t mRLAdditive = 0;

    int64_t Total() const { return mBits + mPalette + mSurface + mTexture + mNativeAlpha + mRLAlpha + mRLAdditive; }
    static ImageMemoryUse Of(MemoryImage* image);
};

// Nearest-sample 64 x 64 picture of an image's pixels, for the dump's thumbnails.
std::vector<uint32_t> MakeThumbnail(const uint32_t* bits, int width, int height);

// The lowest "image%d.png" file number above every one in the folder (1 in an empty folder).
int NextScreenshotNumber(const std::string& folder);

class DevTools
{
public:
    DevTools();
    ~DevTools();
    DevTools(const DevTools&) = delete;
    DevTools& operator=(const DevTools&) = delete;

    // Called when the overlays are switched on: the first reading comes a second later and reads 0.
    void StartFrameCounting();

    // Redraw the shared overlay image (frame rate or mouse position) and the demo-time image.
    void UpdateFpsOverlay(DDInterface* device, ResourceHost* host);
    void UpdateMouseOverlay(DDInterface* device, ResourceHost* host, int x, int y);
    // tickNow is the tick count; the image is redrawn at most once per 1000 / multiplier ms.
    void UpdateDemoTimeOverlay(DDInterface* device, ResourceHost* host, int updatesLeft, int updateStepMs,
                               double multiplier, int tickNow);

    DDImage* OverlayImage() const { return mOverlayImage; }
    DDImage* DemoOverlayImage() const { return mDemoOverlayImage; }
    const std::string& OverlayText() const { return mOverlayText; }
    const std::string& DemoOverlayText() const { return mDemoOverlayText; }
    int FramesPerSecond() const { return mFramesPerSecond; }

private:
    // fontIndex 0 frame rate, 1 mouse, 2 demo time.
    SysFont* OverlayFont(ResourceHost* host, int fontIndex);
    DDImage* MakeOverlayImage(DDInterface* device, SysFont* font, int width);
    // Draws the text into the image, made anew when the text is wider than it.
    void Show(DDImage*& image, DDInterface* device, SysFont* font, const std::string& text);
    void Redraw(DDImage* image, SysFont* font, const std::string& text);

    DDImage* mOverlayImage = nullptr;
    DDImage* mDemoOverlayImage = nullptr;
    std::unique_ptr<SysFont> mFonts[3];
    std::string mOverlayText;
    std::string mDemoOverlayText;
    PerfTimer mFrameTimer;
    int mFrameCount = 0;
    int mFramesPerSecond = 0;
    bool mFirstMeasurement = false;
    bool mDemoOverlayDrawn = false;
    int mLastDemoOverlayTick = 0;
};

} // namespace Olvarn
