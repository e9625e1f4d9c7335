// Our surface blits and presenting against memcpy and SDL's own blitter, side by side, with the
// ratios printed at the end (ours / theirs: below 1 means ours is faster).
#include <benchmark/benchmark.h>

#include "RunTimes.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
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
        dd = std::make_unique<DDInterface>(nullptr, Olvarn::DisplayOptions(), std::move(display));
        dd->mOptions.mWidth = kWidth;
        dd->mOptions.mHeight = kHeight;
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

// --- Background copy ---

// The background as a surface of the screen's format (a plain surface blit), or as 32-bit memory that
// each draw converts.
struct OurCopy {
    OurCopy(int bits, bool convert) : dev(FormatOf(bits))
    {
        px = Background();
        if (convert) {
            background = std::make_unique<MemoryImage>();
            background->SetBits(px.data(), kWidth, kHeight);
        } else {
            auto image = std::make_unique<DDImage>(dev.dd.get());
            image->SetBits(px.data(), kWidth, kHeight);
            image->CreateSurfaceFromBits();
            background = std::move(image);
        }
        screen = dev.dd->GetScreenImage();
    }
    void Draw()
    {
        screen->BlitImage(background.get(), 0, 0, Rect(0, 0, kWidth, kHeight), Color::White, Graphics::DRAWMODE_NORMAL);
    }
    Device dev;
    std::vector<uint32_t> px;
    std::unique_ptr<MemoryImage> background;
    DDImage* screen = nullptr;
};

void CopySurfaceBlit(benchmark::State& state)
{
    OurCopy copy(int(state.range(0)), false);
    for (auto _ : state)
        copy.Draw();
}

void CopySoftware(benchmark::State& state)
{
    OurCopy copy(int(state.range(0)), true);
    for (auto _ : state)
        copy.Draw();
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

// SDL's surface in the screen's format holding the background. The source must hold the picture: a
// source SDL never wrote reads the shared zero page, which costs nothing to read and made SDL's copy
// look faster than memcpy.
SDL_Surface* ArgbBackground(std::vector<uint32_t>& px)
{
    px = Background();
    SDL_Surface* argb =
        SDL_CreateRGBSurfaceWithFormatFrom(px.data(), kWidth, kHeight, 32, kWidth * 4, SDL_PIXELFORMAT_ARGB8888);
    SDL_SetSurfaceBlendMode(argb, SDL_BLENDMODE_NONE);
    return argb;
}

// Same format (the background copy) or from 32-bit ARGB (the software copy converts as ours does).
struct SdlCopy {
    SdlCopy(int bits, bool convert)
    {
        const uint32_t format = SdlFormatOf(bits);
        SDL_Surface* argb = ArgbBackground(px);
        from = convert ? argb : SDL_ConvertSurfaceFormat(argb, format, 0);
        if (!convert)
            SDL_FreeSurface(argb);
        SDL_SetSurfaceBlendMode(from, SDL_BLENDMODE_NONE);
        to = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 32, format);
    }
    ~SdlCopy()
    {
        SDL_FreeSurface(from);
        SDL_FreeSurface(to);
    }
    void Draw() { SDL_BlitSurface(from, nullptr, to, nullptr); }
    std::vector<uint32_t> px;
    SDL_Surface* from = nullptr;
    SDL_Surface* to = nullptr;
};

void CopySdl(benchmark::State& state)
{
    SdlCopy copy(int(state.range(0)), false);
    for (auto _ : state)
        copy.Draw();
}

void CopySdlConvert(benchmark::State& state)
{
    SdlCopy copy(int(state.range(0)), true);
    for (auto _ : state)
        copy.Draw();
}

// --- Alpha sprites and additive particles ---
// One sprite per iteration at positions spread over the screen; SDL's sprite is run-length encoded,
// as an SDL program sets it for sprites with transparency. Args: sprite size, screen bits.

std::vector<uint32_t> RoundSprite(int size, bool glow)
{
    std::vector<uint32_t> px(size_t(size) * size);
    const double c = (size - 1) / 2.0, inner = size * 0.36, outer = size * 0.48;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            double d = std::hypot(x - c, y - c);
            int a = glow ? (d >= outer ? 0 : int(255 * (1 - d / outer)))
                         : (d <= inner ? 255 : (d >= outer ? 0 : int(254 * (outer - d) / (outer - inner)) + 1));
            px[size_t(y) * size + x] =
                uint32_t(a) << 24 | uint32_t(x * 255 / size) << 16 | uint32_t(y * 255 / size) << 8 | 0x40;
        }
    return px;
}

struct SpritePositions {
    explicit SpritePositions(int size)
    {
        for (int i = 0; i < 64; ++i)
            xy.push_back({(i * 337) % (kWidth - size), (i * 191) % (kHeight - size)});
    }
    std::pair<int, int> operator[](size_t i) const { return xy[i % xy.size()]; }
    std::vector<std::pair<int, int>> xy;
};

struct OurSprites {
    OurSprites(int size, int bits, bool glow) : dev(FormatOf(bits))
    {
        auto bg = Background();
        background.SetBits(bg.data(), kWidth, kHeight);
        screen = dev.dd->GetScreenImage();
        screen->BlitImage(&background, 0, 0, Rect(0, 0, kWidth, kHeight), Color::White, Graphics::DRAWMODE_NORMAL);
        auto px = RoundSprite(size, glow);
        sprite.SetBits(px.data(), size, size);
    }
    void Draw(int x, int y, int size, Graphics::DrawMode mode)
    {
        screen->BlitImage(&sprite, x, y, Rect(0, 0, size, size), Color::White, mode);
    }
    Device dev;
    MemoryImage background;
    MemoryImage sprite;
    DDImage* screen = nullptr;
};

struct SdlSprites {
    SdlSprites(int size, int bits, bool glow, SDL_BlendMode mode)
    {
        screen = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 32, SdlFormatOf(bits));
        bg = Background();
        SDL_Surface* from =
            SDL_CreateRGBSurfaceWithFormatFrom(bg.data(), kWidth, kHeight, 32, kWidth * 4, SDL_PIXELFORMAT_ARGB8888);
        SDL_SetSurfaceBlendMode(from, SDL_BLENDMODE_NONE);
        SDL_BlitSurface(from, nullptr, screen, nullptr);
        SDL_FreeSurface(from);
        px = RoundSprite(size, glow);
        sprite = SDL_CreateRGBSurfaceWithFormatFrom(px.data(), size, size, 32, size * 4, SDL_PIXELFORMAT_ARGB8888);
        SDL_SetSurfaceBlendMode(sprite, mode);
        SDL_SetSurfaceRLE(sprite, 1);
    }
    ~SdlSprites()
    {
        SDL_FreeSurface(sprite);
        SDL_FreeSurface(screen);
    }
    void Draw(int x, int y, int size)
    {
        SDL_Rect r{x, y, size, size};
        SDL_BlitSurface(sprite, nullptr, screen, &r);
    }
    std::vector<uint32_t> bg, px;
    SDL_Surface* screen = nullptr;
    SDL_Surface* sprite = nullptr;
};

void SpriteOurs(benchmark::State& state, Graphics::DrawMode mode)
{
    const int size = int(state.range(0)), bits = int(state.range(1));
    OurSprites scene(size, bits, mode == Graphics::DRAWMODE_ADDITIVE);
    SpritePositions pos(size);
    size_t i = 0;
    for (auto _ : state) {
        auto [x, y] = pos[i++];
        scene.Draw(x, y, size, mode);
    }
}

void SpriteSdl(benchmark::State& state, SDL_BlendMode mode)
{
    const int size = int(state.range(0)), bits = int(state.range(1));
    SdlSprites scene(size, bits, mode == SDL_BLENDMODE_ADD, mode);
    SpritePositions pos(size);
    size_t i = 0;
    for (auto _ : state) {
        auto [x, y] = pos[i++];
        scene.Draw(x, y, size);
    }
}

// The floor: the sprite's rows copied into the same rows of a screen of the same depth.
void SpriteMemcpy(benchmark::State& state)
{
    const int size = int(state.range(0)), bytes = int(state.range(1)) / 8;
    std::vector<uint8_t> screen(size_t(kWidth) * kHeight * bytes), sprite(size_t(size) * size * bytes, 0x5A);
    SpritePositions pos(size);
    size_t i = 0;
    for (auto _ : state) {
        auto [x, y] = pos[i++];
        for (int row = 0; row < size; ++row)
            std::memcpy(&screen[(size_t(y + row) * kWidth + x) * bytes], &sprite[size_t(row) * size * bytes],
                        size_t(size) * bytes);
        benchmark::ClobberMemory();
    }
}

// Mirrored and palette sprites: the same round sprite, drawn facing the other way or through its
// palette (SDL has neither; the comparison is our plain blit and the memcpy floor).
void MirroredOurs(benchmark::State& state)
{
    const int size = int(state.range(0)), bits = int(state.range(1));
    OurSprites scene(size, bits, false);
    SpritePositions pos(size);
    size_t i = 0;
    for (auto _ : state) {
        auto [x, y] = pos[i++];
        scene.screen->BlitImageMirrored(&scene.sprite, x, y, Rect(0, 0, size, size), Color::White,
                                        Graphics::DRAWMODE_NORMAL);
    }
}

void PaletteOurs(benchmark::State& state)
{
    const int size = int(state.range(0)), bits = int(state.range(1));
    OurSprites scene(size, bits, false);
    // Sixteen levels of alpha in four colours: few enough for a palette.
    auto px = RoundSprite(size, false);
    for (uint32_t& p : px) {
        const uint32_t a = p >> 24;
        p = (a == 0 || a == 255 ? a : (a | 0x0F)) << 24 | (p & 0x808080);
    }
    scene.sprite.SetBits(px.data(), size, size);
    if (!scene.sprite.Palettize()) {
        state.SkipWithError("the sprite has more than 256 colours");
        return;
    }
    SpritePositions pos(size);
    size_t i = 0;
    for (auto _ : state) {
        auto [x, y] = pos[i++];
        scene.Draw(x, y, size, Graphics::DRAWMODE_NORMAL);
    }
}

void AlphaOurs(benchmark::State& state)
{
    SpriteOurs(state, Graphics::DRAWMODE_NORMAL);
}
void AlphaSdl(benchmark::State& state)
{
    SpriteSdl(state, SDL_BLENDMODE_BLEND);
}
void AlphaMemcpy(benchmark::State& state)
{
    SpriteMemcpy(state);
}
void AdditiveOurs(benchmark::State& state)
{
    SpriteOurs(state, Graphics::DRAWMODE_ADDITIVE);
}
void AdditiveSdl(benchmark::State& state)
{
    SpriteSdl(state, SDL_BLENDMODE_ADD);
}
void AdditiveMemcpy(benchmark::State& state)
{
    SpriteMemcpy(state);
}

// Both sides draw every position once; after each draw the touched rectangle is compared in channel
// units of the screen and made equal again, so rounding does not add up over overlapping draws.
bool gChecksFailed = false;

// The pixel at col of a 16-bit (565) or 32-bit row as red << 16 | green << 8 | blue, each channel at
// its own depth, so that the two sides of a check compare channel by channel.
uint32_t ChannelsAt(const uint8_t* row, int col, int bits)
{
    if (bits != 16)
        return reinterpret_cast<const uint32_t*>(row)[col] & 0xFFFFFF;
    const uint32_t p = reinterpret_cast<const uint16_t*>(row)[col];
    return (p >> 11) << 16 | ((p >> 5) & 63) << 8 | (p & 31);
}

void CheckSprites(int size, int bits, bool additive)
{
    OurSprites ours(size, bits, additive);
    SdlSprites theirs(size, bits, additive, additive ? SDL_BLENDMODE_ADD : SDL_BLENDMODE_BLEND);
    SpritePositions pos(size);
    int worst[3] = {};
    for (size_t i = 0; i < pos.xy.size(); ++i) {
        auto [x, y] = pos[i];
        ours.Draw(x, y, size, additive ? Graphics::DRAWMODE_ADDITIVE : Graphics::DRAWMODE_NORMAL);
        theirs.Draw(x, y, size);
        SurfaceLock lock;
        Surface* surface = ours.screen->GetSurface();
        if (!surface || DisplayFailed(surface->Lock(lock)))
            std::abort();
        for (int row = y; row < y + size; ++row) {
            const uint8_t* from = lock.mBits + ptrdiff_t(row) * lock.mPitch;
            uint8_t* to = static_cast<uint8_t*>(theirs.screen->pixels) + ptrdiff_t(row) * theirs.screen->pitch;
            for (int col = x; col < x + size; ++col) {
                const uint32_t a = ChannelsAt(from, col, bits), b = ChannelsAt(to, col, bits);
                for (int c = 0; c < 3; ++c)
                    worst[c] =
                        std::max(worst[c], std::abs(int((a >> (16 - 8 * c)) & 0xFF) - int((b >> (16 - 8 * c)) & 0xFF)));
            }
            std::memcpy(to + size_t(x) * (bits / 8), from + size_t(x) * (bits / 8), size_t(size) * (bits / 8));
        }
        surface->Unlock();
    }
    // 32-bit: the two blend formulas round one level apart. 16-bit: ours truncates the premultiplied
    // source and the kept destination to the channel's bits (under one step each), SDL blends 16-bit
    // screens with five bits of alpha (up to 7/256 of the channel's range off: two steps of the 6-bit
    // green), so green may differ by three steps and red and blue by two.
    const int allowed[3] = {2, bits == 16 ? 3 : 2, 2};
    bool bad = false;
    for (int c = 0; c < 3; ++c)
        bad = bad || worst[c] > allowed[c];
    std::printf("pixel check %-10s %3d on %d-bit: max difference red %d green %d blue %d (allowed %d %d %d)%s\n",
                additive ? "additive" : "alpha", size, bits, worst[0], worst[1], worst[2], allowed[0], allowed[1],
                allowed[2], bad ? "  MISMATCH" : "");
    if (bad)
        gChecksFailed = true;
}

// --- Presenting ---

void Present(benchmark::State& state)
{
    DisplaySdlWindow window(kWidth, kHeight);
    DisplaySdl display;
    // In a window: full screen paces every present to the refresh, which is waiting, not work. A
    // 16-bit frame takes the same conversion into the window's surface as in a 16-bit full screen.
    if (!window.IsOpen() || DisplayFailed(display.SetCooperativeLevel(&window, false))) {
        state.SkipWithError("no SDL window");
        return;
    }
    Surface primary(kWidth, kHeight, FormatOf(int(state.range(0))), SurfaceCaps::Primary);
    SurfaceLock lock;
    if (DisplayFailed(primary.Lock(lock)))
        std::abort();
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < lock.mPitch; ++x)
            lock.mBits[ptrdiff_t(y) * lock.mPitch + x] = uint8_t(x * 7 + y);
    primary.Unlock();
    for (auto _ : state)
        if (DisplayFailed(display.Present(primary))) {
            state.SkipWithError("present failed");
            break;
        }
}

void PresentMemcpy(benchmark::State& state)
{
    CopyMemcpy(state);
}

// Twenty round 64x64 sprites turned to twenty angles, as a board of turning pieces draws them onto the
// screen (SDL has no rotated blit of surfaces; the floor copies the same sprites' rows unturned).
constexpr int kTurned = 20;

void RotatedOurs(benchmark::State& state)
{
    const int bits = int(state.range(0));
    OurSprites scene(kSprite, bits, false);
    SpritePositions pos(kSprite * 2);
    const Rect clip(0, 0, kWidth, kHeight);
    size_t i = 0;
    for (auto _ : state)
        for (int n = 0; n < kTurned; ++n, ++i) {
            auto [x, y] = pos[i];
            scene.screen->BlitImageRotated(&scene.sprite, float(x + kSprite / 2), float(y + kSprite / 2),
                                           Rect(0, 0, kSprite, kSprite), clip, Color::White, Graphics::DRAWMODE_NORMAL,
                                           0.1 + 0.3 * n, kSprite / 2.0f, kSprite / 2.0f);
        }
}

void RotatedMemcpy(benchmark::State& state)
{
    const int bytes = int(state.range(0)) / 8;
    std::vector<uint8_t> screen(size_t(kWidth) * kHeight * bytes), sprite(size_t(kSprite) * kSprite * bytes, 0x5A);
    SpritePositions pos(kSprite * 2);
    size_t i = 0;
    for (auto _ : state) {
        for (int n = 0; n < kTurned; ++n, ++i) {
            auto [x, y] = pos[i];
            for (int row = 0; row < kSprite; ++row)
                std::memcpy(&screen[(size_t(y + row) * kWidth + x) * bytes], &sprite[size_t(row) * kSprite * bytes],
                            size_t(kSprite) * bytes);
        }
        benchmark::ClobberMemory();
    }
}

void SpriteArgs(benchmark::internal::Benchmark* b)
{
    for (int bits : {16, 32})
        for (int size : {32, 64, 256})
            b->Args({size, bits});
}

BENCHMARK(CopySurfaceBlit)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);
BENCHMARK(CopySoftware)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);
BENCHMARK(CopyMemcpy)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);
BENCHMARK(CopySdl)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);
BENCHMARK(CopySdlConvert)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);
BENCHMARK(AlphaOurs)->Apply(SpriteArgs);
BENCHMARK(AlphaSdl)->Apply(SpriteArgs);
BENCHMARK(AlphaMemcpy)->Apply(SpriteArgs);
BENCHMARK(MirroredOurs)->Args({64, 16})->Args({64, 32});
BENCHMARK(PaletteOurs)->Args({64, 16})->Args({64, 32});
BENCHMARK(AdditiveOurs)->Args({32, 16})->Args({32, 32});
BENCHMARK(AdditiveSdl)->Args({32, 16})->Args({32, 32});
BENCHMARK(AdditiveMemcpy)->Args({32, 16})->Args({32, 32});
BENCHMARK(RotatedOurs)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);
BENCHMARK(RotatedMemcpy)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);
// Presenting hands the frame to the renderer (and, with a real driver, to another process): wall time.
BENCHMARK(Present)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(PresentMemcpy)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The screens both copies leave, compared in channel units; a same-format copy must be exact, a
// conversion may round one step apart.
void CheckCopy(int bits, bool convert)
{
    OurCopy ours(bits, convert);
    SdlCopy theirs(bits, convert);
    ours.Draw();
    theirs.Draw();
    SurfaceLock lock;
    Surface* surface = ours.screen->GetSurface();
    if (!surface || DisplayFailed(surface->Lock(lock)))
        std::abort();
    int worst = 0;
    for (int y = 0; y < kHeight; ++y) {
        const uint8_t* a = lock.mBits + ptrdiff_t(y) * lock.mPitch;
        const uint8_t* b = static_cast<const uint8_t*>(theirs.to->pixels) + ptrdiff_t(y) * theirs.to->pitch;
        for (int x = 0; x < kWidth; ++x) {
            const uint32_t p = ChannelsAt(a, x, bits), q = ChannelsAt(b, x, bits);
            for (int c = 0; c < 3; ++c)
                worst = std::max(worst, std::abs(int((p >> (8 * c)) & 0xFF) - int((q >> (8 * c)) & 0xFF)));
        }
    }
    surface->Unlock();
    const int allowed = convert ? 1 : 0;
    std::printf("pixel check %-10s on %d-bit: max difference %d (allowed %d)%s\n", convert ? "convert" : "copy", bits,
                worst, allowed, worst > allowed ? "  MISMATCH" : "");
    if (worst > allowed)
        gChecksFailed = true;
}

} // namespace

// One row: ours, theirs and the memcpy floor per draw, ours / theirs and our share of memcpy's speed.
void PrintRow(const benchsupport::RunTimes& times, const std::string& label, const std::string& ours,
              const std::string& theirs, const std::string& floor, bool wall)
{
    const auto* a = times.Find(ours);
    const auto* b = theirs.empty() ? nullptr : times.Find(theirs);
    const auto* c = times.Find(floor);
    if (!a)
        return;
    auto t = [wall](const benchsupport::RunTimes::Times* x) { return x ? (wall ? x->realSeconds : x->cpuSeconds) : 0; };
    std::printf("%-24s %11.2f %11.2f %11.2f", label.c_str(), t(a) * 1e6, t(b) * 1e6, t(c) * 1e6);
    if (b && t(b) > 0)
        std::printf(" %9.2f", t(a) / t(b));
    else
        std::printf(" %9s", "-");
    if (c && t(a) > 0)
        std::printf(" %9.2f %8.0f%%", t(a) / t(c), 100 * t(c) / t(a));
    std::printf("\n");
}

int main(int argc, char** argv)
{
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    benchsupport::Initialize(&argc, &argv);
    SDL_Init(SDL_INIT_VIDEO);
    for (int bits : {16, 32}) {
        CheckCopy(bits, false);
        CheckCopy(bits, true);
        for (int size : {32, 64, 256})
            CheckSprites(size, bits, false);
        CheckSprites(32, bits, true);
    }
    if (gChecksFailed) {
        std::printf("the two sides drew different pixels: no times are taken\n");
        return 1;
    }
    benchsupport::RunTimes reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nMedians per draw in microseconds (CPU time; present: wall time). Mirrored and palette rows\n"
                "compare with our plain blit of the same sprite in the SDL column.\n");
    std::printf("%-24s %11s %11s %11s %9s %9s %9s\n", "case", "ours", "SDL", "memcpy", "ours/SDL", "ours/mcp",
                "% memcpy");
    for (const char* bits : {"16", "32"}) {
        std::string b = std::string("/") + bits;
        PrintRow(reporter, std::string("background copy ") + bits, "CopySurfaceBlit" + b, "CopySdl" + b,
                 "CopyMemcpy" + b, false);
        PrintRow(reporter, std::string("software copy ") + bits, "CopySoftware" + b, "CopySdlConvert" + b,
                 "CopyMemcpy" + b, false);
        for (const char* size : {"32", "64", "256"}) {
            std::string args = std::string("/") + size + b;
            PrintRow(reporter, std::string("alpha ") + size + " on " + bits, "AlphaOurs" + args, "AlphaSdl" + args,
                     "AlphaMemcpy" + args, false);
        }
        PrintRow(reporter, std::string("mirrored 64 on ") + bits, "MirroredOurs/64" + b, "AlphaOurs/64" + b,
                 "AlphaMemcpy/64" + b, false);
        PrintRow(reporter, std::string("palette 64 on ") + bits, "PaletteOurs/64" + b, "AlphaOurs/64" + b,
                 "AlphaMemcpy/64" + b, false);
        std::string args = "/32" + b;
        PrintRow(reporter, std::string("additive 32 on ") + bits, "AdditiveOurs" + args, "AdditiveSdl" + args,
                 "AdditiveMemcpy" + args, false);
        PrintRow(reporter, std::string("20 turned 64 on ") + bits, "RotatedOurs" + b, "", "RotatedMemcpy" + b, false);
        if (const auto* t = reporter.Find("RotatedOurs" + b))
            std::printf("%-24s %11.3f ms (goal: under 0.15 ms)\n", "  one turning 64x64",
                        t->cpuSeconds * 1e3 / kTurned);
        PrintRow(reporter, std::string("present ") + bits, "Present" + b + "/real_time", "",
                 "PresentMemcpy" + b + "/real_time", true);
        // A 16-bit frame is widened into the window's 32-bit surface: it reads the frame's bytes
        // but writes twice as many, so the copy of the bytes written is its floor too.
        if (b == "/16")
            PrintRow(reporter, "present 16, 32-bit floor", "Present/16/real_time", "", "PresentMemcpy/32/real_time",
                     true);
    }
    benchmark::Shutdown();
    SDL_Quit();
    return 0;
}
