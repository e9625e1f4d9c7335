// Our GIF decoder against giflib and our PNG reader against libpng's simplified API, on 1024x768.
#include <benchmark/benchmark.h>

#include "RunTimes.h"
#include <gif_lib.h>
#include <png.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "resources/ImageLib.h"

namespace
{

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

using benchsupport::TempPath;

// A picture with gradients, flat areas and noise, like game art rather than pure noise.
uint8_t Sample(int x, int y, uint32_t& seed)
{
    seed = seed * 1664525u + 1013904223u;
    if ((seed >> 24) < 16)
        return uint8_t(seed >> 8);
    if ((x / 64 + y / 64) % 3 == 0)
        return uint8_t(200 + (x / 128));
    return uint8_t((x / 4 + y / 3) & 0xFF);
}

const std::string& GifFile()
{
    static const std::string path = [] {
        std::string p = TempPath("bench.gif");
        int error = 0;
        GifFileType* gif = EGifOpenFileName(p.c_str(), false, &error);
        if (!gif)
            std::abort();
        GifColorType colors[256];
        for (int i = 0; i < 256; ++i)
            colors[i] = {GifByteType(i), GifByteType(255 - i), GifByteType(i * 7)};
        ColorMapObject* map = GifMakeMapObject(256, colors);
        EGifPutScreenDesc(gif, kWidth, kHeight, 8, 0, map);
        EGifPutImageDesc(gif, 0, 0, kWidth, kHeight, false, nullptr);
        std::vector<GifPixelType> line(kWidth);
        uint32_t seed = 1;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x)
                line[size_t(x)] = Sample(x, y, seed);
            EGifPutLine(gif, line.data(), kWidth);
        }
        GifFreeMapObject(map);
        EGifCloseFile(gif, &error);
        return p;
    }();
    return path;
}

const std::string& PngFile()
{
    static const std::string path = [] {
        std::string p = TempPath("bench.png");
        ImageLib::Image image;
        image.Create(kWidth, kHeight);
        uint32_t seed = 2;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                image.GetBits()[y * kWidth + x] = 0xFF000000u | uint32_t(Sample(x, y, seed)) * 0x010203u;
        if (!ImageLib::SavePng(p, image))
            std::abort();
        return p;
    }();
    return path;
}

std::vector<GifByteType> GiflibIndices()
{
    int error = 0;
    GifFileType* gif = DGifOpenFileName(GifFile().c_str(), &error);
    if (!gif || DGifSlurp(gif) != GIF_OK)
        std::abort();
    std::vector<GifByteType> out(gif->SavedImages[0].RasterBits, gif->SavedImages[0].RasterBits + kWidth * kHeight);
    DGifCloseFile(gif, &error);
    return out;
}

std::vector<uint32_t> SimplifiedPng()
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    std::vector<uint32_t> out;
    if (!png_image_begin_read_from_file(&image, PngFile().c_str()))
        std::abort();
    image.format = PNG_FORMAT_BGRA;
    out.resize(size_t(image.width) * image.height);
    if (!png_image_finish_read(&image, nullptr, out.data(), 0, nullptr))
        std::abort();
    return out;
}

// Both sides must decode the same pixels, or the timings mean nothing.
void CheckSameResults()
{
    std::unique_ptr<ImageLib::Image> ours = ImageLib::ReadGif(GifFile());
    std::vector<GifByteType> theirs = GiflibIndices();
    for (int i = 0; i < kWidth * kHeight; ++i) {
        uint32_t c = theirs[size_t(i)];
        uint32_t want = 0xFF000000u | c << 16 | (255 - c) << 8 | ((c * 7) & 0xFF);
        if (!ours || ours->GetBits()[i] != want) {
            std::fprintf(stderr, "GIF decoders disagree at pixel %d\n", i);
            std::exit(1);
        }
    }
    std::unique_ptr<ImageLib::Image> png = ImageLib::ReadPng(PngFile());
    std::vector<uint32_t> simple = SimplifiedPng();
    if (!png || std::vector<uint32_t>(png->GetBits(), png->GetBits() + kWidth * kHeight) != simple) {
        std::fprintf(stderr, "PNG readers disagree\n");
        std::exit(1);
    }
}

void BM_GifOurs(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(ImageLib::ReadGif(GifFile()));
}
BENCHMARK(BM_GifOurs)->Unit(benchmark::kMillisecond);

void BM_GifGiflib(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(GiflibIndices());
}
BENCHMARK(BM_GifGiflib)->Unit(benchmark::kMillisecond);

void BM_PngOurs(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(ImageLib::ReadPng(PngFile()));
}
BENCHMARK(BM_PngOurs)->Unit(benchmark::kMillisecond);

void BM_PngSimplified(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(SimplifiedPng());
}
BENCHMARK(BM_PngSimplified)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    CheckSameResults();
    benchsupport::Initialize(&argc, &argv);
    benchsupport::RunTimes reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintSpeedRatio("GIF 1024x768", "BM_GifOurs", "BM_GifGiflib");
    reporter.PrintSpeedRatio("PNG 1024x768", "BM_PngOurs", "BM_PngSimplified");
    benchmark::Shutdown();
    std::remove(GifFile().c_str());
    std::remove(PngFile().c_str());
    return 0;
}
