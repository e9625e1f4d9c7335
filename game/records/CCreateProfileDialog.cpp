// The create-profile dialog.
#include "records/CCreateProfileDialog.h"

#include "records/CProfiles.h"
#include "records/ProfileDialogParts.h"
#include "records/RecordsModal.h"
#include "shell/CGameButton.h"

namespace tilvan
{

using namespace records;

CCreateProfileDialog::CCreateProfileDialog(CProfiles& profiles, bool noCancel, const std::string& initialName)
    : CGameDialog(kDialogId, "createprofile", true), mProfiles(profiles)
{
    if (CreateEdit(mEdit, "edit", this))
        SetUpNameEdit(*mEdit, initialName);
    CreateButton(mOk, "ok");
    CreateButton(mCancel, "cancel");
    if (noCancel && mCancel) {
        mCancel->SetDisabled(true);
        mCancel->SetVisible(false);
        if (mOk)
            mOk->Resize(mOk->mX, mOk->mY, mOk->mWidth + mCancel->mWidth, mOk->mHeight);
    }
    EnableOkForName(mOk, mEdit);
}

void CCreateProfileDialog::OnAttached(Olvarn::WidgetManager* manager)
{
    CGameDialog::OnAttached(manager);
    if (mEdit)
        Focus(mEdit);
}

void CCreateProfileDialog::Update()
{
    CGameDialog::Update();
    EnableOkForName(mOk, mEdit);
    if (!mBusy && mEdit && !mEdit->mHasFocus)
        Focus(mEdit);
}

void CCreateProfileDialog::OnKeyDown(int key)
{
    if (mBusy)
        return;
    if (key == kKeyEnter && mOk && !mOk->mIsDisabled)
        OnButtonRelease(mOk->mId);
    else if (key == kKeyEscape && mCancel && !mCancel->mIsDisabled)
        OnButtonRelease(mCancel->mId);
}

void CCreateProfileDialog::OnButtonRelease(int id)
{
    if (mBusy)
        return;
    CGameDialog::OnButtonRelease(id);
    if (mOk && id == mOk->mId) {
        if (!mEdit || mEdit->mText.empty())
            return;
        const std::string name = mEdit->mText;
        if (mProfiles.FindProfile(name)) {
            mBusy = true;
            ShowProfileConflict();
            mBusy = false;
            Focus(mEdit);
            return;
        }
        // A name the profiles refuse (control bytes) leaves the dialog open rather than claiming success.
        if (mProfiles.AddProfile(name, true))
            Close(1);
    } else if (mCancel && id == mCancel->mId) {
        Close(0);
    }
}

} // namespace tilvan
