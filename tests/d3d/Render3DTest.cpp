// The hardware path draws what the software path draws: a table of drawing operations, each done on
// a display device with 3D off and on one with 3D on, compared pixel by pixel.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "graphics/D3DInterface.h"
#include "graphics/DDTestSupport.h"
#include "graphics/Graphics.h"
#include "graphics/Matrix3.h"
#include "graphics/MemoryImage.h"
#include "platform/Device3D.h"
#include "swtri/TriVertex.h"

using namespace Olvarn;

namespace
{

constexpr int kWidth = 160;
constexpr int kHeight = 120;

// Whether this machine can give an OpenGL context at all; the reason when it cannot.
bool GLContextAvailable(std::string& why)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    bool missing = false;
    std::unique_ptr<Device3D> probe = Device3D::Create(8, 8, why, &missing);
    return probe || !missing;
}

std::unique_ptr<MemoryImage> MakeImage(int w, int h, uint32_t (*f)(int, int), int texFlags = 0)
{
    auto image = std::make_unique<MemoryImage>();
    std::vector<uint32_t> bits = ddtest::Picture(w, h, f);
    image->SetBits(bits.data(), w, h);
    image->mTextureFlags = texFlags;
    image->CommitBits();
    return image;
}

struct Images {
    // Opaque, but kept at full precision on the card.
    std::unique_ptr<MemoryImage> opaque = MakeImage(
        40, 30, [](int x, int y) { return 0xFF000000u | uint32_t(x * 6) << 16 | uint32_t(y * 8) << 8 | 0x40; },
        MemoryImage::TEXFLAG_A8R8G8B8);
    // Soft alpha from left to right, a transparent corner.
    std::unique_ptr<MemoryImage> sprite = MakeImage(32, 32, [](int x, int y) {
        if (x < 4 && y < 4)
            return 0u;
        return uint32_t(x * 8 + 7) << 24 | 0xE0u << 16 | uint32_t(y * 7) << 8 | 0x20;
    });
    // Wider and taller than one texture piece.
    std::unique_ptr<MemoryImage> large = MakeImage(
        150, 100,
        [](int x, int y) {
            return 0xFF000000u | uint32_t((x * 3) & 0xFF) << 16 | uint32_t((y * 5) & 0xFF) << 8 | 0x80;
        },
        MemoryImage::TEXFLAG_A8R8G8B8);
    // Opaque without a flag: the card keeps it at 16 bits.
    std::unique_ptr<MemoryImage> quantised = MakeImage(
        24, 24, [](int x, int y) { return 0xFF000000u | uint32_t(x * 10) << 16 | uint32_t(y * 10) << 8 | 0x99; });
};

struct DrawCase {
    const char* mName;
    std::function<void(Graphics&, Images&)> mDraw;
    int mTolerance;
};

const DrawCase kCases[] = {
    {"opaque fill",
     [](Graphics& g, Images&) {
         g.SetColor(Color(200, 30, 60));
         g.FillRect(10, 12, 50, 40);
     },
     1},
    {"translucent fill",
     [](Graphics& g, Images&) {
         g.SetColor(Color(20, 200, 60, 128));
         g.FillRect(30, 20, 70, 50);
     },
     2},
    {"additive fill",
     [](Graphics& g, Images&) {
         g.SetColor(Color(90, 60, 200, 200));
         g.SetDrawMode(Graphics::DRAWMODE_ADDITIVE);
         g.FillRect(5, 5, 60, 60);
     },
     2},
    {"opaque image", [](Graphics& g, Images& i) { g.DrawImage(i.opaque.get(), 13, 9); }, 1},
    {"alpha sprite", [](Graphics& g, Images& i) { g.DrawImage(i.sprite.get(), 21, 17); }, 3},
    {"additive sprite",
     [](Graphics& g, Images& i) {
         g.SetDrawMode(Graphics::DRAWMODE_ADDITIVE);
         g.DrawImage(i.sprite.get(), 40, 30);
     },
     2},
    {"tinted sprite",
     [](Graphics& g, Images& i) {
         g.SetModulateImages(true);
         g.SetColor(Color(255, 128, 64, 192));
         g.DrawImage(i.sprite.get(), 8, 50);
     },
     3},
    {"clipped image",
     [](Graphics& g, Images& i) {
         g.IntersectClip(20, 15, 25, 20);
         g.DrawImage(i.opaque.get(), 10, 10);
     },
     1},
    {"image across pieces", [](Graphics& g, Images& i) { g.DrawImage(i.large.get(), 3, 7); }, 1},
    {"16-bit texture", [](Graphics& g, Images& i) { g.DrawImage(i.quantised.get(), 60, 40); }, 8},
    {"image region", [](Graphics& g, Images& i) { g.DrawImageRegion(i.large.get(), 50, 20, Rect(60, 50, 70, 45)); }, 1},
    {"scaled twice",
     [](Graphics& g, Images& i) {
         g.SetFastScaling(true);
         g.DrawImageScaled(i.opaque.get(), 10, 10, 80, 60);
     },
     1},
    {"mirrored",
     [](Graphics& g, Images& i) {
         g.DrawImageMirrored(i.opaque.get(), Rect(30, 30, 40, 30), Rect(0, 0, 40, 30), true);
     },
     1},
    {"horizontal and vertical lines",
     [](Graphics& g, Images&) {
         g.SetColor(Color(250, 250, 0));
         g.DrawRect(20, 25, 60, 40);
     },
     1},
    {"textured triangles",
     [](Graphics& g, Images& i) {
         TriVertex v[6];
         // A quarter pixel off the grid: at whole pixels nearest sampling is a tie that the two
         // paths break differently.
         const float x0 = 30.25f, y0 = 20.25f, x1 = 70.25f, y1 = 50.25f;
         v[0] = {x0, y0, 0, 0, 0};
         v[1] = {x1, y0, 1, 0, 0};
         v[2] = {x0, y1, 0, 1, 0};
         v[3] = {x1, y0, 1, 0, 0};
         v[4] = {x1, y1, 1, 1, 0};
         v[5] = {x0, y1, 0, 1, 0};
         g.DrawTexturedTriangles(i.opaque.get(), v, 2);
     },
     2},
};

struct Device {
    ddtest::FakeDevice fake{SurfaceFormat::Xrgb8888(), kWidth, kHeight};
    std::vector<uint32_t> Draw(const DrawCase& c, Images& images)
    {
        DDImage* screen = fake.dd->GetScreenImage();
        Graphics g(screen);
        g.SetColor(Color(40, 70, 110));
        g.FillRect(0, 0, kWidth, kHeight);
        c.mDraw(g, images);
        if (fake.dd->mD3DInterface && fake.dd->mD3DInterface->IsSceneOpen())
            fake.dd->mD3DInterface->EndScene();
        return ddtest::RawPixels(*fake.dd->mDrawSurface);
    }
};

class Render3DTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string why;
        if (!GLContextAvailable(why))
            GTEST_SKIP() << "no OpenGL context on this machine: " << why;
        ASSERT_EQ(soft.fake.Start(), DDInterface::RESULT_OK);
        hard.fake.dd->Set3DEnabled(true);
        ASSERT_EQ(hard.fake.Start(), DDInterface::RESULT_OK) << hard.fake.dd->mErrorString;
    }

    // Images outlive both devices: the renderer keeps textures of them until it is cleaned up.
    Images images;
    Device soft;
    Device hard;
};

TEST_F(Render3DTest, EveryOperationMatchesTheSoftwarePath)
{
    for (const DrawCase& c : kCases) {
        SCOPED_TRACE(c.mName);
        const std::vector<uint32_t> expected = soft.Draw(c, images);
        const std::vector<uint32_t> actual = hard.Draw(c, images);
        ASSERT_EQ(expected.size(), actual.size());
        int off = 0, firstX = -1, firstY = -1, worst = 0;
        uint32_t firstWant = 0, firstGot = 0;
        for (size_t p = 0; p < expected.size(); ++p) {
            int diff = 0;
            for (int shift = 0; shift < 24; shift += 8)
                diff = std::max(diff, std::abs(int(expected[p] >> shift & 0xFF) - int(actual[p] >> shift & 0xFF)));
            if (diff > c.mTolerance) {
                if (off++ == 0) {
                    firstX = int(p % kWidth);
                    firstY = int(p / kWidth);
                    firstWant = expected[p];
                    firstGot = actual[p];
                }
                worst = std::max(worst, diff);
            }
        }
        EXPECT_EQ(off, 0) << "first at (" << firstX << ", " << firstY << "): software " << std::hex << firstWant
                          << ", hardware " << firstGot << std::dec << "; worst channel difference " << worst;
    }
}

} // namespace
