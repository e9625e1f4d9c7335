// Fuzz target: a request body as the score server reads it, and the reply it then writes, read back
// by the game's reader.
#include <cstdint>
#include <string>
#include <vector>

#include "records/RecordsExchange.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace tilvan::records;
    std::string body(reinterpret_cast<const char*>(data), size);
    std::string text;
    CSubmission submission;
    // Fuzz both the body and a submission text given straight.
    if (DecodeSubmissionBody(body, text))
        ParseSubmissionText(text, submission);
    if (!ParseSubmissionText(body, submission))
        return 0;
    if (submission.queued.size() > 100 || submission.best.size() > 100)
        __builtin_trap();
    std::vector<CSubmittedResult> all = submission.queued;
    all.insert(all.end(), submission.best.begin(), submission.best.end());
    std::vector<tilvan::CRecord> daily(100), global(100);
    if (!ParseRecordsReply(FormatRecordsReply(all, submission.best), daily, global))
        __builtin_trap();
    return 0;
}
