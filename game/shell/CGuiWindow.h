// A game window built from its description: pictures and texts made at once, widgets made by name
// when the window's code asks for them. The widgets are top-level widgets of the widget manager.
#pragma once

#include <list>
#include <string>
#include <vector>

#include "shell/CGuiDescriptions.h"
#include "shell/CImage.h"
#include "widgets/ButtonListener.h"
#include "widgets/CheckboxToggleListener.h"
#include "widgets/EditWidget.h"
#include "widgets/ListSelectListener.h"
#include "widgets/SliderValueListener.h"
#include "widgets/TextEditListener.h"

namespace Olvarn
{
class Checkbox;
class Graphics;
class ListWidget;
class Slider;
class Widget;
class WidgetContainer;
} // namespace Olvarn

namespace tilvan
{

class CGameButton;

// An edit field that also hands every key to its owner (so a dialog sees Enter and Escape).
class CGameEditWidget : public Olvarn::EditWidget
{
public:
    CGameEditWidget(int id, Olvarn::TextEditListener* listener, Olvarn::Widget* owner)
        : Olvarn::EditWidget(id, listener), owner(owner)
    {
    }
    void OnKeyDown(int key) override;

    Olvarn::Widget* owner;
};

class CGuiWindow : public Olvarn::SliderValueListener,
                   public Olvarn::CheckboxToggleListener,
                   public Olvarn::ListSelectListener,
                   public Olvarn::TextEditListener,
                   public Olvarn::ButtonListener
{
public:
    explicit CGuiWindow(const std::string& windowName);
    ~CGuiWindow() override;
    CGuiWindow(const CGuiWindow&) = delete;
    CGuiWindow& operator=(const CGuiWindow&) = delete;

    bool CreateButton(CGameButton*& out, const std::string& id);
    bool CreateCheckbox(Olvarn::Checkbox*& out, const std::string& id);
    bool CreateSlider(Olvarn::Slider*& out, const std::string& id);
    bool CreateList(Olvarn::ListWidget*& out, const std::string& id);
    bool CreateEdit(CGameEditWidget*& out, const std::string& id, Olvarn::Widget* owner);

    void AddWidget(Olvarn::Widget* widget) { widgets.push_back(widget); }
    void AddWidgetsToManager(Olvarn::WidgetContainer* manager);
    void RemoveWidgetsFromManager(Olvarn::WidgetContainer* manager);
    void MoveWidgets(int dx, int dy);
    // Pictures, then the texts that have a font.
    void DrawWindow(Olvarn::Graphics& g);
    void UpdateImages(float ms);

    void SliderValueChanged(int id, double value) override {}
    void CheckboxChecked(int id, bool checked) override {}

    const CGuiDescriptions::WindowDescription* Description() const { return description; }
    const std::list<Olvarn::Widget*>& Widgets() const { return widgets; }

protected:
    // The widget description of that name, or null when the window or the widget is not described.
    const CGuiDescriptions::WidgetDescription* Find(const std::string& id) const;
    // Sizes and places a made widget, gives it the next id's place in the list and returns it.
    void Place(Olvarn::Widget* widget, const CGuiDescriptions::WidgetDescription& d, int imageWidth, int imageHeight);

    CGuiDescriptions::WindowDescription* description = nullptr;
    std::list<Olvarn::Widget*> widgets;
    std::vector<CGuiDescriptions::LabelDescription> labels;
    std::vector<CImage> images;
    int nextWidgetId = 0;
};

} // namespace tilvan
