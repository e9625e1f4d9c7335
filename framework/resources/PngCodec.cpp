// PNG reading and writing through libpng; every row arrives as, or leaves from, 0xAARRGGBB pixels.
#include <png.h>

#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/Paths.h"
#include "resources/ImageLib.h"

namespace ImageLib
{

namespace
{

// libpng reports errors by jumping back to png_jmpbuf; messages are not ours to print.
[[noreturn]] void OnPngError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

// Everything the jump-protected part touches lives here, outside its frame, so that a jump
// skips no destructor.
struct PngRead {
    png_structp mPng = nullptr;
    png_infop mInfo = nullptr;
    std::unique_ptr<Image> mImage;
    std::vector<png_bytep> mRows;
    const uint8_t* mBytes = nullptr;
    size_t mSize = 0;
    size_t mAt = 0;
};

// No chunk of an image we draw comes near this. A chunk's stated length, or what its compressed
// text or profile inflates to, beyond it is broken or hostile: an 83-byte file may declare a
// palette chunk of a gigabyte.
constexpr png_alloc_size_t kMaxChunkBytes = 8 << 20;

// This libpng takes a suggested palette's stated length at its word, past the chunk limit, so every
// allocation it makes is bounded here too: its largest honest one is a row buffer or a chunk under
// the limit.
png_voidp CappedMalloc(png_structp, png_alloc_size_t size)
{
    return size > kMaxChunkBytes + (1 << 20) ? nullptr : std::malloc(size);
}

void CappedFree(png_structp, png_voidp block)
{
    std::free(block);
}

void ReadFromMemory(png_structp png, png_bytep out, png_size_t length)
{
    auto* r = static_cast<PngRead*>(png_get_io_ptr(png));
    if (length > r->mSize - r->mAt)
        png_error(png, "unexpected end of file");
    std::memcpy(out, r->mBytes + r->mAt, length);
    r->mAt += length;
}

// Asks libpng for 8-bit blue, green, red, alpha whatever the file holds.
void RequestBgra(png_structp png, png_infop info)
{
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_packing(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    int colorType = png_get_color_type(png, info);
    bool hasAlpha = (colorType & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, info, PNG_INFO_tRNS);
    if (!hasAlpha)
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
}

bool ReadPngProtected(PngRead& r)
{
    if (setjmp(png_jmpbuf(r.mPng)))
        return false;
    png_set_read_fn(r.mPng, &r, ReadFromMemory);
    png_set_user_limits(r.mPng, Image::kMaxDimension, Image::kMaxDimension);
    png_set_chunk_malloc_max(r.mPng, kMaxChunkBytes);
    png_set_chunk_cache_max(r.mPng, 256);
    png_read_info(r.mPng, r.mInfo);
    RequestBgra(r.mPng, r.mInfo);

    png_uint_32 width = png_get_image_width(r.mPng, r.mInfo);
    png_uint_32 height = png_get_image_height(r.mPng, r.mInfo);
    if (png_get_rowbytes(r.mPng, r.mInfo) != size_t(width) * 4)
        return false;
    r.mImage = std::make_unique<Image>();
    if (!r.mImage->Create(int(width), int(height)))
        return false;
    r.mRows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y)
        r.mRows[y] = reinterpret_cast<png_bytep>(r.mImage->GetBits() + size_t(y) * width);
    png_read_image(r.mPng, r.mRows.data());
    return true;
}

struct PngWrite {
    png_structp mPng = nullptr;
    png_infop mInfo = nullptr;
};

bool WritePngProtected(PngWrite& w, std::FILE* file, const Image& image)
{
    if (setjmp(png_jmpbuf(w.mPng)))
        return false;
    png_init_io(w.mPng, file);
    png_set_IHDR(w.mPng, w.mInfo, png_uint_32(image.GetWidth()), png_uint_32(image.GetHeight()), 8,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_color_8 significant{8, 8, 8, 8, 8};
    png_set_sBIT(w.mPng, w.mInfo, &significant);
    png_write_info(w.mPng, w.mInfo);
    png_set_bgr(w.mPng);
    for (int y = 0; y < image.GetHeight(); ++y) {
        const uint32_t* row = image.GetBits() + size_t(y) * size_t(image.GetWidth());
        png_write_row(w.mPng, reinterpret_cast<png_const_bytep>(row));
    }
    png_write_end(w.mPng, w.mInfo);
    return true;
}

} // namespace

std::unique_ptr<Image> ParsePng(const uint8_t* bytes, size_t size)
{
    PngRead r;
    r.mBytes = bytes;
    r.mSize = size;
    r.mPng = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning, nullptr, CappedMalloc,
                                      CappedFree);
    if (!r.mPng)
        return nullptr;
    r.mInfo = png_create_info_struct(r.mPng);
    bool ok = r.mInfo && ReadPngProtected(r);
    png_destroy_read_struct(&r.mPng, r.mInfo ? &r.mInfo : nullptr, nullptr);
    return ok ? std::move(r.mImage) : nullptr;
}

std::unique_ptr<Image> ReadPng(const std::string& fileName)
{
    return ParseFile(fileName, ParsePng);
}

bool SavePng(const std::string& fileName, const Image& image)
{
    if (!image.GetBits())
        return false;
    std::FILE* file = std::fopen(Olvarn::Paths::ToNative(fileName).c_str(), "wb");
    if (!file)
        return false;
    PngWrite w;
    w.mPng = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
    if (w.mPng)
        w.mInfo = png_create_info_struct(w.mPng);
    bool ok = w.mInfo && WritePngProtected(w, file, image);
    if (w.mPng)
        png_destroy_write_struct(&w.mPng, w.mInfo ? &w.mInfo : nullptr);
    // A full disk may show only when the buffered rest is written out.
    ok = (std::fclose(file) == 0) && ok;
    return ok;
}

} // namespace ImageLib
