// The profiler's folding of begin/end events into per-name totals and its report, the millisecond
// timer, and the leak tracker's report.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "core/Profiler.h"
#include "platform/Paths.h"
#include "support/TempDir.h"

using namespace Olvarn;

namespace
{

const char* const kDraw = "Draw";
const char* const kUpdate = "Update";

struct EventCase {
    const char* mWhat;
    std::vector<Profiler::Event> mEvents;
    // Per name: calls, total ms, longest ms (a rate of 1,000,000 ticks per second).
    int mDrawCalls;
    double mDrawMs;
    double mDrawLongest;
    int mUpdateCalls;
};

class ProfilerTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        if (Profiler::IsRunning())
            Profiler::End();
        Profiler::SetTicksPerSecond(0);
    }
};

} // namespace

TEST_F(ProfilerTest, EventsFoldIntoPerNameTotals)
{
    const std::vector<EventCase> cases = {
        {"one scope 1000 ticks", {{kDraw, 5000, true}, {kDraw, 6000, false}}, 1, 1.0, 1.0, 0},
        {"nested scopes of one name count every call, measure only the outer span",
         {{kDraw, 0, true}, {kDraw, 100, true}, {kDraw, 400, false}, {kDraw, 1000, false}},
         2,
         1.0,
         1.0,
         0},
        {"two spans: total and longest",
         {{kDraw, 0, true}, {kDraw, 3000, false}, {kDraw, 4000, true}, {kDraw, 5000, false}},
         2,
         4.0,
         3.0,
         0},
        {"an end without a timer is ignored",
         {{kUpdate, 10, false}, {kDraw, 0, true}, {kDraw, 2000, false}},
         1,
         2.0,
         2.0,
         0},
        {"an end before any begin of an existing name does not break later spans",
         {{kDraw, 0, true}, {kDraw, 1000, false}, {kDraw, 1500, false}, {kDraw, 2000, true}, {kDraw, 4000, false}},
         2,
         3.0,
         2.0,
         0},
        {"names are kept apart",
         {{kDraw, 0, true}, {kUpdate, 100, true}, {kUpdate, 200, false}, {kDraw, 1000, false}},
         1,
         1.0,
         1.0,
         1},
    };
    for (const EventCase& c : cases) {
        SCOPED_TRACE(c.mWhat);
        Profiler::Begin(true);
        for (const Profiler::Event& e : c.mEvents)
            Profiler::ProcessEvent(e);
        Profiler::SetTicksPerSecond(1000000);
        Profiler::End();
        const auto& timers = Profiler::Timers();
        ASSERT_EQ(timers.count(kDraw), 1u);
        const Profiler::Timer& draw = timers.at(kDraw);
        EXPECT_EQ(draw.mCalls, c.mDrawCalls);
        EXPECT_DOUBLE_EQ(draw.mTotalMs, c.mDrawMs);
        EXPECT_DOUBLE_EQ(draw.mLongest, c.mDrawLongest);
        EXPECT_EQ(timers.count(kUpdate) ? timers.at(kUpdate).mCalls : 0, c.mUpdateCalls);
    }
}

TEST_F(ProfilerTest, ResultsTextHasTheTotalAndOneLinePerName)
{
    Profiler::Begin(true);
    Profiler::ProcessEvent({kDraw, 0, true});
    Profiler::ProcessEvent({kDraw, 1000, false});
    Profiler::SetTicksPerSecond(1000000);
    Profiler::End();
    const std::string text = Profiler::ResultsText();
    EXPECT_TRUE(std::regex_match(text, std::regex("Total Time: -?[0-9]+\\.[0-9]{2}\n"
                                                  "Draw \\(1 calls, %-?[0-9.e+inf]+ time\\): 1\\.00 \\(1\\.00 avg, "
                                                  "1\\.00 longest\\)\n")))
        << text;
}

TEST_F(ProfilerTest, StartAndStopWithNothingRecordedGiveOnlyTheTotal)
{
    // What F2 twice does: the total is the time between the two presses, and there are no timers.
    Profiler::Begin();
    EXPECT_TRUE(Profiler::IsRunning());
    Profiler::End();
    EXPECT_FALSE(Profiler::IsRunning());
    const std::string text = Profiler::ResultsText();
    EXPECT_TRUE(std::regex_match(text, std::regex("Total Time: [0-9]+\\.[0-9]{2}\n"))) << text;
    EXPECT_GE(Profiler::TotalTime(), 0.0);
}

TEST_F(ProfilerTest, ScopesRecordOnlyWhileRunningAndSurviveAFullBuffer)
{
    {
        ProfileScope stopped(kUpdate);
    }
    Profiler::Begin();
    const int scopes = static_cast<int>(Profiler::kEventBufferSize); // twice the buffer in events
    for (int i = 0; i < scopes; ++i) {
        ProfileScope outer(kDraw);
        ProfileScope inner(kDraw);
    }
    Profiler::End();
    const auto& timers = Profiler::Timers();
    EXPECT_EQ(timers.count(kUpdate), 0u) << "nothing is recorded while the profiler is stopped";
    ASSERT_EQ(timers.count(kDraw), 1u);
    EXPECT_EQ(timers.at(kDraw).mCalls, 2 * scopes);
    EXPECT_EQ(timers.at(kDraw).mDepth, 0);
    EXPECT_GE(timers.at(kDraw).mTotalMs, 0.0);
    // Folding 8,192 events takes longer than the gaps between the scopes, so the total drops below
    // the scopes it holds if any folding outside the measured span is taken off it.
    EXPECT_LE(timers.at(kDraw).mTotalMs, Profiler::TotalTime())
        << "the folding of a full buffer is not counted as scope time, nor taken off the total twice";
}

TEST(PerfTimer, MeasuresMillisecondsOnTheMonotonicClock)
{
    PerfTimer timer;
    timer.Start();
    EXPECT_TRUE(timer.IsRunning());
    const int64_t until = PerfTimer::QueryCounter() + PerfTimer::QueryFrequency() / 200; // 5 ms
    while (PerfTimer::QueryCounter() < until) {
    }
    timer.Stop();
    EXPECT_FALSE(timer.IsRunning());
    const double stopped = timer.GetDuration();
    EXPECT_GE(stopped, 5.0);
    EXPECT_EQ(timer.GetDuration(), stopped) << "a stopped timer keeps its duration";
    EXPECT_GT(PerfTimer::GetCPUSpeed(), 0);
}

TEST(MemoryTracker, ReportListsLeaksInAddressOrderWithTheirTotal)
{
    MemoryTracker tracker;
    char block[8];
    tracker.Add(block + 4, 1, "b.cpp", 20);
    tracker.Add(block, 300, "a.cpp", 10);
    tracker.Add(block + 2, 7, "c.cpp", 30);
    tracker.Remove(block + 2);
    EXPECT_EQ(tracker.ReportText("Mon Jan  1 00:00:00 2024\n"), "Memory Leak Report for Mon Jan  1 00:00:00 2024\n\n"
                                                                "a.cpp(10) : Leak 300 bytes\n"
                                                                "b.cpp(20) : Leak 1 byte\n"
                                                                "-----------------------------------------------------"
                                                                "------\n"
                                                                "Total Unfreed: 301 bytes\n\n");

    testsupport::TempDir dir;
    ASSERT_TRUE(tracker.Report(dir.File("mem_leaks.txt")));
    const std::string written = dir.ReadFile("mem_leaks.txt");
    EXPECT_NE(written.find("a.cpp(10) : Leak 300 bytes\r\n"), std::string::npos) << written;
    EXPECT_EQ(written.find("\n\n"), std::string::npos) << "every line ends in CR LF";

    // A report that cannot be written is a logged failure, nothing worse.
    dir.WriteFile("file", "x");
    EXPECT_FALSE(tracker.Report(dir.File("file") + "/mem_leaks.txt"));
}

TEST(MemoryTracker, SwitchedOnItWritesTheReportWhenItGoesIntoTheProgramsOwnFolder)
{
    const std::string oldHome = std::getenv("XDG_DATA_HOME");
    const std::string oldProduct = Olvarn::Paths::ProductFolderName();
    // The folder is the running program's, never one the framework names.
    const std::pair<const char*, const char*> cases[] = {
        {"Tamberlo", "Tamberlo"},
        {"Other Program", "Other Program"},
        {"../escape", "OlvarnApp"},
        {"", "OlvarnApp"},
    };
    for (const auto& [product, folder] : cases) {
        SCOPED_TRACE(product);
        testsupport::TempDir home;
        setenv("XDG_DATA_HOME", home.Path().c_str(), 1);
        Olvarn::Paths::SetProductFolderName(product);
        int leaked = 0;
        {
            MemoryTracker quiet;
            quiet.Add(&leaked, 4, "quiet.cpp", 1);
        }
        EXPECT_FALSE(std::filesystem::exists(home.File(std::string(folder) + "/mem_leaks.txt")))
            << "off unless switched on";
        {
            MemoryTracker tracker;
            tracker.Add(&leaked, 12, "game.cpp", 77);
            tracker.SetReportAtExit(true);
        }
        const std::string written = home.ReadFile(std::string(folder) + "/mem_leaks.txt");
        EXPECT_NE(written.find("game.cpp(77) : Leak 12 bytes\r\n"), std::string::npos) << written;
        EXPECT_NE(written.find("Total Unfreed: 12 bytes\r\n"), std::string::npos) << written;
        size_t entries = 0;
        for ([[maybe_unused]] auto& entry : std::filesystem::directory_iterator(home.Path()))
            ++entries;
        EXPECT_EQ(entries, 1u);
    }
    setenv("XDG_DATA_HOME", oldHome.c_str(), 1);
    Olvarn::Paths::SetProductFolderName(oldProduct);
}
