// Slider drawing and dragging: the thumb follows the mouse from where it was grabbed.
#include "widgets/Slider.h"

#include <algorithm>
#include <memory>

#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "widgets/SliderValueListener.h"
#include "widgets/WidgetManager.h"

namespace Olvarn
{

namespace
{

constexpr int kCursorPointer = 0;
constexpr int kCursorDragging = 2;

} // namespace

Slider::Slider(Image* trackImage, Image* thumbImage, int id, SliderValueListener* listener)
    : mListener(listener), mId(id), mTrackImage(trackImage), mThumbImage(thumbImage)
{
}

void Slider::SetValue(double value)
{
    mValue = value;
    InvalidateFully();
}

int Slider::ThumbWidth() const
{
    return mThumbImage ? mThumbImage->GetWidth() : 0;
}

int Slider::ThumbX() const
{
    return static_cast<int>((mWidth - ThumbWidth()) * mValue);
}

bool Slider::OverThumb(int x) const
{
    int thumbX = ThumbX();
    return x >= thumbX && x < thumbX + ThumbWidth();
}

void Slider::SetAppCursor(int number)
{
    if (mManager)
        mManager->SetAppCursor(number);
}

void Slider::Draw(Graphics& g)
{
    if (mTrackImage) {
        int trackHeight = mTrackImage->GetHeight();
        int cel = mTrackImage->GetWidth() / 3;
        int y = (mHeight - trackHeight) / 2;
        g.DrawImageRegion(mTrackImage, 0, y, Rect(0, 0, cel, trackHeight));
        if (cel > 0) {
            std::unique_ptr<Graphics> middle(g.Clone());
            middle->IntersectClip(cel, y, mWidth - 2 * cel, trackHeight);
            int pieces = (mWidth - cel - 1) / cel;
            for (int i = 0; i < pieces; ++i)
                middle->DrawImageRegion(mTrackImage, cel * (i + 1), y, Rect(cel, 0, cel, trackHeight));
        }
        g.DrawImageRegion(mTrackImage, mWidth - cel, y, Rect(2 * cel, 0, cel, trackHeight));
    }
    if (mThumbImage)
        g.DrawImage(mThumbImage, ThumbX(), (mHeight - mThumbImage->GetHeight()) / 2);
}

void Slider::OnMouseDown(int x, int y, int clickCode)
{
    // A press beside the thumb leaves it where it is.
    if (!OverThumb(x))
        return;
    SetAppCursor(kCursorDragging);
    mDragging = true;
    mDragOffset = x - ThumbX();
}

void Slider::OnMouseMove(int x, int y)
{
    SetAppCursor(OverThumb(x) ? kCursorDragging : kCursorPointer);
}

void Slider::OnMouseDrag(int x, int y)
{
    if (!mDragging)
        return;
    int range = mWidth - ThumbWidth();
    // With no room to travel the thumb stays put.
    if (range <= 0)
        return;
    double old = mValue;
    mValue = std::clamp(static_cast<double>(x - mDragOffset) / range, 0.0, 1.0);
    if (mValue != old) {
        if (mListener)
            mListener->SliderValueChanged(mId, mValue);
        InvalidateFully();
    }
}

void Slider::OnMouseUpAt(int x, int y)
{
    mDragging = false;
    SetAppCursor(kCursorPointer);
    if (mListener)
        mListener->SliderValueChanged(mId, mValue);
}

void Slider::OnMouseLeave()
{
    if (!mDragging)
        SetAppCursor(kCursorPointer);
}

} // namespace Olvarn
