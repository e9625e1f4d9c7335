// Catches the faults that end the process (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT) on an alternate
// stack and lets the crash reporter write its report without allocating, then starts a helper
// process for the report windows and ends the process by the same signal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Olvarn
{

// What is known of a fault, gathered without allocating.
struct CrashInfo {
    int mSignal = 0;
    const char* mSignalName = "";
    // Memory, arithmetic and instruction faults name the address they touched; abort does not.
    bool mHasDataAddress = false;
    // The exception code in the framework's numbering (0xC0000005 access violation, ...).
    uint32_t mExceptionCode = 0;
    uint64_t mAddress = 0;     // the instruction that faulted
    uint64_t mDataAddress = 0; // the address the instruction touched, for memory faults
    // Another process sent the signal (kill, sigqueue, tgkill); the program did not fault.
    bool mSentByOtherProcess = false;
    uint32_t mThread = 0;
    const void* mContext = nullptr; // the machine context of the fault
};

// Where an address lies: its module, and the module's section and offset of the address. Section 1
// is the program itself (its symbol map uses it), section 2 any other module.
struct CrashModule {
    char mFile[256] = {};
    uint32_t mSection = 0;
    uint64_t mOffset = 0;
    // The module's own dynamic symbol for the address, when it exports one (null otherwise).
    const char* mSymbol = nullptr;
    uint64_t mSymbolOffset = 0;
};

// Appends text to the open report with plain writes: safe inside a signal handler.
class CrashReportOutput
{
public:
    explicit CrashReportOutput(int fd) : mFd(fd) {}
    CrashReportOutput& Text(const char* text);
    CrashReportOutput& Text(const char* text, size_t length);
    // Upper-case hexadecimal with at least digits digits.
    CrashReportOutput& Hex(uint64_t value, int digits);
    CrashReportOutput& LowerHex(uint64_t value, int digits);
    CrashReportOutput& Decimal(uint64_t value);
    // Carriage return and line feed.
    CrashReportOutput& Line();

private:
    CrashReportOutput& Digits(uint64_t value, int digits, const char* alphabet);

    int mFd;
};

class CrashHandler
{
public:
    // The reporter's writers. The safe one runs first and must not allocate or lock; the extra one
    // may (it runs under a watchdog, and a fault in it only cuts the report short).
    using SafeWriter = void (*)(const CrashInfo& info, CrashReportOutput& out);
    using ExtraWriter = void (*)(CrashReportOutput& out);

    // Installs the handlers and the calling thread's alternate stack; the report goes to reportPath
    // (created or truncated at the fault). False when the handlers cannot be installed, and always
    // under AddressSanitizer, which handles faults itself.
    static bool Install(const std::string& reportPath, SafeWriter safe, ExtraWriter extra);
    // Puts the previous handlers back.
    static void Uninstall();
    static bool IsInstalled();
    // Gives the calling thread an alternate stack so a stack overflow on it is reported too.
    static void PrepareThread();
    // The program started after the report is written, with the number of a pipe's write end as
    // one more argument; the faulting process waits (at most 10 s) until the helper writes to it or
    // closes it, then ends.
    static void SetHelperCommand(const std::vector<std::string>& argv);
    // Called by the helper when it no longer needs the faulting process.
    static void NotifyFaultingProcess(int fd);

    // Fills the signal, its name and exception code, and the touched address when there is one,
    // from the signal's number and si_code, whether si_pid is another process, si_addr (pass 0
    // when the code says a process sent the signal: the field then holds no address) and the stack
    // pointer at the fault (0 when unknown).
    static void ClassifyFault(int signal, int code, bool fromOtherProcess, uint64_t touched, uint64_t stackPointer,
                              CrashInfo& crash);

    // Pieces for the reporter's writers.
    static bool FindModule(uint64_t address, CrashModule& module);
    // One call per frame, from the faulting instruction outwards, at most maxFrames.
    using FrameVisitor = void (*)(void* user, uint64_t pc, uint64_t sp);
    static void WalkStack(const CrashInfo& info, FrameVisitor visit, void* user, int maxFrames);
    static void WriteRegisters(const CrashInfo& info, CrashReportOutput& out);
    // The system lines (kernel, machine, SDL), read at installation.
    static const char* SystemText();
};

} // namespace Olvarn
