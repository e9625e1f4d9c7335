// The shared parts of the profile dialogs.
#include "records/ProfileDialogParts.h"

#include "records/CProfile.h"
#include "records/RecordsModal.h"
#include "shell/CDialogBuilder.h"
#include "shell/CGameButton.h"
#include "widgets/EditWidget.h"

namespace tilvan
{
namespace records
{

void SetUpNameEdit(Olvarn::EditWidget& edit, const std::string& text)
{
    edit.mMaxChars = static_cast<int>(CProfile::kMaxNameLength);
    edit.SetText(text.substr(0, CProfile::kMaxNameLength), false);
    edit.mHilitePos = 0;
    edit.mCursorPos = static_cast<int>(edit.mText.size());
}

void EnableOkForName(CGameButton* ok, const Olvarn::EditWidget* edit)
{
    if (ok)
        ok->SetDisabled(!edit || edit->mText.empty());
}

void ShowProfileConflict()
{
    RunModal(new CDialogBuilder("profile_conflict", true), kMessageDialogId);
}

} // namespace records
} // namespace tilvan
