// The triangle dispatcher: turns the feature flags and the destination format code into one
// member of the scan-converter family and calls it.
#pragma once

#include <cstdint>

#include "swtri/RasterTypes.h"
#include "swtri/ScanConvertTriangle.h"

namespace Olvarn
{

// Feature value 0..31 of the five flags.
constexpr unsigned RasterFeatures(bool textured, bool alphaBlend, bool vertexColor, bool modulate, bool bilinear)
{
    return (textured ? RasterFeature::Textured : 0u) | (alphaBlend ? RasterFeature::AlphaBlend : 0u) |
           (vertexColor ? RasterFeature::VertexColor : 0u) | (modulate ? RasterFeature::Modulate : 0u) |
           (bilinear ? RasterFeature::Bilinear : 0u);
}

// The member for a format and feature value; null for a format code other than the four.
ScanConvertFunction ScanConverterFor(uint32_t formatCode, unsigned features);

// Draws one triangle; writes only pixels inside clip. Any other format code draws nothing.
void RasterizeTriangle(bool textured, bool alphaBlend, bool vertexColor, bool modulate, const FixedVertex* vertices,
                       void* destBits, uint32_t pitchBytes, const RasterTexture* texture, const RasterColor* colour,
                       uint32_t formatCode, bool bilinear, const RasterClip& clip);

} // namespace Olvarn
