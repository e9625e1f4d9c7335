// The profile-name dialogs' common part.
#include "records/CProfileNameDialog.h"

#include "records/CProfiles.h"
#include "records/ProfileDialogParts.h"
#include "records/RecordsModal.h"
#include "shell/CGameButton.h"

namespace tilvan
{

using namespace records;

CProfileNameDialog::CProfileNameDialog(CProfiles& profiles, const char* windowName, const std::string& initialName)
    : CGameDialog(kDialogId, windowName, true), mProfiles(profiles)
{
    if (CreateEdit(mEdit, "edit", this))
        SetUpNameEdit(*mEdit, initialName);
    CreateButton(mOk, "ok");
    CreateButton(mCancel, "cancel");
    EnableOkForName(mOk, mEdit);
}

void CProfileNameDialog::OnAttached(Olvarn::WidgetManager* manager)
{
    CGameDialog::OnAttached(manager);
    if (mEdit) {
        Focus(mEdit);
        mEdit->mHilitePos = 0;
        mEdit->mCursorPos = static_cast<int>(mEdit->mText.size());
    }
}

void CProfileNameDialog::Update()
{
    CGameDialog::Update();
    EnableOkForName(mOk, mEdit);
    if (!mBusy && mEdit && !mEdit->mHasFocus)
        Focus(mEdit);
}

void CProfileNameDialog::OnKeyDown(int key)
{
    if (mBusy)
        return;
    if (key == kKeyEnter && mOk && !mOk->mIsDisabled)
        OnButtonRelease(mOk->mId);
    else if (key == kKeyEscape && mCancel && !mCancel->mIsDisabled)
        OnButtonRelease(mCancel->mId);
}

void CProfileNameDialog::OnButtonRelease(int id)
{
    if (mBusy)
        return;
    CGameDialog::OnButtonRelease(id);
    if (mOk && id == mOk->mId) {
        if (!mEdit || mEdit->mText.empty())
            return;
        const std::string name = mEdit->mText;
        const CProfile* holder = mProfiles.FindProfile(name);
        if (holder && IsTakenBy(*holder)) {
            mBusy = true;
            ShowProfileConflict();
            mBusy = false;
            Focus(mEdit);
            return;
        }
        if (TakeName(name))
            Close(1);
    } else if (mCancel && id == mCancel->mId) {
        Close(0);
    }
}

} // namespace tilvan
