// The records window: tabs, rows, icons, scrolling, clearing and the first connection.
#include "records/CRecordsWindow.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "records/CConnectingDialog.h"
#include "records/CProfiles.h"
#include "records/CRecords.h"
#include "records/CRecordsScrollbar.h"
#include "records/ProfileDialogParts.h"
#include "records/RecordsConstants.h"
#include "records/RecordsModal.h"
#include "shell/CDialogBuilder.h"
#include "shell/CGameButton.h"
#include "shell/GameServices.h"
#include "widgets/WidgetManager.h"

namespace tilvan
{

using namespace records;

namespace
{

const Olvarn::Color kWhite(255, 255, 255, 255);
const Olvarn::Color kYellow(255, 255, 0, 255);

// "%3s. " of the rank, then the name as it stands.
std::string RankAndName(int rank, const std::string& name)
{
    std::string number = std::to_string(rank);
    if (number.size() < 3)
        number.insert(0, 3 - number.size(), ' ');
    return number + ". " + name;
}

// "%.2i": at least two digits.
std::string TwoDigits(int value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%.2i", value);
    return text;
}

CImage Icon(const char* id, const CPointF& start, int row)
{
    CImage image(id);
    image.AddFlags(CImage::CENTER_POS);
    image.SetPosition(int(start.x), int(start.y) + RecordsWindowLayout().line_space * row);
    image.RandomizeTime();
    return image;
}

void DrawText(Olvarn::Graphics& g, const std::string& text, const CPointF& at, int row)
{
    g.DrawString(text, int(at.x), int(at.y) + RecordsWindowLayout().line_space * row);
}

} // namespace

CRecordsWindow::CRecordsWindow(bool highlight, CRecords& records, CProfiles& profiles)
    : CGameDialog(kDialogId, "records", false), mRecords(records), mProfiles(profiles)
{
    mHighlight = highlight ? mRecords.last_record : -1;
    const CRecordsWindowLayout& layout = RecordsWindowLayout();
    auto* scrollbar = new CRecordsScrollbar(0, this);
    CGuiWindow::AddWidget(scrollbar);
    scrollbar->SetInvisibleWhenNoScroll(true);
    scrollbar->SetMaxValue(double(mRecords.local.size()));
    scrollbar->SetPageSize(kShownRows);
    scrollbar->ResizeScrollbar(int(layout.scroll_pos.x), int(layout.scroll_pos.y), int(layout.scroll_size.x),
                               int(layout.scroll_size.y));
    scrollbar->SetValue(0);
    mScrollbar = scrollbar;

    CreateButton(mOk, "ok");
    CreateButton(mClear, "clear");
    if (CRecords::HasRecordsUrl()) {
        CreateButton(mGlobalTab, "global");
        CreateButton(mDailyTab, "daily");
    }
    CreateButton(mLocalTab, "local");
    const int colors[][4] = {{255, 255, 255, 128}, {255, 255, 255, 255}, {255, 255, 255, 255}};
    for (CGameButton* tab : {mLocalTab, mDailyTab, mGlobalTab}) {
        if (!tab)
            continue;
        tab->SetColorTableRGBA(colors, 3);
        if (Olvarn::Font* font = services::FindFont("FONT_TEXT"))
            tab->SetFont(font);
    }
    BuildIcons();
    PlaceTabs();
}

CRecordsWindow::~CRecordsWindow() = default;

CGameButton* CRecordsWindow::TabButton(int tab) const
{
    return tab == kLocal ? mLocalTab : tab == kDaily ? mDailyTab : tab == kGlobal ? mGlobalTab : nullptr;
}

const std::vector<CRecord>& CRecordsWindow::Table() const
{
    return mTab == kDaily ? mRecords.daily : mTab == kGlobal ? mRecords.global : mRecords.local;
}

void CRecordsWindow::SetTabLook(CGameButton* tab, bool active, int top)
{
    if (!tab)
        return;
    if (active) {
        tab->mDisabledImage = services::FindImage("IMAGE_GUI_RECORDS_BOOKMARK_ACTIVE");
        tab->SetDisabled(true);
        if (tab->mManager)
            tab->mManager->BringToFront(tab);
        tab->Resize(tab->mX, top, tab->mWidth, tab->mHeight);
    } else {
        tab->mButtonImage = services::FindImage("IMAGE_GUI_RECORDS_BOOKMARK_NORMAL");
        tab->mOverImage = services::FindImage("IMAGE_GUI_RECORDS_BOOKMARK_OVER");
        tab->mDownImage = tab->mOverImage;
        tab->SetDisabled(false);
        tab->Resize(tab->mX, top + RecordsWindowLayout().bookmark_offset, tab->mWidth, tab->mHeight);
    }
}

void CRecordsWindow::PlaceTabs()
{
    if (mLocalTab && mDailyTab && mGlobalTab) {
        int top = std::min({mLocalTab->mY, mDailyTab->mY, mGlobalTab->mY});
        for (int tab : {kLocal, kDaily, kGlobal})
            SetTabLook(TabButton(tab), tab == mTab, top);
    } else if (mLocalTab) {
        SetTabLook(mLocalTab, true, mLocalTab->mY);
    }
}

void CRecordsWindow::BuildIcons()
{
    const CRecordsWindowLayout& layout = RecordsWindowLayout();
    const std::vector<CRecord>& table = Table();
    mCrownIcons.clear();
    for (int i = 0; i < kShownRows && mFirstRow >= 0 && mFirstRow + i < int(table.size()); ++i)
        if (table[size_t(mFirstRow + i)].crown)
            mCrownIcons.push_back(Icon("IMAGE_GUI_MEDALS_CROWN", layout.crown_start_pos, i));
    if (!mMedalIcons.empty())
        return;
    for (int i = 0; i < std::min(int(table.size()), kShownRows); ++i) {
        mMedalIcons.push_back(Icon("IMAGE_GUI_MEDALS_STAR", layout.star_start_pos, i));
        mMedalIcons.push_back(Icon("IMAGE_GUI_MEDALS_FISH", layout.fish_start_pos, i));
        mMedalIcons.push_back(Icon("IMAGE_GUI_MEDALS_SUN", layout.sun_start_pos, i));
    }
}

bool CRecordsWindow::Connect()
{
    int result = RunModal(new CConnectingDialog(mRecords, SystemTimeTicks()), -1);
    mConnected = result == CConnectingDialog::kSucceeded;
    if (!mConnected) {
        services::PlaySound("SOUND_CONNECTION_ERROR");
        RunModal(new CDialogBuilder("connection_failed", true), kMessageDialogId);
    }
    Focus(this);
    return mConnected;
}

void CRecordsWindow::SwitchTab(int tab)
{
    if (tab != kLocal && tab != kDaily && tab != kGlobal)
        return;
    const bool online = tab != kLocal;
    if (online && !CRecords::HasRecordsUrl())
        return;
    if (tab != mTab && online && !mConnected && !Connect())
        return;
    const bool changed = tab != mTab;
    mTab = tab;
    if (changed) {
        const std::vector<CRecord>& table = Table();
        const int size = int(table.size());
        int first = 0;
        CProfile* current = mProfiles.GetCurrentProfile();
        if (online && current) {
            for (int i = 0; i < size; ++i)
                if (!table[size_t(i)].generated && table[size_t(i)].name == current->name) {
                    first = i;
                    break;
                }
            if (first + kShownRows >= size)
                first = std::max(size - kShownRows, 0);
        }
        mFirstRow = first;
        PlaceTabs();
        BuildIcons();
        mScrollbar->SetMaxValue(size);
        mScrollbar->SetValue(first);
    }
    if (mClear)
        mClear->SetDisabled(online);
}

void CRecordsWindow::Clear()
{
    // Only a plain yes clears: a box closed any other way keeps the table.
    if (RunModal(new CDialogBuilder("clear_records", true), kMessageDialogId) != CDialogBuilder::LEFT) {
        Focus(this);
        return;
    }
    Focus(this);
    mHighlight = -1;
    mRecords.ClearLocalRecords();
    BuildIcons();
}

void CRecordsWindow::OnButtonRelease(int id)
{
    CGameDialog::OnButtonRelease(id);
    if (mOk && id == mOk->mId)
        Close(0);
    else if (mClear && id == mClear->mId)
        Clear();
    else if (mLocalTab && id == mLocalTab->mId)
        SwitchTab(kLocal);
    else if (mDailyTab && id == mDailyTab->mId)
        SwitchTab(kDaily);
    else if (mGlobalTab && id == mGlobalTab->mId)
        SwitchTab(kGlobal);
}

void CRecordsWindow::OnKeyDown(int key)
{
    if ((key == kKeyEnter || key == kKeyEscape) && mOk)
        OnButtonRelease(mOk->mId);
}

void CRecordsWindow::Update()
{
    CGameDialog::Update();
    for (CImage& icon : mMedalIcons)
        icon.Update(10);
    for (CImage& icon : mCrownIcons)
        icon.Update(10);
}

void CRecordsWindow::ScrollPosition(int id, double value)
{
    if (!mScrollbar)
        return;
    mFirstRow = std::max(int(std::floor(value)), 0);
    BuildIcons();
}

std::vector<CRecordsWindow::CShownRow> CRecordsWindow::ShownRows()
{
    std::vector<CShownRow> rows;
    const std::vector<CRecord>& table = Table();
    CProfile* current = mProfiles.GetCurrentProfile();
    for (int i = 0; i < kShownRows && mFirstRow + i < int(table.size()); ++i) {
        const CRecord& r = table[size_t(mFirstRow + i)];
        const int rank = mFirstRow + i + 1;
        bool mine = mTab == kLocal ? rank == mHighlight : (current && !r.generated && r.name == current->name);
        rows.push_back({RankAndName(rank, r.name), std::to_string(r.score), TwoDigits(r.star_medal),
                        TwoDigits(r.fish_medal), TwoDigits(r.sun_medal), mine ? kYellow : kWhite});
    }
    return rows;
}

void CRecordsWindow::Draw(Olvarn::Graphics& g)
{
    CGameDialog::Draw(g);
    for (CImage& icon : mMedalIcons)
        icon.Draw(g);
    for (CImage& icon : mCrownIcons)
        icon.Draw(g);
    const CRecordsWindowLayout& layout = RecordsWindowLayout();
    Olvarn::Font* font = services::FindFont(layout.font);
    if (!font)
        return;
    Olvarn::GraphicsStateSaver saver(g);
    g.SetFont(font);
    std::vector<CShownRow> rows = ShownRows();
    for (int i = 0; i < int(rows.size()); ++i) {
        const CShownRow& row = rows[size_t(i)];
        g.SetColor(row.color);
        DrawText(g, row.rankAndName, layout.name_start_pos, i);
        DrawText(g, row.score, layout.score_start_pos, i);
        DrawText(g, row.star, layout.star_count_pos, i);
        DrawText(g, row.fish, layout.fish_count_pos, i);
        DrawText(g, row.sun, layout.sun_count_pos, i);
    }
}

} // namespace tilvan
