// Timing of an image's animation cells: which cell shows at a given time in milliseconds.
#pragma once

#include <vector>

namespace Olvarn
{

class ImageAnimation
{
public:
    enum Type { TYPE_NONE = 0, TYPE_ONCE = 1, TYPE_PINGPONG = 2, TYPE_LOOP = 3 };

    // Must run before the first GetCell.
    void Prepare(int numFrames, int beginDelay, int endDelay);
    int GetCell(int time) const;
    // Frame at a time within one cycle, walking the per-frame delays.
    int FindFrameByDelays(int time) const;

    int mType = TYPE_NONE;
    int mFrameDelay = 1;
    int mNumFrames = 1;
    std::vector<int> mPerFrameDelay;
    std::vector<int> mFrameMap;
    int mTotalAnimTime = 0;

private:
    void BuildPingPongMap(int numFrames);
    void ApplyBeginEndDelays(int beginDelay, int endDelay);
    void ComputeTotal();
};

} // namespace Olvarn
