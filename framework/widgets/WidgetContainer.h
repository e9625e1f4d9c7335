// Base of every node of the widget tree: the ordered child list and z-order, invalidation, and the
// update, draw and hit-test walks that carry the flag word down the tree.
#pragma once

#include <list>

#include "core/Rect.h"
#include "widgets/FlagsMod.h"

namespace Olvarn
{

class Graphics;
class Widget;
class WidgetManager;

// The smallest rectangle holding both; an empty one adds nothing.
Rect RectUnion(const Rect& a, const Rect& b);

class WidgetContainer
{
public:
    using WidgetList = std::list<Widget*>;

    WidgetContainer() = default;
    WidgetContainer(const WidgetContainer&) = delete;
    WidgetContainer& operator=(const WidgetContainer&) = delete;
    virtual ~WidgetContainer();

    virtual Rect GetRect();
    // Touching edges do not overlap; both rectangles are in the parent's coordinates.
    virtual bool Overlaps(WidgetContainer* other);
    virtual void InvalidateChild(Widget* child);
    virtual void Invalidate();
    virtual void InvalidateChildFully(Widget* child);
    virtual void InvalidateFully();
    // Only area (in this container's coordinates) needs drawing again; a top-level widget then draws
    // clipped to the union of its areas, and only that union is presented.
    void InvalidateRect(const Rect& area);
    void InvalidateChildArea(Widget* child, const Rect& area);
    virtual void OnAttached(WidgetManager* manager);
    virtual void OnDetached(WidgetManager* manager);
    virtual void Update();
    virtual void UpdateTree(FlagsMod& mod);
    virtual void UpdateFraction(float fraction);
    virtual void UpdateFractionTree(FlagsMod& mod, float fraction);
    virtual void Draw(Graphics& g);
    // g is already translated to this container's top-left.
    virtual void DrawTree(FlagsMod& mod, Graphics& g);

    void AddWidget(Widget* widget);
    void RemoveWidget(Widget* widget);
    void RemoveAllChildren(bool deleteWidgets = false, bool recursive = false);
    void BringToFront(Widget* widget);
    void SendToBack(Widget* widget);
    void MoveBehind(Widget* widget, Widget* reference);
    void MoveInFront(Widget* widget, Widget* reference);
    void InvalidateTree();
    // x, y in this container's coordinates; hit tells whether something took or blocked the point.
    Widget* FindWidgetAt(int x, int y, int flags, bool* hit = nullptr, int* localX = nullptr, int* localY = nullptr);
    // True when a is met before b walking depth first in child order: a is drawn below b.
    bool IsBelow(Widget* a, Widget* b);

    WidgetList mChildren;
    WidgetManager* mManager = nullptr;
    WidgetContainer* mParent = nullptr;
    bool mUpdateIteratorMoved = false;
    WidgetList::iterator mUpdateIterator = mChildren.end();
    int mLastUpdateSeen = 0;
    int mUpdateCount = 0;
    bool mDirty = false;
    // Set with mDirty when only mDirtyArea, in this widget's coordinates, waits to be drawn.
    bool mDirtyPartly = false;
    Rect mDirtyArea;
    int mX = 0;
    int mY = 0;
    int mWidth = 0;
    int mHeight = 0;
    bool mIsTranslucent = false;
    bool mClipToBounds = true;
    int mFlagsAdd = 0;
    int mFlagsRemove = 0;

protected:
    // The area that bounds which sibling can cover another at the root; the manager uses the screen.
    virtual Rect CoverBounds() const { return Rect(0, 0, mWidth, mHeight); }
    int ApplyMasks(int flags) const { return (flags | mFlagsAdd) & ~mFlagsRemove; }

private:
    WidgetList::iterator Find(Widget* widget);
    // Moves the walk cursor off a child that is about to be unlinked or moved.
    void StepCursorPast(WidgetList::iterator it);
    void MoveChildTo(WidgetList::iterator it, WidgetList::iterator position);
    void InvalidateSiblingsAbove(WidgetList::iterator it, Widget* child);
    void InvalidateSiblingsBelow(WidgetList::iterator it, Widget* child);
    void MarkSubtreeDirty();
    bool IsBelowWalk(Widget* a, Widget* b, bool& decided);
    template <typename Visit> void WalkChildren(FlagsMod& mod, Visit visit);
};

} // namespace Olvarn
