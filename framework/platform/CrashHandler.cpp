// Fault handling with POSIX signals, dladdr and libunwind. Everything between the fault and the
// extra writer uses only async-signal-safe calls and static storage.
#include "platform/CrashHandler.h"

#define UNW_LOCAL_ONLY
#include <dlfcn.h>
#include <fcntl.h>
#include <libunwind.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/utsname.h>
#include <ucontext.h>
#include <unistd.h>

#include <SDL.h>

#include <atomic>
#include <cstring>
#include <memory>

extern char** environ;

// AddressSanitizer handles faults itself (GCC and clang say so differently).
#if defined(__SANITIZE_ADDRESS__)
#define OLVARN_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define OLVARN_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(OLVARN_ADDRESS_SANITIZER)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif

namespace Olvarn
{

namespace
{

constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr int kSignalCount = sizeof(kSignals) / sizeof(kSignals[0]);
constexpr size_t kAltStackSize = 256 * 1024;
constexpr int kWatchdogSeconds = 4;
constexpr int kHelperWaitMs = 10000;

struct sigaction gPrevious[kSignalCount];
bool gInstalled = false;
char gReportPath[4096];
CrashHandler::SafeWriter gSafeWriter = nullptr;
CrashHandler::ExtraWriter gExtraWriter = nullptr;
char gSystemText[512];
alignas(16) char gMainAltStack[kAltStackSize];
uintptr_t gProgramBase = 0;

// The helper's command line, made before any fault; the last slot takes the pipe's number.
std::vector<std::string> gHelperStrings;
std::vector<char*> gHelperArgv;
char gNotifyArg[24];

// The thread that is writing the report (0: none), whether the report is finished, its file.
std::atomic<long> gReportingThread{0};
std::atomic<bool> gFinishing{false};
int gReportFd = -1;
int gFaultSignal = 0;

long ThreadId()
{
    return static_cast<long>(syscall(SYS_gettid));
}

size_t Length(const char* text)
{
    size_t n = 0;
    while (text[n])
        ++n;
    return n;
}

void Append(char* buffer, size_t size, const char* text)
{
    size_t at = Length(buffer);
    while (*text && at + 1 < size)
        buffer[at++] = *text++;
    buffer[at] = '\0';
}

void FormatDecimal(char* buffer, size_t size, uint64_t value)
{
    char digits[24];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value);
    size_t at = 0;
    while (n > 0 && at + 1 < size)
        buffer[at++] = digits[--n];
    buffer[at] = '\0';
}

// The framework's exception code for a signal the kernel raised for a fault.
uint32_t ExceptionCode(int signal, int code, uint64_t touched, uint64_t stackPointer)
{
    switch (signal) {
    case SIGSEGV:
        // A touch just below the stack pointer is the stack running out.
        if (stackPointer != 0 && touched + 65536 >= stackPointer && touched <= stackPointer + 4096)
            return 0xC00000FD;
        return 0xC0000005;
    case SIGBUS:
        return code == BUS_ADRALN ? 0x80000002 : 0xC0000006;
    case SIGILL:
        return (code == ILL_PRVOPC || code == ILL_PRVREG) ? 0xC0000096 : 0xC000001D;
    case SIGFPE:
        switch (code) {
        case FPE_INTDIV:
            return 0xC0000094;
        case FPE_INTOVF:
            return 0xC0000095;
        case FPE_FLTDIV:
            return 0xC000008E;
        case FPE_FLTOVF:
            return 0xC0000091;
        case FPE_FLTUND:
            return 0xC0000093;
        case FPE_FLTRES:
            return 0xC000008F;
        case FPE_FLTSUB:
            return 0xC000008C;
        default:
            return 0xC0000090;
        }
    default:
        // abort(): the code the original platform gives a program that ends itself in a fault.
        return 0x40000015;
    }
}

const char* SignalName(int sig)
{
    switch (sig) {
    case SIGSEGV:
        return "SIGSEGV";
    case SIGBUS:
        return "SIGBUS";
    case SIGFPE:
        return "SIGFPE";
    case SIGILL:
        return "SIGILL";
    case SIGABRT:
        return "SIGABRT";
    default:
        return "signal";
    }
}

void StartHelperAndWait()
{
    if (gHelperArgv.empty())
        return;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return;
    // The helper keeps the write end across exec; the faulting process keeps the read end.
    int notify = fcntl(fds[1], F_DUPFD, 3);
    close(fds[1]);
    if (notify < 0) {
        close(fds[0]);
        return;
    }
    FormatDecimal(gNotifyArg, sizeof gNotifyArg, static_cast<uint64_t>(notify));
    // vfork runs no fork handlers and takes no allocator lock, which may be held by the fault.
    pid_t pid = vfork();
    if (pid == 0) {
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        execve(gHelperArgv[0], gHelperArgv.data(), environ);
        _exit(127);
    }
    close(notify);
    if (pid > 0) {
        pollfd entry{fds[0], POLLIN, 0};
        while (poll(&entry, 1, kHelperWaitMs) < 0 && errno == EINTR) {
        }
    }
    close(fds[0]);
}

// The end of every path through the handler: close the report, start the helper, end the process
// by the signal that faulted, so its parent sees the fault.
[[noreturn]] void Finish()
{
    if (gFinishing.exchange(true)) {
        for (;;)
            pause();
    }
    alarm(0);
    if (gReportFd >= 0) {
        close(gReportFd);
        gReportFd = -1;
    }
    StartHelperAndWait();
    int sig = gFaultSignal ? gFaultSignal : SIGSEGV;
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(sig, &action, nullptr);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, sig);
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
    raise(sig);
    _exit(128 + sig);
}

void OnWatchdog(int)
{
    if (gReportFd >= 0)
        CrashReportOutput(gReportFd).Line().Text("(The report stops here: writing it took too long.)").Line();
    Finish();
}

void OnFault(int sig, siginfo_t* info, void* rawContext)
{
    const long self = ThreadId();
    long none = 0;
    if (!gReportingThread.compare_exchange_strong(none, self)) {
        if (none == self) {
            // The reporter itself faulted: keep what is written and end.
            if (gReportFd >= 0)
                CrashReportOutput(gReportFd).Line().Text("(The report stops here: the crash reporter faulted.)").Line();
            Finish();
        }
        // Another thread is reporting; it ends the process.
        for (;;)
            pause();
    }
    gFaultSignal = sig;
    gReportFd = open(gReportPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);

    const ucontext_t* context = static_cast<const ucontext_t*>(rawContext);
    CrashInfo crash;
    uint64_t stackPointer = 0;
#if defined(__x86_64__)
    crash.mAddress = static_cast<uint64_t>(context->uc_mcontext.gregs[REG_RIP]);
    stackPointer = static_cast<uint64_t>(context->uc_mcontext.gregs[REG_RSP]);
#endif
    // si_addr is only filled for a fault the kernel raised; for a sent signal it holds other
    // fields of the record, so it is read only when the code says it is an address.
    const bool sent = info->si_code <= 0;
    CrashHandler::ClassifyFault(sig, info->si_code, sent && info->si_pid != getpid(),
                                sent ? 0 : reinterpret_cast<uint64_t>(info->si_addr), stackPointer, crash);
    crash.mThread = static_cast<uint32_t>(self);
    crash.mContext = context;

    // The whole report runs under a watchdog: a lock held by the faulting code (the loader's, the
    // allocator's) must not keep the process from ending.
    struct sigaction watchdog = {};
    watchdog.sa_handler = OnWatchdog;
    sigemptyset(&watchdog.sa_mask);
    sigaction(SIGALRM, &watchdog, nullptr);
    alarm(kWatchdogSeconds);
    if (gReportFd >= 0) {
        CrashReportOutput out(gReportFd);
        if (gSafeWriter)
            gSafeWriter(crash, out);
        if (gExtraWriter)
            gExtraWriter(out);
    }
    Finish();
}

void ReadSystemText()
{
    gSystemText[0] = '\0';
    utsname name;
    if (uname(&name) == 0) {
        Append(gSystemText, sizeof gSystemText, "System: ");
        Append(gSystemText, sizeof gSystemText, name.sysname);
        Append(gSystemText, sizeof gSystemText, " ");
        Append(gSystemText, sizeof gSystemText, name.release);
        Append(gSystemText, sizeof gSystemText, " ");
        Append(gSystemText, sizeof gSystemText, name.machine);
        Append(gSystemText, sizeof gSystemText, "\r\nKernel Build: ");
        Append(gSystemText, sizeof gSystemText, name.version);
        Append(gSystemText, sizeof gSystemText, "\r\n");
    }
    SDL_version version;
    SDL_GetVersion(&version);
    char number[8];
    Append(gSystemText, sizeof gSystemText, "SDL Ver: ");
    FormatDecimal(number, sizeof number, version.major);
    Append(gSystemText, sizeof gSystemText, number);
    Append(gSystemText, sizeof gSystemText, ".");
    FormatDecimal(number, sizeof number, version.minor);
    Append(gSystemText, sizeof gSystemText, number);
    Append(gSystemText, sizeof gSystemText, ".");
    FormatDecimal(number, sizeof number, version.patch);
    Append(gSystemText, sizeof gSystemText, number);
    Append(gSystemText, sizeof gSystemText, "\r\n");
}

int ProgramMarker()
{
    return 0;
}

} // namespace

// ---- Output ----

CrashReportOutput& CrashReportOutput::Text(const char* text, size_t length)
{
    while (length > 0) {
        ssize_t n = write(mFd, text, length);
        if (n <= 0) {
            if (n < 0 && errno == EINTR)
                continue;
            break;
        }
        text += n;
        length -= static_cast<size_t>(n);
    }
    return *this;
}

CrashReportOutput& CrashReportOutput::Text(const char* text)
{
    return Text(text, Length(text));
}

void CrashHandler::ClassifyFault(int signal, int code, bool fromOtherProcess, uint64_t touched, uint64_t stackPointer,
                                 CrashInfo& crash)
{
    crash.mSignal = signal;
    crash.mSignalName = SignalName(signal);
    // SI_USER, SI_QUEUE, SI_TKILL and the other codes a process gives are zero or below: such a
    // signal touched nothing, whatever its name says.
    const bool sent = code <= 0;
    crash.mSentByOtherProcess = sent && fromOtherProcess;
    crash.mExceptionCode = ExceptionCode(signal, code, touched, sent ? 0 : stackPointer);
    crash.mHasDataAddress = signal != SIGABRT && !sent;
    crash.mDataAddress = crash.mHasDataAddress ? touched : 0;
}

CrashReportOutput& CrashReportOutput::Hex(uint64_t value, int digits)
{
    return Digits(value, digits, "0123456789ABCDEF");
}

CrashReportOutput& CrashReportOutput::LowerHex(uint64_t value, int digits)
{
    return Digits(value, digits, "0123456789abcdef");
}

CrashReportOutput& CrashReportOutput::Digits(uint64_t value, int digits, const char* alphabet)
{
    char buffer[17];
    int n = 0;
    do {
        buffer[16 - n] = alphabet[value & 15];
        value >>= 4;
        ++n;
    } while ((value || n < digits) && n < 16);
    return Text(buffer + 17 - n, static_cast<size_t>(n));
}

CrashReportOutput& CrashReportOutput::Decimal(uint64_t value)
{
    char buffer[24];
    FormatDecimal(buffer, sizeof buffer, value);
    return Text(buffer);
}

CrashReportOutput& CrashReportOutput::Line()
{
    return Text("\r\n", 2);
}

// ---- Installation ----

bool CrashHandler::Install(const std::string& reportPath, SafeWriter safe, ExtraWriter extra)
{
    if (kAddressSanitizer)
        return false;
    if (reportPath.size() >= sizeof gReportPath)
        return false;
    std::memcpy(gReportPath, reportPath.c_str(), reportPath.size() + 1);
    gSafeWriter = safe;
    gExtraWriter = extra;
    ReadSystemText();
    Dl_info self;
    if (dladdr(reinterpret_cast<void*>(&ProgramMarker), &self))
        gProgramBase = reinterpret_cast<uintptr_t>(self.dli_fbase);
    // The unwinder and the loader do their first-use set-up now rather than inside a handler.
    unw_context_t unwindContext;
    unw_getcontext(&unwindContext);
    unw_cursor_t cursor;
    unw_init_local(&cursor, &unwindContext);
    unw_step(&cursor);

    stack_t stack = {};
    stack.ss_sp = gMainAltStack;
    stack.ss_size = sizeof gMainAltStack;
    if (sigaltstack(&stack, nullptr) != 0)
        return false;
    struct sigaction action = {};
    action.sa_sigaction = OnFault;
    // NODEFER lets a fault inside the reporter reach the re-entry guard instead of killing the
    // process with the report half written.
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < kSignalCount; ++i) {
        if (sigaction(kSignals[i], &action, gInstalled ? nullptr : &gPrevious[i]) != 0)
            return false;
    }
    gInstalled = true;
    return true;
}

void CrashHandler::Uninstall()
{
    if (!gInstalled)
        return;
    for (int i = 0; i < kSignalCount; ++i)
        sigaction(kSignals[i], &gPrevious[i], nullptr);
    gInstalled = false;
}

bool CrashHandler::IsInstalled()
{
    return gInstalled;
}

namespace
{

// A thread's own alternate stack, given back when the thread ends.
struct ThreadAltStack {
    std::unique_ptr<char[]> mMemory;
    ~ThreadAltStack()
    {
        if (!mMemory)
            return;
        stack_t off = {};
        off.ss_flags = SS_DISABLE;
        sigaltstack(&off, nullptr);
    }
};

} // namespace

void CrashHandler::PrepareThread()
{
    if (!gInstalled)
        return;
    thread_local ThreadAltStack altStack;
    if (altStack.mMemory)
        return;
    altStack.mMemory.reset(new char[kAltStackSize]);
    stack_t stack = {};
    stack.ss_sp = altStack.mMemory.get();
    stack.ss_size = kAltStackSize;
    if (sigaltstack(&stack, nullptr) != 0)
        altStack.mMemory.reset();
}

void CrashHandler::SetHelperCommand(const std::vector<std::string>& argv)
{
    gHelperStrings = argv;
    gHelperArgv.clear();
    if (argv.empty())
        return;
    for (std::string& s : gHelperStrings)
        gHelperArgv.push_back(&s[0]);
    gHelperArgv.push_back(gNotifyArg);
    gHelperArgv.push_back(nullptr);
}

void CrashHandler::NotifyFaultingProcess(int fd)
{
    // Only the pipe the faulting process made; a stray number on the command line touches nothing.
    struct stat info;
    if (fd < 3 || fstat(fd, &info) != 0 || !S_ISFIFO(info.st_mode))
        return;
    char done = 1;
    ssize_t ignored = write(fd, &done, 1);
    (void)ignored;
    close(fd);
}

// ---- Pieces of the report ----

bool CrashHandler::FindModule(uint64_t address, CrashModule& module)
{
    Dl_info found;
    if (!dladdr(reinterpret_cast<void*>(address), &found) || !found.dli_fbase)
        return false;
    const char* file = found.dli_fname ? found.dli_fname : "";
    const char* slash = std::strrchr(file, '/');
    const char* leaf = slash ? slash + 1 : file;
    size_t n = Length(leaf);
    if (n >= sizeof module.mFile)
        n = sizeof module.mFile - 1;
    std::memcpy(module.mFile, leaf, n);
    module.mFile[n] = '\0';
    uintptr_t base = reinterpret_cast<uintptr_t>(found.dli_fbase);
    module.mSection = base == gProgramBase ? 1 : 2;
    module.mOffset = address - base;
    module.mSymbol = found.dli_sname;
    module.mSymbolOffset = found.dli_saddr ? address - reinterpret_cast<uintptr_t>(found.dli_saddr) : 0;
    return true;
}

void CrashHandler::WalkStack(const CrashInfo& info, FrameVisitor visit, void* user, int maxFrames)
{
    unw_cursor_t cursor;
    unw_context_t* context = static_cast<unw_context_t*>(const_cast<void*>(info.mContext));
    if (!context || unw_init_local2(&cursor, context, UNW_INIT_SIGNAL_FRAME) < 0)
        return;
    for (int i = 0; i < maxFrames; ++i) {
        unw_word_t pc = 0, sp = 0;
        unw_get_reg(&cursor, UNW_REG_IP, &pc);
        unw_get_reg(&cursor, UNW_REG_SP, &sp);
        if (pc == 0 && i > 0)
            break;
        visit(user, pc, sp);
        if (unw_step(&cursor) > 0)
            continue;
        // A call through a bad function pointer lands where no module is: the caller's return
        // address is the last thing the call pushed, so the walk goes on from there.
        Dl_info found;
        if (i > 0 || sp == 0 || (pc != 0 && dladdr(reinterpret_cast<void*>(pc), &found)))
            break;
        unw_word_t returnAddress = *reinterpret_cast<const unw_word_t*>(sp);
        if (unw_set_reg(&cursor, UNW_REG_IP, returnAddress) < 0 || unw_set_reg(&cursor, UNW_REG_SP, sp + 8) < 0)
            break;
    }
}

void CrashHandler::WriteRegisters(const CrashInfo& info, CrashReportOutput& out)
{
#if defined(__x86_64__)
    const ucontext_t* context = static_cast<const ucontext_t*>(info.mContext);
    const greg_t* r = context->uc_mcontext.gregs;
    auto reg = [&](const char* name, int index) { out.Text(name).Text(":").Hex(static_cast<uint64_t>(r[index]), 16); };
    reg("RAX", REG_RAX), out.Text(" "), reg("RBX", REG_RBX), out.Text(" "), reg("RCX", REG_RCX), out.Text(" ");
    reg("RDX", REG_RDX), out.Text(" "), reg("RSI", REG_RSI), out.Text(" "), reg("RDI", REG_RDI), out.Line();
    reg("RIP", REG_RIP), out.Text(" "), reg("RSP", REG_RSP), out.Text("  "), reg("RBP", REG_RBP), out.Line();
    reg("R8", REG_R8), out.Text(" "), reg("R9", REG_R9), out.Text(" "), reg("R10", REG_R10), out.Text(" ");
    reg("R11", REG_R11), out.Line();
    reg("R12", REG_R12), out.Text(" "), reg("R13", REG_R13), out.Text(" "), reg("R14", REG_R14), out.Text(" ");
    reg("R15", REG_R15), out.Line();
    uint64_t segments = static_cast<uint64_t>(r[REG_CSGSFS]);
    out.Text("CS:").Hex(segments & 0xFFFF, 4).Text(" GS:").Hex((segments >> 16) & 0xFFFF, 4);
    out.Text(" FS:").Hex((segments >> 32) & 0xFFFF, 4).Line();
    out.Text("Flags:").Hex(static_cast<uint64_t>(r[REG_EFL]), 8).Line();
#else
    out.Text("Registers: not read on this machine").Line();
#endif
}

const char* CrashHandler::SystemText()
{
    return gSystemText;
}

} // namespace Olvarn
