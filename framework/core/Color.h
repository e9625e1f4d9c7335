// The colour every drawing operation passes around: four signed channels, packed as 0xAARRGGBB.
#pragma once

#include <cstdint>

namespace Olvarn
{

class Color
{
public:
    // Opaque black.
    constexpr Color() = default;
    // Packed 0xAARRGGBB; a top byte of 0 means opaque, so 0xRRGGBB literals need no alpha.
    constexpr Color(int packed)
        : mRed((packed >> 16) & 0xFF), mGreen((packed >> 8) & 0xFF), mBlue(packed & 0xFF),
          mAlpha(static_cast<uint32_t>(packed) < 0x1000000u ? 255 : (static_cast<uint32_t>(packed) >> 24) & 0xFF)
    {
    }
    constexpr Color(int red, int green, int blue) : mRed(red), mGreen(green), mBlue(blue) {}
    constexpr Color(int red, int green, int blue, int alpha) : mRed(red), mGreen(green), mBlue(blue), mAlpha(alpha) {}
    // A row of a widget colour table: red, green, blue.
    explicit constexpr Color(const int* rgb) : mRed(rgb[0]), mGreen(rgb[1]), mBlue(rgb[2]) {}

    constexpr int GetRed() const { return mRed; }
    constexpr int GetGreen() const { return mGreen; }
    constexpr int GetBlue() const { return mBlue; }
    constexpr int GetAlpha() const { return mAlpha; }

    // 0xAARRGGBB of the low bytes of the channels.
    constexpr uint32_t ToInt() const
    {
        return (static_cast<uint32_t>(mAlpha & 0xFF) << 24) | (static_cast<uint32_t>(mRed & 0xFF) << 16) |
               (static_cast<uint32_t>(mGreen & 0xFF) << 8) | static_cast<uint32_t>(mBlue & 0xFF);
    }

    constexpr bool operator==(const Color& o) const
    {
        return mRed == o.mRed && mGreen == o.mGreen && mBlue == o.mBlue && mAlpha == o.mAlpha;
    }
    constexpr bool operator!=(const Color& o) const { return !(*this == o); }

    // Stands for "no tint" wherever a colour modulates an image.
    static const Color White;
    static const Color Black;

    int mRed = 0;
    int mGreen = 0;
    int mBlue = 0;
    int mAlpha = 255;
};

inline constexpr Color Color::White{255, 255, 255, 255};
inline constexpr Color Color::Black{0, 0, 0, 255};

} // namespace Olvarn
