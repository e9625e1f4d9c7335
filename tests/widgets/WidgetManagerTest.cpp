// The widget manager: hover, press capture and drags, keys and characters with the key table, focus
// and activation, modal layers, and input that names widgets which are gone or codes out of range.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "WidgetTestSupport.h"

using namespace Olvarn;
using namespace widgettest;

namespace
{

class ManagerTest : public ::testing::Test
{
protected:
    void SetUp() override { manager.SetScreenSize(640, 480); }
    void TearDown() override { manager.RemoveAllChildren(false, true); }

    LogWidget* Add(WidgetContainer* parent, const std::string& name, int x, int y, int w, int h)
    {
        owned.push_back(std::make_unique<LogWidget>(name, &log, x, y, w, h));
        parent->AddWidget(owned.back().get());
        return owned.back().get();
    }
    LogWidget* Top(const std::string& name, int x, int y, int w, int h) { return Add(&manager, name, x, y, w, h); }

    Log log;
    WidgetManager manager{nullptr};
    std::vector<std::unique_ptr<LogWidget>> owned;
};

} // namespace

TEST_F(ManagerTest, HoverFollowsTheMouse)
{
    LogWidget* a = Top("A", 0, 0, 10, 10);
    LogWidget* b = Top("B", 20, 0, 10, 10);
    manager.OnMouseMove(5, 5);
    manager.OnMouseMove(5, 5);
    manager.OnMouseMove(6, 5);
    manager.OnMouseMove(25, 1);
    manager.OnMouseMove(15, 1);
    EXPECT_EQ(log, (Log{"A enter", "A move 5,5", "A move 6,5", "A leave", "B enter", "B move 5,1", "B leave"}));
    EXPECT_FALSE(a->mIsHovered);
    EXPECT_FALSE(b->mIsHovered);
    EXPECT_EQ(manager.mHoverWidget, nullptr);

    manager.OnMouseMove(25, 1);
    log.clear();
    manager.OnMouseLeftWindow();
    EXPECT_EQ(log, (Log{"B leave"}));
    EXPECT_FALSE(manager.mMouseInWindow);
}

TEST_F(ManagerTest, PressHoldsTheMouseThroughADragOffAndBack)
{
    LogWidget* button = Top("B", 10, 10, 20, 20);
    Top("O", 100, 100, 20, 20);
    manager.OnMouseMove(15, 15);
    manager.OnMouseDown(15, 15, 1);
    EXPECT_TRUE(button->mIsPressed);
    EXPECT_EQ(manager.mPressedWidget, button);
    log.clear();

    manager.OnMouseMove(105, 105);
    EXPECT_EQ(log, (Log{"B drag 95,95", "B leave"})) << "no hover for the widget under a drag";
    EXPECT_FALSE(button->mIsHovered);
    log.clear();
    manager.OnMouseMove(12, 12);
    EXPECT_EQ(log, (Log{"B drag 2,2", "B enter"}));
    EXPECT_TRUE(button->mIsHovered);
    log.clear();
    manager.OnMouseUp(12, 12, 1);
    EXPECT_EQ(log, (Log{"B up 2,2 b0 n1"}));
    EXPECT_FALSE(button->mIsPressed);
    EXPECT_EQ(manager.mPressedWidget, nullptr);
    EXPECT_EQ(manager.mPressedButtons, 0);
    EXPECT_EQ(manager.mDownButtons, 0);
}

TEST_F(ManagerTest, ASecondButtonGoesToTheWidgetHoldingTheMouse)
{
    LogWidget* panel = Top("P", 100, 100, 100, 100);
    LogWidget* inner = Add(panel, "I", 10, 20, 30, 30);
    Top("X", 0, 0, 50, 50);
    manager.OnMouseDown(115, 125, 1);
    log.clear();
    manager.OnMouseDown(5, 5, -1);
    EXPECT_EQ(log.back(), "I down -105,-115 b1 n1");
    EXPECT_EQ(manager.mPressedButtons, WidgetManager::kButtonLeft | WidgetManager::kButtonRight);
    log.clear();
    // The release of a nested widget is in its own space, counted through every ancestor.
    manager.OnMouseUp(5, 5, -1);
    EXPECT_EQ(log.front(), "I up -105,-115 b1 n1");
    EXPECT_TRUE(inner->mIsPressed) << "the left button is still held";
    manager.OnMouseUp(120, 130, 1);
    EXPECT_FALSE(inner->mIsPressed);
    EXPECT_EQ(Count(log, "I up 10,10 b0 n1"), 1);
}

TEST_F(ManagerTest, ClickCodesBecomeButtonsAndCounts)
{
    Top("W", 0, 0, 10, 10);
    struct Case {
        int code;
        const char* down;
        int bit;
    } cases[] = {{1, "W down 1,1 b0 n1", 1},
                 {2, "W down 1,1 b0 n2", 1},
                 {-1, "W down 1,1 b1 n1", 2},
                 {-2, "W down 1,1 b1 n2", 2},
                 {3, "W down 1,1 b2 n1", 4}};
    for (const Case& c : cases) {
        log.clear();
        manager.OnMouseDown(1, 1, c.code);
        EXPECT_EQ(log.back(), c.down);
        EXPECT_EQ(manager.mPressedButtons, c.bit);
        manager.OnMouseUp(1, 1, c.code);
        EXPECT_EQ(manager.mPressedButtons, 0);
    }
}

TEST_F(ManagerTest, PressOnEmptySpaceChangesNothing)
{
    LogWidget* field = Top("F", 0, 0, 10, 10);
    field->mTakesFocus = true;
    manager.OnMouseDown(5, 5, 1);
    manager.OnMouseUp(5, 5, 1);
    EXPECT_EQ(manager.mFocusWidget, field);
    log.clear();
    manager.OnMouseDown(300, 300, 1);
    manager.OnMouseMove(310, 310);
    manager.OnMouseUp(310, 310, 1);
    EXPECT_EQ(manager.mFocusWidget, field);
    EXPECT_EQ(log, (Log{"F leave"}));
    EXPECT_EQ(manager.mPressedWidget, nullptr);
}

TEST_F(ManagerTest, KeysReachTheFocusWidgetAndTheTableHoldsCodesUpTo254)
{
    LogWidget* field = Top("F", 0, 0, 10, 10);
    manager.OnKeyDown('A');
    EXPECT_TRUE(log.empty()) << "no focus widget: dropped";
    EXPECT_TRUE(manager.IsKeyDown('A'));
    manager.SetFocusWidget(field);
    log.clear();
    for (int key : {254, 255, 300, -7, 1 << 30}) {
        manager.OnKeyDown(key);
        manager.OnKeyUp(key);
    }
    manager.OnKeyDown(254);
    EXPECT_TRUE(manager.IsKeyDown(254));
    EXPECT_FALSE(manager.IsKeyDown(255));
    EXPECT_EQ(Count(log, "F keydown 300"), 1);
    EXPECT_EQ(Count(log, "F keyup 255"), 1);
    EXPECT_EQ(Count(log, "F keydown -7"), 1);

    log.clear();
    manager.OnChar('x');
    manager.OnChar(static_cast<char>(0xE9));
    manager.OnMouseWheel(-2);
    EXPECT_EQ(log, (Log{"F char 120", "F char 233", "F wheel -2"}));

    // Ctrl+Tab is the system's: neither its key-up nor its character reach the widget.
    log.clear();
    manager.OnKeyDown(WidgetManager::kKeyControl);
    manager.OnChar('\t');
    manager.OnKeyUp(WidgetManager::kKeyTab);
    EXPECT_EQ(log, (Log{"F keydown 17"}));
}

TEST_F(ManagerTest, TabMovesTheFocusToTheNeighbours)
{
    LogWidget* a = Top("A", 0, 0, 10, 10);
    LogWidget* b = Top("B", 20, 0, 10, 10);
    LogWidget* c = Top("C", 40, 0, 10, 10);
    b->mTabNext = c;
    b->mTabPrevious = a;
    manager.SetFocusWidget(b);
    manager.OnKeyDown(WidgetManager::kKeyTab);
    EXPECT_EQ(manager.mFocusWidget, c);
    manager.SetFocusWidget(b);
    manager.OnKeyDown(WidgetManager::kKeyShift);
    manager.OnKeyDown(WidgetManager::kKeyTab);
    EXPECT_EQ(manager.mFocusWidget, a);
    EXPECT_TRUE(b->mTabNext == c && !b->mHasFocus && a->mHasFocus);
}

TEST_F(ManagerTest, FocusOnlyGoesToWidgetsInTheTreeAndIsShownOnlyWhileActive)
{
    LogWidget* a = Top("A", 0, 0, 10, 10);
    LogWidget outsider("S", &log);
    manager.SetFocusWidget(a);
    manager.SetFocusWidget(&outsider);
    EXPECT_EQ(manager.mFocusWidget, nullptr);
    EXPECT_EQ(log, (Log{"A focus+", "A focus-"}));

    log.clear();
    manager.OnAppDeactivated();
    manager.SetFocusWidget(a);
    EXPECT_EQ(manager.mFocusWidget, a);
    EXPECT_TRUE(log.empty()) << "no focus shown while the application is inactive";
    manager.OnAppActivated();
    manager.OnAppActivated();
    EXPECT_EQ(log, (Log{"A focus+"}));
}

TEST_F(ManagerTest, DeactivationSendsKeyUpsForHeldKeysAndTakesTheFocus)
{
    LogWidget* field = Top("F", 0, 0, 10, 10);
    manager.SetFocusWidget(field);
    manager.OnKeyDown(WidgetManager::kKeyShift);
    manager.OnKeyDown('A');
    manager.OnMouseDown(5, 5, 1);
    log.clear();
    manager.OnAppDeactivated();
    manager.OnAppDeactivated();
    EXPECT_EQ(log, (Log{"F keyup 16", "F keyup 65", "F focus-"}));
    EXPECT_FALSE(manager.IsKeyDown('A'));
    EXPECT_EQ(manager.mDownButtons, 0);
    EXPECT_EQ(manager.mFocusWidget, field) << "the focus widget is kept for reactivation";

    // The application also lets go of the mouse on deactivation.
    log.clear();
    manager.ReleaseMouseButtons();
    EXPECT_EQ(log, (Log{"F up 5,5 b0 n1"}));
    EXPECT_EQ(manager.mPressedWidget, nullptr);
    manager.OnAppActivated();
    EXPECT_EQ(log.back(), "F focus+");
}

TEST_F(ManagerTest, ModalLayerTakesHoverClicksAndFocusFromWidgetsBelow)
{
    LogWidget* button = Top("B", 0, 0, 50, 50);
    manager.SetFocusWidget(button);
    manager.OnMouseMove(10, 10);
    ASSERT_TRUE(button->mIsHovered);
    LogWidget* dialog = Top("D", 100, 100, 50, 50);
    LogWidget* ok = Add(dialog, "K", 5, 5, 10, 10);
    log.clear();
    manager.AddBaseModal(dialog);
    EXPECT_EQ(log, (Log{"B leave", "B focus-"}));
    EXPECT_FALSE(button->mIsHovered);
    EXPECT_EQ(manager.mFocusWidget, nullptr);

    log.clear();
    manager.OnMouseDown(10, 10, 1);
    manager.OnMouseUp(10, 10, 1);
    manager.OnKeyDown('A');
    EXPECT_TRUE(log.empty());
    manager.OnMouseDown(107, 107, 1);
    EXPECT_EQ(log.back(), "K down 2,2 b0 n1");
    manager.OnMouseUp(107, 107, 1);
    EXPECT_EQ(manager.FindWidgetAt(10, 10, manager.mDefaultFlags), nullptr);

    log.clear();
    manager.RemoveBaseModal(dialog);
    EXPECT_EQ(manager.mFocusWidget, button) << "the saved focus comes back";
    EXPECT_EQ(log, (Log{"B focus+"}));
    EXPECT_EQ(manager.FindWidgetAt(10, 10, manager.mDefaultFlags), button);
    EXPECT_EQ(manager.mModalWidget, nullptr);
    EXPECT_TRUE(ok->mManager == &manager);
}

TEST_F(ManagerTest, ModalLayersCloseNewestFirst)
{
    LogWidget* first = Top("D1", 0, 0, 10, 10);
    LogWidget* second = Top("D2", 20, 0, 10, 10);
    manager.AddBaseModal(first);
    manager.AddBaseModal(second);
    manager.RemoveBaseModal(first);
    EXPECT_EQ(manager.mModalLayers.size(), 2u);
    EXPECT_EQ(manager.mModalWidget, second);
    manager.RemoveBaseModal(second);
    EXPECT_EQ(manager.mModalLayers.size(), 1u);
    EXPECT_EQ(manager.mModalWidget, first);
    manager.RemoveBaseModal(first);
    EXPECT_TRUE(manager.mModalLayers.empty());
    EXPECT_EQ(manager.mModalWidget, nullptr);
    EXPECT_EQ(manager.mBelowModalFlagsRemove, 0);
    manager.RemoveBaseModal(first);
}

TEST_F(ManagerTest, ModalLayersForgetWidgetsThatLeftTheTree)
{
    LogWidget* panel = Top("P", 0, 0, 50, 50);
    LogWidget* field = Add(panel, "F", 0, 0, 10, 10);
    manager.SetFocusWidget(field);
    LogWidget* dialog = Top("D", 100, 100, 50, 50);
    manager.AddBaseModal(dialog);
    manager.RemoveWidget(panel);
    manager.RemoveWidget(dialog);
    log.clear();
    manager.RemoveBaseModal(dialog);
    EXPECT_TRUE(manager.mModalLayers.empty());
    EXPECT_EQ(manager.mFocusWidget, nullptr) << "a removed widget never gets the focus back";
    EXPECT_TRUE(log.empty());
}

TEST_F(ManagerTest, UpdateAndDrawWalksSwitchToTheFullWordAtTheModalWidget)
{
    LogWidget* below = Top("B", 0, 0, 10, 10);
    LogWidget* dialog = Top("D", 0, 0, 10, 10);
    LogWidget* above = Top("A", 0, 0, 10, 10);
    // Below the modal layer nothing updates in this configuration.
    manager.AddBaseModal(dialog, 0, FlagUpdate);
    manager.UpdateWidgets();
    EXPECT_EQ(log, (Log{"D update", "A update"}));
    EXPECT_EQ(below->mUpdateCount, 0);
    EXPECT_EQ(above->mUpdateCount, 1);
    manager.RemoveBaseModal(dialog);
    log.clear();
    manager.UpdateWidgets();
    EXPECT_EQ(log, (Log{"B update", "D update", "A update"}));
}

TEST_F(ManagerTest, EnablingAWidgetUnderTheMouseHoversItWithNestedCoordinates)
{
    LogWidget* panel = Top("P", 200, 200, 100, 100);
    LogWidget* inner = Add(panel, "I", 10, 10, 20, 20);
    inner->SetDisabled(true);
    manager.OnMouseMove(215, 215);
    EXPECT_EQ(manager.mHoverWidget, nullptr);
    log.clear();
    inner->SetDisabled(false);
    EXPECT_EQ(manager.mHoverWidget, inner);
    EXPECT_EQ(log, (Log{"I enter", "I move 5,5"}));

    // Disabling forgets hover and press at once.
    manager.OnMouseDown(215, 215, 1);
    log.clear();
    inner->SetDisabled(true);
    EXPECT_EQ(log, (Log{"I leave", "I up 5,5 b0 n1"}));
    EXPECT_EQ(manager.mPressedWidget, nullptr);
    manager.OnMouseUp(215, 215, 1);
    EXPECT_EQ(Count(log, "I up 5,5 b0 n1"), 1);
}

TEST_F(ManagerTest, EventsAfterTheirWidgetWasRemovedAreDropped)
{
    LogWidget* w = Top("W", 0, 0, 10, 10);
    manager.SetFocusWidget(w);
    manager.OnMouseMove(5, 5);
    manager.OnMouseDown(5, 5, 1);
    manager.RemoveWidget(w);
    EXPECT_EQ(manager.mPressedWidget, nullptr);
    EXPECT_EQ(manager.mHoverWidget, nullptr);
    EXPECT_EQ(manager.mFocusWidget, nullptr);
    log.clear();
    manager.OnMouseMove(6, 6);
    manager.OnMouseUp(6, 6, 1);
    manager.OnKeyDown('A');
    manager.OnChar('a');
    manager.OnMouseWheel(1);
    manager.OnMouseMove(-100000, 100000);
    manager.OnMouseDown(1 << 30, -(1 << 30), 2);
    manager.OnMouseUp(1 << 30, -(1 << 30), 2);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(manager.mLastMouseX, 1 << 30);
}

TEST_F(ManagerTest, AddingAWidgetUnderTheMouseHoversIt)
{
    manager.OnMouseMove(5, 5);
    Top("W", 0, 0, 10, 10);
    EXPECT_EQ(log, (Log{"W enter", "W move 5,5"}));
    LogWidget* cover = Top("C", 0, 0, 10, 10);
    EXPECT_EQ(manager.mHoverWidget, cover);
    cover->SetVisible(false);
    EXPECT_EQ(static_cast<LogWidget*>(manager.mHoverWidget)->mName, "W");
    cover->Move(100, 100);
    cover->SetVisible(true);
    EXPECT_EQ(static_cast<LogWidget*>(manager.mHoverWidget)->mName, "W");
}
