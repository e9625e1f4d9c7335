// Base of every control, screen and panel: visibility, enabled state, focus, hover and press, a
// colour table, hit-test insets, tab neighbours, default input handlers and text drawing helpers.
#pragma once

#include <string>
#include <vector>

#include "core/Color.h"
#include "widgets/WidgetContainer.h"
#include "widgets/WidgetMargins.h"

namespace Olvarn
{

class Image;
class WidgetHost;

class Widget : public WidgetContainer
{
public:
    Widget() = default;
    // A widget deleted while still in a child list takes itself out of it first.
    ~Widget() override;

    // The application as widgets know it: the manager's, or the process's while the widget is
    // outside a tree.
    WidgetHost* GetHost() const;

    virtual void OnZOrderChanged() {}
    virtual void SetVisible(bool visible);
    // Each row is r, g, b, a.
    virtual void SetColorTableRGBA(const int colors[][4], int count);
    // Each row is r, g, b; alpha is 255.
    virtual void SetColorTableRGB(const int colors[][3], int count);
    virtual void SetColor(int index, const Color& color);
    virtual Color GetColorOrDefault(int index, const Color& defaultColor);
    virtual const Color& GetColor(int index);
    virtual void SetDisabled(bool disabled);
    virtual void ShowHandCursor(bool show);
    virtual void ResizeToRect(const Rect& rect);
    virtual void Resize(int x, int y, int width, int height);
    virtual void Move(int x, int y);
    virtual void ToRootCoords(int x, int y, int& outX, int& outY);
    virtual void FromRootCoords(int x, int y, int& outX, int& outY);
    virtual bool AcceptsFocus() { return false; }
    virtual void DrawOnTop(Graphics& g) {}
    virtual void OnFocusGained() { mHasFocus = true; }
    virtual void OnFocusLost() { mHasFocus = false; }
    virtual void OnChar(char c) {}
    virtual void OnKeyDown(int key);
    virtual void OnKeyUp(int key) {}
    virtual void OnMouseEnter() {}
    virtual void OnMouseLeave() {}
    virtual void OnMouseMove(int x, int y) {}
    virtual void OnMouseButtonDown(int x, int y, int button, int clickCount) {}
    virtual void OnMouseDown(int x, int y, int clickCode);
    virtual void OnMouseButtonUp(int x, int y, int button, int clickCount) {}
    virtual void OnMouseUp(int x, int y, int clickCode);
    virtual void OnMouseUpAt(int x, int y) {}
    virtual void OnMouseDrag(int x, int y) {}
    virtual void OnMouseWheel(int delta) {}
    virtual bool IsOpaqueAt(int x, int y) { return true; }
    virtual Rect DrawCenteredTextShadowed(Graphics& g, int y, const std::string& text, const Color& color,
                                          const Color& shadowColor, int offsetX, int offsetY);
    virtual Rect DrawCenteredText(Graphics& g, int y, const std::string& text);
    virtual int DrawJustifiedText(Graphics& g, const std::string& text, int x, int y, int width, int justification,
                                  bool draw = true, int offset = 0, int length = -1);
    virtual int DrawWrappedText(Graphics& g, const Rect& rect, const std::string& text, int lineSpacing = -1,
                                int justification = -1);
    virtual int MeasureWrappedText(Graphics& g, int width, const std::string& text, int lineSpacing = -1);
    virtual int CountDigits(int n);
    virtual void DrawNumberFromDigitStrip(Graphics& g, int n, int x, int y, Image* digits, int spacing);
    virtual bool ContainsPoint(int x, int y);
    virtual Rect GetInnerRect();

    // Button numbers of OnMouseButtonDown/Up for a click code: 0 left, 1 right, 2 middle.
    static int ButtonForClickCode(int clickCode);
    static int ClickCountForClickCode(int clickCode);

    bool mIsVisible = true;
    bool mAcceptsMouse = true;
    bool mIsDisabled = false;
    bool mHasFocus = false;
    bool mIsPressed = false;
    bool mIsHovered = false;
    bool mPaintsPartially = false;
    std::vector<Color> mColors;
    WidgetMargins mInsets;
    bool mShowsHandCursor = false;
    Widget* mTabPrevious = nullptr;
    Widget* mTabNext = nullptr;
};

} // namespace Olvarn
