// A program that faults on purpose, for the crash report tests: "crash_program MODE FOLDER" installs
// the crash reporter with its report in FOLDER and faults as MODE says.
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "app/CrashReporter.h"
#include "app/OlvarnAppBase.h"
#include "platform/CrashHandler.h"

namespace
{

// A null pointer the compiler cannot see through.
volatile int* volatile gNowhere = nullptr;

// Each fault sits in a function of its own name, which the report must show.
__attribute__((noinline)) void CrashByNullPointer()
{
    // As far as the compiler knows, this may read anything (the application object among it).
    asm volatile("" ::: "memory");
    *gNowhere = 42;
}

#pragma GCC diagnostic ignored "-Winfinite-recursion"
__attribute__((noinline)) int OverflowTheStack(int depth)
{
    volatile char frame[512];
    frame[depth % 512] = static_cast<char>(depth);
    return OverflowTheStack(depth + 1) + frame[(depth + 1) % 512];
}

__attribute__((noinline, noclone)) void CrashByAbort()
{
    asm volatile("" ::: "memory");
    std::abort();
}

__attribute__((noinline)) void FaultInWorkerThread()
{
    CrashByNullPointer();
    // Keeps this frame on the stack (no tail call), so the report shows the thread's own function.
    asm volatile("" ::: "memory");
}

__attribute__((noinline)) void CrashByIllegalInstruction()
{
    asm volatile("" ::: "memory");
    __builtin_trap();
}

void (*volatile gNoFunction)() = nullptr;

__attribute__((noinline)) void CallThroughNullPointer()
{
    gNoFunction();
    // No tail call: the return address into this function is what names it in the report.
    asm volatile("" ::: "memory");
}

__attribute__((noinline)) int CrashByDivision(volatile int divisor)
{
    return 7 / divisor;
}

// An application whose description for the report faults or never returns: the report must
// still be there, cut short.
class BrokenDescriptionApp : public Olvarn::OlvarnAppBase
{
public:
    explicit BrokenDescriptionApp(bool hang) : mHang(hang) {}
    std::string DescribeForCrashReport() override
    {
        if (mHang) {
            for (;;)
                std::this_thread::sleep_for(std::chrono::seconds(1));
        }
        CrashByNullPointer();
        return std::string();
    }
    bool mHang;
};

// An application recording a demo when the fault comes.
class RecordingApp : public Olvarn::OlvarnAppBase
{
public:
    explicit RecordingApp(const std::string& folder)
    {
        mRecordingDemo = true;
        mDemoFileName = folder + "/crash.dmo";
        mUpdateCount = 42;
    }
};

// Spins until another process sends it SIGSEGV: a signal that is no fault of the program.
__attribute__((noinline)) void WaitForASentSignal()
{
    if (fork() == 0) {
        kill(getppid(), SIGSEGV);
        _exit(0);
    }
    for (volatile bool spin = true; spin;) {
    }
}

} // namespace

int main(int argc, char** argv)
{
    int helperExit = 0;
    if (Olvarn::CrashReporter::RunHelperIfAsked(argc, argv, helperExit))
        return helperExit;
    if (argc != 3)
        return 2;
    const std::string mode = argv[1];
    if (!Olvarn::CrashReporter::InstallFilter(argv[2]))
        return 3;
    Olvarn::CrashReporter::SetProduct("CrashProgram", "1.0");
    if (mode == "null") {
        CrashByNullPointer();
    } else if (mode == "overflow") {
        return OverflowTheStack(0);
    } else if (mode == "abort") {
        CrashByAbort();
    } else if (mode == "thread") {
        std::thread worker(FaultInWorkerThread);
        worker.join();
    } else if (mode == "thread-overflow") {
        std::thread worker([] {
            Olvarn::CrashHandler::PrepareThread();
            OverflowTheStack(0);
        });
        worker.join();
    } else if (mode == "null-call") {
        CallThroughNullPointer();
    } else if (mode == "illegal") {
        CrashByIllegalInstruction();
    } else if (mode == "divide") {
        return CrashByDivision(0);
    } else if (mode == "sent") {
        WaitForASentSignal();
    } else if (mode == "recording") {
        RecordingApp app(argv[2]);
        CrashByNullPointer();
    } else if (mode == "describe-faults" || mode == "describe-hangs") {
        BrokenDescriptionApp app(mode == "describe-hangs");
        CrashByNullPointer();
    }
    return 4;
}
