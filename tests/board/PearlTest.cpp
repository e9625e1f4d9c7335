#include <gtest/gtest.h>

#include "BoardFixture.h"
#include "board/CPearl.h"
#include "board/CPearlCreator.h"

using namespace tilvan;

namespace
{
struct PearlEvents : CBoardEvents {
    int creations = 0;
    void OnPearlCreation(int) override { ++creations; }
};
} // namespace

TEST(PearlCreator, OnePearlLevelPerBlock)
{
    struct Case {
        int count, cycle;
        std::vector<int> bonus;                  // bonus levels
        std::vector<std::pair<int, int>> blocks; // each must hold exactly one pearl level
        size_t total;
    } cases[] = {
        {30, 10, {}, {{0, 10}, {10, 20}, {20, 30}}, 3},
        {25, 10, {}, {{0, 10}, {10, 20}, {20, 25}}, 3},
        {20, 10, {10, 11, 12, 13, 14, 15, 16, 17, 18, 19}, {{0, 10}}, 1},       // an all-bonus block gets none
        {20, 10, {10, 11, 12, 13, 14, 16, 17, 18, 19}, {{0, 10}, {15, 16}}, 2}, // the one ordinary level
        {0, 3, {}, {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << " levels, cycle " << c.cycle);
        std::vector<bool> bonus(c.count, false);
        for (int b : c.bonus)
            bonus[b] = true;
        CPearlCreator::SetCycle(c.cycle);
        for (int seed = 1; seed < 40; ++seed) {
            Olvarn::ThreadRandom().Seed(seed);
            CPearlCreator creator(bonus);
            EXPECT_EQ(creator.GetLevels().size(), c.total);
            for (auto [from, to] : c.blocks) {
                int n = 0;
                for (int l = from; l < to; ++l)
                    n += creator.IsPearlLevel(l);
                EXPECT_EQ(n, 1) << from;
            }
            for (int l : creator.GetLevels())
                EXPECT_FALSE(bonus[l]);
        }
    }
    CPearlCreator::SetCycle(1);
}

TEST(PearlCreator, CycleBelowOneIsRefused)
{
    EXPECT_THROW(CPearlCreator::LoadConfig({{{"cycle", "0"}}}), std::runtime_error);
    EXPECT_THROW(CPearlCreator::LoadConfig({{{"cycle", ""}}}), std::runtime_error);
    CPearlCreator::LoadConfig({{{"cycle", "4"}}});
    EXPECT_EQ(CPearlCreator::GetCycle(), 4);
    CPearlCreator::LoadConfig({});
    EXPECT_EQ(CPearlCreator::GetCycle(), 4);
    CPearlCreator::SetCycle(1);
}

TEST(Pearl, LifeFadeAndCreationHook)
{
    PearlEvents events;
    SetBoardEvents(&events);
    CPearl waiting;
    waiting.Update(20000);
    EXPECT_FALSE(waiting.IsDead()); // not shown: its time does not run
    CPearl p;
    p.SetShown(true);
    EXPECT_EQ(CPearl::FadeAlpha(p.GetTime()), 0);
    p.Update(499);
    EXPECT_EQ(events.creations, 0);
    p.Update(2); // below 9500
    EXPECT_EQ(events.creations, 1);
    EXPECT_EQ(CPearl::FadeAlpha(p.GetTime()), -1);
    p.Update(1000);
    EXPECT_EQ(events.creations, 1);
    struct Fade {
        float t;
        int alpha;
    } fades[] = {{10000, 0}, {9750, 127}, {9500, -1}, {5000, -1}, {499, 254}, {250, 127}, {0, 0}};
    for (const auto& f : fades)
        EXPECT_EQ(CPearl::FadeAlpha(f.t), f.alpha) << f.t;
    p.Update(9000);
    EXPECT_TRUE(p.IsDead());
    EXPECT_FALSE(p.IsShown());
    // One long update both dies and announces.
    CPearl q;
    q.SetShown(true);
    q.Update(10001);
    EXPECT_TRUE(q.IsDead());
    EXPECT_EQ(events.creations, 2);
    SetBoardEvents(nullptr);
}
