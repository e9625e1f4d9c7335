// Plain records that describe surfaces of the display layer: pixel layout by masks, rectangles
// with exclusive right and bottom edges, and the creation request.
#pragma once

#include <cstdint>

namespace Olvarn
{

// Pixel layout given by bits per pixel and channel masks, as the drawing code reads it.
struct SurfaceFormat {
    int mBitsPerPixel = 32;
    uint32_t mRedMask = 0x00FF0000;
    uint32_t mGreenMask = 0x0000FF00;
    uint32_t mBlueMask = 0x000000FF;

    static constexpr SurfaceFormat Rgb565() { return {16, 0xF800, 0x07E0, 0x001F}; }
    static constexpr SurfaceFormat Rgb555() { return {16, 0x7C00, 0x03E0, 0x001F}; }
    static constexpr SurfaceFormat Xrgb8888() { return {32, 0x00FF0000, 0x0000FF00, 0x000000FF}; }

    constexpr int BytesPerPixel() const { return (mBitsPerPixel + 7) / 8; }
    constexpr uint32_t ColorMask() const { return mRedMask | mGreenMask | mBlueMask; }
    constexpr bool operator==(const SurfaceFormat& o) const
    {
        return mBitsPerPixel == o.mBitsPerPixel && mRedMask == o.mRedMask && mGreenMask == o.mGreenMask &&
               mBlueMask == o.mBlueMask;
    }
    constexpr bool operator!=(const SurfaceFormat& o) const { return !(*this == o); }
};

// Left, top, right, bottom; right and bottom are one past the last pixel.
struct SurfaceRect {
    int mLeft = 0;
    int mTop = 0;
    int mRight = 0;
    int mBottom = 0;

    constexpr int Width() const { return mRight - mLeft; }
    constexpr int Height() const { return mBottom - mTop; }
    constexpr bool operator==(const SurfaceRect& o) const
    {
        return mLeft == o.mLeft && mTop == o.mTop && mRight == o.mRight && mBottom == o.mBottom;
    }
};

// What a surface is for and where it lives; or-ed in SurfaceDesc::mCaps.
namespace SurfaceCaps
{
constexpr uint32_t Primary = 1u << 0;
constexpr uint32_t Flip = 1u << 1;
constexpr uint32_t Complex = 1u << 2;
constexpr uint32_t BackBuffer = 1u << 3;
constexpr uint32_t OffscreenPlain = 1u << 4;
constexpr uint32_t SystemMemory = 1u << 5;
constexpr uint32_t VideoMemory = 1u << 6;
constexpr uint32_t Device3D = 1u << 7;
} // namespace SurfaceCaps

// A request for a new surface. The pixel format is always the screen's.
struct SurfaceDesc {
    int mWidth = 0;
    int mHeight = 0;
    uint32_t mCaps = 0;
    int mBackBufferCount = 0;
};

// Flags of Surface::Blit.
namespace BlitFlags
{
// Skip source pixels equal to the source's colour key.
constexpr uint32_t KeySource = 1u << 0;
} // namespace BlitFlags

} // namespace Olvarn
