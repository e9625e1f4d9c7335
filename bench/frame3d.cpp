// A realistic frame on both display paths: a 1024x768 background, 200 alpha sprites of 64x64, 500
// additive particles of 16x16, 20 rotated images and a line of text as glyph blits with a colour, until
// the frame is in the draw surface, from where presenting takes it the same way on both paths. The
// software path draws on one core; the 3D path draws on the card (Mesa's software OpenGL under the
// offscreen driver on a headless machine) and reads the frame back. Before timing, one frame of each is compared; the
// two paths differ only in the rounding of filters and in the software path leaving out the outermost pixels of rotated
// images: more than 0.1% of the pixels farther apart than 24 per channel, or 5% in the band of the rotated images,
// stops the program. A memcpy of the frame's bytes is the floor.
#include <benchmark/benchmark.h>

#include "RunTimes.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "graphics/D3DInterface.h"
#include "graphics/DDImage.h"
#include "graphics/DDInterface.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "platform/DisplayFake.h"

using namespace Olvarn;

namespace
{

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr double kPi = 3.14159265358979323846;

std::unique_ptr<MemoryImage> MakeImage(int w, int h, uint32_t (*f)(int, int, int, int))
{
    std::vector<uint32_t> bits(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            bits[size_t(y) * size_t(w) + size_t(x)] = f(x, y, w, h);
    auto image = std::make_unique<MemoryImage>();
    image->SetBits(bits.data(), w, h);
    image->CommitBits();
    return image;
}

// A soft round shape: transparent outside, a soft edge, opaque inside.
uint32_t Round(int x, int y, int w, int h)
{
    const double c = (w - 1) / 2.0, d = std::hypot(x - c, y - c) / (w / 2.0);
    const int a = d >= 1 ? 0 : d <= 0.6 ? 255 : int(255 * (1 - d) / 0.4);
    return uint32_t(a) << 24 | uint32_t(x * 255 / w) << 16 | uint32_t(y * 255 / h) << 8 | 0xA0;
}

struct Scene {
    std::unique_ptr<MemoryImage> background = MakeImage(kWidth, kHeight, [](int x, int y, int, int) {
        return 0xFF000000u | uint32_t((x ^ y) & 0xFF) << 16 | uint32_t(y / 3) << 8 | uint32_t(x / 4);
    });
    std::unique_ptr<MemoryImage> sprite = MakeImage(64, 64, Round);
    std::unique_ptr<MemoryImage> particle = MakeImage(16, 16, [](int x, int y, int w, int h) {
        const double c = (w - 1) / 2.0, d = std::min(1.0, std::hypot(x - c, y - c) / (w / 2.0));
        return uint32_t(255 * (1 - d)) << 24 | 0xFFC060u;
    });
    std::unique_ptr<MemoryImage> rotated = MakeImage(64, 64, [](int x, int y, int, int) {
        return 0xFF000000u | uint32_t(x * 4) << 16 | uint32_t(y * 4) << 8 | 0x30;
    });
    // 16 glyph cells of 10x16 in a row, white with soft alpha, as an image font keeps them.
    std::unique_ptr<MemoryImage> glyphs = MakeImage(160, 16, [](int x, int y, int, int) {
        const int cell = x / 10, gx = x % 10;
        const bool ink = (gx >= 2 && gx <= 7 && y >= 2 && y <= 13) && ((gx + y + cell) % 3 != 0);
        return ink ? 0xFFFFFFFFu : 0x00FFFFFFu;
    });

    void Draw(Graphics& g)
    {
        g.DrawImage(background.get(), 0, 0);
        for (int i = 0; i < 200; ++i)
            g.DrawImage(sprite.get(), (i * 337) % (kWidth - 64), (i * 191) % (kHeight - 64));
        g.SetDrawMode(Graphics::DRAWMODE_ADDITIVE);
        for (int i = 0; i < 500; ++i)
            g.DrawImage(particle.get(), (i * 151) % (kWidth - 16), (i * 97) % (kHeight - 16));
        g.SetDrawMode(Graphics::DRAWMODE_NORMAL);
        for (int i = 0; i < 20; ++i)
            g.DrawImageRotated(rotated.get(), float(40 + i * 48), 600.0f, kPi / 7 * (i + 1));
        g.SetModulateImages(true);
        g.SetColor(Color(255, 230, 120));
        for (int i = 0; i < 60; ++i)
            g.DrawImageRegion(glyphs.get(), 100 + i * 11, 700, Rect((i % 16) * 10, 0, 10, 16));
        g.SetModulateImages(false);
    }
};

struct Path {
    explicit Path(bool is3D)
    {
        auto display = std::make_unique<DisplayFake>(SurfaceFormat::Xrgb8888());
        dd = std::make_unique<DDInterface>(nullptr, DisplayOptions(), std::move(display));
        dd->mOptions.mWidth = kWidth;
        dd->mOptions.mHeight = kHeight;
        dd->mOptions.mColorDepth = 32;
        dd->Set3DEnabled(is3D);
        ok = dd->Init(nullptr, true) == DDInterface::RESULT_OK;
        if (!ok)
            std::printf("%s path cannot start: %s\n", is3D ? "3D" : "software", dd->mErrorString.c_str());
    }
    // Drawn and in the draw surface, where presenting takes it from the same way on both paths.
    void Frame(Scene& scene)
    {
        Graphics g(dd->GetScreenImage());
        scene.Draw(g);
        if (dd->mD3DInterface && dd->mD3DInterface->IsSceneOpen())
            dd->mD3DInterface->EndScene();
    }
    std::vector<uint32_t> Pixels()
    {
        std::vector<uint32_t> out(size_t(kWidth) * kHeight);
        SurfaceLock lock;
        if (DisplayFailed(dd->mDrawSurface->Lock(lock)))
            return {};
        for (int y = 0; y < kHeight; ++y)
            std::memcpy(&out[size_t(y) * kWidth], lock.mBits + size_t(y) * size_t(lock.mPitch), kWidth * 4);
        dd->mDrawSurface->Unlock();
        return out;
    }

    std::unique_ptr<DDInterface> dd;
    bool ok = false;
};

Scene* gScene = nullptr;
Path* gSoftware = nullptr;
Path* gHardware = nullptr;

void BM_FrameSoftware(benchmark::State& state)
{
    for (auto _ : state)
        gSoftware->Frame(*gScene);
}

void BM_Frame3D(benchmark::State& state)
{
    for (auto _ : state)
        gHardware->Frame(*gScene);
}

void BM_FrameMemcpy(benchmark::State& state)
{
    std::vector<uint32_t> from(size_t(kWidth) * kHeight, 1), to(from.size());
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size() * 4);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}

BENCHMARK(BM_FrameSoftware)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Frame3D)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FrameMemcpy)->Unit(benchmark::kMillisecond)->UseRealTime();

// The band of rows the rotated images lie in.
constexpr int kRotatedTop = 580;
constexpr int kRotatedBottom = 690;

// Share of pixels farther apart than the tolerance in any channel, inside or outside the rotated band.
double Mismatch(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, bool inBand)
{
    if (a.size() != b.size() || a.empty())
        return 1;
    size_t off = 0, counted = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        const int y = int(i / kWidth);
        if ((y >= kRotatedTop && y < kRotatedBottom) != inBand)
            continue;
        ++counted;
        for (int shift = 0; shift < 24; shift += 8)
            if (std::abs(int(a[i] >> shift & 0xFF) - int(b[i] >> shift & 0xFF)) > 24) {
                ++off;
                break;
            }
    }
    return counted ? double(off) / double(counted) : 1;
}

} // namespace

int main(int argc, char** argv)
{
    // A headless machine has OpenGL through Mesa behind the offscreen driver; the dummy driver,
    // which the test script sets for everything else, has none.
    const char* driver = getenv("SDL_VIDEODRIVER");
    if (!driver || std::string(driver) == "dummy")
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
    benchsupport::Initialize(&argc, &argv);
    Scene scene;
    Path software(false), hardware(true);
    if (!software.ok || !hardware.ok)
        return 1;
    gScene = &scene;
    gSoftware = &software;
    gHardware = &hardware;
    software.Frame(scene);
    hardware.Frame(scene);
    const std::vector<uint32_t> a = software.Pixels(), b = hardware.Pixels();
    const double outside = Mismatch(a, b, false), band = Mismatch(a, b, true);
    std::printf("pixels apart between the two paths: %.3f%% (%.3f%% among the rotated images)\n", 100 * outside,
                100 * band);
    if (outside > 0.001 || band > 0.05) {
        std::printf("the two paths drew different frames: no times are taken\n");
        return 1;
    }
    benchsupport::RunTimes reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto fps = [&](const char* name) {
        const benchsupport::RunTimes::Times* t = reporter.Find(name);
        return t && t->realSeconds > 0 ? 1.0 / t->realSeconds : 0.0;
    };
    const benchsupport::RunTimes::Times* s = reporter.Find("BM_FrameSoftware/real_time");
    const benchsupport::RunTimes::Times* h = reporter.Find("BM_Frame3D/real_time");
    const benchsupport::RunTimes::Times* m = reporter.Find("BM_FrameMemcpy/real_time");
    std::printf("\nMedians per frame (wall time)\n");
    std::printf("software: %8.3f ms  %7.1f frames per second\n", s ? s->realSeconds * 1e3 : 0,
                fps("BM_FrameSoftware/real_time"));
    std::printf("3D:       %8.3f ms  %7.1f frames per second\n", h ? h->realSeconds * 1e3 : 0,
                fps("BM_Frame3D/real_time"));
    std::printf("memcpy of the frame's bytes: %.3f ms\n", m ? m->realSeconds * 1e3 : 0);
    benchmark::Shutdown();
    return 0;
}
