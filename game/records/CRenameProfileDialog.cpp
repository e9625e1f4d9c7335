// The rename-profile dialog.
#include "records/CRenameProfileDialog.h"

#include "records/CProfiles.h"
#include "records/ProfileDialogParts.h"
#include "records/RecordsModal.h"
#include "shell/CGameButton.h"

namespace tilvan
{

using namespace records;

CRenameProfileDialog::CRenameProfileDialog(CProfiles& profiles)
    : CGameDialog(kDialogId, "renameprofile", true), mProfiles(profiles)
{
    if (CreateEdit(mEdit, "edit", this)) {
        CProfile* current = mProfiles.GetCurrentProfile();
        SetUpNameEdit(*mEdit, current ? current->name : std::string());
    }
    CreateButton(mOk, "ok");
    CreateButton(mCancel, "cancel");
    EnableOkForName(mOk, mEdit);
}

void CRenameProfileDialog::OnAttached(Olvarn::WidgetManager* manager)
{
    CGameDialog::OnAttached(manager);
    if (mEdit) {
        Focus(mEdit);
        mEdit->mHilitePos = 0;
        mEdit->mCursorPos = static_cast<int>(mEdit->mText.size());
    }
}

void CRenameProfileDialog::Update()
{
    CGameDialog::Update();
    EnableOkForName(mOk, mEdit);
    if (!mBusy && mEdit && !mEdit->mHasFocus)
        Focus(mEdit);
}

void CRenameProfileDialog::OnKeyDown(int key)
{
    if (mBusy)
        return;
    if (key == kKeyEnter && mOk && !mOk->mIsDisabled)
        OnButtonRelease(mOk->mId);
    else if (key == kKeyEscape && mCancel)
        OnButtonRelease(mCancel->mId);
}

void CRenameProfileDialog::OnButtonRelease(int id)
{
    if (mBusy)
        return;
    CGameDialog::OnButtonRelease(id);
    if (mOk && id == mOk->mId) {
        if (!mEdit || mEdit->mText.empty())
            return;
        const std::string name = mEdit->mText;
        CProfile* current = mProfiles.GetCurrentProfile();
        CProfile* holder = mProfiles.FindProfile(name);
        if (holder && holder != current) {
            mBusy = true;
            ShowProfileConflict();
            mBusy = false;
            Focus(mEdit);
            return;
        }
        // Without a current profile there is nothing to rename; a refused name keeps the dialog open.
        if (!current || !CProfiles::IsValidName(name))
            return;
        current->name = name;
        Close(1);
    } else if (mCancel && id == mCancel->mId) {
        Close(0);
    }
}

} // namespace tilvan
