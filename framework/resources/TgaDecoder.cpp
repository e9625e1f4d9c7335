// Reader of uncompressed 32-bit TGA files with the origin at the top left.
#include <cstring>

#include "resources/ImageLib.h"

namespace ImageLib
{

namespace
{

constexpr int kHeaderSize = 18;
constexpr uint8_t kTopLeftWithAlpha = 0x28;

struct TgaHeader {
    uint8_t mIdLength = 0;
    uint16_t mWidth = 0;
    uint16_t mHeight = 0;
    uint8_t mBitsPerPixel = 0;
    uint8_t mDescriptor = 0;
};

uint16_t ReadLittle16(const uint8_t* p)
{
    return uint16_t(p[0] | (p[1] << 8));
}

bool ReadHeader(const uint8_t* raw, size_t size, TgaHeader& header)
{
    if (size < size_t(kHeaderSize))
        return false;
    header.mIdLength = raw[0];
    header.mWidth = ReadLittle16(raw + 12);
    header.mHeight = ReadLittle16(raw + 14);
    header.mBitsPerPixel = raw[16];
    header.mDescriptor = raw[17];
    return true;
}

} // namespace

std::unique_ptr<Image> ParseTga(const uint8_t* bytes, size_t size)
{
    TgaHeader header;
    if (!ReadHeader(bytes, size, header))
        return nullptr;
    if (header.mBitsPerPixel != 32 || header.mDescriptor != kTopLeftWithAlpha)
        return nullptr;
    // The image id sits between the header and the pixels.
    size_t at = size_t(kHeaderSize) + header.mIdLength;
    // A file too short for its stated size must not make us allocate that size.
    size_t pixelBytes = size_t(header.mWidth) * header.mHeight * 4;
    if (at > size || size - at < pixelBytes)
        return nullptr;

    auto image = std::make_unique<Image>();
    if (!image->Create(header.mWidth, header.mHeight))
        return nullptr;
    static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "TGA pixels are read straight into memory order");
    std::memcpy(image->GetBits(), bytes + at, pixelBytes);
    return image;
}

std::unique_ptr<Image> ReadTga(const std::string& fileName)
{
    return ParseFile(fileName, ParseTga);
}

} // namespace ImageLib
