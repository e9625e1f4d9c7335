// The determinism check: a framework program on scripted input is recorded, then replayed in a fresh
// process; the state hash of every update and the frame hash of every 100th must come out the same.
// The recordings kept under tests/demos replay in every run against the hashes stored beside them.
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

#include "platform/SettingsStore.h"
#include "support/GameDataSet.h"
#include "support/TempDir.h"

namespace
{

namespace fs = std::filesystem;

struct ProgramRun {
    int mExitCode = -1;
    std::string mErrors;
};

// Runs the program in the folder with the check file named; its exit code (-1 when it did not end
// in time or died of a signal) and its standard error.
// With fresh user folders the program meets no profiles, records or settings of an earlier run.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args, const std::string& folder,
                      const std::string& checkFile, bool freshUserFolders = false)
{
    if (freshUserFolders)
        for (const char* var : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
            fs::create_directories(folder + "/user/" + var);
    const std::string errFile = folder + "/stderr.txt";
    pid_t pid = fork();
    if (pid == 0) {
        if (chdir(folder.c_str()) != 0)
            _exit(126);
        int fd = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(fd, 2);
        int devnull = open("/dev/null", O_WRONLY);
        dup2(devnull, 1);
        if (!checkFile.empty())
            setenv("OLVARN_DEMO_CHECK", checkFile.c_str(), 1);
        if (freshUserFolders)
            for (const char* var : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
                setenv(var, (folder + "/user/" + var).c_str(), 1);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    ProgramRun run;
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (;;) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            run.mExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            break;
        }
        if (std::chrono::steady_clock::now() > end) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::ifstream in(errFile);
    std::stringstream text;
    text << in.rdbuf();
    run.mErrors = text.str();
    return run;
}

std::vector<std::string> Lines(const std::string& path)
{
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Empty when the replay matches; else where it first went another way.
std::string FirstDifference(const std::vector<std::string>& expected, const std::vector<std::string>& replayed)
{
    for (size_t i = 0; i < expected.size() && i < replayed.size(); ++i)
        if (expected[i] != replayed[i])
            return "update " + expected[i].substr(0, expected[i].find(' ')) + " differs: recorded \"" + expected[i] +
                   "\", replayed \"" + replayed[i] + "\"";
    if (expected.size() != replayed.size())
        return "the recording has " + std::to_string(expected.size()) + " hash lines, the replay " +
               std::to_string(replayed.size());
    return std::string();
}

std::string DemoProgram()
{
    return testsupport::BinaryDir() + "/tests/app/demo_program";
}

int CountFrames(const std::vector<std::string>& lines)
{
    int frames = 0;
    for (const std::string& line : lines)
        frames += line.find(" frame ") != std::string::npos;
    return frames;
}

} // namespace

TEST(DemoReplay, AScriptedRunReplaysIdenticallyInAFreshProcess)
{
    testsupport::TempDir dir;
    dir.WriteFile("demo_input.txt", "read while recording");
    dir.WriteFile("demo_config.txt", "read at the hand-over");
    ProgramRun record =
        RunProgram(DemoProgram(), {"record", dir.File("run.dmo"), "17"}, dir.Path(), dir.File("recorded.txt"));
    ASSERT_EQ(record.mExitCode, 0) << record.mErrors;
    std::vector<std::string> recorded = Lines(dir.File("recorded.txt"));
    ASSERT_GE(recorded.size(), 3000u);
    EXPECT_EQ(CountFrames(recorded), 30);

    // What the replay must take from the recording is gone or changed on this machine now.
    fs::remove(dir.File("demo_input.txt"));
    fs::remove(dir.File("demo_config.txt"));
    Olvarn::SettingsStore settings(Olvarn::SettingsStore::PathForKey("Olvarn\\DemoProgram"));
    settings.Load();
    settings.Set("Counter", Olvarn::SettingsStore::kDWord, reinterpret_cast<const unsigned char*>("\x39\x30\0\0"), 4);
    ASSERT_TRUE(settings.Save());

    ProgramRun play = RunProgram(DemoProgram(), {"play", dir.File("run.dmo")}, dir.Path(), dir.File("replayed.txt"));
    ASSERT_EQ(play.mExitCode, 0) << play.mErrors;
    EXPECT_EQ(FirstDifference(recorded, Lines(dir.File("replayed.txt"))), "");
    EXPECT_EQ(play.mErrors.find("out of step"), std::string::npos) << play.mErrors;

    // The replay's settings writes never reached this machine's settings.
    Olvarn::SettingsStore after(Olvarn::SettingsStore::PathForKey("Olvarn\\DemoProgram"));
    after.Load();
    Olvarn::SettingsStore::Value value;
    ASSERT_TRUE(after.Get("Counter", value));
    EXPECT_EQ(value.mData, std::vector<unsigned char>({0x39, 0x30, 0, 0}));
}

TEST(DemoReplay, KeptRecordingsReplayAsRecorded)
{
    const fs::path folder = fs::path(testsupport::SourceDir()) / "tests" / "demos";
    int replayed = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() != ".dmo")
            continue;
        // The file name says which program made it: "<program>-<name>.dmo".
        const std::string stem = entry.path().stem().string();
        const std::string program = stem.substr(0, stem.find('-'));
        ASSERT_TRUE(program == "demo_program" || program == "tamberlo") << "no runner for " << entry.path();
        fs::path hashes = entry.path();
        hashes.replace_extension(".hashes");
        ASSERT_TRUE(fs::exists(hashes)) << hashes;
        testsupport::TempDir dir;
        ProgramRun play;
        if (program == "tamberlo") {
            // The game plays from a copy of its own data set, as recordings of it are made.
            static testsupport::GameDataSet game;
            // Recorded by a new player: the replay starts as one, whatever ran before it here.
            play = RunProgram(game.Program(), {"-play", "-demofile=" + entry.path().string()}, dir.Path(),
                              dir.File("replayed.txt"), true);
        } else {
            play = RunProgram(DemoProgram(), {"play", entry.path().string()}, dir.Path(), dir.File("replayed.txt"));
        }
        ASSERT_EQ(play.mExitCode, 0) << entry.path() << "\n" << play.mErrors;
        EXPECT_EQ(FirstDifference(Lines(hashes.string()), Lines(dir.File("replayed.txt"))), "") << entry.path();
        std::ifstream in(entry.path(), std::ios::binary);
        testsupport::SaveFuzzSeed("demo", entry.path().filename().string(),
                                  std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
        ++replayed;
    }
    EXPECT_GE(replayed, 2);
}

TEST(DemoReplay, ADemoThatCannotBeLoadedEndsTheProgramWithAFailure)
{
    testsupport::TempDir dir;
    ProgramRun record = RunProgram(DemoProgram(), {"record", dir.File("good.dmo"), "3"}, dir.Path(), "");
    ASSERT_EQ(record.mExitCode, 0) << record.mErrors;
    std::ifstream in(dir.File("good.dmo"), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 40u);
    std::string otherVersion = bytes;
    otherVersion[14 + 12] = '9'; // "DemoProgram 1" becomes "DemoProgram 9"
    dir.WriteFile("truncated.dmo", bytes.substr(0, 20));
    dir.WriteFile("other.dmo", otherVersion);

    struct Case {
        std::string file;
        std::string message;
    };
    for (const Case& c : {Case{"missing.dmo", "Demo file not found: " + dir.File("missing.dmo")},
                          Case{"truncated.dmo", "Invalid demo file."},
                          Case{"other.dmo", "This demo file appears to be for 'DemoProgram 9'"}}) {
        ProgramRun play = RunProgram(DemoProgram(), {"play", dir.File(c.file)}, dir.Path(), "");
        EXPECT_EQ(play.mExitCode, 1) << c.file;
        EXPECT_NE(play.mErrors.find(c.message), std::string::npos) << play.mErrors;
    }
}
