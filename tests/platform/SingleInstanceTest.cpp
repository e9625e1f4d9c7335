// The single-instance lock and its notice, within one process (two locks conflict there too) and
// across two real processes.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include "platform/SingleInstance.h"

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
