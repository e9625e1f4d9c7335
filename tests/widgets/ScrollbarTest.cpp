// Scrollbar: thumb geometry and clamping, the nothing-to-scroll state, track paging with its repeat
// delays, arrow repeat and thumb dragging.
#include <gtest/gtest.h>

#include <vector>

#include "WidgetTestSupport.h"
#include "widgets/ScrollListener.h"
#include "widgets/ScrollbarWidget.h"
#include "widgets/ScrollbuttonWidget.h"

using namespace Olvarn;

namespace
{

class RecordingScroll : public ScrollListener
{
public:
    void ScrollPosition(int id, double position) override { reports.push_back(position); }
    std::vector<double> reports;
};

// A vertical bar 20 wide and 220 high: arrows of 20, a track of 180.
class ScrollbarTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        bar.ResizeScrollbar(0, 0, 20, 220);
        bar.SetMaxValue(100);
        bar.SetPageSize(10);
        listener.reports.clear();
    }
    RecordingScroll listener;
    ScrollbarWidget bar{7, &listener};
};

TEST_F(ScrollbarTest, ThumbIsProportionalAndValueClampsToRangeMinusPage)
{
    EXPECT_EQ(bar.GetTrackSize(), 180);
    EXPECT_EQ(bar.GetThumbSize(), 18);
    EXPECT_EQ(bar.GetThumbPosition(), 20);
    EXPECT_FALSE(bar.mIsDisabled);
    EXPECT_FALSE(bar.mUpButton->mIsDisabled);

    bar.SetValue(1000);
    EXPECT_EQ(bar.mValue, 90);
    // The clamp reports the corrected value, then SetValue reports it once more.
    EXPECT_EQ(listener.reports, (std::vector<double>{90, 90}));
    EXPECT_EQ(bar.GetThumbPosition(), 20 + 162);

    bar.SetValue(89);
    EXPECT_TRUE(bar.AtBottom());
    bar.SetValue(88.5);
    EXPECT_FALSE(bar.AtBottom());
    bar.SetValue(-5);
    EXPECT_EQ(bar.mValue, 0);
}

TEST_F(ScrollbarTest, SmallRangeStillGetsTheMinimumThumb)
{
    bar.SetMaxValue(1000);
    bar.SetPageSize(5);
    EXPECT_EQ(bar.GetThumbSize(), ScrollbarWidget::kMinThumbSize);
}

TEST_F(ScrollbarTest, NothingToScrollDisablesHidesAndNeverDividesByZero)
{
    struct Case {
        double maxValue, pageSize;
    };
    for (Case c : {Case{10, 10}, Case{10, 20}, Case{0, 0}}) {
        SCOPED_TRACE(testing::Message() << c.maxValue << "/" << c.pageSize);
        bar.SetInvisibleWhenNoScroll(false);
        bar.SetValue(0);
        bar.SetMaxValue(c.maxValue);
        bar.SetPageSize(c.pageSize);
        EXPECT_TRUE(bar.mIsDisabled);
        EXPECT_TRUE(bar.mUpButton->mIsDisabled);
        EXPECT_TRUE(bar.mDownButton->mIsDisabled);
        EXPECT_EQ(bar.GetThumbSize(), 0);
        EXPECT_EQ(bar.GetThumbPosition(), 20);
        bar.SetThumbPosition(100);
        EXPECT_EQ(bar.mValue, 0);

        bar.SetInvisibleWhenNoScroll(true);
        bar.SetPageSize(c.pageSize);
        EXPECT_FALSE(bar.mIsVisible);
        EXPECT_FALSE(bar.mUpButton->mIsVisible);
        EXPECT_FALSE(bar.mDownButton->mIsVisible);
    }
    bar.SetMaxValue(100);
    bar.SetPageSize(10);
    EXPECT_TRUE(bar.mIsVisible);
    EXPECT_FALSE(bar.mIsDisabled);
}

TEST_F(ScrollbarTest, ThumbFillingTheTrackCannotBeDragged)
{
    // A track of 6 pixels holds nothing but the minimum thumb of 8.
    bar.ResizeScrollbar(0, 0, 20, 46);
    bar.SetValue(30);
    bar.SetThumbPosition(25);
    EXPECT_EQ(bar.mValue, 30);
}

TEST_F(ScrollbarTest, HeldTrackPagesAtOnceAfter25UpdatesThenEvery5UntilTheThumbArrives)
{
    bar.SetValue(50);
    bar.OnMouseDown(10, 195, 1);
    EXPECT_EQ(bar.mValue, 60);
    EXPECT_EQ(bar.mPagingState, ScrollbarWidget::kPagingForward);
    std::vector<int> changedAt;
    double last = bar.mValue;
    for (int update = 1; update <= 60; ++update) {
        bar.Update();
        if (bar.mValue != last)
            changedAt.push_back(update);
        last = bar.mValue;
    }
    EXPECT_EQ(changedAt, (std::vector<int>{25, 30, 35}));
    EXPECT_EQ(bar.mValue, 90);
    EXPECT_EQ(bar.mPagingState, ScrollbarWidget::kPagingNone);
}

TEST_F(ScrollbarTest, PagingBackStopsWhenTheThumbReachesThePoint)
{
    bar.SetValue(90);
    bar.OnMouseDown(10, 100, 1);
    EXPECT_EQ(bar.mValue, 80);
    EXPECT_EQ(bar.mPagingState, ScrollbarWidget::kPagingBack);
    for (int update = 0; update < 100; ++update)
        bar.Update();
    EXPECT_EQ(bar.mPagingState, ScrollbarWidget::kPagingNone);
    EXPECT_LE(bar.GetThumbPosition(), 100);
    EXPECT_GT(bar.GetThumbPosition() + bar.GetThumbSize(), 100);
    bar.OnMouseUpAt(10, 100);
    EXPECT_EQ(bar.mPagingState, ScrollbarWidget::kPagingNone);
}

TEST_F(ScrollbarTest, HeldArrowStepsAtThePressThenEveryUpdateFromThe25th)
{
    bar.OnButtonPress(1);
    EXPECT_EQ(bar.mValue, 1);
    for (int i = 0; i < 24; ++i)
        bar.OnButtonHeld(1);
    EXPECT_EQ(bar.mValue, 1);
    bar.OnButtonHeld(1);
    EXPECT_EQ(bar.mValue, 2);
    bar.OnButtonHeld(1);
    bar.OnButtonHeld(1);
    EXPECT_EQ(bar.mValue, 4);
    bar.OnButtonPress(0);
    EXPECT_EQ(bar.mValue, 3);
}

TEST_F(ScrollbarTest, DraggingTheThumbFollowsTheMouseFromTheGrabPoint)
{
    bar.SetValue(45);
    int thumb = bar.GetThumbPosition();
    ASSERT_EQ(thumb, 101);
    bar.OnMouseDown(10, thumb + 4, 1);
    EXPECT_TRUE(bar.mThumbDragging);
    bar.OnMouseDrag(10, thumb + 4);
    EXPECT_EQ(bar.mValue, 45);
    bar.OnMouseDrag(10, thumb + 4 + 81);
    EXPECT_EQ(bar.mValue, 90);
    bar.OnMouseDrag(10, 0);
    EXPECT_EQ(bar.mValue, 0);
    bar.OnMouseUpAt(10, 0);
    EXPECT_FALSE(bar.mThumbDragging);
}

TEST_F(ScrollbarTest, DisabledBarIgnoresPressesButKeepsThePoint)
{
    bar.SetPageSize(200);
    bar.OnMouseDown(10, 200, 1);
    EXPECT_EQ(bar.mPagingState, ScrollbarWidget::kPagingNone);
    EXPECT_FALSE(bar.mThumbDragging);
    EXPECT_EQ(bar.mLastY, 200);
}

TEST_F(ScrollbarTest, HorizontalBarPlacesArrowsAtTheEnds)
{
    bar.SetHorizontal(true);
    bar.ResizeScrollbar(0, 0, 220, 20);
    EXPECT_TRUE(bar.mUpButton->mHorizontal);
    EXPECT_EQ(bar.mDownButton->mX, 200);
    EXPECT_EQ(bar.GetTrackSize(), 180);
    EXPECT_EQ(bar.ThumbCompare(10, 500), -1);
    EXPECT_EQ(bar.ThumbCompare(25, 0), 0);
    EXPECT_EQ(bar.ThumbCompare(38, 0), 1);
}

TEST_F(ScrollbarTest, DrawShowsTheHeldTrackDarkAndTheThumbRaised)
{
    std::unique_ptr<MemoryImage> canvas(widgettest::NewCanvas(20, 220, 0xFF000000));
    Graphics g(canvas.get());
    bar.SetValue(45); // thumb at 101..118
    bar.mPagingState = ScrollbarWidget::kPagingBack;
    bar.Draw(g);
    EXPECT_EQ(widgettest::At(*canvas, 10, 60), 0x303030u);
    EXPECT_EQ(widgettest::At(*canvas, 10, 150), 0xE8E8E8u);
    EXPECT_EQ(widgettest::At(*canvas, 10, 110), 0xD4D4D4u);
    EXPECT_EQ(widgettest::At(*canvas, 1, 102), 0xFFFFFFu);
    EXPECT_EQ(widgettest::At(*canvas, 19, 110), 0x000000u);
}

} // namespace
