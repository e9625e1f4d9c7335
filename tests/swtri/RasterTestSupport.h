// Shared fixtures of the rasteriser tests: guarded destination buffers, uniform textures and
// triangles in 16.16 that cover chosen pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "swtri/RasterTypes.h"
#include "swtri/RasterizeTriangle.h"

namespace swtritest
{

using Olvarn::FixedVertex;

inline constexpr int32_t kOne = 0x10000;

// A destination of width x height pixels surrounded by a border of guard pixels; the clip covers the
// inner part, so any write to the border is a write outside the clip.
template <class Pixel> class GuardedTarget
{
public:
    static constexpr int kBorder = 8;
    static constexpr Pixel kGuard = static_cast<Pixel>(0x5A5A5A5Au);

    GuardedTarget(int width, int height, Pixel fill)
        : mWidth(width), mHeight(height), mStride(width + 2 * kBorder),
          mPixels(static_cast<size_t>(mStride) * (height + 2 * kBorder), kGuard)
    {
        Fill(fill);
    }

    void Fill(Pixel value)
    {
        for (int y = 0; y < mHeight; ++y)
            for (int x = 0; x < mWidth; ++x)
                At(x, y) = value;
    }
    Pixel& At(int x, int y) { return mPixels[Index(x, y)]; }
    Pixel At(int x, int y) const { return mPixels[Index(x, y)]; }
    void* Origin() { return &mPixels[Index(0, 0)]; }
    uint32_t PitchBytes() const { return static_cast<uint32_t>(mStride * sizeof(Pixel)); }
    Olvarn::RasterClip Clip() const { return Olvarn::RasterClip{0, 0, mWidth, mHeight}; }
    int Width() const { return mWidth; }
    int Height() const { return mHeight; }

    bool GuardIntact() const
    {
        for (int y = -kBorder; y < mHeight + kBorder; ++y)
            for (int x = -kBorder; x < mWidth + kBorder; ++x)
                if ((x < 0 || y < 0 || x >= mWidth || y >= mHeight) && At(x, y) != kGuard)
                    return false;
        return true;
    }

    // Pixels that differ from value, as a row-major string of '#' and '.', rows ended by '\n'.
    std::string Mask(Pixel value) const
    {
        std::string s;
        for (int y = 0; y < mHeight; ++y) {
            for (int x = 0; x < mWidth; ++x)
                s += At(x, y) != value ? '#' : '.';
            s += '\n';
        }
        return s;
    }

private:
    size_t Index(int x, int y) const { return static_cast<size_t>(y + kBorder) * mStride + (x + kBorder); }

    int mWidth;
    int mHeight;
    int mStride;
    std::vector<Pixel> mPixels;
};

using Target32 = GuardedTarget<uint32_t>;
using Target16 = GuardedTarget<uint16_t>;

// A texture whose texels the test sets.
struct TestTexture {
    TestTexture(uint32_t width, uint32_t height, uint32_t fill) : mTexels(width * height, fill)
    {
        mRaster.bits = mTexels.data();
        mRaster.width = width;
        mRaster.height = height;
        mRaster.texelCount = width * height;
    }
    uint32_t& At(uint32_t x, uint32_t y) { return mTexels[y * mRaster.width + x]; }

    std::vector<uint32_t> mTexels;
    Olvarn::RasterTexture mRaster;
};

inline FixedVertex Vertex(double x, double y)
{
    FixedVertex v;
    v.x = static_cast<int32_t>(x * kOne);
    v.y = static_cast<int32_t>(y * kOne);
    return v;
}

inline FixedVertex WithUV(FixedVertex v, int32_t u, int32_t tv)
{
    v.u = u;
    v.v = tv;
    return v;
}

inline FixedVertex WithColour(FixedVertex v, int32_t a, int32_t r, int32_t g, int32_t b)
{
    v.a = a;
    v.r = r;
    v.g = g;
    v.b = b;
    return v;
}

// Calls the member of a format and feature value on one triangle.
template <class Pixel>
void Draw(uint32_t format, unsigned features, GuardedTarget<Pixel>& target, FixedVertex a, FixedVertex b, FixedVertex c,
          const Olvarn::RasterTexture* texture = nullptr, const Olvarn::RasterColor& colour = {})
{
    FixedVertex v[3] = {a, b, c};
    Olvarn::ScanConvertFunction member = Olvarn::ScanConverterFor(format, features);
    ASSERT_NE(member, nullptr);
    member(v, target.Origin(), target.PitchBytes(), texture, &colour, target.Clip());
}

} // namespace swtritest
