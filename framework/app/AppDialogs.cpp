// The application's registry of framework dialogs: creation, centring, modal layers, closing with
// deferred deletion, and the forwarding of dialog buttons to the application's button operations.
#include <vector>

#include "app/OlvarnAppBase.h"
#include "widgets/Dialog.h"
#include "widgets/WidgetManager.h"

namespace Olvarn
{

namespace
{

// A dialog's first and second buttons reach the game as button ids offset by these.
constexpr int kFirstButtonOffset = 2000;
constexpr int kSecondButtonOffset = 3000;

} // namespace

Dialog* OlvarnAppBase::CreateDialogWidget(int id, bool modal, const std::string& header, const std::string& lines,
                                          const std::string& footer, int buttonMode)
{
    return new Dialog(nullptr, nullptr, id, modal, header, lines, footer, buttonMode);
}

Dialog* OlvarnAppBase::ShowDialog(int id, bool modal, const std::string& header, const std::string& lines,
                                  const std::string& footer, int buttonMode)
{
    CloseDialog(id);
    Dialog* dialog = CreateDialogWidget(id, modal, header, lines, footer, buttonMode);
    RegisterDialog(id, dialog);
    return dialog;
}

void OlvarnAppBase::RegisterDialog(int id, Dialog* dialog)
{
    if (!dialog)
        return;
    CloseDialog(id);
    if (dialog->mWidth == 0) {
        int width = mWidth / 2;
        int height = dialog->MeasureHeight(width);
        dialog->Resize((mWidth - width) / 2, mHeight / 5, width, height);
    }
    mDialogMap[id] = dialog;
    if (mWidgetManager)
        mWidgetManager->AddWidget(dialog);
    if (dialog->IsModal()) {
        if (mWidgetManager)
            mWidgetManager->AddBaseModal(dialog);
        OnModalDialogOpened();
    }
}

void OlvarnAppBase::AddDialogOwnId(Dialog* dialog)
{
    if (dialog)
        RegisterDialog(dialog->mId, dialog);
}

Dialog* OlvarnAppBase::FindDialog(int id)
{
    auto it = mDialogMap.find(id);
    return it == mDialogMap.end() ? nullptr : it->second;
}

int OlvarnAppBase::CountDialogs()
{
    return static_cast<int>(mDialogMap.size());
}

bool OlvarnAppBase::CloseDialog(int id)
{
    auto it = mDialogMap.find(id);
    if (it == mDialogMap.end())
        return false;
    Dialog* dialog = it->second;
    mDialogMap.erase(it);
    if (mWidgetManager)
        mWidgetManager->RemoveWidget(dialog);
    if (dialog->IsModal()) {
        OnModalDialogClosed();
        if (mWidgetManager)
            mWidgetManager->RemoveBaseModal(dialog);
    }
    DeleteWidgetLater(dialog);
    return true;
}

void OlvarnAppBase::CloseDialogOf(Dialog* dialog)
{
    if (dialog)
        CloseDialog(dialog->mId);
}

void OlvarnAppBase::DeleteAllDialogs()
{
    std::vector<Dialog*> dialogs;
    for (auto& entry : mDialogMap)
        dialogs.push_back(entry.second);
    mDialogMap.clear();
    for (Dialog* dialog : dialogs) {
        if (mWidgetManager) {
            mWidgetManager->RemoveWidget(dialog);
            if (dialog->IsModal())
                mWidgetManager->RemoveBaseModal(dialog);
        }
        // A deletion queued earlier must not free the dialog a second time.
        mDeferredDeletions.remove_if([dialog](const auto& entry) { return entry.second == dialog; });
        delete dialog;
    }
}

void OlvarnAppBase::OnDialogButtonPress(int dialogId, int buttonId)
{
    if (buttonId == Dialog::ID_YES)
        OnButtonPress(dialogId + kFirstButtonOffset);
    else if (buttonId == Dialog::ID_NO)
        OnButtonPress(dialogId + kSecondButtonOffset);
}

void OlvarnAppBase::OnDialogButtonRelease(int dialogId, int buttonId)
{
    if (buttonId == Dialog::ID_YES)
        OnButtonRelease(dialogId + kFirstButtonOffset);
    else if (buttonId == Dialog::ID_NO)
        OnButtonRelease(dialogId + kSecondButtonOffset);
}

} // namespace Olvarn
