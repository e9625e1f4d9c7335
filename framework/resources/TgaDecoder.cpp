// Reader of uncompressed 32-bit TGA files with the origin at the top left.
#include <cstring>

#include "platform/Paths.h"
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

bool ReadHeader(std::FILE* file, TgaHeader& header)
{
    uint8_t raw[kHeaderSize];
    if (std::fread(raw, 1, kHeaderSize, file) != kHeaderSize)
        return false;
    header.mIdLength = raw[0];
    header.mWidth = ReadLittle16(raw + 12);
    header.mHeight = ReadLittle16(raw + 14);
    header.mBitsPerPixel = raw[16];
    header.mDescriptor = raw[17];
    return true;
}

// Bytes left in the stream, or -1 when it cannot tell.
long RemainingBytes(std::FILE* file)
{
    long here = std::ftell(file);
    if (here < 0 || std::fseek(file, 0, SEEK_END) != 0)
        return -1;
    long end = std::ftell(file);
    if (std::fseek(file, here, SEEK_SET) != 0)
        return -1;
    return end - here;
}

} // namespace

std::unique_ptr<Image> ReadTga(std::FILE* file)
{
    TgaHeader header;
    if (!ReadHeader(file, header))
        return nullptr;
    if (header.mBitsPerPixel != 32 || header.mDescriptor != kTopLeftWithAlpha)
        return nullptr;
    // The image id sits between the header and the pixels.
    if (header.mIdLength > 0 && std::fseek(file, header.mIdLength, SEEK_CUR) != 0)
        return nullptr;

    // A file too short for its stated size must not make us allocate that size.
    size_t bytes = size_t(header.mWidth) * header.mHeight * 4;
    long remaining = RemainingBytes(file);
    if (remaining >= 0 && size_t(remaining) < bytes)
        return nullptr;

    auto image = std::make_unique<Image>();
    if (!image->Create(header.mWidth, header.mHeight))
        return nullptr;
    static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "TGA pixels are read straight into memory order");
    if (std::fread(image->GetBits(), 1, bytes, file) != bytes)
        return nullptr;
    return image;
}

std::unique_ptr<Image> ReadTga(const std::string& fileName)
{
    std::FILE* file = std::fopen(Olvarn::Paths::Resolve(fileName).c_str(), "rb");
    if (!file)
        return nullptr;
    std::unique_ptr<Image> image = ReadTga(file);
    std::fclose(file);
    return image;
}

} // namespace ImageLib
