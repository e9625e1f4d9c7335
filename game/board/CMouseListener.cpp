// The process-wide list of mouse listeners and the dispatch in list order.
#include "board/CMouseListener.h"

#include <algorithm>
#include <vector>

namespace tilvan
{

namespace
{

std::list<CMouseListener*>& List()
{
    static std::list<CMouseListener*> list;
    return list;
}

CMouseListener::CursorAccess gCursor = nullptr;

// A listener may leave the list while it handles an event (an effect that ends itself), so every
// dispatch walks a copy and skips those that have gone.
template <typename F> bool Offer(F ask, bool stopAtTrue)
{
    std::vector<CMouseListener*> snapshot(List().begin(), List().end());
    for (CMouseListener* l : snapshot) {
        if (std::find(List().begin(), List().end(), l) == List().end())
            continue;
        if (ask(*l) && stopAtTrue)
            return true;
    }
    return false;
}

} // namespace

CMouseListener::CMouseListener()
{
    List().push_back(this);
}

CMouseListener::~CMouseListener()
{
    auto it = std::find(List().begin(), List().end(), this);
    if (it != List().end())
        List().erase(it);
}

void CMouseListener::SetCursorAccess(CursorAccess access)
{
    gCursor = access;
}

const std::list<CMouseListener*>& CMouseListener::Listeners()
{
    return List();
}

bool CMouseListener::DispatchMouseDown(int x, int y, int clicks, CCursor& cursor)
{
    return Offer([&](CMouseListener& l) { return l.MouseDown(x, y, clicks, cursor); }, true);
}

bool CMouseListener::DispatchMouseUp(int x, int y, int clicks, CCursor& cursor)
{
    return Offer([&](CMouseListener& l) { return l.MouseUp(x, y, clicks, cursor); }, true);
}

void CMouseListener::DispatchMouseMove(int x, int y, CCursor& cursor)
{
    constexpr int kHidden = 5, kPointer = 0;
    if (gCursor && gCursor(-1) != kHidden)
        gCursor(kPointer);
    Offer([&](CMouseListener& l) { return l.MouseMove(x, y, cursor); }, false);
}

void CMouseListener::DispatchMouseDrag(int x, int y, CCursor& cursor)
{
    Offer([&](CMouseListener& l) { return l.MouseDrag(x, y, cursor); }, false);
}

} // namespace tilvan
