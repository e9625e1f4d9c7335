// The SDL event pump: window, keyboard, text and mouse events of the main window, the window timer
// and process termination requests, as the framework's message records.
#include "platform/EventPump.h"

#include <SDL.h>

#include <algorithm>

#include "platform/KeyMap.h"
#include "platform/Process.h"
#include "platform/TextEncoding.h"
#include "platform/VideoSystem.h"
#include "platform/Window.h"

namespace Olvarn
{

namespace
{

// Button and modifier bits of a mouse message's first parameter.
constexpr int64_t kMkLButton = 0x01;
constexpr int64_t kMkRButton = 0x02;
constexpr int64_t kMkShift = 0x04;
constexpr int64_t kMkControl = 0x08;
constexpr int64_t kMkMButton = 0x10;
constexpr int kWheelDelta = 120;

AppMessage Record(AppMessageKind kind, int64_t param1 = 0, int64_t param2 = 0)
{
    AppMessage message;
    message.mKind = kind;
    message.mParam1 = param1;
    message.mParam2 = param2;
    return message;
}

bool ForWindow(uint32_t windowId, const Window* mainWindow)
{
    // Synthetic events carry no window; events of other windows are not ours.
    return windowId == 0 || !mainWindow || windowId == mainWindow->Id();
}

void TranslateWindowEvent(const SDL_WindowEvent& event, const Window& window, std::atomic<bool>& mouseIn,
                          std::vector<AppMessage>& out)
{
    int64_t size = (window.Width() & 0xFFFF) | (static_cast<int64_t>(window.Height() & 0xFFFF) << 16);
    switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE:
        out.push_back(Record(AppMessageKind::Close));
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        out.push_back(Record(AppMessageKind::Activate, 1));
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        out.push_back(Record(AppMessageKind::Activate, 0));
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        out.push_back(Record(AppMessageKind::Size, kSizeMinimized, size));
        break;
    case SDL_WINDOWEVENT_RESTORED:
        out.push_back(Record(AppMessageKind::Size, kSizeRestored, size));
        break;
    case SDL_WINDOWEVENT_MAXIMIZED:
        out.push_back(Record(AppMessageKind::Size, kSizeMaximized, size));
        break;
    case SDL_WINDOWEVENT_MOVED:
        out.push_back(Record(AppMessageKind::Move, 0, PackMousePosition(event.data1, event.data2)));
        break;
    case SDL_WINDOWEVENT_EXPOSED:
        out.push_back(Record(AppMessageKind::Paint));
        break;
    // Windows has no message for these; the window timer's mouse watch reads the state.
    case SDL_WINDOWEVENT_ENTER:
        mouseIn = true;
        break;
    case SDL_WINDOWEVENT_LEAVE:
        mouseIn = false;
        break;
    default:
        break;
    }
}

} // namespace

int64_t PackMousePosition(int x, int y)
{
    // Positions far outside the window (a captured drag) are held at the 16-bit limits instead of
    // wrapping to the other side.
    x = std::clamp(x, -32768, 32767);
    y = std::clamp(y, -32768, 32767);
    return static_cast<int64_t>(static_cast<uint16_t>(x)) | (static_cast<int64_t>(static_cast<uint16_t>(y)) << 16);
}

int MessageX(int64_t param)
{
    return static_cast<int16_t>(static_cast<uint16_t>(param & 0xFFFF));
}

int MessageY(int64_t param)
{
    return static_cast<int16_t>(static_cast<uint16_t>((param >> 16) & 0xFFFF));
}

void EventPump::SetTimer(int periodMs, int nowMs)
{
    mTimerPeriod = std::max(0, periodMs);
    mTimerLast = nowMs;
}

void EventPump::Poll(const Window* mainWindow, int nowMs, std::vector<AppMessage>& out)
{
    if (Process::TakeTerminationRequest())
        out.push_back(Record(AppMessageKind::EndSession));
    if (VideoSystem::IsRunning()) {
        SDL_Event event;
        while (SDL_PollEvent(&event))
            Translate(event, mainWindow, out);
    }
    // Timer messages come after everything else waiting, as a Windows queue hands them out.
    if (mTimerPeriod > 0 && nowMs - mTimerLast >= mTimerPeriod) {
        mTimerLast = nowMs;
        out.push_back(Record(AppMessageKind::Timer, 100));
    }
}

void EventPump::Translate(const SDL_Event& event, const Window* mainWindow, std::vector<AppMessage>& out)
{
    switch (event.type) {
    case SDL_QUIT:
        out.push_back(Record(AppMessageKind::Close));
        break;
    case SDL_WINDOWEVENT:
        if (mainWindow && event.window.windowID == mainWindow->Id())
            TranslateWindowEvent(event.window, *mainWindow, mMouseInWindow, out);
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        if (ForWindow(event.key.windowID, mainWindow))
            TranslateKey(event, out);
        break;
    case SDL_TEXTINPUT:
        if (ForWindow(event.text.windowID, mainWindow))
            TranslateText(event.text.text, out);
        break;
    case SDL_MOUSEMOTION:
        if (ForWindow(event.motion.windowID, mainWindow))
            TranslateMouseMotion(event, out);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (ForWindow(event.button.windowID, mainWindow))
            TranslateButton(event, out);
        break;
    case SDL_MOUSEWHEEL:
        if (ForWindow(event.wheel.windowID, mainWindow))
            TranslateWheel(event, out);
        break;
    default:
        break;
    }
}

void EventPump::TranslateKey(const SDL_Event& event, std::vector<AppMessage>& out)
{
    const SDL_KeyboardEvent& key = event.key;
    mCtrlDown = (key.keysym.mod & KMOD_CTRL) != 0;
    mAltDown = (key.keysym.mod & KMOD_ALT) != 0;
    mAltGrDown = (key.keysym.mod & (KMOD_RALT | KMOD_MODE)) != 0 && (key.keysym.mod & KMOD_LALT) == 0;
    mShiftDown = (key.keysym.mod & KMOD_SHIFT) != 0;
    int vk = KeyMap::VirtualKeyFromScancode(key.keysym.scancode);
    if (vk == 0)
        return;
    bool down = key.state == SDL_PRESSED;
    // Keys pressed with Alt (and Alt itself, and F10) are the system's; Control with Alt is AltGr,
    // which types characters.
    bool system = ((mAltDown || vk == VK_MENU) && !mCtrlDown) || vk == VK_F10;
    AppMessageKind kind = down ? (system ? AppMessageKind::SysKeyDown : AppMessageKind::KeyDown)
                               : (system ? AppMessageKind::SysKeyUp : AppMessageKind::KeyUp);
    // Second parameter as Windows gives it: repeat count 1, bit 30 for a held key, bit 31 on release.
    int64_t flags = 1 | (key.repeat ? (int64_t(1) << 30) : 0) | (down ? 0 : (int64_t(1) << 31));
    out.push_back(Record(kind, vk, flags));
    if (!down)
        return;
    // Text input leaves out control characters; a Windows message loop makes them from the key.
    int control = KeyMap::ControlCharacterFor(vk, mCtrlDown, mAltDown);
    if (control != 0)
        out.push_back(Record(AppMessageKind::Char, control, 1));
}

void EventPump::TranslateText(const char* utf8, std::vector<AppMessage>& out)
{
    std::string bytes = Utf8ToCp1252(utf8);
    // Windows reports AltGr as Control with Alt; Linux reports right Alt (or the mode key) alone.
    bool system = mAltDown && !mCtrlDown && !mAltGrDown;
    for (unsigned char c : bytes) {
        if (c < 0x20 || c == 0x7F)
            continue; // made from the key press instead
        out.push_back(Record(system ? AppMessageKind::SysChar : AppMessageKind::Char, c, 1));
    }
}

int64_t EventPump::MouseFlags(uint32_t sdlButtons) const
{
    int64_t flags = 0;
    if (sdlButtons & SDL_BUTTON_LMASK)
        flags |= kMkLButton;
    if (sdlButtons & SDL_BUTTON_RMASK)
        flags |= kMkRButton;
    if (sdlButtons & SDL_BUTTON_MMASK)
        flags |= kMkMButton;
    if (mShiftDown)
        flags |= kMkShift;
    if (mCtrlDown)
        flags |= kMkControl;
    return flags;
}

void EventPump::NoteMouse(int x, int y)
{
    mMouseX = x;
    mMouseY = y;
}

void EventPump::TranslateMouseMotion(const SDL_Event& event, std::vector<AppMessage>& out)
{
    const SDL_MouseMotionEvent& motion = event.motion;
    NoteMouse(motion.x, motion.y);
    out.push_back(Record(AppMessageKind::MouseMove, MouseFlags(motion.state), PackMousePosition(motion.x, motion.y)));
}

void EventPump::TranslateButton(const SDL_Event& event, std::vector<AppMessage>& out)
{
    const SDL_MouseButtonEvent& button = event.button;
    NoteMouse(button.x, button.y);
    bool down = button.state == SDL_PRESSED;
    // Windows alternates down and double click for a quick series: the 2nd, 4th ... press is a
    // double click. The middle button has no double click that reaches the program, so every middle
    // press is a press.
    bool doubleClick = down && button.clicks >= 2 && button.clicks % 2 == 0;
    AppMessageKind kind;
    switch (button.button) {
    case SDL_BUTTON_LEFT:
        kind = !down ? AppMessageKind::LButtonUp
                     : (doubleClick ? AppMessageKind::LButtonDblClk : AppMessageKind::LButtonDown);
        break;
    case SDL_BUTTON_RIGHT:
        kind = !down ? AppMessageKind::RButtonUp
                     : (doubleClick ? AppMessageKind::RButtonDblClk : AppMessageKind::RButtonDown);
        break;
    case SDL_BUTTON_MIDDLE:
        kind = down ? AppMessageKind::MButtonDown : AppMessageKind::MButtonUp;
        break;
    default:
        return;
    }
    out.push_back(Record(kind, MouseFlags(SDL_GetMouseState(nullptr, nullptr)), PackMousePosition(button.x, button.y)));
}

void EventPump::TranslateWheel(const SDL_Event& event, std::vector<AppMessage>& out)
{
    const SDL_MouseWheelEvent& wheel = event.wheel;
    int notches = wheel.y;
    if (wheel.direction == SDL_MOUSEWHEEL_FLIPPED)
        notches = -notches;
    if (notches == 0)
        return;
    out.push_back(
        Record(AppMessageKind::MouseWheel, int64_t(notches) * kWheelDelta, PackMousePosition(mMouseX, mMouseY)));
}

} // namespace Olvarn
