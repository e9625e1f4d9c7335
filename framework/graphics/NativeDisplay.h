// The screen's pixel format as the image code needs it: per channel a mask, a bit count and a shift.
#pragma once

#include <cstdint>

namespace Olvarn
{

class NativeDisplay
{
public:
    virtual ~NativeDisplay() = default;

    // Fills the masks and derives each channel's shift (lowest set bit) and bit count
    // (lowest to highest set bit, inclusive).
    void SetFormat(int bitsPerPixel, uint32_t redMask, uint32_t greenMask, uint32_t blueMask);

    static NativeDisplay Format565() { return Make(16, 0xF800, 0x07E0, 0x001F); }
    static NativeDisplay Format555() { return Make(16, 0x7C00, 0x03E0, 0x001F); }
    static NativeDisplay Format888() { return Make(32, 0xFF0000, 0x00FF00, 0x0000FF); }

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
    static NativeDisplay Make(int bpp, uint32_t r, uint32_t g, uint32_t b)
    {
        NativeDisplay d;
        d.SetFormat(bpp, r, g, b);
        return d;
    }
};

} // namespace Olvarn
