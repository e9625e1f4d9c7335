// Crash reports: a program that faults on purpose leaves a complete, readable "crash.txt" naming the
// faulting function; the symbol map resolution and the upload request on their own.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <thread>

#include "AppTestSupport.h"
#include "app/CrashReporter.h"
#include "app/DemoFile.h"
#include "app/DemoStream.h"
#include "app/HTTPTransfer.h"
#include "app/LoopbackServer.h"
#include "platform/CrashHandler.h"
#include "support/Sanitizers.h"
#include "support/TempDir.h"

using Olvarn::CrashReporter;

namespace
{

// Runs a program; the signal that ended it, 0 for a normal exit, -1 when it hung.
int RunProgram(const std::string& path, const std::vector<std::string>& args, const std::string& errFile,
               const std::string& dataHome = std::string())
{
    pid_t pid = fork();
    if (pid == 0) {
        int fd = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(fd, 2);
        if (!dataHome.empty())
            setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
        std::vector<char*> argv{const_cast<char*>(path.c_str())};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(path.c_str(), argv.data());
        _exit(127);
    }
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < end) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return -1;
}

bool AllLinesEndInCrLf(const std::string& text)
{
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            return false;
    return text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0;
}

std::string LineStartingWith(const std::string& text, const std::string& start)
{
    size_t at = text.find(start);
    if (at == std::string::npos)
        return std::string();
    return text.substr(at, text.find('\r', at) - at);
}

} // namespace

TEST(CrashReportTest, FaultsLeaveACompleteReportNamingTheFunction)
{
#if defined(TAMBERLO_ASAN)
    GTEST_SKIP() << "AddressSanitizer handles faults itself";
#endif
    struct Case {
        const char* mode;
        int signal;
        const char* firstLine;
        const char* function; // named in the stack
        bool faultsInProgram; // the faulting instruction is the program's own
        const char* tail;     // how the report ends, when it is cut short
    };
    const Case cases[] = {
        {"null", SIGSEGV, "Exception: Access Violation (code 0xc0000005) at address ", "CrashByNullPointer()", true,
         nullptr},
        {"overflow", SIGSEGV, "Exception: Stack Overflow (code 0xc00000fd)", "OverflowTheStack(int)", true, nullptr},
        {"abort", SIGABRT, "Unknown exception: (code 0x40000015)", "CrashByAbort()", false, nullptr},
        {"thread-overflow", SIGSEGV, "Exception: Stack Overflow (code 0xc00000fd)", "OverflowTheStack(int)", true,
         nullptr},
        {"thread", SIGSEGV, "Exception: Access Violation", "FaultInWorkerThread()", true, nullptr},
        {"divide", SIGFPE, "Exception: Integer Divide by Zero (code 0xc0000094)", "CrashByDivision(int)", true,
         nullptr},
        {"null-call", SIGSEGV, "Exception: Access Violation (code 0xc0000005) at address 00000000",
         "CallThroughNullPointer()", false, nullptr},
        {"illegal", SIGILL, "Exception: Illegal Instruction (code 0xc000001d)", "CrashByIllegalInstruction()", true,
         nullptr},
        // The signal comes wherever the program is (still in fork, perhaps).
        {"sent", SIGSEGV, "Exception: Access Violation (code 0xc0000005) at address ", "WaitForASentSignal()", false,
         nullptr},
        {"describe-faults", SIGSEGV, "Exception: Access Violation", "main", true,
         "(The report stops here: the crash reporter faulted.)\r\n"},
        {"describe-hangs", SIGSEGV, "Exception: Access Violation", "main", true,
         "(The report stops here: writing it took too long.)\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        testsupport::TempDir dir;
        ASSERT_EQ(RunProgram(testsupport::BinaryDir() + "/tests/app/crash_program", {c.mode, dir.Path()},
                             dir.File("stderr.txt")),
                  c.signal);
        std::string report = dir.ReadFile("crash.txt");
        EXPECT_EQ(report.compare(0, strlen(c.firstLine), c.firstLine), 0) << report;
        EXPECT_NE(report.find("\r\nModule: "), std::string::npos);
        EXPECT_NE(report.find(c.function), std::string::npos) << report;
        if (c.faultsInProgram) {
            EXPECT_NE(LineStartingWith(report, "Logical Address: ").find("::"), std::string::npos) << report;
            EXPECT_NE(report.find("\r\nModule: crash_program\r\n"), std::string::npos);
        }
        EXPECT_NE(report.find("\r\nRIP:"), std::string::npos);
        EXPECT_TRUE(AllLinesEndInCrLf(report));
        // A signal another process sent touched nothing; a fault names what it touched.
        const std::string signalLine = LineStartingWith(report, "Signal: ");
        EXPECT_EQ(signalLine.find("sent by another process") != std::string::npos, std::string(c.mode) == "sent")
            << signalLine;
        EXPECT_EQ(signalLine.find("touching address") != std::string::npos,
                  c.signal != SIGABRT && std::string(c.mode) != "sent")
            << signalLine;
        if (c.tail) {
            EXPECT_EQ(report.substr(report.size() - strlen(c.tail)), c.tail);
        } else {
            EXPECT_EQ(report.find("(The report stops here"), std::string::npos);
            EXPECT_NE(report.find("\r\nSystem: "), std::string::npos);
            EXPECT_NE(report.find("\r\nSDL Ver: "), std::string::npos);
        }
        // The helper ran headless: it said where the report is instead of opening a window.
        for (int i = 0; i < 100 && dir.ReadFile("stderr.txt").find("crash.txt") == std::string::npos; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_NE(dir.ReadFile("stderr.txt").find(c.faultsInProgram ? "Exception at 0001:" : "Exception at 000"),
                  std::string::npos);
    }
}

TEST(CrashReportTest, CrashSwitchOfTheGameReportsAnAccessViolation)
{
#if defined(TAMBERLO_ASAN)
    GTEST_SKIP() << "AddressSanitizer handles faults itself";
#endif
    std::string program = testsupport::BinaryDir() + "/bin/tamberlo";
    if (access(program.c_str(), X_OK) != 0)
        program = testsupport::BinaryDir() + "/game/shell/tamberlo";
    testsupport::TempDir dir;
    ASSERT_EQ(RunProgram(program, {"-crash"}, dir.File("stderr.txt"), dir.Path()), SIGSEGV);
    std::string report = dir.ReadFile("Tamberlo/crash.txt");
    EXPECT_EQ(report.rfind("Exception: Access Violation (code 0xc0000005)", 0), 0u) << report;
    EXPECT_NE(report.find("\r\nModule: tamberlo\r\n"), std::string::npos);
    EXPECT_NE(LineStartingWith(report, "Logical Address: ").find("Olvarn::Process::Crash()"), std::string::npos)
        << report;
}

TEST(CrashReportTest, AFaultWhileRecordingSavesTheDemoEndedByEvent31ForTheReport)
{
#if defined(TAMBERLO_ASAN)
    GTEST_SKIP() << "AddressSanitizer handles faults itself";
#endif
    testsupport::TempDir dir;
    ASSERT_EQ(RunProgram(testsupport::BinaryDir() + "/tests/app/crash_program", {"recording", dir.Path()},
                         dir.File("stderr.txt"), dir.Path()),
              SIGSEGV);
    std::string bytes = dir.ReadFile("crash.dmo");
    apptest::CountingApp sameProgram;
    Olvarn::DemoFile demo;
    std::string error;
    ASSERT_TRUE(Olvarn::DemoFile::Parse(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                                        sameProgram.mProductVersion, demo, error))
        << error;
    EXPECT_EQ(demo.mTotalUpdates, 42);
    // The step to update 42 and the long-form event 31 (a filler): written, and nothing to play.
    ASSERT_FALSE(demo.mStream.empty());
    Olvarn::Buffer stream;
    stream.SetData(demo.mStream.data(), int(demo.mStream.size()));
    Olvarn::DemoStreamReader reader(stream);
    Olvarn::DemoEvent event;
    Olvarn::DemoRead read = Olvarn::DemoRead::NotDue;
    for (int update = 0; update <= 42 && read == Olvarn::DemoRead::NotDue; ++update)
        read = reader.Next(update, event);
    EXPECT_EQ(read, Olvarn::DemoRead::End);
    EXPECT_NE(dir.ReadFile("stderr.txt").find("The recorded demo is in " + dir.File("crash.dmo")), std::string::npos)
        << dir.ReadFile("stderr.txt");
}

TEST(CrashReportTest, ParseHexTakesOnlyHexDigits)
{
    struct Case {
        const char* text;
        bool ok;
        uint32_t value;
    };
    const Case cases[] = {
        {"", true, 0},      {"0001", true, 1},  {"00aBcD", true, 0xABCD}, {"FFFFFFFF", true, 0xFFFFFFFF},
        {"12 4", false, 0}, {"0x10", false, 0}, {"-1", false, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        uint32_t value = 77;
        EXPECT_EQ(CrashReporter::ParseHex(c.text, value), c.ok);
        if (c.ok) {
            EXPECT_EQ(value, c.value);
        }
    }
}

// A small map in the layout the build writes: symbols, then line rows of four 20-character entries.
const char* const kMap = " program\r\n"
                         "\r\n"
                         "  Address         Publics by Value\r\n"
                         "\r\n"
                         " 0001:00001000       _ZN6Olvarn3Foo4DrawEv 0000000000001000 f\r\n"
                         " 0001:00001100       plain_c_function 0000000000001100 f\r\n"
                         " 0001:00001200       _start 0000000000001200 f\r\n"
                         "\r\n"
                         "Line numbers for (src/Foo.cpp) segment .text\r\n"
                         "\r\n"
                         "    10 0001:00001000    12 0001:00001010    20 0001:00001100    20 0001:00001100\r\n";

TEST(CrashReportTest, MapNamesLogicalAddresses)
{
    struct Case {
        const char* name;
        std::string in;
        std::string out;
    };
    const std::vector<Case> cases = {
        {"exact start", "Logical Address: 0001:00001000\r\n",
         "Logical Address: Olvarn::Foo::Draw()\r\n    src/Foo.cpp line 10 +0x0\r\n"},
        {"inside, nearest row", "x 0001:00001018 prog",
         "x Olvarn::Foo::Draw()+0x18\r\n    src/Foo.cpp line 12 +0x8 prog"},
        {"a C name", "0001:00001104", "plain_c_function+0x4\r\n    src/Foo.cpp line 20 +0x4"},
        {"last symbol, no rows of its own", "0001:00001250", "_start+0x50"},
        {"below the first symbol", "0001:00000500", "0001:00000500"},
        {"another module", "0002:00001000 libc.so.6", "0002:00001000 libc.so.6"},
        {"not an address", "RAX:0000000000000000 Time: 12:00:00", "RAX:0000000000000000 Time: 12:00:00"},
        {"two on a line", "0001:00001000 0001:00001100",
         "Olvarn::Foo::Draw()\r\n    src/Foo.cpp line 10 +0x0 plain_c_function\r\n    src/Foo.cpp line 20 +0x0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string report = c.in;
        CrashReporter::ResolveMapFileSymbols(report, kMap);
        EXPECT_EQ(report, c.out);
    }
}

TEST(CrashReportTest, SignalsAreClassifiedByWhoSentThem)
{
    struct Case {
        const char* name;
        int signal;
        int code;
        bool fromOther;
        uint64_t touched;
        uint32_t exceptionCode;
        bool hasDataAddress;
        bool sentByOther;
    };
    const uint64_t sp = 0x7ffd00010000;
    const Case cases[] = {
        {"a fault at null", SIGSEGV, SEGV_MAPERR, false, 0, 0xC0000005, true, false},
        {"a fault beside the stack", SIGSEGV, SEGV_MAPERR, false, sp - 8, 0xC00000FD, true, false},
        {"kill from another process", SIGSEGV, SI_USER, true, 0, 0xC0000005, false, true},
        {"sigqueue from another process", SIGSEGV, SI_QUEUE, true, 0, 0xC0000005, false, true},
        {"tgkill by the program itself", SIGSEGV, SI_TKILL, false, 0, 0xC0000005, false, false},
        {"a sent SIGFPE", SIGFPE, SI_USER, true, 0, 0xC0000090, false, true},
        {"a divide by zero", SIGFPE, FPE_INTDIV, false, 0x401000, 0xC0000094, true, false},
        {"abort", SIGABRT, SI_TKILL, false, 0, 0x40000015, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Olvarn::CrashInfo info;
        Olvarn::CrashHandler::ClassifyFault(c.signal, c.code, c.fromOther, c.touched, sp, info);
        EXPECT_EQ(info.mSignal, c.signal);
        EXPECT_EQ(info.mExceptionCode, c.exceptionCode);
        EXPECT_EQ(info.mHasDataAddress, c.hasDataAddress);
        EXPECT_EQ(info.mDataAddress, c.hasDataAddress ? c.touched : 0);
        EXPECT_EQ(info.mSentByOtherProcess, c.sentByOther);
    }
}

TEST(CrashReportTest, TitleAndExceptionNames)
{
    EXPECT_EQ(CrashReporter::ErrorTitleOf("Exception: x\r\nModule: p\r\nLogical Address: 0001:0000ABCD\r\n"),
              "Exception at 0001:0000ABCD");
    EXPECT_STREQ(CrashReporter::ExceptionName(0xC0000005), "Access Violation");
    EXPECT_STREQ(CrashReporter::ExceptionName(0xC00000FD), "Stack Overflow");
    EXPECT_EQ(CrashReporter::ExceptionName(0x40000015), nullptr);
}

TEST(CrashReportTest, UploadRequestCarriesFieldsReportAndAttachment)
{
    CrashReporter::Upload upload;
    upload.mServer = "127.0.0.1:1";
    upload.mFields = {{"zeta", "2"}, {"alpha", "1"}};
    upload.mProduct = "Tamberlo";
    upload.mVersion = "1.01";
    upload.mUserText = "it broke";
    upload.mErrorTitle = "Exception at 0001:00001000";
    upload.mErrorText = "Exception: Access Violation\r\n";
    upload.mAttachFile = true;
    upload.mAttachment = std::string("DEMO\0\1", 6);
    const std::string request = CrashReporter::BuildUploadRequest(upload);
    const std::string b = "-----------------------------7d3e1f30eec";
    auto field = [&](const std::string& name, const std::string& value) {
        return b + "\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" + value + "\r\n";
    };
    const std::string body = field("alpha", "1") + field("zeta", "2") + field("prod", "Tamberlo") +
                             field("version", "1.01") + field("usertext", "it broke") +
                             field("errortitle", upload.mErrorTitle) + field("errortext", upload.mErrorText) + b +
                             "\r\nContent-Disposition: form-data; name=\"demofile\"; filename=\"brisvek.dmo\"\r\n"
                             "Content-Type: application/octet-stream\r\n\r\n" +
                             upload.mAttachment + "\r\n" + b + "--\r\n";
    EXPECT_EQ(request, "POST /brondel_error.php HTTP/1.1\r\n"
                       "Content-Type: multipart/form-data; boundary=---------------------------7d3e1f30eec\r\n"
                       "User-Agent: Mozilla/4.0 (compatible; brisvek)\r\n"
                       "Host: 127.0.0.1:1\r\n"
                       "Content-Length: " +
                           std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
}

TEST(CrashReportTest, TheUploadCarriesTheApplicationsFieldsAndAnEmptyPartForAnUnreadableAttachment)
{
    testsupport::TempDir dir;
    dir.WriteFile("demo.dmo", "DEMO");
    ASSERT_EQ(::mkfifo(dir.File("fifo.dmo").c_str(), 0600), 0);
    CrashReporter::SetFieldsHook([](const std::string& report) {
        return std::map<std::string, std::string>{{"level", "12"}, {"reportsize", std::to_string(report.size())}};
    });
    struct Case {
        const char* name;
        std::string attachment;
        bool part;
        std::string bytes;
    };
    const Case cases[] = {
        {"readable", dir.File("demo.dmo"), true, "DEMO"},
        {"missing", dir.File("gone.dmo"), true, ""},
        {"a FIFO", dir.File("fifo.dmo"), true, ""},
        {"none", "", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CrashReporter::Upload upload =
            CrashReporter::MakeUpload("Exception at 0001:00001000", "report", c.attachment);
        EXPECT_EQ(upload.mAttachFile, c.part);
        EXPECT_EQ(upload.mAttachment, c.bytes);
        const std::string request = CrashReporter::BuildUploadRequest(upload);
        EXPECT_NE(request.find("name=\"level\"\r\n\r\n12\r\n"), std::string::npos);
        EXPECT_NE(request.find("name=\"reportsize\"\r\n\r\n6\r\n"), std::string::npos);
        const std::string part =
            "filename=\"brisvek.dmo\"\r\nContent-Type: application/octet-stream\r\n\r\n" + c.bytes + "\r\n";
        EXPECT_EQ(request.find(part) != std::string::npos, c.part) << request;
    }
    CrashReporter::SetFieldsHook(nullptr);
    EXPECT_TRUE(CrashReporter::MakeUpload("t", "r", "").mFields.empty());
}

TEST(CrashReportTest, UploadGoesThroughTheSharedTransfer)
{
    httptest::LoopbackServer server({httptest::Send("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n")});
    CrashReporter::Upload upload;
    upload.mServer = "127.0.0.1:" + std::to_string(server.Port());
    upload.mErrorText = "report";
    CrashReporter::UploadThread(upload);
    Olvarn::HTTPTransfer& transfer = Olvarn::HTTPTransfer::Global();
    transfer.WaitUntilDone();
    EXPECT_EQ(transfer.GetResult(), Olvarn::HTTPTransfer::kDone);
    EXPECT_EQ(server.Request(), CrashReporter::BuildUploadRequest(upload));
    transfer.Reset();
}
