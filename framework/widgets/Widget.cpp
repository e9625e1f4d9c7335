// Widget state changes that keep the manager's mouse state in step, coordinates, the default input
// handlers and the text and number drawing every widget inherits.
#include "widgets/Widget.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "widgets/WidgetHost.h"
#include "widgets/WidgetManager.h"

namespace Olvarn
{

WidgetHost* Widget::GetHost() const
{
    return mManager ? mManager->mApp : GetWidgetHost();
}

Widget::~Widget()
{
    if (mParent)
        mParent->RemoveWidget(this);
}

void Widget::SetVisible(bool visible)
{
    if (visible == mIsVisible)
        return;
    mIsVisible = visible;
    if (visible)
        Invalidate();
    else
        InvalidateFully();
    if (mManager)
        mManager->RecheckMouse();
}

void Widget::SetColorTableRGBA(const int colors[][4], int count)
{
    mColors.clear();
    for (int i = 0; i < count; ++i)
        SetColor(i, Color(colors[i][0], colors[i][1], colors[i][2], colors[i][3]));
    Invalidate();
}

void Widget::SetColorTableRGB(const int colors[][3], int count)
{
    mColors.clear();
    for (int i = 0; i < count; ++i)
        SetColor(i, Color(colors[i][0], colors[i][1], colors[i][2], 255));
    Invalidate();
}

void Widget::SetColor(int index, const Color& color)
{
    if (index < 0)
        return;
    if (static_cast<size_t>(index) >= mColors.size())
        mColors.resize(static_cast<size_t>(index) + 1, Color(0, 0, 0, 255));
    mColors[static_cast<size_t>(index)] = color;
    Invalidate();
}

Color Widget::GetColorOrDefault(int index, const Color& defaultColor)
{
    if (index < 0 || static_cast<size_t>(index) >= mColors.size())
        return defaultColor;
    return mColors[static_cast<size_t>(index)];
}

const Color& Widget::GetColor(int index)
{
    static const Color kBlack(0, 0, 0, 255);
    if (index < 0 || static_cast<size_t>(index) >= mColors.size())
        return kBlack;
    return mColors[static_cast<size_t>(index)];
}

void Widget::SetDisabled(bool disabled)
{
    if (disabled == mIsDisabled)
        return;
    mIsDisabled = disabled;
    if (disabled && mManager)
        mManager->ForgetWidget(this);
    Invalidate();
    if (disabled || !mManager)
        return;
    // The mouse position is in window coordinates; compare it in this widget's own space.
    int localX = 0, localY = 0;
    FromRootCoords(mManager->mLastMouseX, mManager->mLastMouseY, localX, localY);
    if (localX >= 0 && localY >= 0 && localX < mWidth && localY < mHeight)
        mManager->RecheckMouse();
}

void Widget::ShowHandCursor(bool show)
{
    if (mManager)
        mManager->SetAppCursor(show ? 1 : 0);
}

void Widget::ResizeToRect(const Rect& rect)
{
    Resize(rect.mX, rect.mY, rect.mWidth, rect.mHeight);
}

void Widget::Resize(int x, int y, int width, int height)
{
    if (x == mX && y == mY && width == mWidth && height == mHeight)
        return;
    InvalidateFully();
    mX = x;
    mY = y;
    mWidth = width;
    mHeight = height;
    // The old area left the widget dirty; without clearing that, the new area would not reach the
    // siblings above it and the widget would paint over them.
    mDirty = false;
    Invalidate();
    if (mManager)
        mManager->RecheckMouse();
}

void Widget::Move(int x, int y)
{
    Resize(x, y, mWidth, mHeight);
}

void Widget::ToRootCoords(int x, int y, int& outX, int& outY)
{
    outX = x;
    outY = y;
    for (WidgetContainer* c = this; c; c = c->mParent) {
        outX += c->mX;
        outY += c->mY;
    }
}

void Widget::FromRootCoords(int x, int y, int& outX, int& outY)
{
    outX = x;
    outY = y;
    for (WidgetContainer* c = this; c; c = c->mParent) {
        outX -= c->mX;
        outY -= c->mY;
    }
}

void Widget::OnKeyDown(int key)
{
    if (key != WidgetManager::kKeyTab || !mManager)
        return;
    Widget* next = mManager->IsKeyDown(WidgetManager::kKeyShift) ? mTabPrevious : mTabNext;
    if (next)
        mManager->SetFocusWidget(next);
}

int Widget::ButtonForClickCode(int clickCode)
{
    if (clickCode == 3)
        return 2;
    return clickCode < 0 ? 1 : 0;
}

int Widget::ClickCountForClickCode(int clickCode)
{
    if (clickCode == 3)
        return 1;
    return clickCode < 0 ? -clickCode : clickCode;
}

void Widget::OnMouseDown(int x, int y, int clickCode)
{
    OnMouseButtonDown(x, y, ButtonForClickCode(clickCode), ClickCountForClickCode(clickCode));
}

void Widget::OnMouseUp(int x, int y, int clickCode)
{
    OnMouseUpAt(x, y);
    OnMouseButtonUp(x, y, ButtonForClickCode(clickCode), ClickCountForClickCode(clickCode));
}

// ---- Text and numbers ----

Rect Widget::DrawCenteredText(Graphics& g, int y, const std::string& text)
{
    Font* font = g.GetFont();
    if (!font)
        return Rect();
    int width = font->TextWidth(text);
    int x = (mWidth - width) / 2;
    g.DrawString(text, x, y);
    return Rect(x, y - font->Ascent(), width, font->Height());
}

Rect Widget::DrawCenteredTextShadowed(Graphics& g, int y, const std::string& text, const Color& color,
                                      const Color& shadowColor, int offsetX, int offsetY)
{
    Font* font = g.GetFont();
    if (!font)
        return Rect();
    int width = font->TextWidth(text);
    int x = (mWidth - width) / 2;
    g.SetColor(shadowColor);
    g.DrawString(text, x + offsetX, y + offsetY);
    g.SetColor(color);
    g.DrawString(text, x, y);
    return Rect(x + std::min(offsetX, 0), y - font->Ascent() + std::min(offsetY, 0), width + std::abs(offsetX),
                font->Height() + std::abs(offsetY));
}

int Widget::DrawJustifiedText(Graphics& g, const std::string& text, int x, int y, int width, int justification,
                              bool draw, int offset, int length)
{
    bool colorCodes = g.mWriteColoredString;
    g.mWriteColoredString = true;
    int result = g.DrawTextJustified(text, x, y, width, justification, draw, offset, length);
    g.mWriteColoredString = colorCodes;
    return result;
}

int Widget::DrawWrappedText(Graphics& g, const Rect& rect, const std::string& text, int lineSpacing, int justification)
{
    bool colorCodes = g.mWriteColoredString;
    g.mWriteColoredString = true;
    int result = g.DrawTextWrapped(rect, text, lineSpacing, justification);
    g.mWriteColoredString = colorCodes;
    return result;
}

int Widget::MeasureWrappedText(Graphics& g, int width, const std::string& text, int lineSpacing)
{
    return g.MeasureWrappedHeight(width, text, lineSpacing);
}

int Widget::CountDigits(int n)
{
    int64_t value = n < 0 ? -static_cast<int64_t>(n) : n;
    int digits = 1;
    while (value >= 10) {
        value /= 10;
        ++digits;
    }
    return digits;
}

void Widget::DrawNumberFromDigitStrip(Graphics& g, int n, int x, int y, Image* digits, int spacing)
{
    if (!digits)
        return;
    int digitWidth = digits->GetWidth() / 10;
    int64_t magnitude = n < 0 ? -static_cast<int64_t>(n) : n;
    std::string text = std::to_string(magnitude);
    int offset = 0;
    for (char c : text) {
        int d = c - '0';
        std::unique_ptr<Graphics> cell(g.Clone());
        cell->IntersectClip(x + offset, y, digitWidth, digits->GetHeight());
        cell->DrawImage(digits, x + offset - digitWidth * d, y);
        offset += digitWidth + spacing;
    }
}

bool Widget::ContainsPoint(int x, int y)
{
    return x >= mX && x < mX + mWidth && y >= mY && y < mY + mHeight;
}

Rect Widget::GetInnerRect()
{
    return Rect(mX + mInsets.mLeft, mY + mInsets.mTop, mWidth - mInsets.mLeft - mInsets.mRight,
                mHeight - mInsets.mTop - mInsets.mBottom);
}

} // namespace Olvarn
