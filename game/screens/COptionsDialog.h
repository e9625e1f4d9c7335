// The options: music and sound volumes, full screen, custom cursors, hardware acceleration and hints.
// Opened from the main menu (window "options") or from a level (window "paused", which pauses the
// level, darkens the screen behind and offers the way back to the menu).
#pragma once

#include <string>

#include "shell/CGameDialog.h"
#include "widgets/Widget.h"

namespace Olvarn
{
class Checkbox;
class Slider;
} // namespace Olvarn

namespace tilvan
{

class CGameButton;
class CGameState;

class COptionsDialog : public CGameDialog
{
public:
    static constexpr int kDialogId = 1;

    COptionsDialog(CGameState* owner, const std::string& windowName);
    ~COptionsDialog() override;

    void OnAttached(Olvarn::WidgetManager* manager) override;
    void OnDetached(Olvarn::WidgetManager* manager) override;
    void OnKeyDown(int key) override;
    void OnButtonRelease(int id) override;
    void SliderValueChanged(int id, double value) override;
    void CheckboxChecked(int id, bool checked) override;

    Olvarn::Slider* MusicSlider() const { return musicSlider; }
    Olvarn::Slider* SoundSlider() const { return soundSlider; }
    Olvarn::Checkbox* FullscreenCheckbox() const { return fullscreenCheckbox; }
    Olvarn::Checkbox* CustomCursorsCheckbox() const { return customCursorsCheckbox; }
    Olvarn::Checkbox* HardwareAccelerateCheckbox() const { return hardwareAccelerateCheckbox; }
    Olvarn::Checkbox* ShowHelpCheckbox() const { return showHelpCheckbox; }
    CGameButton* MenuButton() const { return menuButton; }
    CGameButton* ContinueButton() const { return continueButton; }
    Olvarn::Widget& Shade() { return shade; }

private:
    // Darkens the screen behind a dialog opened in a level.
    class CShade : public Olvarn::Widget
    {
    public:
        // The level behind redraws every frame, so the shade over it does too.
        void Update() override { Invalidate(); }
        void Draw(Olvarn::Graphics& g) override;
    };

    void MakeWidgets();
    void Apply();
    // A message box over the dialog, run until answered.
    void Warn(const char* dialogName);
    void VolumeReleased(bool music, double value);

    CShade shade;
    CGameState* owner;
    Olvarn::Slider* musicSlider = nullptr;
    Olvarn::Slider* soundSlider = nullptr;
    Olvarn::Checkbox* fullscreenCheckbox = nullptr;
    Olvarn::Checkbox* customCursorsCheckbox = nullptr;
    Olvarn::Checkbox* hardwareAccelerateCheckbox = nullptr;
    Olvarn::Checkbox* showHelpCheckbox = nullptr;
    CGameButton* menuButton = nullptr;
    CGameButton* continueButton = nullptr;
    double savedMusicVolume = 0;
    double savedSoundVolume = 0;
};

} // namespace tilvan
