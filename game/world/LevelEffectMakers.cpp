// Installs the world's effects as the board's and the level's makers.
#include "world/LevelEffectMakers.h"

#include "board/CElement.h"
#include "board/CElementEffect.h"
#include "board/CLevelEffect.h"
#include "data/CDataError.h"
#include "data/CLevelInfo.h"
#include "world/CBlinkEffect.h"
#include "world/CBonusClockEffect.h"
#include "world/CBonusEffect.h"
#include "world/CDelayedEffect.h"
#include "world/CFadeElementEffect.h"
#include "world/CFloatingScoreEffect.h"
#include "world/CLevelComplete.h"
#include "world/COnInsertEffect.h"
#include "world/CStartLevel.h"

namespace tilvan
{

void InstallEffectMakers()
{
    using namespace level_effects;
    CLevelEffectMakers& level = LevelEffectMakers();
    level.startLevel = [](CLevelView& view) { return std::make_shared<CStartLevel>(view); };
    level.levelComplete = [](CLevelView& view) { return std::make_shared<CLevelComplete>(view); };
    level.floatingScore = [](int score, FPoint pos) { return std::make_shared<CFloatingScoreEffect>(score, pos); };
    level.bonusClock = [](CLevelView& view, int ms) { return std::make_shared<CBonusClockEffect>(view, ms); };
    level.fadeElement = [](const CElement& e, int ms) { return std::make_shared<CFadeElementEffect>(e, ms); };

    using namespace element_effects;
    CEffectMakers piece;
    piece.bonus = [](CElement& e) { return std::make_shared<CBonusEffect>(e); };
    piece.onInsert = [](CElement& e) { return std::make_shared<COnInsertEffect>(e); };
    piece.blink = [](CElement& e, float ms) { return std::make_shared<CBlinkEffect>(e, int(ms)); };
    piece.delayedOnInsert = [](CElement& e, float delay) {
        return std::make_shared<CDelayedEffect>(delay, std::make_shared<COnInsertEffect>(e));
    };
    SetEffectMakers(std::move(piece));
}

void CheckBonusLevelTimes()
{
    for (const CLevelInfo& level : CLevelDefinitions::Instance().levels)
        if (level.bonus && level.time <= 0)
            throw CDataError(level.mSourceFile, "level", level.mSourceRow, "time",
                             "a bonus level's time must be above 0");
}

} // namespace tilvan
