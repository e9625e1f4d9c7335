// The dispatch tables: 32 feature values per destination format, each leading to one
// instantiation of the scan-conversion skeleton.
#include "swtri/RasterizeTriangle.h"

#include <array>
#include <utility>

#include "swtri/PixelFormat16.h"
#include "swtri/PixelFormat32.h"

namespace Olvarn
{

namespace
{

using FeatureTable = std::array<ScanConvertFunction, RasterFeature::Count>;

// Two members are shared across the 32-bit formats: a plain textured store writes the texel whole,
// alpha byte included, and a plain bilinear store the fetched value whole, into either format.
template <class Format, unsigned Features> struct MemberFormat {
    using type = Format;
};
template <> struct MemberFormat<FormatA8R8G8B8, RasterFeature::Textured> {
    using type = FormatX8R8G8B8;
};
template <> struct MemberFormat<FormatX8R8G8B8, RasterFeature::Textured | RasterFeature::Bilinear> {
    using type = FormatA8R8G8B8;
};

template <class Format, unsigned Features> constexpr ScanConvertFunction Member()
{
    constexpr bool kTextured = (Features & RasterFeature::Textured) != 0;
    constexpr bool kVertexColor = (Features & RasterFeature::VertexColor) != 0;
    if constexpr (!kTextured && !kVertexColor) {
        return &ScanConvertNothing;
    } else if constexpr (!kTextured) {
        // Without a texture, blending and filtering change nothing.
        constexpr unsigned kUsed = Features & (RasterFeature::VertexColor | RasterFeature::Modulate);
        return &ScanConvertTriangle<Format, kUsed>;
    } else {
        return &ScanConvertTriangle<typename MemberFormat<Format, Features>::type, Features>;
    }
}

template <class Format, size_t... Features> constexpr FeatureTable MakeTable(std::index_sequence<Features...>)
{
    return FeatureTable{Member<Format, Features>()...};
}

template <class Format> constexpr FeatureTable MakeTable()
{
    return MakeTable<Format>(std::make_index_sequence<RasterFeature::Count>());
}

constexpr FeatureTable kX8R8G8B8 = MakeTable<FormatX8R8G8B8>();
constexpr FeatureTable kR5G6B5 = MakeTable<FormatR5G6B5>();
constexpr FeatureTable kX1R5G5B5 = MakeTable<FormatX1R5G5B5>();
constexpr FeatureTable kA8R8G8B8 = MakeTable<FormatA8R8G8B8>();

const FeatureTable* TableFor(uint32_t formatCode)
{
    switch (formatCode) {
    case RasterFormat::X8R8G8B8:
        return &kX8R8G8B8;
    case RasterFormat::R5G6B5:
        return &kR5G6B5;
    case RasterFormat::X1R5G5B5:
        return &kX1R5G5B5;
    case RasterFormat::A8R8G8B8:
        return &kA8R8G8B8;
    default:
        return nullptr;
    }
}

} // namespace

ScanConvertFunction ScanConverterFor(uint32_t formatCode, unsigned features)
{
    const FeatureTable* table = TableFor(formatCode);
    if (!table || features >= RasterFeature::Count)
        return nullptr;
    return (*table)[features];
}

void RasterizeTriangle(bool textured, bool alphaBlend, bool vertexColor, bool modulate, const FixedVertex* vertices,
                       void* destBits, uint32_t pitchBytes, const RasterTexture* texture, const RasterColor* colour,
                       uint32_t formatCode, bool bilinear, const RasterClip& clip)
{
    ScanConvertFunction member =
        ScanConverterFor(formatCode, RasterFeatures(textured, alphaBlend, vertexColor, modulate, bilinear));
    if (member)
        member(vertices, destBits, pitchBytes, texture, colour, clip);
}

} // namespace Olvarn
