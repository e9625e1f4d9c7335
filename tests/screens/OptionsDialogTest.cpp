// The options dialog in its two settings: what it shows, what changes at once, what is kept or put
// back on leaving, the refusals of the display choices, and what reaches the settings file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "data/CXmlDataReader.h"
#include "records/CProfiles.h"
#include "screens/COptionsDialog.h"
#include "shell/CDialogBuilder.h"
#include "shell/CGameButton.h"
#include "shell/CGameState.h"
#include "shell/CGuiDescriptions.h"
#include "shell/ShellTestSupport.h"
#include "widgets/Checkbox.h"
#include "widgets/Slider.h"
#include "widgets/WidgetManager.h"

using namespace tilvan;

namespace
{

// A modal message box is answered at once instead of waiting for a player.
class AnsweringApp : public shelltest::TestApp
{
public:
    bool PumpStep(bool& updated) override
    {
        updated = true;
        if (Olvarn::Dialog* box = FindDialog(CDialogBuilder::kDialogId)) {
            mBoxes.push_back(static_cast<CDialogBuilder*>(box)->GetText());
            box->mResult = 0;
        }
        return true;
    }
    bool mSupports3D = true;
    std::vector<std::string> mBoxes;
};

class PausableState : public CGameState
{
public:
    bool Flag() const { return flag; }
};

const char* kWindow =
    "<data><window id=\"options\" size=\"440 430\" pos=\"-1 -1\"/>"
    "<widget window_id=\"options\" id=\"music_slider\" pos=\"190 95\" size=\"200 28\" image=\"IMAGE_TRACK\" "
    "image_over=\"IMAGE_THUMB\"/>"
    "<widget window_id=\"options\" id=\"sound_slider\" pos=\"190 140\" size=\"200 28\" image=\"IMAGE_TRACK\" "
    "image_over=\"IMAGE_THUMB\"/>"
    "<widget window_id=\"options\" id=\"fullscreen_checkbox\" pos=\"40 185\" size=\"-1 -1\" image=\"IMAGE_BOX\"/>"
    "<widget window_id=\"options\" id=\"customcursors_checkbox\" pos=\"40 225\" size=\"-1 -1\" image=\"IMAGE_BOX\"/>"
    "<widget window_id=\"options\" id=\"hardwareaccelerate_checkbox\" pos=\"40 265\" size=\"-1 -1\" "
    "image=\"IMAGE_BOX\"/>"
    "<widget window_id=\"options\" id=\"showhelp_checkbox\" pos=\"40 305\" size=\"-1 -1\" image=\"IMAGE_BOX\"/>"
    "<widget window_id=\"options\" id=\"menu_button\" pos=\"60 362\" size=\"140 40\" text=\"OK\"/>"
    "<widget window_id=\"options\" id=\"continue_button\" pos=\"240 362\" size=\"140 40\" text=\"Cancel\"/>"
    "<window id=\"fullscreen_only\" size=\"440 430\" pos=\"-1 -1\"/>"
    "<widget window_id=\"fullscreen_only\" id=\"fullscreen_checkbox\" pos=\"40 185\" size=\"-1 -1\" "
    "image=\"IMAGE_BOX\"/>"
    "<widget window_id=\"fullscreen_only\" id=\"continue_button\" pos=\"240 362\" size=\"140 40\" text=\"Go\"/>"
    "<dialog id=\"hardware_acc_not_supported\" size=\"400 200\" text=\"unsupported\" center=\"OK\"/>"
    "<dialog id=\"hardware_acc_not_recommended\" size=\"400 200\" text=\"not recommended\" center=\"OK\"/>"
    "<dialog id=\"window_mode_not_available\" size=\"400 200\" text=\"no window\" center=\"OK\"/></data>";

class Options : public testing::Test
{
protected:
    Options()
    {
        mApp.mWidth = 1024;
        mApp.mHeight = 768;
        mOwnResources = mApp.mResourceManager;
        mApp.mResourceManager = &mResources;
        mResources.AddImage("IMAGE_TRACK", 48, 14, 3);
        mResources.AddImage("IMAGE_THUMB", 20, 20);
        mResources.AddImage("IMAGE_BOX", 28, 28);
        mResources.AddSound("SOUND_VOLUME_SAMPLE", 9);
        CGuiDescriptions::Instance().Clear();
        CXmlDataReader reader;
        CGuiDescriptions::DeclareSchema(reader);
        reader.LoadFromMemory(kWindow);
        CGuiDescriptions::Instance().Load(reader, &mApp);
        mApp.mMusicVolume = 0.5;
        mApp.mSfxVolume = 0.6;
        mApp.mRegKey = "Quendril\\TamberloOptionsTest";
    }
    ~Options() override
    {
        CGuiDescriptions::Instance().Clear();
        if (mProfile)
            CProfiles::Instance().DeleteProfile("Options Tester");
        mApp.mResourceManager = mOwnResources;
    }
    // The dialog as its opener shows it: registered and focused.
    COptionsDialog* Open(CGameState* owner, const char* window = "options")
    {
        auto* dialog = new COptionsDialog(owner, window);
        mApp.RegisterDialog(COptionsDialog::kDialogId, dialog);
        return dialog;
    }
    bool IsOpen() { return mApp.FindDialog(COptionsDialog::kDialogId) != nullptr; }
    // Drags the thumb to the value and lets it go: the slider reports while dragged and on release.
    static void Drag(Olvarn::Slider* slider, double value)
    {
        int range = slider->mWidth - 20;
        int start = int(range * slider->mValue) + 10;
        int travel = int(std::lround(range * (value - slider->mValue)));
        slider->OnMouseDown(start, 10, 1);
        slider->OnMouseDrag(start + travel / 2, 10);
        slider->OnMouseDrag(start + travel, 10);
        slider->OnMouseUpAt(0, 0);
    }
    uint32_t Stored(const char* name)
    {
        uint32_t value = 0;
        mApp.ReadRegistryDWORD(name, value);
        return value;
    }

    AnsweringApp mApp;
    shelltest::TestResources mResources;
    Olvarn::ResourceManager* mOwnResources = nullptr;
    CProfile* mProfile = nullptr;
};

} // namespace

TEST_F(Options, FromTheMenuCancelPutsTheVolumesBackAndOkKeepsThem)
{
    COptionsDialog* dialog = Open(nullptr);
    ASSERT_TRUE(dialog->MusicSlider() && dialog->SoundSlider() && dialog->ContinueButton() && dialog->MenuButton());
    EXPECT_DOUBLE_EQ(dialog->MusicSlider()->mValue, 0.5);
    EXPECT_DOUBLE_EQ(dialog->SoundSlider()->mValue, 0.6);
    // No level behind it: nothing is darkened.
    EXPECT_EQ(dialog->Shade().mParent, nullptr);

    Drag(dialog->MusicSlider(), 0.2);
    EXPECT_NEAR(mApp.GetMusicVolume(), 0.2, 0.011);
    // Let go, the volume is what the settings keep: in hundredths, and written at once.
    EXPECT_DOUBLE_EQ(mApp.GetMusicVolume() * 100, std::round(mApp.GetMusicVolume() * 100));
    EXPECT_EQ(Stored("MusicVolume"), uint32_t(std::lround(mApp.GetMusicVolume() * 100)));
    dialog->OnButtonRelease(dialog->ContinueButton()->mId);
    EXPECT_FALSE(IsOpen());
    EXPECT_DOUBLE_EQ(mApp.GetMusicVolume(), 0.5);
    EXPECT_EQ(Stored("MusicVolume"), 50u);

    dialog = Open(nullptr);
    Drag(dialog->MusicSlider(), 0.8);
    double kept = mApp.GetMusicVolume();
    dialog->OnButtonRelease(dialog->MenuButton()->mId);
    EXPECT_FALSE(IsOpen());
    EXPECT_NEAR(kept, 0.8, 0.011);
    EXPECT_DOUBLE_EQ(mApp.GetMusicVolume(), kept);
    EXPECT_EQ(Stored("MusicVolume"), uint32_t(std::lround(kept * 100)));
}

TEST_F(Options, TheSoundSampleSoundsOnceWhenTheThumbIsLetGo)
{
    COptionsDialog* dialog = Open(nullptr);
    Drag(dialog->SoundSlider(), 0.9);
    EXPECT_EQ(std::count(mApp.mSounds.begin(), mApp.mSounds.end(), 9), 1);
    EXPECT_NEAR(mApp.GetSfxVolume(), 0.9, 0.011);
}

TEST_F(Options, InALevelItPausesDarkensAndEveryResumeKeyApplies)
{
    for (int key : {13, 19, 27, 80}) {
        SCOPED_TRACE(key);
        PausableState level;
        mApp.mCustomCursorsEnabled = false;
        COptionsDialog* dialog = Open(&level);
        EXPECT_TRUE(level.Flag());
        ASSERT_NE(dialog->Shade().mParent, nullptr);
        // The shade lies right behind the dialog, over everything else.
        auto& children = mApp.mWidgetManager->mChildren;
        auto shade = std::find(children.begin(), children.end(), &dialog->Shade());
        ASSERT_NE(shade, children.end());
        EXPECT_EQ(*std::next(shade), dialog);
        dialog->CustomCursorsCheckbox()->SetChecked(true, true);
        EXPECT_FALSE(mApp.mCustomCursorsEnabled);
        dialog->OnKeyDown(key);
        EXPECT_FALSE(IsOpen());
        EXPECT_FALSE(level.Flag());
        EXPECT_TRUE(mApp.mCustomCursorsEnabled);
        EXPECT_EQ(Stored("CustomCursors"), 1u);
    }
}

TEST_F(Options, OtherKeysDoNothing)
{
    COptionsDialog* dialog = Open(nullptr);
    dialog->OnKeyDown('A');
    dialog->OnKeyDown(9);
    EXPECT_TRUE(IsOpen());
}

TEST_F(Options, DisplayChoicesTheMachineCannotHaveAreTakenBackWithAWord)
{
    // No 3D test ran here: 3D counts as unsupported.
    COptionsDialog* dialog = Open(nullptr);
    dialog->HardwareAccelerateCheckbox()->SetChecked(true, true);
    EXPECT_FALSE(dialog->HardwareAccelerateCheckbox()->IsChecked());
    mApp.mWindowedUnavailable = true;
    dialog->FullscreenCheckbox()->mChecked = true;
    dialog->FullscreenCheckbox()->SetChecked(false, true);
    EXPECT_TRUE(dialog->FullscreenCheckbox()->IsChecked());
    EXPECT_EQ(mApp.mBoxes, (std::vector<std::string>{"unsupported", "no window"}));
    // The message boxes are gone and the focus is back on the options.
    EXPECT_EQ(mApp.FindDialog(CDialogBuilder::kDialogId), nullptr);
    EXPECT_EQ(mApp.mWidgetManager->mFocusWidget, dialog);
}

TEST_F(Options, ShowHintsIsThePlayersOwnAndIsKeptOnLeaving)
{
    mProfile = CProfiles::Instance().AddProfile("Options Tester", true);
    ASSERT_NE(mProfile, nullptr);
    mProfile->show_hints = true;
    PausableState level;
    COptionsDialog* dialog = Open(&level);
    EXPECT_TRUE(dialog->ShowHelpCheckbox()->IsChecked());
    dialog->ShowHelpCheckbox()->SetChecked(false, true);
    EXPECT_TRUE(mProfile->show_hints);
    dialog->OnButtonRelease(dialog->ContinueButton()->mId);
    EXPECT_FALSE(mProfile->show_hints);
    // Kept in the profiles file at once: a fresh read sees it.
    CProfiles fresh(true);
    ASSERT_NE(fresh.FindProfile("Options Tester"), nullptr);
    EXPECT_FALSE(fresh.FindProfile("Options Tester")->show_hints);
}

TEST_F(Options, AWindowWithoutSomeControlsStillWorks)
{
    PausableState level;
    COptionsDialog* dialog = Open(&level, "fullscreen_only");
    EXPECT_EQ(dialog->MusicSlider(), nullptr);
    EXPECT_EQ(dialog->HardwareAccelerateCheckbox(), nullptr);
    EXPECT_EQ(dialog->MenuButton(), nullptr);
    dialog->OnKeyDown(27);
    EXPECT_FALSE(IsOpen());
    EXPECT_FALSE(level.Flag());
}
