// Screen switching.
#include "shell/CScreenHolder.h"

#include "app/OlvarnAppBase.h"
#include "shell/CScreen.h"
#include "widgets/WidgetManager.h"

namespace tilvan
{

CScreenHolder::~CScreenHolder()
{
    RemoveScreen();
    pending.reset();
}

void CScreenHolder::SetScreen(CScreen* next)
{
    if (current && current->mParent)
        current->mParent->RemoveWidget(current.get());
    pending.reset(next);
}

void CScreenHolder::Update()
{
    Widget::Update();
    if (!pending)
        return;
    Olvarn::WidgetManager* manager = app->mWidgetManager;
    if (current && current->mParent)
        current->mParent->RemoveWidget(current.get());
    if (current)
        app->DeleteWidgetLater(current.release());
    current = std::move(pending);
    current->Resize(0, 0, app->mWidth, app->mHeight);
    manager->AddWidget(current.get());
    manager->SendToBack(current.get());
    if (mParent == manager)
        manager->SendToBack(this);
    manager->SetFocusWidget(current.get());
}

void CScreenHolder::RemoveScreen()
{
    if (mParent)
        mParent->RemoveWidget(this);
    if (current) {
        if (current->mParent)
            current->mParent->RemoveWidget(current.get());
        current.reset();
    }
}

} // namespace tilvan
