// SDL scancodes to Windows virtual-key numbers, and the control characters of key presses.
#include "platform/KeyMap.h"

#include <SDL.h>

namespace Olvarn
{

namespace
{

struct KeyPair {
    SDL_Scancode mScancode;
    int mVirtualKey;
};

// Keys outside the letter, digit, function-key and keypad-digit runs.
constexpr KeyPair kNamedKeys[] = {
    {SDL_SCANCODE_RETURN, VK_RETURN},
    {SDL_SCANCODE_ESCAPE, VK_ESCAPE},
    {SDL_SCANCODE_BACKSPACE, VK_BACK},
    {SDL_SCANCODE_TAB, VK_TAB},
    {SDL_SCANCODE_SPACE, 0x20},
    {SDL_SCANCODE_MINUS, 0xBD},
    {SDL_SCANCODE_EQUALS, 0xBB},
    {SDL_SCANCODE_LEFTBRACKET, 0xDB},
    {SDL_SCANCODE_RIGHTBRACKET, 0xDD},
    {SDL_SCANCODE_BACKSLASH, 0xDC},
    {SDL_SCANCODE_NONUSHASH, 0xDE},
    {SDL_SCANCODE_SEMICOLON, 0xBA},
    {SDL_SCANCODE_APOSTROPHE, 0xDE},
    {SDL_SCANCODE_GRAVE, 0xC0},
    {SDL_SCANCODE_COMMA, 0xBC},
    {SDL_SCANCODE_PERIOD, 0xBE},
    {SDL_SCANCODE_SLASH, 0xBF},
    {SDL_SCANCODE_CAPSLOCK, 0x14},
    {SDL_SCANCODE_PRINTSCREEN, 0x2C},
    {SDL_SCANCODE_SCROLLLOCK, 0x91},
    {SDL_SCANCODE_PAUSE, 0x13},
    {SDL_SCANCODE_INSERT, 0x2D},
    {SDL_SCANCODE_HOME, 0x24},
    {SDL_SCANCODE_PAGEUP, 0x21},
    {SDL_SCANCODE_DELETE, 0x2E},
    {SDL_SCANCODE_END, 0x23},
    {SDL_SCANCODE_PAGEDOWN, 0x22},
    {SDL_SCANCODE_RIGHT, 0x27},
    {SDL_SCANCODE_LEFT, 0x25},
    {SDL_SCANCODE_DOWN, 0x28},
    {SDL_SCANCODE_UP, 0x26},
    {SDL_SCANCODE_NUMLOCKCLEAR, 0x90},
    {SDL_SCANCODE_KP_DIVIDE, 0x6F},
    {SDL_SCANCODE_KP_MULTIPLY, 0x6A},
    {SDL_SCANCODE_KP_MINUS, 0x6D},
    {SDL_SCANCODE_KP_PLUS, 0x6B},
    {SDL_SCANCODE_KP_ENTER, VK_RETURN},
    {SDL_SCANCODE_KP_0, 0x60},
    {SDL_SCANCODE_KP_PERIOD, 0x6E},
    {SDL_SCANCODE_NONUSBACKSLASH, 0xE2},
    {SDL_SCANCODE_APPLICATION, 0x5D},
    {SDL_SCANCODE_LCTRL, VK_CONTROL},
    {SDL_SCANCODE_RCTRL, VK_CONTROL},
    {SDL_SCANCODE_LSHIFT, VK_SHIFT},
    {SDL_SCANCODE_RSHIFT, VK_SHIFT},
    {SDL_SCANCODE_LALT, VK_MENU},
    {SDL_SCANCODE_RALT, VK_MENU},
    {SDL_SCANCODE_LGUI, 0x5B},
    {SDL_SCANCODE_RGUI, 0x5C},
};

constexpr bool InRun(int scancode, SDL_Scancode first, SDL_Scancode last)
{
    return scancode >= first && scancode <= last;
}

} // namespace

int KeyMap::VirtualKeyFromScancode(int scancode)
{
    if (InRun(scancode, SDL_SCANCODE_A, SDL_SCANCODE_Z))
        return 'A' + (scancode - SDL_SCANCODE_A);
    if (InRun(scancode, SDL_SCANCODE_1, SDL_SCANCODE_9))
        return '1' + (scancode - SDL_SCANCODE_1);
    if (scancode == SDL_SCANCODE_0)
        return '0';
    if (InRun(scancode, SDL_SCANCODE_F1, SDL_SCANCODE_F12))
        return 0x70 + (scancode - SDL_SCANCODE_F1);
    if (InRun(scancode, SDL_SCANCODE_F13, SDL_SCANCODE_F24))
        return 0x7C + (scancode - SDL_SCANCODE_F13);
    if (InRun(scancode, SDL_SCANCODE_KP_1, SDL_SCANCODE_KP_9))
        return 0x61 + (scancode - SDL_SCANCODE_KP_1);
    for (const KeyPair& pair : kNamedKeys)
        if (pair.mScancode == scancode)
            return pair.mVirtualKey;
    return 0;
}

int KeyMap::ControlCharacterFor(int virtualKey, bool ctrl, bool alt)
{
    // With Alt held the system takes the key (a system character, not a character).
    if (alt)
        return 0;
    switch (virtualKey) {
    case VK_BACK:
        return ctrl ? 0x7F : 0x08;
    case VK_TAB:
        return ctrl ? 0 : 0x09;
    case VK_RETURN:
        return ctrl ? 0x0A : 0x0D;
    case VK_ESCAPE:
        return 0x1B;
    default:
        break;
    }
    if (ctrl && virtualKey >= 'A' && virtualKey <= 'Z')
        return virtualKey - 'A' + 1;
    return 0;
}

} // namespace Olvarn
