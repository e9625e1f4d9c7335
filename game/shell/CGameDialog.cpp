// Game dialogs.
#include "shell/CGameDialog.h"

#include "graphics/DDImage.h"
#include "graphics/Image.h"
#include "resources/ResourceManager.h"
#include "shell/GameLog.h"
#include "shell/GameServices.h"
#include "widgets/ButtonWidget.h"
#include "widgets/WidgetManager.h"

namespace tilvan
{

using services::FindImage;

CGameDialog::CGameDialog(int dialogId, const std::string& windowName, bool decoration)
    : Olvarn::Dialog(FindImage("IMAGE_GUI_FRAME"), nullptr, dialogId, true, "", "", "", BUTTONS_NONE),
      CGuiWindow(windowName)
{
    services::PlaySound("SOUND_WINDOW_OPEN");
    if (description) {
        float x = description->x, y = description->y;
        if (x == -1 && y == -1) {
            x = float(services::ScreenWidth() / 2) - description->width / 2;
            y = float(services::ScreenHeight() / 2) - description->height / 2;
        }
        int oldX = mX, oldY = mY;
        Olvarn::Dialog::Resize(int(x), int(y), int(description->width), int(description->height));
        MoveWidgets(mX - oldX, mY - oldY);
    }
    if (decoration) {
        Olvarn::Image* dekor = FindImage("IMAGE_GUI_DEKOR");
        if (!dekor) {
            // The decoration is only a picture: without it the dialog still works.
            LogText("Missing image IMAGE_GUI_DEKOR: dialog without decoration\n");
            return;
        }
        auto* widget = new Olvarn::ButtonWidget(nextWidgetId++, nullptr);
        widget->mButtonImage = dekor;
        widget->mDownImage = dekor;
        widget->mDisabledImage = dekor;
        widget->SetDisabled(true);
        widget->Resize(mWidth / 2 - dekor->GetWidth() / 2, -2 * dekor->GetHeight() / 3, dekor->GetWidth(),
                       dekor->GetHeight());
        CGuiWindow::AddWidget(widget);
    }
}

CGameDialog::~CGameDialog()
{
    services::PlaySound("SOUND_WINDOW_CLOSE");
}

void CGameDialog::Close(int result)
{
    mResult = result;
    services::CloseDialog(this);
}

void CGameDialog::OnAttached(Olvarn::WidgetManager* manager)
{
    Olvarn::Dialog::OnAttached(manager);
    AddWidgetsToManager(manager);
    MoveWidgets(mX, mY);
    manager->SetFocusWidget(this);
}

void CGameDialog::OnDetached(Olvarn::WidgetManager* manager)
{
    RemoveWidgetsFromManager(manager);
    Olvarn::Dialog::OnDetached(manager);
}

void CGameDialog::Update()
{
    Olvarn::Dialog::Update();
    UpdateImages(10.0f);
}

void CGameDialog::Draw(Olvarn::Graphics& g)
{
    Olvarn::Dialog::Draw(g);
    DrawWindow(g);
}

void CGameDialog::Resize(int x, int y, int width, int height)
{
    int oldX = mX, oldY = mY;
    Olvarn::Dialog::Resize(x, y, width, height);
    MoveWidgets(mX - oldX, mY - oldY);
}

void CGameDialog::OnButtonRelease(int id)
{
    services::PlaySound("SOUND_BUTTON_CLICK");
}

void CGameDialog::CheckboxChecked(int id, bool checked)
{
    services::PlaySound("SOUND_BUTTON_CLICK");
}

void CGameDialog::OnListClicked(int id, int lineIndex, int clickCode)
{
    services::PlaySound("SOUND_BUTTON_CLICK");
}

} // namespace tilvan
