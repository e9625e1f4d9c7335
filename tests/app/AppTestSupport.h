// Helpers for the application tests: a clock the test drives, recording widget managers, window
// messages, and an application that counts what the main loop does.
#pragma once

#include <string>
#include <vector>

#include "app/OlvarnAppBase.h"
#include "platform/AppMessage.h"
#include "platform/Clock.h"
#include "platform/EventPump.h"
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

// A window message as the platform's event pump hands it over.
inline Olvarn::AppMessage Msg(Olvarn::AppMessageKind kind, int64_t param1 = 0, int64_t param2 = 0,
                              Olvarn::AppWindowRole window = Olvarn::AppWindowRole::Main)
{
    Olvarn::AppMessage m;
    m.mWindow = window;
    m.mKind = kind;
    m.mParam1 = param1;
    m.mParam2 = param2;
    return m;
}

inline Olvarn::AppMessage Mouse(Olvarn::AppMessageKind kind, int x, int y)
{
    return Msg(kind, 0, Olvarn::PackMousePosition(x, y));
}

// Logs every input call the application makes to its widgets; keys also go to the real key table
// (Ctrl+Alt+D reads it).
class InputLogWidgets : public Olvarn::WidgetManager
{
public:
    explicit InputLogWidgets(Olvarn::OlvarnAppBase* app) : WidgetManager(app) {}
    bool OnMouseMove(int x, int y) override { return Note("move " + Pos(x, y)); }
    bool OnMouseDown(int x, int y, int code) override
    {
        mDownButtons |= ButtonBitForClickCode(code);
        return Note("down " + Pos(x, y) + " " + std::to_string(code));
    }
    bool OnMouseUp(int x, int y, int code) override
    {
        mDownButtons &= ~ButtonBitForClickCode(code);
        return Note("up " + Pos(x, y) + " " + std::to_string(code));
    }
    bool OnMouseWheel(int delta) override { return Note("wheel " + std::to_string(delta)); }
    bool OnMouseLeftWindow() override { return Note("left window"); }
    bool OnKeyDown(int key) override
    {
        Note("keydown " + std::to_string(key));
        return WidgetManager::OnKeyDown(key);
    }
    bool OnKeyUp(int key) override
    {
        Note("keyup " + std::to_string(key));
        return WidgetManager::OnKeyUp(key);
    }
    bool OnChar(char c) override { return Note("char " + std::to_string(static_cast<unsigned char>(c))); }
    void OnAppActivated() override { Note("activated"); }
    void OnAppDeactivated() override { Note("deactivated"); }

    // The log so far as one line; the log starts again.
    std::string Take()
    {
        std::string text;
        for (const std::string& entry : mLog)
            text += (text.empty() ? "" : ", ") + entry;
        mLog.clear();
        return text;
    }
    std::vector<std::string> mLog;

protected:
    // What stands before each entry.
    virtual std::string Stamp() const { return ""; }
    bool Note(const std::string& entry)
    {
        mLog.push_back(Stamp() + entry);
        return true;
    }
    static std::string Pos(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }
};

} // namespace apptest
