// The window after a bonus level: a completed level first earns 1000 points and a pearl; after a
// pause the time left on the clock is counted into score, then the result enters the records.
#pragma once

#include <vector>

#include "records/NewRecordBadge.h"
#include "records/StatisticsCountUp.h"
#include "shell/CGameDialog.h"

namespace tilvan
{

class CGameButton;
class CPlayerInfo;
class CProfiles;
class CRecords;

class CBonusStatisticsWindow : public CGameDialog
{
public:
    static constexpr int kDialogId = 10;
    static constexpr int kCompletionPoints = 1000;

    // A negative time left counts as none.
    CBonusStatisticsWindow(bool completed, int timeLeftMs, int levelCount, CPlayerInfo& player, CProfiles& profiles,
                           CRecords& records);

    // One application update: 10 ms.
    void Update() override;
    void Draw(Olvarn::Graphics& g) override;
    void OnButtonRelease(int id) override;
    void OnKeyDown(int key) override;

    bool IsFinished() const { return mFinished; }
    bool HasNewRecord() const { return mBadge.IsMade(); }
    int TimeLeft() const { return mCountDown.TimeLeft(); }
    CGameButton* OkButton() const { return mOk; }
    // The five texts as drawn: score, level score, level time, time left, pearls.
    std::vector<std::string> Texts() const;

private:
    void Finish();

    CPlayerInfo& mPlayer;
    CProfiles& mProfiles;
    CRecords& mRecords;
    int mLevelCount;
    CGameButton* mOk = nullptr;
    CNewRecordBadge mBadge;
    float mLevelScore = 0;
    CTimeCountDown mCountDown;
    int mPause = 0;
    float mTime = 0;
    bool mFinished = false;
};

} // namespace tilvan
