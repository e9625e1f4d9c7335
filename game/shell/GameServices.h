// The game's one door to the framework: the application, its resources, sounds, music, screen size
// and message boxes. Game code above the shell reaches the framework through this header only, never
// through the framework's global application, downcasts or the application's public fields.
#pragma once

#include <string>

namespace Olvarn
{
class Dialog;
class OlvarnAppBase;
class WidgetManager;
class Font;
class Image;
class MusicInterface;
class ResourceManager;
} // namespace Olvarn

namespace tilvan
{

class CGameApp;
class CScreen;

namespace services
{

// The running game application; null before it exists and in tests without one.
CGameApp* App();
// Set by the game application for its lifetime.
void InstallApp(CGameApp* app);
// A framework application that is not the game's (tests, tools) serves the framework's part of the door.
void InstallFrameworkApp(Olvarn::OlvarnAppBase* app);

// The resources the game finds pictures and sounds in: the application's, or a test's own.
Olvarn::ResourceManager* Resources();
// A test's resources take the place of the application's until cleared with null.
void SetTestResources(Olvarn::ResourceManager* resources);

// A picture by resource id; null when there is none.
Olvarn::Image* FindImage(const std::string& id);
// A font by resource id; null when there is none.
Olvarn::Font* FindFont(const std::string& id);
// A sound id by resource id; -1 when there is none.
int FindSound(const std::string& id);
void PlaySound(int soundId);
void PlaySound(const std::string& id);
// The music player; null without one.
Olvarn::MusicInterface* Music();

// The size of the game's screen in pixels (1024 x 768 when no application runs).
int ScreenWidth();
int ScreenHeight();
// True while the application draws through its 3D device; false without an application.
bool Is3DEnabled();
// The last mouse position the widget manager saw; false without one.
bool LastMousePosition(int& x, int& y);
// The share of the start-up loading done, 0 to 1.
double LoadingProgress();

// An outside text the game's course depends on (the clock's reading, say): a recording keeps it, a
// replay answers the recorded one. Without an application the text itself.
std::string SyncTextWithDemo(const std::string& text);

// The widget manager of the application; null without one.
Olvarn::WidgetManager* WidgetManager();
// Adds (true) or lifts (false) one pause of the current screen.
void AddScreenPause(bool add);

// A message box of the application, or the log when there is none. Returns the button chosen.
int ShowMessage(const std::string& text, const std::string& title, int flags);
// The application's mouse cursor (0 pointer, 1 hand, 5 hidden); -1 without an application.
int AppCursor();
void SetAppCursor(int number);
// The widget manager; null without an application.
Olvarn::WidgetManager* Widgets();
// Runs a dialog modally: registered (under its own id when id is -1), focused, and the main loop
// pumped until it has a result. Without an application the dialog is deleted and -1 returned.
int RunDialog(Olvarn::Dialog* dialog, int id, bool autoRemove);

// Takes a closed dialog off the screen and gives the focus back to the current screen.
void CloseDialog(Olvarn::Dialog* dialog);
// Registers a dialog under `id` (its own id when `id` is -1) and gives it the focus, without waiting
// for it; the application deletes it once it is closed. Without an application the dialog is deleted
// at once.
void OpenDialog(Olvarn::Dialog* dialog, int id);
// False for a screen the game application has already let go of (true without a game application).
bool IsLiveScreen(const CScreen* screen);

// The player's settings the options dialog shows and changes. Without an application the getters
// answer the framework's defaults and the setters do nothing.
double MusicVolume();
double SfxVolume();
void SetMusicVolume(double volume);
void SetSfxVolume(double volume);
// Writes the settings the options change (volumes in hundredths, screen mode, custom cursors) now,
// as the application writes them when the program ends; the rest of the settings stay as they are.
void SaveOptionSettings();
// A volume as the settings keep it: rounded to hundredths, 0 to 1.
double StoredVolume(double volume);
bool IsWindowed();
// The desktop is too small for a window: only full screen is offered.
bool IsWindowedUnavailable();
bool CustomCursorsEnabled();
void SetCustomCursorsEnabled(bool enabled);
bool Is3DSupported();
bool Is3DRecommended();
void ChangeScreenMode(bool windowed, bool is3D);

} // namespace services

} // namespace tilvan
