// The world's level and piece effects, installed as the makers through which the board and the
// level create them.
#pragma once

namespace tilvan
{

void InstallEffectMakers();
// A bonus level needs time to count down; its row is rejected with the file and row otherwise.
void CheckBonusLevelTimes();

} // namespace tilvan
