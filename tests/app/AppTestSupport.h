// Helpers for the application tests: a clock the test drives, a recording widget manager, and an
// application that counts what the main loop does.
#pragma once

#include <vector>

#include "app/OlvarnAppBase.h"
#include "platform/Clock.h"
#include "widgets/Widget.h"
#include "widgets/WidgetManager.h"

namespace apptest
{

// Time moves only when the code sleeps or the test advances it.
class ManualClock : public Olvarn::Clock
{
public:
    int NowMs() override { return mNow; }
    uint32_t TickCount() override { return static_cast<uint32_t>(mNow) + 1000; }
    void SleepMs(int ms) override
    {
        if (ms > 0) {
            mNow += ms;
            mSlept += ms;
            ++mSleeps;
        }
    }
    void Advance(int ms) { mNow += ms; }

    int mNow = 0;
    int mSlept = 0;
    int mSleeps = 0;
};

// Counts what the application asks of its widget tree; DrawWidgets reports a drawing as told.
class RecordingWidgetManager : public Olvarn::WidgetManager
{
public:
    explicit RecordingWidgetManager(Olvarn::OlvarnAppBase* app) : WidgetManager(app) {}
    void SetScreenSize(int width, int height) override
    {
        mWidth = width;
        mHeight = height;
    }
    bool UpdateWidgets() override
    {
        ++mUpdates;
        return true;
    }
    bool UpdateWidgetsFraction(float fraction) override
    {
        mFractions.push_back(fraction);
        return true;
    }
    bool DrawWidgets() override
    {
        ++mDraws;
        return mDrawSomething;
    }
    void OnAppActivated() override { ++mActivations; }
    void OnAppDeactivated() override { ++mDeactivations; }
    void ReleaseMouseButtons() override { ++mReleases; }

    int mWidth = 0, mHeight = 0, mUpdates = 0, mDraws = 0;
    int mActivations = 0, mDeactivations = 0, mReleases = 0;
    bool mDrawSomething = true;
    std::vector<float> mFractions;
};

// An application on a manual clock that notes the update count at every draw attempt.
class CountingApp : public Olvarn::OlvarnAppBase
{
public:
    CountingApp() { SetClock(&mTestClock); }
    // The test clock goes before the base destructor runs, which may still read the time.
    ~CountingApp() override { SetClock(nullptr); }

    RecordingWidgetManager* RecordWidgets()
    {
        delete mWidgetManager;
        auto* widgets = new RecordingWidgetManager(this);
        mWidgetManager = widgets;
        return widgets;
    }

    bool DrawFrame() override
    {
        mDrawAttempts.push_back(mUpdateCount);
        return OlvarnAppBase::DrawFrame();
    }

    // Pumps until the clock reaches the time; false when it took more passes than a non-spinning
    // loop could need.
    bool PumpUntil(int time, int maxPasses = 20000)
    {
        for (int pass = 0; pass < maxPasses; ++pass) {
            if (mTestClock.mNow >= time)
                return true;
            bool updated = false;
            PumpStep(updated);
        }
        return false;
    }

    ManualClock mTestClock;
    std::vector<int> mDrawAttempts;
};

} // namespace apptest
