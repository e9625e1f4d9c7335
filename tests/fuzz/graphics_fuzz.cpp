// Fuzzes the software drawing: arbitrary commands through a drawing context onto a small memory image,
// with sources of any size and form, and coordinates, angles and scales that may be NaN or huge.
// A pixel changed outside the context's clip, or a changed guard word, is a fault.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "graphics/Transform2D.h"

namespace
{

struct Input {
    const uint8_t* data;
    size_t size;
    size_t pos = 0;

    template <class T> T Read()
    {
        T out{};
        if (size - pos >= sizeof(T)) {
            std::memcpy(&out, data + pos, sizeof(T));
            pos += sizeof(T);
        }
        return out;
    }
    int Small(int range) { return int(Read<uint8_t>()) % range - range / 4; }
    bool Done() const { return pos >= size; }
};

Olvarn::MemoryImage MakeImage(Input& in, int maxSize)
{
    int w = in.Read<uint8_t>() % (maxSize + 1), h = in.Read<uint8_t>() % (maxSize + 1);
    std::vector<uint32_t> bits(size_t(w) * h);
    for (uint32_t& p : bits)
        p = in.Read<uint32_t>();
    Olvarn::MemoryImage image;
    image.SetBits(bits.data(), w, h);
    if (in.Read<uint8_t>() & 1)
        image.Palettize();
    return image;
}

void Draw(Olvarn::Graphics& g, Olvarn::MemoryImage* src, Input& in)
{
    using Olvarn::Rect;
    Rect region(in.Small(24), in.Small(24), in.Read<int32_t>() % 64, in.Read<int32_t>() % 64);
    switch (in.Read<uint8_t>() % 9) {
    case 0:
        g.FillRect(in.Read<int32_t>(), in.Read<int32_t>(), in.Read<int32_t>(), in.Read<int32_t>());
        break;
    case 1:
        g.DrawRect(in.Small(64), in.Small(64), in.Read<int32_t>(), in.Read<int32_t>());
        break;
    case 2:
        g.DrawImageRegion(src, in.Small(64), in.Small(64), region);
        break;
    case 3:
        g.DrawImageAtFloat(src, in.Read<float>(), in.Read<float>(), region);
        break;
    case 4:
        g.DrawImageRotatedAround(src, in.Read<float>(), in.Read<float>(), in.Read<double>(), in.Read<float>(),
                                 in.Read<float>(), &region);
        break;
    case 5:
        g.DrawImageRegionScaled(src, Rect(in.Small(64), in.Small(64), in.Read<int32_t>(), in.Read<int32_t>()), region);
        break;
    case 6: {
        Olvarn::Transform2D t;
        t.Rotate(in.Read<float>());
        t.Scale(in.Read<float>(), in.Read<float>());
        g.DrawImageTransformed(src, t, region, in.Read<float>(), in.Read<float>(), in.Read<uint8_t>() & 1);
        break;
    }
    case 7:
        g.DrawNineGridRegion(region, Rect(in.Small(64), in.Small(64), in.Read<int32_t>(), in.Read<int32_t>()), src);
        break;
    default:
        g.DrawImage(src, in.Small(64), in.Small(64));
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input in{data, size};
    Olvarn::MemoryImage dest = MakeImage(in, 24);
    Olvarn::MemoryImage src = MakeImage(in, 12);
    std::vector<uint32_t> before(dest.GetBits(), dest.GetBits() + dest.PixelCount());
    Olvarn::Graphics g(&dest);
    g.Translate(in.Small(16), in.Small(16));
    g.IntersectClip(in.Small(32), in.Small(32), in.Read<uint8_t>(), in.Read<uint8_t>());
    const Olvarn::Rect clip = g.GetClipRect();
    while (!in.Done()) {
        uint8_t flags = in.Read<uint8_t>();
        g.SetColor(Olvarn::Color(in.Read<uint32_t>()));
        g.SetDrawMode(flags & 3);
        g.SetModulateImages(flags & 4);
        g.SetFastScaling(flags & 8);
        g.SetBilinear(flags & 16);
        Draw(g, &src, in);
    }
    const uint32_t* after = dest.GetBits();
    for (int y = 0; y < dest.mHeight; ++y)
        for (int x = 0; x < dest.mWidth; ++x)
            if (!clip.Contains(x, y) && after[y * dest.mWidth + x] != before[size_t(y) * dest.mWidth + x])
                std::abort();
    if (after[dest.PixelCount()] != Olvarn::MemoryImage::kGuardWord)
        std::abort();
    return 0;
}
