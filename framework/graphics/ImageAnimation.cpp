#include "graphics/ImageAnimation.h"

#include <algorithm>
#include <numeric>

namespace Olvarn
{

void ImageAnimation::Prepare(int numFrames, int beginDelay, int endDelay)
{
    mNumFrames = numFrames > 0 ? numFrames : 1;
    if (mFrameDelay <= 0)
        mFrameDelay = 1;
    if (mType == TYPE_PINGPONG && mNumFrames > 1)
        BuildPingPongMap(mNumFrames);
    if (!mFrameMap.empty())
        mNumFrames = static_cast<int>(mFrameMap.size());
    ApplyBeginEndDelays(beginDelay, endDelay);
    ComputeTotal();
}

void ImageAnimation::BuildPingPongMap(int numFrames)
{
    mFrameMap.clear();
    for (int i = 0; i < numFrames; ++i)
        mFrameMap.push_back(i);
    for (int i = numFrames - 2; i >= 1; --i)
        mFrameMap.push_back(i);
}

void ImageAnimation::ApplyBeginEndDelays(int beginDelay, int endDelay)
{
    if (beginDelay > 0) {
        if (mPerFrameDelay.empty())
            mPerFrameDelay.resize(1);
        mPerFrameDelay[0] = beginDelay;
    }
    if (endDelay > 0) {
        if (static_cast<int>(mPerFrameDelay.size()) < mNumFrames)
            mPerFrameDelay.resize(mNumFrames);
        mPerFrameDelay[mNumFrames - 1] = endDelay;
    }
}

void ImageAnimation::ComputeTotal()
{
    if (mPerFrameDelay.empty()) {
        mTotalAnimTime = mNumFrames * mFrameDelay;
        return;
    }
    mPerFrameDelay.resize(mNumFrames, 0);
    for (int& delay : mPerFrameDelay) {
        if (delay < 1)
            delay = mFrameDelay;
    }
    mTotalAnimTime = std::accumulate(mPerFrameDelay.begin(), mPerFrameDelay.end(), 0);
}

int ImageAnimation::FindFrameByDelays(int time) const
{
    if (mNumFrames <= 0)
        return mNumFrames - 1;
    int count = std::min(mNumFrames, static_cast<int>(mPerFrameDelay.size()));
    for (int i = 0; i < count; ++i) {
        time -= mPerFrameDelay[i];
        if (time < 0)
            return i;
    }
    return mNumFrames - 1;
}

int ImageAnimation::GetCell(int time) const
{
    if (mType == TYPE_ONCE && time >= mTotalAnimTime)
        return mFrameMap.empty() ? mNumFrames - 1 : mFrameMap.back();
    // A record used before Prepare has no cycle length; show its first frame rather than divide by 0.
    int t = mTotalAnimTime > 0 ? time % mTotalAnimTime : 0;
    if (t < 0)
        t += mTotalAnimTime;
    int frame;
    if (!mPerFrameDelay.empty())
        frame = FindFrameByDelays(t);
    else
        frame = (t / (mFrameDelay > 0 ? mFrameDelay : 1)) % (mNumFrames > 0 ? mNumFrames : 1);
    if (!mFrameMap.empty() && frame >= 0 && frame < static_cast<int>(mFrameMap.size()))
        return mFrameMap[frame];
    return frame;
}

} // namespace Olvarn
