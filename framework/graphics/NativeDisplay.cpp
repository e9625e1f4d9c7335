#include "graphics/NativeDisplay.h"

namespace Olvarn
{

namespace
{

void DescribeMask(uint32_t mask, int& bits, int& shift)
{
    bits = 0;
    shift = 0;
    if (mask == 0)
        return;
    while (!(mask & (1u << shift)))
        ++shift;
    int high = 31;
    while (!(mask & (1u << high)))
        --high;
    bits = high - shift + 1;
}

} // namespace

void NativeDisplay::SetFormat(int bitsPerPixel, uint32_t redMask, uint32_t greenMask, uint32_t blueMask)
{
    mRGBBits = bitsPerPixel;
    mRedMask = redMask;
    mGreenMask = greenMask;
    mBlueMask = blueMask;
    DescribeMask(redMask, mRedBits, mRedShift);
    DescribeMask(greenMask, mGreenBits, mGreenShift);
    DescribeMask(blueMask, mBlueBits, mBlueShift);
}

} // namespace Olvarn
