// What a dialog reports about its two standard buttons (ids 1000 and 1001); the application
// listens by default.
#pragma once

namespace Olvarn
{

class DialogListener
{
public:
    virtual ~DialogListener() = default;

    virtual void OnDialogButtonPress(int dialogId, int buttonId) {}
    // A click, after the dialog's result was set to the button id.
    virtual void OnDialogButtonRelease(int dialogId, int buttonId) {}
};

} // namespace Olvarn
