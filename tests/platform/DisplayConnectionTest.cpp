// A lost X server ends the program through its orderly path instead of Xlib's exit().
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/Process.h"
#include "platform/Window.h"

namespace
{

bool HaveXvfb()
{
    return access("/usr/bin/Xvfb", X_OK) == 0;
}

// Waits up to the given time for the child; its wait status, or -1 when it did not end.
int WaitFor(pid_t pid, std::chrono::milliseconds limit)
{
    auto until = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (std::chrono::steady_clock::now() < until) {
        if (waitpid(pid, &status, WNOHANG) == pid)
            return status;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
}

} // namespace

TEST(DisplayConnection, ALostServerBecomesATerminationRequestAndTheWindowGoesWithoutWaiting)
{
    if (!HaveXvfb())
        GTEST_SKIP() << "no Xvfb";
    const std::string display = ":" + std::to_string(200 + getpid() % 300);
    pid_t server = fork();
    ASSERT_GE(server, 0);
    if (server == 0) {
        execl("/usr/bin/Xvfb", "Xvfb", display.c_str(), "-screen", "0", "320x240x24", "-nolisten", "tcp",
              static_cast<char*>(nullptr));
        _exit(127);
    }

    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(ready[0]);
        setenv("DISPLAY", display.c_str(), 1);
        setenv("SDL_VIDEODRIVER", "x11", 1);
        Olvarn::WindowSpec spec;
        spec.mTitle = "connection";
        spec.mWidth = 64;
        spec.mHeight = 48;
        spec.mShown = true;
        std::string error;
        std::unique_ptr<Olvarn::Window> window;
        // The server needs a moment before it takes connections.
        for (int i = 0; i < 100 && !window; ++i) {
            window = Olvarn::Window::Create(spec, error);
            if (!window)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        if (!window)
            _exit(10);
        if (write(ready[1], "r", 1) != 1)
            _exit(11);
        // Using the window notices the dead server; the request comes in place of exit().
        for (int i = 0; i < 500; ++i) {
            // A write on the dead connection: it must neither raise SIGPIPE nor exit.
            window->SetTitle("connection " + std::to_string(i));
            if (Olvarn::Process::TakeTerminationRequest()) {
                window.reset();
                _exit(0);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        _exit(12);
    }
    close(ready[1]);
    char byte = 0;
    ssize_t got = read(ready[0], &byte, 1);
    close(ready[0]);
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
    ASSERT_EQ(got, 1) << "the window was not made on the test's X server";

    int status = WaitFor(child, std::chrono::seconds(20));
    if (status == -1) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        FAIL() << "the program hung on the lost connection";
    }
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    // Xlib's own handler would have ended the process with 1, a write on the dead socket with SIGPIPE.
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
