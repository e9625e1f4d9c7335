// The score server's results in SQLite (WAL journal): every submitted result, and the daily and
// global tables made from them, each name's best result once.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "records/RecordsExchange.h"

struct sqlite3;

namespace scores
{

class ScoreStore
{
public:
    ScoreStore() = default;
    ~ScoreStore();
    ScoreStore(const ScoreStore&) = delete;
    ScoreStore& operator=(const ScoreStore&) = delete;

    // Opens or makes the database; false with the reason in LastError.
    bool Open(const std::string& path);
    // Stores a submission received at now (seconds since 1970): the queued results at their
    // playing time, the best local results once each (they carry no time and count for all time).
    bool Add(const tilvan::records::CSubmission& submission, int64_t now);
    // The best result of each name since the start of now's UTC day, and of all time; best first.
    std::vector<tilvan::records::CSubmittedResult> Daily(int64_t now);
    std::vector<tilvan::records::CSubmittedResult> Global();
    const std::string& LastError() const { return mError; }

private:
    bool Exec(const char* sql);
    std::vector<tilvan::records::CSubmittedResult> Best(int64_t since);

    sqlite3* mDb = nullptr;
    std::string mError;
};

} // namespace scores
