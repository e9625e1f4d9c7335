// The hyperlink: centred label text in the link colour with underline rows below its baseline.
#include "widgets/HyperlinkWidget.h"

#include "graphics/Font.h"
#include "graphics/Graphics.h"

namespace Olvarn
{

HyperlinkWidget::HyperlinkWidget(int id, ButtonListener* listener) : ButtonWidget(id, listener)
{
    mShowsHandCursor = true;
}

void HyperlinkWidget::Draw(Graphics& g)
{
    EnsureFont(10, 0);
    if (!mFont)
        return;
    int labelWidth = mFont->TextWidth(mLabel);
    int x = (mWidth - labelWidth) / 2;
    int y = (mHeight + mFont->Ascent()) / 2 - 1;
    g.SetFont(mFont);
    g.SetColor(mIsHovered ? mLinkOverColor : mLinkColor);
    g.DrawString(mLabel, x, y);
    for (int i = 0; i < mUnderlineSize; ++i)
        g.FillRect(x, y + mUnderlineOffset + i, labelWidth, 1);
}

void HyperlinkWidget::OnMouseEnter()
{
    ButtonWidget::OnMouseEnter();
    // The text leaves most of the rectangle unpainted, so what lies beneath must be redrawn too.
    InvalidateFully();
}

void HyperlinkWidget::OnMouseLeave()
{
    ButtonWidget::OnMouseLeave();
    InvalidateFully();
}

} // namespace Olvarn
