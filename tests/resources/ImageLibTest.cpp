// Image files: finding a file by extension, alpha companions, TGA, and PNG and JPEG both ways.
#include <gtest/gtest.h>

#include <jpeglib.h>
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "resources/GifTestWriter.h"
#include "resources/ImageLib.h"
#include "support/TempDir.h"

namespace
{

using ImageLib::Image;

std::unique_ptr<Image> MakeImage(int width, int height, uint32_t seed = 1)
{
    auto image = std::make_unique<Image>();
    EXPECT_TRUE(image->Create(width, height));
    for (int i = 0; i < width * height; ++i) {
        seed = seed * 1664525u + 1013904223u;
        image->GetBits()[i] = seed;
    }
    return image;
}

std::vector<uint32_t> Pixels(const Image& image)
{
    return std::vector<uint32_t>(image.GetBits(), image.GetBits() + image.GetWidth() * image.GetHeight());
}

// An uncompressed 32-bit TGA of the given pixels.
std::string Tga(int width, int height, const std::vector<uint32_t>& pixels, int bits = 32, int descriptor = 0x28,
                const std::string& id = "")
{
    std::string s(18, '\0');
    s[0] = char(id.size());
    s[2] = 2;
    s[12] = char(width), s[13] = char(width >> 8);
    s[14] = char(height), s[15] = char(height >> 8);
    s[16] = char(bits);
    s[17] = char(descriptor);
    s += id;
    s.append(reinterpret_cast<const char*>(pixels.data()), pixels.size() * 4);
    return s;
}

// A one-pixel GIF, PNG or TGA (an 8x8 JPEG) of one colour, so a test can tell which file was read.
void WriteMarker(const testsupport::TempDir& dir, const std::string& name, uint32_t color)
{
    std::string ext = name.substr(name.rfind('.'));
    if (ext == ".tga") {
        dir.WriteFile(name, Tga(1, 1, {color}));
    } else if (ext == ".jpg") {
        Image image;
        image.Create(8, 8);
        std::fill(image.GetBits(), image.GetBits() + 64, color);
        ASSERT_TRUE(ImageLib::SaveJpeg(dir.File(name), image));
    } else if (ext == ".gif") {
        giftest::GifSpec spec;
        spec.mWidth = spec.mHeight = 1;
        spec.mIndices = {0};
        spec.mPalette = {color & 0xFFFFFF, 0};
        spec.mMinCodeSize = 2;
        dir.WriteFile(name, giftest::WriteGif(spec));
    } else {
        Image image;
        image.Create(1, 1);
        image.GetBits()[0] = color;
        ASSERT_TRUE(ImageLib::SavePng(dir.File(name), image));
    }
}

uint32_t FirstPixel(const std::unique_ptr<Image>& image)
{
    return image ? image->GetBits()[0] : 0xDEADBEEF;
}

TEST(ImageLibTga, ReadsTopLeftThirtyTwoBit)
{
    std::vector<uint32_t> pixels = {0x80FF0000, 0xFF00FF00, 0x000000FF, 0x12345678, 0xFFFFFFFF, 0};
    testsupport::TempDir dir;
    std::string plain = Tga(3, 2, pixels);
    std::string withId = Tga(3, 2, pixels, 32, 0x28, "image id");
    testsupport::SaveFuzzSeed("tga", "plain", plain);
    testsupport::SaveFuzzSeed("tga", "with_id", withId);
    for (const std::string& bytes : {plain, withId}) {
        dir.WriteFile("a.tga", bytes);
        std::unique_ptr<Image> image = ImageLib::ReadTga(dir.File("a.tga"));
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->GetWidth(), 3);
        EXPECT_EQ(image->GetHeight(), 2);
        EXPECT_EQ(Pixels(*image), pixels);
    }
}

TEST(ImageLibTga, RejectsOtherFormsAndShortFiles)
{
    std::vector<uint32_t> pixels(4, 0xFF112233);
    std::string whole = Tga(2, 2, pixels);
    struct Case {
        const char* mName;
        std::string mBytes;
    } cases[] = {
        {"bits24", Tga(2, 2, pixels, 24)},
        {"bottom_left", Tga(2, 2, pixels, 32, 0x08)},
        {"short_pixels", whole.substr(0, whole.size() - 1)},
        {"short_header", whole.substr(0, 10)},
        {"huge_claim", Tga(65535, 65535, pixels)},
        {"zero_size", Tga(0, 5, {})},
    };
    testsupport::TempDir dir;
    for (const Case& c : cases) {
        testsupport::SaveFuzzSeed("tga", c.mName, c.mBytes);
        dir.WriteFile("a.tga", c.mBytes);
        EXPECT_EQ(ImageLib::ReadTga(dir.File("a.tga")), nullptr) << c.mName;
    }
}

TEST(ImageLibPng, SaveAndReadBack)
{
    testsupport::TempDir dir;
    std::unique_ptr<Image> image = MakeImage(37, 23);
    ASSERT_TRUE(ImageLib::SavePng(dir.File("out.png"), *image));
    testsupport::SaveFuzzSeed("png", "rgba", dir.ReadFile("out.png"));
    std::unique_ptr<Image> back = ImageLib::ReadPng(dir.File("out.png"));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->GetWidth(), 37);
    EXPECT_EQ(back->GetHeight(), 23);
    EXPECT_EQ(Pixels(*back), Pixels(*image));
}

TEST(ImageLibPng, WritesEightBitRgbaWithSignificantBits)
{
    testsupport::TempDir dir;
    ASSERT_TRUE(ImageLib::SavePng(dir.File("out.png"), *MakeImage(5, 3)));
    std::FILE* file = std::fopen(dir.File("out.png").c_str(), "rb");
    ASSERT_NE(file, nullptr);
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_read_info(png, info);
    EXPECT_EQ(png_get_bit_depth(png, info), 8);
    EXPECT_EQ(png_get_color_type(png, info), PNG_COLOR_TYPE_RGB_ALPHA);
    EXPECT_EQ(png_get_interlace_type(png, info), PNG_INTERLACE_NONE);
    png_color_8p significant = nullptr;
    ASSERT_TRUE(png_get_sBIT(png, info, &significant));
    EXPECT_EQ(significant->red, 8);
    EXPECT_EQ(significant->green, 8);
    EXPECT_EQ(significant->blue, 8);
    EXPECT_EQ(significant->alpha, 8);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
}

TEST(ImageLibPng, WriteFailuresAreReported)
{
    std::unique_ptr<Image> image = MakeImage(2, 2);
    EXPECT_FALSE(ImageLib::SavePng("/nonexistent/dir/out.png", *image));
    EXPECT_FALSE(ImageLib::SaveJpeg("/nonexistent/dir/out.jpg", *image));
    if (std::FILE* full = std::fopen("/dev/full", "wb")) {
        std::fclose(full);
        EXPECT_FALSE(ImageLib::SavePng("/dev/full", *MakeImage(64, 64)));
        EXPECT_FALSE(ImageLib::SaveJpeg("/dev/full", *MakeImage(64, 64)));
    }
    Image empty;
    EXPECT_FALSE(ImageLib::SavePng(std::string(testsupport::TempDir().Path()) + "/x.png", empty));
}

// Writes a PNG of any colour type and depth with libpng, from rows of raw sample bytes.
void WriteRawPng(const std::string& path, int width, int height, int depth, int colorType, bool interlaced,
                 const std::vector<std::vector<uint8_t>>& rows, const std::vector<png_color>& palette = {},
                 const std::vector<png_byte>& trans = {})
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, depth, colorType, interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!palette.empty())
        png_set_PLTE(png, info, palette.data(), int(palette.size()));
    if (!trans.empty())
        png_set_tRNS(png, info, trans.data(), int(trans.size()), nullptr);
    png_write_info(png, info);
    std::vector<png_bytep> pointers;
    for (const auto& row : rows)
        pointers.push_back(const_cast<png_bytep>(row.data()));
    png_write_image(png, pointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}

TEST(ImageLibPng, EveryFormArrivesAsArgb)
{
    testsupport::TempDir dir;
    const int w = 19, h = 11;
    auto sample = [](int x, int y) { return uint8_t((x * 13 + y * 7) & 0xFF); };
    auto build = [&](int bytesPerPixel, auto fill) {
        std::vector<std::vector<uint8_t>> rows(h, std::vector<uint8_t>(size_t(w) * bytesPerPixel));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                fill(&rows[y][size_t(x) * bytesPerPixel], x, y);
        return rows;
    };
    auto grey = [&](int x, int y) {
        uint32_t v = sample(x, y);
        return 0xFF000000u | v << 16 | v << 8 | v;
    };

    struct Case {
        const char* mName;
        int mDepth, mColorType;
        bool mInterlaced;
        std::vector<std::vector<uint8_t>> mRows;
        std::function<uint32_t(int, int)> mExpected;
        std::vector<png_color> mPalette;
        std::vector<png_byte> mTrans;
    };
    std::vector<Case> cases;
    for (bool interlaced : {false, true}) {
        cases.push_back(
            {interlaced ? "rgb16_interlaced" : "rgb16",
             16,
             PNG_COLOR_TYPE_RGB,
             interlaced,
             build(6,
                   [&](uint8_t* p, int x, int y) {
                       p[0] = sample(x, y), p[1] = 0x55, p[2] = 0x10, p[3] = 0x20, p[4] = uint8_t(y), p[5] = 9;
                   }),
             [&](int x, int y) { return 0xFF000000u | uint32_t(sample(x, y)) << 16 | 0x10u << 8 | uint32_t(y); },
             {},
             {}});
        cases.push_back({interlaced ? "grey8_interlaced" : "grey8",
                         8,
                         PNG_COLOR_TYPE_GRAY,
                         interlaced,
                         build(1, [&](uint8_t* p, int x, int y) { p[0] = sample(x, y); }),
                         grey,
                         {},
                         {}});
    }
    cases.push_back({"rgba16",
                     16,
                     PNG_COLOR_TYPE_RGB_ALPHA,
                     false,
                     build(8,
                           [&](uint8_t* p, int x, int y) {
                               p[0] = 1, p[1] = 0, p[2] = 2, p[3] = 0, p[4] = 3, p[5] = 0, p[6] = sample(x, y),
                               p[7] = 0;
                           }),
                     [&](int x, int y) { return uint32_t(sample(x, y)) << 24 | 0x010203u; },
                     {},
                     {}});
    cases.push_back({"grey_alpha",
                     8,
                     PNG_COLOR_TYPE_GRAY_ALPHA,
                     false,
                     build(2, [&](uint8_t* p, int x, int y) { p[0] = 0x40, p[1] = sample(x, y); }),
                     [&](int x, int y) { return uint32_t(sample(x, y)) << 24 | 0x404040u; },
                     {},
                     {}});
    // Two-bit palette with a transparent entry: four pixels a byte.
    std::vector<std::vector<uint8_t>> packed(h, std::vector<uint8_t>((w + 3) / 4));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            packed[y][x / 4] |= uint8_t(((x + y) % 4) << (6 - 2 * (x % 4)));
    cases.push_back({"palette2_trns",
                     2,
                     PNG_COLOR_TYPE_PALETTE,
                     true,
                     packed,
                     [&](int x, int y) {
                         static const uint32_t colors[4] = {0x00FF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
                         return colors[(x + y) % 4];
                     },
                     {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}},
                     {0}});
    std::vector<std::vector<uint8_t>> bits1(h, std::vector<uint8_t>((w + 7) / 8));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if ((x ^ y) & 1)
                bits1[y][x / 8] |= uint8_t(0x80 >> (x % 8));
    cases.push_back({"grey1",
                     1,
                     PNG_COLOR_TYPE_GRAY,
                     false,
                     bits1,
                     [&](int x, int y) { return ((x ^ y) & 1) ? 0xFFFFFFFFu : 0xFF000000u; },
                     {},
                     {}});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.mName);
        std::string path = dir.File(std::string(c.mName) + ".png");
        WriteRawPng(path, w, h, c.mDepth, c.mColorType, c.mInterlaced, c.mRows, c.mPalette, c.mTrans);
        testsupport::SaveFuzzSeed("png", c.mName, dir.ReadFile(std::string(c.mName) + ".png"));
        std::unique_ptr<Image> image = ImageLib::ReadPng(path);
        ASSERT_NE(image, nullptr);
        ASSERT_EQ(image->GetWidth(), w);
        ASSERT_EQ(image->GetHeight(), h);
        int wrong = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (image->GetBits()[y * w + x] != c.mExpected(x, y) && wrong++ < 3)
                    ADD_FAILURE() << std::hex << "pixel " << x << "," << y << " is " << image->GetBits()[y * w + x]
                                  << " not " << c.mExpected(x, y);
    }
}

TEST(ImageLibPng, DamagedFilesGiveNull)
{
    testsupport::TempDir dir;
    ASSERT_TRUE(ImageLib::SavePng(dir.File("good.png"), *MakeImage(30, 30)));
    std::string good = dir.ReadFile("good.png");
    std::string badCrc = good;
    badCrc[40] ^= 0x55;
    for (const std::string& bytes : {good.substr(0, good.size() / 2), std::string("\x89PNG\r\n\x1a\n"), badCrc}) {
        dir.WriteFile("bad.png", bytes);
        EXPECT_EQ(ImageLib::ReadPng(dir.File("bad.png")), nullptr);
    }
}

// Peak resident memory in kB since the last reset, or -1 where the system does not tell.
long ResetPeakMemory()
{
    std::FILE* clear = std::fopen("/proc/self/clear_refs", "w");
    if (!clear)
        return -1;
    bool ok = std::fputs("5", clear) >= 0;
    return std::fclose(clear) == 0 && ok ? 0 : -1;
}
long PeakMemoryKb()
{
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (!status)
        return -1;
    char line[256];
    long kb = -1;
    while (std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "VmHWM: %ld kB", &kb) == 1)
            break;
    std::fclose(status);
    return kb;
}

std::string PngChunk(const char* type, const std::string& data, uint32_t statedLength)
{
    std::string body = std::string(type, 4) + data;
    uint32_t crc = uint32_t(crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size())));
    std::string out;
    for (int shift = 24; shift >= 0; shift -= 8)
        out += char(statedLength >> shift);
    out += body;
    for (int shift = 24; shift >= 0; shift -= 8)
        out += char(crc >> shift);
    return out;
}

TEST(ImageLibPng, AChunkThatStatesAHugeLengthIsNotAllocated)
{
    // A few dozen bytes whose suggested-palette chunk claims 1.2 GB must neither decode nor make
    // the reader take that memory.
    std::string ihdr("\0\0\0\1\0\0\0\1\x08\x06\0\0\0", 13);
    std::string bomb = std::string("\x89PNG\r\n\x1a\n", 8) + PngChunk("IHDR", ihdr, 13) +
                       PngChunk("sPLT", std::string("a\0\x08", 3) + std::string(20, '\0'), 1200000000u);
    testsupport::SaveFuzzSeed("png", "splt-bomb", bomb);
    bool measured = ResetPeakMemory() == 0;
    long before = PeakMemoryKb();
    EXPECT_EQ(ImageLib::ParsePng(reinterpret_cast<const uint8_t*>(bomb.data()), bomb.size()), nullptr);
    testsupport::TempDir dir;
    dir.WriteFile("bomb.png", bomb);
    EXPECT_EQ(ImageLib::ReadPng(dir.File("bomb.png")), nullptr);
    if (measured && before > 0) {
        EXPECT_LT(PeakMemoryKb() - before, 64 * 1024);
    }
}

TEST(ImageLibParse, BytesAndFilesGiveTheSameImage)
{
    testsupport::TempDir dir;
    std::unique_ptr<Image> source = MakeImage(7, 5);
    ASSERT_TRUE(ImageLib::SavePng(dir.File("a.png"), *source));
    ASSERT_TRUE(ImageLib::SaveJpeg(dir.File("a.jpg"), *source));
    struct Case {
        const char* file;
        std::unique_ptr<Image> (*parse)(const uint8_t*, size_t);
        std::unique_ptr<Image> (*read)(const std::string&);
    };
    const Case cases[] = {{"a.png", ImageLib::ParsePng, ImageLib::ReadPng},
                          {"a.jpg", ImageLib::ParseJpeg, ImageLib::ReadJpeg}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        std::string bytes = dir.ReadFile(c.file);
        std::unique_ptr<Image> parsed = c.parse(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        std::unique_ptr<Image> read = c.read(dir.File(c.file));
        ASSERT_TRUE(parsed && read);
        ASSERT_EQ(parsed->GetWidth(), 7);
        EXPECT_TRUE(std::equal(parsed->GetBits(), parsed->GetBits() + 35, read->GetBits()));
        // Every prefix of the file is a damaged file, never a crash.
        for (size_t cut = 0; cut < bytes.size(); cut += 7)
            c.parse(reinterpret_cast<const uint8_t*>(bytes.data()), cut);
    }
}

// A grey-scale JPEG written with libjpeg: one component per pixel.
void WriteGreyJpeg(const std::string& path, int width, int height)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    jpeg_compress_struct info;
    jpeg_error_mgr err;
    info.err = jpeg_std_error(&err);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = 1;
    info.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(static_cast<size_t>(width));
    while (info.next_scanline < info.image_height) {
        for (int x = 0; x < width; ++x)
            row[size_t(x)] = JSAMPLE(x * 255 / (width - 1));
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&info, &p, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(file);
}

int Channel(uint32_t pixel, int shift)
{
    return int((pixel >> shift) & 0xFF);
}

TEST(ImageLibJpeg, SaveAndReadBackOpaque)
{
    testsupport::TempDir dir;
    // Smooth colours, half transparent: the alpha is dropped, the colour kept.
    Image image;
    ASSERT_TRUE(image.Create(64, 48));
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            image.GetBits()[y * 64 + x] =
                uint32_t((x + y) % 2 ? 0x00 : 0x80) << 24 | uint32_t(x * 4) << 16 | uint32_t(y * 5) << 8 | 0x60;
    ASSERT_TRUE(ImageLib::SaveJpeg(dir.File("out.jpg"), image));
    testsupport::SaveFuzzSeed("jpeg", "colour", dir.ReadFile("out.jpg"));
    std::unique_ptr<Image> back = ImageLib::ReadJpeg(dir.File("out.jpg"));
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(back->GetWidth(), 64);
    ASSERT_EQ(back->GetHeight(), 48);
    int worst = 0;
    for (int i = 0; i < 64 * 48; ++i) {
        uint32_t got = back->GetBits()[i], want = image.GetBits()[i];
        ASSERT_EQ(got >> 24, 0xFFu);
        for (int shift : {0, 8, 16})
            worst = std::max(worst, std::abs(Channel(got, shift) - Channel(want, shift)));
    }
    EXPECT_LE(worst, 12);
}

TEST(ImageLibJpeg, WritesAtQualityEighty)
{
    testsupport::TempDir dir;
    ASSERT_TRUE(ImageLib::SaveJpeg(dir.File("q.jpg"), *MakeImage(16, 16)));
    std::FILE* file = std::fopen(dir.File("q.jpg").c_str(), "rb");
    ASSERT_NE(file, nullptr);
    jpeg_decompress_struct info;
    jpeg_error_mgr err;
    info.err = jpeg_std_error(&err);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    EXPECT_EQ(info.num_components, 3);
    // The first row of the standard luminance table scaled for quality 80 (to 40%).
    ASSERT_NE(info.quant_tbl_ptrs[0], nullptr);
    const int expected[8] = {6, 4, 4, 6, 10, 16, 20, 24};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(info.quant_tbl_ptrs[0]->quantval[i], expected[i]) << i;
    jpeg_destroy_decompress(&info);
    std::fclose(file);
}

TEST(ImageLibJpeg, GreyScaleComesOutAsGreyPixels)
{
    testsupport::TempDir dir;
    WriteGreyJpeg(dir.File("grey.jpg"), 40, 8);
    testsupport::SaveFuzzSeed("jpeg", "grey", dir.ReadFile("grey.jpg"));
    std::unique_ptr<Image> image = ImageLib::ReadJpeg(dir.File("grey.jpg"));
    ASSERT_NE(image, nullptr);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 40; ++x) {
            uint32_t p = image->GetBits()[y * 40 + x];
            EXPECT_EQ(p >> 24, 0xFFu);
            EXPECT_EQ(Channel(p, 16), Channel(p, 0));
            EXPECT_EQ(Channel(p, 8), Channel(p, 0));
            EXPECT_NEAR(Channel(p, 0), x * 255 / 39, 8);
        }
    }
}

TEST(ImageLibJpeg, DamagedFilesGiveNull)
{
    testsupport::TempDir dir;
    for (const std::string& bytes : {std::string("\xFF\xD8\xFF"), std::string("not a jpeg at all")}) {
        dir.WriteFile("bad.jpg", bytes);
        EXPECT_EQ(ImageLib::ReadJpeg(dir.File("bad.jpg")), nullptr);
    }
}

TEST(ImageLibLoad, ExtensionOrderAndCase)
{
    testsupport::TempDir dir;
    WriteMarker(dir, "pic.png", 0xFF000001);
    WriteMarker(dir, "pic.gif", 0xFF000002);
    WriteMarker(dir, "both.tga", 0xFF000003);
    WriteMarker(dir, "both.png", 0xFF000004);
    WriteMarker(dir, "up.png", 0xFF000005);
    WriteMarker(dir, "mid.jpg", 0xFFFFFFFF);
    WriteMarker(dir, "mid.png", 0xFF000007);
    WriteMarker(dir, "mid.gif", 0xFF000008);
    EXPECT_EQ(FirstPixel(ImageLib::LoadImageFile(dir.File("pic"), false)), 0xFF000001u);
    EXPECT_EQ(FirstPixel(ImageLib::LoadImageFile(dir.File("pic.gif"), false)), 0xFF000002u);
    EXPECT_EQ(FirstPixel(ImageLib::LoadImageFile(dir.File("both"), false)), 0xFF000003u);
    EXPECT_EQ(FirstPixel(ImageLib::LoadImageFile(dir.File("up.PNG"), false)), 0xFF000005u);
    // JPEG comes before PNG and GIF, and ".JPG" reads the ".jpg" file.
    EXPECT_GE(FirstPixel(ImageLib::LoadImageFile(dir.File("mid"), false)), 0xFFF0F0F0u);
    EXPECT_GE(FirstPixel(ImageLib::LoadImageFile(dir.File("mid.JPG"), false)), 0xFFF0F0F0u);
    EXPECT_EQ(FirstPixel(ImageLib::LoadImageFile(dir.File("mid.Gif"), false)), 0xFF000008u);
    EXPECT_EQ(ImageLib::LoadImageFile(dir.File("pic.bmp"), false), nullptr);
    EXPECT_EQ(ImageLib::LoadImageFile(dir.File("pic.jpg"), false), nullptr);
    EXPECT_EQ(ImageLib::LoadImageFile(dir.File("missing"), false), nullptr);
    // A dot in a folder name is no extension.
    testsupport::TempDir other;
    other.WriteFile("v1.2/.keep", "");
    WriteMarker(other, "v1.2/pic.png", 0xFF000006);
    EXPECT_EQ(FirstPixel(ImageLib::LoadImageFile(other.File("v1.2\\pic"), false)), 0xFF000006u);
}

TEST(ImageLibLoad, AlphaCompanions)
{
    testsupport::TempDir dir;
    Image color;
    color.Create(2, 1);
    color.GetBits()[0] = 0xFF112233;
    color.GetBits()[1] = 0x40445566;
    dir.WriteFile("d/sub/.keep", "");
    ASSERT_TRUE(ImageLib::SavePng(dir.File("d/sub/pic.png"), color));
    Image alpha;
    alpha.Create(2, 1);
    alpha.GetBits()[0] = 0xFF0000AA;
    alpha.GetBits()[1] = 0xFFFFFF07;
    ASSERT_TRUE(ImageLib::SavePng(dir.File("d/sub/_pic.png"), alpha));

    // The companion of dir\sub/pic.png is dir\sub/_pic.png: the later separator counts.
    std::unique_ptr<Image> merged = ImageLib::LoadImageFile(dir.Path() + "/d\\sub/pic.png", true);
    ASSERT_NE(merged, nullptr);
    EXPECT_EQ(Pixels(*merged), (std::vector<uint32_t>{0xAA112233, 0x07445566}));
    EXPECT_EQ(Pixels(*ImageLib::LoadImageFile(dir.Path() + "/d\\sub/pic.png", false)), Pixels(color));
    // The image search fuzz target reads: a byte picking the extensions (PNG and PNG), the length of
    // the colour file in two bytes, the colour file, the companion.
    const std::string colourBytes = dir.ReadFile("d/sub/pic.png"), alphaBytes = dir.ReadFile("d/sub/_pic.png");
    testsupport::SaveFuzzSeed("imagesearch", "png-with-companion",
                              std::string(1, char(2 | 2 << 2)) + char(colourBytes.size() >> 8) +
                                  char(colourBytes.size() & 0xFF) + colourBytes + alphaBytes);

    // The second form: the path without extension + "_".
    WriteMarker(dir, "x.tga", 0xFF123456);
    Image alpha2;
    alpha2.Create(1, 1);
    alpha2.GetBits()[0] = 0xFF000033;
    ASSERT_TRUE(ImageLib::SavePng(dir.File("x_.png"), alpha2));
    EXPECT_EQ(FirstPixel(ImageLib::LoadImageFile(dir.File("x"), true)), 0x33123456u);

    // A companion of another size is dropped; one alone makes a white image.
    Image big;
    big.Create(3, 3);
    ASSERT_TRUE(ImageLib::SavePng(dir.File("_odd.png"), big));
    WriteMarker(dir, "odd.png", 0xFF010203);
    EXPECT_EQ(FirstPixel(ImageLib::LoadImageFile(dir.File("odd.png"), true)), 0xFF010203u);
    ASSERT_TRUE(ImageLib::SavePng(dir.File("_lonely.png"), alpha));
    std::unique_ptr<Image> lonely = ImageLib::LoadImageFile(dir.File("lonely.png"), true);
    ASSERT_NE(lonely, nullptr);
    EXPECT_EQ(Pixels(*lonely), (std::vector<uint32_t>{0xAAFFFFFF, 0x07FFFFFF}));
}

TEST(ImageLibImage, CreateBoundsTheSize)
{
    Image image;
    EXPECT_FALSE(image.Create(0, 10));
    EXPECT_FALSE(image.Create(-1, 10));
    EXPECT_FALSE(image.Create(Image::kMaxDimension + 1, 1));
    EXPECT_FALSE(image.Create(Image::kMaxDimension, Image::kMaxDimension));
    EXPECT_EQ(image.GetBits(), nullptr);
    EXPECT_EQ(image.GetWidth(), 0);
    ASSERT_TRUE(image.Create(3, 2));
    EXPECT_EQ(Pixels(image), std::vector<uint32_t>(6, 0));
}

} // namespace
