// Game windows built from descriptions.
#include "shell/CGuiWindow.h"

#include <algorithm>

#include "graphics/DDImage.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "resources/ResourceManager.h"
#include "shell/CGameButton.h"
#include "shell/GameServices.h"
#include "widgets/Checkbox.h"
#include "widgets/ListWidget.h"
#include "widgets/Slider.h"
#include "widgets/WidgetContainer.h"

namespace tilvan
{

namespace
{

Olvarn::Image* Image(const std::string& id)
{
    return id.empty() ? nullptr : services::FindImage(id);
}

Olvarn::Font* Font(const char* id)
{
    return services::FindFont(id);
}

} // namespace

void CGameEditWidget::OnKeyDown(int key)
{
    Olvarn::EditWidget::OnKeyDown(key);
    if (owner)
        owner->OnKeyDown(key);
}

CGuiWindow::CGuiWindow(const std::string& windowName) : description(CGuiDescriptions::Instance().FindWindow(windowName))
{
    if (!description)
        return;
    labels = description->labels;
    images.reserve(description->images.size());
    for (const CGuiDescriptions::ImageDescription& d : description->images) {
        images.emplace_back(d.id, int(d.x), int(d.y));
        images.back().SetAlpha(d.alpha);
    }
}

CGuiWindow::~CGuiWindow()
{
    for (Olvarn::Widget* widget : widgets)
        delete widget;
}

const CGuiDescriptions::WidgetDescription* CGuiWindow::Find(const std::string& id) const
{
    return description ? description->FindWidget(id) : nullptr;
}

void CGuiWindow::Place(Olvarn::Widget* widget, const CGuiDescriptions::WidgetDescription& d, int imageWidth,
                       int imageHeight)
{
    float width = d.width, height = d.height;
    if (width == -1)
        width = imageWidth != 0 ? float(imageWidth) : -1;
    if (height == -1)
        height = imageHeight != 0 ? float(imageHeight) : -1;
    float x = d.xCentered ? d.x - width / 2 : d.x;
    widget->Resize(int(x), int(d.y), int(width), int(height));
    widgets.push_back(widget);
}

bool CGuiWindow::CreateButton(CGameButton*& out, const std::string& id)
{
    out = nullptr;
    const CGuiDescriptions::WidgetDescription* d = Find(id);
    if (!d)
        return false;
    try {
        auto* button = new CGameButton(nextWidgetId++, this);
        button->mButtonImage = Image(d->image);
        button->mOverImage = Image(d->imageOver);
        button->mDownImage = Image(d->imagePress);
        button->mDisabledImage = Image(d->imageOff);
        if (Olvarn::Font* font = Font("FONT_DEFAULT"))
            button->SetFont(font);
        const int colors[][4] = {{0, 97, 146, 255}, {0, 95, 202, 255}, {0, 157, 206, 128}};
        button->SetColorTableRGBA(colors, 3);
        button->mLabel = d->text.Get();
        button->ShowHandCursor(true);
        Olvarn::Image* normal = button->mButtonImage;
        Place(button, *d, normal ? normal->GetWidth() : 0, normal ? normal->GetHeight() : 0);
        out = button;
        return true;
    } catch (...) {
        return false;
    }
}

bool CGuiWindow::CreateCheckbox(Olvarn::Checkbox*& out, const std::string& id)
{
    out = nullptr;
    const CGuiDescriptions::WidgetDescription* d = Find(id);
    if (!d)
        return false;
    try {
        Olvarn::Image* clear = Image(d->image);
        auto* checkbox = new Olvarn::Checkbox(clear, Image(d->imageOver), nextWidgetId++, this);
        Place(checkbox, *d, clear ? clear->GetWidth() : 0, clear ? clear->GetHeight() : 0);
        out = checkbox;
        return true;
    } catch (...) {
        return false;
    }
}

bool CGuiWindow::CreateSlider(Olvarn::Slider*& out, const std::string& id)
{
    out = nullptr;
    const CGuiDescriptions::WidgetDescription* d = Find(id);
    if (!d)
        return false;
    try {
        Olvarn::Image* track = Image(d->image);
        auto* slider = new Olvarn::Slider(track, Image(d->imageOver), nextWidgetId++, this);
        Place(slider, *d, track ? track->GetWidth() : 0, track ? track->GetHeight() : 0);
        out = slider;
        return true;
    } catch (...) {
        return false;
    }
}

bool CGuiWindow::CreateList(Olvarn::ListWidget*& out, const std::string& id)
{
    out = nullptr;
    const CGuiDescriptions::WidgetDescription* d = Find(id);
    if (!d)
        return false;
    try {
        auto* list = new Olvarn::ListWidget(nextWidgetId++, Font("FONT_DEFAULT"), this);
        const int colors[][3] = {{65, 132, 185},  {255, 255, 255}, {0, 66, 127},
                                 {255, 255, 255}, {190, 233, 241}, {0, 66, 127}};
        list->SetColorTableRGB(colors, 6);
        list->Resize(int(d->x), int(d->y), int(d->width), int(d->height));
        widgets.push_back(list);
        out = list;
        return true;
    } catch (...) {
        return false;
    }
}

bool CGuiWindow::CreateEdit(CGameEditWidget*& out, const std::string& id, Olvarn::Widget* owner)
{
    out = nullptr;
    const CGuiDescriptions::WidgetDescription* d = Find(id);
    if (!d)
        return false;
    try {
        auto* edit = new CGameEditWidget(nextWidgetId++, this, owner);
        if (Olvarn::Font* font = Font("FONT_TEXT"))
            edit->SetFont(font);
        const int colors[][3] = {{65, 132, 185}, {255, 255, 255}, {255, 255, 255}, {190, 233, 241}, {0, 66, 127}};
        edit->SetColorTableRGB(colors, 5);
        edit->Resize(int(d->x), int(d->y), int(d->width), int(d->height));
        widgets.push_back(edit);
        out = edit;
        return true;
    } catch (...) {
        return false;
    }
}

void CGuiWindow::AddWidgetsToManager(Olvarn::WidgetContainer* manager)
{
    for (Olvarn::Widget* widget : widgets)
        manager->AddWidget(widget);
}

void CGuiWindow::RemoveWidgetsFromManager(Olvarn::WidgetContainer* manager)
{
    for (Olvarn::Widget* widget : widgets)
        manager->RemoveWidget(widget);
}

void CGuiWindow::MoveWidgets(int dx, int dy)
{
    for (Olvarn::Widget* widget : widgets)
        widget->Resize(widget->mX + dx, widget->mY + dy, widget->mWidth, widget->mHeight);
}

void CGuiWindow::UpdateImages(float ms)
{
    for (CImage& image : images)
        image.Update(ms);
}

void CGuiWindow::DrawWindow(Olvarn::Graphics& g)
{
    for (CImage& image : images)
        image.Draw(g);
    Olvarn::Color before = g.GetColor();
    for (const CGuiDescriptions::LabelDescription& label : labels) {
        Olvarn::Font* font = label.FindFont();
        if (!font)
            continue;
        g.SetColor(label.color);
        g.SetFont(font);
        g.DrawString(label.text.Get(), int(label.x), int(label.y));
    }
    g.SetColor(before);
}

} // namespace tilvan
