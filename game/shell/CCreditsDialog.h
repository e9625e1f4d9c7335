// The credits: a game dialog built from the window description "credits", closed by its "ok"
// button, Enter or Esc.
#pragma once

#include "shell/CGameDialog.h"

namespace tilvan
{

class CGameButton;

class CCreditsDialog : public CGameDialog
{
public:
    static constexpr int kDialogId = 6;

    CCreditsDialog();

    void OnKeyDown(int key) override;
    void OnButtonRelease(int id) override;

    CGameButton* okButton = nullptr;
};

} // namespace tilvan
