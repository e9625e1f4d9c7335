// Slider: thumb placement, dragging from the grab point with clamping, the report on release, and
// the three-cel track.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "WidgetTestSupport.h"
#include "widgets/Slider.h"
#include "widgets/SliderValueListener.h"

using namespace Olvarn;
using namespace widgettest;

namespace
{

class RecordingSlider : public SliderValueListener
{
public:
    void SliderValueChanged(int id, double value) override { values.push_back(value); }
    std::vector<double> values;
};

class SliderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        thumb.reset(NewCanvas(20, 10, 0xFFFF0000));
        slider.Resize(0, 0, 200, 20);
        slider.SetValue(0.5);
    }
    std::unique_ptr<MemoryImage> thumb;
    RecordingSlider listener;
    Slider slider{nullptr, nullptr, 4, &listener};
};

TEST_F(SliderTest, DraggingReportsEveryChangeAndTheReleaseOnceMore)
{
    slider.mThumbImage = thumb.get();
    // The thumb sits at (200 - 20) x 0.5 = 90; a press beside it does nothing.
    slider.OnMouseDown(80, 10, 1);
    EXPECT_FALSE(slider.mDragging);
    slider.OnMouseDrag(150, 10);
    EXPECT_EQ(slider.mValue, 0.5);

    slider.OnMouseDown(95, 10, 1);
    EXPECT_TRUE(slider.mDragging);
    EXPECT_EQ(slider.mDragOffset, 5);
    slider.OnMouseDrag(95, 10);
    EXPECT_TRUE(listener.values.empty());
    slider.OnMouseDrag(131, 10);
    slider.OnMouseDrag(1000, 10);
    slider.OnMouseDrag(2000, 10);
    slider.OnMouseDrag(-50, 10);
    slider.OnMouseUpAt(-50, 10);
    EXPECT_FALSE(slider.mDragging);
    EXPECT_EQ(listener.values, (std::vector<double>{0.7, 1.0, 0.0, 0.0}));
}

TEST_F(SliderTest, ReleaseWithoutDragStillReports)
{
    slider.mThumbImage = thumb.get();
    slider.OnMouseUpAt(10, 10);
    EXPECT_EQ(listener.values, (std::vector<double>{0.5}));
}

TEST_F(SliderTest, ThumbAsWideAsTheSliderCannotBeDragged)
{
    std::unique_ptr<MemoryImage> wide(NewCanvas(200, 10, 0xFFFF0000));
    slider.mThumbImage = wide.get();
    slider.OnMouseDown(10, 10, 1);
    slider.OnMouseDrag(60, 10);
    EXPECT_EQ(slider.mValue, 0.5);
}

TEST_F(SliderTest, DrawsTrackEndsRepeatedMiddleAndThumb)
{
    // Track cels of 10 pixels: red, green, blue.
    std::unique_ptr<MemoryImage> track(NewCanvas(30, 4, 0xFFFF0000));
    for (int y = 0; y < 4; ++y)
        for (int x = 10; x < 30; ++x)
            track->GetBits()[y * 30 + x] = x < 20 ? 0xFF00FF00 : 0xFF0000FF;
    track->BitsChanged();
    slider.mTrackImage = track.get();
    slider.mThumbImage = thumb.get();
    slider.SetValue(0.0);
    std::unique_ptr<MemoryImage> canvas(NewCanvas(200, 20, 0xFF000000));
    Graphics g(canvas.get());
    slider.Draw(g);
    // The thumb covers x 0..19, y 5..14; the track y 8..11.
    EXPECT_EQ(At(*canvas, 5, 6), 0xFF0000u);
    EXPECT_EQ(At(*canvas, 25, 6), 0x000000u);
    EXPECT_EQ(At(*canvas, 25, 9), 0x00FF00u);
    EXPECT_EQ(At(*canvas, 100, 9), 0x00FF00u);
    EXPECT_EQ(At(*canvas, 189, 9), 0x00FF00u);
    EXPECT_EQ(At(*canvas, 195, 9), 0x0000FFu);
    EXPECT_EQ(At(*canvas, 100, 7), 0x000000u);
    EXPECT_EQ(At(*canvas, 100, 12), 0x000000u);
}

} // namespace
