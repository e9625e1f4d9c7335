// The dialog button's face: its component image (or one cel of it per state) as a nine-grid, shifted
// while pressed, under a modulated label.
#include "widgets/DialogButton.h"

#include "graphics/Font.h"
#include "graphics/Graphics.h"

namespace Olvarn
{

DialogButton::DialogButton(Image* componentImage, int id, ButtonListener* listener)
    : ButtonWidget(id, listener), mComponentImage(componentImage)
{
    mShowsHandCursor = true;
    SetColor(0, Color(255, 255, 255));
    SetColor(1, Color(255, 255, 255));
}

void DialogButton::Draw(Graphics& g)
{
    if (!mComponentImage) {
        ButtonWidget::Draw(g);
        return;
    }
    EnsureFont(12, 1);
    bool pressed = IsShownPressed();
    Rect dest(0, 0, mWidth, mHeight);
    if (mNormalRect.mWidth == 0) {
        if (pressed)
            g.Translate(mPressedOffsetX, mPressedOffsetY);
        g.DrawNineGrid(dest, mComponentImage);
    } else {
        const Rect& source = pressed ? mDownRect : mIsHovered ? mOverRect : mNormalRect;
        g.DrawNineGridRegion(source, dest, mComponentImage);
        if (pressed)
            g.Translate(mPressedOffsetX, mPressedOffsetY);
    }
    g.SetModulateImages(true);
    g.SetColor(GetColor(mIsHovered ? 1 : 0));
    if (mFont) {
        g.SetFont(mFont);
        int ascent = mFont->Ascent();
        int x = (mWidth - mFont->TextWidth(mLabel)) / 2 + mLabelOffsetX;
        int y = mLabelOffsetY + (mHeight - ascent / 6 - mFont->AscentPadding() + ascent - 1) / 2;
        g.DrawString(mLabel, x, y);
    }
    g.SetModulateImages(false);
    if (pressed)
        g.Translate(-mPressedOffsetX, -mPressedOffsetY);
}

} // namespace Olvarn
