// The premultiplied screen-layout table of a full-screen picture, built when the picture is first drawn
// (often in the middle of a frame): ours against the plain per-channel loop, with memcpy of the same
// bytes as the floor. Both sides build the table once before timing and must agree on every entry.
#include <benchmark/benchmark.h>

#include "RunTimes.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "graphics/MemoryImage.h"
#include "graphics/NativeDisplay.h"

using namespace Olvarn;

namespace
{

constexpr int kW = 1024, kH = 768;

std::vector<uint32_t> Pixels()
{
    std::vector<uint32_t> bits(size_t(kW) * kH);
    uint32_t seed = 7;
    for (uint32_t& p : bits) {
        seed = seed * 1664525u + 1013904223u;
        p = seed;
    }
    return bits;
}

NativeDisplay Layout(int which)
{
    return which == 0 ? NativeDisplay::Format565() : NativeDisplay::Format888();
}

// The formula one channel at a time, with the layout read at run time.
void PlainTable(const std::vector<uint32_t>& bits, const NativeDisplay& f, uint32_t* out)
{
    auto channel = [](uint32_t p, uint32_t mask, uint32_t m, int top, int bits, int shift, uint32_t to) {
        return ((((p & mask) * m) >> 8) >> (top - bits) << shift) & to;
    };
    for (size_t i = 0; i < bits.size(); ++i) {
        const uint32_t p = bits[i], m = (p >> 24) + 1;
        out[i] = channel(p, 0xFF0000, m, 24, f.mRedBits, f.mRedShift, f.mRedMask) |
                 channel(p, 0xFF00, m, 16, f.mGreenBits, f.mGreenShift, f.mGreenMask) |
                 channel(p, 0xFF, m, 8, f.mBlueBits, f.mBlueShift, f.mBlueMask) | (p & 0xFF000000);
    }
}

MemoryImage Picture(const std::vector<uint32_t>& bits)
{
    MemoryImage image;
    image.Create(kW, kH);
    std::memcpy(image.GetBits(), bits.data(), bits.size() * 4);
    image.BitsChanged();
    return image;
}

void Ours_Table(benchmark::State& state)
{
    const std::vector<uint32_t> bits = Pixels();
    const NativeDisplay f = Layout(int(state.range(0)));
    MemoryImage image = Picture(bits);
    for (auto _ : state) {
        image.BitsChanged(); // drops the table, so each pass builds it again
        benchmark::DoNotOptimize(image.BuildNativeAlpha(f));
    }
}

void Plain_Table(benchmark::State& state)
{
    const std::vector<uint32_t> bits = Pixels();
    const NativeDisplay f = Layout(int(state.range(0)));
    for (auto _ : state) {
        // A fresh table each pass, as ours makes one.
        std::unique_ptr<uint32_t[]> out(new uint32_t[bits.size()]);
        PlainTable(bits, f, out.get());
        benchmark::DoNotOptimize(out.get());
    }
}

void Memcpy_Table(benchmark::State& state)
{
    const std::vector<uint32_t> bits = Pixels();
    std::vector<uint32_t> out(bits.size());
    for (auto _ : state) {
        std::memcpy(out.data(), bits.data(), bits.size() * 4);
        benchmark::DoNotOptimize(out.data());
    }
}

} // namespace

BENCHMARK(Ours_Table)->Arg(0)->Arg(1);
BENCHMARK(Plain_Table)->Arg(0)->Arg(1);
BENCHMARK(Memcpy_Table)->Arg(0)->Arg(1);

int main(int argc, char** argv)
{
    benchsupport::Initialize(&argc, &argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    const std::vector<uint32_t> bits = Pixels();
    for (int which : {0, 1}) {
        MemoryImage image = Picture(bits);
        const uint32_t* ours = image.BuildNativeAlpha(Layout(which));
        std::vector<uint32_t> plain(bits.size());
        PlainTable(bits, Layout(which), plain.data());
        if (std::memcmp(ours, plain.data(), plain.size() * 4) != 0) {
            std::printf("the two tables differ (layout %d): no times are taken\n", which);
            return 1;
        }
    }
    benchsupport::RunTimes reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nMedians of CPU time per 1024 x 768 table (0: 565, 1: X8888)\n");
    for (const char* arg : {"0", "1"}) {
        const auto* ours = reporter.Find(std::string("Ours_Table/") + arg);
        const auto* plain = reporter.Find(std::string("Plain_Table/") + arg);
        const auto* copy = reporter.Find(std::string("Memcpy_Table/") + arg);
        if (ours && plain && copy)
            std::printf("layout %s: ours %.3f ms, plain loop %.3f ms (%.2fx), memcpy %.3f ms\n", arg,
                        ours->cpuSeconds * 1e3, plain->cpuSeconds * 1e3, plain->cpuSeconds / ours->cpuSeconds,
                        copy->cpuSeconds * 1e3);
    }
    benchmark::Shutdown();
    return 0;
}
