// The texts exchanged with the score server: the submission byte for byte, the body, the reply
// with its bounds, and the server's reading of a submission.
#include <gtest/gtest.h>

#include "data/DataCodecs.h"
#include "records/RecordsExchange.h"
#include "support/TempDir.h"

using namespace tilvan;
using namespace tilvan::records;

namespace
{
CRecord Result(const std::string& name, int score, uint64_t date, bool sent = false)
{
    CRecord r;
    r.name = name;
    r.score = score;
    r.date = date;
    r.sended = sent;
    return r;
}

const uint64_t kNow = 133000000000000000ull;
} // namespace

TEST(Submission, TextOfQueueAndLocalTable)
{
    std::list<CRecord> queue = {Result("Ann", 700, kNow - 30 * kMinuteTicks), Result("Old", 600, kNow - 2 * kDayTicks),
                                Result("Fut", 50, kNow + 5)};
    queue.front().star_medal = 2;
    queue.front().fish_medal = 3;
    queue.front().sun_medal = 1;
    queue.front().crown = true;
    PruneQueue(queue, kNow);
    ASSERT_EQ(queue.size(), 2u);
    EXPECT_EQ(queue.back().date, kNow) << "a future date becomes now";

    std::vector<CRecord> local(10, CRecord::Placeholder("Player"));
    local[0] = Result("Bo", 900, kNow);
    local[1] = Result("Bo", 800, kNow);
    local[2] = Result("Cy", 100, kNow, true);
    std::string text = BuildSubmissionText(queue, local, kNow);
    EXPECT_EQ(text, "2\nAnn\n700\n2\n3\n1\n1\n30\nFut\n50\n0\n0\n0\n0\n0\n"
                    "3\nBo\n900\n0\n0\n0\n0\n");

    CSubmission read;
    ASSERT_TRUE(ParseSubmissionText(text, read));
    ASSERT_EQ(read.queued.size(), 2u);
    EXPECT_EQ(read.queued[0].age_minutes, 30);
    EXPECT_TRUE(read.queued[0].crown);
    ASSERT_EQ(read.best.size(), 1u);
    EXPECT_EQ(read.best[0].score, 900);
}

TEST(Submission, BodyBytes)
{
    // 48 bytes give 64 base64 characters and a line break after them.
    std::string text(48, 'A');
    std::string body = EncodeSubmissionBody(text);
    ASSERT_EQ(body.size(), 5u + 64 + 2);
    EXPECT_EQ(body.substr(0, 5), "Data=");
    EXPECT_EQ(body.substr(body.size() - 2), "\r\n");
    // 'A' ^ 0x3A is '{'; "{{{" is "e3t7" in base64.
    EXPECT_EQ(body.substr(5, 8), "e3t7e3t7");

    std::string small = EncodeSubmissionBody("0\n0\n");
    std::string scrambled = "0\n0\n";
    for (char& c : scrambled)
        c ^= 0x3A;
    EXPECT_EQ(small, "Data=" + Base64EncodeString(scrambled));

    for (const std::string& sample : {text, std::string("0\n0\n"), std::string("1\nA+/=\n5\n\xff\n")}) {
        std::string back;
        ASSERT_TRUE(DecodeSubmissionBody(EncodeSubmissionBody(sample), back));
        EXPECT_EQ(back, sample);
    }
    std::string unused;
    EXPECT_FALSE(DecodeSubmissionBody("Name=x", unused));
    EXPECT_FALSE(DecodeSubmissionBody("Data=" + std::string(kMaxExchangeBytes, 'A'), unused));
}

TEST(Submission, ServerRefusesWhatItCannotHold)
{
    struct Case {
        const char* what;
        std::string text;
        bool ok;
        size_t best;
    } cases[] = {
        {"groups read past the count line", "0\n9\na\n1\n0\n0\n0\n0\nb\n2\n0\n0\n0\n1\n", true, 2},
        {"count line alone", "0\n0\n", true, 0},
        {"queue count over 100", "101\n", false, 0},
        {"negative queue count", "-1\n", false, 0},
        {"name over 64 bytes", "0\n1\n" + std::string(65, 'n') + "\n1\n0\n0\n0\n0\n", false, 0},
        {"group cut short", "0\n1\na\n1\n", false, 0},
        {"number with garbage", "0\n1\na\n1x\n0\n0\n0\n0\n", false, 0},
        {"number beyond int", "0\n1\na\n99999999999\n0\n0\n0\n0\n", false, 0},
        {"empty", "", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CSubmission s;
        EXPECT_EQ(ParseSubmissionText(c.text, s), c.ok);
        if (c.ok) {
            EXPECT_EQ(s.best.size(), c.best);
        }
    }
    std::string many = "0\n0\n";
    for (int i = 0; i < 101; ++i)
        many += "a\n1\n0\n0\n0\n0\n";
    CSubmission s;
    EXPECT_FALSE(ParseSubmissionText(many, s));
}

TEST(Reply, FillsTheAnnouncedEntries)
{
    std::vector<CRecord> daily(100, CRecord::Placeholder("P")), global(100, CRecord::Placeholder("P"));
    daily[0].sended = true;
    daily[0].date = 77;
    std::vector<CSubmittedResult> top = {{"Ann", 900, 1, 2, 3, true}, {"Bo", 800, 0, 0, 0, false}};
    std::string reply = FormatRecordsReply(top, {});
    EXPECT_EQ(reply, "2\nAnn\n900\n1\n2\n3\n1\nBo\n800\n0\n0\n0\n0\n0\n");
    ASSERT_TRUE(ParseRecordsReply(reply, daily, global));
    EXPECT_EQ(daily[0].name, "Ann");
    EXPECT_EQ(daily[0].fish_medal, 2);
    EXPECT_TRUE(daily[0].crown);
    EXPECT_FALSE(daily[0].generated);
    EXPECT_EQ(daily[0].date, 77u) << "date and sent flag stay";
    EXPECT_TRUE(daily[0].sended);
    EXPECT_EQ(daily[1].score, 800);
    EXPECT_TRUE(daily[2].generated);
    EXPECT_TRUE(global[0].generated);
}

TEST(Reply, BoundsAndDamage)
{
    struct Case {
        const char* what;
        std::string reply;
        bool ok;
        std::string firstName;
        int firstScore;
    } cases[] = {
        {"CR LF lines", "1\r\nAnn\r\n5\r\n0\r\n0\r\n0\r\n1\r\n0\r\n", true, "Ann", 5},
        {"short reply reads empty lines", "2\nAnn\n5\n", true, "Ann", 5},
        {"huge name is cut", "1\n" + std::string(300, 'n') + "\n5\n0\n0\n0\n0\n0\n", true, std::string(64, 'n'), 5},
        {"overflowing score saturates", "1\nA\n99999999999999999999\n0\n0\n0\n0\n0\n", true, "A", INT32_MAX},
        {"daily count over 100", "101\n", false, "P", 0},
        {"global count over 100", "0\n1000000\n", false, "P", 0},
        {"negative count", "-5\n", false, "P", 0},
        {"over 64 KiB", "0\n0\n" + std::string(kMaxExchangeBytes, '\n'), false, "P", 0},
        {"garbage reads as zero entries", "<html>oops</html>", true, "P", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<CRecord> daily(100, CRecord::Placeholder("P")), global(100, CRecord::Placeholder("P"));
        EXPECT_EQ(ParseRecordsReply(c.reply, daily, global), c.ok);
        EXPECT_EQ(daily[0].name, c.firstName);
        EXPECT_EQ(daily[0].score, c.firstScore);
    }
}
