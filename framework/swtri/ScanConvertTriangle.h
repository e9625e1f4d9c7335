// The one scan-conversion skeleton every member of the family runs: vertex sort, 16.16 edge set-up
// with 2^48 reciprocals, prestep, the top-left coverage rule and attribute stepping. A member is the
// skeleton instantiated for a destination format and a feature set.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "swtri/FixedMath.h"
#include "swtri/PixelShader.h"
#include "swtri/RasterTypes.h"
#include "swtri/TexelSpan16.h"

namespace Olvarn
{

using ScanConvertFunction = void (*)(const FixedVertex* vertices, void* destBits, uint32_t pitchBytes,
                                     const RasterTexture* texture, const RasterColor* colour, const RasterClip& clip);

namespace scan
{

// Three compare-and-swaps, each only on a strictly greater y, so equal heights keep their order.
inline void SortByY(const FixedVertex*& top, const FixedVertex*& middle, const FixedVertex*& bottom)
{
    if (top->y > middle->y)
        std::swap(top, middle);
    if (middle->y > bottom->y)
        std::swap(middle, bottom);
    if (top->y > middle->y)
        std::swap(top, middle);
}

// Vertex colours times the colour record, >> 8, kept 16.16; on the triangle's own copies.
inline void ScaleVertexColour(FixedVertex& vertex, const RasterColor& colour)
{
    vertex.a = static_cast<int32_t>((static_cast<uint32_t>(vertex.a) * colour.a) >> 8);
    vertex.r = static_cast<int32_t>((static_cast<uint32_t>(vertex.r) * colour.r) >> 8);
    vertex.g = static_cast<int32_t>((static_cast<uint32_t>(vertex.g) * colour.g) >> 8);
    vertex.b = static_cast<int32_t>((static_cast<uint32_t>(vertex.b) * colour.b) >> 8);
}

// Edge and gradient state of one triangle after set-up.
template <int N> struct TriangleSetUp {
    int32_t yTop = 0;
    int32_t yMiddle = 0;
    int32_t yBottom = 0;
    bool longOnLeft = false;
    int32_t xLong = 0;
    int32_t slopeLong = 0;
    int32_t along[N > 0 ? N : 1] = {};
    int32_t dAdy[N > 0 ? N : 1] = {};
    int32_t dAdx[N > 0 ? N : 1] = {};
};

// Steps 3 to 8 of the set-up; false when the triangle covers no pixel.
template <class Layout>
bool SetUpTriangle(const FixedVertex& top, const FixedVertex& middle, const FixedVertex& bottom,
                   TriangleSetUp<Layout::kCount>& s)
{
    using namespace FixedMath;
    s.yTop = Ceil16(top.y);
    s.yMiddle = Ceil16(middle.y);
    s.yBottom = Ceil16(bottom.y);
    if (s.yTop == s.yBottom)
        return false;

    int64_t recipLong = Reciprocal(int64_t(bottom.y) - top.y);
    s.slopeLong = HighProduct(int64_t(bottom.x) - top.x, recipLong);
    for (int i = 0; i < Layout::kCount; ++i)
        s.dAdy[i] = HighProduct(int64_t(Layout::Get(bottom, i)) - Layout::Get(top, i), recipLong);

    int64_t middleDy = int64_t(middle.y) - top.y;
    int32_t xAtMiddle = WrapAdd(top.x, MulShift16(middleDy, s.slopeLong));
    if (middle.x == xAtMiddle)
        return false;
    s.longOnLeft = xAtMiddle < middle.x;

    int64_t recipWidth = Reciprocal(int64_t(middle.x) - xAtMiddle);
    for (int i = 0; i < Layout::kCount; ++i) {
        // Wraps like the 64-bit product it stands for instead of overflowing.
        int64_t atMiddle =
            Layout::Get(top, i) +
            (static_cast<int64_t>(static_cast<uint64_t>(middleDy) * static_cast<uint64_t>(int64_t(s.dAdy[i]))) >> 16);
        s.dAdx[i] = HighProduct(Layout::Get(middle, i) - atMiddle, recipWidth);
    }

    int64_t preTop = int64_t(s.yTop) * 65536 - top.y;
    s.xLong = WrapAdd(top.x, MulShift16(preTop, s.slopeLong));
    for (int i = 0; i < Layout::kCount; ++i)
        s.along[i] = WrapAdd(Layout::Get(top, i), MulShift16(preTop, s.dAdy[i]));
    return true;
}

// A triangle edge as the rows step it.
struct EdgeStep {
    int32_t x = 0;
    int32_t slope = 0;
};

template <class Format, unsigned Features> class Scanner
{
public:
    using Layout = AttributeLayout<Features>;
    using Pixel = typename Format::Pixel;
    using Shader = PixelShader<Format, Features>;
    // Nearest texels onto 16-bit pixels have a span loop of their own (the loop below is its reference).
    static constexpr bool kTexelSpan = Format::kPitchShift == 1 && Layout::kTextured && !Layout::kVertexColor &&
                                       (Features & RasterFeature::Bilinear) == 0;

    Scanner(void* destBits, uint32_t pitchBytes, const RasterTexture* texture, const RasterColor* colour,
            const RasterClip& clip)
        : mDest(static_cast<Pixel*>(destBits)), mStride(pitchBytes >> Format::kPitchShift),
          mTexture(texture ? *texture : RasterTexture{}), mColour(colour ? *colour : RasterColor{}), mClip(clip)
    {
        if constexpr (kTexelSpan) {
            const texelspan::Table& spans = texelspan::Active();
            mTexelSpan = Format::kSixBitGreen ? spans.r5g6b5 : spans.x1r5g5b5;
            // Without modulation the factors 256 keep every channel and the alpha as they are.
            constexpr bool kModulate = (Features & RasterFeature::Modulate) != 0;
            mShade = kModulate ? texelspan::SpanShade{mColour.a, mColour.r, mColour.g, mColour.b, false}
                               : texelspan::SpanShade{256, 256, 256, 256, false};
            mShade.blend = (Features & RasterFeature::AlphaBlend) != 0;
        }
    }

    void Draw(const FixedVertex& top, const FixedVertex& middle, const FixedVertex& bottom)
    {
        TriangleSetUp<Layout::kCount> s;
        if (!SetUpTriangle<Layout>(top, middle, bottom, s))
            return;
        if (s.yMiddle != s.yTop) {
            int64_t preTop = int64_t(s.yTop) * 65536 - top.y;
            EdgeStep upper = ShortEdge(top, middle, preTop);
            DrawHalf(s, upper, s.yTop, s.yMiddle);
        }
        if (s.yBottom != s.yMiddle) {
            int64_t preMiddle = int64_t(s.yMiddle) * 65536 - middle.y;
            EdgeStep lower = ShortEdge(middle, bottom, preMiddle);
            DrawHalf(s, lower, s.yMiddle, s.yBottom);
        }
    }

private:
    static EdgeStep ShortEdge(const FixedVertex& from, const FixedVertex& to, int64_t prestep)
    {
        using namespace FixedMath;
        EdgeStep e;
        e.slope = HighProduct(int64_t(to.x) - from.x, Reciprocal(int64_t(to.y) - from.y));
        e.x = WrapAdd(from.x, MulShift16(prestep, e.slope));
        return e;
    }

    // Rows first..end-1; the long edge and its attributes carry on into the next half. Rows outside the
    // clip are stepped over in one multiplication each, which wraps exactly as row-by-row additions do.
    void DrawHalf(TriangleSetUp<Layout::kCount>& s, EdgeStep& shortEdge, int32_t first, int32_t end)
    {
        using FixedMath::WrapAddSteps;
        int32_t drawFirst = std::max(first, mClip.top);
        int32_t drawEnd = std::min(end, mClip.bottom);
        if (drawFirst >= drawEnd) {
            Advance(s, shortEdge, end - first);
            return;
        }
        Advance(s, shortEdge, drawFirst - first);
        for (int32_t y = drawFirst; y < drawEnd; ++y) {
            if (s.longOnLeft)
                DrawSpan(s, y, s.xLong, shortEdge.x);
            else
                DrawSpan(s, y, shortEdge.x, s.xLong);
            Advance(s, shortEdge, 1);
        }
        Advance(s, shortEdge, end - drawEnd);
    }

    static void Advance(TriangleSetUp<Layout::kCount>& s, EdgeStep& shortEdge, int32_t rows)
    {
        using FixedMath::WrapAddSteps;
        if (rows <= 0)
            return;
        s.xLong = WrapAddSteps(s.xLong, s.slopeLong, rows);
        shortEdge.x = WrapAddSteps(shortEdge.x, shortEdge.slope, rows);
        for (int i = 0; i < Layout::kCount; ++i)
            s.along[i] = WrapAddSteps(s.along[i], s.dAdy[i], rows);
    }

    // Pixels from the ceiling of the left end up to, not including, the ceiling of the right end.
    void DrawSpan(const TriangleSetUp<Layout::kCount>& s, int32_t y, int32_t xLeft, int32_t xRight)
    {
        int64_t first = (int64_t(xLeft) + 0xFFFF) >> 16;
        int64_t end = (int64_t(xRight) + 0xFFFF) >> 16;
        first = std::max<int64_t>(first, mClip.left);
        end = std::min<int64_t>(end, mClip.right);
        if (end <= first)
            return;

        // Attributes at the first pixel come from the long edge, whichever side it is on.
        int32_t at[Layout::kCount > 0 ? Layout::kCount : 1];
        int64_t fromLong = first * 65536 - s.xLong;
        for (int i = 0; i < Layout::kCount; ++i)
            at[i] = FixedMath::WrapAdd(s.along[i], FixedMath::MulShift16(fromLong, s.dAdx[i]));

        Pixel* p = mDest + static_cast<ptrdiff_t>(y) * mStride + first;
        if constexpr (kTexelSpan) {
            if (mTexelSpan) {
                const texelspan::TexelWalk walk{at[Layout::kU], at[Layout::kV], s.dAdx[Layout::kU], s.dAdx[Layout::kV]};
                mTexelSpan(p, static_cast<int>(end - first), walk, mTexture, mShade);
                return;
            }
        }
        Pixel* stop = p + (end - first);
        for (; p != stop; ++p) {
            Shader::Shade(p, at, mTexture, mColour);
            for (int i = 0; i < Layout::kCount; ++i)
                at[i] = FixedMath::WrapAdd(at[i], s.dAdx[i]);
        }
    }

    Pixel* mDest;
    ptrdiff_t mStride;
    // Copies: members that read neither may be given none.
    RasterTexture mTexture;
    RasterColor mColour;
    RasterClip mClip;
    texelspan::SpanFunction mTexelSpan = nullptr;
    texelspan::SpanShade mShade{};
};

} // namespace scan

// One member of the family: a triangle of three FixedVertex, in any order and either winding.
template <class Format, unsigned Features>
void ScanConvertTriangle(const FixedVertex* vertices, void* destBits, uint32_t pitchBytes, const RasterTexture* texture,
                         const RasterColor* colour, const RasterClip& clip)
{
    const FixedVertex* top = &vertices[0];
    const FixedVertex* middle = &vertices[1];
    const FixedVertex* bottom = &vertices[2];
    scan::SortByY(top, middle, bottom);
    scan::Scanner<Format, Features> scanner(destBits, pitchBytes, texture, colour, clip);
    constexpr bool kScalesVertices =
        (Features & RasterFeature::VertexColor) != 0 && (Features & RasterFeature::Modulate) != 0;
    if constexpr (kScalesVertices) {
        FixedVertex scaled[3] = {*top, *middle, *bottom};
        for (FixedVertex& vertex : scaled)
            scan::ScaleVertexColour(vertex, colour ? *colour : RasterColor{});
        scanner.Draw(scaled[0], scaled[1], scaled[2]);
    } else {
        scanner.Draw(*top, *middle, *bottom);
    }
}

// The member for feature values that are neither textured nor vertex-coloured: it writes nothing.
inline void ScanConvertNothing(const FixedVertex*, void*, uint32_t, const RasterTexture*, const RasterColor*,
                               const RasterClip&)
{
}

} // namespace Olvarn
