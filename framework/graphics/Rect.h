// Axis-aligned rectangles: x and y of the top-left corner, width and height; empty when either is 0.
#pragma once

#include <algorithm>

namespace Olvarn {

template <typename T>
class TRect {
public:
    constexpr TRect() = default;
    constexpr TRect(T x, T y, T width, T height) : mX(x), mY(y), mWidth(width), mHeight(height) {}

    // Rectangles that only touch give a zero-size rectangle on the shared edge, not an empty origin.
    constexpr TRect Intersection(const TRect& o) const
    {
        T left = std::max(mX, o.mX);
        T right = std::min(mX + mWidth, o.mX + o.mWidth);
        T top = std::max(mY, o.mY);
        T bottom = std::min(mY + mHeight, o.mY + o.mHeight);
        if (right - left < 0 || bottom - top < 0)
            return TRect();
        return TRect(left, top, right - left, bottom - top);
    }

    constexpr bool Contains(T x, T y) const { return x >= mX && y >= mY && x < mX + mWidth && y < mY + mHeight; }
    constexpr bool operator==(const TRect& o) const
    {
        return mX == o.mX && mY == o.mY && mWidth == o.mWidth && mHeight == o.mHeight;
    }
    constexpr bool operator!=(const TRect& o) const { return !(*this == o); }

    void Clear() { *this = TRect(); }

    T mX = 0;
    T mY = 0;
    T mWidth = 0;
    T mHeight = 0;
};

using Rect = TRect<int>;
using FRect = TRect<double>;

} // namespace Olvarn
