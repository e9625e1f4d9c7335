// Dialog: buttons by mode and their reports, measuring, button layout, colours, z-order, dragging
// within the screen and drawing.
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "WidgetTestSupport.h"
#include "widgets/Dialog.h"
#include "widgets/DialogButton.h"
#include "widgets/DialogListener.h"

using namespace Olvarn;
using namespace widgettest;

namespace
{

class RecordingDialogListener : public DialogListener
{
public:
    void OnDialogButtonPress(int dialogId, int buttonId) override
    {
        log.push_back("press " + std::to_string(dialogId) + " " + std::to_string(buttonId));
    }
    void OnDialogButtonRelease(int dialogId, int buttonId) override
    {
        log.push_back("release " + std::to_string(dialogId) + " " + std::to_string(buttonId));
    }
    Log log;
};

std::unique_ptr<Dialog> MakeDialog(int mode, const std::string& header = "Header", const std::string& lines = "",
                                   const std::string& footer = "Footer", Image* buttonImage = nullptr)
{
    auto dialog = std::make_unique<Dialog>(nullptr, buttonImage, 9, true, header, lines, footer, mode);
    FixedFont font(12, 16);
    font.mAscentPadding = 2;
    font.mLineSpacingOffset = 4;
    dialog->SetTitleFont(&font);
    dialog->SetBodyFont(&font);
    return dialog;
}

TEST(DialogTest, ButtonModesMakeTheStandardButtons)
{
    struct Case {
        int mode;
        const char* first;
        const char* second;
    };
    for (Case c : {Case{1, "YES", "NO"}, Case{2, "OK", "CANCEL"}, Case{3, "Footer", nullptr}, Case{0, nullptr, nullptr},
                   Case{4, nullptr, nullptr}}) {
        SCOPED_TRACE(c.mode);
        auto dialog = MakeDialog(c.mode);
        ASSERT_EQ(dialog->mFirstButton != nullptr, c.first != nullptr);
        ASSERT_EQ(dialog->mSecondButton != nullptr, c.second != nullptr);
        if (c.first) {
            EXPECT_EQ(dialog->mFirstButton->mLabel, c.first);
            EXPECT_EQ(dialog->mFirstButton->mId, 1000);
        }
        if (c.second) {
            EXPECT_EQ(dialog->mSecondButton->mLabel, c.second);
            EXPECT_EQ(dialog->mSecondButton->mId, 1001);
        }
        EXPECT_TRUE(dialog->IsModal());
        EXPECT_EQ(dialog->mResult, INT_MAX);
    }
}

TEST(DialogTest, PressReportsAndClickSetsTheResult)
{
    RecordingDialogListener listener;
    auto dialog = MakeDialog(2);
    dialog->mDialogListener = &listener;
    dialog->mSecondButton->OnMouseDown(3, 3, 1);
    EXPECT_EQ(dialog->mResult, INT_MAX);
    dialog->OnButtonRelease(1001);
    EXPECT_EQ(dialog->mResult, 1001);
    dialog->OnButtonPress(7);
    dialog->OnButtonRelease(7);
    EXPECT_EQ(dialog->mResult, 1001);
    EXPECT_EQ(listener.log, (Log{"press 9 1001", "release 9 1001"}));
}

TEST(DialogTest, MeasureHeightCountsOnlyWhatIsShown)
{
    // The fonts: height 16, ascent 12, padding 2, line spacing 20; one wrapped line is 12 - 2 + 4
    // high. Borders 24 on each side.
    struct Case {
        int mode;
        const char* header;
        const char* lines;
        const char* footer;
        int height;
    };
    for (Case c : {Case{0, "Header", "", "", 48 + 14}, Case{0, "", "", "", 48}, Case{0, "", "", "Footer", 48 + 20},
                   Case{3, "H", "", "Footer", 48 + 14 + 8 + 24 + 8}, Case{4, "H", "", "Footer", 48 + 14 + 8 + 20},
                   Case{2, "", "", "", 48 + 24 + 8}, Case{0, "H", "one", "", 48 + 14 + 10 + 14}}) {
        SCOPED_TRACE(testing::Message() << c.mode << " " << c.header << "/" << c.lines << "/" << c.footer);
        auto dialog = MakeDialog(c.mode, c.header, c.lines, c.footer);
        EXPECT_EQ(dialog->MeasureHeight(400), c.height);
    }
}

TEST(DialogTest, ButtonsShareTheRowAboveTheBottomBorder)
{
    std::unique_ptr<MemoryImage> buttonImage(NewCanvas(30, 24, 0xFF808080));
    auto pair = MakeDialog(2, "H", "", "", buttonImage.get());
    pair->Resize(100, 50, 400, 200);
    EXPECT_EQ(pair->mFirstButton->GetRect(), Rect(124, 50 + 200 - 48, 172, 24));
    EXPECT_EQ(pair->mSecondButton->GetRect(), Rect(304, 50 + 200 - 48, 172, 24));

    auto single = MakeDialog(3);
    single->Resize(0, 0, 300, 100);
    EXPECT_EQ(single->mFirstButton->GetRect(), Rect(24, 100 - 48, 252, 24));
}

TEST(DialogTest, ButtonLabelsAreBlackWithoutAButtonImageAndWhiteWithOne)
{
    std::unique_ptr<MemoryImage> buttonImage(NewCanvas(30, 20, 0xFF808080));
    auto plain = MakeDialog(1);
    auto imaged = MakeDialog(1, "H", "", "", buttonImage.get());
    EXPECT_EQ(plain->mFirstButton->GetColor(0), Color(0, 0, 0));
    EXPECT_EQ(plain->mSecondButton->GetColor(1), Color(0, 0, 0));
    EXPECT_EQ(imaged->mFirstButton->GetColor(0), Color(255, 255, 255));
    EXPECT_EQ(imaged->mButtonHeight, 20);
    imaged->SetColor(Dialog::COLOR_BUTTON_TEXT_HILITE, Color(1, 2, 3));
    EXPECT_EQ(imaged->mSecondButton->GetColor(1), Color(1, 2, 3));
}

class AttachedDialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        manager.SetScreenSize(800, 600);
        dialog = MakeDialog(2);
        dialog->Resize(100, 100, 200, 150);
        manager.AddWidget(dialog.get());
        manager.AddWidget(&other);
    }
    void TearDown() override { manager.RemoveAllChildren(); }
    std::vector<Widget*> Order() { return {manager.mChildren.begin(), manager.mChildren.end()}; }

    Log log;
    WidgetManager manager{nullptr};
    std::unique_ptr<Dialog> dialog;
    LogWidget other{"other", &log, 0, 0, 10, 10};
};

TEST_F(AttachedDialogTest, ButtonsJoinTheManagerAboveTheDialogAndStayThere)
{
    Widget* first = dialog->mFirstButton;
    Widget* second = dialog->mSecondButton;
    EXPECT_EQ(Order(), (std::vector<Widget*>{dialog.get(), first, second, &other}));
    manager.BringToFront(dialog.get());
    std::vector<Widget*> order = Order();
    ASSERT_EQ(order.size(), 4u);
    EXPECT_EQ(order[0], &other);
    EXPECT_EQ(order[1], dialog.get());
    manager.RemoveWidget(dialog.get());
    EXPECT_EQ(Order(), (std::vector<Widget*>{&other}));
    EXPECT_EQ(first->mManager, nullptr);
}

TEST_F(AttachedDialogTest, DraggingStopsEightPixelsPastTheEdgesAndButtonsFollow)
{
    dialog->OnMouseDown(50, 20, 1);
    EXPECT_TRUE(dialog->mIsDragging);
    dialog->OnMouseDrag(60, 25);
    EXPECT_EQ(dialog->mX, 110);
    EXPECT_EQ(dialog->mY, 105);
    EXPECT_EQ(dialog->mFirstButton->mX, 110 + 24);

    dialog->OnMouseDrag(-500, 20);
    EXPECT_EQ(dialog->mX, -8);
    EXPECT_EQ(dialog->mGrabX, 8);
    dialog->OnMouseDrag(5000, 5000);
    EXPECT_EQ(dialog->mX, 800 - 200 + 8);
    EXPECT_EQ(dialog->mY, 600 - 150 + 8);
    EXPECT_EQ(dialog->mGrabX, 200 - 9);
    EXPECT_EQ(dialog->mGrabY, 150 - 9);
    dialog->OnMouseUpAt(0, 0);
    EXPECT_FALSE(dialog->mIsDragging);
    dialog->OnMouseDrag(0, 0);
    EXPECT_EQ(dialog->mX, 608);
}

TEST_F(AttachedDialogTest, RightPressOrDoubleClickStartsNoDrag)
{
    for (int code : {-1, 2, -2, 3}) {
        dialog->OnMouseDown(50, 20, code);
        EXPECT_FALSE(dialog->mIsDragging) << code;
    }
}

TEST(DialogDrawTest, CodeFrameHeaderLinesAndFooter)
{
    auto dialog = MakeDialog(0, "Head", "body", "Foot");
    FixedFont font(12, 16);
    font.mAscentPadding = 2;
    dialog->SetTitleFont(&font);
    dialog->SetBodyFont(&font);
    dialog->Resize(0, 0, 200, 150);
    std::unique_ptr<MemoryImage> canvas(NewCanvas(200, 150, 0xFF000000));
    Graphics g(canvas.get());
    dialog->Draw(g);
    EXPECT_EQ(At(*canvas, 12, 50), 0xFFFFFFu);
    EXPECT_EQ(At(*canvas, 50, 50), 0x505050u);
    EXPECT_EQ(At(*canvas, 195, 50), 0x000000u);
    const auto& drawn = *font.mDrawn;
    ASSERT_EQ(drawn.size(), 3u);
    EXPECT_EQ(drawn[0].text, "Head");
    EXPECT_EQ(drawn[0].x, (200 - 40) / 2);
    EXPECT_EQ(drawn[0].y, 24 + 10);
    EXPECT_EQ(drawn[0].color, Color(255, 255, 255));
    EXPECT_EQ(drawn[1].text, "body");
    EXPECT_EQ(drawn[1].color, Color(255, 255, 0));
    EXPECT_EQ(drawn[2].text, "Foot");
}

} // namespace
