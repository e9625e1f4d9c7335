// The texts exchanged with the score server: the submission the game sends, its body, and the
// server's reply with the daily and global tables. Pure functions on bytes, shared by the game and
// the score server.
#pragma once

#include <cstdint>
#include <list>
#include <string>
#include <vector>

#include "records/CRecord.h"

namespace tilvan
{
namespace records
{

// Bounds every reader of these texts holds to, whatever the other side sends.
constexpr size_t kMaxExchangeBytes = 64 * 1024;
constexpr int kMaxTableEntries = 100;
constexpr size_t kMaxNameBytes = 64;
// One day and one minute in 100-nanosecond units.
constexpr uint64_t kDayTicks = 864000000000ull;
constexpr uint64_t kMinuteTicks = 600000000ull;
constexpr unsigned char kSubmissionKey = 0x3A;

// Queued results dated in the future get the time now; those a day old or older are dropped.
void PruneQueue(std::list<CRecord>& queue, uint64_t now);

// The submission text: the queued results with their age in minutes, then the count of distinct
// local names and the best unsent local result of each name. Lines end with "\n".
std::string BuildSubmissionText(const std::list<CRecord>& queue, const std::vector<CRecord>& local, uint64_t now);
// "Data=" and the text XORed with the key in base64 with its line breaks, sent as it stands (the
// server reads the raw body; a form decoder would turn '+' into a blank).
std::string EncodeSubmissionBody(const std::string& text);

// Fills the first entries of daily and global from a reply, line by line; entries past a count keep
// what they held. Bounded: a reply over 64 KiB or a count outside 0..100 changes nothing (false);
// a CR before a line's end is dropped and names are cut at 64 bytes; a reply shorter than its
// counts gives empty names and zeros to the rest.
bool ParseRecordsReply(const std::string& reply, std::vector<CRecord>& daily, std::vector<CRecord>& global);

// The server's side.
struct CSubmittedResult {
    std::string name;
    int score = 0;
    int star_medal = 0;
    int fish_medal = 0;
    int sun_medal = 0;
    bool crown = false;
    // Minutes since the result was played; 0 for the best local results.
    int age_minutes = 0;
};

struct CSubmission {
    std::vector<CSubmittedResult> queued;
    std::vector<CSubmittedResult> best;
};

// The text of a body: "Data=" (the first field of that name when several are sent), base64 with
// line breaks and blanks skipped, then the key undone. False when there is no such field or the
// body is over 64 KiB.
bool DecodeSubmissionBody(const std::string& body, std::string& text);
// The results of a submission text: N, N seven-line groups, the count line, then six-line groups to
// the end of the text whatever the count says. False for N outside 0..100, more than 100 groups,
// a name over 64 bytes or a group cut short.
bool ParseSubmissionText(const std::string& text, CSubmission& submission);
// The reply to the game: the daily and global tables, at most 100 entries each.
std::string FormatRecordsReply(const std::vector<CSubmittedResult>& daily, const std::vector<CSubmittedResult>& global);

} // namespace records
} // namespace tilvan
