// Scancodes to Windows key numbers, and the control characters made from key presses.
#include <gtest/gtest.h>

#include <SDL.h>

#include "platform/KeyMap.h"

using Olvarn::KeyMap;

TEST(KeyMap, ScancodesGiveTheWindowsKeyNumbers)
{
    struct Case {
        SDL_Scancode scancode;
        int vk;
    };
    const Case cases[] = {
        {SDL_SCANCODE_A, 'A'},       {SDL_SCANCODE_Z, 'Z'},       {SDL_SCANCODE_1, '1'},
        {SDL_SCANCODE_9, '9'},       {SDL_SCANCODE_0, '0'},       {SDL_SCANCODE_F1, 0x70},
        {SDL_SCANCODE_F12, 0x7B},    {SDL_SCANCODE_F13, 0x7C},    {SDL_SCANCODE_KP_0, 0x60},
        {SDL_SCANCODE_KP_9, 0x69},   {SDL_SCANCODE_LEFT, 37},     {SDL_SCANCODE_UP, 38},
        {SDL_SCANCODE_RIGHT, 39},    {SDL_SCANCODE_DOWN, 40},     {SDL_SCANCODE_RETURN, 13},
        {SDL_SCANCODE_KP_ENTER, 13}, {SDL_SCANCODE_ESCAPE, 27},   {SDL_SCANCODE_SPACE, 32},
        {SDL_SCANCODE_LSHIFT, 16},   {SDL_SCANCODE_RSHIFT, 16},   {SDL_SCANCODE_LCTRL, 17},
        {SDL_SCANCODE_RCTRL, 17},    {SDL_SCANCODE_LALT, 18},     {SDL_SCANCODE_RALT, 18},
        {SDL_SCANCODE_DELETE, 0x2E}, {SDL_SCANCODE_MINUS, 0xBD},  {SDL_SCANCODE_GRAVE, 0xC0},
        {SDL_SCANCODE_UNKNOWN, 0},   {SDL_SCANCODE_AUDIOPLAY, 0}, {static_cast<SDL_Scancode>(511), 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(KeyMap::VirtualKeyFromScancode(c.scancode), c.vk) << SDL_GetScancodeName(c.scancode);
}

TEST(KeyMap, ControlCharactersAreThoseAWindowsMessageLoopMakes)
{
    struct Case {
        int vk;
        bool ctrl, alt;
        int character;
    };
    const Case cases[] = {
        {8, false, false, 8},  {9, false, false, 9},   {13, false, false, 13}, {27, false, false, 27},
        {'A', true, false, 1}, {'Z', true, false, 26}, {'M', true, false, 13}, {'A', false, false, 0},
        {'A', true, true, 0},  {13, false, true, 0},   {'1', true, false, 0},  {37, true, false, 0},
        {13, true, false, 10}, {8, true, false, 0x7F},
    };
    for (const Case& c : cases)
        EXPECT_EQ(KeyMap::ControlCharacterFor(c.vk, c.ctrl, c.alt), c.character)
            << c.vk << " ctrl " << c.ctrl << " alt " << c.alt;
}
