// Writes drawing commands in the byte form the drawing fuzz target reads, so that cases the tests
// draw become the fuzzer's starting corpus.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "core/Rect.h"
#include "support/TempDir.h"

namespace graphicstest
{

class DrawingSeed
{
public:
    // Which drawing call a command makes, numbered as the fuzz target numbers them.
    enum Op : uint8_t { Fill, Outline, Region, AtFloat, Rotated, Scaled, Transformed, NineGrid, Whole };

    // A destination and a source of the given sizes (at most 24 and 12), filled with a pattern;
    // then the context's translation and clip.
    DrawingSeed(int destSize, int srcSize, int translate, const Olvarn::Rect& clip)
    {
        Image(destSize);
        Image(srcSize);
        Small(translate, 16);
        Small(translate, 16);
        Small(clip.mX, 32);
        Small(clip.mY, 32);
        Put<uint8_t>(static_cast<uint8_t>(clip.mWidth));
        Put<uint8_t>(static_cast<uint8_t>(clip.mHeight));
    }

    // One command with a source region, then the operands the operation reads, as 32-bit ints.
    DrawingSeed& Command(Op op, uint8_t flags, uint32_t colour, const Olvarn::Rect& region,
                         std::initializer_list<int32_t> smallThenWide)
    {
        Put<uint8_t>(flags);
        Put<uint32_t>(colour);
        Small(region.mX, 24);
        Small(region.mY, 24);
        Put<int32_t>(region.mWidth);
        Put<int32_t>(region.mHeight);
        Put<uint8_t>(op);
        mBytes += mOperands(op, smallThenWide);
        return *this;
    }

    void Save(const std::string& name) const { testsupport::SaveFuzzSeed("graphics", name, mBytes); }

private:
    template <typename T> void Put(T value) { mBytes.append(reinterpret_cast<const char*>(&value), sizeof value); }
    // A value read back as byte % range - range / 4.
    void Small(int value, int range) { Put<uint8_t>(static_cast<uint8_t>(value + range / 4)); }
    void Image(int size)
    {
        Put<uint8_t>(static_cast<uint8_t>(size));
        Put<uint8_t>(static_cast<uint8_t>(size));
        for (int i = 0; i < size * size; ++i)
            Put<uint32_t>(0xFF000000u | uint32_t(i) * 0x010203u);
        Put<uint8_t>(0); // not palettized
    }
    // The nine-grid and the region draws take two positions (byte-sized) and, for the nine-grid,
    // a width and height (full ints); the fill takes four full ints.
    std::string mOperands(Op op, std::initializer_list<int32_t> values)
    {
        std::string out;
        auto put = [&out](auto v) { out.append(reinterpret_cast<const char*>(&v), sizeof v); };
        const int32_t* v = values.begin();
        const size_t n = values.size();
        switch (op) {
        case Fill:
            for (size_t i = 0; i < n; ++i)
                put(v[i]);
            break;
        case NineGrid:
        case Scaled:
            put(static_cast<uint8_t>(n > 0 ? v[0] + 16 : 16));
            put(static_cast<uint8_t>(n > 1 ? v[1] + 16 : 16));
            put(n > 2 ? v[2] : 0);
            put(n > 3 ? v[3] : 0);
            break;
        default:
            put(static_cast<uint8_t>(n > 0 ? v[0] + 16 : 16));
            put(static_cast<uint8_t>(n > 1 ? v[1] + 16 : 16));
            break;
        }
        return out;
    }

    std::string mBytes;
};

} // namespace graphicstest
