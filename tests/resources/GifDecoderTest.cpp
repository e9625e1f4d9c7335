// Our GIF decoder: colour tables, transparency, LZW, interlacing and hostile files.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "resources/GifTestWriter.h"
#include "resources/ImageLib.h"
#include "support/TempDir.h"

namespace
{

using giftest::GifSpec;
using ImageLib::Image;

std::unique_ptr<Image> Decode(const std::string& bytes, const std::string& seedName = "")
{
    if (!seedName.empty())
        testsupport::SaveFuzzSeed("gif", seedName, bytes);
    testsupport::TempDir dir;
    dir.WriteFile("a.gif", bytes);
    return ImageLib::ReadGif(dir.File("a.gif"));
}

std::vector<uint32_t> Pixels(const Image& image)
{
    return std::vector<uint32_t>(image.GetBits(), image.GetBits() + image.GetWidth() * image.GetHeight());
}

// A deterministic pattern with long runs and noise, so the table fills and grows.
std::vector<uint8_t> Pattern(int width, int height, int colors, uint32_t seed)
{
    std::vector<uint8_t> out(size_t(width) * height);
    for (size_t i = 0; i < out.size(); ++i) {
        seed = seed * 1103515245u + 12345u;
        out[i] = (seed >> 16) % 4 == 0 ? uint8_t((seed >> 8) % colors) : uint8_t((i / 7) % colors);
    }
    return out;
}

std::vector<uint32_t> GreyPalette(int n)
{
    std::vector<uint32_t> p;
    for (int i = 0; i < n; ++i)
        p.push_back(uint32_t(i) * 0x010101u);
    return p;
}

std::vector<uint32_t> Expected(const GifSpec& spec)
{
    std::vector<uint32_t> out;
    for (uint8_t index : spec.mIndices)
        out.push_back(int(index) == spec.mTransparent ? 0 : 0xFF000000u | spec.mPalette[index]);
    return out;
}

struct RoundTripCase {
    const char* mName;
    int mWidth, mHeight, mColors, mMinCodeSize;
    bool mInterlaced, mLocalTable, mDeferredClear;
    int mTransparent;
};

class GifRoundTrip : public testing::TestWithParam<RoundTripCase>
{
};

TEST_P(GifRoundTrip, DecodesWhatTheEncoderWrote)
{
    const RoundTripCase& c = GetParam();
    GifSpec spec;
    spec.mWidth = c.mWidth;
    spec.mHeight = c.mHeight;
    spec.mIndices = Pattern(c.mWidth, c.mHeight, c.mColors, 7);
    spec.mPalette = GreyPalette(c.mColors);
    spec.mMinCodeSize = c.mMinCodeSize;
    spec.mInterlaced = c.mInterlaced;
    spec.mLocalTable = c.mLocalTable;
    spec.mDeferredClear = c.mDeferredClear;
    spec.mTransparent = c.mTransparent;
    std::unique_ptr<Image> image = Decode(giftest::WriteGif(spec), c.mName);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetWidth(), c.mWidth);
    EXPECT_EQ(image->GetHeight(), c.mHeight);
    EXPECT_EQ(Pixels(*image), Expected(spec));
}

INSTANTIATE_TEST_SUITE_P(Cases, GifRoundTrip,
                         testing::Values(RoundTripCase{"tiny", 3, 2, 4, 2, false, false, false, -1},
                                         RoundTripCase{"transparent", 16, 4, 4, 2, false, false, false, 3},
                                         RoundTripCase{"local_table", 20, 5, 16, 4, false, true, false, -1},
                                         RoundTripCase{"interlaced", 7, 10, 8, 3, true, false, false, -1},
                                         // Many clears as the table fills 4096 entries.
                                         RoundTripCase{"table_resets", 300, 200, 256, 8, false, false, false, -1},
                                         RoundTripCase{"deferred_clear", 300, 200, 256, 8, true, false, true, 5},
                                         RoundTripCase{"one_column", 1, 33, 2, 2, true, false, false, -1}),
                         [](const testing::TestParamInfo<RoundTripCase>& info) {
                             return std::string(info.param.mName);
                         });

TEST(GifDecoder, InterlacedPassesFillRowsInOrder)
{
    // Row i of the data is written with colour i, so the colour found in row y tells the order.
    GifSpec spec;
    spec.mWidth = 2;
    spec.mHeight = 10;
    spec.mPalette = GreyPalette(16);
    spec.mMinCodeSize = 4;
    std::vector<int> order = giftest::InterlacedRows(10);
    EXPECT_EQ(order, (std::vector<int>{0, 8, 4, 2, 6, 1, 3, 5, 7, 9}));
    spec.mIndices.resize(20);
    for (int i = 0; i < 10; ++i)
        spec.mIndices[size_t(order[i]) * 2] = spec.mIndices[size_t(order[i]) * 2 + 1] = uint8_t(i);
    spec.mInterlaced = true;
    std::unique_ptr<Image> image = Decode(giftest::WriteGif(spec));
    ASSERT_NE(image, nullptr);
    for (int y = 0; y < 10; ++y) {
        int pass = int(std::find(order.begin(), order.end(), y) - order.begin());
        EXPECT_EQ(image->GetBits()[y * 2], 0xFF000000u | uint32_t(pass) * 0x010101u) << "row " << y;
    }
}

// A 4x2 image with global table of 4 colours, as the tests below bend it.
GifSpec SmallSpec()
{
    GifSpec spec;
    spec.mWidth = 4;
    spec.mHeight = 2;
    spec.mIndices = {0, 1, 2, 3, 3, 2, 1, 0};
    spec.mPalette = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    spec.mMinCodeSize = 2;
    return spec;
}

TEST(GifDecoder, IndicesBeyondTheTableAreTransparent)
{
    GifSpec spec = SmallSpec();
    spec.mIndices = {0, 1, 2, 3, 4, 5, 6, 7};
    spec.mMinCodeSize = 3;
    // Only four table entries are written; 4..7 name nothing.
    std::unique_ptr<Image> image = Decode(giftest::WriteGif(spec), "beyond_table");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Pixels(*image), (std::vector<uint32_t>{0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF, 0, 0, 0, 0}));

    spec.mPalette.clear();
    image = Decode(giftest::WriteGif(spec), "no_table");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Pixels(*image), std::vector<uint32_t>(8, 0));
}

TEST(GifDecoder, DataEndingEarlyLeavesTheRestTransparent)
{
    GifSpec spec;
    spec.mWidth = 50;
    spec.mHeight = 40;
    spec.mIndices = Pattern(50, 40, 4, 3);
    spec.mPalette = GreyPalette(4);
    spec.mMinCodeSize = 2;
    std::string full = giftest::WriteGif(spec);
    // Keep the header and a third of the first data sub-block, closed by an empty block.
    std::string head = giftest::Header(spec) + giftest::ImageDescriptor(spec);
    std::string cut = head + char(2) + char(60) + full.substr(head.size() + 2, 60) + '\0' + ';';
    std::unique_ptr<Image> image = Decode(cut, "truncated");
    ASSERT_NE(image, nullptr);
    std::vector<uint32_t> pixels = Pixels(*image);
    std::vector<uint32_t> expected = Expected(spec);
    size_t decoded = 0;
    while (decoded < pixels.size() && pixels[decoded] == expected[decoded])
        ++decoded;
    EXPECT_GT(decoded, 40u);
    EXPECT_LT(decoded, pixels.size());
    for (size_t i = decoded; i < pixels.size(); ++i)
        ASSERT_EQ(pixels[i], 0u) << i;

    // Cut inside a sub-block at the end of the file: the same, without a crash.
    image = Decode(full.substr(0, head.size() + 30), "cut_mid_block");
    ASSERT_NE(image, nullptr);
}

std::string WithData(const GifSpec& spec, int minCodeSize, const std::vector<uint8_t>& data)
{
    return giftest::Header(spec) + giftest::ImageDescriptor(spec) + char(minCodeSize) + giftest::SubBlocks(data) + ";";
}

TEST(GifDecoder, HostileCodeStreams)
{
    GifSpec spec = SmallSpec();
    // A minimum code size whose clear code would not fit the tables.
    EXPECT_EQ(Decode(WithData(spec, 12, {0xFF, 0xFF, 0xFF}), "min_code_12"), nullptr);
    EXPECT_EQ(Decode(WithData(spec, 255, {0xFF}), "min_code_255"), nullptr);

    // Clear (4), then code 6 (the next free code) with no string before it: decoding stops.
    giftest::BitWriter bits;
    bits.Put(4, 3);
    bits.Put(6, 3);
    bits.Put(1, 3);
    std::unique_ptr<Image> image = Decode(WithData(spec, 2, bits.Finish()), "first_code_beyond");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Pixels(*image), std::vector<uint32_t>(8, 0));

    // A code past the next free one ends decoding after what came before.
    giftest::BitWriter past;
    past.Put(1, 3);
    past.Put(7, 3);
    past.Put(2, 3);
    image = Decode(WithData(spec, 2, past.Finish()), "code_past_free");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Pixels(*image), (std::vector<uint32_t>{0xFF00FF00, 0, 0, 0, 0, 0, 0, 0}));

    // More data than pixels: the image is full and the rest ignored.
    giftest::BitWriter lots;
    for (int i = 0; i < 100; ++i)
        lots.Put(4, 3), lots.Put(i % 4, 3);
    image = Decode(WithData(spec, 2, lots.Finish()), "too_much_data");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Pixels(*image), (std::vector<uint32_t>{0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF, 0xFFFF0000,
                                                     0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}));
}

TEST(GifDecoder, FilesWithoutAnImage)
{
    GifSpec spec = SmallSpec();
    std::string header = giftest::Header(spec);
    struct Case {
        const char* mName;
        std::string mBytes;
    } cases[] = {
        {"trailer_first", header + ";"},
        {"comment_then_end", header +
                                 "\x21\xFE\x03"
                                 "abc" +
                                 std::string(1, '\0') + ";"},
        {"ends_in_extension", header + "\x21\xFF\x0B"
                                       "NETSCAPE2.0"},
        {"bad_signature", "GIF88a" + header.substr(6) + giftest::ImageDescriptor(spec)},
        {"short_header", "GIF89a\x04"},
        {"zero_width",
         [&] {
             GifSpec s = spec;
             s.mWidth = 0;
             s.mIndices.clear();
             return giftest::WriteGif(s);
         }()},
        {"unknown_block", header + "!"},
        {"short_table", header.substr(0, 20)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Decode(c.mBytes, c.mName), nullptr) << c.mName;
}

TEST(GifDecoder, ExtensionsBeforeTheImageArePassedOver)
{
    GifSpec spec = SmallSpec();
    spec.mTransparent = 1;
    // An application extension and a comment between the header and the image.
    std::string extra = std::string("\x21\xFF\x0B") + "NETSCAPE2.0" + std::string("\x03\x01\x00\x00\x00", 5) +
                        "\x21\xFE\x02hi" + std::string(1, '\0');
    std::string bytes = giftest::WriteGif(spec);
    bytes.insert(giftest::Header(spec).size(), extra);
    std::unique_ptr<Image> image = Decode(bytes, "extensions");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Pixels(*image), Expected(spec));
    EXPECT_EQ(image->GetBits()[1], 0u);
}

TEST(GifDecoder, HugeDimensionsFailWithoutAllocating)
{
    GifSpec spec = SmallSpec();
    spec.mWidth = 65535;
    spec.mHeight = 65535;
    EXPECT_EQ(Decode(WithData(spec, 2, {0x0C}), "huge"), nullptr);
    spec.mWidth = 32767;
    spec.mHeight = 32767;
    EXPECT_EQ(Decode(WithData(spec, 2, {0x0C}), "large"), nullptr);
}

TEST(GifDecoder, MissingFileGivesNull)
{
    EXPECT_EQ(ImageLib::ReadGif("/nonexistent/a.gif"), nullptr);
}

} // namespace
