// The rename-profile dialog.
#include "records/CRenameProfileDialog.h"

#include "records/CProfiles.h"

namespace tilvan
{

namespace
{

std::string CurrentName(CProfiles& profiles)
{
    const CProfile* current = profiles.GetCurrentProfile();
    return current ? current->name : std::string();
}

} // namespace

CRenameProfileDialog::CRenameProfileDialog(CProfiles& profiles)
    : CProfileNameDialog(profiles, "renameprofile", CurrentName(profiles))
{
}

bool CRenameProfileDialog::IsTakenBy(const CProfile& holder) const
{
    // Keeping one's own name is no conflict.
    return &holder != mProfiles.GetCurrentProfile();
}

bool CRenameProfileDialog::TakeName(const std::string& name)
{
    // Without a current profile there is nothing to rename; a refused name keeps the dialog open.
    CProfile* current = mProfiles.GetCurrentProfile();
    if (!current || !CProfiles::IsValidName(name))
        return false;
    current->name = name;
    return true;
}

} // namespace tilvan
