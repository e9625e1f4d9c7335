// A console reporter that also keeps each benchmark's time per iteration and counters, so a
// benchmark program can print its comparison table after Google Benchmark's own. Of several
// repetitions it keeps the median: the best one would favour whichever side was luckiest on a machine
// shared with other work.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace benchsupport
{

class RunTimes : public benchmark::ConsoleReporter
{
public:
    struct Times {
        double realSeconds = 0; // wall time per iteration
        double cpuSeconds = 0;  // CPU time per iteration
        std::map<std::string, double> counters;
    };

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations <= 0)
                continue;
            Times t;
            t.realSeconds = run.real_accumulated_time / double(run.iterations);
            t.cpuSeconds = run.cpu_accumulated_time / double(run.iterations);
            for (const auto& [name, counter] : run.counters)
                t.counters[name] = counter.value;
            std::vector<Times>& samples = mSamples[run.benchmark_name()];
            samples.push_back(t);
            mTimes[run.benchmark_name()] = Median(samples);
        }
    }

    // The times of a benchmark by its full name ("BM_Gif", "CopySdl/16"); null when it did not run.
    const Times* Find(const std::string& name) const
    {
        auto it = mTimes.find(name);
        return it == mTimes.end() ? nullptr : &it->second;
    }
    const std::map<std::string, Times>& All() const { return mTimes; }

    // Prints how many times faster ours ran than theirs, in CPU time: both sides are single-threaded
    // work, and CPU time leaves out the waits a machine shared with other work adds to the wall clock.
    void PrintSpeedRatio(const char* what, const std::string& ours, const std::string& theirs) const
    {
        const Times* a = Find(ours);
        const Times* b = Find(theirs);
        if (a && b && a->cpuSeconds > 0)
            std::printf("%s: ours is %.2fx the speed of %s (CPU time)\n", what, b->cpuSeconds / a->cpuSeconds,
                        theirs.c_str());
    }

private:
    // Each figure's median on its own (an even count takes the lower middle).
    static Times Median(const std::vector<Times>& samples)
    {
        auto middle = [&](auto get) {
            std::vector<double> v;
            for (const Times& t : samples)
                v.push_back(get(t));
            std::sort(v.begin(), v.end());
            return v[(v.size() - 1) / 2];
        };
        Times m;
        m.realSeconds = middle([](const Times& t) { return t.realSeconds; });
        m.cpuSeconds = middle([](const Times& t) { return t.cpuSeconds; });
        for (const auto& [name, value] : samples.front().counters)
            m.counters[name] = middle([&](const Times& t) {
                auto it = t.counters.find(name);
                return it == t.counters.end() ? value : it->second;
            });
        return m;
    }

    std::map<std::string, std::vector<Times>> mSamples;
    std::map<std::string, Times> mTimes;
};

// Starts Google Benchmark with five repetitions unless the command line asks for another count, so
// every table is made of medians.
inline void Initialize(int* argc, char*** argv)
{
    static std::vector<char*> args;
    static char repetitions[] = "--benchmark_repetitions=5";
    args.assign(*argv, *argv + *argc);
    bool given = false;
    for (int i = 1; i < *argc; ++i)
        given = given || std::strncmp((*argv)[i], "--benchmark_repetitions", 23) == 0;
    if (!given)
        args.insert(args.begin() + 1, repetitions);
    args.push_back(nullptr);
    *argc = int(args.size()) - 1;
    *argv = args.data();
    benchmark::Initialize(argc, *argv);
}

// A temporary file name of this run only: two runs at once (several build trees, several helpers)
// never share or delete each other's files.
inline std::string TempPath(const std::string& name)
{
    static const std::string stamp = std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + "-" +
                                     std::to_string(std::random_device()());
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/tamberlo-bench-" + stamp + "-" + name;
}

} // namespace benchsupport
