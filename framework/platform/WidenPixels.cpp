// Scalar, SSE2 and AVX2 forms of the 16-bit to 32-bit widening. The AVX2 form gets its instruction
// set per function, so the global compiler flags stay as they are and the program still starts on
// processors without it.
#include "platform/WidenPixels.h"
#include "platform/CpuFeatures.h"

#include <immintrin.h>

#include <cstddef>

namespace Olvarn
{
namespace widen
{

namespace
{

// --- Scalar reference ---------------------------------------------------------------------------

template <bool k565> inline uint32_t Widen(uint32_t p)
{
    const uint32_t r = k565 ? p >> 11 : (p >> 10) & 31;
    const uint32_t g = k565 ? (p >> 5) & 63 : (p >> 5) & 31;
    const uint32_t b = p & 31;
    const uint32_t r8 = r << 3 | r >> 2, b8 = b << 3 | b >> 2;
    const uint32_t g8 = k565 ? (g << 2 | g >> 4) : (g << 3 | g >> 2);
    return 0xFF000000u | r8 << 16 | g8 << 8 | b8;
}

template <bool k565> void ScalarRow(uint32_t* dest, const uint16_t* src, int count)
{
    for (int i = 0; i < count; ++i)
        dest[i] = Widen<k565>(src[i]);
}

// --- SSE2 ---------------------------------------------------------------------------------------

// Each channel is widened by one high-half multiply of its bits where they stand: (c << s) * m >> 16
// with m = 2^(16-s) * (2^3 + 2^-2) (5 bits) or 2^(16-s) * (2^2 + 2^-4) (6 bits) is c's bits followed by
// its own top bits, exactly the shifts and ors of the formula. Blue is first moved to the top of the
// word. Then blue-green words are interleaved with red-alpha words.
template <bool k565> struct Consts {
    static constexpr short kRedMask = k565 ? short(0xF800) : 0x7C00;
    static constexpr short kGreenMask = k565 ? 0x07E0 : 0x03E0;
    static constexpr short kRedMul = k565 ? 264 : 528;
    static constexpr short kGreenMul = k565 ? 8320 : 16896;
    static constexpr short kBlueMul = 264;
};

template <bool k565> inline void Sse2Eight(__m128i p, __m128i& lo, __m128i& hi)
{
    using C = Consts<k565>;
    const __m128i r = _mm_mulhi_epu16(_mm_and_si128(p, _mm_set1_epi16(C::kRedMask)), _mm_set1_epi16(C::kRedMul));
    const __m128i g = _mm_mulhi_epu16(_mm_and_si128(p, _mm_set1_epi16(C::kGreenMask)), _mm_set1_epi16(C::kGreenMul));
    const __m128i b = _mm_mulhi_epu16(_mm_slli_epi16(p, 11), _mm_set1_epi16(C::kBlueMul));
    const __m128i gb = _mm_or_si128(b, _mm_slli_epi16(g, 8));
    const __m128i ar = _mm_or_si128(r, _mm_set1_epi16(short(0xFF00)));
    lo = _mm_unpacklo_epi16(gb, ar);
    hi = _mm_unpackhi_epi16(gb, ar);
}

template <bool k565> void Sse2Row(uint32_t* dest, const uint16_t* src, int count)
{
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        __m128i lo, hi;
        Sse2Eight<k565>(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i)), lo, hi);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dest + i), lo);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dest + i + 4), hi);
    }
    ScalarRow<k565>(dest + i, src + i, count - i);
}

// --- AVX2 ---------------------------------------------------------------------------------------

OLVARN_AVX2_BEGIN

template <bool k565> void Avx2Row(uint32_t* dest, const uint16_t* src, int count)
{
    using C = Consts<k565>;
    const __m256i redMask = _mm256_set1_epi16(C::kRedMask), greenMask = _mm256_set1_epi16(C::kGreenMask);
    const __m256i redMul = _mm256_set1_epi16(C::kRedMul), greenMul = _mm256_set1_epi16(C::kGreenMul);
    const __m256i blueMul = _mm256_set1_epi16(C::kBlueMul), alpha = _mm256_set1_epi16(short(0xFF00));
    int i = 0;
    for (; i + 16 <= count; i += 16) {
        // Interleaving stays within 128-bit halves: with the middle quarters swapped first, the low
        // interleave holds pixels 0-7 and the high one 8-15.
        const __m256i p = _mm256_permute4x64_epi64(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i)), 0xD8);
        const __m256i r = _mm256_mulhi_epu16(_mm256_and_si256(p, redMask), redMul);
        const __m256i g = _mm256_mulhi_epu16(_mm256_and_si256(p, greenMask), greenMul);
        const __m256i b = _mm256_mulhi_epu16(_mm256_slli_epi16(p, 11), blueMul);
        const __m256i gb = _mm256_or_si256(b, _mm256_slli_epi16(g, 8));
        const __m256i ar = _mm256_or_si256(r, alpha);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dest + i), _mm256_unpacklo_epi16(gb, ar));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dest + i + 8), _mm256_unpackhi_epi16(gb, ar));
    }
    // Fewer than sixteen left: one SSE2 step of eight, then the formula.
    if (i + 8 <= count) {
        __m128i lo, hi;
        Sse2Eight<k565>(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i)), lo, hi);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dest + i), lo);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dest + i + 4), hi);
        i += 8;
    }
    ScalarRow<k565>(dest + i, src + i, count - i);
}

OLVARN_AVX2_END

const Kernels kScalar = {ScalarRow<true>, ScalarRow<false>};
const Kernels kSse2 = {Sse2Row<true>, Sse2Row<false>};
const Kernels kAvx2 = {Avx2Row<true>, Avx2Row<false>};

} // namespace

const Kernels* ForLevel(Level level)
{
    return TableForLevel(level, kScalar, kSse2, kAvx2);
}

void Picture(uint8_t* dest, int destPitch, const uint8_t* src, int srcPitch, int width, int height, bool is565)
{
    static const Kernels& best = CpuHasAvx2() ? kAvx2 : kSse2;
    const RowFn row = is565 ? best.row565 : best.row555;
    for (int y = 0; y < height; ++y)
        row(reinterpret_cast<uint32_t*>(dest + std::ptrdiff_t(y) * destPitch),
            reinterpret_cast<const uint16_t*>(src + std::ptrdiff_t(y) * srcPitch), width);
}

} // namespace widen
} // namespace Olvarn
