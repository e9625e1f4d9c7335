// The decoded image record, and finding an image file by extension with its alpha companion.
#include "resources/ImageLib.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/Directories.h"
#include "platform/Paths.h"

namespace ImageLib
{

Image::~Image()
{
    std::free(mBits);
}

bool Image::Create(int width, int height)
{
    std::free(mBits);
    mBits = nullptr;
    mWidth = 0;
    mHeight = 0;
    if (width <= 0 || height <= 0 || width > kMaxDimension || height > kMaxDimension ||
        int64_t(width) * height > kMaxPixels)
        return false;
    // calloc: large blocks come zeroed from the system without being touched.
    mBits = static_cast<uint32_t*>(std::calloc(size_t(width) * size_t(height), sizeof(uint32_t)));
    if (!mBits)
        return false;
    mWidth = width;
    mHeight = height;
    return true;
}

namespace
{

// The largest picture we load is a screen-sized background, a few megabytes even uncompressed.
constexpr size_t kMaxImageFileBytes = 64u << 20;

using Reader = std::unique_ptr<Image> (*)(const std::string&);

struct Format {
    const char* mExtension;
    Reader mRead;
};

// The order in which an extension-less path is tried.
constexpr Format kFormats[] = {
    {".tga", static_cast<Reader>(&ReadTga)},
    {".jpg", static_cast<Reader>(&ReadJpeg)},
    {".png", static_cast<Reader>(&ReadPng)},
    {".gif", static_cast<Reader>(&ReadGif)},
};

bool EqualsIgnoreCase(const std::string& a, const char* b)
{
    std::string::size_type i = 0;
    for (; i < a.size() && b[i]; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return i == a.size() && !b[i];
}

// Position of the later of the last '\' and the last '/', or npos.
std::string::size_type SeparatorPos(const std::string& path)
{
    std::string::size_type back = path.rfind('\\');
    std::string::size_type slash = path.rfind('/');
    if (back == std::string::npos)
        return slash;
    if (slash == std::string::npos)
        return back;
    return back > slash ? back : slash;
}

std::unique_ptr<Image> FindImage(const std::string& path)
{
    std::string::size_type sep = SeparatorPos(path);
    std::string::size_type dot = path.rfind('.');
    bool hasExtension = dot != std::string::npos && (sep == std::string::npos || dot > sep);
    std::string base = hasExtension ? path.substr(0, dot) : path;
    std::string extension = hasExtension ? path.substr(dot) : "";

    for (const Format& format : kFormats) {
        if (hasExtension && !EqualsIgnoreCase(extension, format.mExtension))
            continue;
        if (std::unique_ptr<Image> image = format.mRead(base + format.mExtension))
            return image;
    }
    return nullptr;
}

std::unique_ptr<Image> FindAlphaCompanion(const std::string& path)
{
    std::string::size_type sep = SeparatorPos(path);
    std::string::size_type fileStart = sep == std::string::npos ? 0 : sep + 1;
    std::unique_ptr<Image> alpha = FindImage(path.substr(0, fileStart) + "_" + path.substr(fileStart));
    if (!alpha)
        alpha = FindImage(path + "_");
    return alpha;
}

void MergeAlpha(Image& color, const Image& alpha)
{
    uint32_t* bits = color.GetBits();
    const uint32_t* alphaBits = alpha.GetBits();
    size_t count = size_t(color.GetWidth()) * size_t(color.GetHeight());
    for (size_t i = 0; i < count; ++i)
        bits[i] = (bits[i] & 0x00FFFFFF) | (alphaBits[i] << 24);
}

// A companion alone: white, with the companion's blue channel as alpha.
void AlphaToWhite(Image& alpha)
{
    uint32_t* bits = alpha.GetBits();
    size_t count = size_t(alpha.GetWidth()) * size_t(alpha.GetHeight());
    for (size_t i = 0; i < count; ++i)
        bits[i] = 0x00FFFFFF | (bits[i] << 24);
}

} // namespace

std::unique_ptr<Image> ParseFile(const std::string& fileName,
                                 std::unique_ptr<Image> (*parse)(const uint8_t* bytes, size_t size))
{
    std::string bytes;
    if (!Olvarn::ReadWholeFile(Olvarn::Paths::Resolve(fileName), bytes, kMaxImageFileBytes))
        return nullptr;
    return parse(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

std::unique_ptr<Image> LoadImageFile(const std::string& path, bool lookForAlpha)
{
    std::unique_ptr<Image> image = FindImage(path);
    if (!lookForAlpha)
        return image;
    std::unique_ptr<Image> alpha = FindAlphaCompanion(path);
    if (!alpha)
        return image;
    if (!image) {
        AlphaToWhite(*alpha);
        return alpha;
    }
    if (image->GetWidth() == alpha->GetWidth() && image->GetHeight() == alpha->GetHeight())
        MergeAlpha(*image, *alpha);
    return image;
}

} // namespace ImageLib
