// The records the polygon entry fills and every scan converter reads, with the feature bits and
// destination format codes that select a scan converter.
#pragma once

#include <cstdint>

namespace Olvarn
{

// One triangle corner in signed 16.16 fixed point.
struct FixedVertex {
    int32_t x = 0; // destination pixels; pixel (i, j) samples at (i, j)
    int32_t y = 0;
    int32_t a = 0; // vertex colour channels 0..255
    int32_t r = 0;
    int32_t g = 0;
    int32_t b = 0;
    int32_t u = 0; // texels; texel i spans u from i to i + 1
    int32_t v = 0;
};

// 0xAARRGGBB texels, row-major without gaps; texelCount bounds every read.
struct RasterTexture {
    const uint32_t* bits = nullptr;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t texelCount = 0;
};

// The modulation colour, each channel 0..255.
struct RasterColor {
    uint32_t a = 255;
    uint32_t r = 255;
    uint32_t g = 255;
    uint32_t b = 255;
};

// Pixels a scan converter may write: left <= x < right, top <= y < bottom. The clipper already keeps
// triangles inside, but fixed-point stepping can overshoot an edge by a fraction of a pixel.
struct RasterClip {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// Bits of the feature value 0..31 that selects a scan converter.
namespace RasterFeature
{
inline constexpr unsigned Modulate = 1;
inline constexpr unsigned VertexColor = 2;
inline constexpr unsigned AlphaBlend = 4;
inline constexpr unsigned Textured = 8;
inline constexpr unsigned Bilinear = 16;
inline constexpr unsigned Count = 32;
} // namespace RasterFeature

// Destination pixel formats, compared as whole 32-bit values.
namespace RasterFormat
{
inline constexpr uint32_t X8R8G8B8 = 0x888;
inline constexpr uint32_t R5G6B5 = 0x565;
inline constexpr uint32_t X1R5G5B5 = 0x555;
inline constexpr uint32_t A8R8G8B8 = 0x8888;
} // namespace RasterFormat

} // namespace Olvarn
