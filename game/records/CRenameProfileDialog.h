// The dialog that renames the current profile: an edit box with its name, ok and cancel.
#pragma once

#include "shell/CGameDialog.h"

namespace tilvan
{

class CGameButton;
class CProfiles;

class CRenameProfileDialog : public CGameDialog
{
public:
    static constexpr int kDialogId = 3;

    explicit CRenameProfileDialog(CProfiles& profiles);

    void OnAttached(Olvarn::WidgetManager* manager) override;
    void Update() override;
    void OnKeyDown(int key) override;
    void OnButtonRelease(int id) override;

    CGameEditWidget* Edit() const { return mEdit; }
    CGameButton* OkButton() const { return mOk; }
    CGameButton* CancelButton() const { return mCancel; }

private:
    CProfiles& mProfiles;
    CGameButton* mOk = nullptr;
    CGameButton* mCancel = nullptr;
    CGameEditWidget* mEdit = nullptr;
    bool mBusy = false;
};

} // namespace tilvan
