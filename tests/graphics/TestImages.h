// Small helpers for the graphics tests: images from pixel lists, pixel access, a fixed-metrics font.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"

namespace graphicstest
{

inline uint32_t Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b)
{
    return (a << 24) | (r << 16) | (g << 8) | b;
}

// An image of the given size filled with one pixel value.
inline Olvarn::MemoryImage Filled(int width, int height, uint32_t pixel)
{
    Olvarn::MemoryImage image;
    std::vector<uint32_t> bits(static_cast<size_t>(width) * height, pixel);
    image.SetBits(bits.data(), width, height);
    return image;
}

inline Olvarn::MemoryImage FromPixels(int width, int height, const std::vector<uint32_t>& bits)
{
    Olvarn::MemoryImage image;
    image.SetBits(bits.data(), width, height);
    return image;
}

inline uint32_t At(Olvarn::MemoryImage& image, int x, int y)
{
    return image.GetBits()[y * image.mWidth + x];
}

inline std::vector<uint32_t> Pixels(Olvarn::MemoryImage& image)
{
    uint32_t* bits = image.GetBits();
    return std::vector<uint32_t>(bits, bits + image.PixelCount());
}

// Every character is 10 pixels wide; records what it is asked to draw.
class FixedFont : public Olvarn::Font
{
public:
    struct Drawn {
        int x, y;
        std::string text;
        Olvarn::Color color;
        bool white;
    };

    FixedFont()
    {
        mAscent = 12;
        mAscentPadding = 2;
        mHeight = 16;
        mLineSpacingOffset = 2;
    }

    int TextWidth(const std::string& text) override { return 10 * static_cast<int>(text.size()); }
    void DrawText(Olvarn::Graphics*, int x, int y, const std::string& text, const Olvarn::Color& color,
                  const Olvarn::Rect&) override
    {
        drawn.push_back({x, y, text, color, false});
    }
    void DrawTextWhite(Olvarn::Graphics*, int x, int y, const std::string& text, const Olvarn::Rect&) override
    {
        drawn.push_back({x, y, text, Olvarn::Color::White, true});
    }
    Font* Clone() override { return new FixedFont(*this); }

    std::string Texts() const
    {
        std::string all;
        for (size_t i = 0; i < drawn.size(); ++i)
            all += (i ? "|" : "") + drawn[i].text;
        return all;
    }

    std::vector<Drawn> drawn;
};

} // namespace graphicstest
