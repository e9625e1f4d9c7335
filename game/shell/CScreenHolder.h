// The widget through which every screen change passes: a new screen waits as pending and replaces
// the current one in the holder's own update, never in the middle of another widget's update.
#pragma once

#include <memory>

#include "shell/CScreen.h"
#include "widgets/Widget.h"

namespace Olvarn
{
class OlvarnAppBase;
}

namespace tilvan
{

class CScreenHolder : public Olvarn::Widget
{
public:
    explicit CScreenHolder(Olvarn::OlvarnAppBase* app) : app(app) {}
    ~CScreenHolder() override;

    // Takes the current screen out of the widget manager and keeps `next` for the next update.
    void SetScreen(CScreen* next);
    void Update() override;
    // Removes the holder and the current screen from the widget manager and deletes the screen.
    void RemoveScreen();

    CScreen* Current() const { return current.get(); }
    CScreen* Pending() const { return pending.get(); }

private:
    std::unique_ptr<CScreen> current;
    std::unique_ptr<CScreen> pending;
    Olvarn::OlvarnAppBase* app;
};

} // namespace tilvan
