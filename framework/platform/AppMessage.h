// The framework's own window-message record: what the event pump hands the application, in the
// message vocabulary its window procedure and queue work with.
#pragma once

#include <cstdint>

namespace Olvarn
{

enum class AppMessageKind {
    None,
    Move,
    Size,
    Close,
    Activate,
    KeyDown,
    KeyUp,
    Char,
    SysKeyDown,
    SysKeyUp,
    // A character typed with Alt held: the system's, unless the application keeps it.
    SysChar,
    Timer,
    MouseMove,
    LButtonDown,
    LButtonUp,
    LButtonDblClk,
    RButtonDown,
    RButtonUp,
    RButtonDblClk,
    MButtonDown,
    MButtonUp,
    MouseWheel,
    Paint,
    // The session ends (log-off, or the process was asked to terminate): shut down at once.
    EndSession,
    // Another start of the program asked this one to come to the front.
    Notify,
};

// Size kinds carried in mParam1 of a Size record.
constexpr int64_t kSizeRestored = 0;
constexpr int64_t kSizeMinimized = 1;
constexpr int64_t kSizeMaximized = 2;

// Which of the application's windows a record concerns.
enum class AppWindowRole { Main, Invisible };

struct AppMessage {
    AppWindowRole mWindow = AppWindowRole::Main;
    AppMessageKind mKind = AppMessageKind::None;
    // The message's two parameters, as the window procedure's first and second parameter: for
    // Activate, mParam1 is non-zero when activated; for Size, the size kind and (width | height << 16);
    // for keys the virtual-key number; for Char and SysChar the Windows-1252 byte; for Timer the
    // timer id; for mouse messages mParam1 holds the button and modifier bits and mParam2 is
    // (x & 0xFFFF) | (y << 16) in signed 16-bit halves; for the wheel mParam1 holds the delta in
    // 120ths, positive away from the user.
    int64_t mParam1 = 0;
    int64_t mParam2 = 0;
};

} // namespace Olvarn
