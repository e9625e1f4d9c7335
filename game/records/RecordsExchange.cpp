// The submission text and body, the reply and their readers.
#include "records/RecordsExchange.h"

#include <set>

#include "data/DataCodecs.h"

namespace tilvan
{
namespace records
{

namespace
{

// Lines of a text in order; a missing line reads as empty. A CR before the line end is dropped.
class CLineReader
{
public:
    explicit CLineReader(const std::string& text) : mText(text) {}

    bool AtEnd() const { return mPos >= mText.size(); }

    std::string Next()
    {
        if (AtEnd())
            return std::string();
        size_t end = mText.find('\n', mPos);
        if (end == std::string::npos)
            end = mText.size();
        std::string line = mText.substr(mPos, end - mPos);
        mPos = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        return line;
    }

private:
    const std::string& mText;
    size_t mPos = 0;
};

std::string CutName(std::string name)
{
    if (name.size() > kMaxNameBytes)
        name.resize(kMaxNameBytes);
    return name;
}

// A count line: false when it is not a number in 0..100.
bool ReadCount(CLineReader& lines, int& count)
{
    count = ParseInt(lines.Next());
    return count >= 0 && count <= kMaxTableEntries;
}

void AppendLine(std::string& text, const std::string& line)
{
    text += line;
    text += '\n';
}

void AppendResult(std::string& text, const CRecord& r)
{
    // A line break inside a name (a hand-edited file) would shift every line after it.
    std::string name = r.name;
    for (char& c : name)
        if (c == '\n' || c == '\r')
            c = ' ';
    AppendLine(text, name);
    AppendLine(text, std::to_string(r.score));
    AppendLine(text, std::to_string(r.star_medal));
    AppendLine(text, std::to_string(r.fish_medal));
    AppendLine(text, std::to_string(r.sun_medal));
    AppendLine(text, r.crown ? "1" : "0");
}

void ReadEntry(CLineReader& lines, CRecord& r)
{
    r.name = CutName(lines.Next());
    r.score = ParseInt(lines.Next());
    r.star_medal = ParseInt(lines.Next());
    r.fish_medal = ParseInt(lines.Next());
    r.sun_medal = ParseInt(lines.Next());
    r.crown = ParseInt(lines.Next()) != 0;
    r.generated = false;
}

bool ReadTable(CLineReader& lines, std::vector<CRecord>& table)
{
    int count = 0;
    if (!ReadCount(lines, count))
        return false;
    for (int i = 0; i < count; ++i) {
        CRecord entry;
        ReadEntry(lines, entry);
        if (static_cast<size_t>(i) < table.size()) {
            CRecord& target = table[i];
            entry.sended = target.sended;
            entry.date = target.date;
            target = entry;
        }
    }
    return true;
}

// A whole decimal line within int, nothing else on it.
bool ReadStrictInt(const std::string& line, int& value)
{
    if (line.empty() || line.size() > 11)
        return false;
    size_t i = line[0] == '-' ? 1 : 0;
    if (i == line.size())
        return false;
    long long v = 0;
    for (; i < line.size(); ++i) {
        if (line[i] < '0' || line[i] > '9')
            return false;
        v = v * 10 + (line[i] - '0');
    }
    if (line[0] == '-')
        v = -v;
    if (v < INT32_MIN || v > INT32_MAX)
        return false;
    value = static_cast<int>(v);
    return true;
}

bool ReadResult(CLineReader& lines, CSubmittedResult& r, bool withAge)
{
    r.name = lines.Next();
    if (r.name.size() > kMaxNameBytes)
        return false;
    int crown = 0;
    bool ok = ReadStrictInt(lines.Next(), r.score) && ReadStrictInt(lines.Next(), r.star_medal) &&
              ReadStrictInt(lines.Next(), r.fish_medal) && ReadStrictInt(lines.Next(), r.sun_medal) &&
              ReadStrictInt(lines.Next(), crown);
    r.crown = crown != 0;
    if (ok && withAge)
        ok = ReadStrictInt(lines.Next(), r.age_minutes);
    return ok;
}

} // namespace

void PruneQueue(std::list<CRecord>& queue, uint64_t now)
{
    for (auto it = queue.begin(); it != queue.end();) {
        if (it->date > now) {
            it->date = now;
            ++it;
        } else if (now - it->date >= kDayTicks) {
            it = queue.erase(it);
        } else {
            ++it;
        }
    }
}

std::string BuildSubmissionText(const std::list<CRecord>& queue, const std::vector<CRecord>& local, uint64_t now)
{
    std::string text;
    AppendLine(text, std::to_string(queue.size()));
    for (const CRecord& r : queue) {
        AppendResult(text, r);
        uint64_t age = r.date > now ? 0 : (now - r.date) / kMinuteTicks;
        AppendLine(text, std::to_string(static_cast<uint32_t>(age)));
    }
    std::set<std::string> names;
    for (const CRecord& r : local)
        names.insert(r.name);
    AppendLine(text, std::to_string(names.size()));
    std::set<std::string> written;
    for (const CRecord& r : local) {
        if (r.sended || !written.insert(r.name).second)
            continue;
        AppendResult(text, r);
    }
    return text;
}

std::string EncodeSubmissionBody(const std::string& text)
{
    std::string scrambled = text;
    for (char& c : scrambled)
        c = static_cast<char>(static_cast<unsigned char>(c) ^ kSubmissionKey);
    return "Data=" + Base64EncodeString(scrambled);
}

bool ParseRecordsReply(const std::string& reply, std::vector<CRecord>& daily, std::vector<CRecord>& global)
{
    if (reply.size() > kMaxExchangeBytes)
        return false;
    std::vector<CRecord> newDaily = daily;
    std::vector<CRecord> newGlobal = global;
    CLineReader lines(reply);
    if (!ReadTable(lines, newDaily) || !ReadTable(lines, newGlobal))
        return false;
    daily = std::move(newDaily);
    global = std::move(newGlobal);
    return true;
}

bool DecodeSubmissionBody(const std::string& body, std::string& text)
{
    if (body.size() > kMaxExchangeBytes)
        return false;
    size_t start = std::string::npos;
    if (body.compare(0, 5, "Data=") == 0)
        start = 5;
    else if (size_t at = body.find("&Data="); at != std::string::npos)
        start = at + 6;
    if (start == std::string::npos)
        return false;
    size_t end = body.find('&', start);
    if (end == std::string::npos)
        end = body.size();
    std::vector<unsigned char> bytes;
    Base64Decode(body.data() + start, end - start, bytes);
    text.assign(bytes.begin(), bytes.end());
    for (char& c : text)
        c = static_cast<char>(static_cast<unsigned char>(c) ^ kSubmissionKey);
    return true;
}

bool ParseSubmissionText(const std::string& text, CSubmission& submission)
{
    submission = CSubmission();
    CLineReader lines(text);
    int count = 0;
    if (!ReadStrictInt(lines.Next(), count) || count < 0 || count > kMaxTableEntries)
        return false;
    for (int i = 0; i < count; ++i) {
        CSubmittedResult r;
        if (!ReadResult(lines, r, true))
            return false;
        submission.queued.push_back(std::move(r));
    }
    // The count line of the best results counts names, not the groups that follow: read to the end.
    int announced = 0;
    if (!lines.AtEnd() && !ReadStrictInt(lines.Next(), announced))
        return false;
    while (!lines.AtEnd()) {
        if (submission.best.size() >= static_cast<size_t>(kMaxTableEntries))
            return false;
        CSubmittedResult r;
        if (!ReadResult(lines, r, false))
            return false;
        submission.best.push_back(std::move(r));
    }
    return true;
}

std::string FormatRecordsReply(const std::vector<CSubmittedResult>& daily, const std::vector<CSubmittedResult>& global)
{
    std::string text;
    for (const std::vector<CSubmittedResult>* table : {&daily, &global}) {
        size_t count = std::min(table->size(), static_cast<size_t>(kMaxTableEntries));
        AppendLine(text, std::to_string(count));
        for (size_t i = 0; i < count; ++i) {
            const CSubmittedResult& r = (*table)[i];
            AppendLine(text, CutName(r.name));
            AppendLine(text, std::to_string(r.score));
            AppendLine(text, std::to_string(r.star_medal));
            AppendLine(text, std::to_string(r.fish_medal));
            AppendLine(text, std::to_string(r.sun_medal));
            AppendLine(text, r.crown ? "1" : "0");
        }
    }
    return text;
}

} // namespace records
} // namespace tilvan
