// Keyboard vocabulary at the platform boundary: SDL scancodes to the Windows virtual-key numbers the
// framework uses, and the control characters a Windows message loop makes from key presses.
#pragma once

namespace Olvarn
{

// Windows virtual-key numbers the platform layer itself needs to name.
constexpr int VK_BACK = 0x08;
constexpr int VK_TAB = 0x09;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_MENU = 0x12;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_F4 = 0x73;
constexpr int VK_F10 = 0x79;

class KeyMap
{
public:
    // The virtual-key number of an SDL scancode; 0 for keys Windows has no number for. Left and
    // right Shift, Control and Alt give the shared numbers (16, 17, 18), as key messages carry them.
    static int VirtualKeyFromScancode(int scancode);

    // The character a Windows message loop adds for a key press that text input does not deliver:
    // Backspace 8, Tab 9, Enter 13, Escape 27, and with Control (without Alt) the letters as 1..26.
    // 0 when the press makes no such character.
    static int ControlCharacterFor(int virtualKey, bool ctrl, bool alt);
};

} // namespace Olvarn
