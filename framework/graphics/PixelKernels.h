// The inner pixel loops of software drawing, one row or run at a time, in three forms: the scalar
// formula (the reference every other form must match bit for bit), SSE2 (every x86-64 processor) and
// AVX2 (chosen once at start-up where the processor has it). Callers keep the clipping, the
// run-length walking and the rare paths; these only touch pixels.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Olvarn
{
namespace kernels
{

enum class Level { Scalar, Sse2, Avx2 };

// A translucent colour (alpha 1 to 254) filled over ARGB pixels that keep a combined alpha.
struct FillColor {
    int r, g, b, a;
};

// How an ARGB source is added onto ARGB pixels: plain or weighed by its own alpha, plain or tinted by
// (vr, vg, vb) / 256; with skipClear, alpha-0 pixels add nothing.
struct AddMode {
    bool white, hasAlpha, skipClear;
    uint32_t vr, vg, vb;
};

// The channel masks of a 16-bit screen pixel.
struct Format16 {
    uint32_t mask[3];
};

// One row of a bilinear rotation: the source's top-left pixel and its pitch in pixels, the 16.16 source
// position of the row's first pixel and its step per pixel. The caller keeps the row to the pixels
// whose four taps lie inside the source.
struct RotateRow {
    const uint32_t* src;
    int pitch;
    int32_t u, v, du, dv;
};

// The destination's channels (shift and width of red, green, blue; 8 bits at most) and the colour:
// white draws the source as it is, else its channels scaled by (color + 1) / 256 and its coverage by
// alpha / 256.
struct RotateBlend {
    int shift[3], bits[3];
    bool white;
    uint32_t alpha;
    uint32_t color[3];
};

struct Table {
    Level level;
    // ARGB memory images.
    void (*fillTranslucent)(uint32_t* row, int count, const FillColor& k);
    void (*blendOntoOpaque)(uint32_t* dest, const uint32_t* src, int count);
    // A whole sprite row onto opaque pixels: clear source pixels leave the destination as it is, opaque
    // ones are copied and the rest blended as blendOntoOpaque does, so narrow sprites need no run walk.
    void (*blendRowOntoOpaque)(uint32_t* dest, const uint32_t* src, int count);
    void (*addArgb)(uint32_t* dest, const uint32_t* src, int count, const AddMode& mode);
    // Composes ARGB pixels over ARGB pixels that keep a combined alpha, tinted by k unless white.
    void (*composeOver)(uint32_t* dest, const uint32_t* src, int count, bool white, const FillColor& k);
    // Display surfaces; the source is premultiplied in the screen layout with its alpha on top. A clear
    // source pixel (alpha 0) leaves the destination as it is, so callers may blend across clear runs.
    void (*blendPremul32)(uint32_t* dest, const uint32_t* src, int count);
    void (*blendPremul16)(uint16_t* dest, const uint32_t* src, int count, const Format16& f);
    void (*narrow16)(uint16_t* dest, const uint32_t* src, int count);
    // cm: the colour's channels (red, green, blue) times its alpha / 255; white adds the source as is.
    void (*add32)(uint32_t* dest, const uint32_t* src, int count, bool white, const uint32_t* cm);
    void (*add16)(uint16_t* dest, const uint32_t* src, int count, bool white, const uint32_t* cm, const Format16& f);
    // add16 over a rectangle: height rows of width pixels, the destination's rows destPitch bytes apart
    // and the source's srcPitch pixels apart; one call for a whole sprite.
    void (*add16Rows)(uint16_t* dest, std::ptrdiff_t destPitch, const uint32_t* src, std::ptrdiff_t srcPitch, int width,
                      int height, bool white, const uint32_t* cm, const Format16& f);
    // add16Rows, white, onto a 565 screen from the source's own 565 pixels (the low half of each
    // premultiplied pixel): half the bytes to read and nothing to narrow.
    void (*add565Rows16)(uint16_t* dest, std::ptrdiff_t destPitch, const uint16_t* src, std::ptrdiff_t srcPitch,
                         int width, int height);
    // Translucent fills of display surfaces: src plus each channel of the pixel kept by keep / 256,
    // rounded up by the channel's mask / roundDiv (none when roundDiv is 0).
    void (*fill32)(uint32_t* row, int count, uint32_t src, uint32_t keep, const Format16& masks, uint32_t roundDiv);
    void (*fill16)(uint16_t* row, int count, uint32_t src, uint32_t keep, const Format16& masks, uint32_t roundDiv);
    // Tinted blends of a run: with tintOnly (an opaque run, colour alpha 255) the source times cm / 256,
    // else the destination kept by 256 - a * alpha / 255 plus the tinted source.
    void (*tint32)(uint32_t* dest, const uint32_t* src, int count, int alpha, const uint32_t* cm, bool tintOnly);
    void (*tint16)(uint16_t* dest, const uint32_t* src, int count, int alpha, const uint32_t* cm, bool tintOnly,
                   const Format16& f);
    // Rotated drawing onto display surfaces: each pixel the four taps around its source position, weighed
    // by their distance and alpha, over the pixel kept by what they leave. A pixel whose four taps are
    // all clear is not written (its unused top byte stays as well).
    void (*rotate32)(uint32_t* dest, int count, const RotateRow& row, const RotateBlend& b);
    void (*rotate16)(uint16_t* dest, int count, const RotateRow& row, const RotateBlend& b);
};

// Copies count pixels in reverse order (dest[i] = src[count - 1 - i]), four at a time in SSE2, which
// every x86-64 processor has; the two ranges must not overlap.
void ReverseCopy(uint32_t* dest, const uint32_t* src, int count);

// The table of the best level this processor runs, chosen on first use.
const Table& Active();
// The table of one level; null when the processor cannot run it.
const Table* ForLevel(Level level);
// Makes every later Active() return this level's table (tests compare levels through the public
// drawing calls); false when the processor cannot run it.
bool UseLevel(Level level);

} // namespace kernels
} // namespace Olvarn
