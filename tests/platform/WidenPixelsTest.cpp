// The 16-bit to 32-bit widening of presents: the formula on the channel extremes, then every vector
// form against it over all 65536 pixel values and over rows of every short length, unaligned starts
// and odd pitches.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/WidenPixels.h"

using namespace Olvarn;
using namespace Olvarn::widen;

namespace
{

TEST(WidenPixelsTest, ChannelExtremesMapToFullRange)
{
    const Kernels* k = ForLevel(Level::Scalar);
    struct Case {
        bool is565;
        uint16_t in;
        uint32_t out;
    };
    const Case cases[] = {
        {true, 0x0000, 0xFF000000},  {true, 0xFFFF, 0xFFFFFFFF},  {true, 0xF800, 0xFFFF0000},
        {true, 0x07E0, 0xFF00FF00},  {true, 0x001F, 0xFF0000FF},  {true, 0x0821, 0xFF080408},
        {false, 0x7FFF, 0xFFFFFFFF}, {false, 0x8000, 0xFF000000}, {false, 0x7C00, 0xFFFF0000},
        {false, 0x03E0, 0xFF00FF00}, {false, 0x0421, 0xFF080808}, {false, 0x4210, 0xFF848484},
    };
    for (const Case& c : cases) {
        uint32_t out = 0;
        (c.is565 ? k->row565 : k->row555)(&out, &c.in, 1);
        EXPECT_EQ(out, c.out) << std::hex << c.in << (c.is565 ? " 565" : " 555");
    }
}

TEST(WidenPixelsTest, VectorFormsMatchTheFormula)
{
    const Kernels* ref = ForLevel(Level::Scalar);
    for (Level level : {Level::Sse2, Level::Avx2}) {
        const Kernels* k = ForLevel(level);
        if (!k)
            continue;
        for (bool is565 : {true, false}) {
            SCOPED_TRACE(std::string(level == Level::Sse2 ? "sse2" : "avx2") + (is565 ? " 565" : " 555"));
            RowFn mine = is565 ? k->row565 : k->row555, theirs = is565 ? ref->row565 : ref->row555;
            // Every value once, one pixel past a register boundary in the start address.
            std::vector<uint16_t> all(65536 + 1);
            for (int v = 0; v < 65536; ++v)
                all[size_t(v) + 1] = uint16_t(v);
            std::vector<uint32_t> a(65536 + 3, 0x12345678), b = a;
            mine(a.data() + 3, all.data() + 1, 65536);
            theirs(b.data() + 3, all.data() + 1, 65536);
            ASSERT_EQ(a, b);

            // Short rows, with guard pixels on both sides that must stay untouched.
            uint32_t seed = 12345;
            for (int width = 1; width <= 40; ++width)
                for (int offset = 0; offset < 4; ++offset) {
                    std::vector<uint16_t> src(size_t(width) + 8);
                    for (auto& p : src)
                        p = uint16_t((seed = seed * 1664525u + 1013904223u) >> 16);
                    std::vector<uint32_t> x(size_t(width) + 8, 0xDEADBEEF), y = x;
                    mine(x.data() + offset, src.data() + offset, width);
                    theirs(y.data() + offset, src.data() + offset, width);
                    ASSERT_EQ(x, y) << "width " << width << " offset " << offset;
                }
        }
    }
}

TEST(WidenPixelsTest, PictureKeepsEachRowsPitch)
{
    // Odd source pitch (rows start at odd halfword boundaries past the first) and a destination pitch
    // wider than the row: the bytes between rows stay as they were.
    const int width = 13, height = 5, srcPitch = 2 * width + 6, destPitch = 4 * width + 12;
    std::vector<uint8_t> src(size_t(srcPitch) * height);
    for (size_t i = 0; i < src.size(); ++i)
        src[i] = uint8_t(i * 37 + 11);
    std::vector<uint8_t> dest(size_t(destPitch) * height, 0xAB);
    Picture(dest.data(), destPitch, src.data(), srcPitch, width, height, true);
    const Kernels* ref = ForLevel(Level::Scalar);
    for (int y = 0; y < height; ++y) {
        std::vector<uint16_t> row(width);
        std::memcpy(row.data(), src.data() + size_t(y) * srcPitch, size_t(width) * 2);
        std::vector<uint32_t> expected(width);
        ref->row565(expected.data(), row.data(), width);
        std::vector<uint32_t> got(width);
        std::memcpy(got.data(), dest.data() + size_t(y) * destPitch, size_t(width) * 4);
        EXPECT_EQ(got, expected) << "row " << y;
        for (int x = width * 4; x < destPitch; ++x)
            ASSERT_EQ(dest[size_t(y) * destPitch + x], 0xAB) << "row " << y << " byte " << x;
    }
}

} // namespace
