// Axis-aligned rectangles: x and y of the top-left corner, width and height; empty when either is 0.
#pragma once

#include <algorithm>
#include <type_traits>

namespace Olvarn
{

template <typename T> class TRect
{
public:
    constexpr TRect() = default;
    constexpr TRect(T x, T y, T width, T height) : mX(x), mY(y), mWidth(width), mHeight(height) {}

    // Rectangles that only touch give a zero-size rectangle on the shared edge, not an empty origin.
    constexpr TRect Intersection(const TRect& o) const
    {
        // Edges of int rectangles are worked out in 64 bits, so huge sizes cannot overflow.
        using Wide = std::conditional_t<std::is_integral_v<T>, long long, T>;
        Wide left = std::max<Wide>(mX, o.mX);
        Wide right = std::min<Wide>(Wide(mX) + mWidth, Wide(o.mX) + o.mWidth);
        Wide top = std::max<Wide>(mY, o.mY);
        Wide bottom = std::min<Wide>(Wide(mY) + mHeight, Wide(o.mY) + o.mHeight);
        if (right - left < 0 || bottom - top < 0)
            return TRect();
        return TRect(T(left), T(top), T(right - left), T(bottom - top));
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
