// The single-instance lock and its notice, within one process (two locks conflict there too) and
// across two real processes.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/SingleInstance.h"
#include "support/TempDir.h"

using Olvarn::SingleInstance;

TEST(SingleInstance, ASecondHolderIsRefusedAndItsNoticeArrives)
{
    SingleInstance first("Test Product/Mutex");
    ASSERT_EQ(first.Acquire(), SingleInstance::Result::First);
    EXPECT_EQ(first.PollNotices("NotifyX"), 0);

    SingleInstance second("Test Product/Mutex");
    EXPECT_EQ(second.Acquire(), SingleInstance::Result::AlreadyRunning);
    EXPECT_TRUE(second.Notify("NotifyX"));
    EXPECT_TRUE(second.Notify("something else"));
    EXPECT_TRUE(second.Notify("NotifyX"));
    EXPECT_EQ(first.PollNotices("NotifyX"), 2);
    EXPECT_EQ(first.PollNotices("NotifyX"), 0);
}

TEST(SingleInstance, TheLockIsFreeAgainOnceItsHolderIsGone)
{
    {
        SingleInstance first("ReleaseMutex");
        ASSERT_EQ(first.Acquire(), SingleInstance::Result::First);
    }
    SingleInstance again("ReleaseMutex");
    EXPECT_EQ(again.Acquire(), SingleInstance::Result::First);
    SingleInstance other("OtherMutex");
    EXPECT_EQ(other.Acquire(), SingleInstance::Result::First);
}

TEST(SingleInstance, NoticeWithNobodyRunningFails)
{
    SingleInstance lonely("NobodyMutex");
    EXPECT_FALSE(lonely.Notify("Notify"));
}

TEST(SingleInstance, AChildProcessSeesTheParentsLockAndReachesIt)
{
    SingleInstance parent("ForkMutex");
    ASSERT_EQ(parent.Acquire(), SingleInstance::Result::First);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // A fresh process: its own lock attempt must fail while the parent holds it.
        SingleInstance mine("ForkMutex");
        bool refused = mine.Acquire() == SingleInstance::Result::AlreadyRunning;
        bool told = mine.Notify("NotifyFork");
        _exit(refused && told ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(parent.PollNotices("NotifyFork"), 1);
}

namespace
{

// Sets (or, with null, unsets) an environment variable for one scope.
class ScopedEnv
{
public:
    ScopedEnv(const char* name, const char* value) : mName(name)
    {
        const char* old = std::getenv(name);
        mHad = old != nullptr;
        if (mHad)
            mOld = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (mHad)
            setenv(mName, mOld.c_str(), 1);
        else
            unsetenv(mName);
    }

private:
    const char* mName;
    std::string mOld;
    bool mHad = false;
};

mode_t ModeOf(const std::string& path)
{
    struct stat info {
    };
    return lstat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

} // namespace

TEST(SingleInstance, WithoutARuntimeFolderTheFilesGoToAFolderOfTheUsersOwn)
{
    testsupport::TempDir dir;
    ScopedEnv runtime("XDG_RUNTIME_DIR", nullptr);
    ScopedEnv tmp("TMPDIR", dir.Path().c_str());
    const std::string tmpFolder = dir.File("olvarn-" + std::to_string(geteuid()));
    struct Case {
        const char* name;
        std::string cache;  // XDG_CACHE_HOME
        std::string folder; // where the lock must be, "" for nowhere
        mode_t plantedMode; // a folder of that mode already at the /tmp place, 0 for none
    };
    dir.WriteFile("not-a-folder", "x");
    const Case cases[] = {
        {"the cache", dir.File("cache"), dir.File("cache/instances"), 0},
        {"tmp when the cache cannot be made", dir.File("not-a-folder/cache"), tmpFolder, 0},
        {"a planted open folder is refused", dir.File("not-a-folder/cache"), "", 0777},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(tmpFolder);
        if (c.plantedMode) {
            ASSERT_EQ(mkdir(tmpFolder.c_str(), 0700), 0);
            ASSERT_EQ(chmod(tmpFolder.c_str(), c.plantedMode), 0);
        }
        ScopedEnv cache("XDG_CACHE_HOME", c.cache.c_str());
        std::string lock = SingleInstance::LockPath("PlaceMutex");
        if (c.folder.empty()) {
            EXPECT_EQ(lock, "");
            SingleInstance refused("PlaceMutex");
            EXPECT_EQ(refused.Acquire(), SingleInstance::Result::Unavailable);
            continue;
        }
        EXPECT_EQ(lock, c.folder + "/PlaceMutex.lock");
        EXPECT_EQ(ModeOf(c.folder), 0700u);
        SingleInstance first("PlaceMutex");
        ASSERT_EQ(first.Acquire(), SingleInstance::Result::First);
        SingleInstance second("PlaceMutex");
        EXPECT_EQ(second.Acquire(), SingleInstance::Result::AlreadyRunning);
        EXPECT_TRUE(second.Notify("N"));
        EXPECT_EQ(first.PollNotices("N"), 1);
    }
}

TEST(SingleInstance, ALinkOrSomeoneElsesLockIsNeverOurRunningInstance)
{
    testsupport::TempDir dir;
    ScopedEnv runtime("XDG_RUNTIME_DIR", dir.Path().c_str());

    // A link at the lock's place is not followed: its target is neither made nor locked.
    ASSERT_EQ(symlink(dir.File("target").c_str(), SingleInstance::LockPath("LinkMutex").c_str()), 0);
    SingleInstance linked("LinkMutex");
    EXPECT_EQ(linked.Acquire(), SingleInstance::Result::Unavailable);
    EXPECT_FALSE(std::filesystem::exists(dir.File("target")));

    // A lock file of another user, held: the game goes on rather than exit as a second copy.
    std::string foreign = SingleInstance::LockPath("ForeignMutex");
    int fd = open(foreign.c_str(), O_RDWR | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    if (fchown(fd, 65534, 65534) != 0) {
        close(fd);
        GTEST_SKIP() << "giving a file to another user needs root";
    }
    ASSERT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
    SingleInstance mine("ForeignMutex");
    EXPECT_EQ(mine.Acquire(), SingleInstance::Result::Unavailable);
    close(fd);
}
