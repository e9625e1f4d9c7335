// Screens change only in the holder's update; the new screen covers the window and has the focus.
#include <gtest/gtest.h>

#include "ShellTestSupport.h"
#include "shell/CScreen.h"
#include "shell/CScreenHolder.h"
#include "widgets/WidgetManager.h"

namespace
{

std::vector<std::string>* gLog = nullptr;

class LogScreen : public tilvan::CScreen
{
public:
    explicit LogScreen(std::string name) : mName(std::move(name)) {}
    ~LogScreen() override { gLog->push_back("delete " + mName); }
    void Update() override
    {
        CScreen::Update();
        gLog->push_back("update " + mName);
        if (mOnUpdate)
            mOnUpdate();
    }
    std::string mName;
    std::function<void()> mOnUpdate;
};

class Screens : public testing::Test
{
protected:
    Screens()
    {
        gLog = &mLog;
        mApp.mWidth = 1024;
        mApp.mHeight = 768;
        mApp.mWidgetManager->AddWidget(&mHolder);
    }
    ~Screens() override
    {
        mHolder.RemoveScreen();
        mApp.PerformDeferredDeletions();
    }
    void Tick()
    {
        mApp.mWidgetManager->UpdateWidgets();
        mApp.PerformDeferredDeletions();
    }
    bool InManager(Olvarn::Widget* widget)
    {
        for (Olvarn::Widget* child : mApp.mWidgetManager->mChildren)
            if (child == widget)
                return true;
        return false;
    }

    std::vector<std::string> mLog;
    shelltest::TestApp mApp;
    tilvan::CScreenHolder mHolder{&mApp};
};

} // namespace

TEST_F(Screens, ANewScreenArrivesAtTheHoldersNextUpdateCoveringTheWindowWithTheFocus)
{
    auto* first = new LogScreen("first");
    mHolder.SetScreen(first);
    EXPECT_FALSE(InManager(first));
    Tick();
    EXPECT_EQ(mHolder.Current(), first);
    EXPECT_TRUE(InManager(first));
    EXPECT_EQ(mApp.mWidgetManager->mFocusWidget, first);
    EXPECT_EQ(first->GetRect().mWidth, 1024);
    EXPECT_EQ(first->GetRect().mHeight, 768);
    // The holder is drawn first, then the screen, then whatever else is in the manager.
    EXPECT_EQ(mApp.mWidgetManager->mChildren.front(), &mHolder);
    EXPECT_EQ(*std::next(mApp.mWidgetManager->mChildren.begin()), first);
}

TEST_F(Screens, AScreenAskingForItsSuccessorKeepsRunningUntilTheNextTreeUpdate)
{
    auto* first = new LogScreen("first");
    mHolder.SetScreen(first);
    Tick();
    auto* second = new LogScreen("second");
    first->mOnUpdate = [&] {
        if (!mHolder.Pending() && mHolder.Current() == first)
            mHolder.SetScreen(second);
    };
    mLog.clear();
    Tick();
    // The first screen finished its update; it left the manager, the second is waiting.
    EXPECT_EQ(mLog, (std::vector<std::string>{"update first"}));
    EXPECT_EQ(mHolder.Pending(), second);
    EXPECT_FALSE(InManager(first));
    Tick();
    EXPECT_EQ(mHolder.Current(), second);
    // Added behind the walk, the new screen runs from the following update on.
    EXPECT_EQ(mLog, (std::vector<std::string>{"update first", "delete first"}));
    Tick();
    EXPECT_EQ(mLog.back(), "update second");
}

TEST_F(Screens, PausesCountReasonsAndAScreenIgnoresFocusNotices)
{
    LogScreen screen("s");
    screen.AddPause(true);
    screen.AddPause(true);
    screen.AddPause(false);
    EXPECT_TRUE(screen.IsPaused());
    screen.AddPause(false);
    EXPECT_FALSE(screen.IsPaused());
    screen.AddPause(false);
    EXPECT_FALSE(screen.IsPaused());
    EXPECT_EQ(screen.PauseCount(), -1);
    screen.OnFocusGained();
    EXPECT_FALSE(screen.mHasFocus);
}
