// Software fills, lines and fixed-position blits of MemoryImage on 32-bit ARGB pixels.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>

#include "graphics/GraphicsHost.h"
#include "graphics/MemoryImage.h"
#include "graphics/PixelKernels.h"
#include "graphics/PixelOps.h"

namespace Olvarn
{

using namespace pixel;

namespace
{

// Runs of compose-over shorter than this are composed inline rather than by the row kernel.
constexpr int kShortRun = 8;
// Sprites up to this wide are blended a whole row at a time.
constexpr int kNarrowSprite = 64;

// Used when the image belongs to no application; the same contents as the application's table.
struct LocalSaturationTable {
    constexpr LocalSaturationTable() : entries()
    {
        for (int i = 0; i < 512; ++i)
            entries[i] = static_cast<unsigned char>(i < 255 ? i : 255);
    }
    unsigned char entries[512];
};
constexpr LocalSaturationTable kLocalSaturation;

// Cuts a rectangle to the image, so that a careless caller cannot write outside the pixels.
Rect ClipToImage(const Rect& r, int width, int height)
{
    return r.Intersection(Rect(0, 0, width, height));
}

// Cuts a fixed-position blit to both the source's and the destination's pixels, moving the position
// with the cut. False when nothing is left.
bool ClipBlit(int destWidth, int destHeight, int srcWidth, int srcHeight, int& x, int& y, Rect& srcRect)
{
    long long sx = srcRect.mX, sy = srcRect.mY, w = srcRect.mWidth, h = srcRect.mHeight;
    long long dx = x, dy = y;
    auto cut = [](long long& s, long long& d, long long& len, long long srcLimit, long long destLimit) {
        long long skip = std::max({0LL, -s, -d});
        s += skip;
        d += skip;
        len -= skip;
        len = std::min({len, srcLimit - s, destLimit - d});
    };
    cut(sx, dx, w, srcWidth, destWidth);
    cut(sy, dy, h, srcHeight, destHeight);
    if (w <= 0 || h <= 0)
        return false;
    x = static_cast<int>(dx);
    y = static_cast<int>(dy);
    srcRect = Rect(static_cast<int>(sx), static_cast<int>(sy), static_cast<int>(w), static_cast<int>(h));
    return true;
}

// The standard saturation table: additions clamp at 255, which the vector kernels do themselves.
bool IsPlainSaturation(const unsigned char* sat)
{
    return sat == kLocalSaturation.entries || std::memcmp(sat, kLocalSaturation.entries, 512) == 0;
}

} // namespace

const unsigned char* MemoryImage::SaturationTable() const
{
    return mApp ? mApp->GetSaturationTable() : kLocalSaturation.entries;
}

void MemoryImage::FillRect(const Rect& rect, const Color& color, DrawMode mode)
{
    uint32_t* bits = GetBits();
    Rect r = ClipToImage(rect, mWidth, mHeight);
    Channels k(color);
    // Alpha 0 changes nothing, and over a transparent pixel its weight would divide by zero.
    if (k.a == 255) {
        uint32_t packed = color.ToInt();
        for (int y = r.mY; y < r.mY + r.mHeight; ++y)
            std::fill_n(bits + static_cast<size_t>(y) * mWidth + r.mX, r.mWidth, packed);
    } else if (k.a != 0) {
        const kernels::FillColor fill{k.r, k.g, k.b, k.a};
        const auto fillRow = kernels::Active().fillTranslucent;
        for (int y = r.mY; y < r.mY + r.mHeight; ++y)
            fillRow(bits + static_cast<size_t>(y) * mWidth + r.mX, r.mWidth, fill);
    }
    BitsChanged();
}

void MemoryImage::ClearRect(const Rect& rect)
{
    uint32_t* bits = GetBits();
    Rect r = ClipToImage(rect, mWidth, mHeight);
    for (int y = r.mY; y < r.mY + r.mHeight; ++y)
        std::fill_n(bits + static_cast<size_t>(y) * mWidth + r.mX, r.mWidth, 0u);
    BitsChanged();
}

void MemoryImage::DrawLine(double x1, double y1, double x2, double y2, const Color& color, DrawMode mode)
{
    // Beyond this the line cannot be stepped in ints; such coordinates are a caller's fault.
    if (!Representable(x1) || !Representable(y1) || !Representable(x2) || !Representable(y2))
        return;
    if (y1 == y2) {
        int x = static_cast<int>(std::min(x1, x2));
        FillRect(Rect(x, static_cast<int>(y1), static_cast<int>(std::max(x1, x2)) - x + 1, 1), color, mode);
    } else if (x1 == x2) {
        int y = static_cast<int>(std::min(y1, y2));
        FillRect(Rect(static_cast<int>(x1), y, 1, static_cast<int>(std::max(y1, y2)) - y + 1), color, mode);
    } else if (mode == Graphics::DRAWMODE_NORMAL || mode == Graphics::DRAWMODE_ADDITIVE) {
        DrawSteppedLine(x1, y1, x2, y2, color, mode);
        BitsChanged();
    }
}

void MemoryImage::DrawSteppedLine(double x1, double y1, double x2, double y2, const Color& color, DrawMode mode)
{
    uint32_t* bits = GetBits();
    const unsigned char* sat = SaturationTable();
    Channels k(color);
    bool additive = mode == Graphics::DRAWMODE_ADDITIVE;
    int vr = k.r * k.a / 255, vg = k.g * k.a / 255, vb = k.b * k.a / 255;
    double minX = std::min(x1, x2), maxX = std::max(x1, x2), minY = std::min(y1, y2), maxY = std::max(y1, y2);

    auto plot = [&](int px, int py) {
        if (px < 0 || py < 0 || px >= mWidth || py >= mHeight)
            return;
        uint32_t& d = bits[static_cast<size_t>(py) * mWidth + px];
        if (additive) {
            d = Pack(255, sat[R(d) + vr], sat[G(d) + vg], sat[B(d) + vb]);
        } else if (k.a == 255) {
            d = Pack(255, (k.r * 255 + 127) >> 8, (k.g * 255 + 127) >> 8, (k.b * 255 + 127) >> 8);
        } else {
            auto mix = [&](int kc, uint32_t dc) {
                return ((((kc * k.a + 128) >> 8) * 255 + 127) >> 8) + ((dc * (256 - k.a) + 127) >> 8);
            };
            d = Pack(255, mix(k.r, R(d)), mix(k.g, G(d)), mix(k.b, B(d)));
        }
    };

    double dx = x2 - x1, dy = y2 - y1;
    bool majorX = std::fabs(dx) > std::fabs(dy);
    // Work in (major, minor) coordinates with the major coordinate growing.
    double sMaj = majorX ? x1 : y1, sMin = majorX ? y1 : x1, eMaj = majorX ? x2 : y2, eMin = majorX ? y2 : x2;
    if (eMaj < sMaj) {
        std::swap(sMaj, eMaj);
        std::swap(sMin, eMin);
    }
    double minorDiff = eMin - sMin;
    int dir = minorDiff < 0 ? -1 : 1;
    double m = std::fabs(minorDiff), M = eMaj - sMaj;
    int O = static_cast<int>(2 * m);
    int P = static_cast<int>(2 * (m - M));
    int first = static_cast<int>(2 * m - M);
    double f = sMin - std::trunc(sMin);
    int e = additive ? first : static_cast<int>(f * O + first);

    int maj = static_cast<int>(sMaj), mnr = static_cast<int>(sMin);
    auto plotMajor = [&](int a, int b) { majorX ? plot(a, b) : plot(b, a); };
    plotMajor(maj, mnr);
    for (int pos = static_cast<int>(sMaj + 1); pos <= eMaj; ++pos) {
        if (e <= 0) {
            e += O;
        } else {
            mnr += dir;
            e += P;
            double px = majorX ? pos : mnr, py = majorX ? mnr : pos;
            if (px < minX || px > maxX || py < minY || py > maxY)
                return;
        }
        plotMajor(pos, mnr);
    }
}

void MemoryImage::BlitImage(Image* src, int x, int y, const Rect& srcRect, const Color& color, DrawMode mode)
{
    auto* source = dynamic_cast<MemoryImage*>(src);
    if (!source)
        return;
    if (mode != Graphics::DRAWMODE_NORMAL && mode != Graphics::DRAWMODE_ADDITIVE)
        return;
    GetBits();
    source->CommitBits();
    Rect s = srcRect;
    if (ClipBlit(mWidth, mHeight, source->mWidth, source->mHeight, x, y, s)) {
        if (mode == Graphics::DRAWMODE_ADDITIVE)
            BlitAdditive(source, x, y, s, color);
        else if (!mHasAlpha && !mHasTrans && IsWhite(color))
            BlitOpaqueRuns(source, x, y, s);
        else
            BlitNormal(source, x, y, s, color);
    }
    BitsChanged();
}

void MemoryImage::BlitOpaqueRuns(MemoryImage* src, int x, int y, const Rect& s)
{
    uint32_t* dest = mBits.get();
    if (!src->IsPalettized() && s.mWidth <= kNarrowSprite) {
        // A narrow sprite's rows are a few registers each: one call per row costs less than a walk of
        // its short runs.
        const auto blendRow = kernels::Active().blendRowOntoOpaque;
        const uint32_t* bits = src->GetBits();
        for (int row = 0; row < s.mHeight; ++row)
            blendRow(dest + static_cast<size_t>(y + row) * mWidth + x, bits + (s.mY + row) * src->mWidth + s.mX,
                     s.mWidth);
        return;
    }
    const unsigned char* runs = src->BuildRLAlpha();
    const auto blend = kernels::Active().blendOntoOpaque;
    WithSourcePixels(src, [&](auto pixels) {
        for (int row = 0; row < s.mHeight; ++row) {
            int srcIndex = (s.mY + row) * src->mWidth + s.mX;
            uint32_t* d = dest + static_cast<size_t>(y + row) * mWidth + x;
            int left = s.mWidth;
            while (left > 0) {
                int run = std::min<int>(runs[srcIndex], left);
                uint32_t first = pixels[srcIndex];
                if (A(first) == 255) {
                    pixels.CopyRun(d, srcIndex, run);
                } else if (A(first) != 0) {
                    if constexpr (std::is_same_v<decltype(pixels), DirectPixels>) {
                        blend(d, pixels.bits + srcIndex, run);
                    } else {
                        for (int i = 0; i < run; ++i) {
                            uint32_t p = pixels[srcIndex + i];
                            uint32_t a = A(p), na = 256 - a, q = d[i];
                            uint32_t r = ((p & 0xFF0000) * a + (q & 0xFF0000) * na) >> 8;
                            uint32_t g = ((p & 0xFF00) * a + (q & 0xFF00) * na) >> 8;
                            uint32_t b = ((B(p) * a) >> 8) + ((B(q) * na) >> 8);
                            d[i] = 0xFF000000u | (r & 0xFF0000) | (g & 0xFF00) | b;
                        }
                    }
                }
                srcIndex += run;
                d += run;
                left -= run;
            }
        }
    });
}

void MemoryImage::BlitNormal(MemoryImage* src, int x, int y, const Rect& s, const Color& color)
{
    uint32_t* dest = mBits.get();
    bool white = IsWhite(color);
    Channels k(color);
    // Narrow images (glyphs) go pixel by pixel: walking their runs costs more than it skips.
    if (!src->IsPalettized() && s.mWidth > kShortRun) {
        // Clear runs are skipped whole, the rest composed in runs.
        const kernels::FillColor tint{k.r, k.g, k.b, k.a};
        const auto compose = kernels::Active().composeOver;
        const uint32_t* bits = src->GetBits();
        const unsigned char* runs = src->BuildRLAlpha();
        for (int row = 0; row < s.mHeight; ++row) {
            int srcIndex = (s.mY + row) * src->mWidth + s.mX;
            uint32_t* d = dest + static_cast<size_t>(y + row) * mWidth + x;
            int left = s.mWidth;
            while (left > 0) {
                int run = std::min<int>(runs[srcIndex], left);
                if (A(bits[srcIndex]) != 0) {
                    // Opaque and translucent runs next to each other compose alike: one span up to the
                    // next clear run, so that pictures with mottled alpha are not taken a few pixels at a time.
                    while (run < left && A(bits[srcIndex + run]) != 0)
                        run += std::min<int>(runs[srcIndex + run], left - run);
                    // The short spans of antialiased edges cost more as a call than as the formula inline.
                    if (run < kShortRun) {
                        for (int i = 0; i < run; ++i)
                            ComposeOver(bits[srcIndex + i], d[i], white, k);
                    } else {
                        compose(d, bits + srcIndex, run, white, tint);
                    }
                }
                srcIndex += run;
                d += run;
                left -= run;
            }
        }
        return;
    }
    WithSourcePixels(src, [&](auto pixels) {
        for (int row = 0; row < s.mHeight; ++row) {
            int srcIndex = (s.mY + row) * src->mWidth + s.mX;
            uint32_t* d = dest + static_cast<size_t>(y + row) * mWidth + x;
            for (int i = 0; i < s.mWidth; ++i)
                ComposeOver(pixels[srcIndex + i], d[i], white, k);
        }
    });
}

void MemoryImage::BlitAdditive(MemoryImage* src, int x, int y, const Rect& s, const Color& color)
{
    uint32_t* dest = mBits.get();
    AdditiveTint add(color, src->mHasAlpha, SaturationTable());
    // Fully transparent pixels add nothing, also when the source has no partial alpha.
    bool skipClear = src->mHasAlpha || src->mHasTrans;
    if (!src->IsPalettized() && IsPlainSaturation(add.sat)) {
        const kernels::AddMode mode{add.white, add.hasAlpha, skipClear, add.vr, add.vg, add.vb};
        const auto addRow = kernels::Active().addArgb;
        const uint32_t* bits = src->GetBits();
        // Whole rows: the kernel passes over clear pixels as fast as a run walk would skip them.
        for (int row = 0; row < s.mHeight; ++row)
            addRow(dest + static_cast<size_t>(y + row) * mWidth + x, bits + (s.mY + row) * src->mWidth + s.mX, s.mWidth,
                   mode);
        return;
    }
    WithSourcePixels(src, [&](auto pixels) {
        for (int row = 0; row < s.mHeight; ++row) {
            int srcIndex = (s.mY + row) * src->mWidth + s.mX;
            uint32_t* d = dest + static_cast<size_t>(y + row) * mWidth + x;
            for (int i = 0; i < s.mWidth; ++i) {
                uint32_t p = pixels[srcIndex + i];
                if (!(skipClear && A(p) == 0))
                    add(p, d[i]);
            }
        }
    });
}

} // namespace Olvarn
