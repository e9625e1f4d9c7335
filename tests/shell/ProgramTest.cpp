// The game as a process on a copy of its data set: the hand-over after loading, a clean end on a
// termination signal, and the refusal of changed property files.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "data/DataChecksum.h"
#include "platform/SingleInstance.h"
#include "support/GameDataSet.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace
{

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteAll(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// The laid-out game, signed again when the copy had to add a file.
class DataSet : public testsupport::GameDataSet
{
public:
    DataSet()
    {
        if (Unsigned()) {
            Sign();
            WriteAll(Path("game.ini"), "[debug]\r\nno_check=0\r\n");
        }
    }

    // Records the checksums of the property files as they are now.
    void Sign()
    {
        std::string sig = "[crc]\r\n";
        for (const auto& entry : fs::directory_iterator(Path("properties"))) {
            std::string bytes = ReadAll(entry.path().string());
            uint32_t sum = tilvan::Checksum(bytes.size(), reinterpret_cast<const unsigned char*>(bytes.data()));
            sig += entry.path().filename().string() + "=" + std::to_string(sum) + "\r\n";
        }
        WriteAll(Path("xml.sig"), sig);
    }
};

class Game
{
public:
    explicit Game(const DataSet& data) : mOut(data.Path("out.txt")), mErr(data.Path("err.txt"))
    {
        std::string program = data.Path("tamberlo");
        mPid = fork();
        if (mPid == 0) {
            dup2(open(mOut.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
            dup2(open(mErr.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
            execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~Game()
    {
        if (mPid > 0 && !mDone) {
            kill(mPid, SIGKILL);
            waitpid(mPid, nullptr, 0);
        }
    }
    // The exit code, or -1 when it did not end in time.
    int Wait(int ms = 20000)
    {
        for (int waited = 0; waited < ms; waited += 10) {
            int status = 0;
            if (waitpid(mPid, &status, WNOHANG) == mPid) {
                mDone = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }
    bool WaitForOutput(const std::string& text, int ms = 20000)
    {
        for (int waited = 0; waited < ms; waited += 10) {
            if (ReadAll(mOut).find(text) != std::string::npos)
                return true;
            int status = 0;
            if (waitpid(mPid, &status, WNOHANG) == mPid) {
                mDone = true;
                return ReadAll(mOut).find(text) != std::string::npos;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    void Terminate() { kill(mPid, SIGTERM); }
    std::string Out() const { return ReadAll(mOut); }
    std::string Err() const { return ReadAll(mErr); }

private:
    std::string mOut, mErr;
    pid_t mPid = -1;
    bool mDone = false;
};

const char* kRefusal = "Some files are modified or missing. Game will not run. Try to re-install the game.";

} // namespace

TEST(Program, LoadsEverythingHandsOverAndEndsCleanlyOnSigterm)
{
    DataSet data;
    Game game(data);
    ASSERT_TRUE(game.WaitForOutput("Loading finished")) << game.Out() << game.Err();
    EXPECT_EQ(game.Err().find("[Error"), std::string::npos) << game.Err();
    game.Terminate();
    EXPECT_EQ(game.Wait(), 0) << game.Err();
}

TEST(Program, AChangedPropertyFileIsRefusedUnlessTheCheckIsSwitchedOff)
{
    DataSet data;
    WriteAll(data.Path("properties/gui.xml"), ReadAll(data.Path("properties/gui.xml")) + " ");
    {
        Game game(data);
        EXPECT_EQ(game.Wait(), 1);
        EXPECT_NE(game.Err().find(kRefusal), std::string::npos) << game.Err();
        EXPECT_EQ(game.Out().find("Loading finished"), std::string::npos);
    }
    WriteAll(data.Path("game.ini"), "[debug]\r\nno_check=1\r\n");
    {
        Game game(data);
        ASSERT_TRUE(game.WaitForOutput("Loading finished")) << game.Err();
        game.Terminate();
        EXPECT_EQ(game.Wait(), 0);
    }
}

TEST(Program, AMissingRequiredPropertyFileEndsWithItsErrorAndANonZeroCode)
{
    DataSet data;
    fs::remove(data.Path("properties/data.xml"));
    WriteAll(data.Path("game.ini"), "[debug]\r\nno_check=1\r\nlog=1\r\n");
    Game game(data);
    EXPECT_EQ(game.Wait(), 1);
    EXPECT_NE(game.Err().find("[Error] Unable to load XML document into the parser"), std::string::npos) << game.Err();
    // With "log" set the log went to output.txt beside the program.
    EXPECT_NE(ReadAll(data.Path("output.txt")).find("Resource Loading Time"), std::string::npos);
}

TEST(Program, ClosingWhileTheResourcesLoadEndsCleanlyWithoutHandingOver)
{
    DataSet data;
    Game game(data);
    // The single-instance socket appears early in the start, before the loading groups begin.
    std::string socket = Olvarn::SingleInstance::SocketPath("TamberloMutex");
    for (int waited = 0; waited < 10000 && !fs::exists(socket); waited += 5)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_TRUE(fs::exists(socket)) << game.Err();
    game.Terminate();
    EXPECT_EQ(game.Wait(5000), 0) << game.Err();
    EXPECT_EQ(game.Out().find("Loading finished"), std::string::npos);
}
