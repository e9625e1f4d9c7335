// Where the records scrollbar's thumb lies and how big it is, from the value, page and maximum; the
// scrollbar widget draws and drags by these.
#pragma once

namespace tilvan
{
namespace scroll
{

// The larger of the thumb image's height and the track's share page / maximum (rounded); 0 when
// there is nothing to scroll (the page holds everything).
int ThumbSize(int track, double page, double maximum, int imageHeight);
// Below the up button by (track - thumb) x value / (maximum - page), rounded; at the top when there is
// nothing to scroll, so a page equal to the maximum never divides by zero.
int ThumbPosition(int upHeight, int track, int thumb, double value, double page, double maximum);
// The value limited to 0 .. maximum - page (0 when the page holds everything).
double ClampValue(double value, double page, double maximum);
// The scrollbar and its buttons are usable only while the page is below the maximum.
inline bool CanScroll(double page, double maximum)
{
    return page < maximum;
}

} // namespace scroll
} // namespace tilvan
