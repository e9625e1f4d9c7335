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
        mState = mState * 214013u + 2531011u;
        return (mState >> 16) & 0x7FFF;
    }
    int Int(int lo, int hi) { return lo + static_cast<int>(Next() % static_cast<uint32_t>(hi - lo + 1)); }
    float Coord()
    {
        static const float kOdd[] = {NAN, INFINITY, -INFINITY, 1e30f, -1e30f, 2147483647.0f, -2147483648.0f};
        if (Int(0, 30) == 0)
            return kOdd[Int(0, 6)];
        return Int(-40, 80) + Int(0, 3) * 0.25f;
    }
    int Size() { return Int(0, 30) == 0 ? std::numeric_limits<int>::max() : Int(-2, 40); }

private:
    uint32_t mState = 12345;
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
    Rect region(dice.Int(-3, 12), dice.Int(-3, 12), dice.Size(), dice.Size());
    Color color(dice.Int(0, 255), dice.Int(0, 255), dice.Int(0, 255), dice.Int(0, 2) ? 255 : dice.Int(0, 255));
    g.SetColor(dice.Int(0, 1) ? Color::White : color);
    g.SetDrawMode(dice.Int(0, 1));
    g.SetModulateImages(dice.Int(0, 1));
    g.SetFastScaling(dice.Int(0, 1));
    switch (dice.Int(0, 9)) {
    case 0:
        g.FillRect(dice.Int(-50, 50), dice.Int(-50, 50), dice.Size(), dice.Size());
        break;
    case 1:
        g.DrawRect(dice.Int(-50, 50), dice.Int(-50, 50), dice.Size(), dice.Size());
        break;
    case 2:
        g.DrawImage(src, dice.Int(-50, 50), dice.Int(-50, 50));
        break;
    case 3:
        g.DrawImageRegion(src, dice.Int(-50, 50), dice.Int(-50, 50), region);
        break;
    case 4:
        g.DrawImageAtFloat(src, dice.Coord(), dice.Coord(), region);
        break;
    case 5:
        g.DrawImageRotatedAround(src, dice.Coord(), dice.Coord(), dice.Coord(), dice.Coord(), dice.Coord(), &region);
        break;
    case 6:
        g.DrawImageRegionScaled(src, Rect(dice.Int(-50, 50), dice.Int(-50, 50), dice.Size(), dice.Size()), region);
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
        g.DrawNineGridRegion(region, Rect(dice.Int(-50, 50), dice.Int(-50, 50), dice.Size(), dice.Size()), src);
        break;
    default:
        g.DrawImageScaled(src, dice.Int(-50, 50), dice.Int(-50, 50), dice.Size(), dice.Size());
        break;
    }
}

} // namespace

TEST(GraphicsBadInput, RandomDrawsStayInsideTheClip)
{
    Dice dice;
    for (int round = 0; round < 3000; ++round) {
        int w = dice.Int(0, 24), h = dice.Int(0, 24);
        MemoryImage dest = RandomImage(dice, w, h);
        MemoryImage src = RandomImage(dice, dice.Int(0, 12), dice.Int(0, 12));
        if (dice.Int(0, 3) == 0)
            src.Palettize();
        std::vector<uint32_t> before = Pixels(dest);
        Graphics g(&dest);
        g.Translate(dice.Int(-8, 8), dice.Int(-8, 8));
        g.IntersectClip(dice.Int(-8, 16), dice.Int(-8, 16), dice.Int(0, 20), dice.Int(0, 20));
        Rect clip = g.GetClipRect();
        RandomDraw(dice, g, &src);
        std::vector<uint32_t> after = Pixels(dest);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                if (clip.Contains(x, y))
                    continue;
                ASSERT_EQ(after[y * w + x], before[y * w + x]) << "round " << round << " at " << x << "," << y;
            }
        }
        ASSERT_EQ(dest.GetBits()[dest.PixelCount()], MemoryImage::kGuardWord) << "round " << round;
    }
}

TEST(MemoryImageBadInput, DirectCallsWithCarelessRectangles)
{
    // Callers of the image itself may pass clips larger than the picture and positions outside it.
    Dice dice;
    for (int round = 0; round < 3000; ++round) {
        int w = dice.Int(0, 16), h = dice.Int(0, 16);
        MemoryImage dest = RandomImage(dice, w, h);
        MemoryImage src = RandomImage(dice, dice.Int(0, 10), dice.Int(0, 10));
        Rect clip(dice.Int(-30, 10), dice.Int(-30, 10), dice.Size(), dice.Size());
        Rect region(dice.Int(-3, 12), dice.Int(-3, 12), dice.Size(), dice.Size());
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
