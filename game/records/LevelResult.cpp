// Entering a finished level into the profile and the records.
#include "records/LevelResult.h"

#include <algorithm>

#include "platform/Log.h"
#include "records/CProfiles.h"
#include "records/CRecords.h"

namespace tilvan
{
namespace records
{

namespace
{

// The medals in the order they are awarded, with the flag that loses each.
int MedalsWon(CProfile& profile, const CLevelOutcome& outcome)
{
    const int held = profile.GetMedals(outcome.levelIndex);
    const struct {
        int bit;
        bool lost;
    } medals[] = {{CProfile::kSunMedal, outcome.sunLost},
                  {CProfile::kStarMedal, outcome.starLost},
                  {CProfile::kFishMedal, outcome.fishLost}};
    int won = 0;
    for (const auto& medal : medals)
        if (!medal.lost && !(held & medal.bit))
            won |= medal.bit;
    return won;
}

} // namespace

bool IsLastLevel(const CLevelOutcome& outcome)
{
    return outcome.levelCount > 0 && outcome.levelIndex >= outcome.levelCount - 1;
}

void RaiseProgress(CProfiles& profiles, const CLevelOutcome& outcome)
{
    if (profiles.EnsureCurrentProfile() && outcome.levelCount > 0)
        profiles.RaiseMaxLevel(std::min(outcome.levelIndex + 1, outcome.levelCount - 1));
}

CLevelAwards EnterLevelResult(CProfiles& profiles, CRecords& records, const CLevelOutcome& outcome, uint64_t now)
{
    CLevelAwards awards;
    CProfile* profile = profiles.EnsureCurrentProfile();
    if (!profile) {
        Olvarn::LogWrite(Olvarn::LogLevel::Warning, "Level %d ended without a profile; nothing was recorded",
                         outcome.levelIndex + 1);
        return awards;
    }
    awards.entered = true;
    RaiseProgress(profiles, outcome);
    if (!outcome.bonus) {
        awards.medals = MedalsWon(*profile, outcome);
        profile->AddMedals(outcome.levelIndex, awards.medals);
        if (IsLastLevel(outcome) && !profile->HasCrown()) {
            profile->SetCrown();
            awards.crown = true;
        }
    }
    awards.recordPosition = records.AddResult(*profile, outcome.score, outcome.levelCount, now);
    return awards;
}

bool SavePlayerFiles(CProfiles& profiles, CRecords& records)
{
    bool profilesSaved = profiles.Save() >= 0;
    bool recordsSaved = records.Save() >= 0;
    return profilesSaved && recordsSaved;
}

} // namespace records
} // namespace tilvan
