// GUI descriptions.
#include "shell/CGuiDescriptions.h"

#include <cstdio>

#include <loki/Singleton.h>

#include "app/OlvarnAppBase.h"
#include "data/CStringTable.h"
#include "data/CXmlDataReader.h"
#include "data/DataCodecs.h"
#include "graphics/Font.h"
#include "resources/ResourceManager.h"
#include "shell/CImage.h"
#include "shell/GameServices.h"

namespace tilvan
{

namespace
{

struct Point {
    float x = 0;
    float y = 0;
};

Point ParsePoint(const std::string& text)
{
    Point p;
    if (std::sscanf(text.c_str(), "%f %f", &p.x, &p.y) != 2) {
        // An unreadable point reads as 0, 0, even when its first number was read.
        p = Point();
    }
    return p;
}

void Declare(CXmlDataReader& reader, const char* element, std::initializer_list<const char*> attributes)
{
    reader.DeclareElement(element);
    for (const char* attribute : attributes)
        reader.DeclareAttribute(element, attribute, "");
}

bool TextBool(const std::string& text)
{
    return ParseInt(text) != 0;
}

} // namespace

void ParseColorChannels(const std::string& text, Olvarn::Color& color)
{
    int channels[4] = {color.mRed, color.mGreen, color.mBlue, color.mAlpha};
    std::sscanf(text.c_str(), "%i %i %i %i", &channels[0], &channels[1], &channels[2], &channels[3]);
    color = Olvarn::Color(channels[0], channels[1], channels[2], channels[3]);
}

Olvarn::Color ParseColor(const std::string& text)
{
    Olvarn::Color color(255, 255, 255, 255);
    if (!text.empty())
        ParseColorChannels(text, color);
    return color;
}

Olvarn::Font* CGuiDescriptions::LabelDescription::FindFont() const
{
    return services::FindFont(fontId);
}

CGuiDescriptions::WidgetDescription* CGuiDescriptions::WindowDescription::FindWidget(const std::string& id)
{
    for (WidgetDescription& widget : widgets)
        if (widget.id == id)
            return &widget;
    return nullptr;
}

CGuiDescriptions& CGuiDescriptions::Instance()
{
    return Loki::SingletonHolder<CGuiDescriptions>::Instance();
}

void CGuiDescriptions::DeclareSchema(CXmlDataReader& reader)
{
    Declare(reader, "window", {"id", "size", "pos"});
    Declare(reader, "label", {"window_id", "text", "pos", "color", "font", "x_centered"});
    Declare(reader, "image", {"window_id", "id", "pos", "alpha"});
    Declare(reader, "widget",
            {"window_id", "id", "pos", "size", "image", "image_over", "image_press", "image_off", "text", "x_centered",
             "font", "color"});
    Declare(reader, "dialog",
            {"id", "size", "title", "text", "left", "right", "center", "left_blink", "right_blink", "center_blink",
             "left_right_balance", "on_enter", "on_escape"});
}

void CGuiDescriptions::Clear()
{
    windows.clear();
    dialogs.clear();
}

CGuiDescriptions::WindowDescription* CGuiDescriptions::FindWindow(const std::string& name)
{
    for (WindowDescription& window : windows)
        if (window.name == name)
            return &window;
    return nullptr;
}

CGuiDescriptions::DialogDescription* CGuiDescriptions::FindDialog(const std::string& name)
{
    for (DialogDescription& dialog : dialogs)
        if (dialog.id == name)
            return &dialog;
    return nullptr;
}

CGuiDescriptions::WindowDescription& CGuiDescriptions::FindOrAddWindow(const std::string& name)
{
    if (WindowDescription* window = FindWindow(name))
        return *window;
    windows.emplace_back();
    windows.back().name = name;
    return windows.back();
}

void CGuiDescriptions::Load(const CXmlDataReader& reader, Olvarn::OlvarnAppBase* app)
{
    LoadWindows(reader);
    LoadWidgets(reader);
    LoadImages(reader);
    LoadLabels(reader, app);
    LoadDialogs(reader);
}

void CGuiDescriptions::LoadWindows(const CXmlDataReader& reader)
{
    for (int row = 0, count = reader.GetRowCount("window"); row < count; ++row) {
        std::string id, size, pos;
        reader.GetRow("window", row, id, size, pos);
        WindowDescription& window = FindOrAddWindow(id);
        Point s = ParsePoint(size), p = ParsePoint(pos);
        window.width = s.x;
        window.height = s.y;
        window.x = p.x;
        window.y = p.y;
    }
}

void CGuiDescriptions::LoadWidgets(const CXmlDataReader& reader)
{
    for (int row = 0, count = reader.GetRowCount("widget"); row < count; ++row) {
        std::string windowId, pos, size, text, xCentered, color;
        WidgetDescription widget;
        reader.GetRow("widget", row, windowId, widget.id, pos, size, widget.image, widget.imageOver, widget.imagePress,
                      widget.imageOff, text, xCentered, widget.font, color);
        Point p = ParsePoint(pos), s = ParsePoint(size);
        widget.x = p.x;
        widget.y = p.y;
        widget.width = s.x;
        widget.height = s.y;
        AssignLocalized(widget.text, text);
        widget.xCentered = TextBool(xCentered);
        widget.color = ParseColor(color);
        WindowDescription& window = FindOrAddWindow(windowId);
        if (widget.xCentered)
            widget.x = window.width / 2;
        window.widgets.push_back(widget);
    }
}

void CGuiDescriptions::LoadImages(const CXmlDataReader& reader)
{
    for (int row = 0, count = reader.GetRowCount("image"); row < count; ++row) {
        std::string windowId, pos, alpha;
        ImageDescription image;
        reader.GetRow("image", row, windowId, image.id, pos, alpha);
        Point p = ParsePoint(pos);
        image.x = p.x;
        image.y = p.y;
        image.alpha = ParseInt(alpha);
        FindOrAddWindow(windowId).images.push_back(image);
    }
}

void CGuiDescriptions::LoadLabels(const CXmlDataReader& reader, Olvarn::OlvarnAppBase* app)
{
    for (int row = 0, count = reader.GetRowCount("label"); row < count; ++row) {
        std::string windowId, text, pos, color, xCentered;
        LabelDescription label;
        reader.GetRow("label", row, windowId, text, pos, color, label.fontId, xCentered);
        AssignLocalized(label.text, text);
        Point p = ParsePoint(pos);
        label.x = p.x;
        label.y = p.y;
        ParseColorChannels(color, label.color);
        WindowDescription& window = FindOrAddWindow(windowId);
        Olvarn::Font* font = label.FindFont();
        if (TextBool(xCentered) && font)
            label.x = window.width / 2 - float(font->TextWidth(label.text.Get())) / 2;
        window.labels.push_back(label);
    }
}

void CGuiDescriptions::LoadDialogs(const CXmlDataReader& reader)
{
    for (int row = 0, count = reader.GetRowCount("dialog"); row < count; ++row) {
        std::string size, title, text, left, right, center, leftBlink, rightBlink, centerBlink, balance;
        DialogDescription dialog;
        reader.GetRow("dialog", row, dialog.id, size, title, text, left, right, center, leftBlink, rightBlink,
                      centerBlink, balance, dialog.onEnter, dialog.onEscape);
        Point s = ParsePoint(size);
        dialog.width = s.x;
        dialog.height = s.y;
        AssignLocalized(dialog.title, title);
        AssignLocalized(dialog.text, text);
        AssignLocalized(dialog.left, left);
        AssignLocalized(dialog.right, right);
        AssignLocalized(dialog.center, center);
        dialog.leftBlink = TextBool(leftBlink);
        dialog.rightBlink = TextBool(rightBlink);
        dialog.centerBlink = TextBool(centerBlink);
        dialog.leftRightBalance = ParseFloat(balance);
        dialogs.push_back(dialog);
    }
}

} // namespace tilvan
