// Check box toggling and drawing.
#include "widgets/Checkbox.h"

#include "graphics/Graphics.h"
#include "widgets/CheckboxToggleListener.h"

namespace Olvarn
{

Checkbox::Checkbox(Image* uncheckedImage, Image* checkedImage, int id, CheckboxToggleListener* listener)
    : mListener(listener), mId(id), mUncheckedImage(uncheckedImage), mCheckedImage(checkedImage)
{
    mShowsHandCursor = true;
}

void Checkbox::SetChecked(bool checked, bool tellListener)
{
    mChecked = checked;
    if (tellListener && mListener)
        mListener->CheckboxChecked(mId, checked);
    Invalidate();
}

bool Checkbox::IsChecked()
{
    return mChecked;
}

void Checkbox::OnMouseDown(int x, int y, int clickCode)
{
    Widget::OnMouseDown(x, y, clickCode);
    mChecked = !mChecked;
    if (mListener)
        mListener->CheckboxChecked(mId, mChecked);
    Invalidate();
}

void Checkbox::Draw(Graphics& g)
{
    if (mCheckedRect.mWidth != 0) {
        if (mUncheckedImage)
            g.DrawImageRegion(mUncheckedImage, 0, 0, mChecked ? mCheckedRect : mUncheckedRect);
        return;
    }
    Image* image = mChecked ? mCheckedImage : mUncheckedImage;
    if (image)
        g.DrawImage(image, 0, 0);
}

} // namespace Olvarn
