// Start-up of the game on its real data set: from the start to the first frame of the loading
// screen, and to the end of loading (resources of the loading groups and the property files). The
// floor beside it is reading the same data files' bytes from disk without decoding anything.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "RunTimes.h"
#include "platform/Paths.h"
#include "shell/CGameApp.h"
#include "shell/CLoadingScreen.h"

namespace fs = std::filesystem;

namespace
{

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The game application as the program runs it, kept in the data folder and alone of its kind; it
// notes the first loading-screen frame and ends its main loop once loading has finished.
class BenchApp : public tilvan::CGameApp
{
public:
    explicit BenchApp(Clock::time_point start) : mStart(start) { mOnlyAllowOneCopyToRun = false; }
    bool KeepCurrentDirectory(const std::string&) override { return true; }
    bool DrawFrame() override
    {
        bool drawn = CGameApp::DrawFrame();
        if (drawn && mFirstFrameMs < 0 && dynamic_cast<tilvan::CLoadingScreen*>(ScreenHolder().Current()))
            mFirstFrameMs = MsSince(mStart);
        return drawn;
    }
    void OnLoadingFinished() override
    {
        try {
            CGameApp::OnLoadingFinished();
        } catch (const char*) {
            // A data set without the board's files stops at the property files.
        }
        mLoadedMs = MsSince(mStart);
        Quit();
    }

    Clock::time_point mStart;
    double mFirstFrameMs = -1;
    double mLoadedMs = -1;
};

void PrepareProcess()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    // A folder of this run's own: runs side by side never share settings or saves.
    static const fs::path scratch = benchsupport::TempPath("startup");
    std::atexit([] {
        std::error_code ignored;
        fs::remove_all(scratch, ignored);
    });
    for (const char* var : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"}) {
        fs::create_directories(scratch / var);
        setenv(var, (scratch / var).c_str(), 1);
    }
    // The data set is laid out in bin/ beside this program's folder.
    fs::current_path(fs::path(Olvarn::Paths::ExecutablePath()).parent_path().parent_path() / "bin");
}

void BM_StartToLoadingScreenAndLoaded(benchmark::State& state)
{
    PrepareProcess();
    double firstFrame = 0, loaded = 0;
    for (auto _ : state) {
        double frameMs = -1, loadedMs = -1;
        {
            BenchApp app(Clock::now());
            app.InitApp();
            app.RunApp();
            app.RemoveScreen();
            frameMs = app.mFirstFrameMs;
            loadedMs = app.mLoadedMs;
        }
        if (frameMs < 0 || loadedMs < 0) {
            state.SkipWithError("the game did not reach the loading screen and the end of loading");
            return;
        }
        firstFrame += frameMs;
        loaded += loadedMs;
    }
    state.counters["first_frame_ms"] = firstFrame / double(state.iterations());
    state.counters["loaded_ms"] = loaded / double(state.iterations());
}

// Reading every byte of the data files the start-up loads (pictures, fonts, sounds, properties).
void BM_ReadDataFilesFloor(benchmark::State& state)
{
    PrepareProcess();
    std::vector<fs::path> files;
    for (const char* folder : {"images", "fonts", "sounds", "properties", "scripts"})
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            if (entry.is_regular_file())
                files.push_back(entry.path());
    std::vector<char> buffer;
    for (auto _ : state) {
        size_t total = 0;
        for (const fs::path& file : files) {
            std::ifstream in(file, std::ios::binary);
            buffer.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            total += buffer.size();
        }
        benchmark::DoNotOptimize(total);
        state.counters["bytes"] = double(total);
    }
}

BENCHMARK(BM_StartToLoadingScreenAndLoaded)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReadDataFilesFloor)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchsupport::Initialize(&argc, &argv);
    benchsupport::RunTimes times;
    benchmark::RunSpecifiedBenchmarks(&times);
    if (const benchsupport::RunTimes::Times* t = times.Find("BM_StartToLoadingScreenAndLoaded/iterations:3")) {
        std::printf("Start to the first loading-screen frame: %.0f ms (goal: under 300 ms)\n",
                    t->counters.at("first_frame_ms"));
        std::printf("Start to the end of loading: %.0f ms (goal: under 1500 ms)\n", t->counters.at("loaded_ms"));
    }
    if (const benchsupport::RunTimes::Times* floor = times.Find("BM_ReadDataFilesFloor"))
        std::printf("Floor, reading the data files' bytes: %.1f ms\n", floor->realSeconds * 1000);
    benchmark::Shutdown();
    return 0;
}
