// Runs one test of this program again in a fresh process, for checks that need a process of their
// own: the first use of a singleton, the one start-up registration, what exit leaves behind.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace testsupport
{

// The variable tells the child test that it is the one asked for (it skips itself otherwise).
inline int RunSelf(const std::string& test, const std::string& value)
{
    std::fflush(nullptr);
    pid_t child = fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        setenv("TAMBERLO_CHILD_TEST", value.c_str(), 1);
        std::string filter = "--gtest_filter=" + test;
        execl("/proc/self/exe", "test", filter.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// The value handed to this child test, or null when the test runs in the normal run.
inline const char* ChildTestValue()
{
    return std::getenv("TAMBERLO_CHILD_TEST");
}

} // namespace testsupport
