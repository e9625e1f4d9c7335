// The operations the application object calls on parts of the framework that are not built yet
// (widget tree, display device, resource manager, sound and music). Only declared: the application
// holds these as pointers that stay null until each part lands, and skips every step that needs one.
// All are virtual, so nothing here needs a body to link; each part replaces its declaration below
// with an include of its own header when it lands.
#pragma once

#include "graphics/Rect.h"

namespace Olvarn {

class Widget {
public:
    virtual ~Widget();
};

class Dialog : public Widget {
public:
    ~Dialog() override;
};

class WidgetManager {
public:
    virtual ~WidgetManager();
    virtual void SetScreenSize(int width, int height);
    virtual void RemoveWidget(Widget* widget);
    // True when the update changed the tree.
    virtual bool UpdateWidgets();
    virtual void UpdateWidgetsFraction(float fraction);
    // True when something was drawn.
    virtual bool DrawWidgets();
    virtual void OnAppActivated();
    virtual void OnAppDeactivated();
    virtual void ReleaseMouseButtons();
};

class ResourceManager {
public:
    virtual ~ResourceManager();
};

class DSoundManager {
public:
    virtual ~DSoundManager();
    virtual void SetMasterVolume(double volume);
    virtual void StopAll();
};

class MusicInterface {
public:
    virtual ~MusicInterface();
    virtual void SetVolume(double volume);
    virtual void StopAll();
    virtual void Update();
};

class DDInterface {
public:
    virtual ~DDInterface();
    // Puts the drawn frame on the screen; false when the display was lost.
    virtual bool Redraw(const Rect* rect);
    virtual void SetCursorPos(int x, int y);
    virtual void ReleaseImageTextures(MemoryImage* image);
};

} // namespace Olvarn
