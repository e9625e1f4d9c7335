// Dialog construction by button mode, fonts on demand, measuring, drawing, button layout, dragging
// within the screen and the nested wait for a click.
#include "widgets/Dialog.h"

#include <algorithm>

#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "resources/SysFont.h"
#include "widgets/DialogButton.h"
#include "widgets/DialogListener.h"
#include "widgets/WidgetHost.h"
#include "widgets/WidgetManager.h"

namespace Olvarn
{

namespace
{

constexpr int kCursorPointer = 0;
constexpr int kCursorDragging = 2;
// How far a dialog may be pushed past an edge of the screen, and how far inside it the held point stays.
constexpr int kEdgeSlack = 8;
constexpr Color kShadow(0, 0, 0, 128);
constexpr Color kDefaultFill(80, 80, 80);
constexpr Color kDefaultOutline(255, 255, 255);

} // namespace

Dialog::Dialog(Image* frameImage, Image* buttonImage, int id, bool modal, const std::string& header,
               const std::string& lines, const std::string& footer, int buttonMode)
    : mDialogListener(GetWidgetHost() ? GetWidgetHost()->GetDefaultDialogListener() : nullptr), mFrameImage(frameImage),
      mHeaderText(header), mFooterText(footer), mLinesText(lines), mButtonMode(buttonMode), mId(id), mModal(modal)
{
    if (buttonMode == BUTTONS_YES_NO || buttonMode == BUTTONS_OK_CANCEL) {
        bool yesNo = buttonMode == BUTTONS_YES_NO;
        mFirstButton = new DialogButton(buttonImage, ID_YES, this);
        mFirstButton->mLabel = yesNo ? DIALOG_YES_STRING : DIALOG_OK_STRING;
        mSecondButton = new DialogButton(buttonImage, ID_NO, this);
        mSecondButton->mLabel = yesNo ? DIALOG_NO_STRING : DIALOG_CANCEL_STRING;
    } else if (buttonMode == BUTTONS_FOOTER) {
        mFirstButton = new DialogButton(buttonImage, ID_FOOTER, this);
        mFirstButton->mLabel = footer;
    }
    mButtonHeight = buttonImage ? buttonImage->GetHeight() : 24;
    mIsTranslucent = true;
    mPaintsPartially = true;
    const int colors[][3] = {{255, 255, 255}, {255, 255, 0}, {255, 255, 255}, {255, 255, 255},
                             {255, 255, 255}, {80, 80, 80},  {255, 255, 255}};
    SetColorTableRGB(colors, 7);
    // Without a button image the buttons show the grey code-drawn face, where white would not read.
    if (!buttonImage) {
        SetColor(COLOR_BUTTON_TEXT, Color(0, 0, 0));
        SetColor(COLOR_BUTTON_TEXT_HILITE, Color(0, 0, 0));
    }
}

Dialog::~Dialog()
{
    delete mFirstButton;
    delete mSecondButton;
    delete mTitleFont;
    delete mBodyFont;
}

// ---- Fonts and measuring ----

void Dialog::SetButtonFont(Font* font)
{
    if (mFirstButton)
        mFirstButton->SetFont(font);
    if (mSecondButton)
        mSecondButton->SetFont(font);
}

void Dialog::SetTitleFont(Font* font)
{
    delete mTitleFont;
    mTitleFont = font ? font->Clone() : nullptr;
}

void Dialog::SetBodyFont(Font* font)
{
    delete mBodyFont;
    mBodyFont = font ? font->Clone() : nullptr;
}

void Dialog::EnsureFonts()
{
    WidgetHost* app = GetHost();
    if (!mTitleFont)
        mTitleFont = new SysFont(app, "SansSerif", 14, 0, false, false, false);
    if (!mBodyFont)
        mBodyFont = new SysFont(app, "SansSerif", 12, 0, false, false, false);
}

int Dialog::MeasureHeight(int width)
{
    EnsureFonts();
    int height = Top() + Bottom();
    bool counted = false;
    if (!mHeaderText.empty()) {
        height += mTitleFont->Height() - mTitleFont->AscentPadding();
        counted = true;
    }
    if (!mLinesText.empty()) {
        if (counted)
            height += mHeaderGap;
        Graphics g;
        g.SetFont(mBodyFont);
        height += MeasureWrappedText(g, width - Left() - Right() - 4, mLinesText,
                                     mBodyFont->LineSpacing() + mLinesSpacingExtra);
        counted = true;
    }
    if (!mFooterText.empty() && mButtonMode != BUTTONS_FOOTER) {
        if (counted)
            height += 8;
        height += mTitleFont->LineSpacing();
        counted = true;
    }
    if (mFirstButton) {
        if (counted)
            height += 8;
        height += mButtonHeight + 8;
    }
    return height;
}

bool Dialog::IsModal()
{
    return mModal;
}

// ---- Drawing ----

void Dialog::DrawCodeFrame(Graphics& g)
{
    g.SetColor(GetColorOrDefault(COLOR_OUTLINE, kDefaultOutline));
    g.DrawRect(12, 12, mWidth - 25, mHeight - 25);
    g.SetColor(GetColorOrDefault(COLOR_BKG, kDefaultFill));
    g.FillRect(13, 13, mWidth - 26, mHeight - 26);
    g.SetColor(kShadow);
    g.FillRect(mWidth - 12, 24, 12, mHeight - 36);
    g.FillRect(24, mHeight - 12, mWidth - 24, 12);
}

void Dialog::Draw(Graphics& g)
{
    EnsureFonts();
    if (mFrameImage) {
        g.DrawNineGrid(Rect(mFrameInsets.mLeft, mFrameInsets.mTop, mWidth - mFrameInsets.mLeft - mFrameInsets.mRight,
                            mHeight - mFrameInsets.mTop - mFrameInsets.mBottom),
                       mFrameImage);
    } else {
        DrawCodeFrame(g);
    }
    int y = Top();
    if (!mHeaderText.empty()) {
        y += mTitleFont->Ascent() - mTitleFont->AscentPadding();
        g.SetFont(mTitleFont);
        g.SetColor(GetColor(COLOR_HEADER));
        DrawCenteredText(g, y, mHeaderText);
        y += mTitleFont->Height() - mTitleFont->Ascent() + mHeaderGap;
    }
    g.SetFont(mBodyFont);
    g.SetColor(GetColor(COLOR_LINES));
    y += DrawWrappedText(g, Rect(Left() + 2, y, mWidth - Left() - Right() - 4, 0), mLinesText,
                         mBodyFont->LineSpacing() + mLinesSpacingExtra, mLinesJustification);
    if (!mFooterText.empty() && mButtonMode != BUTTONS_FOOTER) {
        y += mTitleFont->LineSpacing() + 8;
        g.SetFont(mTitleFont);
        g.SetColor(GetColor(COLOR_FOOTER));
        DrawCenteredText(g, y, mFooterText);
    }
}

// ---- Buttons as top-level widgets ----

void Dialog::OnAttached(WidgetManager* manager)
{
    Widget::OnAttached(manager);
    if (mFirstButton)
        manager->AddWidget(mFirstButton);
    if (mSecondButton)
        manager->AddWidget(mSecondButton);
}

void Dialog::OnDetached(WidgetManager* manager)
{
    Widget::OnDetached(manager);
    if (mFirstButton)
        manager->RemoveWidget(mFirstButton);
    if (mSecondButton)
        manager->RemoveWidget(mSecondButton);
}

void Dialog::OnZOrderChanged()
{
    if (!mManager)
        return;
    if (mFirstButton)
        mManager->MoveInFront(mFirstButton, this);
    if (mSecondButton)
        mManager->MoveInFront(mSecondButton, this);
}

void Dialog::SetColor(int index, const Color& color)
{
    Widget::SetColor(index, color);
    if (index != COLOR_BUTTON_TEXT && index != COLOR_BUTTON_TEXT_HILITE)
        return;
    int buttonIndex = index == COLOR_BUTTON_TEXT ? 0 : 1;
    if (mFirstButton)
        mFirstButton->SetColor(buttonIndex, color);
    if (mSecondButton)
        mSecondButton->SetColor(buttonIndex, color);
}

void Dialog::Resize(int x, int y, int width, int height)
{
    Widget::Resize(x, y, width, height);
    LayoutButtons();
}

void Dialog::LayoutButtons()
{
    int rowY = mY + mHeight - Bottom() - mButtonHeight;
    if (mFirstButton && mSecondButton) {
        int buttonWidth = (mWidth - 2 * mButtonSideMargin - Left() - Right() - mButtonGap) / 2;
        int firstX = mX + Left() + mButtonSideMargin;
        mFirstButton->Resize(firstX, rowY, buttonWidth, mButtonHeight);
        mSecondButton->Resize(firstX + buttonWidth + mButtonGap, rowY, buttonWidth, mButtonHeight);
    } else if (mFirstButton) {
        mFirstButton->Resize(mX + Left(), rowY, mWidth - Left() - Right(), mButtonHeight);
    }
}

void Dialog::OnButtonPress(int id)
{
    if ((id == ID_YES || id == ID_NO) && mDialogListener)
        mDialogListener->OnDialogButtonPress(mId, id);
}

void Dialog::OnButtonRelease(int id)
{
    if (id != ID_YES && id != ID_NO)
        return;
    mResult = id;
    if (mDialogListener)
        mDialogListener->OnDialogButtonRelease(mId, id);
}

// ---- Dragging ----

void Dialog::OnMouseDown(int x, int y, int clickCode)
{
    if (clickCode == 1) {
        if (mManager)
            mManager->SetAppCursor(kCursorDragging);
        mIsDragging = true;
        mGrabX = x;
        mGrabY = y;
    }
    Widget::OnMouseDown(x, y, clickCode);
}

void Dialog::OnMouseUpAt(int x, int y)
{
    if (!mIsDragging)
        return;
    if (mManager)
        mManager->SetAppCursor(kCursorPointer);
    mIsDragging = false;
}

int Dialog::ClampToEdge(int position, int size, int screenSize)
{
    if (position < -kEdgeSlack)
        return -kEdgeSlack;
    if (position + size > screenSize + kEdgeSlack)
        return screenSize - size + kEdgeSlack;
    return position;
}

void Dialog::OnMouseDrag(int x, int y)
{
    if (!mIsDragging)
        return;
    int screenWidth = mManager ? mManager->mScreenWidth : 0;
    int screenHeight = mManager ? mManager->mScreenHeight : 0;
    int newX = ClampToEdge(mX + x - mGrabX, mWidth, screenWidth);
    int newY = ClampToEdge(mY + y - mGrabY, mHeight, screenHeight);
    mGrabX = mX + x - newX;
    mGrabY = mY + y - newY;
    // A dialog narrower than the margins keeps the grab point at the margin rather than inverting it.
    mGrabX = std::max(kEdgeSlack, std::min(mGrabX, mWidth - 9));
    mGrabY = std::max(kEdgeSlack, std::min(mGrabY, mHeight - 9));
    Move(newX, newY);
}

// ---- The nested loop ----

int Dialog::RunUntilClosed(bool autoKill)
{
    WidgetHost* app = GetHost();
    if (!app)
        return mResult;
    while (mManager && mResult == kNoResult) {
        bool updated = false;
        if (!app->PumpStep(updated))
            break;
    }
    int result = mResult;
    if (autoKill)
        app->CloseDialog(mId);
    return result;
}

} // namespace Olvarn
