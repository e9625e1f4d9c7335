// The statistics windows' count-ups: whole-number steps that always finish.
#include <gtest/gtest.h>

#include <climits>

#include "records/StatisticsCountUp.h"

using namespace tilvan;

TEST(CountUp, TimeLeftIntoScore)
{
    struct Case {
        const char* what;
        int timeLeft, speed;
        double k;
        int updates, points, ticks;
    } cases[] = {
        {"even steps", 2500, 1000, 0.5, 250, 1250, 0},
        {"two ticks", 9000, 2000, 0.0, 450, 0, 2},
        {"last step shorter", 2505, 1000, 1.0, 251, 2505, 0},
        {"negative time left finishes at once", -300, 1000, 1.0, 0, 0, 0},
        {"speed below 100 still moves", 30, 50, 1.0, 30, 30, 0},
        {"negative speed still moves", 3, -7, 1.0, 3, 3, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CTimeCountDown countDown(c.timeLeft, c.speed, c.k);
        int updates = 0, points = 0, ticks = 0;
        while (!countDown.IsDone() && updates < 100000) {
            CTimeCountDown::Step s = countDown.Update();
            points += s.points;
            ticks += s.tick ? 1 : 0;
            ++updates;
        }
        EXPECT_EQ(updates, c.updates);
        EXPECT_EQ(points, c.points);
        EXPECT_EQ(ticks, c.ticks);
        EXPECT_EQ(countDown.TimeLeft(), 0);
    }
}

TEST(CountUp, PearlsIntoScore)
{
    struct Case {
        const char* what;
        int pearls, speed;
        std::vector<int> firstUpdates;
        int updates;
    } cases[] = {
        {"one every second update", 3, 50, {0, 1, 0, 1, 0, 1}, 6},
        {"several in one update, never more than left", 5, 300, {3, 2}, 2},
        {"zero speed still finishes", 1, 0, {0, 0}, 100},
        {"huge speed", 4, INT_MAX, {4}, 1},
        {"no pearls", 0, 100, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CPearlCountUp count(c.pearls, c.speed);
        std::vector<int> seen;
        int updates = 0, converted = 0;
        while (!count.IsDone() && updates < 100000) {
            int n = count.Update();
            if (seen.size() < c.firstUpdates.size())
                seen.push_back(n);
            converted += n;
            ++updates;
        }
        EXPECT_EQ(seen, c.firstUpdates);
        EXPECT_EQ(updates, c.updates);
        EXPECT_EQ(converted, c.pearls);
    }
}
