// Mouse, keyboard and activation dispatch, focus, modal layers, and the per-frame update and draw of
// the top-level widgets.
#include "widgets/WidgetManager.h"

#include <memory>

#include "graphics/DDImage.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "widgets/WidgetHost.h"

namespace Olvarn
{

namespace
{

void DetachSubtree(WidgetContainer* container)
{
    for (Widget* child : container->mChildren) {
        child->mManager = nullptr;
        DetachSubtree(child);
    }
}

} // namespace

WidgetManager::WidgetManager(WidgetHost* app) : mApp(app)
{
    mManager = this;
}

WidgetManager::~WidgetManager()
{
    // Widgets still in the tree outlive the manager; they must not reach it any more.
    DetachSubtree(this);
}

int WidgetManager::ButtonBitForClickCode(int clickCode)
{
    if (clickCode < 0)
        return kButtonRight;
    return clickCode == 3 ? kButtonMiddle : kButtonLeft;
}

FlagsMod WidgetManager::MakeFlagsMod() const
{
    FlagsMod mod;
    mod.mFlags = mDefaultFlags;
    mod.mBelowModalFlags = (mDefaultFlags | mBelowModalFlagsAdd) & ~mBelowModalFlagsRemove;
    mod.mIsAboveModal = mModalWidget == nullptr;
    return mod;
}

Widget* WidgetManager::WidgetAt(int x, int y, int& localX, int& localY)
{
    localX = 0;
    localY = 0;
    return FindWidgetAt(x, y, mDefaultFlags, nullptr, &localX, &localY);
}

void WidgetManager::SetAppCursor(int number)
{
    if (!mApp)
        return;
    mApp->SetCursor(number);
}

// ---- Hover ----

void WidgetManager::LeaveHover()
{
    Widget* old = mHoverWidget;
    if (!old)
        return;
    mHoverWidget = nullptr;
    old->mIsHovered = false;
    old->OnMouseLeave();
    if (old->mShowsHandCursor)
        old->ShowHandCursor(false);
}

void WidgetManager::EnterHover(Widget* widget)
{
    mHoverWidget = widget;
    widget->mIsHovered = true;
    widget->OnMouseEnter();
    if (widget->mShowsHandCursor)
        widget->ShowHandCursor(true);
}

void WidgetManager::TrackMouse(int x, int y)
{
    int oldX = mLastMouseX, oldY = mLastMouseY;
    mLastMouseX = x;
    mLastMouseY = y;
    int localX = 0, localY = 0;
    Widget* widget = WidgetAt(x, y, localX, localY);
    if (widget != mHoverWidget) {
        LeaveHover();
        if (widget) {
            EnterHover(widget);
            // The enter handler may have changed the tree; only a widget still hovered hears the move.
            if (mHoverWidget == widget)
                widget->OnMouseMove(localX, localY);
        }
    } else if (widget && (x != oldX || y != oldY)) {
        widget->OnMouseMove(localX, localY);
    }
}

void WidgetManager::RecheckMouse()
{
    if (mPressedWidget) {
        int localX = 0, localY = 0;
        if (mHoverWidget && WidgetAt(mLastMouseX, mLastMouseY, localX, localY) != mHoverWidget)
            LeaveHover();
        return;
    }
    if (mMouseInWindow)
        TrackMouse(mLastMouseX, mLastMouseY);
}

// ---- Mouse ----

bool WidgetManager::OnMouseMove(int x, int y)
{
    if (mPressedWidget && mPressedButtons != 0) {
        DragTo(x, y);
        return true;
    }
    mMouseInWindow = true;
    TrackMouse(x, y);
    return true;
}

void WidgetManager::DragTo(int x, int y)
{
    mMouseInWindow = true;
    mLastMouseX = x;
    mLastMouseY = y;
    Widget* pressed = mPressedWidget;
    if (mHoverWidget && mHoverWidget != pressed)
        LeaveHover();
    int localX = 0, localY = 0;
    pressed->FromRootCoords(x, y, localX, localY);
    pressed->OnMouseDrag(localX, localY);
    if (mPressedWidget != pressed)
        return; // the drag handler let go of the mouse
    Widget* under = WidgetAt(x, y, localX, localY);
    if (under == pressed) {
        if (!mHoverWidget)
            EnterHover(pressed);
    } else {
        LeaveHover();
    }
}

bool WidgetManager::OnMouseDown(int x, int y, int clickCode)
{
    int bit = ButtonBitForClickCode(clickCode);
    mDownButtons |= bit;
    TrackMouse(x, y);
    int localX = 0, localY = 0;
    Widget* widget = WidgetAt(x, y, localX, localY);
    if (mPressedWidget) {
        // The mouse stays with the widget that holds it.
        widget = mPressedWidget;
        widget->FromRootCoords(x, y, localX, localY);
    }
    mPressedButtons |= bit;
    mPressedWidget = widget;
    if (!widget)
        return true;
    if (widget->AcceptsFocus())
        SetFocusWidget(widget);
    widget->mIsPressed = true;
    widget->OnMouseDown(localX, localY, clickCode);
    return true;
}

bool WidgetManager::OnMouseUp(int x, int y, int clickCode)
{
    int bit = ButtonBitForClickCode(clickCode);
    mDownButtons &= ~bit;
    Widget* widget = mPressedWidget;
    if (widget && (mPressedButtons & bit)) {
        mPressedButtons &= ~bit;
        if (mPressedButtons == 0) {
            mPressedWidget = nullptr;
            widget->mIsPressed = false;
        }
        int localX = 0, localY = 0;
        widget->FromRootCoords(x, y, localX, localY);
        widget->OnMouseUp(localX, localY, clickCode);
    } else {
        mPressedButtons &= ~bit;
    }
    TrackMouse(x, y);
    return true;
}

void WidgetManager::ReleaseButtonsOn(Widget* widget, int buttons)
{
    static constexpr struct {
        int bit, code;
    } kButtons[] = {{kButtonLeft, 1}, {kButtonRight, -1}, {kButtonMiddle, 3}};
    for (const auto& button : kButtons) {
        if (!(buttons & button.bit))
            continue;
        widget->mIsPressed = false;
        int localX = 0, localY = 0;
        widget->FromRootCoords(mLastMouseX, mLastMouseY, localX, localY);
        widget->OnMouseUp(localX, localY, button.code);
    }
}

bool WidgetManager::OnMouseLeftWindow()
{
    mMouseInWindow = false;
    LeaveHover();
    return true;
}

bool WidgetManager::OnMouseWheel(int delta)
{
    if (mFocusWidget)
        mFocusWidget->OnMouseWheel(delta);
    return true;
}

void WidgetManager::ReleaseMouseButtons()
{
    Widget* widget = mPressedWidget;
    int buttons = mPressedButtons;
    mPressedButtons = 0;
    mPressedWidget = nullptr;
    if (widget && buttons)
        ReleaseButtonsOn(widget, buttons);
}

// ---- Keyboard ----

bool WidgetManager::OnKeyDown(int key)
{
    if (key >= 0 && key < kKeyTableSize)
        mKeyDown[static_cast<size_t>(key)] = true;
    if (mFocusWidget)
        mFocusWidget->OnKeyDown(key);
    return true;
}

bool WidgetManager::OnKeyUp(int key)
{
    if (key >= 0 && key < kKeyTableSize)
        mKeyDown[static_cast<size_t>(key)] = false;
    // Ctrl+Tab belongs to the system's window switching, not to the widgets.
    if (key == kKeyTab && IsKeyDown(kKeyControl))
        return true;
    if (mFocusWidget)
        mFocusWidget->OnKeyUp(key);
    return true;
}

bool WidgetManager::OnChar(char c)
{
    if (c == '\t' && IsKeyDown(kKeyControl))
        return true;
    if (mFocusWidget)
        mFocusWidget->OnChar(c);
    return true;
}

// ---- Focus and activation ----

void WidgetManager::SetFocusWidget(Widget* widget)
{
    if (widget == mFocusWidget)
        return;
    Widget* old = mFocusWidget;
    mFocusWidget = nullptr;
    if (old)
        old->OnFocusLost();
    if (widget && widget->mManager == this) {
        mFocusWidget = widget;
        if (mAppHasFocus)
            widget->OnFocusGained();
    }
}

void WidgetManager::OnAppActivated()
{
    if (mAppHasFocus)
        return;
    mAppHasFocus = true;
    if (mFocusWidget)
        mFocusWidget->OnFocusGained();
}

void WidgetManager::OnAppDeactivated()
{
    if (!mAppHasFocus)
        return;
    mDownButtons = 0;
    // The key-ups of keys held while the window goes will never arrive; send them now.
    for (int key = 0; key < kKeyTableSize; ++key) {
        if (!mKeyDown[static_cast<size_t>(key)])
            continue;
        mKeyDown[static_cast<size_t>(key)] = false;
        if (key == kKeyTab && IsKeyDown(kKeyControl))
            continue;
        if (mFocusWidget)
            mFocusWidget->OnKeyUp(key);
    }
    mAppHasFocus = false;
    if (mFocusWidget)
        mFocusWidget->OnFocusLost();
}

void WidgetManager::ForgetWidget(Widget* widget)
{
    if (!widget)
        return;
    if (widget == mHoverWidget)
        LeaveHover();
    if (widget == mPressedWidget) {
        int buttons = mPressedButtons;
        mPressedWidget = nullptr;
        mPressedButtons = 0;
        ReleaseButtonsOn(widget, buttons);
    }
    if (widget == mFocusWidget) {
        mFocusWidget = nullptr;
        widget->OnFocusLost();
    }
    if (widget == mModalWidget)
        mModalWidget = nullptr;
}

// ---- Modal layers ----

void WidgetManager::SetBaseModal(Widget* widget, int flagsAdd, int flagsRemove)
{
    mModalWidget = widget;
    mBelowModalFlagsAdd = flagsAdd;
    mBelowModalFlagsRemove = flagsRemove;
    if (!widget)
        return;
    if (flagsRemove & FlagMouse) {
        if (mHoverWidget && IsBelow(mHoverWidget, widget))
            LeaveHover();
        if (mPressedWidget && IsBelow(mPressedWidget, widget)) {
            Widget* pressed = mPressedWidget;
            int buttons = mPressedButtons;
            mPressedWidget = nullptr;
            mPressedButtons = 0;
            ReleaseButtonsOn(pressed, buttons);
        }
    }
    if ((flagsRemove & FlagFocus) && mFocusWidget && IsBelow(mFocusWidget, widget)) {
        Widget* old = mFocusWidget;
        mFocusWidget = nullptr;
        old->OnFocusLost();
    }
}

void WidgetManager::AddBaseModal(Widget* widget)
{
    AddBaseModal(widget, mDefaultBelowModalFlagsAdd, mDefaultBelowModalFlagsRemove);
}

void WidgetManager::AddBaseModal(Widget* widget, int flagsAdd, int flagsRemove)
{
    ModalLayer layer;
    layer.mWidget = widget;
    layer.mPreviousModalWidget = mModalWidget;
    layer.mPreviousFocusWidget = mFocusWidget;
    layer.mPreviousFlagsAdd = mBelowModalFlagsAdd;
    layer.mPreviousFlagsRemove = mBelowModalFlagsRemove;
    mModalLayers.push_back(layer);
    SetBaseModal(widget, flagsAdd, flagsRemove);
}

void WidgetManager::RemoveBaseModal(Widget* widget)
{
    if (mModalLayers.empty() || mModalLayers.back().mWidget != widget)
        return;
    while (!mModalLayers.empty()) {
        ModalLayer layer = mModalLayers.back();
        SetBaseModal(layer.mPreviousModalWidget, layer.mPreviousFlagsAdd, layer.mPreviousFlagsRemove);
        if (!mFocusWidget && layer.mPreviousFocusWidget) {
            mFocusWidget = layer.mPreviousFocusWidget;
            mFocusWidget->OnFocusGained();
        }
        mModalLayers.pop_back();
        if (layer.mPreviousModalWidget)
            break;
    }
}

void WidgetManager::ScrubModalLayers(Widget* widget)
{
    for (ModalLayer& layer : mModalLayers) {
        if (layer.mPreviousModalWidget == widget)
            layer.mPreviousModalWidget = nullptr;
        if (layer.mPreviousFocusWidget == widget)
            layer.mPreviousFocusWidget = nullptr;
    }
}

// ---- Frame ----

bool WidgetManager::UpdateWidgets()
{
    FlagsMod mod = MakeFlagsMod();
    ++mUpdateCount;
    mLastUpdateSeen = mUpdateCount;
    UpdateTree(mod);
    return mDirty;
}

bool WidgetManager::UpdateWidgetsFraction(float fraction)
{
    FlagsMod mod = MakeFlagsMod();
    UpdateFractionTree(mod, fraction);
    return mDirty;
}

bool WidgetManager::Is3DDrawing() const
{
    return mApp && mApp->Is3DEnabled();
}

bool WidgetManager::DrawWidgets()
{
    FlagsMod mod = MakeFlagsMod();
    bool anyDirty = false;
    for (Widget* child : mChildren)
        anyDirty = anyDirty || child->mDirty;
    if (!anyDirty) {
        mDrawnArea.Clear();
        return false;
    }
    Graphics screen(mScreenImage);
    // A display image stays locked for the whole draw, so each widget's draw does not lock again.
    struct SurfaceLockScope {
        DDImage* mImage = nullptr;
        ~SurfaceLockScope()
        {
            if (mImage)
                mImage->UnlockSurface();
        }
    } lockScope;
    auto* surfaceImage = dynamic_cast<DDImage*>(mScreenImage);
    if (surfaceImage && surfaceImage->LockSurface())
        lockScope.mImage = surfaceImage;
    return DrawTopLevel(mod, screen);
}

bool WidgetManager::DrawTopLevel(FlagsMod& mod, Graphics& screen)
{
    bool is3D = Is3DDrawing();
    bool drewAny = false;
    mDrawnArea.Clear();
    mUpdateIterator = mChildren.begin();
    while (mUpdateIterator != mChildren.end()) {
        mUpdateIteratorMoved = false;
        Widget* child = *mUpdateIterator;
        if (child == mModalWidget)
            mod.mIsAboveModal = true;
        if (child->mDirty && child->mIsVisible) {
            Graphics g(screen);
            g.SetFastScaling(!is3D);
            g.SetBilinear(is3D);
            g.Translate(child->mX, child->mY);
            mDrawnArea = RectUnion(mDrawnArea, AreaToDraw(*child, g, is3D));
            child->DrawTree(mod, g);
            child->mDirty = false;
            child->mDirtyPartly = false;
            drewAny = true;
        }
        if (!mUpdateIteratorMoved && mUpdateIterator != mChildren.end())
            ++mUpdateIterator;
    }
    mUpdateIteratorMoved = false;
    return drewAny;
}

Rect WidgetManager::AreaToDraw(const Widget& child, Graphics& g, bool is3D) const
{
    const Rect screen(0, 0, mScreenWidth, mScreenHeight);
    // A 3D frame is drawn whole, so a part of a widget is not drawn alone there.
    if (child.mDirtyPartly && !is3D) {
        const Rect& area = child.mDirtyArea;
        g.IntersectClip(area.mX, area.mY, area.mWidth, area.mHeight);
        return Rect(area.mX + child.mX, area.mY + child.mY, area.mWidth, area.mHeight).Intersection(screen);
    }
    // A widget that does not clip to its bounds may paint anywhere.
    if (!child.mClipToBounds)
        return screen;
    return Rect(child.mX, child.mY, child.mWidth, child.mHeight).Intersection(screen);
}

void WidgetManager::SetScreenSize(int width, int height)
{
    if (width == mScreenWidth && height == mScreenHeight)
        return;
    mScreenWidth = width;
    mScreenHeight = height;
}

} // namespace Olvarn
