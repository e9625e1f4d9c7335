// The screen side of the platform layer: display modes, surfaces in the screen's format, timing of
// the screen, presenting, and the video-memory and device figures. SdlDisplay is the real one,
// DisplayFake the test double with injectable faults.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/DisplayResult.h"
#include "platform/DisplayWindow.h"
#include "platform/Surface.h"

namespace Olvarn
{

// Identity of the display device, as the 3D acceptance test records it.
struct DisplayDeviceIdentity {
    std::string mDescription;
    uint64_t mDriverVersion = 0;
    std::array<uint8_t, 16> mGuid{};
};

class Display
{
public:
    virtual ~Display() = default;

    // Whether the display could be opened at all; nothing else works after a failure.
    virtual DisplayResult GetOpenResult() const { return DisplayError::Ok; }

    // Normal (shared, windowed) or exclusive full-screen use of the window.
    virtual DisplayResult SetCooperativeLevel(DisplayWindow* window, bool fullScreen) = 0;
    // The full-screen mode; later surfaces take its depth.
    virtual DisplayResult SetDisplayMode(int width, int height, int bitsPerPixel) = 0;
    virtual DisplayResult RestoreDisplayMode() = 0;
    // Lets go of everything tied to the window (renderer, textures). Call it before the window is
    // destroyed: SDL does not free a renderer together with its window.
    virtual void DetachWindow() {}
    // Makes the desktop visible over full screen while a system message box is up.
    virtual DisplayResult FlipToDesktop() { return DisplayError::Ok; }

    virtual DisplayResult GetMonitorFrequency(int& hz) = 0;
    virtual DisplayResult GetScanLine(int& line) = 0;
    virtual DisplayResult WaitForVerticalBlank() = 0;
    // Height of the whole screen in pixels.
    virtual int GetScreenHeight() = 0;

    // A surface in the screen's format. A primary surface with a back-buffer count of 1 comes
    // with its back buffer attached.
    DisplayResult CreateSurface(const SurfaceDesc& desc, std::shared_ptr<Surface>& out);
    // The pixel format the screen has now.
    virtual DisplayResult GetScreenFormat(SurfaceFormat& out) = 0;

    // Shows the primary surface's picture in the window.
    virtual DisplayResult Present(Surface& primary) = 0;
    // Shows only the given part of the primary surface's picture, the rest being as last shown; a
    // display that cannot show a part shows the whole.
    virtual DisplayResult PresentArea(Surface& primary, int x, int y, int width, int height)
    {
        return Present(primary);
    }
    // Swaps the primary with its back buffer and shows the result.
    DisplayResult Flip(Surface& primary);
    // The last presented frame read back as 0xAARRGGBB rows from the top (screenshots); false when
    // nothing was presented or the display cannot read it back.
    virtual bool ReadPresentedFrame(std::vector<uint32_t>& argb, int& width, int& height) { return false; }

    // Total and free video memory in bytes; free drops with every live video-memory surface.
    void GetVideoMemory(uint64_t& total, uint64_t& free) const;
    virtual DisplayDeviceIdentity GetDeviceIdentity() const = 0;

    // Every live surface becomes lost, as after a mode change by another program.
    void LoseSurfaces();

protected:
    // Fault hook of the fake; the real display refuses nothing beyond the common checks.
    virtual DisplayResult BeforeCreateSurface(const SurfaceDesc& desc) { return DisplayError::Ok; }
    virtual void AfterCreateSurface(Surface& surface) {}
    uint64_t mVideoMemoryTotal = uint64_t(256) << 20;

private:
    uint64_t VideoMemoryInUse() const;

    std::vector<std::weak_ptr<Surface>> mSurfaces;
};

} // namespace Olvarn
