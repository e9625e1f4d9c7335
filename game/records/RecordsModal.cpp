// The modal runner of the records' windows.
#include "records/RecordsModal.h"

#include "shell/GameServices.h"
#include "widgets/Dialog.h"
#include "widgets/WidgetManager.h"

namespace tilvan
{
namespace records
{

namespace
{
ModalRunner& Runner()
{
    static ModalRunner runner;
    return runner;
}
} // namespace

int RunModal(Olvarn::Dialog* dialog, int id)
{
    if (Runner())
        return Runner()(dialog, id);
    return services::RunDialog(dialog, id, true);
}

void SetModalRunner(ModalRunner runner)
{
    Runner() = std::move(runner);
}

void Focus(Olvarn::Widget* widget)
{
    if (Olvarn::WidgetManager* manager = services::WidgetManager())
        manager->SetFocusWidget(widget);
}

} // namespace records
} // namespace tilvan
