// The level statistics window.
#include "records/CStatisticsWindow.h"

#include <algorithm>
#include <cstdio>

#include "board/CPlayerInfo.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "records/CProfiles.h"
#include "records/CRecords.h"
#include "records/RecordsConstants.h"
#include "shell/CGameButton.h"
#include "shell/GameServices.h"
#include "shell/ScriptApi.h"
#include "widgets/Widget.h"

namespace tilvan
{

namespace
{

const Olvarn::Color kWhite(255, 255, 255, 255);

void DrawCentred(Olvarn::Graphics& g, Olvarn::Font& font, const std::string& text, const CPointF& at)
{
    g.DrawString(text, int(at.x) - font.TextWidth(text) / 2, int(at.y));
}

void DrawRightAligned(Olvarn::Graphics& g, Olvarn::Font& font, const std::string& text, const CPointF& at)
{
    g.DrawString(text, int(at.x) - font.TextWidth(text), int(at.y));
}

} // namespace

CMedalsLost MedalsLost(const CLevelStatistic& statistic)
{
    return {statistic.bonus_lost, statistic.bonus_used, statistic.feedback};
}

std::string FormatMinutes(float ms)
{
    int seconds = std::max(int(ms / 1000), 0);
    char text[32];
    std::snprintf(text, sizeof text, "%i:%02i", seconds / 60, seconds % 60);
    return text;
}

CStatisticsWindow::CStatisticsWindow(int levelIndex, int levelCount, CPlayerInfo& player, CProfiles& profiles,
                                     CRecords& records)
    : CGameDialog(kDialogId, "statistics_window", true), mPlayer(player), mProfiles(profiles), mRecords(records),
      mLevelCount(levelCount), mLevel(levelIndex)
{
    const CStatisticsLayout& layout = StatisticsLayout();
    mLevelScore = mPlayer.statistic.score;
    mPause = layout.pause_time;
    mPearlScore = layout.pearl_score;
    if (CreateButton(mOk, "ok"))
        mOk->SetDisabled(true);

    CProfile* profile = mProfiles.GetCurrentProfile();
    const int held = profile ? profile->GetMedals(mLevel) : 0;
    struct Kind {
        const char* image;
        int control;
        int bit;
    };
    const Kind kinds[] = {{"IMAGE_GUI_MEDALS_SUN", CONTROL_MEDAL_SUN, CProfile::kSunMedal},
                          {"IMAGE_GUI_MEDALS_STAR", CONTROL_MEDAL_STAR, CProfile::kStarMedal},
                          {"IMAGE_GUI_MEDALS_FISH", CONTROL_MEDAL_FISH, CProfile::kFishMedal}};
    mMedals.reserve(4);
    float x = layout.medals_pos.x;
    const float y = layout.medals_pos.y;
    for (const Kind& kind : kinds) {
        CImage image(kind.image);
        const Olvarn::OlvarnVector2& size = image.GetDimensions();
        x -= size.x;
        image.SetPosition(int(x), int(y - size.y));
        image.RandomizeTime();
        mMedals.emplace_back(image, layout.medals_dark_color, kind.control);
        x += layout.medals_delta;
        if (held & kind.bit)
            mMedals.back().ShowHeld();
    }
    CImage crown("IMAGE_GUI_MEDALS_CROWN");
    crown.AddFlags(CImage::CENTER_POS);
    crown.SetPosition(int(layout.crown_pos.x), int(layout.crown_pos.y));
    crown.RandomizeTime();
    mMedals.emplace_back(crown, Olvarn::Color(0, 0, 0, 0), CONTROL_MEDAL_CROWN);
    if (profile && profile->HasCrown())
        mMedals.back().ShowHeld();
}

bool CStatisticsWindow::ConvertPearls()
{
    if (!IsLastLevel() || mPlayer.points <= 0 || (mPearls && mPearls->IsDone()))
        return false;
    if (!mPearls)
        mPearls.emplace(mPlayer.points, StatisticsLayout().pearl_speed);
    const int n = std::min(mPearls->Update(), mPlayer.points);
    if (n > 0) {
        mPlayer.AddPearls(-n);
        services::PlaySound("SOUND_COUNT");
        for (int i = 0; i < n; ++i) {
            mPlayer.AddScore(mPearlScore, false);
            mPearlScore += StatisticsLayout().pearl_score_delta;
        }
    }
    return true;
}

void CStatisticsWindow::Finish()
{
    mFinished = true;
    const CMedalsLost lost = MedalsLost(mPlayer.statistic);
    CProfile* profile = mProfiles.GetCurrentProfile();
    if (profile) {
        const int held = profile->GetMedals(mLevel);
        const char* sounds[] = {"SOUND_MEDAL1", "SOUND_MEDAL2", "SOUND_MEDAL3", "SOUND_MEDAL1"};
        int next = 0;
        float delay = 0;
        auto award = [&](int index, float extraDelay) {
            delay += extraDelay;
            mMedals[size_t(index)].Award(80, delay, services::FindSound(sounds[next++]));
        };
        const struct {
            bool lost;
            int index;
            int bit;
        } medals[] = {{lost.sun, kSun, CProfile::kSunMedal},
                      {lost.star, kStar, CProfile::kStarMedal},
                      {lost.fish, kFish, CProfile::kFishMedal}};
        for (const auto& m : medals) {
            if (m.lost || (held & m.bit))
                continue;
            award(m.index, 0);
            delay += 280;
            profile->AddMedals(mLevel, m.bit);
        }
        if (IsLastLevel() && !profile->HasCrown()) {
            award(kCrown, 500);
            profile->SetCrown();
        }
        // Without a profile there is no one to enter the result for.
        if (mRecords.AddResult(*profile, mPlayer.score, mLevelCount, SystemTimeTicks()) != -1) {
            if (IsLastLevel())
                mPlayer.new_record = true;
            mBadge.Make(StatisticsLayout().new_record_font, StatisticsLayout().new_record);
        }
    }
    if (mOk)
        mOk->SetDisabled(false);
}

void CStatisticsWindow::Update()
{
    CGameDialog::Update();
    mTime += 10;
    for (CStatisticsMedal& medal : mMedals)
        medal.Update(10);
    mPause -= 10;
    if (mPause > 0)
        return;
    if (ConvertPearls())
        return;
    if (!mFinished)
        Finish();
}

std::vector<std::string> CStatisticsWindow::Texts() const
{
    return {std::to_string(mPlayer.score), std::to_string(mLevelScore), FormatMinutes(mPlayer.statistic.time),
            std::to_string(mPlayer.statistic.bonuses), std::to_string(mPlayer.statistic.pearls)};
}

void CStatisticsWindow::Draw(Olvarn::Graphics& g)
{
    CGameDialog::Draw(g);
    const CStatisticsLayout& layout = StatisticsLayout();
    mBadge.Draw(g, layout, mTime, 180, 74);
    for (CStatisticsMedal& medal : mMedals)
        medal.Draw(g);
    Olvarn::Font* font = services::FindFont(layout.font);
    if (!font)
        return;
    Olvarn::GraphicsStateSaver saver(g);
    g.SetFont(font);
    g.SetColor(kWhite);
    std::vector<std::string> texts = Texts();
    DrawCentred(g, *font, texts[0], layout.score_pos);
    DrawCentred(g, *font, texts[1], layout.level_score_pos);
    DrawRightAligned(g, *font, texts[2], layout.time_pos);
    DrawRightAligned(g, *font, texts[3], layout.animals_pos);
    DrawRightAligned(g, *font, texts[4], layout.pearls_pos);
}

void CStatisticsWindow::OnButtonRelease(int id)
{
    CGameDialog::OnButtonRelease(id);
    if (mOk && id == mOk->mId)
        Close(0);
}

void CStatisticsWindow::OnKeyDown(int key)
{
    if (mOk && !mOk->mIsDisabled)
        OnButtonRelease(mOk->mId);
}

void CStatisticsWindow::OnMouseMove(int x, int y)
{
    CGameDialog::OnMouseMove(x, y);
    for (CStatisticsMedal& medal : mMedals)
        medal.MouseMove(x, y);
}

void CStatisticsWindow::OnMouseDown(int x, int y, int clickCode)
{
    const int clicks = Olvarn::Widget::ClickCountForClickCode(clickCode);
    if (Olvarn::Widget::ButtonForClickCode(clickCode) == 0 && (clicks == 1 || clicks == 2))
        for (CStatisticsMedal& medal : mMedals)
            if (medal.MouseDown(x, y, mX + x, mY + y))
                return;
    CGameDialog::OnMouseDown(x, y, clickCode);
}

} // namespace tilvan
