// The application's choices the display device starts with.
#pragma once

namespace Olvarn
{

struct DisplayOptions {
    int mWidth = 640;
    int mHeight = 480;
    int mColorDepth = 16;
    bool mWaitForVSync = false;
    bool mSoftVSyncWait = true;
    bool mUsePageFlipping = true;
    // The 3D acceptance test runs when either is set.
    bool mTest3D = false;
    bool mAuto3D = false;
    // Megabytes of video memory the acceptance test requires and recommends.
    unsigned mMinVidMemory = 6;
    unsigned mRecVidMemory = 14;
};

} // namespace Olvarn
