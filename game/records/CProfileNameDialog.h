// What the create and rename dialogs are alike in: an edit box for a profile name, ok and cancel,
// Enter and Escape, and the conflict box for a name another profile holds.
#pragma once

#include <string>

#include "shell/CGameDialog.h"

namespace tilvan
{

class CGameButton;
class CProfile;
class CProfiles;

class CProfileNameDialog : public CGameDialog
{
public:
    static constexpr int kDialogId = 3;

    void OnAttached(Olvarn::WidgetManager* manager) override;
    void Update() override;
    void OnKeyDown(int key) override;
    void OnButtonRelease(int id) override;

    CGameEditWidget* Edit() const { return mEdit; }
    CGameButton* OkButton() const { return mOk; }
    CGameButton* CancelButton() const { return mCancel; }

protected:
    CProfileNameDialog(CProfiles& profiles, const char* windowName, const std::string& initialName);

    // Whether the profile holding the typed name stands in the way.
    virtual bool IsTakenBy(const CProfile& holder) const = 0;
    // Gives the profile its name; false keeps the dialog open.
    virtual bool TakeName(const std::string& name) = 0;

    CProfiles& mProfiles;
    CGameButton* mOk = nullptr;
    CGameButton* mCancel = nullptr;
    CGameEditWidget* mEdit = nullptr;

private:
    bool mBusy = false;
};

} // namespace tilvan
