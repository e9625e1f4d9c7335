// How the records' windows run a further window modally (a message, a confirmation, the connecting
// box, a profile dialog): through the application, or through a test's own runner.
#pragma once

#include <functional>

namespace Olvarn
{
class Dialog;
class Widget;
} // namespace Olvarn

namespace tilvan
{
namespace records
{

// Takes the dialog, runs it until it has a result, removes and deletes it; returns the result.
using ModalRunner = std::function<int(Olvarn::Dialog* dialog, int id)>;

// Runs the dialog under the id (-1: its own id).
int RunModal(Olvarn::Dialog* dialog, int id);
// An empty runner puts the application's back.
void SetModalRunner(ModalRunner runner);

// Gives the keyboard focus to the widget, when there is a widget manager.
void Focus(Olvarn::Widget* widget);

} // namespace records
} // namespace tilvan
