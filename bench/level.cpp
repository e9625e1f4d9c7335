// A level played at full speed headless: the bot (bin/tamberlo-bot --bench) plays it with every update
// drawn in software at 1024 x 768 on SDL's dummy driver, and notes the wall time from one update to the
// next while the level is in play: one whole frame, the update, the draw and the present. Each run is
// a fresh process with a fresh profile, and different seeds give different games; the table gives
// each run and the medians over the runs.
//
// usage: bench_level [level (1)] [runs (5)]
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
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
};

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[(v.size() - 1) / 2];
}

bool PlayOnce(const fs::path& bot, int level, int seed, Run& run)
{
    const fs::path home = benchsupport::TempPath("home");
    fs::create_directories(home);
    const std::string command = "cd '" + bot.parent_path().string() + "' && HOME='" + home.string() +
                                "' XDG_DATA_HOME='" + (home / "data").string() + "' XDG_CONFIG_HOME='" +
                                (home / "config").string() + "' SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy './" +
                                bot.filename().string() + "' --bench --levels " + std::to_string(level) + " --seed " +
                                std::to_string(seed) + " 2>/dev/null";
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
    const fs::path self = fs::read_symlink("/proc/self/exe");
    const fs::path bot = self.parent_path().parent_path() / "bin" / "tamberlo-bot";
    if (!fs::exists(bot)) {
        std::printf("needs %s (build the tamberlo-bot and tamberlo_data targets)\n", bot.c_str());
        return 1;
    }
    std::vector<double> ups, fps, median, p99, slowest;
    for (int i = 0; i < runs; ++i) {
        Run run;
        if (!PlayOnce(bot, level, i + 1, run)) {
            std::printf("run %d (seed %d): the bot reported no frames\n", i + 1, i + 1);
            return 1;
        }
        std::printf("run %d (seed %d): %d updates, %.0f updates/s, %.0f frames/s, frame median %.3f ms, 99th "
                    "percentile %.3f ms, slowest %.3f ms\n",
                    i + 1, i + 1, run.updates, run.updatesPerSecond, run.framesPerSecond, run.medianMs, run.p99Ms,
                    run.slowestMs);
        ups.push_back(run.updatesPerSecond);
        fps.push_back(run.framesPerSecond);
        median.push_back(run.medianMs);
        p99.push_back(run.p99Ms);
        slowest.push_back(run.slowestMs);
    }
    std::printf("level %d, medians of %d runs: %.0f updates/s, %.0f frames/s, frame median %.3f ms, 99th percentile "
                "%.3f ms, slowest %.3f ms (goal: a whole frame under 4 ms)\n",
                level, runs, Median(ups), Median(fps), Median(median), Median(p99), Median(slowest));
    return 0;
}
