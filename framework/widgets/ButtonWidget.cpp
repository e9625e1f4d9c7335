// Push button behaviour: listener calls on hover, press, hold and click, the over-face fade, and the
// image or code-drawn face.
#include "widgets/ButtonWidget.h"

#include <algorithm>

#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "resources/SysFont.h"
#include "widgets/ButtonListener.h"
#include "widgets/WidgetHost.h"
#include "widgets/WidgetManager.h"

namespace Olvarn
{

namespace
{

constexpr Color kFaceGrey(212, 212, 212);
constexpr Color kShadowGrey(132, 132, 132);
constexpr Color kBevelWhite(255, 255, 255);
constexpr Color kBevelBlack(0, 0, 0);

void Strip(Graphics& g, const Color& color, int x, int y, int width, int height)
{
    g.SetColor(color);
    g.FillRect(x, y, width, height);
}

} // namespace

ButtonWidget::ButtonWidget(int id, ButtonListener* listener) : mId(id), mButtonListener(listener)
{
    mIsTranslucent = true;
    mColors.assign(2, Color(0, 0, 0));
}

ButtonWidget::~ButtonWidget()
{
    delete mFont;
}

void ButtonWidget::SetFont(Font* font)
{
    delete mFont;
    mFont = font ? font->Clone() : nullptr;
}

void ButtonWidget::EnsureFont(int pointSize, int charSet)
{
    if (mFont || mLabel.empty())
        return;
    WidgetHost* app = GetHost();
    mFont = new SysFont(app, "SansSerif", pointSize, charSet, false, false, false);
}

bool ButtonWidget::IsShownPressed()
{
    return mIsPressed && mIsHovered && !mIsDisabled;
}

bool ButtonWidget::HoverChangeShows()
{
    return mIsPressed || HasStateImage(mOverImage, mOverRect) || GetColor(0) != GetColor(1);
}

// ---- Mouse ----

void ButtonWidget::OnMouseEnter()
{
    if (mOverAlphaFadeInSpeed == 0 && mOverAlpha > 0)
        mOverAlpha = 0;
    if (HoverChangeShows())
        Invalidate();
    if (mButtonListener)
        mButtonListener->OnButtonMouseEnter(mId);
}

void ButtonWidget::OnMouseLeave()
{
    if (mOverAlphaFadeOutSpeed == 0 && mOverAlpha > 0)
        mOverAlpha = 0;
    else if (mOverAlphaFadeOutSpeed > 0 && mOverAlpha == 0)
        mOverAlpha = 1; // the over face fades out from full
    if (HoverChangeShows())
        Invalidate();
    if (mButtonListener)
        mButtonListener->OnButtonMouseLeave(mId);
}

void ButtonWidget::OnMouseMove(int x, int y)
{
    if (mButtonListener)
        mButtonListener->OnButtonMouseMove(mId, x, y);
}

void ButtonWidget::OnMouseDown(int x, int y, int clickCode)
{
    Widget::OnMouseDown(x, y, clickCode);
    if (mButtonListener)
        mButtonListener->OnButtonPressClicks(mId, clickCode);
    Invalidate();
}

void ButtonWidget::OnMouseUpAt(int x, int y)
{
    if (mIsHovered && mManager && mManager->mAppHasFocus && mButtonListener)
        mButtonListener->OnButtonRelease(mId);
    Invalidate();
}

void ButtonWidget::SetDisabled(bool disabled)
{
    Widget::SetDisabled(disabled);
    if (HasStateImage(mDisabledImage, mDisabledRect))
        Invalidate();
}

// ---- Update ----

void ButtonWidget::Update()
{
    Widget::Update();
    if (mIsPressed && mIsHovered && mButtonListener)
        mButtonListener->OnButtonHeld(mId);
    if (!mIsPressed && !mIsHovered) {
        if (mOverAlpha > 0) {
            mOverAlpha = mOverAlphaFadeOutSpeed > 0 ? std::max(0.0, mOverAlpha - mOverAlphaFadeOutSpeed) : 0.0;
            Invalidate();
        }
        return;
    }
    if (mIsHovered && mOverAlphaFadeInSpeed > 0 && mOverAlpha < 1) {
        mOverAlpha = std::min(1.0, mOverAlpha + mOverAlphaFadeInSpeed);
        Invalidate();
    }
}

// ---- Drawing ----

void ButtonWidget::DrawStateImage(Graphics& g, Image* image, const Rect& rect, int x, int y)
{
    if (rect.mWidth != 0) {
        if (mButtonImage)
            g.DrawImageRegion(mButtonImage, x, y, rect);
    } else if (image) {
        g.DrawImage(image, x, y);
    }
}

void ButtonWidget::DrawLabel(Graphics& g, const Color& color, int x, int y)
{
    if (!mFont || mLabel.empty())
        return;
    g.SetColor(color);
    g.DrawString(mLabel, x, y);
}

void ButtonWidget::Draw(Graphics& g)
{
    if (mNoDraw)
        return;
    EnsureFont(10, 0);
    bool pressed = IsShownPressed() != mInverted;
    int x = 0, y = 0;
    if (mFont) {
        int labelWidth = mFont->TextWidth(mLabel);
        x = mLabelJustify == 0 ? (mWidth - labelWidth) / 2 : mLabelJustify == 1 ? mWidth - labelWidth : 0;
        int ascent = mFont->Ascent();
        y = (mHeight - ascent / 6 + ascent - 1) / 2;
    }
    g.SetFont(mFont);
    if (mButtonImage || mDownImage)
        DrawImageFace(g, pressed, x, y);
    else
        DrawCodeFace(g, pressed, x, y);
}

void ButtonWidget::DrawImageFace(Graphics& g, bool pressed, int x, int y)
{
    if (pressed) {
        if (HasStateImage(mDownImage, mDownRect))
            DrawStateImage(g, mDownImage, mDownRect, 0, 0);
        else if (HasStateImage(mOverImage, mOverRect))
            DrawStateImage(g, mOverImage, mOverRect, 1, 1);
        else
            DrawStateImage(g, mButtonImage, mNormalRect, 1, 1);
        DrawLabel(g, GetColor(1), x + 1, y + 1);
        return;
    }
    bool hasOver = HasStateImage(mOverImage, mOverRect);
    bool hasNormal = HasStateImage(mButtonImage, mNormalRect);
    if (mIsDisabled && HasStateImage(mDisabledImage, mDisabledRect)) {
        DrawStateImage(g, mDisabledImage, mDisabledRect, 0, 0);
    } else if (mOverAlpha > 0 && hasOver) {
        if (hasNormal)
            DrawStateImage(g, mButtonImage, mNormalRect, 0, 0);
        g.SetModulateImages(true);
        g.SetColor(Color(255, 255, 255, static_cast<int>(mOverAlpha * 255)));
        DrawStateImage(g, mOverImage, mOverRect, 0, 0);
        g.SetModulateImages(false);
    } else if (ShowsOverFace() && hasOver) {
        DrawStateImage(g, mOverImage, mOverRect, 0, 0);
    } else if (hasNormal) {
        DrawStateImage(g, mButtonImage, mNormalRect, 0, 0);
    }
    DrawLabel(g, GetColor(LabelColorIndex()), x, y);
}

void ButtonWidget::DrawCodeFace(Graphics& g, bool pressed, int x, int y)
{
    int w = mWidth, h = mHeight;
    if (!mFrameNoDraw)
        Strip(g, kFaceGrey, 0, 0, w, h);
    if (pressed) {
        if (!mFrameNoDraw) {
            Strip(g, kBevelBlack, 0, 0, w - 1, 1);
            Strip(g, kBevelBlack, 0, 0, 1, h - 1);
            Strip(g, kBevelWhite, 0, h - 1, w, 1);
            Strip(g, kBevelWhite, w - 1, 0, 1, h);
            Strip(g, kShadowGrey, 1, 1, w - 3, 1);
            Strip(g, kShadowGrey, 1, 1, 1, h - 3);
        }
        DrawLabel(g, Color(0, 0, 0), x + 1, y + 1);
        return;
    }
    if (!mFrameNoDraw) {
        Strip(g, kBevelWhite, 0, 0, w - 1, 1);
        Strip(g, kBevelWhite, 0, 0, 1, h - 1);
        Strip(g, kBevelBlack, 0, h - 1, w, 1);
        Strip(g, kBevelBlack, w - 1, 0, 1, h);
        Strip(g, kShadowGrey, 1, h - 2, w - 2, 1);
        Strip(g, kShadowGrey, w - 2, 1, 1, h - 2);
    }
    DrawLabel(g, GetColor(mIsHovered ? 1 : 0), x, y);
}

} // namespace Olvarn
