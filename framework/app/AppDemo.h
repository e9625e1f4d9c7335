// The application's demo state: the event stream being written or played, the playback position and
// the fast-forward. The operations on it are members of the application (AppDemo.cpp).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app/DemoFile.h"
#include "app/DemoStream.h"
#include "core/Buffer.h"

namespace Olvarn
{

class DemoOverlay;

struct DemoState {
    DemoState() : mWriter(mBuffer), mReader(mBuffer) {}
    DemoState(const DemoState&) = delete;
    DemoState& operator=(const DemoState&) = delete;

    Buffer mBuffer;
    DemoStreamWriter mWriter;
    DemoStreamReader mReader;

    // A close arrived during playback: synchronised operations stop taking events.
    bool mSyncEnded = false;
    // Playback: the recording's loading hand-over has been played.
    bool mLoadingDoneSeen = false;
    // Playback: the update count at which the recording ended.
    int mTotalUpdates = 0;
    // Fast-forward until the update count reaches the target, or without end.
    int mJumpTarget = 0;
    bool mJumpToEnd = false;
    bool mForceOneDraw = false;
    // Sound was silenced for the fast-forward and is given back when it ends.
    bool mJumpMuted = false;
    bool mHaveFastForwardDraw = false;
    int mLastFastForwardDraw = 0;
    std::vector<DemoLabel> mLabels;
    // The playback overlay open now; it takes the real input while its loop runs.
    DemoOverlay* mOverlay = nullptr;
    // The key of an overlay asked for ('J' or 'L'); it opens once the messages of the pass are handled,
    // so the keys typed after it reach the box and not the window procedure it was asked from.
    int mPendingOverlay = 0;
    // Synchronised reads that met another event than the one asked for, and sync events the player
    // met out of step; both mean the replay has left the recording's course.
    int mDesyncs = 0;
    // The stream reached the size a demo file may hold: recording stopped at this update.
    bool mFull = false;
    int mFullAt = 0;

    // "-recnum" and "-playnum" name their file only once the program stands in its own folder.
    enum class Numbered { None, Record, Play };
    Numbered mNumbered = Numbered::None;
    // "-recnum": how many recordings to keep; "-playnum": how many back from the newest.
    int mNumberedCount = 0;
    // "-demofile" named the file (relative to where the program was started).
    bool mFileFromCommandLine = false;

    // The determinism check: per-update state hashes go to this file when it is named.
    std::string mCheckPath;
    std::FILE* mCheckFile = nullptr;
};

// The number N of a file name base + N + ".dmo" (case ignored); false for any other name.
bool ParseDemoNumber(const std::string& name, const std::string& base, int& number);

} // namespace Olvarn
