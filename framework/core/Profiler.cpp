#include "core/Profiler.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#define OLVARN_HAVE_TSC 1
#endif

#include "core/StringUtils.h"
#include "platform/Log.h"
#include "platform/Paths.h"

namespace Olvarn
{

// ---- PerfTimer ---------------------------------------------------------------------------------

int64_t PerfTimer::QueryCounter()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int64_t PerfTimer::QueryFrequency()
{
    return 1000000000;
}

int64_t PerfTimer::ReadTimeStamp()
{
#ifdef OLVARN_HAVE_TSC
    return static_cast<int64_t>(__rdtsc());
#else
    return QueryCounter();
#endif
}

void PerfTimer::Start()
{
    mRunning = true;
    mStartCount = QueryCounter();
}

void PerfTimer::Stop()
{
    if (!mRunning)
        return;
    CalcDuration();
    mRunning = false;
}

void PerfTimer::CalcDuration()
{
    mDuration = double(QueryCounter() - mStartCount) * 1000.0 / double(QueryFrequency());
}

double PerfTimer::GetDuration()
{
    if (mRunning)
        CalcDuration();
    return mDuration;
}

int64_t PerfTimer::GetCPUSpeed()
{
    // The rate is taken over a busy wait of 10 ms. Raising the thread's priority for it needs
    // privileges an ordinary user lacks here, so the wait simply runs at the caller's priority.
    const int64_t frequency = QueryFrequency();
    if (frequency <= 0)
        return 0;
    const int64_t target = QueryCounter() + frequency / 100;
    const int64_t first = ReadTimeStamp();
    while (QueryCounter() < target) {
    }
    const int64_t second = ReadTimeStamp();
    return (second - first) * 100;
}

// ---- Profiler ----------------------------------------------------------------------------------

namespace
{

struct ProfilerState {
    bool mRunning = false;
    int64_t mStartStamp = 0;
    int64_t mOverhead = 0;
    int64_t mTicksPerSecond = 0;
    double mTotalTime = 0;
    std::vector<Profiler::Event> mEvents;
    std::map<const char*, Profiler::Timer> mTimers;
};

ProfilerState& State()
{
    static ProfilerState state;
    return state;
}

} // namespace

void Profiler::Begin(bool keepStopped)
{
    ProfilerState& s = State();
    s.mTimers.clear();
    s.mEvents.clear();
    s.mEvents.reserve(kEventBufferSize);
    s.mOverhead = 0;
    s.mTotalTime = 0;
    s.mRunning = !keepStopped;
    s.mStartStamp = PerfTimer::ReadTimeStamp();
}

void Profiler::End()
{
    ProfilerState& s = State();
    // The last folding is timed like every other and left out of the total, so the end is stamped
    // after it: stamped before, the total lost time it never contained and could come out shorter
    // than the scopes it holds.
    Flush();
    const int64_t endStamp = PerfTimer::ReadTimeStamp();
    s.mRunning = false;
    if (s.mTicksPerSecond <= 0) {
        s.mTicksPerSecond = PerfTimer::GetCPUSpeed();
        if (s.mTicksPerSecond <= 0)
            s.mTicksPerSecond = 1;
    }
    const double perSecond = double(s.mTicksPerSecond);
    s.mTotalTime = double(endStamp - s.mOverhead - s.mStartStamp) * 1000.0 / perSecond;
    for (auto& entry : s.mTimers) {
        Timer& timer = entry.second;
        timer.mTotalMs = double(timer.mTotalTicks) * 1000.0 / perSecond;
        timer.mLongest = timer.mLongest * 1000.0 / perSecond;
    }
}

void Profiler::Flush()
{
    ProfilerState& s = State();
    const int64_t start = PerfTimer::ReadTimeStamp();
    for (const Event& event : s.mEvents)
        ProcessEvent(event);
    s.mEvents.clear();
    s.mOverhead += PerfTimer::ReadTimeStamp() - start;
}

void Profiler::ProcessEvent(const Event& event)
{
    auto& timers = State().mTimers;
    if (event.mBegin) {
        Timer& timer = timers[event.mName];
        ++timer.mCalls;
        if (timer.mDepth++ == 0)
            timer.mStartStamp = event.mStamp;
        return;
    }
    auto it = timers.find(event.mName);
    if (it == timers.end())
        return;
    Timer& timer = it->second;
    // Only the outermost of nested scopes of one name is measured. An end without its begin
    // (the profiler started inside the scope) leaves the depth alone instead of going negative.
    if (timer.mDepth <= 0)
        return;
    if (--timer.mDepth == 0) {
        const int64_t elapsed = event.mStamp - timer.mStartStamp;
        timer.mTotalTicks += elapsed;
        if (double(elapsed) > timer.mLongest)
            timer.mLongest = double(elapsed);
    }
}

bool Profiler::IsRunning()
{
    return State().mRunning;
}

void Profiler::AddEvent(const char* name, bool begin)
{
    ProfilerState& s = State();
    if (!s.mRunning)
        return;
    if (s.mEvents.size() >= kEventBufferSize)
        Flush();
    s.mEvents.push_back(Event{name, PerfTimer::ReadTimeStamp(), begin});
}

std::string Profiler::ResultsText()
{
    const ProfilerState& s = State();
    std::string text = FormatString("Total Time: %.2f\n", s.mTotalTime);
    for (const auto& entry : s.mTimers) {
        const Timer& timer = entry.second;
        const double share = s.mTotalTime != 0 ? timer.mTotalMs / s.mTotalTime * 100.0 : 0.0;
        const double average = timer.mCalls != 0 ? timer.mTotalMs / timer.mCalls : 0.0;
        text += FormatString("%s (%d calls, %%%.2f time): %.2f (%.2f avg, %.2f longest)\n", entry.first, timer.mCalls,
                             share, timer.mTotalMs, average, timer.mLongest);
    }
    return text;
}

double Profiler::TotalTime()
{
    return State().mTotalTime;
}

const std::map<const char*, Profiler::Timer>& Profiler::Timers()
{
    return State().mTimers;
}

void Profiler::SetTicksPerSecond(int64_t ticks)
{
    State().mTicksPerSecond = ticks;
}

void Profiler::SetStartStamp(int64_t stamp)
{
    State().mStartStamp = stamp;
}

// ---- MemoryTracker -----------------------------------------------------------------------------

MemoryTracker::MemoryTracker()
{
    mAlive = true;
}

MemoryTracker::~MemoryTracker()
{
    if (mReportAtExit)
        Report();
    mAlive = false;
}

MemoryTracker& MemoryTracker::Instance()
{
    static MemoryTracker tracker;
    return tracker;
}

void MemoryTracker::Add(const void* address, int size, const char* file, int line)
{
    CriticalSectionLock lock(mLock);
    Record& record = mRecords[address];
    record.mSize = size;
    record.mFile = file ? file : "";
    record.mLine = line;
}

void MemoryTracker::Remove(const void* address)
{
    CriticalSectionLock lock(mLock);
    mRecords.erase(address);
}

size_t MemoryTracker::Count()
{
    CriticalSectionLock lock(mLock);
    return mRecords.size();
}

std::string MemoryTracker::DefaultReportPath()
{
    return Paths::ProductDataFolder() + "/mem_leaks.txt";
}

std::string MemoryTracker::ReportText(const std::string& timeText)
{
    CriticalSectionLock lock(mLock);
    std::string text = FormatString("Memory Leak Report for %s\n", timeText.c_str());
    long long total = 0;
    for (const auto& entry : mRecords) {
        const Record& record = entry.second;
        text += FormatString("%s(%d) : Leak %d byte%s\n", record.mFile.c_str(), record.mLine, record.mSize,
                             record.mSize > 1 ? "s" : "");
        total += record.mSize;
    }
    text += "-----------------------------------------------------------\n";
    text += FormatString("Total Unfreed: %lld bytes\n\n", total);
    return text;
}

bool MemoryTracker::Report(const std::string& path)
{
    if (!mAlive)
        return false;
    CriticalSectionLock lock(mLock);
    const std::string target = path.empty() ? DefaultReportPath() : path;
    if (path.empty())
        Paths::MakeFolders(Paths::ProductDataFolder());
    std::time_t now = std::time(nullptr);
    std::string timeText = "?\n";
    if (const std::tm* local = std::localtime(&now))
        timeText = std::asctime(local);
    const std::string text = ReportText(timeText);
    LogWrite(LogLevel::Info, "%s", text.c_str());
    // Framework reports are written with carriage returns, as every text file of the program is.
    std::string crlf;
    crlf.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n')
            crlf += '\r';
        crlf += c;
    }
    std::FILE* file = std::fopen(target.c_str(), "wb");
    if (!file) {
        LogWrite(LogLevel::Warning, "Could not write the leak report %s", target.c_str());
        return false;
    }
    bool ok = std::fwrite(crlf.data(), 1, crlf.size(), file) == crlf.size();
    ok = std::fclose(file) == 0 && ok;
    if (!ok)
        LogWrite(LogLevel::Warning, "Could not write the leak report %s", target.c_str());
    return ok;
}

} // namespace Olvarn
