// A horizontal slider: a track of three cels (left end, repeated middle, right end) and a thumb
// dragged by the mouse, holding a value from 0 to 1.
#pragma once

#include "widgets/Widget.h"

namespace Olvarn
{

class Image;
class SliderValueListener;

class Slider : public Widget
{
public:
    Slider(Image* trackImage, Image* thumbImage, int id, SliderValueListener* listener);

    // Stores the value as given; the listener is not told.
    virtual void SetValue(double value);

    void Draw(Graphics& g) override;
    void OnMouseDown(int x, int y, int clickCode) override;
    void OnMouseMove(int x, int y) override;
    void OnMouseDrag(int x, int y) override;
    void OnMouseUpAt(int x, int y) override;
    void OnMouseLeave() override;

    SliderValueListener* mListener = nullptr;
    double mValue = 0.0;
    int mId = 0;
    Image* mTrackImage = nullptr;
    Image* mThumbImage = nullptr;
    bool mDragging = false;
    int mDragOffset = 0;

private:
    int ThumbX() const;
    int ThumbWidth() const;
    bool OverThumb(int x) const;
    void SetAppCursor(int number);
};

} // namespace Olvarn
