// Objects on the board that want the mouse: each enters one process-wide list when made and leaves it
// when destroyed; an event is offered in the order the listeners were made.
#pragma once

#include <list>

namespace tilvan
{

class CCursor;

class CMouseListener
{
public:
    CMouseListener();
    CMouseListener(const CMouseListener&) = delete;
    CMouseListener& operator=(const CMouseListener&) = delete;
    virtual ~CMouseListener();

    // clicks: 1 or 2 left, -1 or -2 right, 3 middle. True takes the event from later listeners.
    virtual bool MouseDown(int x, int y, int clicks, CCursor& cursor) { return false; }
    virtual bool MouseUp(int x, int y, int clicks, CCursor& cursor) { return false; }
    virtual bool MouseMove(int x, int y, CCursor& cursor) { return false; }
    virtual bool MouseDrag(int x, int y, CCursor& cursor) { return MouseMove(x, y, cursor); }

    static bool DispatchMouseDown(int x, int y, int clicks, CCursor& cursor);
    static bool DispatchMouseUp(int x, int y, int clicks, CCursor& cursor);
    static void DispatchMouseMove(int x, int y, CCursor& cursor);
    static void DispatchMouseDrag(int x, int y, CCursor& cursor);

    // The application's cursor as moves reset it (0 pointer, 5 hidden); installed by the play state.
    using CursorAccess = int (*)(int setTo);
    static void SetCursorAccess(CursorAccess access);

    static const std::list<CMouseListener*>& Listeners();
};

} // namespace tilvan
