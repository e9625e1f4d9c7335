// The one door to the records' windows for the screens above: each runs its window modally on the
// process-wide profiles, records and player, and returns when the window has closed.
#pragma once

#include <string>

namespace tilvan
{

// The high-score tables; with highlight the latest local result shows in yellow. Result 0.
int RunRecordsWindow(bool highlight);
// The profile list. Result 0.
int RunUserManagement();
// Names a new profile, which becomes current: 1 when one was made, 0 when cancelled. Without
// cancel the player must name one (the game has no profile yet).
int RunCreateProfile(bool noCancel, const std::string& initialName);
// After a won level (0-based index): medals, crown and records. Result 0.
int RunStatisticsWindow(int levelIndex);
// After a bonus level: completed when the board was filled, the clock's time left in ms. Result 0.
int RunBonusStatisticsWindow(bool completed, int timeLeftMs);

} // namespace tilvan
