// The system mouse cursor over the program's windows: the shapes by the framework's cursor numbers,
// two of them (the hand and the dragging hand) drawn by the program itself. Main thread only.
#pragma once

namespace Olvarn
{

class Cursor
{
public:
    // Cursor numbers: 0 pointer, 1 hand, 2 dragging, 3 text beam, 4 "no", 5 none.
    static constexpr int kPointer = 0;
    static constexpr int kHand = 1;
    static constexpr int kDragging = 2;
    static constexpr int kText = 3;
    static constexpr int kNo = 4;
    static constexpr int kNone = 5;
    static constexpr int kCount = 6;

    // Shows the system cursor of the number (any other number: the pointer); 5 hides it. Answers
    // whether a system cursor is now visible. Without video nothing is set, but the answer holds.
    static bool Show(int number);
    // Hides the system cursor (a software cursor is drawn instead).
    static void Hide();
    // The number last shown (-1 after Hide).
    static int Current();
    // Frees the cursors made so far; the next Show makes them again.
    static void Release();

    // The 32 x 32 mask of a built-in cursor as rows of 'X' (black outline), '.' (white) and ' '
    // (clear), with its hot spot; for kHand and kDragging only.
    static const char* const* BuiltInRows(int number, int& hotX, int& hotY);
};

} // namespace Olvarn
