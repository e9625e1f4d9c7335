// A save survives the program being killed at any moment: a child process saves in a loop and
// is killed with SIGKILL at random times; after each kill the file loads whole, old or new.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "SaveFixtures.h"
#include "support/TempDir.h"

using namespace tilvan;
using namespace savefixtures;

TEST(KillDuringSave, EveryKillLeavesAWholeSave)
{
    RegisterSaveFixtures();
    // A process killed mid-save leaves the page cache intact, so memory-backed files show the same
    // atomicity as a disk and spare the test the disk's flush times.
    std::string folder = "/dev/shm/tamberlo-kill-XXXXXX";
    if (!mkdtemp(&folder[0]))
        folder.clear();
    testsupport::TempDir fallback;
    const std::string path = (folder.empty() ? fallback.Path() : folder) + "/saves/game.xml";
    struct Cleanup {
        std::string folder;
        ~Cleanup()
        {
            if (!folder.empty())
                std::filesystem::remove_all(folder);
        }
    } cleanup{folder};
    Root versions[2] = {MakeGraph(30), MakeGraph(31)};
    versions[1].title = "the newer game";
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(save::WriteSaveFile(path, versions[0]));
    // How long one save takes here: the kills land anywhere inside one.
    const long saveMicros =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start).count() + 200;

    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7FFF;
    };
    int seen[2] = {0, 0};
    const int kills = 200;
    for (int i = 0; i < kills; ++i) {
        int done[2];
        ASSERT_EQ(pipe(done), 0);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(done[0]);
            // Saves the newer and the older version in turn and says when each one is in place.
            for (int n = 1;; ++n) {
                save::WriteSaveFile(path, versions[n % 2]);
                if (write(done[1], "x", 1) != 1)
                    _exit(1);
            }
        }
        close(done[1]);
        // Half the kills come during the first save, half during the second, once the first is in.
        bool saved = true;
        if (next() % 2) {
            char byte;
            saved = read(done[0], &byte, 1) == 1;
        }
        long micros = static_cast<long>(next()) * saveMicros / 0x8000;
        timespec pause{micros / 1000000, micros % 1000000 * 1000};
        nanosleep(&pause, nullptr);
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        close(done[0]);
        ASSERT_TRUE(saved) << "the saving process stopped by itself";

        Root loaded;
        std::string error;
        ASSERT_EQ(save::LoadSaveFile(path, loaded, &error), save::ESaveLoad::Loaded) << "kill " << i << ": " << error;
        if (loaded == versions[0])
            ++seen[0];
        else if (loaded == versions[1])
            ++seen[1];
        else
            FAIL() << "kill " << i << " left a save that is neither version";
    }
    // Both versions turned up, so the kills did land while saves were being replaced.
    EXPECT_GT(seen[0], 0);
    EXPECT_GT(seen[1], 0);

    // The next save replaces the file whole. A killed writer's temporary cannot be told from a live
    // one's until it is old, so it may stay (the platform's writer sweeps its own stale ones); nothing
    // else is left beside the save.
    ASSERT_TRUE(save::WriteSaveFile(path, versions[0]));
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(path).parent_path())) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "game.xml" || name.rfind("game.xml.", 0) == 0) << name;
    }
    Root loaded;
    ASSERT_EQ(save::LoadSaveFile(path, loaded, nullptr), save::ESaveLoad::Loaded);
    EXPECT_TRUE(loaded == versions[0]);
}
