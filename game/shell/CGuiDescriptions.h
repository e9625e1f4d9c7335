// Window and message-box descriptions read from the GUI property files, looked up by name.
#pragma once

#include <list>
#include <string>
#include <vector>

#include "core/Color.h"
#include "data/CLocalizedText.h"

namespace Olvarn
{
class Font;
class OlvarnAppBase;
} // namespace Olvarn

namespace tilvan
{

class CXmlDataReader;

class CGuiDescriptions
{
public:
    struct LabelDescription {
        CLocalizedText text;
        float x = 0;
        float y = 0;
        Olvarn::Color color{0, 0, 0, 255};
        // The font is looked up when the label is drawn: a kept pointer would outlive the font
        // when its resource group is unloaded.
        std::string fontId;
        Olvarn::Font* FindFont() const;
    };

    struct ImageDescription {
        std::string id;
        float x = 0;
        float y = 0;
        int alpha = 0;
    };

    struct WidgetDescription {
        std::string id;
        float x = 0;
        float y = 0;
        float width = 0;
        float height = 0;
        std::string image;
        std::string imageOver;
        std::string imagePress;
        std::string imageOff;
        CLocalizedText text;
        bool xCentered = false;
        std::string font;
        Olvarn::Color color{255, 255, 255, 255};
    };

    struct WindowDescription {
        std::string name;
        float width = 0;
        float height = 0;
        float x = 0;
        float y = 0;
        std::vector<LabelDescription> labels;
        std::vector<ImageDescription> images;
        std::vector<WidgetDescription> widgets;

        WidgetDescription* FindWidget(const std::string& id);
    };

    struct DialogDescription {
        std::string id;
        float width = 0;
        float height = 0;
        CLocalizedText title;
        CLocalizedText text;
        CLocalizedText left;
        CLocalizedText right;
        CLocalizedText center;
        float leftRightBalance = 0;
        bool leftBlink = false;
        bool rightBlink = false;
        bool centerBlink = false;
        std::string onEnter;
        std::string onEscape;
    };

    static CGuiDescriptions& Instance();

    static void DeclareSchema(CXmlDataReader& reader);
    // Adds the rows of the five elements of the file the reader holds.
    void Load(const CXmlDataReader& reader, Olvarn::OlvarnAppBase* app);
    WindowDescription* FindWindow(const std::string& name);
    DialogDescription* FindDialog(const std::string& name);
    void Clear();

    std::list<WindowDescription> windows;
    std::vector<DialogDescription> dialogs;

private:
    WindowDescription& FindOrAddWindow(const std::string& name);
    void LoadWindows(const CXmlDataReader& reader);
    void LoadWidgets(const CXmlDataReader& reader);
    void LoadImages(const CXmlDataReader& reader);
    void LoadLabels(const CXmlDataReader& reader, Olvarn::OlvarnAppBase* app);
    void LoadDialogs(const CXmlDataReader& reader);
};

// "r g b a" read with "%i %i %i %i" over the colour given; channels the text lacks stay.
void ParseColorChannels(const std::string& text, Olvarn::Color& color);
// The widget colour rule: an empty text is opaque white.
Olvarn::Color ParseColor(const std::string& text);

} // namespace tilvan
