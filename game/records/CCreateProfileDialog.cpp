// The create-profile dialog.
#include "records/CCreateProfileDialog.h"

#include "records/CProfiles.h"
#include "shell/CGameButton.h"

namespace tilvan
{

CCreateProfileDialog::CCreateProfileDialog(CProfiles& profiles, bool noCancel, const std::string& initialName)
    : CProfileNameDialog(profiles, "createprofile", initialName)
{
    if (noCancel && mCancel) {
        mCancel->SetDisabled(true);
        mCancel->SetVisible(false);
        if (mOk)
            mOk->Resize(mOk->mX, mOk->mY, mOk->mWidth + mCancel->mWidth, mOk->mHeight);
    }
}

bool CCreateProfileDialog::IsTakenBy(const CProfile&) const
{
    return true;
}

bool CCreateProfileDialog::TakeName(const std::string& name)
{
    // A name the profiles refuse (control bytes) leaves the dialog open rather than claiming success.
    return mProfiles.AddProfile(name, true);
}

} // namespace tilvan
