// The window after a won level: score, level score, time, animals and pearls; after a pause it turns
// the last level's pearls into score, awards the medals (and on the last level the crown) the
// profile did not hold, enters the result into the records and only then lets the player go on.
#pragma once

#include <optional>
#include <vector>

#include "records/CStatisticsMedal.h"
#include "records/NewRecordBadge.h"
#include "records/StatisticsCountUp.h"
#include "shell/CGameDialog.h"

namespace tilvan
{

class CGameButton;
class CPlayerInfo;
class CProfiles;
class CRecords;
struct CLevelStatistic;

// Which medals the level lost, from the player's level statistic: a lost bonus creature costs the
// fish, a bonus tool used the star, a mistake the level's feedback script reported the sun.
struct CMedalsLost {
    bool fish = false;
    bool star = false;
    bool sun = false;
};
CMedalsLost MedalsLost(const CLevelStatistic& statistic);

// "%i:%02i" of whole minutes and seconds; a negative time shows as 0:00.
std::string FormatMinutes(float ms);

class CStatisticsWindow : public CGameDialog
{
public:
    static constexpr int kDialogId = 10;
    enum EMedalIndex { kSun = 0, kStar = 1, kFish = 2, kCrown = 3 };

    // levelIndex is 0-based; the last level of levelCount converts pearls and may award the crown.
    CStatisticsWindow(int levelIndex, int levelCount, CPlayerInfo& player, CProfiles& profiles, CRecords& records);

    // One application update: 10 ms.
    void Update() override;
    void Draw(Olvarn::Graphics& g) override;
    void OnButtonRelease(int id) override;
    void OnKeyDown(int key) override;
    void OnMouseMove(int x, int y) override;
    void OnMouseDown(int x, int y, int clickCode) override;

    bool IsFinished() const { return mFinished; }
    bool HasNewRecord() const { return mBadge.IsMade(); }
    CGameButton* OkButton() const { return mOk; }
    const std::vector<CStatisticsMedal>& Medals() const { return mMedals; }
    int PearlScore() const { return mPearlScore; }
    // The five texts as drawn: score, level score, time, animals, pearls.
    std::vector<std::string> Texts() const;

private:
    bool IsLastLevel() const { return mLevel >= mLevelCount - 1; }
    bool ConvertPearls();
    void Finish();

    CPlayerInfo& mPlayer;
    CProfiles& mProfiles;
    CRecords& mRecords;
    int mLevelCount;
    CGameButton* mOk = nullptr;
    CNewRecordBadge mBadge;
    int mLevelScore = 0;
    int mLevel;
    bool mFinished = false;
    int mPause = 0;
    float mTime = 0;
    std::optional<CPearlCountUp> mPearls;
    int mPearlScore = 0;
    std::vector<CStatisticsMedal> mMedals;
};

} // namespace tilvan
