// What the create and rename dialogs share: the name box, the ok button's state and the conflict box.
#pragma once

#include <string>

namespace Olvarn
{
class EditWidget;
}

namespace tilvan
{

class CGameButton;

namespace records
{

constexpr int kKeyEnter = 13;
constexpr int kKeyEscape = 27;
// The id the records' message and confirmation boxes run under.
constexpr int kMessageDialogId = 100;

// At most the longest profile name; the text given, all of it selected with the cursor at its end.
void SetUpNameEdit(Olvarn::EditWidget& edit, const std::string& text);
// Ok only while there is a name to take.
void EnableOkForName(CGameButton* ok, const Olvarn::EditWidget* edit);
// The "profile_conflict" message, run modally.
void ShowProfileConflict();

} // namespace records
} // namespace tilvan
