// The credits.
#include "shell/CCreditsDialog.h"

#include "shell/CGameButton.h"

namespace tilvan
{

namespace
{
constexpr int kKeyEnter = 13;
constexpr int kKeyEscape = 27;
} // namespace

CCreditsDialog::CCreditsDialog() : CGameDialog(kDialogId, "credits", false)
{
    CreateButton(okButton, "ok");
}

void CCreditsDialog::OnKeyDown(int key)
{
    if (key == kKeyEnter || key == kKeyEscape)
        Close(0);
}

void CCreditsDialog::OnButtonRelease(int id)
{
    CGameDialog::OnButtonRelease(id);
    if (okButton && id == okButton->mId)
        Close(0);
}

} // namespace tilvan
