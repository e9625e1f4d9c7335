// The arrow button at either end of a scrollbar: a grey bevelled face with a small arrow drawn in code.
#pragma once

#include "widgets/ButtonWidget.h"

namespace Olvarn
{

class ScrollbuttonWidget : public ButtonWidget
{
public:
    // Arrow shapes that override the one the id implies.
    static constexpr int kArrowUp = 1;
    static constexpr int kArrowDown = 2;
    static constexpr int kArrowLeft = 3;
    static constexpr int kArrowRight = 4;

    ScrollbuttonWidget(int id, ButtonListener* listener);

    void Draw(Graphics& g) override;

    bool mHorizontal = false;
    int mArrowType = 0;

private:
    void DrawArrow(Graphics& g, int offset);
};

} // namespace Olvarn
