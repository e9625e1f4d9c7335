// The event pump's translation of SDL events into message records: keys, characters, mouse, wheel,
// window events and the window timer, fed as synthetic SDL events on the dummy video driver.
#include <gtest/gtest.h>

#include <SDL.h>

#include <string>
#include <vector>

#include "platform/EventPump.h"
#include "platform/VideoSystem.h"
#include "platform/Window.h"

using namespace Olvarn;

namespace
{

using Kind = AppMessageKind;

SDL_Event KeyEvent(SDL_Scancode scancode, Uint16 mod, bool down, bool repeat = false)
{
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat ? 1 : 0;
    event.key.keysym.scancode = scancode;
    event.key.keysym.mod = mod;
    return event;
}

SDL_Event TextEvent(const char* utf8)
{
    SDL_Event event{};
    event.type = SDL_TEXTINPUT;
    SDL_strlcpy(event.text.text, utf8, sizeof(event.text.text));
    return event;
}

SDL_Event ButtonEvent(Uint8 button, bool down, int clicks, int x, int y)
{
    SDL_Event event{};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.button = button;
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.button.clicks = static_cast<Uint8>(clicks);
    event.button.x = x;
    event.button.y = y;
    return event;
}

SDL_Event WheelEvent(int y, bool flipped)
{
    SDL_Event event{};
    event.type = SDL_MOUSEWHEEL;
    event.wheel.y = y;
    event.wheel.direction = flipped ? SDL_MOUSEWHEEL_FLIPPED : SDL_MOUSEWHEEL_NORMAL;
    return event;
}

// "KeyDown 65, Char 1" style summary of records.
std::string Describe(const std::vector<AppMessage>& records)
{
    static const char* const kNames[] = {
        "None",     "Move",    "Size",  "Close",     "Activate", "KeyDown",    "KeyUp",   "Char",  "SysKeyDown",
        "SysKeyUp", "SysChar", "Timer", "MouseMove", "LDown",    "LUp",        "LDouble", "RDown", "RUp",
        "RDouble",  "MDown",   "MUp",   "Wheel",     "Paint",    "EndSession", "Notify"};
    std::string text;
    for (const AppMessage& record : records) {
        if (!text.empty())
            text += ", ";
        text += kNames[static_cast<int>(record.mKind)];
        text += " " + std::to_string(record.mParam1);
    }
    return text;
}

std::string Translate(EventPump& pump, std::initializer_list<SDL_Event> events)
{
    std::vector<AppMessage> out;
    for (const SDL_Event& event : events)
        pump.Translate(event, nullptr, out);
    return Describe(out);
}

} // namespace

TEST(EventPump, KeysBecomeKeyMessagesWithTheCharactersWindowsAdds)
{
    struct Case {
        const char* name;
        SDL_Scancode scancode;
        Uint16 mod;
        bool down;
        const char* expected;
    };
    const Case cases[] = {
        {"plain letter", SDL_SCANCODE_A, KMOD_NONE, true, "KeyDown 65"},
        {"release", SDL_SCANCODE_A, KMOD_NONE, false, "KeyUp 65"},
        {"shifted letter (text input types it)", SDL_SCANCODE_A, KMOD_LSHIFT, true, "KeyDown 65"},
        {"Ctrl+A", SDL_SCANCODE_A, KMOD_LCTRL, true, "KeyDown 65, Char 1"},
        {"Ctrl+Z", SDL_SCANCODE_Z, KMOD_RCTRL, true, "KeyDown 90, Char 26"},
        {"Enter", SDL_SCANCODE_RETURN, KMOD_NONE, true, "KeyDown 13, Char 13"},
        {"Backspace", SDL_SCANCODE_BACKSPACE, KMOD_NONE, true, "KeyDown 8, Char 8"},
        {"Tab", SDL_SCANCODE_TAB, KMOD_NONE, true, "KeyDown 9, Char 9"},
        {"Escape", SDL_SCANCODE_ESCAPE, KMOD_NONE, true, "KeyDown 27, Char 27"},
        {"Control itself", SDL_SCANCODE_RCTRL, KMOD_RCTRL, true, "KeyDown 17"},
        {"Alt itself", SDL_SCANCODE_LALT, KMOD_LALT, true, "SysKeyDown 18"},
        {"Alt released", SDL_SCANCODE_LALT, KMOD_NONE, false, "SysKeyUp 18"},
        {"Alt+A", SDL_SCANCODE_A, KMOD_LALT, true, "SysKeyDown 65"},
        {"Alt+Enter", SDL_SCANCODE_RETURN, KMOD_LALT, true, "SysKeyDown 13"},
        {"Alt+F4", SDL_SCANCODE_F4, KMOD_LALT, true, "SysKeyDown 115"},
        {"F10", SDL_SCANCODE_F10, KMOD_NONE, true, "SysKeyDown 121"},
        {"AltGr (Ctrl+Alt)", SDL_SCANCODE_E, KMOD_LCTRL | KMOD_RALT, true, "KeyDown 69"},
        {"a key Windows has no number for", SDL_SCANCODE_AUDIOPLAY, KMOD_NONE, true, ""},
        {"a scancode beyond SDL's table", static_cast<SDL_Scancode>(600), KMOD_NONE, true, ""},
    };
    for (const Case& c : cases) {
        EventPump pump;
        EXPECT_EQ(Translate(pump, {KeyEvent(c.scancode, c.mod, c.down)}), c.expected) << c.name;
    }
}

TEST(EventPump, AHeldKeyRepeatsWithTheWindowsRepeatBit)
{
    EventPump pump;
    std::vector<AppMessage> out;
    pump.Translate(KeyEvent(SDL_SCANCODE_LEFT, KMOD_NONE, true), nullptr, out);
    pump.Translate(KeyEvent(SDL_SCANCODE_LEFT, KMOD_NONE, true, true), nullptr, out);
    pump.Translate(KeyEvent(SDL_SCANCODE_LEFT, KMOD_NONE, false), nullptr, out);
    ASSERT_EQ(Describe(out), "KeyDown 37, KeyDown 37, KeyUp 37");
    EXPECT_EQ(out[0].mParam2 & (int64_t(1) << 30), 0);
    EXPECT_NE(out[1].mParam2 & (int64_t(1) << 30), 0);
    EXPECT_NE(out[2].mParam2 & (int64_t(1) << 31), 0);
}

TEST(EventPump, TextBecomesWindows1252Characters)
{
    struct Case {
        const char* utf8;
        const char* expected;
    };
    const Case cases[] = {
        {"a", "Char 97"},
        {"Ab", "Char 65, Char 98"},
        {"\xC3\xA9", "Char 233"},         // e acute
        {"\xE2\x82\xAC", "Char 128"},     // euro sign
        {"\xE2\x80\x9C", "Char 147"},     // left double quotation mark
        {"\xE4\xB8\xAD", "Char 63"},      // no Windows-1252 byte: '?', as an ANSI window gets it
        {"\xF0\x9F\x98\x80", "Char 63"},  // four-byte sequence
        {"\xFF\xFE", "Char 63, Char 63"}, // malformed
    };
    for (const Case& c : cases) {
        EventPump pump;
        EXPECT_EQ(Translate(pump, {TextEvent(c.utf8)}), c.expected) << c.utf8;
    }
}

TEST(EventPump, TextTypedWithAltIsASystemCharacterButAltGrTypes)
{
    EventPump pump;
    EXPECT_EQ(Translate(pump, {KeyEvent(SDL_SCANCODE_LALT, KMOD_LALT, true), TextEvent("r")}),
              "SysKeyDown 18, SysChar 114");
    EventPump altGr;
    EXPECT_EQ(Translate(altGr, {KeyEvent(SDL_SCANCODE_RALT, KMOD_RALT | KMOD_LCTRL, true), TextEvent("@")}),
              "KeyDown 18, Char 64");
}

TEST(EventPump, TextTypedWithTheLinuxAltGrIsTyped)
{
    // Linux keyboards send right Alt alone (or the mode key) for the third level: @, the euro
    // sign, braces. The key stays a system key, as right Alt is on Windows; its text is typed.
    WindowSpec spec;
    std::string error;
    std::unique_ptr<Window> window = Window::Create(spec, error);
    ASSERT_TRUE(window) << error;
    struct Case {
        Uint16 mod;
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {KMOD_RALT, "@", "SysKeyDown 81, Char 64"},
        {KMOD_RALT, "\xE2\x82\xAC", "SysKeyDown 81, Char 128"},
        {KMOD_MODE, "{", "KeyDown 81, Char 123"},
        {KMOD_LALT, "q", "SysKeyDown 81, SysChar 113"},
        {KMOD_LALT | KMOD_RALT, "q", "SysKeyDown 81, SysChar 113"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        EventPump pump;
        std::vector<AppMessage> out;
        pump.Poll(window.get(), out);
        SDL_Event events[] = {KeyEvent(SDL_SCANCODE_Q, c.mod, true), TextEvent(c.text)};
        for (SDL_Event& event : events)
            ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
        out.clear();
        pump.Poll(window.get(), out);
        EXPECT_EQ(Describe(out), c.expected);
    }
}

TEST(EventPump, ClickCountsAlternateBetweenPressAndDoubleClick)
{
    EventPump pump;
    EXPECT_EQ(
        Translate(pump, {ButtonEvent(SDL_BUTTON_LEFT, true, 1, 5, 6), ButtonEvent(SDL_BUTTON_LEFT, false, 1, 5, 6),
                         ButtonEvent(SDL_BUTTON_LEFT, true, 2, 5, 6), ButtonEvent(SDL_BUTTON_LEFT, true, 3, 5, 6),
                         ButtonEvent(SDL_BUTTON_LEFT, true, 4, 5, 6)}),
        "LDown 0, LUp 0, LDouble 0, LDown 0, LDouble 0");
    EXPECT_EQ(
        Translate(pump, {ButtonEvent(SDL_BUTTON_RIGHT, true, 1, 0, 0), ButtonEvent(SDL_BUTTON_RIGHT, true, 2, 0, 0),
                         ButtonEvent(SDL_BUTTON_RIGHT, false, 2, 0, 0)}),
        "RDown 0, RDouble 0, RUp 0");
    // A quick second middle press is still a press: the program has no middle double click.
    EXPECT_EQ(
        Translate(pump, {ButtonEvent(SDL_BUTTON_MIDDLE, true, 1, 0, 0), ButtonEvent(SDL_BUTTON_MIDDLE, true, 2, 0, 0),
                         ButtonEvent(SDL_BUTTON_MIDDLE, false, 2, 0, 0), ButtonEvent(SDL_BUTTON_X1, true, 1, 0, 0)}),
        "MDown 0, MDown 0, MUp 0");
}

TEST(EventPump, MousePositionsAreSigned16BitHalvesHeldAtTheLimits)
{
    struct Case {
        int x, y;
        int expectedX, expectedY;
    };
    const Case cases[] = {{0, 0, 0, 0},
                          {1023, 767, 1023, 767},
                          {-5, -1, -5, -1},
                          {40000, -40000, 32767, -32768},
                          {-32768, 32767, -32768, 32767}};
    for (const Case& c : cases) {
        EventPump pump;
        std::vector<AppMessage> out;
        pump.Translate(ButtonEvent(SDL_BUTTON_LEFT, true, 1, c.x, c.y), nullptr, out);
        ASSERT_EQ(out.size(), 1u);
        EXPECT_EQ(MessageX(out[0].mParam2), c.expectedX) << c.x;
        EXPECT_EQ(MessageY(out[0].mParam2), c.expectedY) << c.y;
        EXPECT_EQ(pump.MouseX(), c.x);
    }
}

TEST(EventPump, MotionCarriesButtonAndModifierBits)
{
    EventPump pump;
    std::vector<AppMessage> out;
    pump.Translate(KeyEvent(SDL_SCANCODE_LCTRL, KMOD_LCTRL, true), nullptr, out);
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.x = 12;
    motion.motion.y = 34;
    motion.motion.state = SDL_BUTTON_LMASK | SDL_BUTTON_MMASK;
    out.clear();
    pump.Translate(motion, nullptr, out);
    ASSERT_EQ(Describe(out), "MouseMove 25"); // left 1 + control 8 + middle 16
    EXPECT_EQ(MessageX(out[0].mParam2), 12);
    EXPECT_EQ(MessageY(out[0].mParam2), 34);
    EXPECT_EQ(pump.MouseX(), 12);
    EXPECT_EQ(pump.MouseY(), 34);
}

TEST(EventPump, TheWheelCountsNotchesOf120PositiveAwayFromTheUser)
{
    EventPump pump;
    EXPECT_EQ(Translate(pump, {WheelEvent(1, false), WheelEvent(-2, false), WheelEvent(1, true), WheelEvent(0, false)}),
              "Wheel 120, Wheel -240, Wheel -120");
}

TEST(EventPump, TheWindowTimerNeverPilesUp)
{
    EventPump pump;
    std::vector<AppMessage> out;
    pump.SetTimer(10, 1000);
    pump.Poll(nullptr, 1005, out);
    EXPECT_EQ(Describe(out), "");
    pump.Poll(nullptr, 1010, out);
    EXPECT_EQ(Describe(out), "Timer 100");
    out.clear();
    pump.Poll(nullptr, 1500, out); // fifty periods late: still one
    pump.Poll(nullptr, 1505, out);
    EXPECT_EQ(Describe(out), "Timer 100");
    pump.SetTimer(0, 1505);
    out.clear();
    pump.Poll(nullptr, 5000, out);
    EXPECT_EQ(Describe(out), "");
}

// The real path: events pushed into SDL's queue and taken by Poll, window events matched to the window.
TEST(EventPump, PolledEventsOfTheMainWindowArriveInOrder)
{
    WindowSpec spec;
    spec.mWidth = 320;
    spec.mHeight = 200;
    std::string error;
    std::unique_ptr<Window> window = Window::Create(spec, error);
    ASSERT_TRUE(window) << error;
    EventPump pump;
    std::vector<AppMessage> out;
    pump.Poll(window.get(), out); // whatever making the window reported

    auto windowEvent = [&](Uint32 id, SDL_WindowEventID what) {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.windowID = id;
        event.window.event = what;
        return event;
    };
    std::vector<SDL_Event> events = {windowEvent(window->Id(), SDL_WINDOWEVENT_ENTER),
                                     windowEvent(window->Id(), SDL_WINDOWEVENT_FOCUS_LOST),
                                     windowEvent(window->Id() + 100, SDL_WINDOWEVENT_CLOSE),
                                     KeyEvent(SDL_SCANCODE_B, KMOD_NONE, true),
                                     TextEvent("b"),
                                     WheelEvent(3, false),
                                     windowEvent(window->Id(), SDL_WINDOWEVENT_MINIMIZED),
                                     windowEvent(window->Id(), SDL_WINDOWEVENT_CLOSE)};
    for (SDL_Event& event : events)
        ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
    out.clear();
    pump.Poll(window.get(), out);
    EXPECT_EQ(Describe(out), "Activate 0, KeyDown 66, Char 98, Wheel 360, Size 1, Close 0");
    EXPECT_TRUE(pump.MouseInWindow());
    ASSERT_EQ(out.size(), 6u);
    EXPECT_EQ(out[4].mParam2, 320 | (200 << 16));

    SDL_Event leave = windowEvent(window->Id(), SDL_WINDOWEVENT_LEAVE);
    SDL_PushEvent(&leave);
    out.clear();
    pump.Poll(window.get(), out);
    EXPECT_FALSE(pump.MouseInWindow());
}
