// The display layer: surface creation and its checks, video-memory figures, loss, and a real
// present through SDL read back from the renderer.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/DisplayFake.h"
#include "platform/DisplaySdl.h"
#include "platform/DisplaySdlWindow.h"
#include "support/Sanitizers.h"

using namespace Olvarn;

TEST(DisplayTest, CreateSurfaceChecksTheRequest)
{
    DisplayFake display(SurfaceFormat::Rgb565());
    std::shared_ptr<Surface> s;
    struct Case {
        SurfaceDesc desc;
        DisplayResult expected;
    } cases[] = {
        {{16, 8, SurfaceCaps::OffscreenPlain, 0}, DisplayError::Ok},
        {{0, 8, SurfaceCaps::OffscreenPlain, 0}, DisplayError::InvalidParams},
        {{16, -1, SurfaceCaps::OffscreenPlain, 0}, DisplayError::InvalidParams},
        {{16, 8, SurfaceCaps::Primary, 2}, DisplayError::InvalidParams},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(display.CreateSurface(c.desc, s), c.expected);
        EXPECT_EQ(s != nullptr, c.expected == DisplayError::Ok);
    }
    ASSERT_EQ(display.CreateSurface({4, 4, SurfaceCaps::Primary | SurfaceCaps::Flip, 1}, s), DisplayError::Ok);
    ASSERT_TRUE(s->GetAttachedBackBuffer());
    EXPECT_EQ(s->GetAttachedBackBuffer()->GetFormat(), SurfaceFormat::Rgb565());
}

TEST(DisplayTest, SurfacesTakeTheScreenFormatOfTheMode)
{
    DisplayFake display(SurfaceFormat::Xrgb8888());
    std::shared_ptr<Surface> s;
    ASSERT_EQ(display.CreateSurface({2, 2, 0, 0}, s), DisplayError::Ok);
    EXPECT_EQ(s->GetFormat(), SurfaceFormat::Xrgb8888());
    ASSERT_EQ(display.SetCooperativeLevel(nullptr, true), DisplayError::Ok);
    ASSERT_EQ(display.SetDisplayMode(1024, 768, 16), DisplayError::Ok);
    ASSERT_EQ(display.CreateSurface({2, 2, 0, 0}, s), DisplayError::Ok);
    EXPECT_EQ(s->GetFormat(), SurfaceFormat::Rgb565());
    EXPECT_EQ(display.SetDisplayMode(1024, 768, 24), DisplayError::InvalidMode);
}

TEST(DisplayTest, VideoMemoryFiguresAreSixtyFourBit)
{
    DisplayFake display(SurfaceFormat::Xrgb8888());
    display.SetVideoMemoryTotal(uint64_t(6) << 30);
    std::shared_ptr<Surface> video, system;
    ASSERT_EQ(display.CreateSurface({256, 256, SurfaceCaps::VideoMemory, 0}, video), DisplayError::Ok);
    ASSERT_EQ(display.CreateSurface({256, 256, SurfaceCaps::SystemMemory, 0}, system), DisplayError::Ok);
    uint64_t total = 0, free = 0;
    display.GetVideoMemory(total, free);
    EXPECT_EQ(total, uint64_t(6) << 30);
    EXPECT_EQ(free, total - video->GetByteSize());
    video.reset();
    display.GetVideoMemory(total, free);
    EXPECT_EQ(free, total);

    display.SetVideoMemoryTotal(100000);
    EXPECT_EQ(display.CreateSurface({256, 256, SurfaceCaps::VideoMemory, 0}, video), DisplayError::OutOfVideoMemory);
    EXPECT_EQ(video, nullptr);
}

TEST(DisplayTest, LoseSurfacesReachesEveryLiveSurface)
{
    DisplayFake display;
    std::shared_ptr<Surface> a, b;
    ASSERT_EQ(display.CreateSurface({2, 2, SurfaceCaps::Primary, 1}, a), DisplayError::Ok);
    ASSERT_EQ(display.CreateSurface({2, 2, 0, 0}, b), DisplayError::Ok);
    display.LoseSurfaces();
    EXPECT_TRUE(a->IsLost());
    EXPECT_TRUE(a->GetAttachedBackBuffer()->IsLost());
    EXPECT_TRUE(b->IsLost());
    EXPECT_EQ(display.Flip(*a), DisplayError::SurfaceLost);
}

TEST(DisplayTest, FakeInjectsCreationFailures)
{
    DisplayFake display;
    int calls = 0;
    display.mCreateHook = [&](const SurfaceDesc&) {
        return ++calls == 2 ? DisplayError::OutOfVideoMemory : DisplayError::Ok;
    };
    std::shared_ptr<Surface> s;
    EXPECT_EQ(display.CreateSurface({2, 2, 0, 0}, s), DisplayError::Ok);
    EXPECT_EQ(display.CreateSurface({2, 2, 0, 0}, s), DisplayError::OutOfVideoMemory);
    EXPECT_EQ(s, nullptr);
}

namespace
{

// Widening 5- and 6-bit channels may or may not repeat the top bits into the low ones.
bool SameColour(uint32_t a, uint32_t b)
{
    for (int shift : {0, 8, 16}) {
        int ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
        if (ca - cb > 7 || cb - ca > 7)
            return false;
    }
    return true;
}

// Runs one present of a known picture through SDL on the named video driver and reads it back.
void PresentAndReadBack(const char* driver, int bits)
{
    const char* old = getenv("SDL_VIDEODRIVER");
    std::string saved = old ? old : "";
    setenv("SDL_VIDEODRIVER", driver, 1);
    {
        // The window outlives the display, as the application's main window does.
        DisplaySdlWindow window(64, 48);
        DisplaySdl display;
        if (!window.IsOpen()) {
            setenv("SDL_VIDEODRIVER", saved.c_str(), 1);
            GTEST_SKIP() << "no SDL window on driver " << driver;
        }
        ASSERT_EQ(display.GetDeviceIdentity().mDescription.rfind(std::string("SDL ") + driver, 0), 0u)
            << "video already running on another driver";
        ASSERT_EQ(display.SetCooperativeLevel(&window, bits == 16), DisplayError::Ok);
        if (bits == 16) {
            ASSERT_EQ(display.SetDisplayMode(64, 48, 16), DisplayError::Ok);
        }
        std::shared_ptr<Surface> primary;
        ASSERT_EQ(display.CreateSurface({64, 48, SurfaceCaps::Primary, 0}, primary), DisplayError::Ok);
        ASSERT_EQ(primary->GetFormat().mBitsPerPixel, bits);

        // Four quadrants of pure colours, which 16-bit pixels carry exactly.
        SurfaceLock lock;
        ASSERT_EQ(primary->Lock(lock), DisplayError::Ok);
        const SurfaceFormat& f = lock.mFormat;
        const uint32_t colours[4] = {f.mRedMask, f.mGreenMask, f.mBlueMask, f.ColorMask()};
        const uint32_t expected[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x) {
                uint32_t c = colours[(y >= 24) * 2 + (x >= 32)];
                uint8_t* row = lock.mBits + y * lock.mPitch;
                if (bits == 16)
                    reinterpret_cast<uint16_t*>(row)[x] = uint16_t(c);
                else
                    reinterpret_cast<uint32_t*>(row)[x] = c;
            }
        primary->Unlock();
        ASSERT_EQ(display.Present(*primary), DisplayError::Ok);

        std::vector<uint32_t> frame;
        int w = 0, h = 0;
        ASSERT_TRUE(display.ReadPresentedFrame(frame, w, h));
        ASSERT_EQ(w, 64);
        ASSERT_EQ(h, 48);
        for (int y = 0; y < 48; y += 7)
            for (int x = 0; x < 64; x += 5)
                ASSERT_TRUE(SameColour(frame[size_t(y) * 64 + x], expected[(y >= 24) * 2 + (x >= 32)]))
                    << std::hex << frame[size_t(y) * 64 + x] << " at " << std::dec << x << "," << y;

        // The whole picture turns white, but only a part of it is shown: the window's own surface
        // keeps the rest as it was; a renderer shows the whole.
        ASSERT_EQ(primary->Lock(lock), DisplayError::Ok);
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x) {
                uint8_t* row = lock.mBits + y * lock.mPitch;
                if (bits == 16)
                    reinterpret_cast<uint16_t*>(row)[x] = uint16_t(f.ColorMask());
                else
                    reinterpret_cast<uint32_t*>(row)[x] = f.ColorMask();
            }
        primary->Unlock();
        const int px = 13, py = 20, pw = 27, ph = 9;
        ASSERT_EQ(display.PresentArea(*primary, px, py, pw, ph), DisplayError::Ok);
        const bool partly = display.GetDeviceIdentity().mDescription.find("window surface") != std::string::npos;
        ASSERT_TRUE(display.ReadPresentedFrame(frame, w, h));
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x) {
                const bool inPart = x >= px && x < px + pw && y >= py && y < py + ph;
                uint32_t want = partly && !inPart ? expected[(y >= 24) * 2 + (x >= 32)] : 0xFFFFFFFF;
                ASSERT_TRUE(SameColour(frame[size_t(y) * 64 + x], want))
                    << std::hex << frame[size_t(y) * 64 + x] << " at " << std::dec << x << "," << y;
            }
    }
    setenv("SDL_VIDEODRIVER", saved.c_str(), 1);
}

} // namespace

TEST(DisplaySdlTest, PresentedFrameReadsBackAsDrawn)
{
    // The dummy driver always runs, and so does the offscreen one (a real renderer on a window
    // nobody sees) except under the leak checker, which reports EGL's start-up allocations; there
    // it runs when asked for.
    bool offscreen = true;
#if defined(TAMBERLO_ASAN)
    offscreen = getenv("TAMBERLO_TEST_OFFSCREEN") != nullptr;
#endif
    for (const char* driver : {"dummy", offscreen ? "offscreen" : nullptr})
        for (int bits : {32, 16}) {
            if (!driver)
                continue;
            SCOPED_TRACE(std::string(driver) + " " + std::to_string(bits));
            PresentAndReadBack(driver, bits);
        }
}

TEST(DisplaySdlTest, ScanLineIsUnsupportedAndRefreshFallsBack)
{
    DisplaySdl display;
    int line = 0;
    EXPECT_EQ(display.GetScanLine(line), DisplayError::Unsupported);
    SurfaceFormat format;
    ASSERT_EQ(display.GetScreenFormat(format), DisplayError::Ok);
    EXPECT_TRUE(format.mBitsPerPixel == 16 || format.mBitsPerPixel == 32 || format.mBitsPerPixel == 24);
    EXPECT_FALSE(display.GetDeviceIdentity().mDescription.empty());
}
