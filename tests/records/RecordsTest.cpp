// The record tables: entering results, medal counts, and the records file with odd contents.
#include <gtest/gtest.h>

#include "RecordsFixture.h"
#include "data/DataCodecs.h"
#include "records/CProfile.h"
#include "records/CRecords.h"

using namespace tilvan;

using RecordsTest = RecordsFolder;

namespace
{
std::vector<int> Scores(const std::vector<CRecord>& table)
{
    std::vector<int> scores;
    for (const CRecord& r : table)
        scores.push_back(r.score);
    return scores;
}
} // namespace

TEST_F(RecordsTest, ResultsEnterInOrder)
{
    CRecords records("Player");
    CProfile ann("Ann"), bo("Bo");
    EXPECT_EQ(records.AddResult(ann, 0, 0, 1), -1) << "0 against placeholders";
    EXPECT_EQ(records.AddResult(ann, 500, 0, 1), 1);
    EXPECT_EQ(records.AddResult(bo, 500, 0, 2), 2) << "behind the equal score";
    EXPECT_EQ(records.AddResult(bo, 900, 0, 3), 1);
    EXPECT_EQ(records.last_record, 1);
    ASSERT_EQ(records.local.size(), 10u);
    EXPECT_EQ(records.local[1].name, "Ann");
    EXPECT_EQ(records.local[2].name, "Bo");
    EXPECT_TRUE(records.local[3].generated);
    EXPECT_EQ(records.local[3].name, "Player");
    ASSERT_EQ(records.send_records.size(), 4u);
    std::vector<int> queued;
    for (const CRecord& r : records.send_records)
        queued.push_back(r.score);
    EXPECT_EQ(queued, (std::vector<int>{900, 500, 500, 0}));

    for (int i = 0; i < 7; ++i)
        records.AddResult(ann, 100 + i, 0, 4);
    EXPECT_EQ(records.local[9].score, 100);
    EXPECT_EQ(records.AddResult(ann, 100, 0, 5), -1) << "equal to the tenth";
    EXPECT_EQ(records.send_records.size(), 12u);

    records.ClearLocalRecords();
    EXPECT_EQ(records.last_record, -1);
    EXPECT_EQ(Scores(records.local), std::vector<int>(10, 0));
    EXPECT_EQ(records.send_records.size(), 12u);
}

TEST_F(RecordsTest, MedalsAndCrownFromLevelResults)
{
    CProfile p("Ann");
    struct Level {
        int level;
        int bits;
    } results[] = {{0, CProfile::kFishMedal},
                   {1, CProfile::kStarMedal | CProfile::kSunMedal},
                   {1, CProfile::kFishMedal},
                   {3, CProfile::kSunMedal},
                   {7, 7}};
    for (const Level& l : results)
        p.AddMedals(l.level, l.bits);
    p.SetCrown();
    CRecords records("Player", false);
    // Level 7 lies beyond the level list and does not count.
    ASSERT_EQ(records.AddResult(p, 10, 5, 1), 1);
    const CRecord& r = records.local[0];
    EXPECT_EQ(r.fish_medal, 2);
    EXPECT_EQ(r.star_medal, 1);
    EXPECT_EQ(r.sun_medal, 2);
    EXPECT_TRUE(r.crown);
    EXPECT_FALSE(r.sended);
    // Every level asked for is listed.
    EXPECT_EQ(p.medals.count(4), 1u);
}

TEST_F(RecordsTest, FileRoundTrip)
{
    const std::string odd = "J\xF6rg \"<&>\" x";
    {
        CRecords records("Player");
        CProfile a(odd);
        records.AddResult(a, 300, 0, 0xFFFFFFFF80000001ull);
        records.AddResult(a, 200, 0, 0x123456789ull);
        ASSERT_EQ(records.Save(), 0);
    }
    CRecords loaded("Player");
    EXPECT_EQ(Scores(loaded.local), (std::vector<int>{300, 200, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(loaded.local[0].name, odd);
    EXPECT_EQ(loaded.local[0].date, 0xFFFFFFFF80000001ull);
    EXPECT_EQ(loaded.local[1].date, 0x123456789ull);
    EXPECT_EQ(loaded.last_record, 2);
    ASSERT_EQ(loaded.send_records.size(), 2u);
    EXPECT_EQ(loaded.send_records.front().score, 300);
}

TEST_F(RecordsTest, OddFilesGiveTenSortedEntries)
{
    const std::string header = "<?xml version=\"1.0\"?>\n<data>\n";
    auto row = [](int score) {
        return "<record name=\"" + Base64EncodeString("n" + std::to_string(score)) + "\" score=\"" +
               std::to_string(score) + "\"/>\n";
    };
    struct Case {
        const char* what;
        std::string text;
        bool parses;
        std::vector<int> scores;
        int last;
    } cases[] = {
        {"short and unsorted, rows naming nobody skipped",
         header + row(5) + row(50) + row(20) + "<records local=\"0 1 2 7  \" last_record=\"2\"/>\n</data>",
         true,
         {50, 20, 5, 0, 0, 0, 0, 0, 0, 0},
         -1},
        {"too long is cut",
         header + row(1) + row(2) + row(3) + row(4) + row(5) + row(6) + row(7) + row(8) + row(9) + row(10) + row(11) +
             "<records local=\"0 1 2 3 4 5 6 7 8 9 10  \" last_record=\"11\"/>\n</data>",
         true,
         {11, 10, 9, 8, 7, 6, 5, 4, 3, 2},
         -1},
        {"sorted keeps its last record",
         header + row(9) + row(3) + "<records local=\"0 1  \" last_record=\"2\"/>\n</data>",
         true,
         {9, 3, 0, 0, 0, 0, 0, 0, 0, 0},
         2},
        {"empty local list keeps the placeholders", header + "<records local=\" \" last_record=\"4\"/>\n</data>", true,
         std::vector<int>(10, 0), -1},
        {"no records row", header + row(9) + "</data>", false, {}, 0},
        {"garbage", "\x7f\x45LF", false, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CRecords records("P", false);
        std::string stored = c.text;
        XmlDataCrypt(stored);
        ASSERT_EQ(records.Parse(stored), c.parses);
        if (!c.parses)
            continue;
        EXPECT_EQ(Scores(records.local), c.scores);
        EXPECT_EQ(records.last_record, c.last);
    }
}
