// The records scrollbar's thumb: sizes, positions and clamping, including a page that holds every row.
#include <gtest/gtest.h>

#include <limits>

#include "records/RecordsScrollGeometry.h"

using namespace tilvan::scroll;

TEST(ScrollGeometry, Thumb)
{
    struct Case {
        const char* what;
        double value, page, maximum;
        int size, position;
        double clamped;
    } cases[] = {
        // Track 200 below a 20-pixel up button, thumb image 30 high.
        {"page equals maximum", 5, 10, 10, 0, 20, 0},
        {"page over maximum", 3, 12, 10, 0, 20, 0},
        {"empty table", 0, 10, 0, 0, 20, 0},
        {"top", 0, 10, 100, 30, 20, 0},
        {"bottom", 90, 10, 100, 30, 190, 90},
        {"past the bottom", 95, 10, 100, 30, 190, 90},
        {"middle", 45, 10, 100, 30, 105, 45},
        {"proportional beats the image", 0, 50, 100, 100, 20, 0},
        {"negative value", -4, 10, 100, 30, 20, 0},
        {"not a number", std::numeric_limits<double>::quiet_NaN(), 10, 100, 30, 20, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int size = ThumbSize(200, c.page, c.maximum, 30);
        EXPECT_EQ(size, c.size);
        EXPECT_EQ(ThumbPosition(20, 200, size, c.value, c.page, c.maximum), c.position);
        EXPECT_EQ(ClampValue(c.value, c.page, c.maximum), c.clamped);
    }
    EXPECT_FALSE(CanScroll(10, 10));
    EXPECT_TRUE(CanScroll(10, 100));
}
