// The high-score tables: the ten best local results, the daily and global tables the score server
// last sent, the queue of results still to send, and the records file "saves/records.xml".
#pragma once

#include <cstdint>
#include <list>
#include <string>
#include <vector>

#include "records/CRecord.h"
#include "records/CRecordsSubmission.h"

namespace tilvan
{

class CProfile;

class CRecords : public save::CSaveObject
{
public:
    static constexpr const char* kFile = "saves/records.xml";
    static constexpr int kLocalSize = 10;
    static constexpr int kOnlineSize = 100;

    // Placeholder tables named after the player text; then the file when asked to.
    explicit CRecords(std::string placeholderName, bool load = true);

    // The process-wide records, placeholders named by the "records" constant "player".
    static CRecords& Instance();
    // The "records" constants "url" and "player" (string references expanded).
    static std::string RecordsUrl();
    static bool HasRecordsUrl() { return !RecordsUrl().empty(); }
    static std::string PlaceholderName();

    void Reset();
    void ClearLocalRecords();

    // Enters a result of the profile made at now (100-ns units since 1601): queued for sending
    // whatever its score, and its 1-based place in the local table, or -1 when it does not enter.
    // The medal counts run over levels 0..levelCount-1.
    int AddResult(CProfile& profile, int score, int levelCount, uint64_t now);

    void Load(int row = 0) override;
    int Save() override;
    // The records file's stored bytes: true and the tables replaced when they parse. The local
    // table then always holds 10 entries best first (placeholders fill it), last_record is -1
    // unless it names one of them.
    bool Parse(const std::string& bytes);
    const std::string& LoadProblem() const { return mLoadProblem; }

    std::vector<CRecord> local;
    std::vector<CRecord> daily;
    std::vector<CRecord> global;
    std::list<CRecord> send_records;
    int last_record = -1;
    // Declared after the tables so that it goes before them: its transfer is joined while they exist.
    CRecordsSubmission submission;

private:
    CRecord Placeholder() const { return CRecord::Placeholder(mPlaceholderName); }

    std::string mPlaceholderName;
    std::string mLoadProblem;
};

// The system time as 100-nanosecond units since 1601-01-01 UTC.
uint64_t SystemTimeTicks();

} // namespace tilvan
