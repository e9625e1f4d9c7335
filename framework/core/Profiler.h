// Measuring aids for the people who build on the framework: a millisecond timer, a profiler that
// folds named begin/end events into per-name totals, and a table of live allocations that can write
// a leak report at exit.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/CriticalSection.h"

namespace Olvarn
{

// Milliseconds between Start and Stop on the monotonic clock.
class PerfTimer
{
public:
    void Start();
    void Stop();
    void CalcDuration();
    // The running time so far while running, else the time from Start to Stop.
    double GetDuration();
    bool IsRunning() const { return mRunning; }

    // Time-stamp-counter ticks per second, measured over 10 ms at raised priority; 0 when the
    // machine has no usable counter.
    static int64_t GetCPUSpeed();
    // The counter the profiler stamps events with: the processor's time-stamp counter where there
    // is one, else the monotonic clock in nanoseconds.
    static int64_t ReadTimeStamp();
    // The monotonic clock in its own ticks, and the number of those ticks per second.
    static int64_t QueryCounter();
    static int64_t QueryFrequency();

private:
    int64_t mStartCount = 0;
    double mDuration = 0;
    bool mRunning = false;
};

// Folds begin and end events of named scopes into per-name totals. Names are compared by pointer,
// so every scope names itself with a text of static lifetime. Main thread only.
class Profiler
{
public:
    struct Event {
        const char* mName = nullptr;
        int64_t mStamp = 0;
        bool mBegin = false;
    };
    struct Timer {
        int64_t mStartStamp = 0;
        int64_t mTotalTicks = 0;
        double mTotalMs = 0;
        // Ticks while running, milliseconds after End.
        double mLongest = 0;
        int mDepth = 0;
        int mCalls = 0;
    };

    // Empties the timers and events; runs unless keepStopped is set.
    static void Begin(bool keepStopped = false);
    static void End();
    static void Flush();
    static void ProcessEvent(const Event& event);
    static bool IsRunning();
    static std::string ResultsText();

    // Producers: nothing is recorded while the profiler is stopped. The buffer is folded in when it
    // is full, and the folding time is left out of the total.
    static void AddEvent(const char* name, bool begin);

    // What End computed, for callers that want figures rather than text.
    static double TotalTime();
    static const std::map<const char*, Timer>& Timers();
    // Tests fix the rate instead of measuring it; 0 measures again at the next End.
    static void SetTicksPerSecond(int64_t ticks);
    // Tests hand in events with their own stamps; Begin's stamp is set likewise.
    static void SetStartStamp(int64_t stamp);

    static constexpr size_t kEventBufferSize = 8192;
};

// Appends a begin event now and the end event when the scope is left.
class ProfileScope
{
public:
    explicit ProfileScope(const char* name) : mName(name) { Profiler::AddEvent(mName, true); }
    ~ProfileScope() { Profiler::AddEvent(mName, false); }
    ProfileScope(const ProfileScope&) = delete;
    ProfileScope& operator=(const ProfileScope&) = delete;

private:
    const char* mName;
};

// The live allocations that callers registered, by address, and the leak report of what is left.
class MemoryTracker
{
public:
    struct Record {
        int mSize = 0;
        std::string mFile;
        int mLine = 0;
    };

    MemoryTracker();
    ~MemoryTracker();
    MemoryTracker(const MemoryTracker&) = delete;
    MemoryTracker& operator=(const MemoryTracker&) = delete;

    // The process-wide tracker.
    static MemoryTracker& Instance();

    void Add(const void* address, int size, const char* file, int line);
    void Remove(const void* address);
    size_t Count();

    // Writes the report to the path (the user data folder's "mem_leaks.txt" when empty) and to the
    // log. False when the tracker is gone or the file could not be written.
    bool Report(const std::string& path = std::string());
    // The report's text with the given time line, without writing it anywhere.
    std::string ReportText(const std::string& timeText);

    // Whether the destructor reports; off unless a caller switches it on.
    void SetReportAtExit(bool on) { mReportAtExit = on; }
    static std::string DefaultReportPath();

private:
    std::map<const void*, Record> mRecords;
    CriticalSection mLock;
    bool mAlive = false;
    bool mReportAtExit = false;
};

} // namespace Olvarn
