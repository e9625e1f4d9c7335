// A check box that toggles on every press between two images, or two cels of one image.
#pragma once

#include "core/Rect.h"
#include "widgets/Widget.h"

namespace Olvarn
{

class CheckboxToggleListener;
class Image;

class Checkbox : public Widget
{
public:
    Checkbox(Image* uncheckedImage, Image* checkedImage, int id, CheckboxToggleListener* listener);

    virtual void SetChecked(bool checked, bool tellListener);
    virtual bool IsChecked();

    void Draw(Graphics& g) override;
    void OnMouseDown(int x, int y, int clickCode) override;

    CheckboxToggleListener* mListener = nullptr;
    int mId = 0;
    bool mChecked = false;
    Image* mUncheckedImage = nullptr;
    Image* mCheckedImage = nullptr;
    // With a width, both looks are these cels of the unchecked image.
    Rect mCheckedRect;
    Rect mUncheckedRect;
};

} // namespace Olvarn
