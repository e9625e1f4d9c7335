// Strip splitting, vertex checks, clipping and fixed-point conversion in front of the dispatcher.
#include "swtri/RasterizeStrip.h"

#include <algorithm>
#include <cmath>

#include "swtri/ClipTriangle.h"
#include "swtri/RasterizeTriangle.h"

namespace Olvarn
{

namespace
{

// Pixels no sane clip reaches; keeps the integer clip and its float boundaries exact.
constexpr int64_t kClipLimit = int64_t(1) << 24;
// The largest float below 2^31, so that a clamped value converts to int32 without overflow.
constexpr float kLargestFixed = 2147483520.0f;

bool IsUsable(const TriVertex& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.u) && std::isfinite(v.v) &&
           std::fabs(v.x) <= kMaxVertexCoordinate && std::fabs(v.y) <= kMaxVertexCoordinate;
}

// Huge but finite texture coordinates can come out of the clipper as NaN (their differences overflow
// float); such a vertex cannot be drawn, so it is refused rather than converted. Infinities clamp.
bool ToFixed(float value, int32_t& out)
{
    const float scaled = value * 65536.0f;
    if (std::isnan(scaled))
        return false;
    out = static_cast<int32_t>(std::clamp(scaled, -kLargestFixed, kLargestFixed));
    return true;
}

bool ToFixedVertex(const TriVertex& v, const StripTexture* texture, FixedVertex& f)
{
    f = FixedVertex();
    if (!ToFixed(v.x, f.x) || !ToFixed(v.y, f.y))
        return false;
    if (texture)
        return ToFixed(v.u * static_cast<float>(texture->mTexels.width), f.u) &&
               ToFixed(v.v * static_cast<float>(texture->mTexels.height), f.v);
    f.a = static_cast<int32_t>((v.color >> 24) << 16);
    f.r = static_cast<int32_t>(((v.color >> 16) & 0xFF) << 16);
    f.g = static_cast<int32_t>(((v.color >> 8) & 0xFF) << 16);
    f.b = static_cast<int32_t>((v.color & 0xFF) << 16);
    return true;
}

uint32_t ChannelByte(int channel)
{
    return static_cast<uint32_t>(std::clamp(channel, 0, 255));
}

int32_t ClampClip(int64_t value)
{
    return static_cast<int32_t>(std::clamp(value, -kClipLimit, kClipLimit));
}

// Everything one strip's triangles share.
struct StripContext {
    const StripTexture* mTexture = nullptr;
    unsigned mFeatures = 0;
    ScanConvertFunction mMember = nullptr;
    RasterColor mColour;
    RasterClip mClip;
    void* mDest = nullptr;
    uint32_t mPitch = 0;
};

void DrawTriangle(const StripContext& s, const TriVertex& a, const TriVertex& b, const TriVertex& c)
{
    if (!IsUsable(a) || !IsUsable(b) || !IsUsable(c))
        return;
    ClipVertexPool pool;
    ClipList polygon;
    int n = ClipTriangleToRect(&a, &b, &c, polygon, static_cast<float>(s.mClip.left), static_cast<float>(s.mClip.right),
                               static_cast<float>(s.mClip.top), static_cast<float>(s.mClip.bottom), pool);
    if (n < 3)
        return;
    FixedVertex fixed[kClipListCapacity];
    for (int i = 0; i < n; ++i)
        if (!ToFixedVertex(*polygon[i], s.mTexture, fixed[i]))
            return;
    const RasterTexture* texels = s.mTexture ? &s.mTexture->mTexels : nullptr;
    // A fan from the first vertex; its inner edges are shared, and the coverage rule draws them once.
    for (int i = 1; i + 1 < n; ++i) {
        FixedVertex triangle[3] = {fixed[0], fixed[i], fixed[i + 1]};
        s.mMember(triangle, s.mDest, s.mPitch, texels, &s.mColour, s.mClip);
    }
}

} // namespace

unsigned StripFeatures(const StripTexture* texture, const Color& colour, bool bilinear)
{
    bool textured = texture != nullptr;
    bool alphaBlend = textured && (texture->mHasAlphaOrTrans || bilinear);
    return RasterFeatures(textured, alphaBlend, !textured, colour != Color::White, bilinear);
}

void RasterizeStrip(const TriVertex* vertices, int count, const StripTexture* texture, const Color& colour,
                    const Rect& clip, void* destBits, uint32_t pitchBytes, uint32_t formatCode, bool bilinear)
{
    StripContext s;
    s.mTexture = texture;
    s.mFeatures = StripFeatures(texture, colour, bilinear);
    s.mMember = ScanConverterFor(formatCode, s.mFeatures);
    if (!s.mMember || count < 3 || !vertices || clip.mWidth <= 0 || clip.mHeight <= 0)
        return;
    s.mColour = RasterColor{ChannelByte(colour.mAlpha), ChannelByte(colour.mRed), ChannelByte(colour.mGreen),
                            ChannelByte(colour.mBlue)};
    s.mClip = RasterClip{ClampClip(clip.mX), ClampClip(clip.mY), ClampClip(int64_t(clip.mX) + clip.mWidth),
                         ClampClip(int64_t(clip.mY) + clip.mHeight)};
    s.mDest = destBits;
    s.mPitch = pitchBytes;
    for (int k = 2; k < count; ++k) {
        if (k % 2 == 0)
            DrawTriangle(s, vertices[k - 2], vertices[k - 1], vertices[k]);
        else
            DrawTriangle(s, vertices[k - 2], vertices[k], vertices[k - 1]);
    }
}

} // namespace Olvarn
