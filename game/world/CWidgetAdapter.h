// A widget through which an effect draws over every other widget, the in-level info panel included:
// one pixel at the screen's corner that neither clips its drawing nor takes the mouse.
#pragma once

#include "widgets/Widget.h"
#include "widgets/WidgetManager.h"

namespace tilvan::level_effects
{

template <typename T> class CWidgetAdapter : public Olvarn::Widget
{
public:
    explicit CWidgetAdapter(T* effect) : effect(effect)
    {
        Resize(0, 0, 1, 1);
        mClipToBounds = false;
        mAcceptsMouse = false;
    }

    void Draw(Olvarn::Graphics& g) override
    {
        if (effect)
            effect->DrawOnTop(g);
    }

    // Adds the adapter to the manager in front of every widget there; nothing without a manager.
    void Show(Olvarn::WidgetManager* manager)
    {
        if (!manager)
            return;
        manager->AddWidget(this);
        manager->BringToFront(this);
    }
    // Takes the adapter off its manager, if it is on one; the effect is not drawn again.
    void Hide()
    {
        effect = nullptr;
        if (mParent)
            mParent->RemoveWidget(this);
    }

private:
    T* effect;
};

} // namespace tilvan::level_effects
