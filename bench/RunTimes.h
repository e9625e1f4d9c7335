// A console reporter that also keeps each benchmark's time per iteration and counters, so a
// benchmark program can print its comparison table after Google Benchmark's own.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
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
            // Of several repetitions the fastest is the one least disturbed by the rest of the machine.
            auto it = mTimes.find(run.benchmark_name());
            if (it == mTimes.end() || t.cpuSeconds < it->second.cpuSeconds)
                mTimes[run.benchmark_name()] = t;
        }
    }

    // The times of a benchmark by its full name ("BM_Gif", "CopySdl/16"); null when it did not run.
    const Times* Find(const std::string& name) const
    {
        auto it = mTimes.find(name);
        return it == mTimes.end() ? nullptr : &it->second;
    }
    const std::map<std::string, Times>& All() const { return mTimes; }

    // Prints how many times faster ours ran than theirs, in wall time.
    void PrintSpeedRatio(const char* what, const std::string& ours, const std::string& theirs) const
    {
        const Times* a = Find(ours);
        const Times* b = Find(theirs);
        if (a && b && a->realSeconds > 0)
            std::printf("%s: ours is %.2fx the speed of %s\n", what, b->realSeconds / a->realSeconds, theirs.c_str());
    }

private:
    std::map<std::string, Times> mTimes;
};

} // namespace benchsupport
