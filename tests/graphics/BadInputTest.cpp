// Random and hostile draws through a context: nothing may be written outside the clip or the pixels.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "TestImages.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "graphics/Transform2D.h"

using namespace Olvarn;
using namespace graphicstest;

namespace
{

// A small deterministic generator, so a failure replays.
class Dice
{
public:
    uint32_t Next()
    {
        // splitmix64: consecutive draws are independent enough to mix parameters freely.
        uint64_t z = (mState += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return static_cast<uint32_t>((z ^ (z >> 31)) >> 33);
    }
    int Int(int lo, int hi) { return lo + static_cast<int>(Next() % static_cast<uint32_t>(hi - lo + 1)); }
    float Coord()
    {
        static const float kOdd[] = {NAN, INFINITY, -INFINITY, 1e30f, -1e30f, 2147483647.0f, -2147483648.0f};
        if (Int(0, 30) == 0)
            return kOdd[Int(0, 6)];
        return Int(-6, 20) + Int(0, 3) * 0.25f;
    }
    int Size() { return Int(0, 30) == 0 ? std::numeric_limits<int>::max() : Int(-2, 30); }
    int Pos() { return Int(-6, 16); }
    // Mostly a region inside the source, sometimes anything at all.
    Rect Region(const Olvarn::Image& src)
    {
        if (Int(0, 4) == 0 || src.GetWidth() == 0 || src.GetHeight() == 0)
            return Rect(Int(-3, 12), Int(-3, 12), Size(), Size());
        int x = Int(0, src.GetWidth() - 1), y = Int(0, src.GetHeight() - 1);
        return Rect(x, y, Int(1, src.GetWidth() - x), Int(1, src.GetHeight() - y));
    }

private:
    uint64_t mState = 12345;
};

MemoryImage RandomImage(Dice& dice, int w, int h)
{
    std::vector<uint32_t> bits(static_cast<size_t>(w) * h);
    for (uint32_t& p : bits) {
        int kind = dice.Int(0, 2);
        p = Argb(kind == 0   ? 0
                 : kind == 1 ? 255
                             : dice.Int(1, 254),
                 dice.Int(0, 255), dice.Int(0, 255), dice.Int(0, 255));
    }
    return FromPixels(w, h, bits);
}

void RandomDraw(Dice& dice, Graphics& g, MemoryImage* src)
{
    Rect region = dice.Region(*src);
    Color color(dice.Int(0, 255), dice.Int(0, 255), dice.Int(0, 255), dice.Int(0, 2) ? 255 : dice.Int(0, 255));
    g.SetColor(dice.Int(0, 1) ? Color::White : color);
    g.SetDrawMode(dice.Int(0, 1));
    g.SetModulateImages(dice.Int(0, 1));
    g.SetFastScaling(dice.Int(0, 1));
    switch (dice.Int(0, 9)) {
    case 0:
        g.FillRect(dice.Pos(), dice.Pos(), dice.Size(), dice.Size());
        break;
    case 1:
        g.DrawRect(dice.Pos(), dice.Pos(), dice.Size(), dice.Size());
        break;
    case 2:
        g.DrawImage(src, dice.Pos(), dice.Pos());
        break;
    case 3:
        g.DrawImageRegion(src, dice.Pos(), dice.Pos(), region);
        break;
    case 4:
        g.DrawImageAtFloat(src, dice.Coord(), dice.Coord(), region);
        break;
    case 5:
        g.DrawImageRotatedAround(src, dice.Coord(), dice.Coord(), dice.Coord(), dice.Int(0, 6), dice.Int(0, 6),
                                 &region);
        break;
    case 6:
        g.DrawImageRegionScaled(src, Rect(dice.Pos(), dice.Pos(), dice.Size(), dice.Size()), region);
        break;
    case 7: {
        Transform2D t;
        if (dice.Int(0, 1))
            t.Rotate(dice.Coord());
        else
            t.Scale(dice.Coord(), dice.Coord());
        g.DrawImageTransformed(src, t, region, dice.Coord(), dice.Coord(), dice.Int(0, 1));
        break;
    }
    case 8:
        g.DrawNineGridRegion(region, Rect(dice.Pos(), dice.Pos(), dice.Size(), dice.Size()), src);
        break;
    default:
        g.DrawImageScaled(src, dice.Pos(), dice.Pos(), dice.Size(), dice.Size());
        break;
    }
}

} // namespace

TEST(GraphicsBadInput, RandomDrawsStayInsideTheClip)
{
    Dice dice;
    int changed = 0;
    for (int round = 0; round < 20000; ++round) {
        int w = dice.Int(0, 8) ? dice.Int(1, 24) : 0, h = dice.Int(0, 8) ? dice.Int(1, 24) : 0;
        MemoryImage dest = RandomImage(dice, w, h);
        MemoryImage src = RandomImage(dice, dice.Int(0, 12), dice.Int(0, 12));
        if (dice.Int(0, 3) == 0)
            src.Palettize();
        std::vector<uint32_t> before = Pixels(dest);
        Graphics g(&dest);
        g.Translate(dice.Int(-4, 4), dice.Int(-4, 4));
        if (dice.Int(0, 1))
            g.IntersectClip(dice.Int(-2, 6), dice.Int(-2, 6), dice.Int(0, 24), dice.Int(0, 24));
        Rect clip = g.GetClipRect();
        RandomDraw(dice, g, &src);
        std::vector<uint32_t> after = Pixels(dest);
        changed += after != before;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                if (clip.Contains(x, y))
                    continue;
                ASSERT_EQ(after[y * w + x], before[y * w + x]) << "round " << round << " at " << x << "," << y;
            }
        }
        ASSERT_EQ(dest.GetBits()[dest.PixelCount()], MemoryImage::kGuardWord) << "round " << round;
    }
    // The cases must draw often enough to mean something.
    EXPECT_GT(changed, 2000);
}

TEST(MemoryImageBadInput, DirectCallsWithCarelessRectangles)
{
    // Callers of the image itself may pass clips larger than the picture and positions outside it.
    Dice dice;
    for (int round = 0; round < 20000; ++round) {
        int w = dice.Int(0, 16), h = dice.Int(0, 16);
        MemoryImage dest = RandomImage(dice, w, h);
        MemoryImage src = RandomImage(dice, dice.Int(0, 10), dice.Int(0, 10));
        Rect clip(dice.Int(-30, 10), dice.Int(-30, 10), dice.Size(), dice.Size());
        Rect region = dice.Region(src);
        Rect any(dice.Int(-30, 30), dice.Int(-30, 30), dice.Size(), dice.Size());
        auto mode = static_cast<Graphics::DrawMode>(dice.Int(0, 2));
        Color color(dice.Int(0, 255), dice.Int(0, 255), dice.Int(0, 255), dice.Int(0, 255));
        switch (dice.Int(0, 6)) {
        case 0:
            dest.FillRect(any, color, mode);
            break;
        case 1:
            dest.DrawLine(dice.Coord(), dice.Coord(), dice.Coord(), dice.Coord(), color, mode);
            break;
        case 2:
            dest.BlitImage(&src, any.mX, any.mY, region, color, mode);
            break;
        case 3:
            dest.BlitImageRotated(&src, dice.Coord(), dice.Coord(), region, clip, color, mode, dice.Coord(),
                                  dice.Coord(), dice.Coord());
            break;
        case 4:
            dest.BlitImageScaled(&src, any, region, clip, color, mode, dice.Int(0, 1));
            break;
        case 5:
            dest.ClearRect(any);
            break;
        default:
            dest.BlitImageAtFloat(&src, dice.Coord(), dice.Coord(), region, clip, color, mode);
            break;
        }
        ASSERT_EQ(dest.GetBits()[dest.PixelCount()], MemoryImage::kGuardWord) << "round " << round;
    }
}
