// The records scrollbar's thumb geometry.
#include "records/RecordsScrollGeometry.h"

#include <algorithm>
#include <cmath>

namespace tilvan
{
namespace scroll
{

int ThumbSize(int track, double page, double maximum, int imageHeight)
{
    if (!CanScroll(page, maximum) || maximum <= 0)
        return 0;
    int proportional = static_cast<int>(std::lround(track * std::max(page, 0.0) / maximum));
    return std::max(imageHeight, proportional);
}

int ThumbPosition(int upHeight, int track, int thumb, double value, double page, double maximum)
{
    if (!CanScroll(page, maximum))
        return upHeight;
    double fraction = value / (maximum - page);
    // Written so that a value that is not a number lands at the top too.
    fraction = fraction > 0 ? std::min(fraction, 1.0) : 0.0;
    return upHeight + static_cast<int>(std::lround(std::max(track - thumb, 0) * fraction));
}

double ClampValue(double value, double page, double maximum)
{
    if (!CanScroll(page, maximum) || !(value > 0))
        return 0;
    return std::min(value, maximum - page);
}

} // namespace scroll
} // namespace tilvan
