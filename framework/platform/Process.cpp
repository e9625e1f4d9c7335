// Process services on POSIX.
#include "platform/Process.h"

#include <SDL.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace Olvarn
{

namespace
{
std::vector<std::string> gArguments;
volatile sig_atomic_t gTerminationSignal = 0;

void OnTerminationSignal(int)
{
    gTerminationSignal = 1;
}
} // namespace

void Process::SetArguments(int argc, char** argv)
{
    gArguments.assign(argv, argv + argc);
}

std::string Process::CommandLine()
{
    std::string line;
    for (size_t i = 0; i < gArguments.size(); ++i) {
        const std::string& arg = gArguments[i];
        if (i > 0)
            line += ' ';
        if (i == 0 || arg.find(' ') != std::string::npos)
            line += '"' + arg + '"';
        else
            line += arg;
    }
    return line;
}

void Process::InstallTerminationHandler()
{
    struct sigaction action = {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        sigaction(sig, &action, nullptr);
    // SDL would put its own handlers over ours at the first start of any of its subsystems (audio
    // may come before video), and a request made during start-up would then be lost.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
}

void Process::RequestTermination()
{
    gTerminationSignal = 1;
}

bool Process::TakeTerminationRequest()
{
    if (gTerminationSignal == 0)
        return false;
    gTerminationSignal = 0;
    return true;
}

void Process::Exit(int code)
{
    std::fflush(stdout);
    std::fflush(stderr);
    _exit(code);
}

void Process::Crash()
{
    // A real write to address 0, so the report shows an access violation in this function; the
    // pointer is volatile so the compiler cannot see that it is null.
    volatile int* volatile target = nullptr;
    *target = 0;
    std::abort();
}

} // namespace Olvarn
