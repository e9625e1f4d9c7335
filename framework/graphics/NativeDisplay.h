// The screen's pixel format as the image code needs it: the display layer's SurfaceFormat with, per
// channel, the bit count and shift derived from its mask.
#pragma once

#include <cstdint>

#include "platform/SurfaceFormat.h"

namespace Olvarn
{

class NativeDisplay
{
public:
    virtual ~NativeDisplay() = default;

    // Fills the masks and derives each channel's shift (lowest set bit) and bit count
    // (lowest to highest set bit, inclusive).
    void SetFormat(int bitsPerPixel, uint32_t redMask, uint32_t greenMask, uint32_t blueMask);
    void SetFormat(const SurfaceFormat& format)
    {
        SetFormat(format.mBitsPerPixel, format.mRedMask, format.mGreenMask, format.mBlueMask);
    }
    SurfaceFormat Format() const { return {mRGBBits, mRedMask, mGreenMask, mBlueMask}; }

    static NativeDisplay Format565() { return Make(SurfaceFormat::Rgb565()); }
    static NativeDisplay Format555() { return Make(SurfaceFormat::Rgb555()); }
    static NativeDisplay Format888() { return Make(SurfaceFormat::Xrgb8888()); }

    int mRGBBits = 0;
    uint32_t mRedMask = 0;
    uint32_t mGreenMask = 0;
    uint32_t mBlueMask = 0;
    int mRedBits = 0;
    int mGreenBits = 0;
    int mBlueBits = 0;
    int mRedShift = 0;
    int mGreenShift = 0;
    int mBlueShift = 0;

private:
    static NativeDisplay Make(const SurfaceFormat& format)
    {
        NativeDisplay d;
        d.SetFormat(format);
        return d;
    }
};

} // namespace Olvarn
