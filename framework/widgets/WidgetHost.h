// What widgets ask of the program above them: the cursor, the clipboard, the dialog registry and
// one step of the message pump. The application implements it; widgets never include the application.
#pragma once

#include <string>

#include "resources/ResourceHost.h"

namespace Olvarn
{

class DialogListener;

class WidgetHost : public ResourceHost
{
public:
    // 0 pointer, 1 hand, 2 dragging, 3 text, 4 no, 5 none.
    virtual void SetCursor(int number) = 0;
    // In Windows-1252.
    virtual void CopyToClipboard(const std::string& text) = 0;
    virtual std::string GetClipboardText() = 0;
    // Who hears of dialog buttons when a dialog is given no listener of its own.
    virtual DialogListener* GetDefaultDialogListener() = 0;
    virtual bool CloseDialog(int id) = 0;
    // One step of the message pump, for nested loops; false when the program is ending.
    virtual bool PumpStep(bool& updated) = 0;
};

WidgetHost* GetWidgetHost();
void SetWidgetHost(WidgetHost* host);

} // namespace Olvarn
