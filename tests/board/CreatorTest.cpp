#include <gtest/gtest.h>

#include <map>

#include "BoardFixture.h"
#include "board/CElementCreator.h"
#include "board/CGrid.h"
#include "board/CPipeline.h"

using namespace tilvan;

namespace
{

struct CreatorTest : ::testing::Test {
    void SetUp() override
    {
        boardtest::LoadTestTypes();
        Olvarn::ThreadRandom().Seed(12345);
        CElementCreator::Config() = CCreatorConfig{};
        CElementCreator::Config().must_lose_levels = 100;
        CElementCreator::Config().grid_full_percents = 2; // never boosted unless a test says so
    }
    std::vector<int> Weights(const CChanceTable& t)
    {
        std::vector<int> w;
        for (const auto& r : t.ranges)
            w.push_back(r.last - r.first + 1);
        return w;
    }
    boardtest::FlatWater water;
    CPipeline pipe{&water};
    CGrid grid;
    CElementCreator creator{&pipe, &grid};
    CCreatorPlayer player;
};

} // namespace

TEST_F(CreatorTest, TiltTable)
{
    struct Case {
        std::vector<int> weights;
        FPoint ab;
        bool applied;
        std::vector<int> expected;
    } cases[] = {
        {{50, 30, 20}, {0.1f, 0.05f}, true, {60, 35, 5}},
        {{50, 30, 20}, {0, 0}, true, {50, 30, 20}},
        {{50, 30, 20}, {0.2f, 0.1f}, false, {50, 30, 20}}, // would make the third weight negative
        {{50, 50}, {0.1f, 0.1f}, true, {60, 60}},          // nothing else to take from
        {{60, 40, 0}, {0.1f, 0}, false, {60, 40, 0}},      // the rest weighs 0: no ratio
        {{100}, {0.5f, 0.5f}, false, {100}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.ab.x << "," << c.ab.y);
        std::vector<int> ids;
        for (size_t i = 0; i < c.weights.size(); ++i)
            ids.push_back(1);
        CChanceTable t = MakeChanceTable(ids, c.weights, 0, "test");
        EXPECT_EQ(CElementCreator::Tilt(t, c.ab), c.applied);
        EXPECT_EQ(Weights(t), c.expected);
        EXPECT_EQ(t.ranges.front().first, 0);
        int sum = 0;
        for (int w : c.expected)
            sum += w;
        EXPECT_EQ(t.total, sum);
    }
}

TEST_F(CreatorTest, DropTablesNamingMissingTypesAreRefused)
{
    EXPECT_NO_THROW(MakeChanceTable({0, 1, 4}, {1, 1, 1}, 0, "config_drop row 0"));
    try {
        MakeChanceTable({1, 5}, {1, 1}, 0, "config_drop row 3");
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("config_drop row 3"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("element 5"), std::string::npos);
    }
    EXPECT_THROW(MakeChanceTable({1, 2}, {1}, 0, "x"), std::runtime_error);
    EXPECT_THROW(MakeChanceTable({1}, {1}, -1, "x"), std::runtime_error);
}

TEST_F(CreatorTest, LevelValuesThatWouldDivideByZeroAreRefused)
{
    CChanceTable t = MakeChanceTable({1}, {1}, 0, "t");
    struct Case {
        float interval, speed, gravity;
        bool ok;
    } cases[] = {{1000, 50, 10, true},  {0, 50, 10, false}, {1000, 0, 10, false},
                 {1000, 50, -1, false}, {-5, 50, 0, false}, {1000, 50, 0, true}};
    for (const auto& c : cases) {
        CCreatorLevel level{1, false, c.speed, c.gravity, c.interval, &t};
        if (c.ok)
            EXPECT_NO_THROW(ValidateCreatorLevel(level, "level 1"));
        else
            EXPECT_THROW(ValidateCreatorLevel(level, "level 1"), std::runtime_error);
    }
}

TEST_F(CreatorTest, DrawsFollowTheWeights)
{
    // Types 0..3 with weights 40, 30, 20, 10; with no piece made yet the filter has no history.
    CChanceTable t = MakeChanceTable({1, 2, 3, 4}, {40, 30, 20, 10}, 1, "t");
    creator.Begin(CCreatorLevel{1, false, 50, 10, 1000, &t}, player);
    std::map<int, int> counts;
    const int n = 20000;
    for (int i = 0; i < n; ++i)
        ++counts[creator.DrawType(creator.NormalTable())];
    const double expected[] = {0.4, 0.3, 0.2, 0.1};
    for (int type = 0; type < 4; ++type)
        EXPECT_NEAR(counts[type] / double(n), expected[type], 0.015) << type;
}

TEST_F(CreatorTest, CreationsFilterRepeatsAndReachThePipeline)
{
    // A heavily weighted first type: with max_repeat 1 runs of three need five equal draws in a row.
    CChanceTable t = MakeChanceTable({1, 2}, {90, 10}, 1, "t");
    creator.Begin(CCreatorLevel{1, false, 50, 10, 1000, &t}, player);
    std::map<int, int> counts;
    int run = 0, last = -1, longRuns = 0;
    const int n = 5000;
    for (int i = 0; i < n; ++i) {
        pipe.Reset();
        ASSERT_TRUE(creator.CreateElement(false));
        int type = pipe.GetElements().back()->element.GetId();
        // The random bonus asked for is drawn when the piece is made (none without the bonus table).
        EXPECT_NE(pipe.GetElements().back()->element.GetBonusKind(), 8);
        ++counts[type];
        run = type == last ? run + 1 : 1;
        last = type;
        if (run >= 3)
            ++longRuns;
        EXPECT_EQ(creator.LastElement(), type);
        EXPECT_EQ(creator.RepeatCount(), run - 1);
    }
    // P(third in a row) = 0.9^5 = 0.59 instead of 0.9: the filter changes the share of type 0.
    double share = counts[0] / double(n);
    EXPECT_GT(share, 0.75);
    EXPECT_LT(share, 0.85);
    EXPECT_GT(longRuns, 0);
    // The same seed gives the same run.
    Olvarn::ThreadRandom().Seed(12345);
    CElementCreator again(&pipe, &grid);
    again.Begin(CCreatorLevel{1, false, 50, 10, 1000, &t}, player);
    std::map<int, int> counts2;
    for (int i = 0; i < n; ++i) {
        pipe.Reset();
        again.CreateElement(false);
        ++counts2[pipe.GetElements().back()->element.GetId()];
    }
    EXPECT_EQ(counts, counts2);
}

TEST_F(CreatorTest, MaxRepeatZeroAndEmptyRanges)
{
    // Half the draws make nothing (element 0). After the first piece every repeat of its type is drawn
    // again, up to five draws, and an empty draw does not reset the history: a piece is made only when
    // all five draws land on it (1 in 32).
    CChanceTable t = MakeChanceTable({0, 1}, {50, 50}, 0, "t");
    creator.Begin(CCreatorLevel{1, false, 50, 10, 1000, &t}, player);
    int made = 0;
    for (int i = 0; i < 3200; ++i) {
        pipe.Reset();
        made += creator.CreateElement(false);
    }
    EXPECT_GT(made, 60);
    EXPECT_LT(made, 150);
    EXPECT_EQ(creator.LastElement(), 0);
}

TEST_F(CreatorTest, TimerAndRefusals)
{
    CChanceTable t = MakeChanceTable({1}, {1}, 10, "t");
    creator.Begin(CCreatorLevel{1, false, 50, 10, 1000, &t}, player);
    creator.Update(10); // empty pipeline: at once
    EXPECT_EQ(pipe.GetElements().size(), 1u);
    creator.Update(500);
    EXPECT_EQ(pipe.GetElements().size(), 1u);
    creator.Update(500);
    EXPECT_EQ(pipe.GetElements().size(), 2u);
    pipe.FadeOut(10); // refuses from now on: retried every update
    creator.Update(1000);
    EXPECT_TRUE(creator.SkippedCreation());
    creator.Update(10);
    EXPECT_TRUE(creator.SkippedCreation());
    EXPECT_FLOAT_EQ(creator.TimeLeft(), 1000);
    creator.SetEnabled(false);
    pipe.Reset();
    creator.Update(2000);
    EXPECT_TRUE(pipe.GetElements().empty());
}

TEST_F(CreatorTest, BoostedTableWhenBoardAndPipelineAreFull)
{
    // The drawn table is the one checked for weight: an empty boosted table makes nothing even
    // though the normal one has weight.
    CChanceTable t = MakeChanceTable({1, 2, 3}, {50, 30, 20}, 10, "t");
    auto& cfg = CElementCreator::Config();
    cfg.chance_boost = FPoint(0.1f, 0.05f);
    player.last_lost_level = player.level = 4;
    player.lost_count = 1;
    creator.Begin(CCreatorLevel{5, false, 50, 10, 1000, &t}, player);
    EXPECT_EQ(Weights(creator.NormalTable()), (std::vector<int>{50, 30, 20}));
    EXPECT_EQ(Weights(creator.BoostedTable()), (std::vector<int>{60, 35, 5}));
    player.lost_count = 3;
    cfg.chance_boost_2 = FPoint(0.1f, 0.05f);
    creator.Begin(CCreatorLevel{5, false, 50, 10, 1000, &t}, player);
    EXPECT_EQ(Weights(creator.NormalTable()), (std::vector<int>{60, 35, 5}));
    EXPECT_EQ(Weights(creator.BoostedTable()), (std::vector<int>{60, 35, 5}));
    // The lose tilt sets the player's flag, which keeps it on.
    cfg.must_lose_levels = 0;
    player = CCreatorPlayer{};
    creator.Begin(CCreatorLevel{5, false, 50, 10, 1000, &t}, player);
    EXPECT_TRUE(player.flags & kLoseBoostFlag);
}

TEST_F(CreatorTest, BonusLevelFillsTheFloatingRow)
{
    CPipeline::SetBonusElementVelocity(0);
    CChanceTable t = MakeChanceTable({2}, {1}, 10, "t");
    creator.Begin(CCreatorLevel{1, true, 50, 10, 1000, &t}, player);
    creator.Update(10);
    creator.Update(10);
    EXPECT_TRUE(pipe.GetElements().empty());
    ASSERT_EQ(pipe.GetBonusElements().size(), 2u);
    EXPECT_EQ(pipe.GetBonusElements().front().GetBonusKind(), 0);
}
