// Image files to plain 32-bit pixel arrays and back: TGA, JPEG, PNG and GIF, with alpha companions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace ImageLib
{

// A decoded image: rows from the top, each pixel 0xAARRGGBB (bytes blue, green, red, alpha).
class Image
{
public:
    Image() = default;
    virtual ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    // Allocates width x height transparent black pixels. False, leaving the image empty, for a
    // size of 0 or beyond kMaxDimension / kMaxPixels.
    bool Create(int width, int height);

    int GetWidth() const { return mWidth; }
    int GetHeight() const { return mHeight; }
    uint32_t* GetBits() { return mBits; }
    const uint32_t* GetBits() const { return mBits; }

    // Files state their own sizes; these bound what one may make us allocate.
    static constexpr int kMaxDimension = 16384;
    static constexpr int64_t kMaxPixels = int64_t(1) << 24;

private:
    int mWidth = 0;
    int mHeight = 0;
    uint32_t* mBits = nullptr;
};

// Finds path (given with or without an extension) among ".tga", ".jpg", ".png", ".gif", in that
// order, and with lookForAlpha merges the companion "_name" file as the alpha channel.
std::unique_ptr<Image> LoadImageFile(const std::string& path, bool lookForAlpha);

// One file each, no extension logic; null on any failure.
std::unique_ptr<Image> ReadTga(const std::string& fileName);
std::unique_ptr<Image> ReadJpeg(const std::string& fileName);
std::unique_ptr<Image> ReadPng(const std::string& fileName);
std::unique_ptr<Image> ReadGif(const std::string& fileName);

// The readers' cores: the whole file's bytes in, an image or null out.
std::unique_ptr<Image> ParseTga(const uint8_t* bytes, size_t size);
std::unique_ptr<Image> ParseJpeg(const uint8_t* bytes, size_t size);
std::unique_ptr<Image> ParsePng(const uint8_t* bytes, size_t size);
std::unique_ptr<Image> ParseGif(const uint8_t* bytes, size_t size);

// Reads the named file (resolved as image names are) whole and hands its bytes to the parser.
std::unique_ptr<Image> ParseFile(const std::string& fileName,
                                 std::unique_ptr<Image> (*parse)(const uint8_t* bytes, size_t size));

// RGBA PNG, and JPEG at quality 80 (alpha dropped); false when the file cannot be written.
bool SavePng(const std::string& fileName, const Image& image);
bool SaveJpeg(const std::string& fileName, const Image& image);

} // namespace ImageLib
