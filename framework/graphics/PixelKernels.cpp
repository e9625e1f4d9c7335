// Scalar formulas of the pixel loops and their SSE2 and AVX2 forms. The vector bodies live in
// PixelKernelsBody.inc, compiled twice: once for SSE2 and once under an AVX2 target, so the global
// compiler flags stay as they are and the program still starts on processors without AVX2.
#include "graphics/PixelKernels.h"
#include "platform/CpuFeatures.h"

#include <algorithm>
#include <cstddef>

#include <immintrin.h>

namespace Olvarn
{
namespace kernels
{

// --- Scalar references ----------------------------------------------------------------------------

namespace scalar
{

namespace
{

inline uint32_t Ch(uint32_t p, int shift)
{
    return (p >> shift) & 0xFF;
}

} // namespace

void FillTranslucent(uint32_t* row, int count, const FillColor& k)
{
    // The weights depend only on the destination's alpha: cached for runs of equal alpha.
    int lastAlpha = -1, outAlpha = 0;
    uint32_t inv = 0, kr = 0, kg = 0, kb = 0;
    for (int i = 0; i < count; ++i) {
        uint32_t d = row[i];
        int da = int(d >> 24);
        if (da != lastAlpha) {
            lastAlpha = da;
            outAlpha = da + (255 - da) * k.a / 255;
            int l = k.a * 255 / outAlpha;
            inv = uint32_t(256 - l);
            kr = uint32_t(k.r * l);
            kg = uint32_t(k.g * l);
            kb = uint32_t(k.b * l) >> 8;
        }
        uint32_t r = (Ch(d, 16) * inv + kr) >> 8;
        uint32_t g = (Ch(d, 8) * inv + kg) >> 8;
        uint32_t b = ((Ch(d, 0) * inv) >> 8) + kb;
        row[i] = uint32_t(outAlpha) << 24 | r << 16 | g << 8 | b;
    }
}

void BlendOntoOpaque(uint32_t* dest, const uint32_t* src, int count)
{
    for (int i = 0; i < count; ++i) {
        uint32_t p = src[i];
        uint32_t a = p >> 24, na = 256 - a, q = dest[i];
        uint32_t r = ((p & 0xFF0000) * a + (q & 0xFF0000) * na) >> 8;
        uint32_t g = ((p & 0xFF00) * a + (q & 0xFF00) * na) >> 8;
        uint32_t b = ((Ch(p, 0) * a) >> 8) + ((Ch(q, 0) * na) >> 8);
        dest[i] = 0xFF000000u | (r & 0xFF0000) | (g & 0xFF00) | b;
    }
}

void BlendRowOntoOpaque(uint32_t* dest, const uint32_t* src, int count)
{
    for (int i = 0; i < count; ++i) {
        const uint32_t a = src[i] >> 24;
        if (a == 255)
            dest[i] = src[i];
        else if (a != 0)
            BlendOntoOpaque(dest + i, src + i, 1);
    }
}

void AddArgb(uint32_t* dest, const uint32_t* src, int count, const AddMode& m)
{
    auto sat = [](uint32_t v) { return v < 255 ? v : 255; };
    for (int i = 0; i < count; ++i) {
        uint32_t p = src[i];
        uint32_t sa = p >> 24, q = dest[i], ar, ag, ab;
        if (m.skipClear && sa == 0)
            continue;
        if (m.white && m.hasAlpha) {
            ar = Ch(p, 16) * sa / 256, ag = Ch(p, 8) * sa / 256, ab = Ch(p, 0) * sa / 256;
        } else if (m.white) {
            ar = Ch(p, 16), ag = Ch(p, 8), ab = Ch(p, 0);
        } else if (!m.hasAlpha) {
            ar = Ch(p, 16) * m.vr / 256, ag = Ch(p, 8) * m.vg / 256, ab = Ch(p, 0) * m.vb / 256;
        } else {
            ar = Ch(p, 16) * m.vr * sa / 65536, ag = Ch(p, 8) * m.vg * sa / 65536, ab = Ch(p, 0) * m.vb * sa / 65536;
        }
        dest[i] = (q & 0xFF000000u) | sat(Ch(q, 16) + ar) << 16 | sat(Ch(q, 8) + ag) << 8 | sat(Ch(q, 0) + ab);
    }
}

void ComposeOver(uint32_t* dest, const uint32_t* src, int count, bool white, const FillColor& k)
{
    for (int i = 0; i < count; ++i) {
        uint32_t p = src[i], q = dest[i];
        int a = white ? int(p >> 24) : int(p >> 24) * k.a / 255;
        if (a == 0)
            continue;
        int da = int(q >> 24);
        int outA = da + (255 - da) * a / 255;
        uint32_t w = uint32_t(a * 255 / outA), nw = 256 - w, r, g, b;
        if (white) {
            r = (Ch(p, 16) * w + Ch(q, 16) * nw) >> 8;
            g = (Ch(p, 8) * w + Ch(q, 8) * nw) >> 8;
            b = ((Ch(p, 0) * w) >> 8) + ((Ch(q, 0) * nw) >> 8);
        } else {
            r = (Ch(p, 16) * w * uint32_t(k.r) + Ch(q, 16) * nw * 256) >> 16;
            g = (Ch(p, 8) * w * uint32_t(k.g) + Ch(q, 8) * nw * 256) >> 16;
            b = ((Ch(p, 0) * w * uint32_t(k.b)) >> 16) + ((Ch(q, 0) * nw) >> 8);
        }
        dest[i] = uint32_t(outA) << 24 | r << 16 | g << 8 | b;
    }
}

void BlendPremul32(uint32_t* dest, const uint32_t* src, int count)
{
    for (int i = 0; i < count; ++i) {
        uint32_t v = src[i], d = dest[i], keep = 256 - (v >> 24);
        if (keep == 256)
            continue;
        dest[i] = v + (((((d & 0xFF0000) * keep) >> 8) & 0xFF0000) + ((((d & 0xFF00) * keep) >> 8) & 0xFF00) +
                       ((((d & 0xFF) * keep) >> 8) & 0xFF));
    }
}

void BlendPremul16(uint16_t* dest, const uint32_t* src, int count, const Format16& f)
{
    for (int i = 0; i < count; ++i) {
        uint32_t v = src[i], d = dest[i], keep = 256 - (v >> 24), out = v;
        if (keep == 256)
            continue;
        for (uint32_t m : f.mask)
            out += (((d & m) * keep) >> 8) & m;
        dest[i] = uint16_t(out);
    }
}

void Narrow16(uint16_t* dest, const uint32_t* src, int count)
{
    for (int i = 0; i < count; ++i)
        dest[i] = uint16_t(src[i]);
}

void Add32(uint32_t* dest, const uint32_t* src, int count, bool white, const uint32_t* cm)
{
    for (int i = 0; i < count; ++i) {
        uint32_t s = src[i], d = dest[i], out = 0;
        for (int c = 0; c < 3; ++c) {
            int shift = 16 - 8 * c;
            uint32_t sv = Ch(s, shift);
            if (!white)
                sv = (sv * cm[c]) >> 8;
            uint32_t sum = sv + Ch(d, shift);
            out |= (sum < 255 ? sum : 255) << shift;
        }
        dest[i] = out;
    }
}

void Add16(uint16_t* dest, const uint32_t* src, int count, bool white, const uint32_t* cm, const Format16& f)
{
    for (int i = 0; i < count; ++i) {
        uint32_t s = src[i], d = dest[i], out = 0;
        for (int c = 0; c < 3; ++c) {
            uint32_t m = f.mask[c];
            int shift = m ? __builtin_ctz(m) : 0;
            uint32_t max = m >> shift;
            uint32_t sv = (s & m) >> shift;
            if (!white)
                sv = (sv * cm[c]) >> 8;
            uint32_t sum = sv + ((d & m) >> shift);
            out |= (sum < max ? sum : max) << shift;
        }
        dest[i] = uint16_t(out);
    }
}

void Add565Rows16(uint16_t* dest, std::ptrdiff_t destPitch, const uint16_t* src, std::ptrdiff_t srcPitch, int width,
                  int height)
{
    for (int row = 0; row < height; ++row) {
        for (int i = 0; i < width; ++i) {
            const uint32_t s = src[i], d = dest[i];
            const uint32_t r = std::min<uint32_t>((s >> 11) + (d >> 11), 31);
            const uint32_t g = std::min<uint32_t>(((s >> 5) & 63) + ((d >> 5) & 63), 63);
            const uint32_t b = std::min<uint32_t>((s & 31) + (d & 31), 31);
            dest[i] = uint16_t(r << 11 | g << 5 | b);
        }
        dest = reinterpret_cast<uint16_t*>(reinterpret_cast<uint8_t*>(dest) + destPitch);
        src += srcPitch;
    }
}

void Add16Rows(uint16_t* dest, std::ptrdiff_t destPitch, const uint32_t* src, std::ptrdiff_t srcPitch, int width,
               int height, bool white, const uint32_t* cm, const Format16& f)
{
    for (int row = 0; row < height; ++row) {
        Add16(dest, src, width, white, cm, f);
        dest = reinterpret_cast<uint16_t*>(reinterpret_cast<uint8_t*>(dest) + destPitch);
        src += srcPitch;
    }
}

template <typename Pixel>
void FillBlend(Pixel* row, int count, uint32_t src, uint32_t keep, const Format16& f, uint32_t roundDiv)
{
    for (int i = 0; i < count; ++i) {
        uint32_t d = row[i], out = src;
        for (uint32_t m : f.mask)
            out += (((d & m) * keep + (roundDiv ? m / roundDiv : 0)) >> 8) & m;
        row[i] = Pixel(out);
    }
}

void Fill32(uint32_t* row, int count, uint32_t src, uint32_t keep, const Format16& f, uint32_t roundDiv)
{
    FillBlend(row, count, src, keep, f, roundDiv);
}

void Fill16(uint16_t* row, int count, uint32_t src, uint32_t keep, const Format16& f, uint32_t roundDiv)
{
    FillBlend(row, count, src, keep, f, roundDiv);
}

void Tint32(uint32_t* dest, const uint32_t* src, int count, int alpha, const uint32_t* cm, bool tintOnly)
{
    static const uint32_t kMask[3] = {0xFF0000, 0xFF00, 0xFF};
    for (int i = 0; i < count; ++i) {
        uint32_t s = src[i], d = dest[i], out = 0;
        if (tintOnly) {
            for (int c = 0; c < 3; ++c)
                out += (((s & kMask[c]) * cm[c]) >> 8) & kMask[c];
        } else {
            const uint32_t keep = 256 - (s >> 24) * uint32_t(alpha) / 255;
            for (int c = 0; c < 3; ++c)
                out += ((((d & kMask[c]) * keep) + ((s & kMask[c]) * cm[c])) >> 8) & kMask[c];
        }
        dest[i] = out;
    }
}

void Tint16(uint16_t* dest, const uint32_t* src, int count, int alpha, const uint32_t* cm, bool tintOnly,
            const Format16& f)
{
    for (int i = 0; i < count; ++i) {
        uint32_t s = src[i], d = dest[i], out = 0;
        if (tintOnly) {
            for (int c = 0; c < 3; ++c)
                out += (((s & f.mask[c]) * cm[c]) >> 8) & f.mask[c];
        } else {
            const uint32_t keep = 256 - (s >> 24) * uint32_t(alpha) / 255;
            for (int c = 0; c < 3; ++c)
                out += ((((d & f.mask[c]) * keep) + ((s & f.mask[c]) * cm[c])) >> 8) & f.mask[c];
        }
        dest[i] = uint16_t(out);
    }
}

// The four taps around a 16.16 source position (left, right, below left, below right) and the
// position's fractions, odd so that neither weight of an axis is ever 65536.
struct RotateTaps {
    uint32_t p[4];
    uint32_t fx, fy;
};

// False when all four taps are clear: the pixel stays as it is.
inline bool GatherTaps(const RotateRow& row, int32_t u, int32_t v, RotateTaps& t)
{
    const uint32_t* p = row.src + std::ptrdiff_t(v >> 16) * row.pitch + (u >> 16);
    t.p[0] = p[0];
    t.p[1] = p[1];
    t.p[2] = p[row.pitch];
    t.p[3] = p[row.pitch + 1];
    t.fx = (uint32_t(u) & 0xFFFE) + 1;
    t.fy = (uint32_t(v) & 0xFFFE) + 1;
    return (t.p[0] | t.p[1] | t.p[2] | t.p[3]) >= 0x01000000u;
}

uint32_t RotatePixel(uint32_t d, const RotateTaps& t, const RotateBlend& b)
{
    const uint32_t fx = t.fx, fy = t.fy;
    const uint32_t weight[4] = {((65536 - fx) * (65536 - fy)) >> 16, (fx * (65536 - fy)) >> 16,
                                ((65536 - fx) * fy) >> 16, (fx * fy) >> 16};
    uint32_t keep = 256;
    uint32_t sum[3] = {0, 0, 0}; // red at bits 16-23, green 8-15, blue 0-7, times coverage
    for (int k = 0; k < 4; ++k) {
        uint32_t cov = (weight[k] * (t.p[k] >> 24)) >> 16;
        if (!b.white)
            cov = (cov * b.alpha) >> 8;
        keep -= cov;
        sum[0] += (t.p[k] & 0xFF0000) * cov;
        sum[1] += (t.p[k] & 0xFF00) * cov;
        sum[2] += (t.p[k] & 0xFF) * cov;
    }
    constexpr int kTop[3] = {32, 24, 16};
    uint32_t out = 0;
    for (int c = 0; c < 3; ++c) {
        const uint32_t mask = ((1u << b.bits[c]) - 1) << b.shift[c];
        uint32_t s = sum[c];
        if (!b.white)
            s = (s >> 8) * (b.color[c] + 1);
        uint32_t srcPart = (s >> (kTop[c] - b.bits[c])) << b.shift[c];
        uint32_t destPart = (((d & mask) * keep) >> 8) & mask;
        out |= (srcPart + destPart) & mask;
    }
    return out;
}

template <typename Pixel> void RotateRowOf(Pixel* dest, int count, const RotateRow& row, const RotateBlend& b)
{
    int32_t u = row.u, v = row.v;
    RotateTaps t;
    for (int i = 0; i < count; ++i, u += row.du, v += row.dv)
        if (GatherTaps(row, u, v, t))
            dest[i] = Pixel(RotatePixel(dest[i], t, b));
}

void Rotate32(uint32_t* dest, int count, const RotateRow& row, const RotateBlend& b)
{
    RotateRowOf(dest, count, row, b);
}

void Rotate16(uint16_t* dest, int count, const RotateRow& row, const RotateBlend& b)
{
    RotateRowOf(dest, count, row, b);
}

// The vector forms split 16-bit pixels into channels; they need each mask to be one run of at most
// eight bits.
bool Splittable(const Format16& f)
{
    for (uint32_t m : f.mask) {
        if (m == 0 || m > 0xFFFF)
            return false;
        uint32_t run = m >> __builtin_ctz(m);
        if ((run & (run + 1)) != 0 || run > 0xFF)
            return false;
    }
    return true;
}

} // namespace scalar

namespace
{

const Table kScalar = {
    Level::Scalar,        scalar::FillTranslucent, scalar::BlendOntoOpaque, scalar::BlendRowOntoOpaque,
    scalar::AddArgb,      scalar::ComposeOver,     scalar::BlendPremul32,   scalar::BlendPremul16,
    scalar::Narrow16,     scalar::Add32,           scalar::Add16,           scalar::Add16Rows,
    scalar::Add565Rows16, scalar::Fill32,          scalar::Fill16,          scalar::Tint32,
    scalar::Tint16,       scalar::Rotate32,        scalar::Rotate16};

} // namespace

// --- Partial registers, shared by both vector forms -------------------------------------------

namespace
{

// The first n (0 to 4) pixels of a 128-bit register, in moves of four, two and one pixels: masked
// moves would also not touch the pixels past them, but some processors take many cycles for each.
inline __m128i LoadUpTo4(const uint32_t* p, int n)
{
    switch (n) {
    case 4:
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    case 3:
        return _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), _mm_loadu_si32(p + 2));
    case 2:
        return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
    case 1:
        return _mm_loadu_si32(p);
    default:
        return _mm_setzero_si128();
    }
}

inline void StoreUpTo4(uint32_t* p, __m128i v, int n)
{
    switch (n) {
    case 4:
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
        break;
    case 3:
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v);
        _mm_storeu_si32(p + 2, _mm_unpackhi_epi64(v, v));
        break;
    case 2:
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v);
        break;
    case 1:
        _mm_storeu_si32(p, v);
        break;
    default:
        break;
    }
}

// The first n (0 to 8) 16-bit pixels of a 128-bit register, one word at a time.
inline __m128i LoadHalf16(const uint16_t* p, int n)
{
    if (n >= 8)
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    __m128i v = _mm_setzero_si128();
    switch (n) {
    case 7:
        v = _mm_insert_epi16(v, p[6], 6);
        [[fallthrough]];
    case 6:
        v = _mm_insert_epi16(v, p[5], 5);
        [[fallthrough]];
    case 5:
        v = _mm_insert_epi16(v, p[4], 4);
        [[fallthrough]];
    case 4:
        v = _mm_insert_epi16(v, p[3], 3);
        [[fallthrough]];
    case 3:
        v = _mm_insert_epi16(v, p[2], 2);
        [[fallthrough]];
    case 2:
        v = _mm_insert_epi16(v, p[1], 1);
        [[fallthrough]];
    case 1:
        v = _mm_insert_epi16(v, p[0], 0);
        [[fallthrough]];
    default:
        break;
    }
    return v;
}

inline void StoreHalf16(uint16_t* p, __m128i v, int n)
{
    if (n >= 8) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
        return;
    }
    switch (n) {
    case 7:
        p[6] = uint16_t(_mm_extract_epi16(v, 6));
        [[fallthrough]];
    case 6:
        p[5] = uint16_t(_mm_extract_epi16(v, 5));
        [[fallthrough]];
    case 5:
        p[4] = uint16_t(_mm_extract_epi16(v, 4));
        [[fallthrough]];
    case 4:
        p[3] = uint16_t(_mm_extract_epi16(v, 3));
        [[fallthrough]];
    case 3:
        p[2] = uint16_t(_mm_extract_epi16(v, 2));
        [[fallthrough]];
    case 2:
        p[1] = uint16_t(_mm_extract_epi16(v, 1));
        [[fallthrough]];
    case 1:
        p[0] = uint16_t(_mm_extract_epi16(v, 0));
        [[fallthrough]];
    default:
        break;
    }
}

} // namespace

// --- SSE2 ---------------------------------------------------------------------------------------

namespace sse2
{
namespace
{

struct V {
    using R = __m128i;
    static constexpr int kPixels = 4; // 32-bit pixels per register
    static R Load(const void* p) { return _mm_loadu_si128(static_cast<const R*>(p)); }
    static void Store(void* p, R v) { _mm_storeu_si128(static_cast<R*>(p), v); }
    static R Set32(uint32_t v) { return _mm_set1_epi32(int(v)); }
    static R Set16(uint16_t v) { return _mm_set1_epi16(short(v)); }
    static R Set4x16(uint16_t b, uint16_t g, uint16_t r, uint16_t a)
    {
        return _mm_set_epi16(short(a), short(r), short(g), short(b), short(a), short(r), short(g), short(b));
    }
    static R Zero() { return _mm_setzero_si128(); }
    static R Lo8(R a) { return _mm_unpacklo_epi8(a, _mm_setzero_si128()); }
    static R Hi8(R a) { return _mm_unpackhi_epi8(a, _mm_setzero_si128()); }
    static R PackU16(R a, R b) { return _mm_packus_epi16(a, b); }
    // Low 16 bits of each 32-bit lane of a then b, in order.
    static R Narrow32(R a, R b)
    {
        a = _mm_srai_epi32(_mm_slli_epi32(a, 16), 16);
        b = _mm_srai_epi32(_mm_slli_epi32(b, 16), 16);
        return _mm_packs_epi32(a, b);
    }
    static R Add16(R a, R b) { return _mm_add_epi16(a, b); }
    static R Lo16(R a, R b) { return _mm_unpacklo_epi16(a, b); }
    static R Lo32(R a, R b) { return _mm_unpacklo_epi32(a, b); }
    static R Hi32(R a, R b) { return _mm_unpackhi_epi32(a, b); }
    template <int N> static R Shl32(R a) { return _mm_slli_epi32(a, N); }
    template <int N> static R Shl16(R a) { return _mm_slli_epi16(a, N); }
    // 32-bit lanes that hold values below 32768, as 16-bit lanes of a then b, in order.
    static R PackSmall32(R a, R b) { return _mm_packs_epi32(a, b); }
    static R Sub32(R a, R b) { return _mm_sub_epi32(a, b); }
    // Truncated a / b of non-negative ints below 2^24: single precision divides them exactly enough.
    static R Div32(R a, R b) { return _mm_cvttps_epi32(_mm_div_ps(_mm_cvtepi32_ps(a), _mm_cvtepi32_ps(b))); }
    static R Hi16(R a, R b) { return _mm_unpackhi_epi16(a, b); }
    static R MulAdd16(R a, R b) { return _mm_madd_epi16(a, b); }
    static R PackS32(R a, R b) { return _mm_packs_epi32(a, b); }
    static R Sub16(R a, R b) { return _mm_sub_epi16(a, b); }
    static R Add32(R a, R b) { return _mm_add_epi32(a, b); }
    static R Mul16(R a, R b) { return _mm_mullo_epi16(a, b); }
    static R MulHi16(R a, R b) { return _mm_mulhi_epu16(a, b); }
    static R Min16(R a, R b) { return _mm_min_epi16(a, b); }
    template <int N> static R Shr16(R a) { return _mm_srli_epi16(a, N); }
    template <int N> static R Shr32(R a) { return _mm_srli_epi32(a, N); }
    static R Shr16(R a, int n) { return _mm_srl_epi16(a, _mm_cvtsi32_si128(n)); }
    static R Shr32(R a, int n) { return _mm_srl_epi32(a, _mm_cvtsi32_si128(n)); }
    static R Shl16(R a, int n) { return _mm_sll_epi16(a, _mm_cvtsi32_si128(n)); }
    static R And(R a, R b) { return _mm_and_si128(a, b); }
    static R AndNot(R a, R b) { return _mm_andnot_si128(a, b); } // ~a & b
    static R Or(R a, R b) { return _mm_or_si128(a, b); }
    static R AddSat8(R a, R b) { return _mm_adds_epu8(a, b); }
    static R AddSatU16(R a, R b) { return _mm_adds_epu16(a, b); }
    static R Eq32(R a, R b) { return _mm_cmpeq_epi32(a, b); }
    static R Eq16(R a, R b) { return _mm_cmpeq_epi16(a, b); }
    static bool All(R mask) { return _mm_movemask_epi8(mask) == 0xFFFF; }
    // Each pixel's alpha word copied to its four words (pixels unpacked to 16 bits).
    static R Alpha16(R a) { return _mm_shufflehi_epi16(_mm_shufflelo_epi16(a, 0xFF), 0xFF); }
    // The first n (0 to 3) pixels only, without touching memory past them.
    static R LoadN(const uint32_t* p, int n) { return LoadUpTo4(p, n); }
    static void StoreN(uint32_t* p, R v, int n) { StoreUpTo4(p, v, n); }
    static R LoadN16(const uint16_t* p, int n) { return LoadHalf16(p, n); }
    static void StoreN16(uint16_t* p, R v, int n) { StoreHalf16(p, v, n); }
};

#include "graphics/PixelKernelsBody.inc"

} // namespace
} // namespace sse2

// --- AVX2 ---------------------------------------------------------------------------------------

OLVARN_AVX2_BEGIN

namespace avx2
{
namespace
{

struct V {
    using R = __m256i;
    static constexpr int kPixels = 8;
    static R Load(const void* p) { return _mm256_loadu_si256(static_cast<const R*>(p)); }
    static void Store(void* p, R v) { _mm256_storeu_si256(static_cast<R*>(p), v); }
    static R Set32(uint32_t v) { return _mm256_set1_epi32(int(v)); }
    static R Set16(uint16_t v) { return _mm256_set1_epi16(short(v)); }
    static R Set4x16(uint16_t b, uint16_t g, uint16_t r, uint16_t a)
    {
        return _mm256_set1_epi64x(int64_t(uint64_t(a) << 48 | uint64_t(r) << 32 | uint64_t(g) << 16 | b));
    }
    static R Zero() { return _mm256_setzero_si256(); }
    // Unpacking and packing stay within 128-bit halves; used in pairs they give the pixels back in order.
    static R Lo8(R a) { return _mm256_unpacklo_epi8(a, _mm256_setzero_si256()); }
    static R Hi8(R a) { return _mm256_unpackhi_epi8(a, _mm256_setzero_si256()); }
    static R PackU16(R a, R b) { return _mm256_packus_epi16(a, b); }
    static R Narrow32(R a, R b)
    {
        a = _mm256_srai_epi32(_mm256_slli_epi32(a, 16), 16);
        b = _mm256_srai_epi32(_mm256_slli_epi32(b, 16), 16);
        return _mm256_permute4x64_epi64(_mm256_packs_epi32(a, b), 0xD8);
    }
    static R Add16(R a, R b) { return _mm256_add_epi16(a, b); }
    static R Lo16(R a, R b) { return _mm256_unpacklo_epi16(a, b); }
    static R Lo32(R a, R b) { return _mm256_unpacklo_epi32(a, b); }
    static R Hi32(R a, R b) { return _mm256_unpackhi_epi32(a, b); }
    template <int N> static R Shl32(R a) { return _mm256_slli_epi32(a, N); }
    template <int N> static R Shl16(R a) { return _mm256_slli_epi16(a, N); }
    static R PackSmall32(R a, R b) { return _mm256_permute4x64_epi64(_mm256_packs_epi32(a, b), 0xD8); }
    static R Sub32(R a, R b) { return _mm256_sub_epi32(a, b); }
    static R Div32(R a, R b)
    {
        return _mm256_cvttps_epi32(_mm256_div_ps(_mm256_cvtepi32_ps(a), _mm256_cvtepi32_ps(b)));
    }
    static R Hi16(R a, R b) { return _mm256_unpackhi_epi16(a, b); }
    static R MulAdd16(R a, R b) { return _mm256_madd_epi16(a, b); }
    static R PackS32(R a, R b) { return _mm256_packs_epi32(a, b); }
    static R Sub16(R a, R b) { return _mm256_sub_epi16(a, b); }
    static R Add32(R a, R b) { return _mm256_add_epi32(a, b); }
    static R Mul16(R a, R b) { return _mm256_mullo_epi16(a, b); }
    static R MulHi16(R a, R b) { return _mm256_mulhi_epu16(a, b); }
    static R Min16(R a, R b) { return _mm256_min_epi16(a, b); }
    template <int N> static R Shr16(R a) { return _mm256_srli_epi16(a, N); }
    template <int N> static R Shr32(R a) { return _mm256_srli_epi32(a, N); }
    static R Shr16(R a, int n) { return _mm256_srl_epi16(a, _mm_cvtsi32_si128(n)); }
    static R Shr32(R a, int n) { return _mm256_srl_epi32(a, _mm_cvtsi32_si128(n)); }
    static R Shl16(R a, int n) { return _mm256_sll_epi16(a, _mm_cvtsi32_si128(n)); }
    static R And(R a, R b) { return _mm256_and_si256(a, b); }
    static R AndNot(R a, R b) { return _mm256_andnot_si256(a, b); }
    static R Or(R a, R b) { return _mm256_or_si256(a, b); }
    static R AddSat8(R a, R b) { return _mm256_adds_epu8(a, b); }
    static R AddSatU16(R a, R b) { return _mm256_adds_epu16(a, b); }
    static R Eq32(R a, R b) { return _mm256_cmpeq_epi32(a, b); }
    static R Eq16(R a, R b) { return _mm256_cmpeq_epi16(a, b); }
    static bool All(R mask) { return _mm256_movemask_epi8(mask) == -1; }
    static R Alpha16(R a) { return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(a, 0xFF), 0xFF); }
    // The first n (0 to 7) pixels only, neither reading nor writing past them.
    static R LoadN(const uint32_t* p, int n)
    {
        const __m128i lo = LoadUpTo4(p, n < 4 ? n : 4);
        return n > 4 ? _mm256_inserti128_si256(_mm256_castsi128_si256(lo), LoadUpTo4(p + 4, n - 4), 1)
                     : _mm256_zextsi128_si256(lo);
    }
    static void StoreN(uint32_t* p, R v, int n)
    {
        StoreUpTo4(p, _mm256_castsi256_si128(v), n < 4 ? n : 4);
        if (n > 4)
            StoreUpTo4(p + 4, _mm256_extracti128_si256(v, 1), n - 4);
    }
    // The first n (0 to 15) 16-bit pixels: the pairs as 32-bit lanes, an odd last one on its own.
    static R LoadN16(const uint16_t* p, int n)
    {
        R v = LoadN(reinterpret_cast<const uint32_t*>(p), n / 2);
        if (n & 1) {
            const R last = _mm256_cmpeq_epi16(_mm256_set1_epi16(short(n - 1)),
                                              _mm256_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15));
            v = _mm256_blendv_epi8(v, _mm256_set1_epi16(short(p[n - 1])), last);
        }
        return v;
    }
    static void StoreN16(uint16_t* p, R v, int n)
    {
        StoreN(reinterpret_cast<uint32_t*>(p), v, n / 2);
        if (n & 1) {
            alignas(32) uint16_t words[16];
            _mm256_store_si256(reinterpret_cast<R*>(words), v);
            p[n - 1] = words[n - 1];
        }
    }
};

#include "graphics/PixelKernelsBody.inc"

} // namespace
} // namespace avx2

OLVARN_AVX2_END

// --- Choice -------------------------------------------------------------------------------------

namespace
{

const Table kSse2 = {Level::Sse2,        sse2::FillTranslucent, sse2::BlendOntoOpaque, sse2::BlendRowOntoOpaque,
                     sse2::AddArgb,      sse2::ComposeOver,     sse2::BlendPremul32,   sse2::BlendPremul16,
                     sse2::Narrow16,     sse2::Add32,           sse2::Add16,           sse2::Add16Rows,
                     sse2::Add565Rows16, sse2::Fill32,          sse2::Fill16,          sse2::Tint32,
                     sse2::Tint16,       sse2::Rotate32,        sse2::Rotate16};
const Table kAvx2 = {Level::Avx2,        avx2::FillTranslucent, avx2::BlendOntoOpaque, avx2::BlendRowOntoOpaque,
                     avx2::AddArgb,      avx2::ComposeOver,     avx2::BlendPremul32,   avx2::BlendPremul16,
                     avx2::Narrow16,     avx2::Add32,           avx2::Add16,           avx2::Add16Rows,
                     avx2::Add565Rows16, avx2::Fill32,          avx2::Fill16,          avx2::Tint32,
                     avx2::Tint16,       avx2::Rotate32,        avx2::Rotate16};

ChosenKernels<Table>& Chosen()
{
    static ChosenKernels<Table> chosen(kSse2, kAvx2);
    return chosen;
}

} // namespace

void ReverseCopy(uint32_t* dest, const uint32_t* src, int count)
{
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + count - 4 - i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dest + i), _mm_shuffle_epi32(v, 0x1B));
    }
    for (; i < count; ++i)
        dest[i] = src[count - 1 - i];
}

const Table& Active()
{
    return Chosen().Active();
}

const Table* ForLevel(Level level)
{
    return TableForLevel(level, kScalar, kSse2, kAvx2);
}

bool UseLevel(Level level)
{
    return Chosen().Use(ForLevel(level));
}

} // namespace kernels
} // namespace Olvarn
