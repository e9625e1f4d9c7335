// A level played at full speed headless: the bot (bin/tamberlo-bot --bench) plays it with every update
// drawn in software at 1024 x 768 on SDL's dummy driver, and notes the wall time from one update to the
// next while the level is in play: one whole frame, the update, the draw and the present. Beside the
// wall time it takes the process's CPU time of each interval with a drawn frame: on a shared machine
// the wall clock counts other programs' work, and in full screen the present waits for the refresh.
// Run it on one core (taskset -c 7 bench_level) for the one-core figure. Each run is a fresh process
// with a fresh profile, and different seeds give different games; the table gives each run and the
// medians over the runs, and beside them the floor: one copy of a whole 32-bit frame.
//
// usage: bench_level [level (1)] [runs (5)] [updates per run (3000; 0: the whole level)]
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "RunTimes.h"

namespace fs = std::filesystem;

namespace
{

struct Run {
    double updatesPerSecond = 0, framesPerSecond = 0, medianMs = 0, p99Ms = 0, slowestMs = 0;
    int updates = 0;
    // CPU time of the intervals with a drawn frame, and of those with an update alone.
    int drawn = 0, alone = 0;
    double cpuMedianMs = -1, cpuP99Ms = -1, cpuSlowestMs = -1, aloneMedianMs = -1;
};

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[(v.size() - 1) / 2];
}

// The time of one copy of a whole 32-bit frame (the median of many): no frame can be shown faster.
double FrameCopyMs(int width, int height)
{
    const size_t bytes = size_t(width) * size_t(height) * 4;
    std::vector<unsigned char> from(bytes, 1), to(bytes, 0);
    std::vector<double> times;
    for (int i = 0; i < 101; ++i) {
        from[size_t(i) % bytes] = static_cast<unsigned char>(i);
        const auto start = std::chrono::steady_clock::now();
        std::memcpy(to.data(), from.data(), bytes);
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    if (to[0] != from[0])
        std::printf("the copy went wrong\n");
    return Median(times);
}

bool PlayOnce(const fs::path& bot, int level, int seed, int updates, Run& run)
{
    const fs::path home = benchsupport::TempPath("home");
    fs::create_directories(home);
    const std::string command =
        "cd '" + bot.parent_path().string() + "' && HOME='" + home.string() + "' XDG_DATA_HOME='" +
        (home / "data").string() + "' XDG_CONFIG_HOME='" + (home / "config").string() +
        "' SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy './" + bot.filename().string() + "' --bench --levels " +
        std::to_string(level) + " --seed " + std::to_string(seed) +
        (updates > 0 ? " --stop-after " + std::to_string(updates) : std::string()) + " 2>/dev/null";
    std::FILE* out = popen(command.c_str(), "r");
    if (!out)
        return false;
    char line[512];
    bool found = false;
    while (std::fgets(line, sizeof line, out)) {
        int draws = 0;
        double seconds = 0;
        if (std::sscanf(line,
                        "bench: %d updates, %d draws in %lf s of play: %lf updates/s, %lf frames/s, median frame %lf "
                        "ms, 99th percentile %lf ms, slowest %lf ms",
                        &run.updates, &draws, &seconds, &run.updatesPerSecond, &run.framesPerSecond, &run.medianMs,
                        &run.p99Ms, &run.slowestMs) == 8)
            found = true;
        else if (std::sscanf(line, "bench cpu: drawn frames: %d, median %lf ms, 99th percentile %lf ms, slowest %lf ms",
                             &run.drawn, &run.cpuMedianMs, &run.cpuP99Ms, &run.cpuSlowestMs) == 4)
            continue;
        else if (std::sscanf(line, "bench cpu: updates alone: %d, median %lf ms", &run.alone, &run.aloneMedianMs) == 2)
            continue;
        else if (std::string(line).rfind("level ", 0) == 0)
            std::printf("  %s", line);
    }
    pclose(out);
    std::error_code ec;
    fs::remove_all(home, ec);
    return found;
}

} // namespace

int main(int argc, char** argv)
{
    const int level = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const int updates = argc > 3 ? std::max(0, std::atoi(argv[3])) : 3000;
    const fs::path self = fs::read_symlink("/proc/self/exe");
    const fs::path bot = self.parent_path().parent_path() / "bin" / "tamberlo-bot";
    if (!fs::exists(bot)) {
        std::printf("needs %s (build the tamberlo-bot and tamberlo_data targets)\n", bot.c_str());
        return 1;
    }
    std::vector<double> ups, fps, median, p99, slowest, cpuMedian, cpuP99, cpuSlowest, aloneMedian;
    for (int i = 0; i < runs; ++i) {
        Run run;
        if (!PlayOnce(bot, level, i + 1, updates, run)) {
            std::printf("run %d (seed %d): the bot reported no frames\n", i + 1, i + 1);
            return 1;
        }
        std::printf("run %d (seed %d): %d updates, %.0f updates/s, %.0f frames/s, frame median %.3f ms, 99th "
                    "percentile %.3f ms, slowest %.3f ms\n",
                    i + 1, i + 1, run.updates, run.updatesPerSecond, run.framesPerSecond, run.medianMs, run.p99Ms,
                    run.slowestMs);
        std::printf("  CPU time: %d drawn frames, median %.3f ms, 99th percentile %.3f ms, slowest %.3f ms; %d "
                    "updates alone, median %.3f ms\n",
                    run.drawn, run.cpuMedianMs, run.cpuP99Ms, run.cpuSlowestMs, run.alone, run.aloneMedianMs);
        cpuMedian.push_back(run.cpuMedianMs);
        cpuP99.push_back(run.cpuP99Ms);
        cpuSlowest.push_back(run.cpuSlowestMs);
        aloneMedian.push_back(run.aloneMedianMs);
        ups.push_back(run.updatesPerSecond);
        fps.push_back(run.framesPerSecond);
        median.push_back(run.medianMs);
        p99.push_back(run.p99Ms);
        slowest.push_back(run.slowestMs);
    }
    std::printf("level %d, medians of %d runs: %.0f updates/s, %.0f frames/s, frame median %.3f ms, 99th percentile "
                "%.3f ms, slowest %.3f ms (goal: a whole frame under 4 ms)\n",
                level, runs, Median(ups), Median(fps), Median(median), Median(p99), Median(slowest));
    std::printf("level %d, CPU time, medians of %d runs: drawn frame median %.3f ms, 99th percentile %.3f ms, "
                "slowest %.3f ms; an update alone %.3f ms (goal: a drawn frame under 4 ms on one core)\n",
                level, runs, Median(cpuMedian), Median(cpuP99), Median(cpuSlowest), Median(aloneMedian));
    std::printf("floor: one copy of a whole 1024 x 768 32-bit frame takes %.3f ms\n", FrameCopyMs(1024, 768));
    return 0;
}
