// The atomic file writer: the player's other files in the folder survive a save, and only the
// writer's own left-over temporaries are swept.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/AtomicFile.h"
#include "support/TempDir.h"

using namespace Olvarn;

namespace
{

// Sets a file's times an hour back, as if a killed writer had left it long ago.
void AgeFile(const std::string& path)
{
    struct timeval now {
    };
    ::gettimeofday(&now, nullptr);
    struct timeval times[2] = {now, now};
    times[0].tv_sec -= 3600;
    times[1].tv_sec -= 3600;
    ASSERT_EQ(::utimes(path.c_str(), times), 0) << path;
}

bool Exists(const std::string& path)
{
    return std::filesystem::exists(path);
}

} // namespace

TEST(AtomicFile, TheSavedBytesReplaceTheOldFile)
{
    testsupport::TempDir dir;
    dir.WriteFile("profiles.xml", "old");
    std::string error = "stale";
    ASSERT_TRUE(WriteFileAtomically(dir.File("profiles.xml"), "new bytes", &error)) << error;
    EXPECT_TRUE(error.empty());
    EXPECT_EQ(dir.ReadFile("profiles.xml"), "new bytes");
    // Nothing but the saved file is left in the folder.
    size_t count = 0;
    for ([[maybe_unused]] auto& entry : std::filesystem::directory_iterator(dir.Path()))
        ++count;
    EXPECT_EQ(count, 1u);
}

TEST(AtomicFile, ThePlayersOwnFilesBesideASaveSurviveHoweverOld)
{
    testsupport::TempDir dir;
    // Names that look like "<save>." plus six letters or digits, and other copies a player keeps.
    const std::vector<std::string> kept = {"profiles.xml.backup", "profiles.xml.old123", "profiles.xml.orig00",
                                           "settings.backup",     "settings.ABCDEF",     "profiles.xml.olvarn-tmp"};
    for (const std::string& name : kept) {
        dir.WriteFile(name, name);
        AgeFile(dir.File(name));
    }
    ASSERT_TRUE(WriteFileAtomically(dir.File("profiles.xml"), "a"));
    ASSERT_TRUE(WriteFileAtomically(dir.File("settings"), "b"));
    for (const std::string& name : kept) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(Exists(dir.File(name)));
        EXPECT_EQ(dir.ReadFile(name), name);
    }
}

TEST(AtomicFile, OnlyUnlockedTemporariesOfTheSameFileAreSwept)
{
    testsupport::TempDir dir;
    const std::string marker = kTemporaryMarker;
    struct Case {
        std::string name;
        bool old;
        bool locked;
        bool swept;
    };
    const std::vector<Case> cases = {
        {"profiles.xml" + marker + "a1B2c3", true, false, true},  // left by a writer killed long ago
        {"profiles.xml" + marker + "d4E5f6", false, false, true}, // left by a writer killed just now
        {"profiles.xml" + marker + "g7H8i9", false, true, false}, // a writer in another process
        {"profiles.xml" + marker + "p1Q2r3", true, true, false},  // a slow one
        {"settings" + marker + "j1K2l3", true, false, false},     // another file's temporary
        {"profiles.xml" + marker + "m4N5o", true, false, false},  // not a name of ours
    };
    std::vector<int> locks;
    for (const Case& c : cases) {
        dir.WriteFile(c.name, "partial");
        if (c.old)
            AgeFile(dir.File(c.name));
        if (c.locked) {
            int fd = ::open(dir.File(c.name).c_str(), O_RDONLY | O_CLOEXEC);
            ASSERT_GE(fd, 0);
            ASSERT_EQ(::flock(fd, LOCK_EX), 0);
            locks.push_back(fd);
        }
    }
    // The lock is held through an open file of this process; the sweep opens its own and so
    // sees it held, as it would for a writer in another process.
    ASSERT_TRUE(WriteFileAtomically(dir.File("profiles.xml"), "saved"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Exists(dir.File(c.name)), !c.swept);
    }
    for (int fd : locks)
        ::close(fd);
    EXPECT_EQ(dir.ReadFile("profiles.xml"), "saved");
}

TEST(AtomicFile, TwoProcessesSavingOneFileNeverLoseTheirTemporaries)
{
    testsupport::TempDir dir;
    const std::string path = dir.File("settings");
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        for (int i = 0; i < 300; ++i)
            if (!WriteFileAtomically(path, std::string(4096, 'c')))
                _exit(1);
        _exit(0);
    }
    int failures = 0;
    for (int i = 0; i < 300; ++i)
        failures += !WriteFileAtomically(path, std::string(4096, 'p'));
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(failures, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the other process's saves failed";
    const std::string saved = dir.ReadFile("settings");
    EXPECT_TRUE(saved == std::string(4096, 'c') || saved == std::string(4096, 'p'));
}
