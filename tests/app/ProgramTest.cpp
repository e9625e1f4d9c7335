// The tamberlo program as a process: single instance across two real processes, clean shutdown on a
// termination signal, and non-zero exits for every failure.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/SettingsStore.h"
#include "platform/SingleInstance.h"
#include "support/GameDataSet.h"
#include "support/TempDir.h"

namespace
{

// The program runs on its own copy of the data set, which lets it start whatever the build holds.
std::string ProgramPath()
{
    static testsupport::GameDataSet data;
    return data.Program();
}

class Program
{
public:
    // Starts the program with the arguments; its standard error goes to errFile.
    Program(const std::vector<std::string>& args, const std::string& errFile,
            const std::vector<std::pair<std::string, std::string>>& env = {})
    {
        std::string path = ProgramPath();
        mPid = fork();
        if (mPid == 0) {
            int fd = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(fd, 2);
            int devnull = open("/dev/null", O_WRONLY);
            dup2(devnull, 1);
            for (const auto& [name, value] : env)
                setenv(name.c_str(), value.c_str(), 1);
            std::vector<char*> argv;
            argv.push_back(path.data());
            for (const std::string& a : args)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(path.c_str(), argv.data());
            _exit(127);
        }
    }
    ~Program()
    {
        if (mPid > 0 && !mDone) {
            kill(mPid, SIGKILL);
            waitpid(mPid, nullptr, 0);
        }
    }

    // The exit code; -1 when the program did not end within the time, -100 - n when signal n ended it.
    int Wait(int ms = 10000)
    {
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < end) {
            int status = 0;
            pid_t r = waitpid(mPid, &status, WNOHANG);
            if (r == mPid) {
                mDone = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -100 - WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }
    bool Running()
    {
        int status = 0;
        return !mDone && waitpid(mPid, &status, WNOHANG) == 0;
    }
    void Signal(int sig) { kill(mPid, sig); }

    // True once the program has put its own handler on the signal: a signal sent earlier, while the
    // loader is still mapping libraries, would end it by the default action instead.
    bool WaitUntilCatching(int sig, int ms = 10000)
    {
        const uint64_t bit = uint64_t(1) << (sig - 1);
        for (int waited = 0; waited < ms; waited += 10) {
            std::ifstream status("/proc/" + std::to_string(mPid) + "/status");
            std::string line;
            while (std::getline(status, line))
                if (line.rfind("SigCgt:", 0) == 0 && (std::stoull(line.substr(7), nullptr, 16) & bit) != 0)
                    return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

private:
    pid_t mPid = -1;
    bool mDone = false;
};

bool WaitForFile(const std::string& path, int ms = 10000)
{
    for (int waited = 0; waited < ms; waited += 10) {
        if (std::filesystem::exists(path))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

TEST(Program, ASecondStartExitsWithZeroAndTheFirstEndsCleanlyOnSigterm)
{
    testsupport::TempDir dir;
    std::filesystem::remove(Olvarn::SettingsStore::PathForKey("Quendril\\Tamberlo"));
    Program first({}, dir.File("first.err"));
    ASSERT_TRUE(WaitForFile(Olvarn::SingleInstance::SocketPath("TamberloMutex"))) << ReadAll(dir.File("first.err"));

    Program second({}, dir.File("second.err"));
    EXPECT_EQ(second.Wait(), 0);
    EXPECT_TRUE(first.Running());

    first.Signal(SIGTERM);
    EXPECT_EQ(first.Wait(), 0) << ReadAll(dir.File("first.err"));
    std::string settings = ReadAll(Olvarn::SettingsStore::PathForKey("Quendril\\Tamberlo"));
    EXPECT_NE(settings.find("dword InProgress 0\r\n"), std::string::npos) << settings;
    EXPECT_FALSE(std::filesystem::exists(Olvarn::SingleInstance::SocketPath("TamberloMutex")));
}

TEST(Program, ScreensaverModeSkipsTheSingleInstanceCheck)
{
    testsupport::TempDir dir;
    Program first({}, dir.File("first.err"));
    ASSERT_TRUE(WaitForFile(Olvarn::SingleInstance::SocketPath("TamberloMutex")));
    Program saver({"-screensaver"}, dir.File("saver.err"));
    ASSERT_TRUE(saver.WaitUntilCatching(SIGINT)) << ReadAll(dir.File("saver.err"));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_TRUE(saver.Running()) << ReadAll(dir.File("saver.err"));
    saver.Signal(SIGINT);
    first.Signal(SIGTERM);
    EXPECT_EQ(saver.Wait(), 0);
    EXPECT_EQ(first.Wait(), 0);
}

TEST(Program, FailuresExitNonZero)
{
    struct Case {
        std::vector<std::string> args;
        std::vector<std::pair<std::string, std::string>> env;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{"-bogus"}, {}, "Invalid Command Line Param: -bogus"},
        {{"-play", "", "-x"}, {}, "Invalid Command Line Param: -x"},
        {{"-play"}, {}, "olvarnapp.dmo"},
        {{}, {{"SDL_VIDEODRIVER", "no-such-driver"}}, "Failed to start the display"},
    };
    testsupport::TempDir dir;
    for (const Case& c : cases) {
        Program program(c.args, dir.File("err"), c.env);
        EXPECT_EQ(program.Wait(), 1) << c.message;
        EXPECT_NE(ReadAll(dir.File("err")).find(c.message), std::string::npos) << ReadAll(dir.File("err"));
    }
}
