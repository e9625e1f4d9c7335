// A level's surroundings frame by frame: an aquarium of 50 creatures, 10 birds and the water, each
// frame stepped by 16 ms and drawn into a 1024 x 768 frame, against copying as many bytes as a frame
// draws (the floor no drawing of those pixels gets under) and a whole frame.
#include <benchmark/benchmark.h>

#include "RunTimes.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "core/Random.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "shell/CLayerObject.h"
#include "world/AnimalComponents.h"
#include "world/AnimalConfig.h"
#include "world/CAquarium.h"
#include "world/CBirdController.h"
#include "world/CWalkPath.h"
#include "world/CWater.h"
#include "world/WorldHooks.h"

using namespace tilvan;

namespace
{

constexpr int kFrames = 10000;
constexpr int kRepetitions = 3;

// The level's script is not part of what is measured.
struct QuietHooks : CWorldHooks {
    void OnDropInWater(const std::string&) override {}
    void OnBirdCreated(int, float, float) override {}
} gQuiet;

std::unique_ptr<Olvarn::MemoryImage> Picture(int w, int h, int cels, uint32_t colour)
{
    auto image = std::make_unique<Olvarn::MemoryImage>();
    image->Create(w * cels, h);
    uint32_t* bits = image->GetBits();
    for (int i = 0; i < w * cels * h; ++i)
        bits[i] = (i % 7 == 0 ? 0x80000000u : 0xFF000000u) | colour;
    image->BitsChanged();
    image->mNumCols = cels;
    if (cels > 1) {
        auto* animation = new Olvarn::ImageAnimation();
        animation->mType = Olvarn::ImageAnimation::TYPE_LOOP;
        animation->mFrameDelay = 80;
        animation->Prepare(cels, 0, 0);
        image->mAnimation = animation;
    }
    return image;
}

struct Scene {
    std::unique_ptr<Olvarn::MemoryImage> creature = Picture(90, 70, 8, 0xff6030);
    std::unique_ptr<Olvarn::MemoryImage> bird = Picture(90, 60, 8, 0xf0f0f0);
    std::unique_ptr<Olvarn::MemoryImage> water = Picture(64, 160, 22, 0x2096bf);
    CAquarium aquarium;
    CBirdController birds;
    CWater surface;

    template <typename Mover> void Prototype(const char* id, EAnimalKind kind, bool fish, Mover* mover)
    {
        std::unique_ptr<CController> controller;
        if (fish)
            controller = std::make_unique<CFishController>();
        else
            controller = std::make_unique<CCreeperController>();
        controller->SetWeights(6, 2, 2);
        auto rotater = std::make_unique<CRotater>();
        rotater->turn_image.image.SetImage(creature.get());
        auto thinker = std::make_unique<CThinker>();
        thinker->pause_image.image.SetImage(creature.get());
        thinker->min_pause = 200;
        thinker->max_pause = 600;
        thinker->max_reps = 2;
        auto animal = std::make_unique<CAnimal>(kind, std::move(controller), std::unique_ptr<CActivity>(mover),
                                                std::move(rotater), std::move(thinker));
        animal->id = id;
        animal->minscale = 0.7f;
        animal->maxscale = 1.0f;
        AddAnimalPrototype(std::move(animal));
    }

    Scene()
    {
        Olvarn::SeedRand(1);
        SetWorldHooks(&gQuiet);
        AnimalLocation().path.SetPoints(CWalkPath::Parse("0 700 400 650 877 700 "));
        CWater::SetPictureLookup([this](const std::string&) { return water.get(); });
        auto* crab = new CCreeperMover();
        crab->walk_image.image.SetImage(creature.get());
        crab->speed = 40;
        crab->min_cycles = 2;
        crab->max_cycles = 5;
        Prototype("crab", EAnimalKind::Creeper, false, crab);
        auto* fish = new CFishMover();
        fish->swim_image.image.SetImage(creature.get());
        fish->speed = 60;
        fish->min_cycles = 2;
        fish->max_cycles = 6;
        Prototype("fish", EAnimalKind::Fish, true, fish);
        auto* octopus = new COctopusMover();
        octopus->swim_image.image.SetImage(creature.get());
        octopus->speed = 35;
        octopus->hop = -60;
        octopus->min_cycles = 2;
        octopus->max_cycles = 6;
        Prototype("octopus", EAnimalKind::Octopus, false, octopus);
        const char* ids[] = {"crab", "fish", "octopus"};
        for (int i = 0; i < 50; ++i) {
            CAnimal* a = CreateAnimal(ids[i % 3]);
            a->pos = FPoint(float(20 + i * 16), 300);
        }
        CBirdKind kind;
        kind.miny = 40;
        kind.maxy = 220;
        kind.deltay = 60;
        kind.speed = 60;
        CBirdController::Kinds() = {kind};
        KeepBirds();
    }
    // Birds that have left the screen are replaced, so that every frame draws ten.
    void KeepBirds()
    {
        while (birds.Birds().size() < 10)
            birds.Spawn(0);
        for (const CBird& b : birds.Birds())
            if (!b.GetImage().GetImage())
                const_cast<CBird&>(b).GetImage().SetImage(bird.get());
    }
    void Step()
    {
        aquarium.Update(16);
        birds.Update(16);
        surface.Update(16);
        KeepBirds();
    }
    // Pixels one frame writes: the water's three rows across the screen, every creature and bird.
    size_t DrawnPixels()
    {
        size_t pixels = 0;
        const int celW = water->GetCellWidth(), celH = water->GetCellHeight();
        const struct {
            int startX, h;
        } rows[] = {{-100, int(float(celH) * 0.7f)}, {-252, int(float(celH) * 0.85f)}, {0, celH}};
        for (const auto& r : rows)
            pixels += size_t((1024 - r.startX) / celW + 1) * size_t(celW) * size_t(r.h);
        for (const auto& a : aquarium.Animals())
            pixels += size_t(a->PixelWidth()) * size_t(a->PixelHeight());
        for (const CBird& b : birds.Birds())
            pixels += size_t(b.GetImage().GetDimensions().x) * size_t(b.GetImage().GetDimensions().y);
        return pixels;
    }
    ~Scene()
    {
        CWater::SetPictureLookup(nullptr);
        ClearAnimalPrototypes();
    }
};

void BM_WorldFrame(benchmark::State& state)
{
    Scene scene;
    // The screen the scenery is drawn onto is opaque, as a level's background leaves it.
    Olvarn::MemoryImage frame;
    frame.Create(1024, 768);
    std::fill(frame.GetBits(), frame.GetBits() + 1024 * 768, 0xFF18406Au);
    frame.BitsChanged();
    frame.SetAlphaFlags(false, false);
    Olvarn::Graphics g(&frame);
    for (auto _ : state) {
        scene.Step();
        scene.surface.DrawBack(g);
        CLayerRegistry::Instance().DrawAll(g);
        scene.birds.Draw(g);
        scene.surface.DrawFront(g);
        benchmark::DoNotOptimize(frame.GetBits()[0]);
    }
    state.counters["creatures"] = double(scene.aquarium.Animals().size());
    state.counters["birds"] = double(scene.birds.Birds().size());
}
BENCHMARK(BM_WorldFrame)->Iterations(kFrames)->Repetitions(kRepetitions)->Unit(benchmark::kMillisecond);

// Stepping alone, without drawing: what the world costs a frame before any pixel.
void BM_WorldStepOnly(benchmark::State& state)
{
    Scene scene;
    for (auto _ : state)
        scene.Step();
}
BENCHMARK(BM_WorldStepOnly)->Iterations(kFrames)->Repetitions(kRepetitions)->Unit(benchmark::kMicrosecond);

// As many bytes as one frame of the scene draws, copied: what blending those pixels cannot beat.
void BM_DrawnBytesMemcpy(benchmark::State& state)
{
    size_t pixels = 0;
    {
        Scene scene;
        for (int i = 0; i < 100; ++i)
            scene.Step();
        pixels = scene.DrawnPixels();
    }
    std::vector<uint32_t> from(pixels, 0x12345678), to(pixels);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), to.size() * sizeof(uint32_t));
        benchmark::DoNotOptimize(to[0]);
    }
    state.counters["pixels"] = double(pixels);
}
BENCHMARK(BM_DrawnBytesMemcpy)->Repetitions(kRepetitions)->Unit(benchmark::kMillisecond);

void BM_FrameMemcpy(benchmark::State& state)
{
    std::vector<uint32_t> from(1024 * 768, 0x12345678), to(1024 * 768);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), to.size() * sizeof(uint32_t));
        benchmark::DoNotOptimize(to[0]);
    }
}
BENCHMARK(BM_FrameMemcpy)->Repetitions(kRepetitions)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchsupport::RunTimes reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto* frame = reporter.Find("BM_WorldFrame/iterations:10000/repeats:3");
    const auto* floor = reporter.Find("BM_DrawnBytesMemcpy/repeats:3");
    if (frame)
        std::printf("world frame: %.3f ms per frame, median of %d runs (goal under 0.5 ms)\n",
                    frame->cpuSeconds * 1000.0, kRepetitions);
    if (floor)
        std::printf("copying the bytes a frame draws (%.0f pixels): %.3f ms\n", floor->counters.at("pixels"),
                    floor->cpuSeconds * 1000.0);
    reporter.PrintSpeedRatio("world frame against copying its bytes", "BM_WorldFrame/iterations:10000/repeats:3",
                             "BM_DrawnBytesMemcpy/repeats:3");
    reporter.PrintSpeedRatio("world frame against a whole frame copy", "BM_WorldFrame/iterations:10000/repeats:3",
                             "BM_FrameMemcpy/repeats:3");
    return 0;
}
