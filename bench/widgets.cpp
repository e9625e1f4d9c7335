// The update and draw walks over a tree of 1000 widgets (20 panels of 49 controls and a few top-level
// widgets) against a plain loop that calls the same Update and Draw on a flat list, which is the least
// any retained tree must spend; the ratio shows what the walks' bookkeeping costs.
#include <benchmark/benchmark.h>

#include "RunTimes.h"

#include <memory>
#include <vector>

#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "widgets/Widget.h"
#include "widgets/WidgetManager.h"

namespace
{

constexpr int kPanels = 20;
constexpr int kPerPanel = 49;
constexpr int kWidgets = kPanels * (kPerPanel + 1);

class Control : public Olvarn::Widget
{
public:
    void Update() override
    {
        Widget::Update();
        mTicks += 1;
    }
    void Draw(Olvarn::Graphics& g) override
    {
        g.SetColor(Olvarn::Color(static_cast<int>(mTicks & 0xFF), 80, 120));
        g.FillRect(0, 0, mWidth, mHeight);
    }
    unsigned mTicks = 0;
};

struct Scene {
    Olvarn::WidgetManager manager{nullptr};
    std::vector<std::unique_ptr<Control>> widgets;
    std::unique_ptr<Olvarn::MemoryImage> screen = std::make_unique<Olvarn::MemoryImage>();

    Scene()
    {
        screen->Create(1024, 768);
        manager.mScreenImage = screen.get();
        manager.SetScreenSize(1024, 768);
        for (int p = 0; p < kPanels; ++p) {
            auto panel = std::make_unique<Control>();
            panel->Resize((p % 5) * 200, (p / 5) * 190, 200, 190);
            manager.AddWidget(panel.get());
            for (int i = 0; i < kPerPanel; ++i) {
                auto w = std::make_unique<Control>();
                w->Resize((i % 7) * 28, (i / 7) * 27, 26, 25);
                panel->AddWidget(w.get());
                widgets.push_back(std::move(w));
            }
            widgets.push_back(std::move(panel));
        }
    }
    ~Scene() { manager.RemoveAllChildren(false, true); }
};

void BM_TreeUpdate(benchmark::State& state)
{
    Scene scene;
    for (auto _ : state)
        benchmark::DoNotOptimize(scene.manager.UpdateWidgets());
    state.counters["widgets"] = kWidgets;
    state.counters["per_widget_ns"] = benchmark::Counter(static_cast<double>(state.iterations()) * kWidgets,
                                                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_FlatUpdate(benchmark::State& state)
{
    Scene scene;
    for (auto _ : state)
        for (auto& w : scene.widgets)
            w->Update();
    state.counters["widgets"] = kWidgets;
}

void BM_TreeDraw(benchmark::State& state)
{
    Scene scene;
    for (auto _ : state) {
        scene.manager.InvalidateTree();
        benchmark::DoNotOptimize(scene.manager.DrawWidgets());
    }
    state.counters["widgets"] = kWidgets;
}

void BM_FlatDraw(benchmark::State& state)
{
    Scene scene;
    Olvarn::Graphics g(scene.screen.get());
    for (auto _ : state) {
        for (auto& w : scene.widgets) {
            Olvarn::Graphics child(g);
            int x = 0, y = 0;
            w->ToRootCoords(0, 0, x, y);
            child.Translate(x, y);
            child.IntersectClip(0, 0, w->mWidth, w->mHeight);
            w->Draw(child);
        }
    }
    state.counters["widgets"] = kWidgets;
}

} // namespace

BENCHMARK(BM_TreeUpdate)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FlatUpdate)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TreeDraw)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FlatDraw)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    benchsupport::Initialize(&argc, &argv);
    benchsupport::RunTimes reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintSpeedRatio("updating the tree", "BM_TreeUpdate", "BM_FlatUpdate");
    reporter.PrintSpeedRatio("drawing the tree", "BM_TreeDraw", "BM_FlatDraw");
    benchmark::Shutdown();
    return 0;
}
