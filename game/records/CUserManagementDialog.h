// The profile list: pick the current profile, create, rename and delete profiles, keep the choice
// (ok) or go back to the profile that was current when the dialog opened (cancel).
#pragma once

#include <string>

#include "shell/CGameDialog.h"

namespace Olvarn
{
class ListWidget;
}

namespace tilvan
{

class CGameButton;
class CProfiles;

class CUserManagementDialog : public CGameDialog
{
public:
    static constexpr int kDialogId = 2;
    // The first line of the list stands for a new profile.
    static constexpr int kNewProfileText = 135;

    explicit CUserManagementDialog(CProfiles& profiles);

    void OnKeyDown(int key) override;
    void OnButtonRelease(int id) override;
    void OnListClicked(int id, int lineIndex, int clickCode) override;
    // Both scroll buttons are usable only while some line is out of view.
    void UpdateScrollButtons();

    Olvarn::ListWidget* List() const { return mList; }
    CGameButton* RenameButton() const { return mRename; }
    CGameButton* OkButton() const { return mOk; }
    CGameButton* DeleteButton() const { return mDelete; }
    CGameButton* CancelButton() const { return mCancel; }
    CGameButton* ScrollUpButton() const { return mScrollUp; }
    CGameButton* ScrollDownButton() const { return mScrollDown; }

private:
    void Rename();
    void Delete();
    void CreateFromList();
    // The list's line of the current profile becomes the selected one.
    void SelectCurrent();

    std::string mOpeningName;
    CProfiles& mProfiles;
    Olvarn::ListWidget* mList = nullptr;
    CGameButton* mRename = nullptr;
    CGameButton* mOk = nullptr;
    CGameButton* mDelete = nullptr;
    CGameButton* mCancel = nullptr;
    CGameButton* mScrollUp = nullptr;
    CGameButton* mScrollDown = nullptr;
};

} // namespace tilvan
