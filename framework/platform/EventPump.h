// Turns what the desktop and the process report (SDL window, keyboard, text and mouse events,
// termination signals) into the framework's message records, with Windows key numbers, Windows-1252
// characters and the window timer a Windows message loop would deliver.
#pragma once

#include <atomic>
#include <vector>

#include "platform/AppMessage.h"

union SDL_Event;

namespace Olvarn
{

class Window;

class EventPump
{
public:
    // Takes every waiting event and appends a record for each one that concerns the main window
    // (or the process as a whole) to out; then, when the window timer is due, one timer record.
    void Poll(const Window* mainWindow, int nowMs, std::vector<AppMessage>& out);
    // The same without the window timer.
    void Poll(const Window* mainWindow, std::vector<AppMessage>& out) { Poll(mainWindow, mTimerLast, out); }

    // The window timer: a timer record at most every periodMs (0 stops it). Like a Windows timer it
    // never piles up: a late poll gets one record.
    void SetTimer(int periodMs, int nowMs);
    int TimerPeriod() const { return mTimerPeriod; }

    // The last mouse position over the main window in its drawing coordinates; read by the cursor
    // thread, so kept atomic.
    int MouseX() const { return mMouseX; }
    int MouseY() const { return mMouseY; }
    // Whether the desktop last reported the mouse over the main window.
    bool MouseInWindow() const { return mMouseInWindow; }

    // Control and Alt as the last key event left them.
    bool CtrlDown() const { return mCtrlDown; }
    bool AltDown() const { return mAltDown; }

    // Translates one event (exposed for the tests, which feed events without a window).
    void Translate(const SDL_Event& event, const Window* mainWindow, std::vector<AppMessage>& out);

private:
    void TranslateKey(const SDL_Event& event, std::vector<AppMessage>& out);
    void TranslateText(const char* utf8, std::vector<AppMessage>& out);
    void TranslateMouseMotion(const SDL_Event& event, std::vector<AppMessage>& out);
    void TranslateButton(const SDL_Event& event, std::vector<AppMessage>& out);
    void TranslateWheel(const SDL_Event& event, std::vector<AppMessage>& out);
    void NoteMouse(int x, int y);
    int64_t MouseFlags(uint32_t sdlButtons) const;

    std::atomic<int> mMouseX{0};
    std::atomic<int> mMouseY{0};
    std::atomic<bool> mMouseInWindow{false};
    bool mCtrlDown = false;
    bool mAltDown = false;
    // Right Alt without left Alt: AltGr on Linux keyboards, whose text is typed, not a menu key.
    bool mAltGrDown = false;
    bool mShiftDown = false;
    int mTimerPeriod = 0;
    int mTimerLast = 0;
};

// Packs a client position the way mouse messages carry it (signed 16-bit halves).
int64_t PackMousePosition(int x, int y);
// The signed low and high halves of a mouse message's second parameter.
int MessageX(int64_t param);
int MessageY(int64_t param);

} // namespace Olvarn
