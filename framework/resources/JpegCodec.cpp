// JPEG reading and writing through libjpeg (6b interface, libjpeg-turbo underneath).
#include <cstddef>
#include <cstdio>
// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include <csetjmp>
#include <vector>

#include "platform/Paths.h"
#include "resources/ImageLib.h"

namespace ImageLib
{

namespace
{

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "JCS_EXT_BGRA is 0xAARRGGBB only on little-endian");

// The standard error manager, but a fatal error jumps back to the reader instead of exiting.
struct JpegError {
    jpeg_error_mgr mManager;
    std::jmp_buf mJump;
};

[[noreturn]] void OnJpegFatal(j_common_ptr info)
{
    (*info->err->output_message)(info);
    std::longjmp(reinterpret_cast<JpegError*>(info->err)->mJump, 1);
}

struct JpegRead {
    jpeg_decompress_struct mInfo{};
    JpegError mError;
    std::unique_ptr<Image> mImage;
};

bool ReadJpegProtected(JpegRead& r, const uint8_t* bytes, size_t size)
{
    if (setjmp(r.mError.mJump))
        return false;
    jpeg_mem_src(&r.mInfo, bytes, static_cast<unsigned long>(size));
    jpeg_read_header(&r.mInfo, TRUE);
    // Grey and colour files alike come out as blue, green, red and an opaque fourth byte, straight
    // into the image's rows.
    r.mInfo.out_color_space = JCS_EXT_BGRA;
    jpeg_calc_output_dimensions(&r.mInfo);
    r.mImage = std::make_unique<Image>();
    if (r.mInfo.output_components != 4 || !r.mImage->Create(int(r.mInfo.output_width), int(r.mInfo.output_height)))
        return false;
    jpeg_start_decompress(&r.mInfo);
    while (r.mInfo.output_scanline < r.mInfo.output_height) {
        JSAMPROW row =
            reinterpret_cast<JSAMPROW>(r.mImage->GetBits() + size_t(r.mInfo.output_scanline) * r.mInfo.output_width);
        if (jpeg_read_scanlines(&r.mInfo, &row, 1) != 1)
            return false;
    }
    jpeg_finish_decompress(&r.mInfo);
    return true;
}

struct JpegWrite {
    jpeg_compress_struct mInfo{};
    JpegError mError;
    std::vector<JSAMPLE> mRow;
};

bool WriteJpegProtected(JpegWrite& w, std::FILE* file, const Image& image)
{
    if (setjmp(w.mError.mJump))
        return false;
    jpeg_stdio_dest(&w.mInfo, file);
    w.mInfo.image_width = JDIMENSION(image.GetWidth());
    w.mInfo.image_height = JDIMENSION(image.GetHeight());
    w.mInfo.input_components = 3;
    w.mInfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&w.mInfo);
    jpeg_set_quality(&w.mInfo, 80, TRUE);
    jpeg_start_compress(&w.mInfo, TRUE);

    w.mRow.resize(size_t(image.GetWidth()) * 3);
    while (w.mInfo.next_scanline < w.mInfo.image_height) {
        const uint32_t* src = image.GetBits() + size_t(w.mInfo.next_scanline) * size_t(image.GetWidth());
        for (int x = 0; x < image.GetWidth(); ++x) {
            w.mRow[size_t(x) * 3] = JSAMPLE(src[x] >> 16);
            w.mRow[size_t(x) * 3 + 1] = JSAMPLE(src[x] >> 8);
            w.mRow[size_t(x) * 3 + 2] = JSAMPLE(src[x]);
        }
        JSAMPROW row = w.mRow.data();
        jpeg_write_scanlines(&w.mInfo, &row, 1);
    }
    jpeg_finish_compress(&w.mInfo);
    return true;
}

} // namespace

std::unique_ptr<Image> ParseJpeg(const uint8_t* bytes, size_t size)
{
    if (size == 0)
        return nullptr;
    JpegRead r;
    r.mInfo.err = jpeg_std_error(&r.mError.mManager);
    r.mError.mManager.error_exit = OnJpegFatal;
    jpeg_create_decompress(&r.mInfo);
    bool ok = ReadJpegProtected(r, bytes, size);
    jpeg_destroy_decompress(&r.mInfo);
    return ok ? std::move(r.mImage) : nullptr;
}

std::unique_ptr<Image> ReadJpeg(const std::string& fileName)
{
    return ParseFile(fileName, ParseJpeg);
}

bool SaveJpeg(const std::string& fileName, const Image& image)
{
    if (!image.GetBits())
        return false;
    std::FILE* file = std::fopen(Olvarn::Paths::ToNative(fileName).c_str(), "wb");
    if (!file)
        return false;
    JpegWrite w;
    w.mInfo.err = jpeg_std_error(&w.mError.mManager);
    w.mError.mManager.error_exit = OnJpegFatal;
    jpeg_create_compress(&w.mInfo);
    bool ok = WriteJpegProtected(w, file, image);
    jpeg_destroy_compress(&w.mInfo);
    ok = (std::fclose(file) == 0) && ok;
    return ok;
}

} // namespace ImageLib
