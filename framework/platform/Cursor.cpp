// System cursors on SDL; the hand and dragging hand are drawn here from a few rectangles (the white
// shape) with a one-pixel black outline around it.
#include "platform/Cursor.h"

#include <SDL.h>

#include <array>
#include <string>

#include "platform/VideoSystem.h"

namespace Olvarn
{

namespace
{

constexpr int kSize = 32;

struct Box {
    int mLeft, mTop, mRight, mBottom; // inclusive
};

// A pointing hand: the index finger up (its tip outline at (11, 4)), three folded fingers, the thumb
// on the left, palm and wrist.
constexpr Box kHandBoxes[] = {{10, 5, 12, 17}, {14, 11, 16, 17}, {18, 12, 20, 17}, {22, 13, 24, 18},
                              {6, 14, 8, 19},  {8, 16, 24, 25},  {10, 25, 22, 28}};
// An open hand: four fingers up (the tallest one's outline crossing the hot spot (15, 10)), the thumb
// on the left, palm and wrist.
constexpr Box kDragBoxes[] = {{9, 7, 11, 16}, {13, 4, 15, 16}, {17, 5, 19, 16}, {21, 8, 23, 17},
                              {5, 13, 7, 20}, {8, 15, 23, 25}, {10, 25, 21, 28}};

struct Shape {
    std::array<std::string, kSize> mRows;
    std::array<const char*, kSize> mPointers{};
};

template <size_t N> Shape MakeShape(const Box (&boxes)[N])
{
    Shape shape;
    for (auto& row : shape.mRows)
        row.assign(kSize, ' ');
    for (const Box& box : boxes)
        for (int y = box.mTop; y <= box.mBottom; ++y)
            for (int x = box.mLeft; x <= box.mRight; ++x)
                shape.mRows[y][x] = '.';
    // The outline is every clear pixel touching the shape, diagonals included.
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            if (shape.mRows[y][x] != ' ')
                continue;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    int nx = x + dx, ny = y + dy;
                    if (nx >= 0 && ny >= 0 && nx < kSize && ny < kSize && shape.mRows[ny][nx] == '.')
                        shape.mRows[y][x] = 'X';
                }
        }
    for (int y = 0; y < kSize; ++y)
        shape.mPointers[y] = shape.mRows[y].c_str();
    return shape;
}

const Shape& HandShape()
{
    static const Shape shape = MakeShape(kHandBoxes);
    return shape;
}

const Shape& DragShape()
{
    static const Shape shape = MakeShape(kDragBoxes);
    return shape;
}

SDL_Cursor* MakeBuiltIn(int number)
{
    int hotX = 0, hotY = 0;
    const char* const* rows = Cursor::BuiltInRows(number, hotX, hotY);
    Uint8 data[kSize * kSize / 8] = {};
    Uint8 mask[kSize * kSize / 8] = {};
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            int bit = 0x80 >> (x % 8);
            int at = y * (kSize / 8) + x / 8;
            if (rows[y][x] == 'X') {
                data[at] |= bit;
                mask[at] |= bit;
            } else if (rows[y][x] == '.') {
                mask[at] |= bit;
            }
        }
    return SDL_CreateCursor(data, mask, kSize, kSize, hotX, hotY);
}

std::array<SDL_Cursor*, Cursor::kCount> gCursors{};
int gCurrent = -1;

SDL_Cursor* CursorFor(int number)
{
    if (!gCursors[number]) {
        switch (number) {
        case Cursor::kHand:
        case Cursor::kDragging:
            gCursors[number] = MakeBuiltIn(number);
            break;
        case Cursor::kText:
            gCursors[number] = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_IBEAM);
            break;
        case Cursor::kNo:
            gCursors[number] = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_NO);
            break;
        default:
            gCursors[number] = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
            break;
        }
    }
    return gCursors[number];
}

} // namespace

const char* const* Cursor::BuiltInRows(int number, int& hotX, int& hotY)
{
    if (number == kDragging) {
        hotX = 15;
        hotY = 10;
        return DragShape().mPointers.data();
    }
    hotX = 11;
    hotY = 4;
    return HandShape().mPointers.data();
}

bool Cursor::Show(int number)
{
    if (number < 0 || number >= kCount)
        number = kPointer;
    gCurrent = number;
    if (!VideoSystem::IsRunning())
        return number != kNone;
    if (number == kNone) {
        SDL_ShowCursor(SDL_DISABLE);
        return false;
    }
    if (SDL_Cursor* cursor = CursorFor(number))
        SDL_SetCursor(cursor);
    SDL_ShowCursor(SDL_ENABLE);
    return true;
}

void Cursor::Hide()
{
    gCurrent = -1;
    if (VideoSystem::IsRunning())
        SDL_ShowCursor(SDL_DISABLE);
}

int Cursor::Current()
{
    return gCurrent;
}

void Cursor::Release()
{
    for (SDL_Cursor*& cursor : gCursors) {
        if (cursor && VideoSystem::IsRunning())
            SDL_FreeCursor(cursor);
        cursor = nullptr;
    }
}

} // namespace Olvarn
