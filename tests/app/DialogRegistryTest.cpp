// The application's dialog registry: centring, replacement by id, modal layers, forwarding of the
// dialog buttons as application buttons, and RunUntilClosed as a nested loop of the pump.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "AppTestSupport.h"
#include "widgets/Dialog.h"
#include "widgets/DialogButton.h"
#include "widgets/WidgetManager.h"

using namespace Olvarn;
using apptest::CountingApp;

namespace
{

struct RegistryApp : CountingApp {
    void OnButtonPress(int id) override { mLog.push_back("press " + std::to_string(id)); }
    void OnButtonRelease(int id) override { mLog.push_back("release " + std::to_string(id)); }
    void OnModalDialogOpened() override { mLog.push_back("modal opened"); }
    void OnModalDialogClosed() override { mLog.push_back("modal closed"); }
    std::vector<std::string> mLog;
};

// Runs an action at a given update of the widget tree, standing in for the player.
class ActionWidget : public Widget
{
public:
    void Update() override
    {
        Widget::Update();
        if (++mUpdates == mAtUpdate && mAction)
            mAction();
    }
    int mUpdates = 0;
    int mAtUpdate = 5;
    std::function<void()> mAction;
};

TEST(DialogRegistry, ShowDialogCentresAndRegistersAndReplacesById)
{
    RegistryApp app;
    Dialog* first = app.ShowDialog(5, false, "Title", "Some lines of text", "", Dialog::BUTTONS_OK_CANCEL);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->mWidth, 320);
    EXPECT_EQ(first->mX, 160);
    EXPECT_EQ(first->mY, 96);
    EXPECT_EQ(first->mHeight, first->MeasureHeight(320));
    EXPECT_EQ(first->mManager, app.mWidgetManager);
    EXPECT_EQ(app.FindDialog(5), first);
    EXPECT_EQ(app.CountDialogs(), 1);

    Dialog* second = app.ShowDialog(5, false, "Again", "", "", Dialog::BUTTONS_NONE);
    EXPECT_EQ(app.CountDialogs(), 1);
    EXPECT_EQ(app.FindDialog(5), second);
    // The replaced dialog left the manager and waits for deletion at the top of the pump.
    EXPECT_EQ(first->mManager, nullptr);
    EXPECT_EQ(app.mDeferredDeletions.size(), 1u);
    app.PerformDeferredDeletions();

    EXPECT_TRUE(app.CloseDialog(5));
    EXPECT_FALSE(app.CloseDialog(5));
    EXPECT_EQ(app.FindDialog(5), nullptr);
    app.PerformDeferredDeletions();
}

TEST(DialogRegistry, ADialogWithASizeKeepsIt)
{
    RegistryApp app;
    Dialog* dialog = app.CreateDialogWidget(3, false, "H", "", "", 0);
    dialog->Resize(10, 20, 100, 50);
    app.AddDialogOwnId(dialog);
    EXPECT_EQ(dialog->GetRect(), Rect(10, 20, 100, 50));
    EXPECT_EQ(app.FindDialog(3), dialog);
    app.CloseDialogOf(dialog);
    EXPECT_EQ(app.CountDialogs(), 0);
}

TEST(DialogRegistry, ModalDialogPushesALayerThatClosingPops)
{
    RegistryApp app;
    Dialog* dialog = app.ShowDialog(2, true, "Sure?", "", "", Dialog::BUTTONS_YES_NO);
    EXPECT_EQ(app.mWidgetManager->mModalWidget, dialog);
    EXPECT_EQ(app.mLog, (std::vector<std::string>{"modal opened"}));
    app.CloseDialog(2);
    EXPECT_EQ(app.mWidgetManager->mModalWidget, nullptr);
    EXPECT_TRUE(app.mWidgetManager->mModalLayers.empty());
    EXPECT_EQ(app.mLog.back(), "modal closed");
}

TEST(DialogRegistry, DialogButtonsReachTheApplicationAsOffsetButtonIds)
{
    RegistryApp app;
    Dialog* dialog = app.ShowDialog(7, false, "Q", "", "", Dialog::BUTTONS_YES_NO);
    EXPECT_EQ(dialog->mDialogListener, static_cast<DialogListener*>(&app));
    dialog->mSecondButton->OnMouseDown(2, 2, 1);
    dialog->OnButtonRelease(1000);
    app.OnDialogButtonPress(7, 1002);
    EXPECT_EQ(app.mLog, (std::vector<std::string>{"press 3007", "release 2007"}));
    EXPECT_EQ(dialog->mResult, 1000);
}

TEST(DialogRegistry, RunUntilClosedAnswersTheClickedButtonAndClosesTheDialog)
{
    RegistryApp app;
    Dialog* dialog = app.ShowDialog(4, true, "Go?", "", "", Dialog::BUTTONS_OK_CANCEL);
    ActionWidget player;
    player.mAction = [dialog] { dialog->OnButtonRelease(Dialog::ID_OK); };
    app.mWidgetManager->AddWidget(&player);
    EXPECT_EQ(dialog->RunUntilClosed(true), 1000);
    EXPECT_EQ(app.FindDialog(4), nullptr);
    EXPECT_GE(player.mUpdates, 5);
    app.mWidgetManager->RemoveWidget(&player);
}

TEST(DialogRegistry, RunUntilClosedEndsWhenOtherCodeClosesTheDialog)
{
    RegistryApp app;
    Dialog* dialog = app.ShowDialog(6, false, "Wait", "", "", Dialog::BUTTONS_NONE);
    ActionWidget player;
    player.mAction = [&app] { app.CloseDialog(6); };
    app.mWidgetManager->AddWidget(&player);
    EXPECT_EQ(dialog->RunUntilClosed(false), INT_MAX);
    // Still alive: deletion waits until the pump is back at the top.
    EXPECT_EQ(dialog->mManager, nullptr);
    app.mWidgetManager->RemoveWidget(&player);
}

TEST(DialogRegistry, RunUntilClosedEndsWhenTheMainLoopIsLeft)
{
    RegistryApp app;
    Dialog* dialog = app.ShowDialog(8, false, "Wait", "", "", Dialog::BUTTONS_NONE);
    ActionWidget player;
    player.mAction = [&app] { app.mExitToTop = true; };
    app.mWidgetManager->AddWidget(&player);
    EXPECT_EQ(dialog->RunUntilClosed(true), INT_MAX);
    EXPECT_EQ(app.CountDialogs(), 0);
    app.mWidgetManager->RemoveWidget(&player);
}

TEST(DialogRegistry, TheApplicationDeletesOpenAndClosedDialogsWhenItGoes)
{
    struct CountedDialog : Dialog {
        CountedDialog(int id, bool modal, int* deleted)
            : Dialog(nullptr, nullptr, id, modal, "", "", "", 1), mDeleted(deleted)
        {
        }
        ~CountedDialog() override { ++*mDeleted; }
        int* mDeleted;
    };
    int deleted = 0;
    auto* app = new RegistryApp();
    app->RegisterDialog(1, new CountedDialog(1, true, &deleted));
    app->RegisterDialog(2, new CountedDialog(2, false, &deleted));
    app->RegisterDialog(3, new CountedDialog(3, false, &deleted));
    // Closed, so only waiting for a pump that never comes.
    app->CloseDialog(3);
    EXPECT_EQ(deleted, 0);
    delete app;
    EXPECT_EQ(deleted, 3);
}

} // namespace
