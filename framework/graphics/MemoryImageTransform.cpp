// Float-positioned, rotated and stretched software blits of MemoryImage: a bilinear filter stepped in
// 16.16 fixed point for rotation, nearest-pixel or separable box-and-linear resampling for stretching.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "graphics/MemoryImage.h"
#include "graphics/PixelOps.h"

namespace Olvarn
{

using namespace pixel;

namespace
{

constexpr double kBoxLimit = 10000000.0;
// Row start positions in 16.16 beyond this cannot reach a source and would not fit 64 bits.
constexpr double kMaxFixed = 1e15;
// 16.16 source positions must fit an int; larger sources cannot be rotated.
constexpr int kMaxRotatedSourceSize = 32767;

Rect ClipWithImage(const Rect& clip, int width, int height)
{
    return clip.Intersection(Rect(0, 0, width, height));
}

FRect ToFRect(const Rect& r)
{
    return FRect(r.mX, r.mY, r.mWidth, r.mHeight);
}

// Applies a source pixel (already filtered or resampled) to a destination pixel the way a fixed-position
// blit would: used for the colours and modes the transformed paths have no formula of their own for.
struct BlitComposer {
    BlitComposer(const Color& color, int drawMode, const unsigned char* sat, bool hasAlpha)
        : white(IsWhite(color)), additive(drawMode != 0), k(color), add(color, hasAlpha, sat)
    {
    }

    void operator()(uint32_t p, uint32_t& d) const
    {
        if (!additive)
            ComposeOver(p, d, white, k);
        else if (A(p) != 0) // fully transparent pixels add nothing
            add(p, d);
    }

    bool white, additive;
    Channels k;
    AdditiveTint add;
};

// The span of a row, in destination pixels, whose four filter taps all lie inside the source rectangle.
// Works in 64 bits so that far-away rows cannot overflow; within the span every value fits 16.16.
bool NarrowSpan(long long u, long long du, long long size, long long& first, long long& last)
{
    const long long one = 65536;
    if (du > 0) {
        if ((u >> 16) >= size - 1)
            return false;
        first = std::max(first, (one - u) / du);
        last = std::min(last, (size * one - u - 0x17FFF) / du);
    } else if (du < 0) {
        if ((u >> 16) < 0)
            return false;
        first = std::max(first, (size * one - u - 0x27FFF) / du);
        last = std::min(last, (0x7FFF - u) / du);
    } else if (u < 0 || u >= (size - 1) * one) {
        return false;
    }
    return true;
}

// The v axis ends its negative steps without the u axis's margin.
bool NarrowSpanV(long long v, long long dv, long long size, long long& first, long long& last)
{
    if (dv < 0) {
        if ((v >> 16) < 0)
            return false;
        first = std::max(first, (size * 65536 - v - 0x27FFF) / dv);
        last = std::min(last, -(v / dv));
        return true;
    }
    return NarrowSpan(v, dv, size, first, last);
}

struct RotationSetup {
    double cosA, sinA;
    int du, dv;
};

} // namespace

bool MemoryImage::GetRotationBox(const Rect& s, float x, float y, double angle, float centerX, float centerY,
                                 const Rect& clip, FRect& box)
{
    if (!std::isfinite(angle) || !std::isfinite(x) || !std::isfinite(y) || !std::isfinite(centerX) ||
        !std::isfinite(centerY))
        return false;
    double c = std::cos(angle), sn = std::sin(angle);
    const double corners[4][2] = {
        {0, 0}, {double(s.mWidth), 0}, {double(s.mWidth), double(s.mHeight)}, {0, double(s.mHeight)}};
    double minX = kBoxLimit, minY = kBoxLimit, maxX = -kBoxLimit, maxY = -kBoxLimit;
    for (const auto& p : corners) {
        double px = p[0] - centerX, py = p[1] - centerY;
        double X = std::clamp(x + centerX + px * c + py * sn, -kBoxLimit, kBoxLimit);
        double Y = std::clamp(y + centerY - px * sn + py * c, -kBoxLimit, kBoxLimit);
        minX = std::min(minX, X), maxX = std::max(maxX, X);
        minY = std::min(minY, Y), maxY = std::max(maxY, Y);
    }
    box = FRect(minX, minY, maxX - minX, maxY - minY).Intersection(ToFRect(clip));
    return box.mWidth > 0 && box.mHeight > 0;
}

void MemoryImage::BlitImageAtFloat(Image* src, float x, float y, const Rect& srcRect, const Rect& clip,
                                   const Color& color, DrawMode mode)
{
    BlitImageRotated(src, x, y, srcRect, clip, color, mode, 0.0, 0.0f, 0.0f);
}

void MemoryImage::BlitImageRotated(Image* src, float x, float y, const Rect& srcRect, const Rect& clip,
                                   const Color& color, DrawMode mode, double angle, float centerX, float centerY)
{
    auto* source = dynamic_cast<MemoryImage*>(src);
    if (!source)
        return;
    // The filter reads the whole rectangle; one that leaves the source has nothing defined to read.
    if (srcRect.mX < 0 || srcRect.mY < 0 || srcRect.mWidth <= 0 || srcRect.mHeight <= 0 ||
        srcRect.mWidth > kMaxRotatedSourceSize || srcRect.mHeight > kMaxRotatedSourceSize ||
        srcRect.mX + srcRect.mWidth > source->mWidth || srcRect.mY + srcRect.mHeight > source->mHeight)
        return;
    FRect box;
    if (!GetRotationBox(srcRect, x, y, angle, centerX, centerY, ClipWithImage(clip, mWidth, mHeight), box))
        return;
    GetBits();
    source->CommitBits();
    BlitRotatedRows(source, box, x, y, srcRect, color, mode, angle, centerX, centerY);
    BitsChanged();
}

namespace
{

// One destination pixel of the rotated draw from its four taps.
template <typename Pixels> struct RotatedPixel {
    Pixels pixels;
    int stride;
    bool white;
    bool additive;
    Channels k;
    const unsigned char* sat;
    uint32_t vr, vg, vb;

    void operator()(int base, uint32_t u, uint32_t v, uint32_t& d) const
    {
        uint32_t taps[4] = {pixels[base], pixels[base + 1], pixels[base + stride], pixels[base + stride + 1]};
        // Wholly transparent neighbourhoods cover nothing; a sprite's surroundings are mostly that.
        if (((taps[0] | taps[1] | taps[2] | taps[3]) >> 24) == 0)
            return;
        uint32_t fx = (u & 0xFFFE) + 1, fy = (v & 0xFFFE) + 1;
        uint32_t ifx = 65536 - fx, ify = 65536 - fy;
        uint32_t areas[4] = {(ifx * ify) >> 16, (fx * ify) >> 16, (ifx * fy) >> 16, (fx * fy) >> 16};
        uint32_t total = 0, sr = 0, sg = 0, sb = 0;
        for (int i = 0; i < 4; ++i) {
            uint32_t cov = (areas[i] * A(taps[i])) >> 16;
            // A tint weighs the coverage by its alpha, as the surface path does.
            if (!white && !additive)
                cov = (cov * k.a) >> 8;
            total += cov;
            sr += R(taps[i]) * cov;
            sg += G(taps[i]) * cov;
            sb += B(taps[i]) * cov;
        }
        if (total == 0)
            return;
        if (additive)
            Add(sr, sg, sb, d);
        else if (white)
            Blend(total, sr, sg, sb, d);
        else
            Blend(total, (sr >> 8) * (k.r + 1), (sg >> 8) * (k.g + 1), (sb >> 8) * (k.b + 1), d);
    }

    void Blend(uint32_t total, uint32_t sr, uint32_t sg, uint32_t sb, uint32_t& d) const
    {
        if (total > 250) {
            d = Pack(255, std::min(sr >> 8, 255u), std::min(sg >> 8, 255u), std::min(sb >> 8, 255u));
            return;
        }
        uint32_t da = A(d);
        uint32_t inv = 256 - total;
        uint32_t outA = 256 - (((256 - da) * inv) >> 8);
        auto mix = [&](uint32_t dc, uint32_t sum) {
            return std::min((((dc * da) >> 8) * inv + (sum >> 8) * 256) / outA, 255u);
        };
        d = Pack(outA - 1, mix(R(d), sr), mix(G(d), sg), mix(B(d), sb));
    }

    void Add(uint32_t sr, uint32_t sg, uint32_t sb, uint32_t& d) const
    {
        uint32_t ar = sr >> 8, ag = sg >> 8, ab = sb >> 8;
        if (!white) {
            ar = (ar * vr) >> 8;
            ag = (ag * vg) >> 8;
            ab = (ab * vb) >> 8;
        }
        ar = std::min(ar, 255u), ag = std::min(ag, 255u), ab = std::min(ab, 255u);
        d = (d & 0xFF000000u) | (uint32_t(sat[R(d) + ar]) << 16) | (uint32_t(sat[G(d) + ag]) << 8) | sat[B(d) + ab];
    }
};

} // namespace

void MemoryImage::BlitRotatedRows(MemoryImage* src, const FRect& box, float x, float y, const Rect& s,
                                  const Color& color, DrawMode mode, double angle, float cx, float cy)
{
    double cosA = std::cos(angle), sinA = std::sin(angle);
    long long du = static_cast<long long>(cosA * 65536), dv = static_cast<long long>(sinA * 65536);
    int x0 = static_cast<int>(box.mX), y0 = static_cast<int>(box.mY);
    long long e = static_cast<long long>(box.mWidth - 1.0);
    const unsigned char* sat = SaturationTable();
    Channels k(color);
    bool white = IsWhite(color);
    uint32_t* dest = mBits.get();

    WithSourcePixels(src, [&](auto pixels) {
        RotatedPixel<decltype(pixels)> draw{pixels,
                                            src->mWidth,
                                            white,
                                            mode != Graphics::DRAWMODE_NORMAL,
                                            k,
                                            sat,
                                            uint32_t(k.r * k.a / 255),
                                            uint32_t(k.g * k.a / 255),
                                            uint32_t(k.b * k.a / 255)};
        for (int count = 0; count < box.mHeight; ++count) {
            int row = y0 + count;
            double dx0 = double(x0) - double(cx) - double(x), dy = double(row) - double(cy) - double(y);
            double uStart = (dx0 * cosA - dy * sinA + cx) * 65536, vStart = (dx0 * sinA + dy * cosA + cy) * 65536;
            // A centre or position beyond any picture puts the row nowhere near the source.
            if (!(std::fabs(uStart) < kMaxFixed && std::fabs(vStart) < kMaxFixed))
                continue;
            long long u = static_cast<long long>(uStart), v = static_cast<long long>(vStart);
            long long first = 0, last = e;
            if (!NarrowSpan(u, du, s.mWidth, first, last) || !NarrowSpanV(v, dv, s.mHeight, first, last) ||
                first > last)
                continue;
            u += first * du;
            v += first * dv;
            uint32_t* d = dest + static_cast<size_t>(row) * mWidth + x0;
            for (long long col = first; col <= last; ++col, u += du, v += dv) {
                int base = (s.mY + static_cast<int>(v >> 16)) * src->mWidth + s.mX + static_cast<int>(u >> 16);
                draw(base, static_cast<uint32_t>(u), static_cast<uint32_t>(v), d[col]);
            }
        }
    });
}

bool MemoryImage::GetStretchMapping(const Rect& s, const Rect& d, const Rect& clip, Rect& clipped, FRect& part)
{
    if (d.mWidth <= 0 || d.mHeight <= 0)
        return false;
    clipped = d.Intersection(clip);
    if (clipped.mWidth <= 0 || clipped.mHeight <= 0)
        return false;
    double fx = double(s.mWidth) / d.mWidth, fy = double(s.mHeight) / d.mHeight;
    part = FRect(s.mX + (double(clipped.mX) - d.mX) * fx, s.mY + (double(clipped.mY) - d.mY) * fy,
                 s.mWidth + (clipped.mWidth - d.mWidth) * fx, s.mHeight + (clipped.mHeight - d.mHeight) * fy);
    return part.mWidth > 0 && part.mHeight > 0;
}

void MemoryImage::BlitImageScaled(Image* src, const Rect& destRect, const Rect& srcRect, const Rect& clip,
                                  const Color& color, DrawMode mode, bool fastScaling)
{
    auto* source = dynamic_cast<MemoryImage*>(src);
    if (!source || source->PixelCount() == 0)
        return;
    Rect dest;
    FRect part;
    if (!GetStretchMapping(srcRect, destRect, ClipWithImage(clip, mWidth, mHeight), dest, part))
        return;
    GetBits();
    source->CommitBits();
    if (fastScaling)
        BlitScaledFast(source, dest, part, color, mode);
    else
        BlitScaledSmooth(source, dest, part, color, mode);
    BitsChanged();
}

void MemoryImage::BlitScaledFast(MemoryImage* src, const Rect& dest, const FRect& part, const Color& color,
                                 DrawMode mode)
{
    BlitComposer compose(color, mode, SaturationTable(), src->mHasAlpha);
    double stepY = part.mHeight / dest.mHeight, stepX = part.mWidth / dest.mWidth;
    int maxX = src->mWidth - 1, maxY = src->mHeight - 1;
    WithSourcePixels(src, [&](auto pixels) {
        double sy = part.mY;
        for (int row = 0; row < dest.mHeight; ++row, sy += stepY) {
            // Sampling stays on the source even when the rectangle asked for runs off it.
            int srcRow = static_cast<int>(std::clamp(sy, 0.0, double(maxY))) * src->mWidth;
            uint32_t* d = mBits.get() + static_cast<size_t>(dest.mY + row) * mWidth + dest.mX;
            double sx = part.mX;
            for (int col = 0; col < dest.mWidth; ++col, sx += stepX)
                compose(pixels[srcRow + static_cast<int>(std::clamp(sx, 0.0, double(maxX)))], d[col]);
        }
    });
}

namespace
{

// Four channel accumulators per buffer cell: blue, green, red, alpha.
struct Accum {
    int c[4] = {0, 0, 0, 0};
    void Add(int weight, uint32_t p)
    {
        c[0] += weight * static_cast<int>(B(p));
        c[1] += weight * static_cast<int>(G(p));
        c[2] += weight * static_cast<int>(R(p));
        c[3] += weight * static_cast<int>(A(p));
    }
    void Add(int weight, const Accum& o)
    {
        for (int i = 0; i < 4; ++i)
            c[i] += weight * o.c[i];
    }
};

// Weights of one resampling direction: which input cells feed each output cell and how strongly.
// Output index -1 and count are the spare cells that take the shares falling off either end.
struct Tap {
    int out;
    int in;
    int weight;
};

std::vector<Tap> ShrinkTaps(int outCount, double start, double size, int inCount, int areaStart, int unit)
{
    std::vector<Tap> taps;
    double g = outCount / size;
    for (int i = 0; i < inCount; ++i) {
        double t = g * (areaStart - start) + g * i;
        double ft = std::floor(t), ftg = std::floor(t + g);
        int lo = std::clamp(static_cast<int>(ft), -1, outCount);
        if (ft == ftg) {
            taps.push_back({lo, i, static_cast<int>(g * unit)});
        } else {
            int hi = std::clamp(static_cast<int>(ftg), -1, outCount);
            taps.push_back({lo, i, static_cast<int>((ftg - t) * unit)});
            taps.push_back({hi, i, static_cast<int>((t + g - ftg) * unit)});
        }
    }
    return taps;
}

// Enlarging: output j samples position q between two inputs; both taps stay inside the area.
std::vector<Tap> EnlargeTaps(int outCount, double start, double size, int inCount, int unit)
{
    std::vector<Tap> taps;
    double step = outCount > 1 ? (size - 1) / (outCount - 1) : 0.0;
    for (int j = 0; j < outCount; ++j) {
        double q = start + j * step;
        double fq = std::floor(q);
        int w = static_cast<int>((1 - (q - fq)) * unit);
        int a = std::clamp(static_cast<int>(fq), 0, inCount - 1);
        int b = std::clamp(static_cast<int>(fq) + 1, 0, inCount - 1);
        taps.push_back({j, a, w});
        taps.push_back({j, b, unit - w});
    }
    return taps;
}

} // namespace

void MemoryImage::BlitScaledSmooth(MemoryImage* src, const Rect& dest, const FRect& part, const Color& color,
                                   DrawMode mode)
{
    double sx = part.mX, sy = part.mY, sw = part.mWidth, sh = part.mHeight;
    if (!Representable(sx) || !Representable(sy) || !Representable(sw) || !Representable(sh))
        return;
    // 1. The source area read.
    int ix = std::max(0, static_cast<int>(std::floor(sx)));
    int iy = std::max(0, static_cast<int>(std::floor(sy)));
    int n = std::min(static_cast<int>(std::ceil(sx - ix + sw)), src->mWidth - ix);
    int r = std::min(static_cast<int>(std::ceil(sy - iy + sh)), src->mHeight - iy);
    if (n < 1 || r < 1)
        return;
    int tw = dest.mWidth, th = dest.mHeight;

    // 2. Horizontal pass: each area row into tw columns plus a spare at each end.
    std::vector<Tap> hTaps = tw <= sw ? ShrinkTaps(tw, sx, sw, n, ix, 257) : EnlargeTaps(tw, sx - ix, sw, n, 257);
    std::vector<Accum> horiz(static_cast<size_t>(r) * (tw + 2));
    WithSourcePixels(src, [&](auto pixels) {
        for (int row = 0; row < r; ++row) {
            int base = (iy + row) * src->mWidth + ix;
            Accum* out = &horiz[static_cast<size_t>(row) * (tw + 2) + 1];
            for (const Tap& t : hTaps)
                out[t.out].Add(t.weight, pixels[base + t.in]);
        }
    });

    // 3. Vertical pass into th rows plus spares.
    std::vector<Tap> vTaps = th <= sh ? ShrinkTaps(th, sy, sh, r, iy, 256) : EnlargeTaps(th, sy - iy, sh, r, 256);
    std::vector<Accum> vert(static_cast<size_t>(th + 2) * tw);
    for (const Tap& t : vTaps) {
        Accum* out = &vert[static_cast<size_t>(t.out + 1) * tw];
        const Accum* in = &horiz[static_cast<size_t>(t.in) * (tw + 2) + 1];
        for (int col = 0; col < tw; ++col)
            out[col].Add(t.weight, in[col]);
    }

    // 4 and 5. Resampled pixels composed over the destination.
    bool plain = IsWhite(color) && mode == Graphics::DRAWMODE_NORMAL;
    // Resampling gives partial alpha wherever the source had transparent pixels.
    BlitComposer compose(color, mode, SaturationTable(), src->mHasAlpha || src->mHasTrans);
    for (int row = 0; row < th; ++row) {
        const Accum* in = &vert[static_cast<size_t>(row + 1) * tw];
        uint32_t* d = mBits.get() + static_cast<size_t>(dest.mY + row) * mWidth + dest.mX;
        for (int col = 0; col < tw; ++col) {
            auto channel = [&](int i) { return std::clamp(in[col].c[i] >> 16, 0, 255); };
            uint32_t a = channel(3);
            if (a == 0)
                continue;
            uint32_t p = Pack(a, channel(2), channel(1), channel(0));
            if (!plain) {
                compose(p, d[col]);
                continue;
            }
            uint32_t q = d[col], da = A(q);
            uint32_t outA = da + (255 - da) * a / 255;
            uint32_t w = a * 255 / outA, nw = 256 - w;
            d[col] = Pack(outA, ((R(q) * nw) >> 8) + ((R(p) * w) >> 8), ((G(q) * nw) >> 8) + ((G(p) * w) >> 8),
                          ((B(q) * nw) >> 8) + ((B(p) * w) >> 8));
        }
    }
}

} // namespace Olvarn
