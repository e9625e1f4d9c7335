// The span loop of nearest-texel drawing onto 16-bit pixels (textured, no vertex colours, no filter),
// the case of every rotated and scaled sprite on a 16-bit screen, in vector forms: SSE2 (every x86-64
// processor) and AVX2 (chosen once at start-up where the processor has it). The scan converter's own
// per-pixel loop stays the reference: a vector form gives its pixels bit for bit, and the Reference
// level makes the scan converters run that loop again.
#pragma once

#include <cstdint>

#include "swtri/RasterTypes.h"

namespace Olvarn::texelspan
{

enum class Level { Reference, Sse2, Avx2 };

// The texture position of a span's first pixel and its step per pixel, 16.16, wrapping as the scan
// converter's attribute stepping does.
struct TexelWalk {
    int32_t u, v, du, dv;
};

// How a texel becomes a pixel: its channels times r, g, b >> 8 and its alpha times a >> 8, each factor
// 0..256 (256 keeps a value as it is, which is how an unmodulated draw is given); with blend, texels
// of alpha 8 or less leave the pixel, without it every texel's alpha counts as 255.
struct SpanShade {
    uint32_t a, r, g, b;
    bool blend;
};

// One span of count pixels from dest on, for a layout of the 16-bit pixel: red at bit 11 and a 6-bit
// green (R5G6B5), or red at bit 10 and a 5-bit green (X1R5G5B5).
using SpanFunction = void (*)(uint16_t* dest, int count, const TexelWalk& walk, const RasterTexture& texture,
                              const SpanShade& shade);

struct Table {
    Level level;
    SpanFunction r5g6b5;
    SpanFunction x1r5g5b5;
};

// The table the scan converters use: the best level this processor runs, chosen on first use; its
// functions are null at the Reference level.
const Table& Active();
// The table of one level; null when the processor cannot run it.
const Table* ForLevel(Level level);
// Makes every later Active() return this level's table (tests and benchmarks compare the levels
// through the public drawing calls); false when the processor cannot run it.
bool UseLevel(Level level);

} // namespace Olvarn::texelspan
