// Software drawing of memory images against SDL2's software blitters on the same pixels and formats,
// with memcpy of the same destination bytes as the floor: alpha sprites, additive particles, a
// translucent full-screen fill and a rotated sprite. SDL runs its best path (run-length encoded
// sprites, ARGB8888 onto XRGB8888, the formats its fast blitters take). Before anything is timed, each
// pair draws the same scene once and the pixels are compared; a pair that differs beyond the rounding
// of the two formulas stops the program.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include "RunTimes.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "graphics/PixelKernels.h"

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
    void Draw(int x, int y, int size, Graphics::DrawMode mode)
    {
        screen.BlitImage(&sprite, x, y, Rect(0, 0, size, size), Color::White, mode);
    }
    MemoryImage screen;
    MemoryImage sprite;
};

struct SdlScene {
    SdlScene(int size, bool glow, SDL_BlendMode mode)
    {
        screenBits = ScreenPixels();
        screen = SDL_CreateRGBSurfaceWithFormatFrom(screenBits.data(), kScreenW, kScreenH, 32, kScreenW * 4,
                                                    SDL_PIXELFORMAT_XRGB8888);
        spriteBits = SpritePixels(size, glow);
        sprite =
            SDL_CreateRGBSurfaceWithFormatFrom(spriteBits.data(), size, size, 32, size * 4, SDL_PIXELFORMAT_ARGB8888);
        SDL_SetSurfaceBlendMode(sprite, mode);
        // What an SDL program sets for sprites with transparency: runs of clear and opaque pixels are
        // skipped or copied without a per-pixel test (SDL keeps it only where it applies).
        SDL_SetSurfaceRLE(sprite, 1);
    }
    ~SdlScene()
    {
        SDL_FreeSurface(sprite);
        SDL_FreeSurface(screen);
    }
    void Draw(int x, int y, int size)
    {
        SDL_Rect dest{x, y, size, size};
        SDL_BlitSurface(sprite, nullptr, screen, &dest);
    }
    std::vector<uint32_t> screenBits, spriteBits;
    SDL_Surface* screen;
    SDL_Surface* sprite;
};

// The floor: copying the sprite's rows into the same destination rows.
struct CopyScene {
    explicit CopyScene(int size) : screen(ScreenPixels()), sprite(SpritePixels(size, false)) {}
    void Draw(int x, int y, int size)
    {
        for (int row = 0; row < size; ++row)
            std::memcpy(&screen[size_t(y + row) * kScreenW + x], &sprite[size_t(row) * size], size_t(size) * 4);
        benchmark::ClobberMemory();
    }
    std::vector<uint32_t> screen, sprite;
};

void CountPixels(benchmark::State& state, int64_t pixelsPerDraw)
{
    state.counters["pixels/s"] =
        benchmark::Counter(double(state.iterations()) * pixelsPerDraw, benchmark::Counter::kIsRate);
}

// --- Pixel checks -----------------------------------------------------------------------------------

// The largest difference of any colour channel between two XRGB screens.
int MaxChannelDifference(const uint32_t* a, const uint32_t* b, size_t count)
{
    int worst = 0;
    for (size_t i = 0; i < count; ++i)
        for (int shift : {0, 8, 16})
            worst = std::max(worst, std::abs(int((a[i] >> shift) & 0xFF) - int((b[i] >> shift) & 0xFF)));
    return worst;
}

bool gChecksFailed = false;

void Check(const char* what, int difference, int tolerance)
{
    std::printf("pixel check %-28s max channel difference %3d (allowed %d)%s\n", what, difference, tolerance,
                difference > tolerance ? "  MISMATCH" : "");
    if (difference > tolerance)
        gChecksFailed = true;
}

// Both sides draw the same sprites at the positions the benchmark uses, over the same screen. After
// each draw the touched rectangle is compared, then made equal again, so that the rounding of
// overlapping draws does not add up.
void CheckSprites(const char* what, int size, bool glow, Graphics::DrawMode ours, SDL_BlendMode theirs, int tolerance)
{
    OurScene a(size, glow);
    SdlScene b(size, glow, theirs);
    Positions pos(size);
    int worst = 0;
    for (size_t i = 0; i < pos.xy.size(); ++i) {
        auto [x, y] = pos[i];
        a.Draw(x, y, size, ours);
        b.Draw(x, y, size);
        uint32_t* mine = a.screen.GetBits();
        for (int row = y; row < y + size; ++row) {
            uint32_t* p = mine + size_t(row) * kScreenW + x;
            uint32_t* q = b.screenBits.data() + size_t(row) * kScreenW + x;
            worst = std::max(worst, MaxChannelDifference(p, q, size_t(size)));
            std::memcpy(q, p, size_t(size) * 4);
        }
    }
    Check(what, worst, tolerance);
}

void CheckFill()
{
    OurScene a(1, false);
    Graphics g(&a.screen);
    g.SetColor(Color(20, 40, 200, 128));
    g.FillRect(0, 0, kScreenW, kScreenH);
    SdlScene b(1, false, SDL_BLENDMODE_BLEND);
    SDL_Renderer* renderer = SDL_CreateSoftwareRenderer(b.screen);
    SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_BLEND);
    SDL_SetRenderDrawColor(renderer, 20, 40, 200, 128);
    SDL_Rect all{0, 0, kScreenW, kScreenH};
    SDL_RenderFillRect(renderer, &all);
    SDL_DestroyRenderer(renderer);
    Check("translucent fill", MaxChannelDifference(a.screen.GetBits(), b.screenBits.data(), b.screenBits.size()), 2);
}

// --- Alpha sprites ----------------------------------------------------------------------------------

void Ours_AlphaSprite(benchmark::State& state)
{
    int size = static_cast<int>(state.range(0));
    OurScene scene(size, false);
    Positions pos(size);
    size_t i = 0;
    for (auto _ : state) {
        auto [x, y] = pos[i++];
        scene.Draw(x, y, size, Graphics::DRAWMODE_NORMAL);
    }
    CountPixels(state, int64_t(size) * size);
}

void SDL_AlphaSprite(benchmark::State& state)
{
    int size = static_cast<int>(state.range(0));
    SdlScene scene(size, false, SDL_BLENDMODE_BLEND);
    Positions pos(size);
    size_t i = 0;
    for (auto _ : state) {
        auto [x, y] = pos[i++];
        scene.Draw(x, y, size);
    }
    CountPixels(state, int64_t(size) * size);
}

void Memcpy_AlphaSprite(benchmark::State& state)
{
    int size = static_cast<int>(state.range(0));
    CopyScene scene(size);
    Positions pos(size);
    size_t i = 0;
    for (auto _ : state) {
        auto [x, y] = pos[i++];
        scene.Draw(x, y, size);
    }
    CountPixels(state, int64_t(size) * size);
}

// --- Additive particles -----------------------------------------------------------------------------

void Ours_AdditiveParticle(benchmark::State& state)
{
    int size = static_cast<int>(state.range(0));
    OurScene scene(size, true);
    Positions pos(size);
    size_t i = 0;
    for (auto _ : state) {
        auto [x, y] = pos[i++];
        scene.Draw(x, y, size, Graphics::DRAWMODE_ADDITIVE);
    }
    CountPixels(state, int64_t(size) * size);
}

void SDL_AdditiveParticle(benchmark::State& state)
{
    int size = static_cast<int>(state.range(0));
    SdlScene scene(size, true, SDL_BLENDMODE_ADD);
    Positions pos(size);
    size_t i = 0;
    for (auto _ : state) {
        auto [x, y] = pos[i++];
        scene.Draw(x, y, size);
    }
    CountPixels(state, int64_t(size) * size);
}

void Memcpy_AdditiveParticle(benchmark::State& state)
{
    Memcpy_AlphaSprite(state);
}

// --- Translucent fill -------------------------------------------------------------------------------

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
    SdlScene scene(1, false, SDL_BLENDMODE_BLEND);
    SDL_Renderer* renderer = SDL_CreateSoftwareRenderer(scene.screen);
    SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_BLEND);
    SDL_SetRenderDrawColor(renderer, 20, 40, 200, 128);
    SDL_Rect all{0, 0, kScreenW, kScreenH};
    for (auto _ : state)
        SDL_RenderFillRect(renderer, &all);
    SDL_DestroyRenderer(renderer);
    CountPixels(state, int64_t(kScreenW) * kScreenH);
}

void Memcpy_TranslucentFill(benchmark::State& state)
{
    std::vector<uint32_t> from = ScreenPixels(), to(from.size());
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), to.size() * 4);
        benchmark::ClobberMemory();
    }
    CountPixels(state, int64_t(kScreenW) * kScreenH);
}

// --- Rotated sprite ---------------------------------------------------------------------------------
// Not paired with SDL: its renderer rotates with another filter and pixel centre, so the pixels
// cannot be compared; the floor is still printed.

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

void Memcpy_RotatedSprite(benchmark::State& state)
{
    CopyScene scene(kRotatedSize);
    Positions pos(kRotatedSize * 2);
    size_t i = 0;
    for (auto _ : state) {
        auto [x, y] = pos[i++];
        scene.Draw(x + 16, y + 16, kRotatedSize);
    }
    CountPixels(state, int64_t(kRotatedSize) * kRotatedSize);
}

BENCHMARK(Ours_AlphaSprite)->Arg(32)->Arg(64)->Arg(256);
BENCHMARK(SDL_AlphaSprite)->Arg(32)->Arg(64)->Arg(256);
BENCHMARK(Memcpy_AlphaSprite)->Arg(32)->Arg(64)->Arg(256);
BENCHMARK(Ours_AdditiveParticle)->Arg(16)->Arg(32);
BENCHMARK(SDL_AdditiveParticle)->Arg(16)->Arg(32);
BENCHMARK(Memcpy_AdditiveParticle)->Arg(16)->Arg(32);
BENCHMARK(Ours_TranslucentFill);
BENCHMARK(SDL_TranslucentFill);
BENCHMARK(Memcpy_TranslucentFill);
BENCHMARK(Ours_RotatedSprite);
BENCHMARK(Memcpy_RotatedSprite);

} // namespace

// One row per case: the median CPU times per draw of ours, SDL's and memcpy's, ours / SDL, and our
// speed as a share of memcpy's on the same bytes.
void PrintTable(const benchsupport::RunTimes& times)
{
    std::printf("\nMedians of CPU time per draw (pixel kernels: %s)\n",
                kernels::Active().level == kernels::Level::Avx2 ? "AVX2" : "SSE2");
    std::printf("%-24s %12s %12s %12s %12s %14s\n", "case", "ours ns", "SDL ns", "memcpy ns", "ours/SDL",
                "% of memcpy");
    for (const auto& [name, ours] : times.All()) {
        if (name.rfind("Ours_", 0) != 0)
            continue;
        const std::string rest = name.substr(5);
        const auto* sdl = times.Find("SDL_" + rest);
        const auto* copy = times.Find("Memcpy_" + rest);
        std::printf("%-24s %12.0f", rest.c_str(), ours.cpuSeconds * 1e9);
        if (sdl)
            std::printf(" %12.0f", sdl->cpuSeconds * 1e9);
        else
            std::printf(" %12s", "-");
        std::printf(" %12.0f", copy ? copy->cpuSeconds * 1e9 : 0.0);
        if (sdl && sdl->cpuSeconds > 0)
            std::printf(" %12.2f", ours.cpuSeconds / sdl->cpuSeconds);
        else
            std::printf(" %12s", "-");
        if (copy && ours.cpuSeconds > 0)
            std::printf(" %13.0f%%", 100 * copy->cpuSeconds / ours.cpuSeconds);
        std::printf("\n");
    }
}

int main(int argc, char** argv)
{
    benchsupport::Initialize(&argc, &argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    // SDL's blend rounds (s - d) * a / 256 + d, ours (s * a + d * (256 - a)) / 256: one level apart at most;
    // its additive blend weighs the source by a / 255 where ours takes a / 256.
    for (int size : {32, 64, 256})
        CheckSprites(("alpha sprite " + std::to_string(size)).c_str(), size, false, Graphics::DRAWMODE_NORMAL,
                     SDL_BLENDMODE_BLEND, 2);
    for (int size : {16, 32})
        CheckSprites(("additive particle " + std::to_string(size)).c_str(), size, true, Graphics::DRAWMODE_ADDITIVE,
                     SDL_BLENDMODE_ADD, 2);
    CheckFill();
    if (gChecksFailed) {
        std::printf("the two sides drew different pixels: no times are taken\n");
        return 1;
    }
    benchsupport::RunTimes reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintTable(reporter);
    benchmark::Shutdown();
    return 0;
}
