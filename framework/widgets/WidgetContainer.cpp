// The child list, invalidation with its root-level sibling bookkeeping, the walks and hit testing.
#include "widgets/WidgetContainer.h"

#include <algorithm>
#include <vector>

#include "graphics/Graphics.h"
#include "widgets/Widget.h"
#include "widgets/WidgetManager.h"

namespace Olvarn
{

namespace
{

// Puts both flag words back on the way out of a container, also when a handler throws.
class FlagsRestorer
{
public:
    explicit FlagsRestorer(FlagsMod& mod) : mMod(mod), mFlags(mod.mFlags), mBelow(mod.mBelowModalFlags) {}
    ~FlagsRestorer()
    {
        mMod.mFlags = mFlags;
        mMod.mBelowModalFlags = mBelow;
    }
    FlagsRestorer(const FlagsRestorer&) = delete;
    FlagsRestorer& operator=(const FlagsRestorer&) = delete;

private:
    FlagsMod& mMod;
    int mFlags;
    int mBelow;
};

bool RectsOverlap(const Rect& a, const Rect& b)
{
    return a.mX < b.mX + b.mWidth && b.mX < a.mX + a.mWidth && a.mY < b.mY + b.mHeight && b.mY < a.mY + a.mHeight;
}

} // namespace

Rect RectUnion(const Rect& a, const Rect& b)
{
    if (b.mWidth <= 0 || b.mHeight <= 0)
        return a;
    if (a.mWidth <= 0 || a.mHeight <= 0)
        return b;
    const int left = std::min(a.mX, b.mX);
    const int top = std::min(a.mY, b.mY);
    const int right = std::max(a.mX + a.mWidth, b.mX + b.mWidth);
    const int bottom = std::max(a.mY + a.mHeight, b.mY + b.mHeight);
    return Rect(left, top, right - left, bottom - top);
}

WidgetContainer::~WidgetContainer()
{
    // Children outlive their container; they must not keep pointing at it.
    for (Widget* child : mChildren)
        child->mParent = nullptr;
}

Rect WidgetContainer::GetRect()
{
    return Rect(mX, mY, mWidth, mHeight);
}

bool WidgetContainer::Overlaps(WidgetContainer* other)
{
    return RectsOverlap(GetRect(), other->GetRect());
}

WidgetContainer::WidgetList::iterator WidgetContainer::Find(Widget* widget)
{
    return std::find(mChildren.begin(), mChildren.end(), widget);
}

// ---- Invalidation ----

void WidgetContainer::Invalidate()
{
    if (mParent)
        mParent->InvalidateChild(static_cast<Widget*>(this));
    else
        mDirty = true;
}

void WidgetContainer::InvalidateFully()
{
    if (mParent)
        mParent->InvalidateChildFully(static_cast<Widget*>(this));
    else
        mDirty = true;
}

void WidgetContainer::InvalidateChild(Widget* child)
{
    if (child->mDirty && !child->mDirtyPartly)
        return;
    Invalidate();
    child->mDirty = true;
    child->mDirtyPartly = false;
    if (mParent)
        return;
    if (child->mIsTranslucent) {
        InvalidateChildFully(child);
        return;
    }
    auto it = Find(child);
    if (it != mChildren.end())
        InvalidateSiblingsAbove(it, child);
}

void WidgetContainer::InvalidateChildFully(Widget* child)
{
    InvalidateFully();
    child->mDirty = true;
    child->mDirtyPartly = false;
    if (mParent)
        return;
    auto it = Find(child);
    if (it == mChildren.end())
        return;
    InvalidateSiblingsBelow(it, child);
    InvalidateSiblingsAbove(it, child);
}

void WidgetContainer::InvalidateRect(const Rect& area)
{
    if (mParent)
        mParent->InvalidateChildArea(static_cast<Widget*>(this), area);
    else
        mDirty = true;
}

void WidgetContainer::InvalidateChildArea(Widget* child, const Rect& area)
{
    Rect r = child->mClipToBounds ? area.Intersection(Rect(0, 0, child->mWidth, child->mHeight)) : area;
    if (r.mWidth <= 0 || r.mHeight <= 0)
        return;
    if (mParent) {
        // Below the top level every child is drawn with its parent, so the parent's area grows.
        InvalidateRect(Rect(r.mX + child->mX, r.mY + child->mY, r.mWidth, r.mHeight));
        return;
    }
    if (child->mDirty && !child->mDirtyPartly)
        return;
    if (child->mIsTranslucent) {
        // What lies below shows through: the simple whole redraw keeps the siblings below right.
        InvalidateChild(child);
        return;
    }
    child->mDirtyArea = child->mDirty ? RectUnion(child->mDirtyArea, r) : r;
    child->mDirty = true;
    child->mDirtyPartly = true;
    Invalidate();
    // Siblings above that overlap the area are painted over by its redraw, so they draw that part too.
    Rect onScreen(r.mX + child->mX, r.mY + child->mY, r.mWidth, r.mHeight);
    auto it = Find(child);
    if (it == mChildren.end())
        return;
    for (++it; it != mChildren.end(); ++it) {
        Widget* sibling = *it;
        if (!sibling->mIsVisible || !RectsOverlap(sibling->GetRect(), onScreen))
            continue;
        InvalidateChildArea(
            sibling, Rect(onScreen.mX - sibling->mX, onScreen.mY - sibling->mY, onScreen.mWidth, onScreen.mHeight));
    }
}

void WidgetContainer::InvalidateSiblingsAbove(WidgetList::iterator it, Widget* child)
{
    for (++it; it != mChildren.end(); ++it) {
        Widget* sibling = *it;
        if (sibling->mIsVisible && sibling->Overlaps(child))
            InvalidateChild(sibling);
    }
}

void WidgetContainer::InvalidateSiblingsBelow(WidgetList::iterator it, Widget* child)
{
    Rect r = child->GetRect().Intersection(CoverBounds());
    bool coverable = r.mWidth > 0 && r.mHeight > 0;
    while (it != mChildren.begin()) {
        --it;
        Widget* sibling = *it;
        if (!sibling->mIsVisible)
            continue;
        bool opaque = !sibling->mPaintsPartially && !sibling->mIsTranslucent;
        if (coverable && opaque && sibling->ContainsPoint(r.mX, r.mY) &&
            sibling->ContainsPoint(r.mX + r.mWidth - 1, r.mY + r.mHeight - 1)) {
            // Nothing further down can show through this one.
            sibling->Invalidate();
            return;
        }
        if (sibling->Overlaps(child))
            InvalidateChild(sibling);
    }
}

void WidgetContainer::InvalidateTree()
{
    Invalidate();
    MarkSubtreeDirty();
}

void WidgetContainer::MarkSubtreeDirty()
{
    for (Widget* child : mChildren) {
        child->mDirty = true;
        child->mDirtyPartly = false;
        child->MarkSubtreeDirty();
    }
}

// ---- Attachment ----

void WidgetContainer::OnAttached(WidgetManager* manager)
{
    std::vector<Widget*> children(mChildren.begin(), mChildren.end());
    for (Widget* child : children) {
        child->mManager = manager;
        child->OnAttached(manager);
    }
    Invalidate();
}

void WidgetContainer::OnDetached(WidgetManager* manager)
{
    std::vector<Widget*> children(mChildren.begin(), mChildren.end());
    for (Widget* child : children) {
        manager->ForgetWidget(child);
        // A saved modal layer must not hand the focus back to a widget that left the tree.
        manager->ScrubModalLayers(child);
        child->OnDetached(manager);
        child->mManager = nullptr;
    }
}

void WidgetContainer::AddWidget(Widget* widget)
{
    if (!widget || widget == this || Find(widget) != mChildren.end())
        return;
    // A widget sits in one child list only; a second list would keep a pointer the first one frees.
    if (widget->mParent)
        widget->mParent->RemoveWidget(widget);
    mChildren.push_back(widget);
    widget->mManager = mManager;
    widget->mParent = this;
    if (mManager) {
        widget->OnAttached(mManager);
        widget->InvalidateFully();
        mManager->RecheckMouse();
    }
    Invalidate();
}

void WidgetContainer::RemoveWidget(Widget* widget)
{
    auto it = Find(widget);
    if (it == mChildren.end())
        return;
    if (mManager) {
        WidgetManager* manager = mManager;
        manager->ForgetWidget(widget);
        manager->ScrubModalLayers(widget);
        widget->OnDetached(manager);
        InvalidateChildFully(widget);
    }
    widget->mManager = nullptr;
    widget->mParent = nullptr;
    // Handlers above may have changed the list; unlink from where the widget is now.
    it = Find(widget);
    if (it == mChildren.end())
        return;
    StepCursorPast(it);
    mChildren.erase(it);
}

void WidgetContainer::RemoveAllChildren(bool deleteWidgets, bool recursive)
{
    while (!mChildren.empty()) {
        Widget* widget = mChildren.front();
        RemoveWidget(widget);
        if (recursive)
            widget->RemoveAllChildren(deleteWidgets, true);
        if (deleteWidgets)
            delete widget;
    }
}

// ---- Z-order ----

void WidgetContainer::StepCursorPast(WidgetList::iterator it)
{
    if (it == mUpdateIterator) {
        ++mUpdateIterator;
        mUpdateIteratorMoved = true;
    }
}

void WidgetContainer::MoveChildTo(WidgetList::iterator it, WidgetList::iterator position)
{
    Widget* widget = *it;
    StepCursorPast(it);
    mChildren.splice(position, mChildren, it);
    widget->OnZOrderChanged();
}

void WidgetContainer::BringToFront(Widget* widget)
{
    auto it = Find(widget);
    if (it != mChildren.end())
        MoveChildTo(it, mChildren.end());
}

void WidgetContainer::SendToBack(Widget* widget)
{
    auto it = Find(widget);
    if (it != mChildren.end())
        MoveChildTo(it, mChildren.begin());
}

void WidgetContainer::MoveBehind(Widget* widget, Widget* reference)
{
    auto it = Find(widget);
    if (it == mChildren.end())
        return;
    MoveChildTo(it, Find(reference));
}

void WidgetContainer::MoveInFront(Widget* widget, Widget* reference)
{
    auto it = Find(widget);
    if (it == mChildren.end())
        return;
    auto ref = Find(reference);
    MoveChildTo(it, ref == mChildren.end() ? ref : std::next(ref));
}

// ---- Walks ----

template <typename Visit> void WidgetContainer::WalkChildren(FlagsMod& mod, Visit visit)
{
    Widget* modal = mManager ? mManager->mModalWidget : nullptr;
    mUpdateIterator = mChildren.begin();
    while (mUpdateIterator != mChildren.end()) {
        mUpdateIteratorMoved = false;
        Widget* child = *mUpdateIterator;
        if (child == modal)
            mod.mIsAboveModal = true;
        visit(child);
        // A nested walk of this list leaves the cursor at the end; never step past it.
        if (!mUpdateIteratorMoved && mUpdateIterator != mChildren.end())
            ++mUpdateIterator;
    }
    mUpdateIteratorMoved = false;
}

void WidgetContainer::Update()
{
    ++mUpdateCount;
}

void WidgetContainer::UpdateTree(FlagsMod& mod)
{
    FlagsRestorer restorer(mod);
    mod.mFlags = ApplyMasks(mod.mFlags);
    mod.mBelowModalFlags = ApplyMasks(mod.mBelowModalFlags);
    int flags = mod.Applicable();
    if (flags & FlagRedraw)
        Invalidate();
    if ((flags & FlagUpdate) && mManager && mLastUpdateSeen != mManager->mUpdateCount) {
        mLastUpdateSeen = mManager->mUpdateCount;
        Update();
    }
    WalkChildren(mod, [&mod](Widget* child) { child->UpdateTree(mod); });
}

void WidgetContainer::UpdateFraction(float fraction) {}

void WidgetContainer::UpdateFractionTree(FlagsMod& mod, float fraction)
{
    FlagsRestorer restorer(mod);
    mod.mFlags = ApplyMasks(mod.mFlags);
    mod.mBelowModalFlags = ApplyMasks(mod.mBelowModalFlags);
    if (mod.Applicable() & FlagUpdate)
        UpdateFraction(fraction);
    WalkChildren(mod, [&mod, fraction](Widget* child) { child->UpdateFractionTree(mod, fraction); });
}

void WidgetContainer::Draw(Graphics& g) {}

void WidgetContainer::DrawTree(FlagsMod& mod, Graphics& g)
{
    FlagsRestorer restorer(mod);
    mod.mFlags = ApplyMasks(mod.mFlags);
    mod.mBelowModalFlags = ApplyMasks(mod.mBelowModalFlags);
    int flags = mod.Applicable();
    if (mClipToBounds && (flags & FlagClip))
        g.IntersectClip(0, 0, mWidth, mHeight);
    if (mChildren.empty()) {
        if (flags & FlagDraw)
            Draw(g);
        return;
    }
    if (flags & FlagDraw) {
        GraphicsStateSaver saver(g);
        Draw(g);
    }
    WalkChildren(mod, [&mod, &g](Widget* child) {
        if (!child->mIsVisible)
            return;
        Graphics childGraphics(g);
        childGraphics.Translate(child->mX, child->mY);
        child->DrawTree(mod, childGraphics);
        child->mDirty = false;
        child->mDirtyPartly = false;
    });
}

// ---- Hit testing ----

Widget* WidgetContainer::FindWidgetAt(int x, int y, int flags, bool* hit, int* localX, int* localY)
{
    int f = ApplyMasks(flags);
    Widget* modal = mManager ? mManager->mModalWidget : nullptr;
    for (auto it = mChildren.rbegin(); it != mChildren.rend(); ++it) {
        Widget* c = *it;
        if ((f & FlagMouse) && c->mIsVisible) {
            bool childHit = false;
            Widget* found = c->FindWidgetAt(x - c->mX, y - c->mY, f, &childHit, localX, localY);
            if (childHit) {
                if (hit)
                    *hit = true;
                return found;
            }
            if (c->mAcceptsMouse && c->GetInnerRect().Contains(x, y)) {
                if (c->mIsDisabled) {
                    // A disabled widget hides everything under it.
                    if (hit)
                        *hit = true;
                    return nullptr;
                }
                if (c->IsOpaqueAt(x - c->mX, y - c->mY)) {
                    if (hit)
                        *hit = true;
                    if (localX)
                        *localX = x - c->mX;
                    if (localY)
                        *localY = y - c->mY;
                    return c;
                }
            }
        }
        if (c == modal)
            f = (f | mManager->mBelowModalFlagsAdd) & ~mManager->mBelowModalFlagsRemove;
    }
    if (hit)
        *hit = false;
    return nullptr;
}

bool WidgetContainer::IsBelowWalk(Widget* a, Widget* b, bool& decided)
{
    for (Widget* child : mChildren) {
        if (child == b) {
            decided = true;
            return false;
        }
        if (child == a) {
            decided = true;
            return true;
        }
        bool result = child->IsBelowWalk(a, b, decided);
        if (decided)
            return result;
    }
    return false;
}

bool WidgetContainer::IsBelow(Widget* a, Widget* b)
{
    bool decided = false;
    return IsBelowWalk(a, b, decided);
}

} // namespace Olvarn
