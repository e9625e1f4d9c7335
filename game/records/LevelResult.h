// What a finished level leaves in the player's profile and the records: the progress on the map, the
// medals of the level and the crown of the game, and the game's score in the records table.
#pragma once

#include <cstdint>

namespace tilvan
{

class CProfiles;
class CRecords;

namespace records
{

struct CLevelOutcome {
    // 0-based index of the level played, and how many levels the game has.
    int levelIndex = 0;
    int levelCount = 0;
    bool bonus = false;
    // The player's score for the whole game so far.
    int score = 0;
    // The level statistic's three flags, each set during play when that medal was lost for the level
    // (in the statistic: bonus lost for the fish, bonus used for the star, feedback for the sun).
    bool fishLost = false, starLost = false, sunLost = false;
};

struct CLevelAwards {
    // False when there was no profile to enter the level for.
    bool entered = false;
    // Medal bits (CProfile::EMedal) won in this level that the profile did not hold before.
    int medals = 0;
    bool crown = false;
    // 1-based place in the local records table; -1 when the score did not enter it.
    int recordPosition = -1;
};

bool IsLastLevel(const CLevelOutcome& outcome);

// The level after the one ended becomes reachable on the map of the current profile (the first one
// made current when none is); nothing without profiles.
void RaiseProgress(CProfiles& profiles, const CLevelOutcome& outcome);

// Enters a level that was won (an ordinary level) or ended (a bonus level) for the current profile,
// making the first profile current when none is: the next level becomes reachable on the map, an
// ordinary level awards the medals not lost and not yet held and, after the last level, the crown;
// the score goes to the records. Without any profile nothing is entered.
CLevelAwards EnterLevelResult(CProfiles& profiles, CRecords& records, const CLevelOutcome& outcome, uint64_t now);

// Writes the profiles file and then the records file; false when either could not be written.
bool SavePlayerFiles(CProfiles& profiles, CRecords& records);

} // namespace records
} // namespace tilvan
