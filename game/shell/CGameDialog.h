// The base of the game's modal windows: a framework dialog with the game's frame, an optional
// decoration on its top edge, content from a window description, and its opening, closing and
// click sounds.
#pragma once

#include <string>

#include "shell/CGuiWindow.h"
#include "widgets/Dialog.h"

namespace tilvan
{

class CGameDialog : public Olvarn::Dialog, public CGuiWindow
{
public:
    CGameDialog(int dialogId, const std::string& windowName, bool decoration);
    ~CGameDialog() override;

    // Stores the result, asks the application to close the dialog and focuses the current screen.
    void Close(int result);

    void OnAttached(Olvarn::WidgetManager* manager) override;
    void OnDetached(Olvarn::WidgetManager* manager) override;
    void Update() override;
    void Draw(Olvarn::Graphics& g) override;
    void Resize(int x, int y, int width, int height) override;

    void OnButtonRelease(int id) override;
    void CheckboxChecked(int id, bool checked) override;
    void OnListClicked(int id, int lineIndex, int clickCode) override;
};

} // namespace tilvan
