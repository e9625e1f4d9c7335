// The SSE2 and AVX2 forms of the 16-bit nearest-texel span: SSE2 reads the texels one by one and
// shades eight pixels at a time, AVX2 gathers them eight at once and shades sixteen. The shading body
// lives in TexelSpan16Body.inc, compiled once per level, so the global compiler flags stay as they are
// and the program still starts on processors without AVX2.
#include "swtri/TexelSpan16.h"

#include <cstddef>
#include <cstring>

#include <immintrin.h>

#include "platform/CpuFeatures.h"

namespace Olvarn::texelspan
{

// --- SSE2 -----------------------------------------------------------------------------------------

namespace sse2
{
namespace
{

struct V {
    using R = __m128i;
    static constexpr int kPixels = 8;
    // Eight texels, the first four in lo.
    struct Texels {
        __m128i lo, hi;
    };
    // The alpha of each texel in 16-bit lanes, and a colour channel (the byte at Shift) times 256.
    static R Alpha(const Texels& t) { return _mm_packs_epi32(_mm_srli_epi32(t.lo, 24), _mm_srli_epi32(t.hi, 24)); }
    template <int Shift> static R High(const Texels& t)
    {
        const __m128i byte = _mm_set1_epi32(0xFF);
        return _mm_slli_epi16(_mm_packs_epi32(_mm_and_si128(_mm_srli_epi32(t.lo, Shift), byte),
                                              _mm_and_si128(_mm_srli_epi32(t.hi, Shift), byte)),
                              8);
    }
    static R Set16(uint16_t v) { return _mm_set1_epi16(short(v)); }
    static R Load(const uint16_t* p) { return _mm_loadu_si128(reinterpret_cast<const R*>(p)); }
    static void Store(uint16_t* p, R v) { _mm_storeu_si128(reinterpret_cast<R*>(p), v); }
    // The first n (1 to 7) pixels, through a copy.
    static R LoadN(const uint16_t* p, int n)
    {
        alignas(16) uint16_t copy[8] = {};
        std::memcpy(copy, p, size_t(n) * sizeof(uint16_t));
        return _mm_load_si128(reinterpret_cast<const R*>(copy));
    }
    static void StoreN(uint16_t* p, R v, int n)
    {
        alignas(16) uint16_t copy[8];
        _mm_store_si128(reinterpret_cast<R*>(copy), v);
        std::memcpy(p, copy, size_t(n) * sizeof(uint16_t));
    }
    static R And(R a, R b) { return _mm_and_si128(a, b); }
    static R AndNot(R a, R b) { return _mm_andnot_si128(a, b); }
    static R Or(R a, R b) { return _mm_or_si128(a, b); }
    static R Add16(R a, R b) { return _mm_add_epi16(a, b); }
    static R Sub16(R a, R b) { return _mm_sub_epi16(a, b); }
    static R Mul16(R a, R b) { return _mm_mullo_epi16(a, b); }
    static R MulHigh16(R a, R b) { return _mm_mulhi_epu16(a, b); }
    static R Greater16(R a, R b) { return _mm_cmpgt_epi16(a, b); }
    static bool None(R mask) { return _mm_movemask_epi8(mask) == 0; }
    template <int N> static R Shr16(R a) { return _mm_srli_epi16(a, N); }
    template <int N> static R Shl16(R a) { return _mm_slli_epi16(a, N); }
};

// The texel addressing of FetchNearestTexel, one texel at a time.
class Walk
{
public:
    Walk(const TexelWalk& w, const RasterTexture& t)
        : mU(uint32_t(w.u)), mV(uint32_t(w.v)), mDu(uint32_t(w.du)), mDv(uint32_t(w.dv)), mTexture(t)
    {
    }

    V::Texels Next()
    {
        alignas(16) uint32_t texels[8];
        for (uint32_t& texel : texels) {
            const uint32_t index = mTexture.width * (mV >> 16) + (mU >> 16);
            texel = index < mTexture.texelCount ? mTexture.bits[index] : 0;
            mU += mDu;
            mV += mDv;
        }
        return {_mm_load_si128(reinterpret_cast<const __m128i*>(texels)),
                _mm_load_si128(reinterpret_cast<const __m128i*>(texels + 4))};
    }

private:
    uint32_t mU, mV;
    const uint32_t mDu, mDv;
    const RasterTexture& mTexture;
};

#include "swtri/TexelSpan16Body.inc"

} // namespace
} // namespace sse2

// --- AVX2 -----------------------------------------------------------------------------------------

OLVARN_AVX2_BEGIN

namespace avx2
{
namespace
{

struct V {
    using R = __m256i;
    static constexpr int kPixels = 16;
    // Sixteen texels as two gathers, x of pixels 0-3 and 8-11, y of pixels 4-7 and 12-15. Shuffled
    // within 128-bit halves into 16-bit lanes (the alphas of four pixels then their reds times 256,
    // or their greens then their blues times 256), the low or high quarters of x and y joined give a
    // channel in pixel order.
    struct Texels {
        __m256i x, y;
    };
    static R AlphaRed(R t)
    {
        return _mm256_shuffle_epi8(t, _mm256_setr_epi8(3, -1, 7, -1, 11, -1, 15, -1, -1, 2, -1, 6, -1, 10, -1, 14, 3,
                                                       -1, 7, -1, 11, -1, 15, -1, -1, 2, -1, 6, -1, 10, -1, 14));
    }
    static R GreenBlue(R t)
    {
        return _mm256_shuffle_epi8(t, _mm256_setr_epi8(-1, 1, -1, 5, -1, 9, -1, 13, -1, 0, -1, 4, -1, 8, -1, 12, -1, 1,
                                                       -1, 5, -1, 9, -1, 13, -1, 0, -1, 4, -1, 8, -1, 12));
    }
    static R Alpha(const Texels& t) { return _mm256_unpacklo_epi64(AlphaRed(t.x), AlphaRed(t.y)); }
    template <int Shift> static R High(const Texels& t)
    {
        if constexpr (Shift == 16)
            return _mm256_unpackhi_epi64(AlphaRed(t.x), AlphaRed(t.y));
        else if constexpr (Shift == 8)
            return _mm256_unpacklo_epi64(GreenBlue(t.x), GreenBlue(t.y));
        else
            return _mm256_unpackhi_epi64(GreenBlue(t.x), GreenBlue(t.y));
    }
    static R Set16(uint16_t v) { return _mm256_set1_epi16(short(v)); }
    static R Load(const uint16_t* p) { return _mm256_loadu_si256(reinterpret_cast<const R*>(p)); }
    static void Store(uint16_t* p, R v) { _mm256_storeu_si256(reinterpret_cast<R*>(p), v); }
    // The first n (1 to 15) pixels: the pairs through 32-bit masked moves, an odd last one on its own.
    static __m256i Pairs(int n)
    {
        return _mm256_cmpgt_epi32(_mm256_set1_epi32(n / 2), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
    }
    static R LoadN(const uint16_t* p, int n)
    {
        R v = _mm256_maskload_epi32(reinterpret_cast<const int*>(p), Pairs(n));
        if (n & 1) {
            const R last = _mm256_cmpeq_epi16(_mm256_set1_epi16(short(n - 1)),
                                              _mm256_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15));
            v = _mm256_blendv_epi8(v, _mm256_set1_epi16(short(p[n - 1])), last);
        }
        return v;
    }
    static void StoreN(uint16_t* p, R v, int n)
    {
        _mm256_maskstore_epi32(reinterpret_cast<int*>(p), Pairs(n), v);
        if (n & 1) {
            alignas(32) uint16_t words[16];
            _mm256_store_si256(reinterpret_cast<R*>(words), v);
            p[n - 1] = words[n - 1];
        }
    }
    static R And(R a, R b) { return _mm256_and_si256(a, b); }
    static R AndNot(R a, R b) { return _mm256_andnot_si256(a, b); }
    static R Or(R a, R b) { return _mm256_or_si256(a, b); }
    static R Add16(R a, R b) { return _mm256_add_epi16(a, b); }
    static R Sub16(R a, R b) { return _mm256_sub_epi16(a, b); }
    static R Mul16(R a, R b) { return _mm256_mullo_epi16(a, b); }
    static R MulHigh16(R a, R b) { return _mm256_mulhi_epu16(a, b); }
    static R Greater16(R a, R b) { return _mm256_cmpgt_epi16(a, b); }
    static bool None(R mask) { return _mm256_testz_si256(mask, mask) != 0; }
    template <int N> static R Shr16(R a) { return _mm256_srli_epi16(a, N); }
    template <int N> static R Shl16(R a) { return _mm256_slli_epi16(a, N); }
};

// The texel positions of V's two gathers side by side; the index is formed as FetchNearestTexel forms
// it, in wrapping 32-bit lanes, and a gather reads only the lanes whose index lies below the texel count.
class Walk
{
public:
    Walk(const TexelWalk& w, const RasterTexture& t)
        : mBits(reinterpret_cast<const int*>(t.bits)), mWidth(_mm256_set1_epi32(int(t.width))),
          mCountBiased(_mm256_set1_epi32(int(t.texelCount ^ 0x80000000u)))
    {
        const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 8, 9, 10, 11);
        const __m256i du = _mm256_set1_epi32(w.du), dv = _mm256_set1_epi32(w.dv);
        mUx = _mm256_add_epi32(_mm256_set1_epi32(w.u), _mm256_mullo_epi32(lanes, du));
        mVx = _mm256_add_epi32(_mm256_set1_epi32(w.v), _mm256_mullo_epi32(lanes, dv));
        mUy = _mm256_add_epi32(mUx, _mm256_slli_epi32(du, 2));
        mVy = _mm256_add_epi32(mVx, _mm256_slli_epi32(dv, 2));
        mDu = _mm256_slli_epi32(du, 4);
        mDv = _mm256_slli_epi32(dv, 4);
    }

    V::Texels Next()
    {
        const __m256i x = Gather(mUx, mVx), y = Gather(mUy, mVy);
        mUx = _mm256_add_epi32(mUx, mDu);
        mVx = _mm256_add_epi32(mVx, mDv);
        mUy = _mm256_add_epi32(mUy, mDu);
        mVy = _mm256_add_epi32(mVy, mDv);
        return {x, y};
    }

private:
    __m256i Gather(__m256i u, __m256i v) const
    {
        const __m256i index =
            _mm256_add_epi32(_mm256_mullo_epi32(_mm256_srli_epi32(v, 16), mWidth), _mm256_srli_epi32(u, 16));
        const __m256i inside =
            _mm256_cmpgt_epi32(mCountBiased, _mm256_xor_si256(index, _mm256_set1_epi32(int(0x80000000u))));
        return _mm256_mask_i32gather_epi32(_mm256_setzero_si256(), mBits, index, inside, 4);
    }

    const int* mBits;
    __m256i mWidth, mCountBiased;
    __m256i mUx, mVx, mUy, mVy, mDu, mDv;
};

#include "swtri/TexelSpan16Body.inc"

} // namespace
} // namespace avx2

OLVARN_AVX2_END

// --- Choice ---------------------------------------------------------------------------------------

namespace
{

// The gather takes its indices as signed: a texture of 2^31 texels or more is read one texel at a time.
void Avx2R5G6B5(uint16_t* dest, int count, const TexelWalk& walk, const RasterTexture& texture, const SpanShade& shade)
{
    if (texture.texelCount > 0x7FFFFFFFu)
        sse2::SpanR5G6B5(dest, count, walk, texture, shade);
    else
        avx2::SpanR5G6B5(dest, count, walk, texture, shade);
}

void Avx2X1R5G5B5(uint16_t* dest, int count, const TexelWalk& walk, const RasterTexture& texture,
                  const SpanShade& shade)
{
    if (texture.texelCount > 0x7FFFFFFFu)
        sse2::SpanX1R5G5B5(dest, count, walk, texture, shade);
    else
        avx2::SpanX1R5G5B5(dest, count, walk, texture, shade);
}

const Table kReference = {Level::Reference, nullptr, nullptr};
const Table kSse2 = {Level::Sse2, sse2::SpanR5G6B5, sse2::SpanX1R5G5B5};
const Table kAvx2 = {Level::Avx2, Avx2R5G6B5, Avx2X1R5G5B5};

ChosenKernels<Table>& Chosen()
{
    static ChosenKernels<Table> chosen(kSse2, kAvx2);
    return chosen;
}

} // namespace

const Table& Active()
{
    return Chosen().Active();
}

const Table* ForLevel(Level level)
{
    return TableForLevel(level, kReference, kSse2, kAvx2);
}

bool UseLevel(Level level)
{
    return Chosen().Use(ForLevel(level));
}

} // namespace Olvarn::texelspan
