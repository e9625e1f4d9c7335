// Particles frame by frame: 5,000 live particles with colour and steering actions, stepped by 16 ms,
// the dead ones replaced, and drawn additively in software onto a 1024 x 768 screen of 16 or 32 bits,
// against copying a frame of the same bytes (the floor no drawing can go under).
#include <benchmark/benchmark.h>

#include "RunTimes.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/Random.h"
#include "graphics/DDImage.h"
#include "graphics/DDInterface.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "platform/DisplayFake.h"
#include "world/CParticle.h"
#include "world/CParticleAction.h"
#include "world/CParticleSystem.h"

using namespace tilvan;

namespace
{

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr int kParticles = 5000;
constexpr int kSize = 16;
constexpr float kStep = 16;

Olvarn::SurfaceFormat FormatOf(int bits)
{
    return bits == 16 ? Olvarn::SurfaceFormat::Rgb565() : Olvarn::SurfaceFormat::Xrgb8888();
}

// A soft round dot, brightest in the middle, as the particle pictures are.
std::unique_ptr<Olvarn::MemoryImage> SoftDot()
{
    std::vector<uint32_t> px(size_t(kSize) * kSize);
    const double c = (kSize - 1) / 2.0, outer = kSize * 0.5;
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const double d = std::hypot(x - c, y - c);
            const int a = d >= outer ? 0 : int(255 * (1 - d / outer));
            px[size_t(y) * kSize + x] = uint32_t(a) << 24 | 0xFFE8A0u;
        }
    auto image = std::make_unique<Olvarn::MemoryImage>();
    image->SetBits(px.data(), kSize, kSize);
    return image;
}

struct Scene {
    Scene(int bits, float spin_) : spin(spin_)
    {
        Olvarn::SeedRand(1);
        auto display = std::make_unique<Olvarn::DisplayFake>(FormatOf(bits));
        dd = std::make_unique<Olvarn::DDInterface>(nullptr, Olvarn::DisplayOptions(), std::move(display));
        dd->mOptions.mWidth = kWidth;
        dd->mOptions.mHeight = kHeight;
        if (dd->Init(nullptr, true) != Olvarn::DDInterface::RESULT_OK)
            std::abort();
        screen = dd->GetScreenImage();
        graphics = std::make_unique<Olvarn::Graphics>(screen);
        graphics->SetDrawMode(Olvarn::Graphics::DRAWMODE_ADDITIVE);
        // Sparks that cool from white-gold to clear red over the last second of their lives, and every
        // velocity turning a little each step.
        system.AddAction(std::make_shared<CColorDecayParticleAction>(Olvarn::Color(255, 240, 200, 255),
                                                                     Olvarn::Color(255, 60, 20, 0), 1000));
        for (int i = 0; i < kParticles; ++i)
            Emit();
        // Group 1 is tinted towards blue over ten minutes instead (group actions come last).
        system.AddGroupAction(1, std::make_shared<CColorParticleAction>(Olvarn::Color(255, 255, 255, 255),
                                                                        Olvarn::Color(160, 200, 255, 255), 600000));
        system.AddAction(std::make_shared<CRotateNearPointParticleAction>(Olvarn::OlvarnVector2(512, 384)));
    }

    void Emit()
    {
        const float x = float(Olvarn::Rand() % (kWidth - 64) + 24);
        const float y = float(Olvarn::Rand() % (kHeight - 64) + 24);
        CParticle p(picture, {x, y}, 0, 1500 + Olvarn::Rand() % 2000);
        p.vel = {float(Olvarn::Rand() % 41 - 20), float(Olvarn::Rand() % 41 - 20)};
        p.acc = {0, 10};
        // Spinning particles draw rotated, a path of its own (measured apart below).
        p.angular_vel = spin;
        system.Emit(Olvarn::Rand() % 2, p);
    }

    // As the widget manager draws a frame: the screen locked once around every draw of it.
    void Draw()
    {
        screen->LockSurface();
        system.Draw(*graphics);
        screen->UnlockSurface();
    }

    void Step()
    {
        system.Update(kStep);
        for (int n = system.EnumAllParticles(); n < kParticles; ++n)
            Emit();
    }

    float spin = 0;
    std::unique_ptr<Olvarn::MemoryImage> dot = SoftDot();
    CImage picture{dot.get(), 0, 0};
    std::unique_ptr<Olvarn::DDInterface> dd;
    Olvarn::DDImage* screen = nullptr;
    std::unique_ptr<Olvarn::Graphics> graphics;
    CParticleSystem system{"", "", nullptr, false};
};

void BM_ParticleFrame(benchmark::State& state)
{
    Scene scene(int(state.range(0)), 0);
    for (auto _ : state) {
        scene.Step();
        scene.Draw();
    }
    state.counters["particles"] = double(scene.system.EnumAllParticles());
}
BENCHMARK(BM_ParticleFrame)->Arg(16)->Arg(32)->Unit(benchmark::kMillisecond);

// The same with every particle spinning, so each is drawn rotated (and bilinear): the dearest case.
void BM_ParticleFrameSpinning(benchmark::State& state)
{
    Scene scene(int(state.range(0)), 0.002f);
    for (auto _ : state) {
        scene.Step();
        scene.Draw();
    }
}
BENCHMARK(BM_ParticleFrameSpinning)->Arg(16)->Arg(32)->Unit(benchmark::kMillisecond);

// Stepping alone: what the particles and their actions cost a frame before any pixel.
void BM_ParticleStepOnly(benchmark::State& state)
{
    Scene scene(32, 0);
    for (auto _ : state)
        scene.Step();
}
BENCHMARK(BM_ParticleStepOnly)->Unit(benchmark::kMillisecond);

// A frame of the screen's bytes copied: 2 or 4 bytes a pixel.
void BM_FrameMemcpy(benchmark::State& state)
{
    const size_t bytes = size_t(kWidth) * kHeight * size_t(state.range(0) / 8);
    std::vector<char> from(bytes, 0x12), to(bytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to[0]);
    }
}
BENCHMARK(BM_FrameMemcpy)->Arg(16)->Arg(32)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchsupport::Initialize(&argc, &argv);
    benchsupport::RunTimes reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const char* bits : {"16", "32"}) {
        const auto* frame = reporter.Find(std::string("BM_ParticleFrame/") + bits);
        const auto* copy = reporter.Find(std::string("BM_FrameMemcpy/") + bits);
        if (frame && copy)
            std::printf("%s-bit screen: %.3f ms per frame of %d particles (goal under 2 ms), frame memcpy %.3f ms, "
                        "%.1fx the copy\n",
                        bits, frame->cpuSeconds * 1000.0, kParticles, copy->cpuSeconds * 1000.0,
                        frame->cpuSeconds / copy->cpuSeconds);
    }
    for (const char* bits : {"16", "32"})
        if (const auto* spinning = reporter.Find(std::string("BM_ParticleFrameSpinning/") + bits))
            std::printf("%s-bit screen, every particle spinning (drawn rotated): %.3f ms per frame\n", bits,
                        spinning->cpuSeconds * 1000.0);
    if (const auto* step = reporter.Find("BM_ParticleStepOnly"))
        std::printf("stepping alone: %.3f ms per frame\n", step->cpuSeconds * 1000.0);
    return 0;
}
