// Our surface blits and presenting against memcpy and SDL's own blitter, side by side, with the
// ratios printed at the end (ours / theirs: below 1 means ours is faster).
#include <benchmark/benchmark.h>

#include "RunTimes.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "graphics/DDImage.h"
#include "graphics/DDInterface.h"
#include "platform/DisplayFake.h"
#include "platform/DisplaySdl.h"
#include "platform/DisplaySdlWindow.h"

using namespace Olvarn;

namespace
{

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr int kSprite = 64;
constexpr int kSprites = 64;

struct Device {
    explicit Device(const SurfaceFormat& format)
    {
        auto display = std::make_unique<DisplayFake>(format);
        dd = std::make_unique<DDInterface>(nullptr, std::move(display));
        dd->mWidth = kWidth;
        dd->mHeight = kHeight;
        if (dd->Init(nullptr, true) != DDInterface::RESULT_OK)
            std::abort();
    }
    std::unique_ptr<DDInterface> dd;
};

SurfaceFormat FormatOf(int bits)
{
    return bits == 16 ? SurfaceFormat::Rgb565() : SurfaceFormat::Xrgb8888();
}
uint32_t SdlFormatOf(int bits)
{
    return bits == 16 ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_RGB888;
}

std::vector<uint32_t> Background()
{
    std::vector<uint32_t> px(size_t(kWidth) * kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            px[size_t(y) * kWidth + x] =
                0xFF000000u | uint32_t((x * 7) & 0xFF) << 16 | uint32_t((y * 3) & 0xFF) << 8 | uint32_t((x ^ y) & 0xFF);
    return px;
}

// A round sprite: transparent corners, a soft edge and an opaque middle, like the game's pieces.
std::vector<uint32_t> Sprite()
{
    std::vector<uint32_t> px(size_t(kSprite) * kSprite);
    for (int y = 0; y < kSprite; ++y)
        for (int x = 0; x < kSprite; ++x) {
            int dx = x - kSprite / 2, dy = y - kSprite / 2, d2 = dx * dx + dy * dy;
            uint32_t a = d2 < 24 * 24 ? 255 : (d2 < 31 * 31 ? uint32_t(255 - (d2 - 576) * 255 / (961 - 576)) : 0);
            px[size_t(y) * kSprite + x] = a << 24 | uint32_t(x * 4) << 16 | uint32_t(y * 4) << 8 | 0x40;
        }
    return px;
}

int SpriteX(int i)
{
    return (i * 151) % (kWidth - kSprite);
}
int SpriteY(int i)
{
    return (i * 97) % (kHeight - kSprite);
}

// --- Background copy ---

void CopySurfaceBlit(benchmark::State& state)
{
    Device dev(FormatOf(int(state.range(0))));
    DDImage background(dev.dd.get());
    auto px = Background();
    background.SetBits(px.data(), kWidth, kHeight);
    background.CreateSurfaceFromBits();
    DDImage* screen = dev.dd->GetScreenImage();
    for (auto _ : state)
        screen->BlitImage(&background, 0, 0, Rect(0, 0, kWidth, kHeight), Color::White, Graphics::DRAWMODE_NORMAL);
}

void CopySoftware(benchmark::State& state)
{
    Device dev(FormatOf(int(state.range(0))));
    MemoryImage background;
    auto px = Background();
    background.SetBits(px.data(), kWidth, kHeight);
    DDImage* screen = dev.dd->GetScreenImage();
    for (auto _ : state)
        screen->BlitImage(&background, 0, 0, Rect(0, 0, kWidth, kHeight), Color::White, Graphics::DRAWMODE_NORMAL);
}

void CopyMemcpy(benchmark::State& state)
{
    size_t bytes = size_t(kWidth) * kHeight * size_t(state.range(0) / 8);
    std::vector<uint8_t> from(bytes, 1), to(bytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
    }
}

void CopySdl(benchmark::State& state)
{
    uint32_t format = SdlFormatOf(int(state.range(0)));
    SDL_Surface* from = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 32, format);
    SDL_Surface* to = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 32, format);
    SDL_SetSurfaceBlendMode(from, SDL_BLENDMODE_NONE);
    for (auto _ : state)
        SDL_BlitSurface(from, nullptr, to, nullptr);
    SDL_FreeSurface(from);
    SDL_FreeSurface(to);
}

// --- Alpha sprites ---

void AlphaOurs(benchmark::State& state)
{
    Device dev(FormatOf(int(state.range(0))));
    MemoryImage sprite;
    auto px = Sprite();
    sprite.SetBits(px.data(), kSprite, kSprite);
    DDImage* screen = dev.dd->GetScreenImage();
    for (auto _ : state)
        for (int i = 0; i < kSprites; ++i)
            screen->BlitImage(&sprite, SpriteX(i), SpriteY(i), Rect(0, 0, kSprite, kSprite), Color::White,
                              Graphics::DRAWMODE_NORMAL);
}

void AlphaSdl(benchmark::State& state)
{
    SDL_Surface* to = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 32, SdlFormatOf(int(state.range(0))));
    auto px = Sprite();
    SDL_Surface* sprite =
        SDL_CreateRGBSurfaceWithFormatFrom(px.data(), kSprite, kSprite, 32, kSprite * 4, SDL_PIXELFORMAT_ARGB8888);
    SDL_SetSurfaceBlendMode(sprite, SDL_BLENDMODE_BLEND);
    for (auto _ : state)
        for (int i = 0; i < kSprites; ++i) {
            SDL_Rect r{SpriteX(i), SpriteY(i), kSprite, kSprite};
            SDL_BlitSurface(sprite, nullptr, to, &r);
        }
    SDL_FreeSurface(sprite);
    SDL_FreeSurface(to);
}

// --- Presenting ---

void Present(benchmark::State& state)
{
    DisplaySdlWindow window(kWidth, kHeight);
    DisplaySdl display;
    const bool sixteen = state.range(0) == 16;
    if (!window.IsOpen() || DisplayFailed(display.SetCooperativeLevel(&window, sixteen))) {
        state.SkipWithError("no SDL window");
        return;
    }
    if (sixteen)
        display.SetDisplayMode(kWidth, kHeight, 16);

    std::shared_ptr<Surface> primary;
    display.CreateSurface({kWidth, kHeight, SurfaceCaps::Primary, 0}, primary);
    for (auto _ : state)
        if (DisplayFailed(display.Present(*primary))) {
            state.SkipWithError("present failed");
            break;
        }
}

BENCHMARK(CopySurfaceBlit)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);
BENCHMARK(CopySoftware)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);
BENCHMARK(CopyMemcpy)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);
BENCHMARK(CopySdl)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);
BENCHMARK(AlphaOurs)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);
BENCHMARK(AlphaSdl)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);
BENCHMARK(Present)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);

} // namespace

// Prints ours / theirs in CPU time.
void PrintRatio(const benchsupport::RunTimes& times, const std::string& ours, const std::string& theirs)
{
    const auto* a = times.Find(ours);
    const auto* b = times.Find(theirs);
    if (a && b && b->cpuSeconds > 0)
        std::printf("%-24s / %-20s = %.2f\n", ours.c_str(), theirs.c_str(), a->cpuSeconds / b->cpuSeconds);
}

int main(int argc, char** argv)
{
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    benchsupport::Initialize(&argc, &argv);
    benchsupport::RunTimes reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nRatios of CPU time (ours / theirs, below 1 is faster):\n");
    for (const char* bits : {"16", "32"}) {
        std::string b = std::string("/") + bits;
        PrintRatio(reporter, "CopySurfaceBlit" + b, "CopySdl" + b);
        PrintRatio(reporter, "CopySoftware" + b, "CopySdl" + b);
        PrintRatio(reporter, "CopySurfaceBlit" + b, "CopyMemcpy" + b);
        PrintRatio(reporter, "AlphaOurs" + b, "AlphaSdl" + b);
    }
    SDL_Quit();
    return 0;
}
