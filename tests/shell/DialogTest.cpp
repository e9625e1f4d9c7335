// Game windows from descriptions, game dialogs, game buttons and the message boxes of the dialog
// builder: placement, buttons, shortcuts and results.
#include <gtest/gtest.h>

#include "ShellTestSupport.h"
#include "data/CXmlDataReader.h"
#include "shell/CDialogBuilder.h"
#include "shell/CGameButton.h"
#include "shell/CGameDialog.h"
#include "shell/CGuiDescriptions.h"
#include "widgets/Checkbox.h"
#include "widgets/Slider.h"
#include "widgets/WidgetManager.h"

using tilvan::CDialogBuilder;
using tilvan::CGuiDescriptions;

namespace
{

class Windows : public testing::Test
{
protected:
    Windows()
    {
        mApp.mWidth = 1024;
        mApp.mHeight = 768;
        mOwnResources = mApp.mResourceManager;
        mApp.mResourceManager = &mResources;
        mResources.AddImage("IMAGE_GUI_FRAME", 96, 96, 3, 3);
        mResources.AddImage("IMAGE_GUI_STANDARDBUTTON", 140, 40);
        mResources.AddImage("IMAGE_BUTTON", 120, 36);
        mResources.AddImage("IMAGE_GUI_DEKOR", 72, 72);
        mResources.AddFont("FONT_DEFAULT");
        mResources.AddFont("FONT_HEADER");
        mResources.AddSound("SOUND_WINDOW_OPEN", 1);
        mResources.AddSound("SOUND_WINDOW_CLOSE", 2);
        mResources.AddSound("SOUND_BUTTON_CLICK", 3);
        CGuiDescriptions::DeclareSchema(mReader);
        CGuiDescriptions::Instance().Clear();
    }
    ~Windows() override
    {
        CGuiDescriptions::Instance().Clear();
        mApp.mResourceManager = mOwnResources;
    }
    void Describe(const std::string& rows)
    {
        mReader.LoadFromMemory("<data>" + rows + "</data>");
        CGuiDescriptions::Instance().Load(mReader, &mApp);
        mReader.Clear();
    }

    shelltest::TestApp mApp;
    shelltest::TestResources mResources;
    Olvarn::ResourceManager* mOwnResources = nullptr;
    tilvan::CXmlDataReader mReader;
};

class TestDialog : public tilvan::CGameDialog
{
public:
    TestDialog(const std::string& window, bool decoration = false) : CGameDialog(7, window, decoration) {}
    void OnButtonRelease(int id) override
    {
        CGameDialog::OnButtonRelease(id);
        mReleased.push_back(id);
    }
    std::vector<int> mReleased;
};

std::vector<int> Box(const Olvarn::Widget* w)
{
    return {w->mX, w->mY, w->mWidth, w->mHeight};
}

} // namespace

TEST_F(Windows, FactoriesBuildDescribedWidgetsAndRefuseUnknownNames)
{
    Describe(R"(<window id="opts" size="500 300" pos="10 20"/>
                <widget window_id="opts" id="ok" pos="200 100" size="-1 -1" image="IMAGE_BUTTON" text="Fine"
                        x_centered="1"/>
                <widget window_id="opts" id="check" pos="5 6" size="20 -1" image="IMAGE_NOT_THERE"/>
                <widget window_id="opts" id="slide" pos="1 2" size="100 10" image="IMAGE_BUTTON"/>)");
    tilvan::CGuiWindow window("opts");
    tilvan::CGameButton* ok = nullptr;
    ASSERT_TRUE(window.CreateButton(ok, "ok"));
    EXPECT_EQ(ok->mId, 0);
    EXPECT_EQ(Box(ok), (std::vector<int>{250 - 60, 100, 120, 36}));
    EXPECT_EQ(ok->mLabel, "Fine");
    Olvarn::Checkbox* check = nullptr;
    ASSERT_TRUE(window.CreateCheckbox(check, "check"));
    EXPECT_EQ(check->mHeight, -1); // no image to take the height from
    Olvarn::Slider* slider = nullptr;
    ASSERT_TRUE(window.CreateSlider(slider, "slide"));
    EXPECT_EQ(slider->mId, 2);

    tilvan::CGameButton* none = ok;
    EXPECT_FALSE(window.CreateButton(none, "missing"));
    EXPECT_EQ(none, nullptr);
    tilvan::CGuiWindow undescribed("nowhere");
    EXPECT_FALSE(undescribed.CreateButton(none, "ok"));
    EXPECT_EQ(window.Widgets().size(), 3u);
}

TEST_F(Windows, ACentredDialogSitsInTheMiddleAndCarriesItsWidgetsAlong)
{
    Describe(R"(<window id="box" size="400 300" pos="-1 -1"/>
                <widget window_id="box" id="ok" pos="20 250" size="100 30" image="IMAGE_BUTTON"/>)");
    auto* dialog = new TestDialog("box");
    EXPECT_EQ(Box(dialog), (std::vector<int>{312, 234, 400, 300}));
    tilvan::CGameButton* ok = nullptr;
    ASSERT_TRUE(dialog->CreateButton(ok, "ok"));
    mApp.mWidgetManager->AddWidget(dialog);
    // Widgets take screen positions when the dialog joins the manager, and follow a drag.
    EXPECT_EQ(ok->mX, 332);
    EXPECT_EQ(ok->mY, 484);
    dialog->Resize(dialog->mX + 10, dialog->mY, dialog->mWidth, dialog->mHeight);
    EXPECT_EQ(ok->mX, 342);
    EXPECT_EQ(mApp.mSounds, (std::vector<int>{1}));
    mApp.mWidgetManager->RemoveWidget(dialog);
    delete dialog;
    EXPECT_EQ(mApp.mSounds, (std::vector<int>{1, 2}));
}

TEST_F(Windows, TheDecorationRisesAboveTheTopEdgeAndCannotBeClicked)
{
    Describe(R"(<window id="box" size="400 300" pos="0 0"/>)");
    TestDialog dialog("box", true);
    ASSERT_EQ(dialog.Widgets().size(), 1u);
    auto* dekor = dynamic_cast<Olvarn::ButtonWidget*>(dialog.Widgets().front());
    ASSERT_NE(dekor, nullptr);
    EXPECT_EQ(Box(dekor), (std::vector<int>{200 - 36, -48, 72, 72}));
    EXPECT_TRUE(dekor->mIsDisabled);
    EXPECT_EQ(dekor->mButtonListener, nullptr);

    // Without its picture the dialog is built without the decoration rather than failing.
    mResources.UnloadGroup("");
    TestDialog plain("box", true);
    EXPECT_TRUE(plain.Widgets().empty());
}

TEST_F(Windows, GameButtonsActOnReleaseOnlyAndBlinkWhileNotHovered)
{
    struct Listener : Olvarn::ButtonListener {
        void OnButtonPress(int id) override { log.push_back("press"); }
        void OnButtonRelease(int id) override { log.push_back("release"); }
        std::vector<std::string> log;
    } listener;
    auto* button = new tilvan::CGameButton(4, &listener);
    button->Resize(10, 10, 40, 20);
    mApp.mWidgetManager->AddWidget(button);
    mApp.mWidgetManager->OnMouseMove(20, 20);
    mApp.mWidgetManager->OnMouseDown(20, 20, 1);
    mApp.mWidgetManager->OnMouseUp(20, 20, 1);
    EXPECT_EQ(listener.log, (std::vector<std::string>{"release"}));

    button->blinkFlags = 1;
    button->lit = true;
    button->Update();
    EXPECT_EQ(button->blinkTimer, 1000); // hovered: held, lit kept
    EXPECT_TRUE(button->lit);
    mApp.mWidgetManager->OnMouseMove(500, 500);
    button->Update();
    EXPECT_EQ(button->blinkTimer, 990);
    EXPECT_FALSE(button->lit);
    for (int i = 0; i < 50; ++i)
        button->Update();
    EXPECT_TRUE(button->lit);
    mApp.mWidgetManager->RemoveWidget(button);
    delete button;
}

TEST_F(Windows, AWideLayerIsCentredOnANarrowButton)
{
    Olvarn::DDImage* layer = mResources.AddImage("IMAGE_LAYER", 100, 20);
    tilvan::CGameButton button(0, nullptr);
    button.Resize(0, 0, 40, 20);
    button.mNoDraw = false;
    button.normalLayer = layer;
    shelltest::RecordingImage canvas;
    Olvarn::Graphics g(&canvas);
    button.mFrameNoDraw = true;
    button.Draw(g);
    ASSERT_FALSE(canvas.mBlits.empty());
    // Placed at x -30: the 30 columns left of the canvas are cut off.
    EXPECT_EQ(canvas.mBlits.back().dest.mX, 0);
    EXPECT_EQ(canvas.mBlits.back().source.mX, 30);
}

namespace
{

struct BoxCase {
    const char* name;
    std::string attributes;
    bool left, right, center;
    int enterResult; // -1: nothing
    int escapeResult;
};

} // namespace

TEST_F(Windows, MessageBoxButtonsAndTheirKeys)
{
    const std::vector<BoxCase> cases = {
        {"left and right", R"(left="Yes" right="No")", true, true, false, 0, 1},
        {"only centre", R"(center="OK")", false, false, true, 2, 2},
        {"left and centre", R"(left="Go" center="Back")", true, false, true, -1, 2},
        {"right needs a left", R"(right="No")", false, false, false, -1, -1},
        {"keys named", R"(left="A" right="B" on_enter="right" on_escape="left")", true, true, false, 1, 0},
        {"a key naming a missing button does nothing", R"(left="A" right="B" on_enter="center")", true, true, false, -1,
         1},
        {"unknown key names keep the defaults", R"(center="OK" on_enter="middle")", false, false, true, 2, 2},
    };
    for (const BoxCase& c : cases) {
        SCOPED_TRACE(c.name);
        CGuiDescriptions::Instance().Clear();
        Describe(R"(<dialog id="ask" size="400 200" title="T" text="Body" )" + c.attributes + "/>");
        CDialogBuilder box("ask", false);
        EXPECT_EQ(box.LeftButton() != nullptr, c.left);
        EXPECT_EQ(box.RightButton() != nullptr, c.right);
        EXPECT_EQ(box.CenterButton() != nullptr, c.center);
        box.OnKeyDown(13);
        EXPECT_EQ(box.mResult, c.enterResult == -1 ? Olvarn::Dialog::kNoResult : c.enterResult);
        box.mResult = Olvarn::Dialog::kNoResult;
        box.OnKeyDown(27);
        EXPECT_EQ(box.mResult, c.escapeResult == -1 ? Olvarn::Dialog::kNoResult : c.escapeResult);
        box.mResult = Olvarn::Dialog::kNoResult;
        box.OnKeyDown(9); // Tab does nothing
        EXPECT_EQ(box.mResult, Olvarn::Dialog::kNoResult);
    }
}

TEST_F(Windows, TheBalanceSplitsTheRowAndTheBoxIsCentredOnTheFixedScreen)
{
    Describe(R"(<dialog id="half" size="400 200" title="T" text="B" left="Y" right="N" left_right_balance="0.5"
                        left_blink="1"/>
                <dialog id="none" size="300 200" left="Y" right="N"/>)");
    CDialogBuilder half("half", false);
    EXPECT_EQ(half.LeftButton()->mX, 25);
    EXPECT_EQ(half.LeftButton()->mWidth, 175);
    EXPECT_EQ(half.RightButton()->mX, 200);
    EXPECT_EQ(half.RightButton()->mWidth, 175);
    EXPECT_EQ(half.LeftButton()->mY, half.RightButton()->mY);
    EXPECT_EQ(half.LeftButton()->mY + 40, half.mHeight - 25);
    EXPECT_EQ(half.LeftButton()->blinkFlags, 1);
    EXPECT_EQ(half.RightButton()->blinkFlags, 0);
    EXPECT_EQ(half.mX, 312);

    mApp.mWidth = 640; // the box is centred on 1024 x 768 whatever the window
    CDialogBuilder none("none", false);
    EXPECT_EQ(none.mX, 362);
    EXPECT_EQ(none.LeftButton()->mWidth, 0);
    EXPECT_EQ(none.RightButton()->mWidth, 250);
}

TEST_F(Windows, ALongerTextGrowsTheBoxUpwardAndKeepsTheButtonsAtTheBottom)
{
    Describe(R"(<dialog id="msg" size="300 150" title="T" text="Short" center="OK"/>)");
    CDialogBuilder box("msg", false);
    int height = box.mHeight, y = box.mY;
    box.SetText(std::string(400, 'x') + " " + std::string(400, 'y'));
    EXPECT_EQ(box.GetText().size(), 801u);
    EXPECT_GT(box.mHeight, height);
    EXPECT_EQ(box.mY, 384 - box.mHeight / 2);
    EXPECT_LT(box.mY, y);
    EXPECT_EQ(box.CenterButton()->mY + box.CenterButton()->mHeight, box.mHeight - 25);
}

TEST_F(Windows, AMissingDescriptionGivesTheErrorBoxWhoseOkEndsIt)
{
    CDialogBuilder box("no_such_box", false);
    EXPECT_EQ(box.mHeaderText, "Dialog error!");
    EXPECT_EQ(box.GetText(), "Dialog \"no_such_box\" not found");
    EXPECT_EQ(box.mWidth, 300);
    ASSERT_NE(box.CenterButton(), nullptr);
    EXPECT_EQ(box.CenterButton()->mLabel, "OK");
    box.OnKeyDown(13);
    box.OnKeyDown(27);
    EXPECT_EQ(box.mResult, Olvarn::Dialog::kNoResult);
    box.OnButtonRelease(3);
    EXPECT_EQ(box.mResult, 3);
}

TEST_F(Windows, MessageBoxesWorkWithoutTheirButtonPicture)
{
    mResources.UnloadGroup("");
    Describe(R"(<dialog id="msg" size="300 150" title="T" text="Short" center="OK"/>)");
    CDialogBuilder box("msg", false);
    ASSERT_NE(box.CenterButton(), nullptr);
    EXPECT_EQ(box.CenterButton()->mHeight, CDialogBuilder::kFallbackButtonHeight);
    shelltest::RecordingImage canvas;
    Olvarn::Graphics g(&canvas);
    box.CenterButton()->Draw(g);
}

TEST_F(Windows, ClosingOnAClickAsksTheApplicationToCloseTheBox)
{
    Describe(R"(<dialog id="ask" size="400 200" left="Y" right="N"/>)");
    auto* box = new CDialogBuilder("ask", true);
    mApp.RegisterDialog(CDialogBuilder::kDialogId, box);
    EXPECT_EQ(mApp.FindDialog(100), box);
    box->OnButtonRelease(1);
    EXPECT_EQ(box->mResult, 1);
    EXPECT_EQ(mApp.FindDialog(100), nullptr);
    mApp.PerformDeferredDeletions();
}

TEST_F(Windows, LabelFontsAreLookedUpWhenDrawnSoAnUnloadedFontIsNeverUsed)
{
    Describe(R"(<window id="w" size="200 100"/>
                <label window_id="w" text="Hi" pos="3 4" font="FONT_LABEL" color="1 2 3 4"/>
                <image window_id="w" id="IMAGE_BUTTON" pos="5 6" alpha="300"/>)");
    widgettest::FixedFont* font = mResources.AddFont("FONT_LABEL");
    tilvan::CGuiWindow window("w");
    shelltest::RecordingImage canvas;
    Olvarn::Graphics g(&canvas);
    g.SetColor(Olvarn::Color(9, 9, 9, 9));
    window.DrawWindow(g);
    ASSERT_EQ(font->mDrawn->size(), 1u);
    EXPECT_EQ((*font->mDrawn)[0].text, "Hi");
    EXPECT_EQ((*font->mDrawn)[0].color.GetBlue(), 3);
    EXPECT_EQ(g.GetColor().GetRed(), 9); // the colour before the labels is back
    ASSERT_EQ(canvas.mBlits.size(), 1u);
    EXPECT_EQ(canvas.mBlits[0].dest.mX, 5);

    // The font's group goes; the label is skipped instead of drawing with a freed font.
    mResources.UnloadGroup("");
    shelltest::RecordingImage after;
    Olvarn::Graphics g2(&after);
    tilvan::CGuiWindow rebuilt("w");
    rebuilt.DrawWindow(g2);
    widgettest::FixedFont* reloaded = mResources.AddFont("FONT_LABEL");
    rebuilt.DrawWindow(g2);
    EXPECT_EQ(reloaded->mDrawn->size(), 1u);
}
