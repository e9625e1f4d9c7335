// The options dialog: what it shows on opening, what each control changes at once, and what is
// applied on leaving.
#include "screens/COptionsDialog.h"

#include "graphics/Graphics.h"
#include "records/CProfiles.h"
#include "resources/ResourceManager.h"
#include "screens/CMainMenu.h"
#include "shell/CDialogBuilder.h"
#include "shell/CGameApp.h"
#include "shell/CGameButton.h"
#include "shell/CGameState.h"
#include "shell/CLayerObject.h"
#include "shell/GameServices.h"
#include "widgets/Checkbox.h"
#include "widgets/Slider.h"
#include "widgets/WidgetManager.h"

namespace tilvan
{

namespace
{

constexpr int kKeyEnter = 13;
constexpr int kKeyPause = 19;
constexpr int kKeyEscape = 27;
constexpr int kKeyP = 80;
constexpr int kCursorPointer = 0;
constexpr int kShadeAlpha = 64;

bool Ticked(Olvarn::Checkbox* box)
{
    return box && box->IsChecked();
}

} // namespace

void COptionsDialog::CShade::Draw(Olvarn::Graphics& g)
{
    g.SetColor(Olvarn::Color(0, 0, 0, kShadeAlpha));
    g.FillRect(0, 0, mWidth, mHeight);
}

COptionsDialog::COptionsDialog(CGameState* owner_, const std::string& windowName)
    : CGameDialog(kDialogId, windowName, true), owner(owner_)
{
    shade.Resize(0, 0, services::ScreenWidth(), services::ScreenHeight());
    savedMusicVolume = services::MusicVolume();
    savedSoundVolume = services::SfxVolume();
    services::SetAppCursor(kCursorPointer);
    if (owner)
        owner->SetFlags(true);
    MakeWidgets();
}

void COptionsDialog::OnAttached(Olvarn::WidgetManager* manager)
{
    CGameDialog::OnAttached(manager);
    if (owner && !shade.mParent) {
        manager->AddWidget(&shade);
        manager->MoveBehind(&shade, this);
    }
}

void COptionsDialog::OnDetached(Olvarn::WidgetManager* manager)
{
    if (shade.mParent)
        manager->RemoveWidget(&shade);
    CGameDialog::OnDetached(manager);
}

COptionsDialog::~COptionsDialog()
{
    if (shade.mParent)
        shade.mParent->RemoveWidget(&shade);
}

void COptionsDialog::MakeWidgets()
{
    if (CreateSlider(musicSlider, "music_slider"))
        musicSlider->SetValue(services::MusicVolume());
    if (CreateSlider(soundSlider, "sound_slider"))
        soundSlider->SetValue(services::SfxVolume());
    if (CreateCheckbox(fullscreenCheckbox, "fullscreen_checkbox"))
        fullscreenCheckbox->mChecked = !services::IsWindowed();
    if (CreateCheckbox(customCursorsCheckbox, "customcursors_checkbox"))
        customCursorsCheckbox->mChecked = services::CustomCursorsEnabled();
    if (CreateCheckbox(hardwareAccelerateCheckbox, "hardwareaccelerate_checkbox"))
        hardwareAccelerateCheckbox->mChecked = services::Is3DEnabled();
    if (CreateCheckbox(showHelpCheckbox, "showhelp_checkbox"))
        if (CProfile* profile = CProfiles::Instance().GetCurrentProfile())
            showHelpCheckbox->mChecked = profile->show_hints;
    CreateButton(menuButton, "menu_button");
    CreateButton(continueButton, "continue_button");
}

void COptionsDialog::OnKeyDown(int key)
{
    if (continueButton && (key == kKeyEnter || key == kKeyPause || key == kKeyEscape || key == kKeyP))
        OnButtonRelease(continueButton->mId);
}

void COptionsDialog::VolumeReleased(bool music, double value)
{
    // What is heard is what a restart brings back.
    double stored = services::StoredVolume(value);
    if (music)
        services::SetMusicVolume(stored);
    else
        services::SetSfxVolume(stored);
    services::SaveOptionSettings();
}

void COptionsDialog::SliderValueChanged(int id, double value)
{
    if (musicSlider && id == musicSlider->mId) {
        services::SetMusicVolume(value);
        if (!musicSlider->mDragging)
            VolumeReleased(true, value);
    } else if (soundSlider && id == soundSlider->mId) {
        services::SetSfxVolume(value);
        if (!soundSlider->mDragging) {
            VolumeReleased(false, value);
            services::PlaySound("SOUND_VOLUME_SAMPLE");
        }
    }
}

void COptionsDialog::Warn(const char* dialogName)
{
    services::RunDialog(new CDialogBuilder(dialogName, false), CDialogBuilder::kDialogId, true);
    if (Olvarn::WidgetManager* manager = services::WidgetManager())
        manager->SetFocusWidget(this);
}

void COptionsDialog::CheckboxChecked(int id, bool checked)
{
    CGameDialog::CheckboxChecked(id, checked);
    if (hardwareAccelerateCheckbox && id == hardwareAccelerateCheckbox->mId && checked) {
        if (!services::Is3DSupported()) {
            hardwareAccelerateCheckbox->SetChecked(false, true);
            Warn("hardware_acc_not_supported");
        } else if (!services::Is3DRecommended()) {
            Warn("hardware_acc_not_recommended");
        }
    } else if (fullscreenCheckbox && id == fullscreenCheckbox->mId && !checked && services::IsWindowedUnavailable()) {
        fullscreenCheckbox->SetChecked(true, true);
        Warn("window_mode_not_available");
    }
}

void COptionsDialog::Apply()
{
    if (customCursorsCheckbox)
        services::SetCustomCursorsEnabled(customCursorsCheckbox->IsChecked());
    if (showHelpCheckbox) {
        if (CProfile* profile = CProfiles::Instance().GetCurrentProfile(); profile) {
            bool changed = profile->show_hints != showHelpCheckbox->IsChecked();
            profile->show_hints = showHelpCheckbox->IsChecked();
            // The choice is the player's own: it is kept at once, not only when the menu goes.
            if (changed)
                CProfiles::Instance().Save();
        }
    }
    if (hardwareAccelerateCheckbox)
        services::ChangeScreenMode(!Ticked(fullscreenCheckbox), hardwareAccelerateCheckbox->IsChecked());
    else if (fullscreenCheckbox)
        // A full-screen box alone still decides the screen mode.
        services::ChangeScreenMode(!fullscreenCheckbox->IsChecked(), services::Is3DEnabled());
    services::SaveOptionSettings();
}

void COptionsDialog::OnButtonRelease(int id)
{
    CGameDialog::OnButtonRelease(id);
    if (continueButton && id == continueButton->mId) {
        if (owner) {
            owner->SetFlags(false);
            Apply();
        } else {
            services::SetMusicVolume(savedMusicVolume);
            services::SetSfxVolume(savedSoundVolume);
            services::SaveOptionSettings();
        }
        Close(0);
    } else if (menuButton && id == menuButton->mId) {
        if (owner) {
            // The level's scene objects stay alive until the game screen goes; the menu must not draw them.
            CLayerRegistry::Instance().Clear();
            if (Olvarn::ResourceManager* resources = services::Resources())
                resources->LoadGroup("MainMenu");
            if (CGameApp* app = services::App())
                app->SetScreen(new CMainMenu());
        }
        Apply();
        Close(1);
    }
}

} // namespace tilvan
