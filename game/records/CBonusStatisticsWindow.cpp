// The bonus level statistics window.
#include "records/CBonusStatisticsWindow.h"

#include "board/CPlayerInfo.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "records/CProfiles.h"
#include "records/CRecords.h"
#include "records/CStatisticsWindow.h"
#include "records/RecordsConstants.h"
#include "shell/CGameButton.h"
#include "shell/GameServices.h"

namespace tilvan
{

CBonusStatisticsWindow::CBonusStatisticsWindow(bool completed, int timeLeftMs, int levelCount, CPlayerInfo& player,
                                               CProfiles& profiles, CRecords& records)
    : CGameDialog(kDialogId, "bonus_statistics_window", true), mPlayer(player), mProfiles(profiles), mRecords(records),
      mLevelCount(levelCount), mCountDown(timeLeftMs, StatisticsLayout().time_speed, StatisticsLayout().time_to_score_k)
{
    mLevelScore = float(mPlayer.statistic.score);
    mPause = StatisticsLayout().pause_time;
    if (CreateButton(mOk, "ok"))
        mOk->SetDisabled(true);
    if (completed) {
        mPlayer.AddScore(kCompletionPoints, true);
        mPlayer.AddPearls(1);
    }
}

void CBonusStatisticsWindow::Finish()
{
    // Once, whether or not the description has an ok button.
    mFinished = true;
    if (mOk)
        mOk->SetDisabled(false);
    CProfile* profile = mProfiles.GetCurrentProfile();
    if (profile && mRecords.AddResult(*profile, mPlayer.score, mLevelCount, SystemTimeTicks()) != -1)
        mBadge.Make(StatisticsLayout().new_record_font, StatisticsLayout().new_record);
}

void CBonusStatisticsWindow::Update()
{
    mTime += 10;
    CGameDialog::Update();
    mPause -= 10;
    if (mPause > 0)
        return;
    if (!mCountDown.IsDone()) {
        CTimeCountDown::Step step = mCountDown.Update();
        mPlayer.AddScore(step.points, true);
        if (step.tick)
            services::PlaySound("SOUND_COUNT");
        return;
    }
    if (!mFinished)
        Finish();
}

std::vector<std::string> CBonusStatisticsWindow::Texts() const
{
    return {std::to_string(mPlayer.score), std::to_string(int(mLevelScore)), FormatMinutes(mPlayer.statistic.time),
            FormatMinutes(float(mCountDown.TimeLeft())), std::to_string(mPlayer.statistic.pearls)};
}

void CBonusStatisticsWindow::Draw(Olvarn::Graphics& g)
{
    CGameDialog::Draw(g);
    const CStatisticsLayout& layout = StatisticsLayout();
    mBadge.Draw(g, layout, mTime, 200, 54);
    Olvarn::Font* font = services::FindFont(layout.font);
    if (!font)
        return;
    Olvarn::GraphicsStateSaver saver(g);
    g.SetFont(font);
    g.SetColor(Olvarn::Color(255, 255, 255, 255));
    std::vector<std::string> texts = Texts();
    const CPointF* centred[] = {&layout.score_pos, &layout.level_score_pos};
    for (int i = 0; i < 2; ++i)
        g.DrawString(texts[size_t(i)], int(centred[i]->x) - font->TextWidth(texts[size_t(i)]) / 2, int(centred[i]->y));
    const CPointF* right[] = {&layout.time_pos, &layout.time_left_pos, &layout.pearls_pos};
    for (int i = 0; i < 3; ++i)
        g.DrawString(texts[size_t(i + 2)], int(right[i]->x) - font->TextWidth(texts[size_t(i + 2)]), int(right[i]->y));
}

void CBonusStatisticsWindow::OnButtonRelease(int id)
{
    CGameDialog::OnButtonRelease(id);
    if (mOk && id == mOk->mId)
        Close(0);
}

void CBonusStatisticsWindow::OnKeyDown(int key)
{
    if (mOk && !mOk->mIsDisabled)
        OnButtonRelease(mOk->mId);
}

} // namespace tilvan
