// Root of the widget tree and the single entry of input into it: hover, the widget holding the
// mouse while a button is down, keyboard focus and the table of keys down, and the modal layers.
#pragma once

#include <array>
#include <vector>

#include "widgets/ModalLayer.h"
#include "widgets/Widget.h"
#include "widgets/WidgetContainer.h"

namespace Olvarn
{

class Image;
class WidgetHost;

class WidgetManager : public WidgetContainer
{
public:
    // Key codes 0 to 254 have an entry; 255 and above are delivered but not recorded.
    static constexpr int kKeyTableSize = 255;
    static constexpr int kKeyShift = 16;
    static constexpr int kKeyControl = 17;
    static constexpr int kKeyAlt = 18;
    static constexpr int kKeyTab = 9;
    // Button bits of pressedButtons and downButtons.
    static constexpr int kButtonLeft = 1;
    static constexpr int kButtonRight = 2;
    static constexpr int kButtonMiddle = 4;

    explicit WidgetManager(WidgetHost* app);
    ~WidgetManager() override;

    // Input entry points; each answers true.
    virtual bool OnMouseMove(int x, int y);
    virtual bool OnMouseDown(int x, int y, int clickCode);
    virtual bool OnMouseUp(int x, int y, int clickCode);
    virtual bool OnMouseWheel(int delta);
    virtual bool OnMouseLeftWindow();
    virtual bool OnKeyDown(int key);
    virtual bool OnKeyUp(int key);
    virtual bool OnChar(char c);

    // The application window gained or lost the foreground.
    virtual void OnAppActivated();
    virtual void OnAppDeactivated();
    virtual void ReleaseMouseButtons();
    // Forgets every key as down without telling anyone (after a system pop-up or a mode switch).
    void ClearKeyTable() { mKeyDown.fill(false); }
    bool IsKeyDown(int key) const { return key >= 0 && key < kKeyTableSize && mKeyDown[static_cast<size_t>(key)]; }

    void SetFocusWidget(Widget* widget);

    void AddBaseModal(Widget* widget);
    void AddBaseModal(Widget* widget, int flagsAdd, int flagsRemove);
    void RemoveBaseModal(Widget* widget);
    // Clears the widget from the saved modal and focus widgets of every layer.
    void ScrubModalLayers(Widget* widget);

    virtual bool UpdateWidgets();
    virtual bool UpdateWidgetsFraction(float fraction);
    virtual bool DrawWidgets();
    // The screen area the last DrawWidgets drew, clipped to the screen: all a present needs to show.
    const Rect& DrawnArea() const { return mDrawnArea; }

    virtual void SetScreenSize(int width, int height);
    void RecheckMouse();
    void TrackMouse(int x, int y);
    void ForgetWidget(Widget* widget);
    // Sets the application's cursor by number (0 pointer, 1 hand, ...).
    void SetAppCursor(int number);

    WidgetHost* mApp = nullptr;
    Image* mScreenImage = nullptr;
    int mScreenWidth = 0;
    int mScreenHeight = 0;
    bool mAppHasFocus = true;
    Widget* mFocusWidget = nullptr;
    Widget* mPressedWidget = nullptr;
    Widget* mHoverWidget = nullptr;
    Widget* mModalWidget = nullptr;
    int mBelowModalFlagsAdd = 0;
    int mBelowModalFlagsRemove = 0;
    int mDefaultBelowModalFlagsAdd = 0;
    int mDefaultBelowModalFlagsRemove = FlagMouse | FlagFocus;
    std::vector<ModalLayer> mModalLayers;
    bool mMouseInWindow = false;
    int mLastMouseX = 0;
    int mLastMouseY = 0;
    int mPressedButtons = 0;
    int mDownButtons = 0;
    std::array<bool, kKeyTableSize> mKeyDown{};
    int mDefaultFlags = FlagDefault;
    Rect mDrawnArea;

    static int ButtonBitForClickCode(int clickCode);

protected:
    Rect CoverBounds() const override { return Rect(0, 0, mScreenWidth, mScreenHeight); }

private:
    FlagsMod MakeFlagsMod() const;
    Widget* WidgetAt(int x, int y, int& localX, int& localY);
    void LeaveHover();
    void EnterHover(Widget* widget);
    void ReleaseButtonsOn(Widget* widget, int buttons);
    void DragTo(int x, int y);
    void SetBaseModal(Widget* widget, int flagsAdd, int flagsRemove);
    bool Is3DDrawing() const;
    bool DrawTopLevel(FlagsMod& mod, Graphics& screen);
    // Clips g to what of child waits to be drawn and returns that area on the screen.
    Rect AreaToDraw(const Widget& child, Graphics& g, bool is3D) const;
};

} // namespace Olvarn
