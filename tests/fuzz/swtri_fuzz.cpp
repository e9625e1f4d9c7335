// Fuzzes the rasteriser: strips of arbitrary vertices (NaN, infinite, huge, degenerate) through the
// polygon entry, and raw 16.16 triangles through the dispatcher, into a guarded buffer with a clip
// inside it. Any write outside the clip is a fault.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "swtri/RasterizeStrip.h"
#include "swtri/RasterizeTriangle.h"

namespace
{

constexpr int kWidth = 40;
constexpr int kHeight = 24;
constexpr int kBorder = 4;
constexpr int kStride = kWidth + 2 * kBorder;
constexpr uint32_t kFormats[] = {0x888, 0x565, 0x555, 0x8888};
constexpr uint32_t kGuard = 0xA5A5A5A5;

struct Input {
    const uint8_t* data;
    size_t size;
    size_t pos = 0;

    template <class T> bool Read(T& out)
    {
        if (size - pos < sizeof(T))
            return false;
        std::memcpy(&out, data + pos, sizeof(T));
        pos += sizeof(T);
        return true;
    }
};

// A clip inside the destination, from four arbitrary integers.
Olvarn::Rect ClipInside(const int32_t raw[4])
{
    int x = int(uint32_t(raw[0]) % (kWidth + 1));
    int y = int(uint32_t(raw[1]) % (kHeight + 1));
    int w = int(uint32_t(raw[2]) % (kWidth - x + 1));
    int h = int(uint32_t(raw[3]) % (kHeight - y + 1));
    return Olvarn::Rect(x, y, w, h);
}

template <class Pixel> void CheckOutsideClip(const std::vector<Pixel>& buffer, const Olvarn::Rect& clip)
{
    for (int y = -kBorder; y < kHeight + kBorder; ++y)
        for (int x = -kBorder; x < kWidth + kBorder; ++x)
            if (!clip.Contains(x, y) && buffer[size_t(y + kBorder) * kStride + size_t(x + kBorder)] != Pixel(kGuard))
                std::abort();
}

template <class Pixel> void Run(uint8_t mode, const Olvarn::Rect& clip, Input& in)
{
    std::vector<Pixel> buffer(size_t(kStride) * (kHeight + 2 * kBorder), Pixel(kGuard));
    void* origin = &buffer[size_t(kBorder) * kStride + kBorder];
    const uint32_t pitch = kStride * sizeof(Pixel);
    uint32_t format = kFormats[mode & 3];
    if (mode & 0x80)
        format ^= 0x10000;

    static const uint32_t texels[15] = {0xFFFFFFFF, 0x80FF0000, 0x00000000, 0x0900FF00, 0xF00000FF,
                                        0x08123456, 0xEFABCDEF, 0xFF000000, 0x7F7F7F7F, 0x01010101,
                                        0xFEDCBA98, 0x11111111, 0xF1F2F3F4, 0x80808080, 0xFFFF00FF};
    Olvarn::StripTexture texture{Olvarn::RasterTexture{texels, 5, 3, 15}, (mode & 0x10) != 0};
    Olvarn::Color colour = (mode & 0x20) ? Olvarn::Color(200, 100, 50, 128) : Olvarn::Color::White;

    if (mode & 0x40) {
        // Raw triangles through the dispatcher, every feature value, clip as given.
        Olvarn::FixedVertex v[3];
        uint8_t features = 0;
        Olvarn::RasterColor rc{uint32_t(colour.mAlpha), uint32_t(colour.mRed), uint32_t(colour.mGreen),
                               uint32_t(colour.mBlue)};
        Olvarn::RasterClip rclip{clip.mX, clip.mY, clip.mX + clip.mWidth, clip.mY + clip.mHeight};
        while (in.Read(features) && in.Read(v)) {
            Olvarn::ScanConvertFunction member = Olvarn::ScanConverterFor(format, features & 31);
            if (member)
                member(v, origin, pitch, &texture.mTexels, &rc, rclip);
        }
    } else {
        std::vector<Olvarn::TriVertex> vertices;
        Olvarn::TriVertex t;
        while (vertices.size() < 64 && in.Read(t))
            vertices.push_back(t);
        Olvarn::RasterizeStrip(vertices.data(), int(vertices.size()), (mode & 0x08) ? &texture : nullptr, colour, clip,
                               origin, pitch, format, (mode & 0x04) != 0);
    }
    CheckOutsideClip(buffer, clip);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input in{data, size};
    uint8_t mode = 0;
    int32_t rawClip[4];
    if (!in.Read(mode) || !in.Read(rawClip))
        return 0;
    Olvarn::Rect clip = ClipInside(rawClip);
    if ((mode & 3) == 1 || (mode & 3) == 2)
        Run<uint16_t>(mode, clip, in);
    else
        Run<uint32_t>(mode, clip, in);
    return 0;
}
