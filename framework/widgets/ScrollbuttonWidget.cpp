// Drawing of the scrollbar arrow buttons: the bevel of the thumb and a 7-pixel arrow.
#include "widgets/ScrollbuttonWidget.h"

#include "graphics/Graphics.h"
#include "widgets/ScrollbarWidget.h"

namespace Olvarn
{

namespace
{

constexpr Color kFaceGrey(212, 212, 212);
constexpr Color kShadowGrey(132, 132, 132);
constexpr Color kArrowBlack(0, 0, 0);

} // namespace

ScrollbuttonWidget::ScrollbuttonWidget(int id, ButtonListener* listener) : ButtonWidget(id, listener) {}

void ScrollbuttonWidget::Draw(Graphics& g)
{
    g.SetColor(kFaceGrey);
    g.FillRect(0, 0, mWidth, mHeight);
    int offset = 0;
    if (IsShownPressed()) {
        g.SetColor(kShadowGrey);
        g.DrawRect(0, 0, mWidth - 1, mHeight - 1);
        offset = 1;
    } else {
        ScrollbarWidget::DrawRaisedBox(g, 0, 0, mWidth, mHeight, false);
    }
    DrawArrow(g, offset);
}

void ScrollbuttonWidget::DrawArrow(Graphics& g, int offset)
{
    g.SetColor(mIsDisabled ? kShadowGrey : kArrowBlack);
    bool horizontal = mHorizontal || mArrowType == kArrowLeft || mArrowType == kArrowRight;
    if (!horizontal) {
        bool up = mId == 0 || mArrowType == kArrowUp;
        for (int k = 0; k < 4; ++k) {
            int x = mWidth / 2 - k - (1 - offset);
            int y = up ? (mHeight - 4) / 2 + offset + k : (mHeight - 4) / 2 + offset - k + 3;
            g.FillRect(x, y, 2 * k + 1, 1);
        }
        return;
    }
    bool left = mId == 0 || mArrowType == kArrowLeft;
    for (int k = 0; k < 4; ++k) {
        int y = mHeight / 2 - k - (1 - offset);
        int x = left ? (mWidth - 4) / 2 + offset + k : (mWidth - 4) / 2 + offset - k + 3;
        g.FillRect(x, y, 1, 2 * k + 1);
    }
}

} // namespace Olvarn
