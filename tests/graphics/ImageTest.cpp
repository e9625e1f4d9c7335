// Image cells and animation timing.
#include <gtest/gtest.h>

#include "graphics/Image.h"
#include "graphics/ImageAnimation.h"

using namespace Olvarn;

TEST(ImageCells, CellRectCountsRowByRow)
{
    Image image;
    image.mWidth = 64;
    image.mHeight = 32;
    image.mNumRows = 2;
    image.mNumCols = 4;
    EXPECT_EQ(image.GetCellRect(5), Rect(16, 16, 16, 16));
    EXPECT_EQ(image.GetCellWidth(), 16);
    EXPECT_EQ(image.GetCellHeight(), 16);
}

TEST(ImageCells, AnimationCellWithoutRecordIsZero)
{
    Image image;
    for (int t : {0, 1, 999, 123456})
        EXPECT_EQ(image.GetAnimationCell(t), 0);
}

TEST(ImageCells, CopyCellLayoutCopiesTheRecordIndependently)
{
    Image a, b;
    a.mNumRows = 3;
    a.mNumCols = 2;
    a.mAnimation = new ImageAnimation;
    a.mAnimation->mType = ImageAnimation::TYPE_LOOP;
    a.mAnimation->mFrameDelay = 10;
    a.mAnimation->Prepare(3, 0, 0);
    b.CopyCellLayout(&a);
    b.CopyCellLayout(&b);
    ASSERT_NE(b.mAnimation, nullptr);
    EXPECT_NE(b.mAnimation, a.mAnimation);
    EXPECT_EQ(b.mNumRows, 3);
    EXPECT_EQ(b.GetAnimationCell(25), 2);

    Image c(a);
    ASSERT_NE(c.mAnimation, nullptr);
    EXPECT_NE(c.mAnimation, a.mAnimation);
    b.CopyCellLayout(&c);
    Image none;
    b.CopyCellLayout(&none);
    EXPECT_EQ(b.mAnimation, nullptr);
}

namespace
{

ImageAnimation Prepared(int type, int frameDelay, int frames, std::vector<int> perFrame = {}, int begin = 0,
                        int end = 0)
{
    ImageAnimation anim;
    anim.mType = type;
    anim.mFrameDelay = frameDelay;
    anim.mPerFrameDelay = std::move(perFrame);
    anim.Prepare(frames, begin, end);
    return anim;
}

} // namespace

TEST(ImageAnimation, PingPongBuildsTheReturnMap)
{
    ImageAnimation anim = Prepared(ImageAnimation::TYPE_PINGPONG, 100, 4);
    EXPECT_EQ(anim.mFrameMap, (std::vector<int>{0, 1, 2, 3, 2, 1}));
    EXPECT_EQ(anim.mTotalAnimTime, 600);
    EXPECT_EQ(anim.GetCell(650), 0);
    EXPECT_EQ(anim.GetCell(450), 2);
    EXPECT_EQ(anim.GetCell(599), 1);
}

TEST(ImageAnimation, OnceStopsOnTheLastFrame)
{
    ImageAnimation anim = Prepared(ImageAnimation::TYPE_ONCE, 50, 3);
    EXPECT_EQ(anim.GetCell(149), 2);
    for (int t : {150, 151, 10000})
        EXPECT_EQ(anim.GetCell(t), 2) << t;
}

TEST(ImageAnimation, PerFrameDelaysFillZerosAndFindFrames)
{
    ImageAnimation anim = Prepared(ImageAnimation::TYPE_LOOP, 20, 3, {10, 0, 30});
    EXPECT_EQ(anim.mPerFrameDelay, (std::vector<int>{10, 20, 30}));
    EXPECT_EQ(anim.mTotalAnimTime, 60);
    EXPECT_EQ(anim.GetCell(29), 1);
    EXPECT_EQ(anim.GetCell(9), 0);
    EXPECT_EQ(anim.GetCell(59), 2);
    EXPECT_EQ(anim.GetCell(60), 0);
    EXPECT_EQ(anim.FindFrameByDelays(1000), 2);
}

TEST(ImageAnimation, BeginAndEndDelays)
{
    ImageAnimation begin = Prepared(ImageAnimation::TYPE_LOOP, 100, 3, {}, 500);
    EXPECT_EQ(begin.mPerFrameDelay, (std::vector<int>{500, 100, 100}));
    EXPECT_EQ(begin.mTotalAnimTime, 700);

    ImageAnimation end = Prepared(ImageAnimation::TYPE_LOOP, 100, 3, {}, 0, 40);
    EXPECT_EQ(end.mPerFrameDelay, (std::vector<int>{100, 100, 40}));
    EXPECT_EQ(end.mTotalAnimTime, 240);
}

TEST(ImageAnimation, DegenerateInputs)
{
    ImageAnimation zero = Prepared(ImageAnimation::TYPE_LOOP, 0, 0);
    EXPECT_EQ(zero.mNumFrames, 1);
    EXPECT_EQ(zero.mFrameDelay, 1);
    EXPECT_EQ(zero.GetCell(5), 0);

    // A map given by the manifest sets the frame count; an unprepared record answers without dividing by 0.
    ImageAnimation mapped;
    mapped.mType = ImageAnimation::TYPE_LOOP;
    mapped.mFrameDelay = 10;
    mapped.mFrameMap = {3, 1};
    mapped.Prepare(5, 0, 0);
    EXPECT_EQ(mapped.mNumFrames, 2);
    EXPECT_EQ(mapped.GetCell(15), 1);
    ImageAnimation unprepared;
    EXPECT_EQ(unprepared.GetCell(7), 0);
}
