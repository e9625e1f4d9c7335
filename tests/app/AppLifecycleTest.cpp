// The application object's life: construction, early shutdown, threads, deferred deletion, the image
// registry, the window-message queue and the resource manifest.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <thread>

#include "AppTestSupport.h"
#include "platform/Process.h"
#include "resources/ResourceManager.h"
#include "support/TempDir.h"

using namespace Olvarn;
using apptest::CountingApp;
using apptest::RecordingWidgetManager;

namespace
{

class NoteWidget : public Widget
{
public:
    explicit NoteWidget(int& deleted) : mDeleted(deleted) {}
    ~NoteWidget() override { ++mDeleted; }
    int& mDeleted;
};

AppMessage Message(AppMessageKind kind, int64_t param1 = 0)
{
    AppMessage m;
    m.mKind = kind;
    m.mParam1 = param1;
    return m;
}

} // namespace

TEST(AppObject, ConstructionSetsTheGlobalPointerAndTheSaturationTable)
{
    EXPECT_EQ(gOlvarnApp, nullptr);
    {
        CountingApp app;
        EXPECT_EQ(gOlvarnApp, &app);
        for (int i = 0; i < 512; ++i)
            ASSERT_EQ(app.mAdd8BitMaxTable[i], i < 255 ? i : 255) << i;
        EXPECT_EQ(app.mTitle, "OlvarnApp");
        EXPECT_EQ(app.mDemoFileName, "olvarnapp.dmo");
    }
    EXPECT_EQ(gOlvarnApp, nullptr);
}

TEST(AppObject, ShutDownBeforeInitSkipsEverythingAndInitThenDoesNothing)
{
    CountingApp app;
    app.mRegKey = "Quendril\\EarlyShutdown";
    app.ShutDownApp();
    EXPECT_TRUE(app.mShutdown);
    app.ShutDownApp(); // idempotent
    app.InitApp();
    EXPECT_FALSE(app.mInitialized);
    EXPECT_EQ(app.mMainWindow, nullptr);
    EXPECT_FALSE(app.mLoadedSettings);
    app.RunApp(); // returns at once
    EXPECT_EQ(app.mUpdateCount, 0);
}

TEST(AppObject, TheDestructorWaitsForTheLoaderBeforeFreeingWhatItUses)
{
    static std::atomic<bool> started{false}, finished{false};
    struct LoaderApp : CountingApp {
        void LoadResourcesInBackground() override
        {
            started = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            // Touches the framework's part of the object, as a real loader does (AddressSanitizer
            // reports it if the object is already gone).
            mCompletedLoadingThreadTasks = mCompletedLoadingThreadTasks + 1;
            mMemoryImageSet.size();
            finished = true;
        }
    };
    {
        LoaderApp app;
        app.LaunchLoader();
        app.LaunchLoader(); // only once
        while (!started)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_TRUE(finished);
}

TEST(AppObject, LoadingHandsOverOnceOnTheMainThread)
{
    struct HandOverApp : CountingApp {
        void LoadResourcesInBackground() override
        {
            mNumLoadingThreadTasks = 4;
            mCompletedLoadingThreadTasks = 1;
        }
        void OnLoadingFinished() override { ++mHandOvers; }
        int mHandOvers = 0;
    };
    HandOverApp app;
    EXPECT_DOUBLE_EQ(app.GetLoadingProgress(), 0.0);
    app.LaunchLoader();
    while (!app.mLoadingThreadCompleted)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_DOUBLE_EQ(app.GetLoadingProgress(), 0.25);
    EXPECT_TRUE(app.mYieldMainThread);
    EXPECT_TRUE(app.UpdateAppTick());
    EXPECT_TRUE(app.UpdateAppTick());
    EXPECT_EQ(app.mHandOvers, 1);
    EXPECT_FALSE(app.mYieldMainThread);
    EXPECT_DOUBLE_EQ(app.GetLoadingProgress(), 1.0);
}

TEST(AppObject, LoadingProgressIsBounded)
{
    CountingApp app;
    app.mLoadingThreadStarted = true;
    app.mNumLoadingThreadTasks = 2;
    app.mCompletedLoadingThreadTasks = 5;
    EXPECT_DOUBLE_EQ(app.GetLoadingProgress(), 1.0);
    app.mNumLoadingThreadTasks = 0;
    EXPECT_DOUBLE_EQ(app.GetLoadingProgress(), 0.0);
    app.mLoadingThreadStarted = false; // so the destructor has no thread to wait for
}

TEST(DeferredDeletion, AnEntryGoesOnlyOnceThePumpIsBelowItsDepthOrAtTheTop)
{
    struct Case {
        int queuedAt;
        int performedAt;
        bool deleted;
    };
    const std::vector<Case> cases = {
        {1, 1, false}, {2, 2, false}, {2, 1, true}, {1, 0, true}, {0, 0, true}, {3, 2, true},
    };
    for (const Case& c : cases) {
        CountingApp app;
        int deleted = 0;
        app.mPumpDepth = c.queuedAt;
        app.DeleteWidgetLater(new NoteWidget(deleted));
        app.mPumpDepth = c.performedAt;
        app.PerformDeferredDeletions();
        EXPECT_EQ(deleted, c.deleted ? 1 : 0) << c.queuedAt << " at " << c.performedAt;
        app.mPumpDepth = 0;
        app.PerformDeferredDeletions();
        EXPECT_EQ(deleted, 1);
    }
}

TEST(DeferredDeletion, ADialogsNestedLoopNeverSeesItsWidgetDeleted)
{
    // An update opens a "modal dialog" that queues its own deletion and then runs a nested loop, as
    // a dialog closing itself from a button inside its loop does.
    struct DialogApp : CountingApp {
        void UpdateAppOnce() override
        {
            CountingApp::UpdateAppOnce();
            if (mUpdateCount != 3)
                return;
            auto* dialog = new NoteWidget(mDeleted);
            DeleteWidgetLater(dialog);
            for (int i = 0; i < 50; ++i) {
                bool updated = false;
                PumpStep(updated);
                mDeletedDuringNestedLoop |= mDeleted != 0;
                if (i == 10)
                    DeleteWidgetLater(new NoteWidget(mInnerDeleted));
            }
            mInnerDeletedInsideLoop = mInnerDeleted;
        }
        int mDeleted = 0;
        int mInnerDeleted = 0;
        int mInnerDeletedInsideLoop = -1;
        bool mDeletedDuringNestedLoop = false;
    };
    DialogApp app;
    while (app.mUpdateCount < 10)
        app.RunUntilUpdate();
    EXPECT_FALSE(app.mDeletedDuringNestedLoop);
    EXPECT_EQ(app.mInnerDeletedInsideLoop, 0);
    EXPECT_EQ(app.mDeleted, 1);
    EXPECT_EQ(app.mInnerDeleted, 1);
    EXPECT_TRUE(app.mDeferredDeletions.empty());
}

TEST(ImageRegistry, ImagesRegisteredFromTwoThreadsAreAllKept)
{
    CountingApp app;
    static char slots[2000];
    auto work = [&](int from) {
        for (int i = from; i < from + 1000; ++i)
            app.RegisterImage(reinterpret_cast<MemoryImage*>(&slots[i]));
    };
    std::thread a(work, 0), b(work, 1000);
    a.join();
    b.join();
    EXPECT_EQ(app.mMemoryImageSet.size(), 2000u);
    for (int i = 0; i < 2000; i += 2)
        app.UnregisterImage(reinterpret_cast<MemoryImage*>(&slots[i]));
    EXPECT_EQ(app.mMemoryImageSet.size(), 1000u);
    app.mMemoryImageSet.clear();
}

TEST(MessageQueue, NothingIsQueuedAfterACloseAndTimersDoNotPileUp)
{
    CountingApp app;
    app.QueueMessage(Message(AppMessageKind::Timer));
    app.QueueMessage(Message(AppMessageKind::Timer));
    app.QueueMessage(Message(AppMessageKind::Activate, 1));
    app.QueueMessage(Message(AppMessageKind::Timer));
    app.QueueMessage(Message(AppMessageKind::Close));
    app.QueueMessage(Message(AppMessageKind::Activate, 0));
    ASSERT_EQ(app.mMessageQueue.size(), 4u);
    EXPECT_TRUE(app.DrainQueuedMessages(true));
    EXPECT_EQ(app.mMessageQueue.size(), 3u);
    EXPECT_FALSE(app.DrainQueuedMessages(false));
    EXPECT_TRUE(app.mShutdown);
}

TEST(MessageQueue, MinimisingAndFocusMuteAutomaticallyAndTellTheWidgets)
{
    CountingApp app;
    auto* widgets = app.RecordWidgets();
    app.QueueMessage(Message(AppMessageKind::Size, kSizeMinimized));
    app.DrainQueuedMessages(false);
    EXPECT_TRUE(app.mMinimized);
    EXPECT_FALSE(app.mActive);
    EXPECT_EQ(widgets->mDeactivations, 1);
    EXPECT_EQ(widgets->mReleases, 1);
    EXPECT_TRUE(app.IsMuted());
    int mutes = app.mMuteCount;
    EXPECT_EQ(app.mAutoMuteCount, mutes);

    // No widget updates while minimised.
    app.UpdateAppOnce();
    EXPECT_EQ(widgets->mUpdates, 0);

    app.QueueMessage(Message(AppMessageKind::Size, kSizeRestored));
    app.DrainQueuedMessages(false);
    EXPECT_TRUE(app.mActive);
    EXPECT_EQ(widgets->mActivations, 1);
    EXPECT_FALSE(app.IsMuted());
    EXPECT_EQ(app.mAutoMuteCount, 0);
}

TEST(MessageQueue, ATerminationRequestShutsDownAtTheNextPump)
{
    Process::InstallTerminationHandler();
    CountingApp app;
    app.mInitialized = true;
    bool updated = false;
    app.PumpStep(updated);
    EXPECT_FALSE(app.mShutdown);
    raise(SIGTERM);
    app.mPacer.mPhase = Olvarn::FramePacer::Phase::Messages;
    app.PumpStep(updated);
    EXPECT_TRUE(app.mShutdown);
}

class ResourceManifest : public testing::Test
{
protected:
    void SetUp() override
    {
        mOld = std::filesystem::current_path();
        std::filesystem::current_path(mDir.Path());
        std::filesystem::create_directories(mDir.File("properties"));
    }
    void TearDown() override { std::filesystem::current_path(mOld); }

    testsupport::TempDir mDir;
    std::filesystem::path mOld;
};

TEST_F(ResourceManifest, AReadableManifestIsTakenAndABadOneEndsTheProgramWithAFailure)
{
    mDir.WriteFile("properties/resources.xml", "<?xml version=\"1.0\"?>\n<ResourceManifest>\n</ResourceManifest>\n");
    {
        CountingApp app;
        app.LoadResourceManifest();
        EXPECT_FALSE(app.mResourceManager->HasFailed()) << app.mResourceManager->ErrorMessage();
    }
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    mDir.WriteFile("properties/resources.xml", "<ResourceManifest>\n<Resources id=\"a\">\n<Image/>\n");
    CountingApp broken;
    EXPECT_EXIT(broken.LoadResourceManifest(), testing::ExitedWithCode(1), "\\[FATAL ERROR\\] .*resources.xml");
    std::filesystem::remove(mDir.File("properties/resources.xml"));
    CountingApp missing;
    EXPECT_EXIT(missing.LoadResourceManifest(), testing::ExitedWithCode(1), "\\[FATAL ERROR\\] .*resources.xml");
}

namespace
{

// A game whose background loading throws what the case says.
class ThrowingLoaderApp : public CountingApp
{
public:
    explicit ThrowingLoaderApp(int kind) : mKind(kind) {}
    void LoadResourcesInBackground() override
    {
        if (mKind == 0)
            throw std::runtime_error("properties/config.xml is missing");
        if (mKind == 1)
            throw "properties/config.xml is missing";
        throw 42;
    }
    int mKind;
};

} // namespace

TEST(Loading, AThrowingLoaderEndsTheProgramWithItsTextInTheFatalBox)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    struct Case {
        int kind;
        const char* shown;
    };
    const Case cases[] = {
        {0, "\\[FATAL ERROR\\] properties/config.xml is missing"},
        {1, "\\[FATAL ERROR\\] properties/config.xml is missing"},
        {2, "\\[FATAL ERROR\\] Resource loading failed\\."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        ThrowingLoaderApp app(c.kind);
        app.LaunchLoader();
        app.JoinLoader();
        ASSERT_TRUE(app.mLoadingThreadCompleted);
        EXPECT_EXIT(app.UpdateAppTick(), testing::ExitedWithCode(1), c.shown);
        EXPECT_FALSE(app.mLoaded);
    }
}
