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
#include "world/CFadeImageEffect.h"
#include "world/CFloatingScoreEffect.h"
#include "world/CLevelComplete.h"
#include "world/COnInsertEffect.h"
#include "world/CPearlEffect.h"
#include "world/CSpreadEffect.h"
#include "world/CStartLevel.h"
#include "world/CTextDropEffect.h"
#include "world/CTitleDrop.h"

namespace tilvan
{

namespace
{

// The level's titles as letters of the animated text.
class CTextDropTitle : public CTitleDrop
{
public:
    explicit CTextDropTitle(Olvarn::Font* font) : drop(font) {}
    void AddText(const std::string& text, Olvarn::OlvarnVector2 position, float targetY, Olvarn::Color color,
                 float startSpeed, int duration, int step) override
    {
        drop.AddText(text, position, targetY, color, startSpeed, duration, step);
    }
    int DropOut(float startSpeed, int duration, int step) override { return drop.DropOut(startSpeed, duration, step); }
    void Update(float ms) override { drop.Update(ms); }

private:
    CTextDropEffect drop;
};

} // namespace

void InstallEffectMakers()
{
    using namespace level_effects;
    CLevelEffectMakers& level = LevelEffectMakers();
    level.startLevel = [](CLevelView& view) { return std::make_shared<CStartLevel>(view); };
    level.levelComplete = [](CLevelView& view) { return std::make_shared<CLevelComplete>(view); };
    level.floatingScore = [](int score, FPoint pos) { return std::make_shared<CFloatingScoreEffect>(score, pos); };
    level.bonusClock = [](CLevelView& view, int ms) { return std::make_shared<CBonusClockEffect>(view, ms); };
    level.fadeElement = [](const CElement& e, int ms) { return std::make_shared<CFadeElementEffect>(e, ms); };
    level.fadeImage = [](const CImage& image, FPoint pos, int ms) {
        return std::make_shared<CFadeImageEffect>(image, pos, ms);
    };
    level.pearl = [](FPoint pos) { return std::make_shared<CPearlEffect>(pos); };
    level.scorePearl = [](int) { return std::make_shared<CScorePearlEffect>(); };
    level.spread = [](const CElement& e, int lifeMs, float factor, int maxCount) {
        return std::make_shared<CSpreadEffect>(e, lifeMs, factor, maxCount);
    };
    SetTitleDropMaker([](Olvarn::Font* font) { return std::make_shared<CTextDropTitle>(font); });

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
