// The player's files survive the program being killed at any moment: a child saves in a loop and is
// killed with SIGKILL; after each kill the file loads whole, the old version or the new.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <functional>

#include "RecordsFixture.h"
#include "data/SaveFixtures.h"
#include "records/CProfiles.h"
#include "records/CRecords.h"

using namespace tilvan;

namespace
{
// Runs save(n) in a child until it is killed at a varying moment, then check() must hold.
void KillWhileSaving(const std::function<void(int)>& save, const std::function<void()>& check, int kills)
{
    uint32_t seed = 2026;
    for (int i = 0; i < kills; ++i) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int n = 1;; ++n)
                save(n);
        }
        seed = seed * 1103515245u + 12345u;
        long micros = 200 + (seed >> 16) % 4000;
        timespec pause{0, micros * 1000};
        nanosleep(&pause, nullptr);
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        SCOPED_TRACE("kill " + std::to_string(i));
        check();
        if (::testing::Test::HasFailure())
            return;
    }
}
} // namespace

using KillDuringSave = RecordsFolder;

TEST_F(KillDuringSave, ProfilesFile)
{
    {
        CProfiles first;
        first.AddProfile("n0", true);
        ASSERT_EQ(first.Save(), 0);
    }
    KillWhileSaving(
        [](int n) {
            CProfiles profiles(false);
            for (int i = 0; i < 40; ++i)
                profiles.AddProfile("n" + std::to_string(n % 2), true);
            profiles.Save();
        },
        [] {
            CProfiles loaded;
            EXPECT_TRUE(loaded.LoadProblem().empty());
            ASSERT_NE(loaded.GetCurrentProfile(), nullptr);
            EXPECT_TRUE(loaded.GetCount() == 1 || loaded.GetCount() == 40);
        },
        60);
}

TEST_F(KillDuringSave, RecordsFile)
{
    {
        CRecords first("P", false);
        ASSERT_EQ(first.Save(), 0);
    }
    KillWhileSaving(
        [](int n) {
            CRecords records("P", false);
            CProfile p("x");
            for (int i = 0; i < 60; ++i)
                records.AddResult(p, n % 2 ? 1000 + i : 1, 0, 1);
            records.Save();
        },
        [] {
            CRecords loaded("P");
            EXPECT_TRUE(loaded.LoadProblem().empty());
            int score = loaded.local[0].score;
            EXPECT_TRUE(score == 0 || score == 1 || score == 1059) << score;
        },
        60);
}

TEST_F(KillDuringSave, SavedGame)
{
    savefixtures::RegisterSaveFixtures();
    savefixtures::Root versions[2] = {savefixtures::MakeGraph(30), savefixtures::MakeGraph(31)};
    versions[1].title = "the newer game";
    CProfiles profiles(false);
    CProfile* p = profiles.AddProfile("Ann", true);
    ASSERT_TRUE(profiles.SaveGame(versions[0]));
    KillWhileSaving([&](int n) { profiles.SaveGame(versions[n % 2]); },
                    [&] {
                        savefixtures::Root loaded;
                        ASSERT_TRUE(p->LoadGame(loaded));
                        EXPECT_TRUE(loaded == versions[0] || loaded == versions[1]);
                    },
                    60);
}
