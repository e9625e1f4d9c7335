// Every reader of outside bytes here, fed seeded random and mangled inputs: none crashes, and what
// each lets through keeps its bounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "data/DataCodecs.h"
#include "records/CProfiles.h"
#include "records/CRecords.h"
#include "records/RecordsExchange.h"

using namespace tilvan;

namespace
{
class Mangler
{
public:
    uint32_t Next()
    {
        mState = mState * 214013u + 2531011u;
        return (mState >> 16) & 0x7FFF;
    }
    std::string Mangle(std::string text)
    {
        int edits = 1 + Next() % 8;
        for (int i = 0; i < edits && !text.empty(); ++i) {
            size_t at = Next() % text.size();
            switch (Next() % 3) {
            case 0:
                text[at] = static_cast<char>(Next());
                break;
            case 1:
                text.erase(at, Next() % 16);
                break;
            default:
                text.insert(at, std::string(Next() % 8, "\n\r0-9\"<&"[Next() % 8]));
            }
        }
        return text;
    }

private:
    uint32_t mState = 34;
};
} // namespace

TEST(HostileInput, ReadersHoldTheirBounds)
{
    Mangler m;
    const std::string reply = "2\nAnn\n900\n1\n2\n3\n1\nBo\n800\n0\n0\n0\n0\n3\nA\n1\n0\n0\n0\n0\n";
    const std::string submission = "1\nAnn\n700\n2\n3\n1\n1\n30\n4\nBo\n900\n0\n0\n0\n0\n";
    std::string profilesFile = "<?xml version=\"1.0\"?>\n<data>\n<profile name=\"" + Base64EncodeString("Ann") +
                               "\" medals=\"1 2 3 4  \"/>\n<profiles all_profiles=\"0  \" current=\"QW5u\"/>\n</data>";
    std::string recordsFile =
        "<?xml version=\"1.0\"?>\n<data>\n<record name=\"QW5u\" score=\"5\"/>\n"
        "<record score=\"9\"/>\n<records local=\"0 1  \" last_record=\"1\" send_records=\"1 \"/>\n"
        "</data>";
    for (int i = 0; i < 3000; ++i) {
        std::vector<CRecord> daily(100), global(100);
        records::ParseRecordsReply(m.Mangle(reply), daily, global);
        for (const CRecord& r : daily)
            ASSERT_LE(r.name.size(), records::kMaxNameBytes);

        records::CSubmission s;
        if (records::ParseSubmissionText(m.Mangle(submission), s)) {
            ASSERT_LE(s.best.size(), 100u);
        }

        std::string stored = m.Mangle(profilesFile);
        XmlDataCrypt(stored);
        CProfiles profiles(false);
        profiles.Parse(stored);

        stored = m.Mangle(recordsFile);
        XmlDataCrypt(stored);
        CRecords records("P", false);
        records.Parse(stored);
        ASSERT_EQ(records.local.size(), 10u);
        ASSERT_TRUE(std::is_sorted(records.local.begin(), records.local.end(),
                                   [](const CRecord& a, const CRecord& b) { return a.score > b.score; }));
    }
}
