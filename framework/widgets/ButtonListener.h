// What a button reports to whoever listens to it, identified by the button's id.
#pragma once

namespace Olvarn
{

class ButtonListener
{
public:
    virtual ~ButtonListener() = default;

    virtual void OnButtonMouseEnter(int id) {}
    virtual void OnButtonMouseLeave(int id) {}
    // x, y in the button's coordinates.
    virtual void OnButtonMouseMove(int id, int x, int y) {}
    // clickCode: 1 left, 2 left double, -1 right, -2 right double, 3 middle.
    virtual void OnButtonPressClicks(int id, int clickCode) { OnButtonPress(id); }
    virtual void OnButtonPress(int id) {}
    // The click: released over the button while the application is active.
    virtual void OnButtonRelease(int id) {}
    // Every update while the button is pressed and the mouse is over it.
    virtual void OnButtonHeld(int id) {}
};

} // namespace Olvarn
