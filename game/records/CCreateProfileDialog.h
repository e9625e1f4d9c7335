// The dialog that names a new profile: an edit box, ok and cancel. A taken or empty name is refused.
#pragma once

#include <string>

#include "shell/CGameDialog.h"

namespace tilvan
{

class CGameButton;
class CProfiles;

class CCreateProfileDialog : public CGameDialog
{
public:
    static constexpr int kDialogId = 3;

    // Without cancel the player must name a profile (the game has none yet).
    CCreateProfileDialog(CProfiles& profiles, bool noCancel, const std::string& initialName);

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
