// The end of a level as the records see it: the statistics windows, or the result entered without
// them, the progress on the map, and the finished game's save removed.
#include <algorithm>
#include <cmath>

#include "board/CPlayerInfo.h"
#include "data/CConstantsRegistry.h"
#include "data/CLevelInfo.h"
#include "platform/Log.h"
#include "play/CPlay.h"
#include "records/CProfiles.h"
#include "records/CRecords.h"
#include "records/LevelResult.h"
#include "shell/GameServices.h"

namespace tilvan
{

CRecordsWindowMakers& RecordsWindowMakers()
{
    static CRecordsWindowMakers makers;
    return makers;
}

namespace
{

constexpr int kBonusCompletedScore = 1000;

records::CLevelOutcome Outcome(const CLevel& level)
{
    const CPlayerInfo& player = CPlayerInfo::Instance();
    records::CLevelOutcome outcome;
    outcome.levelIndex = level.get_number() - 1;
    outcome.levelCount = GetLevelCount();
    outcome.bonus = level.is_bonus();
    outcome.score = player.score;
    outcome.fishLost = player.statistic.bonus_lost;
    outcome.starLost = player.statistic.bonus_used;
    outcome.sunLost = player.statistic.feedback;
    return outcome;
}

// What the bonus statistics window pays out while it counts, when there is no window to count it: the
// reward of a completed level (points and a pearl) and the time left turned into points.
void PayBonusLevel(bool completed, int timeLeftMs)
{
    CPlayerInfo& player = CPlayerInfo::Instance();
    if (completed) {
        player.AddScore(kBonusCompletedScore, true);
        player.AddPearls(1);
    }
    const float perMs = CConstantsRegistry::Instance().GetFloat("statistics_window", "time_to_score_k");
    if (timeLeftMs > 0 && perMs > 0 && std::isfinite(perMs))
        player.AddScore(static_cast<int>(static_cast<float>(timeLeftMs) * perMs), true);
}

} // namespace

void CPlay::RecordLevelEnd()
{
    CPlayerInfo& player = CPlayerInfo::Instance();
    CProfiles& profiles = CProfiles::Instance();
    CRecords& records = CRecords::Instance();
    // The windows award and record on the current profile: the first one stands in when none is.
    profiles.EnsureCurrentProfile();
    const CRecordsWindowMakers& windows = RecordsWindowMakers();
    const bool completed = level->get_state() == CLevel::win;
    const int timeLeft = std::max(0, static_cast<int>(level->GetTimeLeft()));
    const bool shown = level->is_bonus() ? bool(windows.bonusStatistics) : bool(windows.statistics);
    if (shown) {
        if (level->is_bonus())
            windows.bonusStatistics(completed, timeLeft);
        else
            windows.statistics(level->get_number() - 1);
        records::RaiseProgress(profiles, Outcome(*level));
    } else {
        if (level->is_bonus())
            PayBonusLevel(completed, timeLeft);
        records::CLevelOutcome outcome = Outcome(*level);
        records::CLevelAwards awards = records::EnterLevelResult(profiles, records, outcome, SystemTimeTicks());
        // The records table after the game shows the last level's record highlighted.
        if (!outcome.bonus && records::IsLastLevel(outcome) && awards.recordPosition != -1)
            player.new_record = true;
    }
    if (!records::SavePlayerFiles(profiles, records))
        Olvarn::LogWrite(Olvarn::LogLevel::Error, "The profiles or the records could not be written");
}

void CPlay::FinishGame()
{
    CPlayerInfo& player = CPlayerInfo::Instance();
    if (RecordsWindowMakers().records)
        RecordsWindowMakers().records(player.new_record);
    CProfiles& profiles = CProfiles::Instance();
    if (CProfile* profile = profiles.EnsureCurrentProfile())
        profile->DeleteSavedGame();
    saveable = false;
    if (profiles.Save() < 0)
        Olvarn::LogWrite(Olvarn::LogLevel::Error, "The profiles could not be written");
}

} // namespace tilvan
