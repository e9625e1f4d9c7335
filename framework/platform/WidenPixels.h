// Widens 16-bit screen pixels (565 or 555) to 0xFFRRGGBB for a 32-bit window surface, the one
// conversion a 16-bit screen costs at present time. Each channel's bits are repeated into the low
// bits, so full intensity stays full (31 becomes 255, not 248). The scalar form is the reference the
// SSE2 and AVX2 forms match bit for bit; the best one this processor runs is chosen once.
#pragma once

#include <cstdint>

namespace Olvarn
{
namespace widen
{

enum class Level { Scalar, Sse2, Avx2 };

using RowFn = void (*)(uint32_t* dest, const uint16_t* src, int count);

struct Kernels {
    RowFn row565;
    RowFn row555;
};

// The kernels of one level; null when the processor cannot run it.
const Kernels* ForLevel(Level level);

// Widens a picture of width x height, rows pitch bytes apart on both sides, with the best kernels.
void Picture(uint8_t* dest, int destPitch, const uint8_t* src, int srcPitch, int width, int height, bool is565);

} // namespace widen
} // namespace Olvarn
