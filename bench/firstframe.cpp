// Start-up to the first presented frame of an application whose first screen draws (one widget that
// fills the window), headless on SDL's dummy video driver. Each measurement is a fresh run of this
// program (a fresh process: SDL, the window and the display start from nothing); the table gives the
// median of the runs. In a run, the times are taken from the start of main: the application's
// start-up (window and display), and the first present.
#include "RunTimes.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "app/OlvarnAppBase.h"
#include "graphics/Graphics.h"
#include "widgets/Widget.h"
#include "widgets/WidgetManager.h"

using namespace Olvarn;

namespace
{

using Steady = std::chrono::steady_clock;
const Steady::time_point kStart = Steady::now();

double MsSinceStart()
{
    return std::chrono::duration<double, std::milli>(Steady::now() - kStart).count();
}

// The first screen: one widget over the whole window.
class FillWidget : public Widget
{
public:
    void Draw(Graphics& g) override
    {
        g.SetColor(Color(40, 90, 160));
        g.FillRect(0, 0, mWidth, mHeight);
        g.SetColor(Color(250, 200, 40, 160));
        g.FillRect(mWidth / 4, mHeight / 4, mWidth / 2, mHeight / 2);
    }
};

class FirstFrameApp : public OlvarnAppBase
{
public:
    FirstFrameApp()
    {
        mProductName = "TamberloFirstFrame";
        mTitle = "first frame";
        mWidth = 1024;
        mHeight = 768;
        mOnlyAllowOneCopyToRun = false;
    }
    void OnInitDone() override
    {
        mInitDoneMs = MsSinceStart();
        mWidget.Resize(0, 0, mWidth, mHeight);
        mWidgetManager->AddWidget(&mWidget);
    }
    void RepaintWindow(const Rect* rect) override
    {
        OlvarnAppBase::RepaintWindow(rect);
        if (mFirstFrameMs < 0 && !mDisplayLost) {
            mFirstFrameMs = MsSinceStart();
            mFirstFrameCpuMs = 1000.0 * double(std::clock()) / CLOCKS_PER_SEC;
            if (mIdleMs <= 0) {
                ShutDownApp();
                return;
            }
            // Idle: nothing changes on screen; the application is ended from another thread.
            mIdleTimer = std::thread([this] {
                std::this_thread::sleep_for(std::chrono::milliseconds(mIdleMs));
                mIdleCpuMs = 1000.0 * double(std::clock()) / CLOCKS_PER_SEC - mFirstFrameCpuMs;
                mIdleWallMs = MsSinceStart() - mFirstFrameMs;
                ShutDownApp();
            });
        }
    }
    void SaveSettings() override {}

    FillWidget mWidget;
    int mIdleMs = 0;
    std::thread mIdleTimer;
    double mIdleCpuMs = 0;
    double mIdleWallMs = 0;
    double mInitDoneMs = -1;
    double mFirstFrameMs = -1;
    double mFirstFrameCpuMs = -1; // of the whole process, all threads
};

int RunChild(const char* out, int idleMs)
{
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    double constructed, firstFrame, initDone, firstFrameCpu, idleCpu = 0, idleWall = 0;
    {
        FirstFrameApp app;
        app.mIdleMs = idleMs;
        constructed = MsSinceStart();
        app.InitApp();
        app.RunApp();
        app.mWidgetManager->RemoveWidget(&app.mWidget);
        firstFrame = app.mFirstFrameMs;
        initDone = app.mInitDoneMs;
        firstFrameCpu = app.mFirstFrameCpuMs;
        if (app.mIdleTimer.joinable())
            app.mIdleTimer.join();
        idleCpu = app.mIdleCpuMs;
        idleWall = app.mIdleWallMs;
    }
    std::ofstream file(out);
    file << constructed << " " << initDone << " " << firstFrame << " " << MsSinceStart() << " " << firstFrameCpu << " "
         << idleCpu << " " << idleWall << "\n";
    return firstFrame >= 0 ? 0 : 1;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[(v.size() - 1) / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--child") == 0)
        return RunChild(argv[2], std::atoi(argv[3]));
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    const int idleRuns = 3, idleMs = 3000;
    const std::string out = benchsupport::TempPath("firstframe.txt");
    std::vector<double> constructed, init, first, exit, wall, cpu, idle;
    for (int i = 0; i < runs + idleRuns; ++i) {
        const bool idleRun = i >= runs;
        std::remove(out.c_str());
        const std::string command = "'" + std::string(argv[0]) + "' --child '" + out + "' " +
                                    std::to_string(idleRun ? idleMs : 0) + " >/dev/null 2>&1";
        auto before = Steady::now();
        int status = std::system(command.c_str());
        double ms = std::chrono::duration<double, std::milli>(Steady::now() - before).count();
        std::ifstream file(out);
        double c = -1, n = -1, f = -1, e = -1, u = -1, ic = 0, iw = 0;
        if (status != 0 || !(file >> c >> n >> f >> e >> u >> ic >> iw)) {
            std::printf("run %d: the application showed no frame\n", i + 1);
            std::remove(out.c_str());
            return 1;
        }
        if (idleRun) {
            idle.push_back(iw > 0 ? 100 * ic / iw : 0);
            continue;
        }
        constructed.push_back(c);
        init.push_back(n);
        first.push_back(f);
        exit.push_back(e);
        wall.push_back(ms);
        cpu.push_back(u);
    }
    std::remove(out.c_str());
    std::printf("First frame of a drawing screen, headless (SDL dummy driver), median of %d runs, ms from main:\n",
                runs);
    std::printf("  application constructed    %8.1f\n", Median(constructed));
    std::printf("  start-up done (window, display)  %8.1f\n", Median(init));
    std::printf("  first frame presented      %8.1f   (goal: under 50)\n", Median(first));
    std::printf("  CPU time of all threads at the first frame %8.1f\n", Median(cpu));
    std::printf("  shut down                  %8.1f\n", Median(exit));
    std::printf("  whole run, process start to exit (wall) %8.1f\n", Median(wall));
    std::printf("Idle with the screen unchanged, all threads, median of %d runs of %d ms:\n", idleRuns, idleMs);
    std::printf("  CPU time, %% of one core     %8.2f   (goal: under 1.5)\n", Median(idle));
    return 0;
}
