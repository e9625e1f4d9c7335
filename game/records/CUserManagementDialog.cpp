// The user management dialog.
#include "records/CUserManagementDialog.h"

#include <algorithm>
#include <cmath>

#include "data/CStringTable.h"
#include "data/DataCodecs.h"
#include "records/CCreateProfileDialog.h"
#include "records/CProfiles.h"
#include "records/CRenameProfileDialog.h"
#include "records/ProfileDialogParts.h"
#include "records/RecordsModal.h"
#include "shell/CDialogBuilder.h"
#include "shell/CGameButton.h"
#include "shell/GameServices.h"
#include "widgets/ListWidget.h"

namespace tilvan
{

using namespace records;

namespace
{

void SetArrowImages(CGameButton* button, const char* normal, const char* over, const char* press)
{
    if (!button)
        return;
    button->mButtonImage = services::FindImage(normal);
    button->mOverImage = services::FindImage(over);
    button->mDownImage = services::FindImage(press);
}

// The first line below the one shown at the top that still keeps the last line in view.
int NextTop(double position, double visible)
{
    return static_cast<int>(std::floor(position + visible + 1) - std::floor(visible));
}

} // namespace

CUserManagementDialog::CUserManagementDialog(CProfiles& profiles)
    : CGameDialog(kDialogId, "usermanagement", true), mProfiles(profiles)
{
    if (CProfile* current = mProfiles.GetCurrentProfile())
        mOpeningName = current->name;
    CreateButton(mRename, "rename");
    CreateButton(mOk, "ok");
    CreateButton(mDelete, "delete");
    CreateButton(mCancel, "cancel");
    if (CreateButton(mScrollUp, "scrollup"))
        SetArrowImages(mScrollUp, "IMAGE_GUI_SCROLL_ARROWUP", "IMAGE_GUI_SCROLL_ARROWUP_OVER",
                       "IMAGE_GUI_SCROLL_ARROWUP_PRESS");
    if (CreateButton(mScrollDown, "scrolldown"))
        SetArrowImages(mScrollDown, "IMAGE_GUI_SCROLL_ARROWDOWN", "IMAGE_GUI_SCROLL_ARROWDOWN_OVER",
                       "IMAGE_GUI_SCROLL_ARROWDOWN_PRESS");
    if (CreateList(mList, "mainlist")) {
        mList->mJustify = 1;
        mList->AddLine(GetStringTable().GetString(kNewProfileText), false);
        for (int i = 0; i < mProfiles.GetCount(); ++i)
            mList->AddLine(mProfiles.GetProfile(i)->name, false);
        SelectCurrent();
    }
    UpdateScrollButtons();
}

void CUserManagementDialog::SelectCurrent()
{
    if (!mList)
        return;
    CProfile* current = mProfiles.GetCurrentProfile();
    int line = current ? mList->GetLineIdx(current->name) : -1;
    // Line 0 is the new-profile entry, never a profile, even when a profile has its text.
    if (current && line == 0) {
        line = -1;
        for (int i = 1; i < mList->GetLineCount(); ++i)
            if (mList->GetStringAt(i) == current->name) {
                line = i;
                break;
            }
    }
    mList->SetSelect(line);
}

void CUserManagementDialog::UpdateScrollButtons()
{
    if (!mList)
        return;
    const int lines = mList->GetLineCount();
    const double visible = mList->mPageSize;
    const int step = std::min(lines, NextTop(mList->mPosition, visible));
    const bool disable = step + visible > lines;
    if (mScrollUp)
        mScrollUp->SetDisabled(disable);
    if (mScrollDown)
        mScrollDown->SetDisabled(disable);
}

void CUserManagementDialog::OnKeyDown(int key)
{
    if (key == kKeyEnter)
        Close(0);
    else if (key == kKeyEscape && mCancel)
        OnButtonRelease(mCancel->mId);
}

void CUserManagementDialog::OnButtonRelease(int id)
{
    CGameDialog::OnButtonRelease(id);
    if (mOk && id == mOk->mId) {
        Close(0);
    } else if (mCancel && id == mCancel->mId) {
        mProfiles.SetCurrentProfile(mOpeningName);
        Close(0);
    } else if (mRename && id == mRename->mId) {
        Rename();
    } else if (mDelete && id == mDelete->mId) {
        Delete();
    } else if (mList && mScrollUp && id == mScrollUp->mId) {
        mList->ScrollPosition(0, std::max(std::floor(mList->mPosition) - 1, 0.0));
    } else if (mList && mScrollDown && id == mScrollDown->mId) {
        int top = std::min(NextTop(mList->mPosition, mList->mPageSize), mList->GetLineCount());
        if (top + mList->mPageSize <= mList->GetLineCount())
            mList->ScrollPosition(0, top);
    }
}

void CUserManagementDialog::Rename()
{
    RunModal(new CRenameProfileDialog(mProfiles), -1);
    Focus(this);
    if (!mList)
        return;
    int selected = mList->mSelectIndex;
    CProfile* current = mProfiles.GetCurrentProfile();
    if (current && selected > 0)
        mList->SetLine(selected, current->name);
}

void CUserManagementDialog::Delete()
{
    if (!mList || mList->mSelectIndex < 1 || mList->mSelectIndex >= mList->GetLineCount())
        return;
    const int selected = mList->mSelectIndex;
    const std::string name = mList->GetStringAt(selected);
    auto* confirm = new CDialogBuilder("delete_profile", true);
    // The name is put in as it stands: its own "%" or "$" are never read as codes.
    confirm->SetText(SubstituteTextCodes(confirm->GetText(), {name}));
    // Only a plain yes deletes: a box refused or closed any other way keeps the profile.
    if (RunModal(confirm, kMessageDialogId) != CDialogBuilder::LEFT) {
        Focus(this);
        return;
    }
    Focus(this);
    mProfiles.DeleteProfile(name);
    mList->RemoveLine(selected);
    if (mProfiles.GetCount() > 0) {
        int line = std::min(selected, mList->GetLineCount() - 1);
        mList->SetSelect(line);
        mProfiles.SetCurrentProfile(mList->GetStringAt(line));
    } else {
        RunModal(new CCreateProfileDialog(mProfiles, true, ""), -1);
        Focus(this);
        if (CProfile* current = mProfiles.GetCurrentProfile()) {
            mList->AddLine(current->name, false);
            mList->SetSelect(1);
        }
    }
    UpdateScrollButtons();
}

void CUserManagementDialog::CreateFromList()
{
    int result = RunModal(new CCreateProfileDialog(mProfiles, false, ""), -1);
    Focus(this);
    if (result == 1)
        Close(0);
}

void CUserManagementDialog::OnListClicked(int id, int lineIndex, int clickCode)
{
    CGameDialog::OnListClicked(id, lineIndex, clickCode);
    if (!mList || id != mList->mId || (clickCode != 1 && clickCode != 2))
        return;
    if (lineIndex == 0) {
        CreateFromList();
    } else if (lineIndex > 0 && lineIndex < mList->GetLineCount()) {
        mList->SetSelect(lineIndex);
        mProfiles.SetCurrentProfile(mList->GetStringAt(lineIndex));
    }
}

} // namespace tilvan
