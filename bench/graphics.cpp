// Software drawing of memory images against SDL2's software blitters on the same pixels and formats:
// alpha sprites, additive particles, a translucent full-screen fill and a rotated sprite.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include "RunTimes.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"

using namespace Olvarn;

namespace
{

constexpr int kScreenW = 1024;
constexpr int kScreenH = 768;
constexpr double kPi = 3.14159265358979323846;

// A round sprite: about 40% transparent outside, 20% soft edge, 40% opaque inside.
std::vector<uint32_t> SpritePixels(int size, bool glow)
{
    std::vector<uint32_t> bits(static_cast<size_t>(size) * size);
    double inner = size * std::sqrt(0.4 / kPi), outer = size * std::sqrt(0.6 / kPi), c = (size - 1) / 2.0;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            double d = std::hypot(x - c, y - c);
            int a;
            if (glow)
                a = d >= outer ? 0 : static_cast<int>(255 * (1 - d / outer));
            else
                a = d <= inner ? 255 : d >= outer ? 0 : static_cast<int>(254 * (outer - d) / (outer - inner)) + 1;
            uint32_t r = (x * 255) / size, g = (y * 255) / size, b = 160;
            bits[y * size + x] = (uint32_t(a) << 24) | (r << 16) | (g << 8) | b;
        }
    }
    return bits;
}

std::vector<uint32_t> ScreenPixels()
{
    std::vector<uint32_t> bits(kScreenW * kScreenH);
    for (int i = 0; i < kScreenW * kScreenH; ++i)
        bits[i] = 0xFF000000u | ((i * 2654435761u) & 0xFFFFFF);
    return bits;
}

// Positions spread over the screen so that each draw touches different destination memory.
struct Positions {
    explicit Positions(int size)
    {
        for (int i = 0; i < 64; ++i)
            xy.push_back({(i * 337) % (kScreenW - size), (i * 191) % (kScreenH - size)});
    }
    std::pair<int, int> operator[](size_t i) const { return xy[i % xy.size()]; }
    std::vector<std::pair<int, int>> xy;
};

struct OurScene {
    explicit OurScene(int size, bool glow)
    {
        std::vector<uint32_t> screenBits = ScreenPixels();
        screen.SetBits(screenBits.data(), kScreenW, kScreenH);
        std::vector<uint32_t> spriteBits = SpritePixels(size, glow);
        sprite.SetBits(spriteBits.data(), size, size);
    }
    MemoryImage screen;
    MemoryImage sprite;
};

struct SdlScene {
    explicit SdlScene(int size, bool glow)
    {
        screenBits = ScreenPixels();
        screen = SDL_CreateRGBSurfaceWithFormatFrom(screenBits.data(), kScreenW, kScreenH, 32, kScreenW * 4,
                                                    SDL_PIXELFORMAT_XRGB8888);
        spriteBits = SpritePixels(size, glow);
        sprite =
            SDL_CreateRGBSurfaceWithFormatFrom(spriteBits.data(), size, size, 32, size * 4, SDL_PIXELFORMAT_ARGB8888);
    }
    ~SdlScene()
    {
        SDL_FreeSurface(sprite);
        SDL_FreeSurface(screen);
    }
    std::vector<uint32_t> screenBits, spriteBits;
    SDL_Surface* screen;
    SDL_Surface* sprite;
};

void CountPixels(benchmark::State& state, int64_t pixelsPerDraw)
{
    state.counters["pixels/s"] =
        benchmark::Counter(double(state.iterations()) * pixelsPerDraw, benchmark::Counter::kIsRate);
}

void Ours_AlphaSprite(benchmark::State& state)
{
    int size = static_cast<int>(state.range(0));
    OurScene scene(size, false);
    Positions pos(size);
    size_t i = 0;
    for (auto _ : state) {
        auto [x, y] = pos[i++];
        scene.screen.BlitImage(&scene.sprite, x, y, Rect(0, 0, size, size), Color::White, Graphics::DRAWMODE_NORMAL);
    }
    CountPixels(state, int64_t(size) * size);
}

void SDL_AlphaSprite(benchmark::State& state)
{
    int size = static_cast<int>(state.range(0));
    SdlScene scene(size, false);
    SDL_SetSurfaceBlendMode(scene.sprite, SDL_BLENDMODE_BLEND);
    Positions pos(size);
    size_t i = 0;
    for (auto _ : state) {
        auto [x, y] = pos[i++];
        SDL_Rect dest{x, y, size, size};
        SDL_BlitSurface(scene.sprite, nullptr, scene.screen, &dest);
    }
    CountPixels(state, int64_t(size) * size);
}

void Ours_AdditiveParticle(benchmark::State& state)
{
    int size = static_cast<int>(state.range(0));
    OurScene scene(size, true);
    Positions pos(size);
    size_t i = 0;
    for (auto _ : state) {
        auto [x, y] = pos[i++];
        scene.screen.BlitImage(&scene.sprite, x, y, Rect(0, 0, size, size), Color::White, Graphics::DRAWMODE_ADDITIVE);
    }
    CountPixels(state, int64_t(size) * size);
}

void SDL_AdditiveParticle(benchmark::State& state)
{
    int size = static_cast<int>(state.range(0));
    SdlScene scene(size, true);
    SDL_SetSurfaceBlendMode(scene.sprite, SDL_BLENDMODE_ADD);
    Positions pos(size);
    size_t i = 0;
    for (auto _ : state) {
        auto [x, y] = pos[i++];
        SDL_Rect dest{x, y, size, size};
        SDL_BlitSurface(scene.sprite, nullptr, scene.screen, &dest);
    }
    CountPixels(state, int64_t(size) * size);
}

void Ours_TranslucentFill(benchmark::State& state)
{
    OurScene scene(1, false);
    Graphics g(&scene.screen);
    g.SetColor(Color(20, 40, 200, 128));
    for (auto _ : state)
        g.FillRect(0, 0, kScreenW, kScreenH);
    CountPixels(state, int64_t(kScreenW) * kScreenH);
}

// SDL's own translucent fill is its software renderer's blended rectangle fill.
void SDL_TranslucentFill(benchmark::State& state)
{
    SdlScene scene(1, false);
    SDL_Renderer* renderer = SDL_CreateSoftwareRenderer(scene.screen);
    SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_BLEND);
    SDL_SetRenderDrawColor(renderer, 20, 40, 200, 128);
    SDL_Rect all{0, 0, kScreenW, kScreenH};
    for (auto _ : state)
        SDL_RenderFillRect(renderer, &all);
    SDL_DestroyRenderer(renderer);
    CountPixels(state, int64_t(kScreenW) * kScreenH);
}

constexpr int kRotatedSize = 64;
constexpr double kRotatedAngle = 30 * kPi / 180;

void Ours_RotatedSprite(benchmark::State& state)
{
    OurScene scene(kRotatedSize, false);
    Positions pos(kRotatedSize * 2);
    Rect clip(0, 0, kScreenW, kScreenH);
    size_t i = 0;
    for (auto _ : state) {
        auto [x, y] = pos[i++];
        scene.screen.BlitImageRotated(
            &scene.sprite, float(x + 16), float(y + 16), Rect(0, 0, kRotatedSize, kRotatedSize), clip, Color::White,
            Graphics::DRAWMODE_NORMAL, kRotatedAngle, kRotatedSize / 2.0f, kRotatedSize / 2.0f);
    }
    CountPixels(state, int64_t(kRotatedSize) * kRotatedSize);
}

// SDL rotates through its software renderer (a rotated, filtered copy blended onto the surface).
void SDL_RotatedSprite(benchmark::State& state)
{
    SdlScene scene(kRotatedSize, false);
    SDL_Renderer* renderer = SDL_CreateSoftwareRenderer(scene.screen);
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    SDL_Texture* texture = SDL_CreateTextureFromSurface(renderer, scene.sprite);
    SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
    Positions pos(kRotatedSize * 2);
    size_t i = 0;
    for (auto _ : state) {
        auto [x, y] = pos[i++];
        SDL_Rect dest{x + 16, y + 16, kRotatedSize, kRotatedSize};
        SDL_RenderCopyEx(renderer, texture, nullptr, &dest, -30.0, nullptr, SDL_FLIP_NONE);
    }
    SDL_DestroyTexture(texture);
    SDL_DestroyRenderer(renderer);
    CountPixels(state, int64_t(kRotatedSize) * kRotatedSize);
}

BENCHMARK(Ours_AlphaSprite)->Arg(32)->Arg(64)->Arg(256);
BENCHMARK(SDL_AlphaSprite)->Arg(32)->Arg(64)->Arg(256);
BENCHMARK(Ours_AdditiveParticle)->Arg(16)->Arg(32);
BENCHMARK(SDL_AdditiveParticle)->Arg(16)->Arg(32);
BENCHMARK(Ours_TranslucentFill);
BENCHMARK(SDL_TranslucentFill);
BENCHMARK(Ours_RotatedSprite);
BENCHMARK(SDL_RotatedSprite);

} // namespace

// Prints every Ours_/SDL_ pair: the pixel rates and the ratio of CPU times (ours / SDL).
void PrintRatios(const benchsupport::RunTimes& times)
{
    auto rate = [](const benchsupport::RunTimes::Times& t) {
        auto it = t.counters.find("pixels/s");
        return it == t.counters.end() ? 0.0 : it->second;
    };
    std::printf("\n%-26s %16s %16s %10s\n", "case", "ours pixels/s", "SDL pixels/s", "time ratio");
    for (const auto& [name, ours] : times.All()) {
        if (name.rfind("Ours_", 0) != 0)
            continue;
        const auto* sdl = times.Find("SDL_" + name.substr(5));
        if (!sdl || sdl->cpuSeconds <= 0)
            continue;
        std::printf("%-26s %16.3e %16.3e %10.2f\n", name.substr(5).c_str(), rate(ours), rate(*sdl),
                    ours.cpuSeconds / sdl->cpuSeconds);
    }
}

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchsupport::RunTimes reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintRatios(reporter);
    benchmark::Shutdown();
    return 0;
}
