// A top-level window of the program on SDL video: create, show, hide, raise, caption, position.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace Olvarn
{

struct WindowSpec {
    std::string mTitle; // Windows-1252
    int mX = -1;        // -1: centred
    int mY = -1;
    int mWidth = 640; // client size
    int mHeight = 480;
    bool mFullScreen = false; // desktop full screen with the client size as its logical size
    bool mShown = false;
    // An OpenGL window, for an accelerated present; a plain window presents through its own surface.
    bool mOpenGL = false;
};

class Window
{
public:
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Starts SDL video when needed and makes the window; null with the reason in error.
    static std::unique_ptr<Window> Create(const WindowSpec& spec, std::string& error);
    // The usable desktop area (without panels) of the first display; false without video.
    static bool UsableDesktopArea(int& x, int& y, int& width, int& height);

    void Show();
    void Hide();
    void Raise();
    void Restore();
    void Minimize();
    void SetTitle(const std::string& title);
    // Shows the window without taking the keyboard focus from the program that has it.
    void ShowWithoutActivating();
    bool IsMinimized() const;
    bool IsShown() const;
    void GetPosition(int& x, int& y) const;
    void SetPosition(int x, int y);
    // The frame around the client area the desktop adds (0 where it adds none, or has not yet).
    void GetBorders(int& top, int& left, int& bottom, int& right) const;
    // Keeps mouse events coming while a button is held outside the window.
    void CaptureMouse(bool on);
    int Width() const { return mWidth; }
    int Height() const { return mHeight; }
    bool IsFullScreen() const { return mFullScreen; }
    // What the window description asked for, and what the window got (OpenGL may be refused, or absent on the
    // dummy driver).
    bool AskedForOpenGL() const { return mAskedForOpenGL; }
    bool HasOpenGL() const;
    // The SDL window id, matched by the event pump.
    uint32_t Id() const { return mId; }
    // The SDL window, for the platform's own display code only.
    void* Native() const { return mWindow; }

private:
    Window() = default;
    void* mWindow = nullptr;
    uint32_t mId = 0;
    int mWidth = 0;
    int mHeight = 0;
    bool mFullScreen = false;
    bool mAskedForOpenGL = false;
};

} // namespace Olvarn
