// An in-memory display for tests of the layers above: any screen depth, a chosen refresh rate and
// scan-line script, injectable failures, and a record of every presented frame.
#pragma once

#include <deque>
#include <functional>
#include <vector>

#include "platform/Display.h"

namespace Olvarn
{

class DisplayFake : public Display
{
public:
    explicit DisplayFake(const SurfaceFormat& desktop = SurfaceFormat::Xrgb8888()) : mDesktopFormat(desktop) {}

    DisplayResult SetCooperativeLevel(DisplayWindow* window, bool fullScreen) override;
    DisplayResult SetDisplayMode(int width, int height, int bitsPerPixel) override;
    DisplayResult RestoreDisplayMode() override;
    DisplayResult GetMonitorFrequency(int& hz) override;
    DisplayResult GetScanLine(int& line) override;
    DisplayResult WaitForVerticalBlank() override;
    int GetScreenHeight() override { return mScreenHeight; }
    DisplayResult GetScreenFormat(SurfaceFormat& out) override;
    DisplayResult Present(Surface& primary) override;
    DisplayDeviceIdentity GetDeviceIdentity() const override;
    DisplayResult GetOpenResult() const override { return mOpenResult; }
    bool ReadPresentedFrame(std::vector<uint32_t>& argb, int& width, int& height) override
    {
        if (mPresentCount == 0)
            return false;
        argb = mPresented;
        width = mPresentedWidth;
        height = mPresentedHeight;
        return true;
    }

    // Faults and figures tests set.
    SurfaceFormat mDesktopFormat;
    DisplayResult mOpenResult = DisplayError::Ok;
    DisplayResult mCooperativeLevelResult = DisplayError::Ok;
    DisplayResult mDisplayModeResult = DisplayError::Ok;
    DisplayResult mMonitorFrequencyResult = DisplayError::Ok;
    int mMonitorFrequency = 60;
    int mScreenHeight = 768;
    // Scan-line reads are taken from the front of this list; an empty list answers "unsupported".
    std::deque<std::pair<DisplayResult, int>> mScanLines;
    // Called for every surface request before it is made; a failure result refuses it.
    std::function<DisplayResult(const SurfaceDesc&)> mCreateHook;
    // Called with every new surface, e.g. to make its locks fail.
    std::function<void(Surface&)> mCreatedHook;
    void SetVideoMemoryTotal(uint64_t bytes) { mVideoMemoryTotal = bytes; }

    // What happened.
    bool mFullScreen = false;
    int mModeWidth = 0;
    int mModeHeight = 0;
    int mModeBits = 0;
    int mVerticalBlankWaits = 0;
    int mScanLineReads = 0;
    int mPresentCount = 0;
    // The last presented picture as 0xAARRGGBB, alpha 255.
    std::vector<uint32_t> mPresented;
    int mPresentedWidth = 0;
    int mPresentedHeight = 0;

protected:
    DisplayResult BeforeCreateSurface(const SurfaceDesc& desc) override;
    void AfterCreateSurface(Surface& surface) override
    {
        if (mCreatedHook)
            mCreatedHook(surface);
    }
};

// Reads a locked 16- or 32-bit picture into 0xFFRRGGBB pixels, channel low bits zero.
void ReadSurfacePixels(Surface& surface, std::vector<uint32_t>& out);

} // namespace Olvarn
