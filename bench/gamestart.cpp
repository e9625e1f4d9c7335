// Start of the real program as a new player meets it: from the start of the process to the first
// frame on its main window (the loading screen), headless on SDL's dummy driver and, where DISPLAY
// names an X server, on that server; every run a fresh process with a fresh profile. Then the program
// left alone on the first screen a new player meets once loading is done (the animated main menu with
// its new-player box): CPU, wake-ups (context switches of all its threads), threads
// and resident memory over a stretch, read from /proc. The first present is noted by a probe
// preloaded into the program (libtamberlo_present_probe.so beside this benchmark), so the program is
// the one players run, unchanged.
//
// usage: bench_gamestart [runs (9)] [idle seconds (30; 0: none)] [settle seconds before idling (10)]
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "RunTimes.h"

namespace fs = std::filesystem;

namespace
{

int64_t NowNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[(v.size() - 1) / 2];
}

struct Mode {
    const char* name;
    bool headless;
};

// One run of the program: started with a fresh profile, ended by the caller through Stop.
class GameRun
{
public:
    GameRun(const fs::path& game, const fs::path& probe, const Mode& mode)
        : mProfile(benchsupport::TempPath("profile")), mProbeFile(benchsupport::TempPath("present"))
    {
        fs::create_directories(mProfile);
        mStartNs = NowNs();
        mPid = fork();
        if (mPid != 0)
            return;
        setenv("HOME", mProfile.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (mProfile / "config").c_str(), 1);
        setenv("XDG_DATA_HOME", (mProfile / "data").c_str(), 1);
        setenv("LD_PRELOAD", probe.c_str(), 1);
        setenv("TAMBERLO_PRESENT_PROBE", mProbeFile.c_str(), 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        if (mode.headless) {
            setenv("SDL_VIDEODRIVER", "dummy", 1);
            unsetenv("DISPLAY");
        } else {
            unsetenv("SDL_VIDEODRIVER");
        }
        if (chdir(game.parent_path().c_str()) != 0)
            _exit(127);
        if (std::FILE* quiet = std::fopen("/dev/null", "w")) {
            dup2(fileno(quiet), 1);
            dup2(fileno(quiet), 2);
        }
        execl(game.c_str(), game.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    ~GameRun()
    {
        Stop();
        std::error_code ignored;
        fs::remove_all(mProfile, ignored);
        fs::remove(mProbeFile, ignored);
    }

    // Milliseconds from the start to the first present; -1 when none came within the limit.
    double WaitForFirstPresent(double limitMs)
    {
        while (double(NowNs() - mStartNs) / 1e6 < limitMs) {
            std::ifstream file(mProbeFile);
            long long ns = 0;
            if (file >> ns)
                return double(ns - mStartNs) / 1e6;
            if (waitpid(mPid, nullptr, WNOHANG) == mPid) {
                mPid = -1;
                return -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return -1;
    }

    pid_t Pid() const { return mPid; }

    void Stop()
    {
        if (mPid <= 0)
            return;
        kill(mPid, SIGTERM);
        for (int i = 0; i < 300 && waitpid(mPid, nullptr, WNOHANG) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (kill(mPid, 0) == 0) {
            kill(mPid, SIGKILL);
            waitpid(mPid, nullptr, 0);
        }
        mPid = -1;
    }

private:
    fs::path mProfile;
    fs::path mProbeFile;
    int64_t mStartNs = 0;
    pid_t mPid = -1;
};

// What /proc tells of a process at one moment.
struct Sample {
    double cpuSeconds = 0; // user and system, all threads
    long long switches = 0;
    int threads = 0;
    long rssKb = 0;
};

Sample Read(pid_t pid)
{
    Sample s;
    const fs::path proc = fs::path("/proc") / std::to_string(pid);
    std::ifstream stat(proc / "stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // The fields after the command (which may hold spaces) start at the last ')'.
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::vector<std::string> f{std::istream_iterator<std::string>(fields), std::istream_iterator<std::string>()};
    if (f.size() > 13)
        s.cpuSeconds = double(std::stoll(f[11]) + std::stoll(f[12])) / double(sysconf(_SC_CLK_TCK));
    std::error_code error;
    for (const auto& task : fs::directory_iterator(proc / "task", error)) {
        ++s.threads;
        std::ifstream status(task.path() / "status");
        std::string line;
        while (std::getline(status, line))
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0 || line.rfind("nonvoluntary_ctxt_switches:", 0) == 0)
                s.switches += std::atoll(line.c_str() + line.find(':') + 1);
    }
    std::ifstream status(proc / "status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            s.rssKb = std::atol(line.c_str() + 6);
    return s;
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    const int idleSeconds = argc > 2 ? std::max(0, std::atoi(argv[2])) : 30;
    const int settleSeconds = argc > 3 ? std::max(0, std::atoi(argv[3])) : 10;
    const fs::path self = fs::read_symlink("/proc/self/exe");
    const fs::path game = self.parent_path().parent_path() / "bin" / "tamberlo";
    const fs::path probe = self.parent_path() / "libtamberlo_present_probe.so";
    if (!fs::exists(game) || !fs::exists(probe)) {
        std::printf("needs %s and %s (build the tamberlo and tamberlo_present_probe targets)\n", game.c_str(),
                    probe.c_str());
        return 1;
    }
    std::vector<Mode> modes = {{"headless (SDL dummy video)", true}};
    const char* display = std::getenv("DISPLAY");
    if (display && *display)
        modes.push_back({"X server", false});
    for (const Mode& mode : modes) {
        std::vector<double> first;
        for (int i = 0; i < runs; ++i) {
            GameRun run(game, probe, mode);
            const double ms = run.WaitForFirstPresent(30000);
            if (ms < 0) {
                std::printf("%s: run %d showed no frame\n", mode.name, i + 1);
                return 1;
            }
            first.push_back(ms);
        }
        std::sort(first.begin(), first.end());
        std::printf("%s: first frame on the main window, ms from the process start: median %.1f of %d runs "
                    "(fastest %.1f, slowest %.1f; goal under 150)\n",
                    mode.name, Median(first), runs, first.front(), first.back());
        if (idleSeconds == 0)
            continue;
        GameRun run(game, probe, mode);
        if (run.WaitForFirstPresent(30000) < 0) {
            std::printf("%s: the idle run showed no frame\n", mode.name);
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::seconds(settleSeconds));
        const Sample before = Read(run.Pid());
        std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
        const Sample after = Read(run.Pid());
        std::printf("%s: left alone on the main menu for %d s (after %d s): CPU %.2f%% of a core, "
                    "%.0f wake-ups/s, %d threads, %.1f MB resident\n",
                    mode.name, idleSeconds, settleSeconds, 100 * (after.cpuSeconds - before.cpuSeconds) / idleSeconds,
                    double(after.switches - before.switches) / idleSeconds, after.threads, after.rssKb / 1024.0);
    }
    return 0;
}
