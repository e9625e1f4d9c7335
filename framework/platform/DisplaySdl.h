// The real display over SDL2: surfaces in memory, each frame uploaded to one streaming texture and
// presented with the window's renderer; full screen is desktop full screen at a logical size.
#pragma once

#include <vector>

#include "platform/Display.h"

struct SDL_Renderer;
struct SDL_Texture;
struct SDL_Rect;
struct SDL_Surface;

namespace Olvarn
{

class DisplaySdl : public Display
{
public:
    DisplaySdl();
    ~DisplaySdl() override;
    DisplaySdl(const DisplaySdl&) = delete;
    DisplaySdl& operator=(const DisplaySdl&) = delete;

    // A 16-bit mode holds 565 pixels unless 555 is asked for here.
    void Force555(bool on) { mForce555 = on; }

    // Fails when SDL's video could not start.
    DisplayResult GetOpenResult() const override
    {
        return mVideoReady ? DisplayError::Ok : DisplayError::NotInitialized;
    }

    DisplayResult SetCooperativeLevel(DisplayWindow* window, bool fullScreen) override;
    void DetachWindow() override;
    DisplayResult SetDisplayMode(int width, int height, int bitsPerPixel) override;
    DisplayResult RestoreDisplayMode() override;
    DisplayResult GetMonitorFrequency(int& hz) override;
    // The beam position cannot be read through SDL.
    DisplayResult GetScanLine(int& line) override { return DisplayError::Unsupported; }
    // Sleeps to the next refresh boundary of the monotonic clock.
    DisplayResult WaitForVerticalBlank() override;
    int GetScreenHeight() override;
    DisplayResult GetScreenFormat(SurfaceFormat& out) override;
    DisplayResult Present(Surface& primary) override;
    DisplayResult PresentArea(Surface& primary, int x, int y, int width, int height) override;
    DisplayDeviceIdentity GetDeviceIdentity() const override;

    // The last presented frame read back from the renderer as 0xAARRGGBB (used for screenshots and
    // tests); false when nothing was presented or the renderer cannot read back.
    bool ReadPresentedFrame(std::vector<uint32_t>& argb, int& width, int& height) override;

private:
    bool EnsureRenderer();
    bool EnsureTexture(const Surface& primary);
    bool PresentWaitsForVerticalBlank();
    // area, in the primary's pixels, is what changed since the last present; null: everything.
    DisplayResult PresentToWindowSurface(Surface& primary, const SDL_Rect* area = nullptr);
    void DestroyRenderer();
    // The window presented into, looked up by id so that a destroyed window is noticed.
    SDL_Window* CurrentWindow() const;

    bool mVideoReady = false;
    bool mForce555 = false;
    uint32_t mWindowId = 0;
    bool mFullScreen = false;
    int mModeWidth = 0;
    int mModeHeight = 0;
    int mModeBits = 0;
    SDL_Renderer* mRenderer = nullptr;
    SDL_Texture* mTexture = nullptr;
    int mTextureWidth = 0;
    int mTextureHeight = 0;
    uint32_t mTextureFormat = 0;
    bool mPresented = false;
    bool mRendererVSync = false;
    // No accelerated renderer: frames go straight into the window's own surface.
    bool mUseWindowSurface = false;
    // The window surface last presented into: a new one (after a resize) holds nothing yet.
    SDL_Surface* mLastTarget = nullptr;
};

} // namespace Olvarn
