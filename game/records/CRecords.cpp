// Entering results into the tables, and the records file.
#include "records/CRecords.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>

#include "data/CConstantsRegistry.h"
#include "data/CStringTable.h"
#include "data/DataCodecs.h"
#include "platform/Log.h"
#include "records/CProfile.h"
#include "records/PlayerFiles.h"
#include "records/RecordsSaveClasses.h"
#include "shell/GameServices.h"

namespace tilvan
{

namespace
{
// Best first; a later entry goes behind every entry of the same score.
void SortByScore(std::vector<CRecord>& table)
{
    std::stable_sort(table.begin(), table.end(), [](const CRecord& a, const CRecord& b) { return a.score > b.score; });
}
} // namespace

uint64_t SystemTimeTicks()
{
    // From 1601 to 1970 in 100-ns units.
    constexpr uint64_t kEpochOffset = 116444736000000000ull;
    auto since1970 = std::chrono::system_clock::now().time_since_epoch();
    int64_t ticks = std::chrono::duration_cast<std::chrono::nanoseconds>(since1970).count() / 100;
    const uint64_t now = kEpochOffset + static_cast<uint64_t>(std::max<int64_t>(ticks, 0));
    // The date goes into the records: a replay must enter the one its recording entered.
    const std::string kept = services::SyncTextWithDemo(std::to_string(now));
    char* end = nullptr;
    const unsigned long long value = std::strtoull(kept.c_str(), &end, 10);
    return end && *end == '\0' && !kept.empty() ? value : now;
}

CRecords::CRecords(std::string placeholderName, bool load) : mPlaceholderName(std::move(placeholderName))
{
    RegisterRecordsSaveClasses();
    Reset();
    if (load)
        Load();
}

CRecords& CRecords::Instance()
{
    static CRecords records(PlaceholderName());
    return records;
}

std::string CRecords::RecordsUrl()
{
    return CConstantsRegistry::Instance().Get("records", "url");
}

std::string CRecords::PlaceholderName()
{
    return ExpandStringRefs(CConstantsRegistry::Instance().Get("records", "player"), GetStringTable());
}

void CRecords::Reset()
{
    last_record = -1;
    local.assign(kLocalSize, Placeholder());
    daily.assign(kOnlineSize, Placeholder());
    global.assign(kOnlineSize, Placeholder());
}

void CRecords::ClearLocalRecords()
{
    last_record = -1;
    local.assign(kLocalSize, Placeholder());
}

int CRecords::AddResult(CProfile& profile, int score, int levelCount, uint64_t now)
{
    CRecord record;
    record.name = profile.name;
    record.score = score;
    record.crown = profile.HasCrown();
    for (int level = 0; level < levelCount; ++level) {
        int bits = profile.GetMedals(level);
        record.star_medal += (bits & CProfile::kStarMedal) ? 1 : 0;
        record.fish_medal += (bits & CProfile::kFishMedal) ? 1 : 0;
        record.sun_medal += (bits & CProfile::kSunMedal) ? 1 : 0;
    }
    record.date = now;

    auto lower = [&](const CRecord& r) { return r.score < score; };
    send_records.insert(std::find_if(send_records.begin(), send_records.end(), lower), record);

    auto place = std::partition_point(local.begin(), local.end(), [&](const CRecord& r) { return r.score >= score; });
    if (place == local.end())
        return -1;
    last_record = static_cast<int>(place - local.begin()) + 1;
    local.insert(place, record);
    local.resize(kLocalSize);
    return last_record;
}

bool CRecords::Parse(const std::string& stored)
{
    std::string text = stored;
    XmlDataCrypt(text);
    CXmlDataReader& reader = save::SaveReader();
    std::vector<CRecord> freshLocal;
    std::vector<CRecord> freshQueue;
    std::string localRows, lastText, queueRows;
    bool ok = true;
    try {
        reader.LoadFromMemory(text);
        if (!reader.FindRow("records", 0))
            throw "The records file holds no tables";
        reader.GetRow("records", 0, localRows, lastText, queueRows);
        auto loadRows = [&reader](const std::string& rowsText, std::vector<CRecord>& out) {
            std::vector<int> rows;
            ParseIntList(rowsText, rows);
            for (int row : rows) {
                // A row the list names but the file lacks would be an entry of nobody.
                if (!reader.FindRow("record", row))
                    continue;
                out.emplace_back();
                out.back().Load(row);
            }
        };
        loadRows(localRows, freshLocal);
        loadRows(queueRows, freshQueue);
    } catch (const char* error) {
        Olvarn::LogWrite(Olvarn::LogLevel::Error, "Records file: %s", error);
        ok = false;
    } catch (const std::exception& e) {
        Olvarn::LogWrite(Olvarn::LogLevel::Error, "Records file: %s", e.what());
        ok = false;
    }
    reader.Clear();
    if (!ok)
        return false;

    Reset();
    if (!freshLocal.empty()) {
        // The table is read as ten entries best first everywhere: sort, fill and cut it to that.
        bool sorted = std::is_sorted(freshLocal.begin(), freshLocal.end(),
                                     [](const CRecord& a, const CRecord& b) { return a.score > b.score; });
        // Placeholders score 0, so they go behind results of 0 and before negative ones.
        freshLocal.resize(std::max<size_t>(freshLocal.size(), kLocalSize), Placeholder());
        SortByScore(freshLocal);
        freshLocal.resize(kLocalSize);
        local = std::move(freshLocal);
        last_record = ParseInt(lastText);
        if (!sorted || last_record < 1 || last_record > kLocalSize)
            last_record = -1;
    }
    SortByScore(freshQueue);
    send_records.assign(freshQueue.begin(), freshQueue.end());
    return true;
}

void CRecords::Load(int)
{
    std::string path = records::UserDataPath(kFile);
    records::CPlayerFileRead read = records::ReadPlayerFile(path, [this](const std::string& b) { return Parse(b); });
    mLoadProblem = records::DamagedFileMessage(read, path);
}

int CRecords::Save()
{
    std::string path = records::UserDataPath(kFile);
    records::KeepBackup(path);
    CXmlDataWriter& writer = save::SaveWriter();
    if (!writer.Open(path, true, "")) {
        Olvarn::LogWrite(Olvarn::LogLevel::Error, "Records not saved: %s", writer.LastError().c_str());
        return -1;
    }
    std::vector<int> localRows, queueRows;
    for (CRecord& r : local)
        localRows.push_back(r.Save());
    for (CRecord& r : send_records)
        queueRows.push_back(r.Save());
    int row = writer.WriteRow("records", IntListText(localRows) + " ", last_record, IntListText(queueRows) + " ");
    if (!writer.Close()) {
        Olvarn::LogWrite(Olvarn::LogLevel::Error, "Records not saved: %s", writer.LastError().c_str());
        return -1;
    }
    return row;
}

} // namespace tilvan
